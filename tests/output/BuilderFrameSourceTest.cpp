// Movie export from the movie frame builder: the same movie whatever the number of
// workers, the workers started where the export begins and paused once it has its frames.
#include "output/BuilderFrameSource.h"

#include "OutputTestSupport.h"
#include "output/MovieExport.h"
#include "platform/RecordingPrompter.h"
#include "platform/SafeFile.h"
#include "storage/PhotoImport.h"
#include "storage/Project.h"

#include <gtest/gtest.h>

namespace zx {
namespace {

RasterImage photo(int w, int h, int seed) {
    RasterImage p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            p.at(x, y) = 0xFF000000u | uint32_t((x * 7 + seed) & 0xFF) << 16 |
                         uint32_t((y * 9) & 0xFF) << 8 | uint32_t((x + y + seed) & 0xFF);
    return p;
}

TEST(MovieFrameBuilderExport, AnyNumberOfWorkersMakesTheSameMovieFromWhereItBegins) {
    Project project;
    project.movieWidth = 40;
    project.movieHeight = 30;
    project.images.append(buildPhotoImage(photo(32, 24, 0), "a.png", 6, CanvasColour::Black));
    project.images.append(buildPhotoImage(photo(24, 32, 80), "b.png", 4, CanvasColour::Blue));
    test::ScratchFolder dir;
    RecordingPrompter prompter;
    std::vector<std::vector<std::byte>> movies;
    for (int workers : {1, 3}) {
        MovieFrameBuilder builder({}, workers);
        ASSERT_TRUE(builder.rebuildMovieFrameList(project, {}));
        MovieExportOptions options;
        options.outputPath = dir.path() / ("m" + std::to_string(workers) + ".avi");
        options.format = VideoFormat::Avi;
        options.width = 40, options.height = 30, options.framesPerSecond = 10;
        options.markers = FrameRange{3, 8};
        options.maximumQuality = false;
        {
            BuilderFrameSource source(project, builder);
            ASSERT_TRUE(exportMovie(options, source, nullptr, prompter));
            // Done with its frames, every worker is held.
            for (int j = 0; j < 2; ++j)
                for (int lane = 0; lane < workers; ++lane)
                    EXPECT_EQ(builder.entry(j, lane)->state(), WorkerState::Idle);
        }
        // Image 0 was built from frame 3 on: frames 1 and 2 never were.
        EXPECT_FALSE(builder.frames().coded(1));
        EXPECT_FALSE(builder.frames().coded(2));
        movies.push_back(*readWholeFile(options.outputPath));
    }
    EXPECT_EQ(movies[0], movies[1]);
}

} // namespace
} // namespace zx
