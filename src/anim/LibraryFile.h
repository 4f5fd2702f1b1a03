#pragma once
// Library object files (.zxl): one reusable animated object in the gzip container
// (magic "ZZXL"), as a stream of 32-bit words in tagged chunks:
//   ZXLB header, IMG1 / IMGR / VIDE textures, OPAC opacities, MATN material names,
//   VRTX vertices with their recorded motion, TRIX triangles, ENDL.
// Saved from the whole animation merged into one object or from one object; loaded
// into an object slot. A project names its library objects by path; a file that
// has moved is found again through the relocation table or by asking the user.

#include "anim/AnimPoint.h"
#include "storage/FourCC.h"
#include "storage/RasterImage.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zx {

class AnimationModel;
class Prompter;

inline constexpr std::string_view kLibraryMagic = "ZZXL";
inline constexpr uint32_t kLibraryVersion = 1000;
inline constexpr int kMaxLibraryTextures = 256;
inline constexpr int kMaxMaterialName = 50;

struct LibraryTag {
    static constexpr uint32_t Header = fourCC("ZXLB");
    static constexpr uint32_t Image = fourCC("IMG1");
    static constexpr uint32_t Repeat = fourCC("IMGR");
    static constexpr uint32_t Video = fourCC("VIDE");
    static constexpr uint32_t Opacity = fourCC("OPAC");
    static constexpr uint32_t Material = fourCC("MATN");
    static constexpr uint32_t Vertices = fourCC("VRTX");
    static constexpr uint32_t Triangles = fourCC("TRIX");
    static constexpr uint32_t End = fourCC("ENDL");
};

struct LibraryMessage {
    static constexpr std::string_view CannotRead = "Library file corrupted, cannot read";
    static constexpr std::string_view NoFreeSlot =
        "Maximum number of regions/objects reached, cannot load";
    // The odd character between "a" and "Zelvotrix" is part of the message users know.
    static constexpr std::string_view NotALibrary = "Not a\u00a8Zelvotrix Library File";
    static constexpr std::string_view OldFormat =
        "This library file was written by an older version of Zelvotrix and cannot be loaded.\n"
        "A conversion utility for old library files is offered on the Zelvotrix web site.";
    static constexpr std::string_view Corrupted = "Corrupted library file";
    static constexpr std::string_view CannotFind =
        ": Cannot find this library file\nDo you want to locate it manually?";
    static constexpr std::string_view SaveFailed =
        "ERROR while saving library.\nThe initial library file may be \"Read Only\".\nPlease try "
        "saving under another name.";
    static constexpr std::string_view BadExtension = "Invalid file extension, expected .zxl";
    static constexpr std::string_view NameUsed =
        "This object name is already used in this project.\nPlease select another name";
};

// Library files the user has located by hand in this run: stored path → chosen path.
class LibraryRelocations {
public:
    std::optional<std::filesystem::path> find(const std::string& stored) const;
    void remember(const std::string& stored, const std::filesystem::path& chosen);
    size_t size() const { return pairs_.size(); }

private:
    std::map<std::string, std::filesystem::path, std::less<>> pairs_;
};

// The name a texture's material has when the file gives none ("Mat1", "Mat2", …).
std::string defaultMaterialName(int entry);

enum class LibraryLoadMode {
    NewObject,   // into a new slot at the end
    ReplaceSlot, // into the given slot, which takes the library object as new
    // Into the given slot whose fields came from an animation record: only the mesh,
    // textures and recorded motion are loaded; the record's fields stay.
    RecordGeometry,
};

struct LibraryLoadOptions {
    Prompter* prompter = nullptr; // messages and the locate question; may be null
    // Relative library paths are taken relative to this folder (the project's).
    std::filesystem::path projectFolder;
    // Also looked in, by file name, before the user is asked (the library folder).
    std::filesystem::path libraryFolder;
    LibraryRelocations* relocations = nullptr;
    // The file dialog for "Do you want to locate it manually?"; none = cancelled.
    std::function<std::optional<std::filesystem::path>(const std::string& missing)> locateFile;
    // Hands a video texture to the video subsystem with its frame setting.
    std::function<void(RasterImage& texture, int frameSetting)> registerVideo;
    bool videoFrameSettingOne = false; // register videos with 1 instead of the last frame
    // Called once after a successful load (records the "Load Object" undo step).
    std::function<void()> recordUndo;
};

// Finds the file for a stored library path: as given (relative to the project
// folder), in the library folder, through the relocation table, or by asking.
std::optional<std::filesystem::path> locateLibraryFile(const std::string& stored,
                                                       const LibraryLoadOptions& options);

// Loads a library file into the model. Returns the slot, or −1 after the failure's
// message; a failed load leaves the model as it was.
int loadLibraryObject(AnimationModel& model, const std::string& path, LibraryLoadMode mode,
                      int slot, const LibraryLoadOptions& options);
// The same from the container's content (the words after the magic). `name` becomes
// the object's library path.
int loadLibraryObjectFromData(AnimationModel& model, std::span<const uint8_t> content,
                              const std::string& name, LibraryLoadMode mode, int slot,
                              const LibraryLoadOptions& options);

// What an animation record's reader calls for each library object: loads the mesh
// of the file the object names into its slot (LibraryLoadMode::RecordGeometry).
std::function<bool(AnimationModel&, int)> recordLibraryLoader(LibraryLoadOptions options);

// The thumbnail of a library file, for previews; none when it has none.
std::optional<RasterImage> readLibraryThumbnail(const std::filesystem::path& path);
std::optional<RasterImage> libraryThumbnailFromData(std::span<const uint8_t> content);

struct LibrarySaveOptions {
    Prompter* prompter = nullptr;
    // The positions of an object's points at frame k of the saved animation (what the
    // deformation computes). Without it nothing moves: every frame shows the start
    // positions.
    std::function<std::vector<Vec3>(int slot, int frame)> framePositions;
    // Whole-animation saves: the picture the thumbnail is cut from (the current
    // image's picture); none gives an empty thumbnail.
    const RasterImage* thumbnailPicture = nullptr;
};

// The word stream of a library file (without the magic). With wholeAnimation the
// thumbnail entry comes first and the header's last frame index is the model's.
std::vector<uint32_t> buildLibraryWords(const AnimationModel& model, std::span<const int> slots,
                                        bool wholeAnimation, const LibrarySaveOptions& options);

// "Sa&ve As Object...": every visible object merged into one library object. Returns
// the path, or empty after the save-failure message.
std::string saveAnimationAsLibrary(const AnimationModel& model, const std::filesystem::path& path,
                                   const LibrarySaveOptions& options);
// One object saved as a library file.
std::string saveObjectAsLibrary(const AnimationModel& model, int slot,
                                const std::filesystem::path& path,
                                const LibrarySaveOptions& options);

enum class LibraryNameCheck { Ok, Retry, Cancel };
// The save dialog's checks on a chosen name: the "zxl" extension, and a name not
// already used by an object of the project (OK on that message retries).
LibraryNameCheck checkLibrarySaveName(const std::filesystem::path& path,
                                      std::span<const std::string> usedNames, Prompter& prompter);

} // namespace zx
