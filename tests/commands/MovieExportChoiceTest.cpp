// The movie save dialog's rules: the name follows the format, the custom bit rate's
// range, and what OK makes of the typed name.
#include "commands/MovieExportChoice.h"
#include "platform/RecordingPrompter.h"

#include <gtest/gtest.h>

#include <fstream>

namespace zx {
namespace {

namespace fs = std::filesystem;

TEST(MovieExportChoice, TheExtensionFollowsTheFormatAndKeepsTheRestOfTheName) {
    EXPECT_EQ(proposedMovieName("My *Film.v2.zxp*"), "My Film.v2.wmv");
    for (VideoFormat f : {VideoFormat::Avi, VideoFormat::Wmv, VideoFormat::Mov, VideoFormat::Flv,
                          VideoFormat::Mp4}) {
        for (const char* name : {"/m/a.b/clip.mp4", "/m/a.b/clip", "/m/a.b/clip.AVI"}) {
            const fs::path renamed = withVideoExtension(name, f);
            EXPECT_EQ(videoFormatOfPath(renamed), f) << name;
            EXPECT_EQ(renamed.parent_path(), "/m/a.b");
            EXPECT_EQ(renamed.stem(), "clip");
        }
    }
    for (const char* bad : {"63", "175001", "12a", "", "-100"}) EXPECT_FALSE(customBitRate(bad));
    EXPECT_EQ(customBitRate("64"), 64);
    EXPECT_EQ(customBitRate("175000"), 175000);
}

TEST(MovieExportChoice, OkRefusesUnknownTypesAndReplacesOnlyWhenTold) {
    const fs::path folder = fs::temp_directory_path() / "zx-movie-choice";
    fs::create_directories(folder);
    RecordingPrompter prompter;
    EXPECT_FALSE(confirmMovieName("clip.txt", VideoFormat::Mp4, folder, prompter));
    EXPECT_TRUE(prompter.saw(kInvalidVideoFileType));

    EXPECT_EQ(confirmMovieName("clip", VideoFormat::Mov, folder, prompter).value(),
              folder / "clip.mov");
    std::ofstream(folder / "clip.mov") << "old";
    prompter.answers = {Answer::No, Answer::Yes};
    EXPECT_TRUE(
        confirmMovieName("clip", VideoFormat::Mov, folder, prompter).status().isCancelled());
    EXPECT_EQ(confirmMovieName(folder / "clip.MOV", VideoFormat::Mov, {}, prompter).value(),
              folder / "clip.mov");
    fs::remove_all(folder);
}

} // namespace
} // namespace zx
