// Finding the browsers for a page preview and how each is asked to open it.
#include "output/BrowserLauncher.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace zx {
namespace {

namespace fs = std::filesystem;

void makeFile(const fs::path& path, bool executable) {
    std::ofstream(path) << "#!/bin/sh\n";
    fs::permissions(path, executable ? fs::perms::owner_all : fs::perms::owner_read);
}

TEST(BrowserLauncher, FindsEachFamilyOnceFromTheFirstFolderHoldingIt) {
    const fs::path root = fs::temp_directory_path() / ("zx-browsers-" + std::to_string(getpid()));
    fs::create_directories(root / "a");
    fs::create_directories(root / "b");
    makeFile(root / "a" / "chromium", true);
    makeFile(root / "b" / "chromium", true);
    makeFile(root / "b" / "firefox-esr", true);
    makeFile(root / "a" / "opera", false); // not a program
    fs::create_directories(root / "a" / "falkon");

    const std::vector<Browser> found =
        installedBrowsers(searchFolders((root / "a").string() + "::" + (root / "b").string()));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].kind, BrowserKind::Firefox);
    EXPECT_EQ(found[0].program, root / "b" / "firefox-esr");
    EXPECT_EQ(found[1].kind, BrowserKind::Chrome);
    EXPECT_EQ(found[1].program, root / "a" / "chromium");
    fs::remove_all(root);
}

TEST(BrowserLauncher, EveryFamilyOpensThePageAndHasItsOwnHelp) {
    const fs::path page = "/tmp/x y/zxwebgl.htm";
    const BrowserKind kinds[] = {BrowserKind::Firefox, BrowserKind::Chrome, BrowserKind::Opera,
                                 BrowserKind::Safari, BrowserKind::InternetExplorer};
    for (BrowserKind kind : kinds) {
        const std::vector<std::string> args = browserArguments(kind, page);
        ASSERT_FALSE(args.empty());
        EXPECT_EQ(args.back(), page.string());
        EXPECT_NE(browserHelp(kind), browserHelp(BrowserKind::Other));
    }
    EXPECT_EQ(browserKindOf("/opt/google/chrome/chrome"), BrowserKind::Chrome);
    EXPECT_EQ(browserKindOf("firefox-esr.desktop"), BrowserKind::Firefox);
    EXPECT_EQ(browserKindOf("org.gnome.Epiphany.desktop"), BrowserKind::Other);
}

} // namespace
} // namespace zx
