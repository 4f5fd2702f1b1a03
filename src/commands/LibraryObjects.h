#pragma once
// Library objects on project images: "&Load Object..." adds a library file as a new
// object of the current image's animation (one "Load Object" undo step), and
// "Sa&ve As Object..." saves the image's whole animation as one library object with
// the motion of every frame of the image.

#include "anim/LibraryFile.h"
#include "platform/Status.h"
#include "storage/HistoryStep.h"
#include "storage/Project.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace zx {

class Progress;
class Prompter;
class Workspace;

inline constexpr std::string_view kLoadObjectLabel = "Load Object";
inline constexpr std::string_view kBuildingLibraryStatus = "Building library image...";
inline constexpr std::string_view kWritingLibraryStatus = "Writing library file...";

// Animate-mode steps that put back a whole animation record: `animation` holds the
// image's record before the change (none when it had none) and `extra` the record
// after it, as the little-endian bytes of its words.
inline constexpr int32_t kAnimationRecordStepType = 20;

HistoryStep animationRecordStep(std::string label, int image, bool backgroundSelected,
                                const std::optional<std::vector<uint32_t>>& before,
                                const std::optional<std::vector<uint32_t>>& after);
// Puts the record of `step` (before for undo, after for redo) on its image. False
// for other steps or when the image is gone.
bool applyAnimationRecordStep(Project& project, const HistoryStep& step, bool undo);

// The library names the objects of every image of the project use.
std::vector<std::string> libraryNamesInProject(const Project& project);

// The name a library object is stored under in the project: relative to the
// project's folder when the file lies inside it (the project can then move with its
// libraries), else absolute.
std::string libraryNameForProject(const std::filesystem::path& file,
                                  const std::filesystem::path& projectFolder);

// Loads `file` as a new object of the workspace's current image and records the
// "Load Object" step. The slot; a failure has been told by the loader (the image is
// then unchanged) and its status says which file and why. `options.projectFolder`
// is set from the project.
Result<int> loadObjectIntoCurrentImage(Workspace& workspace, const std::filesystem::path& file,
                                       LibraryLoadOptions options);

struct SaveAnimationOptions {
    Prompter* prompter = nullptr;
    Progress* progress = nullptr; // frames computed; cancelling saves nothing
    // Library objects of the image are read relative to this folder.
    std::filesystem::path projectFolder;
    LibraryRelocations* relocations = nullptr;
};

// The image's animation merged into one library object: every visible object with
// its positions at each frame 0 … duration, the subject picture as thumbnail.
// Returns the path written; a failure has been told, a cancel saves nothing.
Result<std::string> saveImageAnimationAsLibrary(const ProjectImage& image,
                                                const std::filesystem::path& file,
                                                const SaveAnimationOptions& options);

// One object of the image saved alone: its textures, its triangles and the positions
// of its vertices at every frame (a library object keeps its own length). No
// thumbnail entry is written: the object's first texture stands for it.
Result<std::string> saveImageObjectAsLibrary(const ProjectImage& image, int slot,
                                             const std::filesystem::path& file,
                                             const SaveAnimationOptions& options);

// One object of an animation being edited saved alone, as it is in `model` now
// (textures and material names included); the thumbnail entry is cut from
// `thumbnailPicture` when given. The model's current positions are left at the
// object's last frame.
Result<std::string> saveModelObjectAsLibrary(AnimationModel& model, int slot,
                                             const std::filesystem::path& file,
                                             const SaveAnimationOptions& options,
                                             const RasterImage* thumbnailPicture = nullptr);

// The file a library object of the image was loaded from (relative names are taken
// from the project's folder); none for an ordinary object or a missing slot.
std::optional<std::filesystem::path>
imageObjectLibraryFile(const ProjectImage& image, int slot,
                       const std::filesystem::path& projectFolder);

// How many objects the image's animation holds (0 without one).
int imageObjectCount(const ProjectImage& image);

inline constexpr std::string_view kSaveWholeQuestion =
    "Save the whole animation as one object?\n(No saves the selected object only.)";
// What "Sa&ve As Object..." saves: −1 for the whole animation, else a slot; none
// when the user cancelled. An image whose one object is a library object (one opened
// by "Edit Library") saves that object; with several objects and one selected, the
// user is asked.
std::optional<int> chooseObjectToSave(const ProjectImage& image, int selected, Prompter& prompter);

} // namespace zx
