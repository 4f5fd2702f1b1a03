// Frame files written on the writer's threads: every frame handed over is on disk,
// whole and with its pixels, when finish returns; a failure stops the writing and is
// reported to the next hand-over.

#include "output/FrameFileWriter.h"
#include "output/FrameFolderSource.h"
#include "output/OutputTestSupport.h"
#include "storage/ImageFile.h"

#include <gtest/gtest.h>

namespace zx {
namespace {

using test::ScratchFolder;

RasterImage framePicture(int index) {
    RasterImage picture(24, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x)
            picture.at(x, y) =
                0xFF000000u | uint32_t(index * 20) << 16 | uint32_t(x * 9) << 8 | uint32_t(y * 13);
    return picture;
}

TEST(FrameFileWriter, EveryFrameHandedOverIsWritten) {
    ScratchFolder dir;
    {
        FrameFileWriter writer(dir.path(), 3);
        for (int i = 5; i < 17; ++i) ASSERT_TRUE(writer.write(i, framePicture(i)));
        ASSERT_TRUE(writer.finish());
    }
    EXPECT_EQ(dir.names().size(), 12u) << "no temporary file is left";
    for (int i = 5; i < 17; ++i) {
        const auto picture = loadImage(dir / movieFrameFileName(i), nullptr);
        ASSERT_TRUE(picture) << i;
        EXPECT_EQ(picture->pixelVector(), framePicture(i).pixelVector()) << i;
    }
}

TEST(FrameFileWriter, AFailureStopsTheWriting) {
    ScratchFolder dir;
    FrameFileWriter writer(dir / "no such folder", 2);
    Status status;
    for (int i = 0; i < 50 && status; ++i) status = writer.write(i, framePicture(i));
    const Status finished = writer.finish();
    EXPECT_FALSE(finished);
    EXPECT_NE(finished.message().find("no such folder"), std::string::npos);
    EXPECT_TRUE(dir.names().empty());
}

} // namespace
} // namespace zx
