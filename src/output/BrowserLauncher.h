#pragma once
// Which browser shows a previewed page. The desktop's default browser opens it unless
// the user picks one of the browsers found on the PATH; each family gets the arguments
// it needs to show a page from the disk, and a help text for when WebGL stays dark.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zx {

enum class BrowserKind { Firefox, Chrome, Opera, Safari, InternetExplorer, Other };

struct Browser {
    std::string name;              // as the preview's browser list shows it
    std::filesystem::path program; // empty for the desktop's default browser
    BrowserKind kind = BrowserKind::Other;
};

// The family of a browser from its program or desktop-entry name ("firefox-esr",
// "chromium.desktop", "/opt/google/chrome/chrome").
BrowserKind browserKindOf(std::string_view name);

// The browsers whose programs lie in the given folders (the PATH's), each once, in the
// order of the known list.
std::vector<Browser> installedBrowsers(const std::vector<std::filesystem::path>& folders);
// The folders of a PATH-style list ("/usr/bin:/bin").
std::vector<std::filesystem::path> searchFolders(std::string_view pathList);

// The arguments that open the page in the browser (the program not included).
std::vector<std::string> browserArguments(BrowserKind kind, const std::filesystem::path& page);

// "Get Help if the selected browser doesn't work".
std::string_view browserHelp(BrowserKind kind);

} // namespace zx
