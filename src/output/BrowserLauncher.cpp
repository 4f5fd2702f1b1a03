#include "output/BrowserLauncher.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace zx {

namespace {

struct KnownBrowser {
    std::string_view program;
    std::string_view name;
};

// Looked up in this order; a family's first program found stands for it.
constexpr std::array kKnownBrowsers{
    KnownBrowser{"firefox", "Mozilla Firefox"},
    KnownBrowser{"firefox-esr", "Mozilla Firefox"},
    KnownBrowser{"google-chrome", "Google Chrome"},
    KnownBrowser{"google-chrome-stable", "Google Chrome"},
    KnownBrowser{"chromium", "Chromium"},
    KnownBrowser{"chromium-browser", "Chromium"},
    KnownBrowser{"opera", "Opera"},
    KnownBrowser{"epiphany-browser", "Web"},
    KnownBrowser{"falkon", "Falkon"},
    KnownBrowser{"konqueror", "Konqueror"},
};

constexpr std::string_view kInternetExplorerHelp =
    "You need Microsoft Internet Explorer 11 or above";
constexpr std::string_view kFirefoxHelp =
    "Some graphic cards are blacklisted by Firefox.\nYou may force WebGL by going to "
    "\"about:config\"\nAnd setting \"webgl.force-enabled\"\n";
constexpr std::string_view kChromeHelp =
    "Some graphic cards are blacklisted by Chrome.\nYou may force WebGL by going to "
    "\"chrome://flags\"\nAnd enabling \"Override software rendering list\"\n";
constexpr std::string_view kOperaHelp =
    "Version 12 and above from Opera support WebGL\nHowever it should be enabled in "
    "\"opera:config\"";
constexpr std::string_view kSafariHelp =
    "Safari for PC does not support WebGL\nSafari for Mac yes...";
constexpr std::string_view kUnknownHelp = "Unknown browser, no help available";

std::string lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return out;
}

bool isProgram(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    using std::filesystem::perms;
    return !ec && std::filesystem::is_regular_file(status) &&
           (status.permissions() & (perms::owner_exec | perms::group_exec | perms::others_exec)) !=
               perms::none;
}

} // namespace

BrowserKind browserKindOf(std::string_view name) {
    const std::string n = lower(std::filesystem::path(name).filename().string());
    const auto has = [&](std::string_view part) { return n.find(part) != std::string::npos; };
    if (has("firefox") || has("iceweasel")) return BrowserKind::Firefox;
    if (has("chrome") || has("chromium")) return BrowserKind::Chrome;
    if (has("opera")) return BrowserKind::Opera;
    if (has("safari")) return BrowserKind::Safari;
    if (has("iexplore")) return BrowserKind::InternetExplorer;
    return BrowserKind::Other;
}

std::vector<Browser> installedBrowsers(const std::vector<std::filesystem::path>& folders) {
    std::vector<Browser> found;
    for (const KnownBrowser& known : kKnownBrowsers) {
        const bool listed = std::any_of(found.begin(), found.end(),
                                        [&](const Browser& b) { return b.name == known.name; });
        if (listed) continue;
        for (const std::filesystem::path& folder : folders) {
            const std::filesystem::path program = folder / known.program;
            if (!isProgram(program)) continue;
            found.push_back({std::string(known.name), program, browserKindOf(known.program)});
            break;
        }
    }
    return found;
}

std::vector<std::filesystem::path> searchFolders(std::string_view pathList) {
    std::vector<std::filesystem::path> folders;
    while (!pathList.empty()) {
        const size_t colon = pathList.find(':');
        const std::string_view part = pathList.substr(0, colon);
        if (!part.empty()) folders.emplace_back(part);
        if (colon == std::string_view::npos) break;
        pathList.remove_prefix(colon + 1);
    }
    return folders;
}

std::vector<std::string> browserArguments(BrowserKind kind, const std::filesystem::path& page) {
    switch (kind) {
    case BrowserKind::Firefox:
        return {"-url", page.string()};
    // The page reads files beside it.
    case BrowserKind::Chrome:
        return {"--allow-file-access-from-files", page.string()};
    default:
        return {page.string()};
    }
}

std::string_view browserHelp(BrowserKind kind) {
    switch (kind) {
    case BrowserKind::InternetExplorer:
        return kInternetExplorerHelp;
    case BrowserKind::Firefox:
        return kFirefoxHelp;
    case BrowserKind::Chrome:
        return kChromeHelp;
    case BrowserKind::Opera:
        return kOperaHelp;
    case BrowserKind::Safari:
        return kSafariHelp;
    case BrowserKind::Other:
        break;
    }
    return kUnknownHelp;
}

} // namespace zx
