#pragma once
// Bringing a photograph into a project: the size questions, the limits, and the
// six-layer project image built from it (placeholder, background, subject, mask,
// an empty picture layer, the animation layer).

#include "storage/ProjectImage.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zx {

class Prompter;
struct Settings;

inline constexpr std::string_view kResizeQuestion = "Resize image for best performance?";
inline constexpr std::string_view kTooBigQuestion = "Image size too big (max = 4096)\nResize it?";
inline constexpr std::string_view kTooSmallMessage =
    "Image too small (minimum = 8 x 8), cannot load!";
inline constexpr std::string_view kImportSubjectLabel = "Import Subject Image";

inline constexpr int kMinPhotoSide = 8;
// The longer side a picture over 4096 is brought down to.
inline constexpr int kOversizeTarget = 3000;

// What the user answered to the resize question in this run. The question is asked
// once: after a Yes later pictures are reduced silently, after a No they are left
// alone. Dropping files on the window starts a new round.
struct PhotoImportSession {
    enum class Resize { NotAsked, Yes, No };
    Resize resize = Resize::NotAsked;
    void reset() { resize = Resize::NotAsked; }
};

struct PhotoLimits {
    int maxSize = 1024;    // the MaxSize setting; −1 for no limit
    bool keepSize = false; // the caller asked to keep the picture's size
    // The current image's mask picture: when it is itself larger than the setting,
    // a large picture joins it without the question.
    const RasterImage* currentMask = nullptr;
};

// Applies the size questions and limits. None when the user cancelled or the
// picture is too small (after the message).
std::optional<RasterImage> preparePhoto(RasterImage picture, const PhotoLimits& limits,
                                        PhotoImportSession& session, Prompter& prompter);

// The mask of a new image: fully shown (255) wherever the photograph has any alpha,
// hidden where it is transparent. Soft edges stay in the picture's own alpha: the
// renderer multiplies alpha by the mask, so a mask copied from alpha would fade them twice.
RasterImage maskFromPhoto(const RasterImage& photo);

// The project image of one photograph, of its size, with the six layers.
std::unique_ptr<ProjectImage> buildPhotoImage(RasterImage photo, std::string name, int duration,
                                              CanvasColour canvas = CanvasColour::Grid);

// The undo label of an import: "Import Subject Image", or "Add " + name + " Image"
// for a name given in brackets ("[Clipboard]" gives "Add Clipboard Image").
std::string importUndoLabel(const std::string& name);

// The name a photograph's layer takes: its file name.
std::string photoLayerName(const std::filesystem::path& file);

// The import of one photograph file as a new image: loaded by its extension, the
// size questions, six layers, the default duration of the settings at `frameRate`.
// Null when the file cannot be read (after the reader's message), the user
// cancelled, or the picture is too small.
struct PhotoFileImport {
    const Settings* settings = nullptr; // MaxSize and the default duration; defaults when null
    int frameRate = 30;
    CanvasColour canvas = CanvasColour::Grid;
    bool keepSize = false;
    const ProjectImage* current = nullptr; // the current image, whose mask may be large
};
std::unique_ptr<ProjectImage> importPhotoFile(const std::filesystem::path& file,
                                              const PhotoFileImport& how,
                                              PhotoImportSession& session, Prompter& prompter);

} // namespace zx
