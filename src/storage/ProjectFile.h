#pragma once
// The project file (.zxp): a gzip container with the magic "ZZXP" whose content is
// a stream of tagged chunks — the header, the panel states, every image with its
// layers and animation record, the camera values, and "_END".
//
// Loading builds a new Project and never touches the open one, so a failed load
// loses nothing. Saving builds the whole stream in memory and writes it through a
// temporary file in the target's folder, so a failed save leaves the old file as it
// was.

#include "platform/Status.h"
#include "storage/Project.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zx {

class Prompter;

inline constexpr const char* kProjectMagic = "ZZXP";
inline constexpr const char* kProjectExtension = "zxp";

inline constexpr std::string_view kInvalidProjectFormatMessage = "Invalid .zxp file format";
inline constexpr std::string_view kInvalidLayerFormatMessage = "Invalid layer format";
inline constexpr std::string_view kNotAProjectMessage =
    "Not a valid Zelvotrix project, or file corrupted";
inline constexpr std::string_view kSaveFailedMessage =
    "ERROR: Could not save the project.\nThe initial project file may be \"Read "
    "Only\".\nPlease try saving under another name";
inline constexpr std::string_view kOpenImageMessage =
    "To load a jpeg or png image, please use \"File\" \"Import Image(s)\" from the main menu";
inline constexpr std::string_view kOpenLibraryMessage =
    "To load a library file (*.zxl), please use \"File\" \"Load Object\" from the main menu";
inline constexpr std::string_view kUnsupportedExtensionMessage = "Unsupported file extension";
inline constexpr std::string_view kSaveExtensionMessage = "Invalid file extension, .zxp expected";
inline constexpr std::string_view kSaveAsExtensionMessage = "Invalid file extension, expected .zxp";
inline constexpr std::string_view kSaveAsFilter = "zxp files (*.zxp)|*.zxp||";

// Header sizes the reader accepts: the current 84 bytes, and the 80- and 64-byte
// headers of earlier versions.
inline constexpr size_t kHeaderSize = 84;

enum class ProjectLoadError {
    None,
    Container,  // not a gzip container with the project magic, or unreadable
    Version,    // a header version other than 1005
    UnknownTag, // a chunk this program does not know ("Invalid .zxp file format")
    Corrupt,    // sizes, counts or coded pictures that do not fit
};

struct ProjectLoadOptions {
    // The open project, whose panel words stand wherever the file has none (an
    // older, shorter header keeps the last Movie panel words as they are).
    const Project* open = nullptr;
};

// Parses the content of a project container (the chunk stream after the magic)
// into a new Project. Null on failure, with the reason in `error`. Messages the user
// must see while reading ("Invalid .zxp file format", "Invalid layer format", the
// 4096 message of an oversized image) go to `prompter`.
std::unique_ptr<Project> parseProject(std::span<const uint8_t> chunks, Prompter& prompter,
                                      const ProjectLoadOptions& options = {},
                                      ProjectLoadError* error = nullptr);

// Reads a project file. On success the project remembers the path, its folder and
// title, and is not modified.
std::unique_ptr<Project> loadProject(const std::filesystem::path& path, Prompter& prompter,
                                     const ProjectLoadOptions& options = {},
                                     ProjectLoadError* error = nullptr);

// Rewrites an image's animation record for a project that moves to another folder
// (what the record holds relative to the project's location). Supplied by the layer
// that knows the animation model; none keeps the record unchanged.
using AnimationReencoder = std::function<std::optional<std::vector<uint32_t>>(
    const std::vector<uint32_t>& record, const std::filesystem::path& oldFolder,
    const std::filesystem::path& newFolder)>;

struct ProjectSaveOptions {
    AnimationReencoder reencode;
};

// The chunk stream of a project (without the container magic). `animation`, when
// not empty, gives per image the record to write instead of the image's own (an
// empty optional keeps the image's). None when a picture cannot be coded.
std::optional<std::vector<uint8_t>>
buildProjectChunks(const Project& project,
                   std::span<const std::optional<std::vector<uint32_t>>> animation = {});

// Writes the project file. On success the project takes the path as its location,
// takes the re-encoded animation records and is no longer modified. On failure the
// read-only message is shown (and returned, with the file and the reason as its
// detail), the old file and the project are left as they were.
Status saveProject(Project& project, const std::filesystem::path& path, Prompter& prompter,
                   const ProjectSaveOptions& options = {});

// ---- routing of the File commands ---------------------------------------------

// What opening a file leads to: a project load, or a message instead.
struct OpenRoute {
    bool loadProject = false;
    std::string message; // when not loading
};
OpenRoute routeOpen(const std::filesystem::path& path);

// Opens a file as the File > Open command does: refuses other kinds of files with
// their message, and shows "Not a valid Zelvotrix project, or file corrupted" when
// the load fails, with the file and the reason on a second line; the status carries
// the same text. The open project is untouched either way.
Result<std::unique_ptr<Project>> openProjectDocument(const std::filesystem::path& path,
                                                     Prompter& prompter,
                                                     const Project* open = nullptr);

// The message for a save target whose extension is not "zxp", or none.
std::optional<std::string> saveExtensionError(const std::filesystem::path& path);

// Saves as File > Save does with a path: checks the extension (refused with its
// message), then saves.
Status saveProjectDocument(Project& project, const std::filesystem::path& path, Prompter& prompter,
                           const ProjectSaveOptions& options = {});

// The name the Save dialog proposes for a project without a path: the title of the
// first image's subject layer name, unless that is empty or starts with "[" (a
// clipboard or blank picture), else the document title cut before the first of the
// characters that cannot stand in a file name here.
std::string defaultSaveName(const Project& project);

} // namespace zx
