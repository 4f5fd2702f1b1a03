#pragma once
// Publishing to the publication service: an animated WebGL scene or a video file.
// Each publication reserves a handle, uploads its files and only then registers the
// item ("storehandle"), so a publication that fails or is cancelled part way never
// appears on the service. The files are built in a private temporary folder, removed
// afterwards. Every failure is shown on the prompter and returned.

#include "output/PublicationClient.h"
#include "output/WebGlExport.h"
#include "platform/Progress.h"
#include "platform/Prompter.h"
#include "platform/SettingsStore.h"
#include "platform/Status.h"

#include <filesystem>
#include <string>

namespace zx {

class Project;

inline constexpr std::string_view kPublicationCompleted = "Publication completed";

struct PublicationDetails {
    std::string title, description;
    std::string privacy = "Public";   // "Public", "Unlisted", "Private"
    std::string category = "Other3D"; // "Other3D", "Education", … ("Adult" when allowed)
};

struct PublishedItem {
    std::string handle;
    std::string playerLink, shortLink;
};

// The categories as the dialogs offer them: stored value and shown text.
struct PublicationCategory {
    const char* value;
    const char* label;
};
inline constexpr PublicationCategory kPublicationCategories[] = {
    {"Other3D", "Other 3D objects"},
    {"Education", "Education"},
    {"Morphing", "2D Warp & Morphing"},
    {"People", "People and Animals"},
    {"Science", "Science & Technology"},
    {"Landscapes", "Landscapes"},
    {"Adult", "Adult"},
};
inline constexpr const char* kPublicationPrivacies[] = {"Public", "Unlisted", "Private"};

// Refuses details the service does not take (privacy, category, "Adult" for a user
// not allowed it) or a title shorter than 4 letters.
Status checkPublicationDetails(const PublicationClient& client, const PublicationDetails& details);

// The scene's data file text as the service keeps it: "zxwebgl_zxdef" named "zxdef"
// and runs of zeros in the arrays left empty.
std::string publishedDataText(std::string text);

// Publishes image `options.image` of the project as a WebGL scene.
Result<PublishedItem> publishScene(PublicationClient& client, const Project& project,
                                   WebGlExportOptions options,
                                   const std::filesystem::path& playerScript,
                                   const PublicationDetails& details, SettingsStore& settings,
                                   Progress& progress, Prompter& prompter);

struct VideoPublication {
    std::filesystem::path video;
    int thumbnail = 1; // which of the one-per-second thumbnails is the vignette (from 1)
};

// Publishes a video file, converted to webm and mp4 at most 640 × 480.
Result<PublishedItem> publishVideo(PublicationClient& client, const VideoPublication& video,
                                   const PublicationDetails& details, SettingsStore& settings,
                                   Progress& progress, Prompter& prompter);

class MovieFrameSource;

struct MoviePublication {
    MovieFrameSource* source = nullptr;
    int width = 640, height = 480, framesPerSecond = 30;
};

// Publishes the movie as a video: written as an AVI, converted to webm and mp4 at its
// frame rate.
Result<PublishedItem> publishMovie(PublicationClient& client, const MoviePublication& movie,
                                   const PublicationDetails& details, SettingsStore& settings,
                                   Progress& progress, Prompter& prompter);

// The size a published video is converted to: within 640 × 480, proportions kept, even
// sides (the codecs need them), never enlarged.
std::pair<int, int> publishedVideoSize(int width, int height);

// The descriptor of a published video ("// Zelvotrix V2.0\nzxdef = [{app:…}];\n").
std::string videoDescriptorText(const std::string& owner, const PublicationDetails& details,
                                int width, int height);

// The latest version the service offers ("zxversion"); failed when it gives none.
Result<double> latestProgramVersion(PublicationClient& client);

} // namespace zx
