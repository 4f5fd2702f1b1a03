#include "commands/LibraryEditing.h"

#include "anim/AnimationModel.h"
#include "anim/AnimationRecord.h"
#include "commands/ImageSnapshot.h"
#include "commands/LibraryObjects.h"
#include "commands/Workspace.h"
#include "storage/PhotoImport.h"

#include <algorithm>

namespace zx {

namespace fs = std::filesystem;

std::optional<RasterImage> libraryEditPicture(const LibraryObjectData& library) {
    const int w = library.width, h = library.height;
    if (w <= 0 || h <= 0 || w > kMaxImageSide * 2 || h > kMaxImageSide * 2) return std::nullopt;
    for (const auto& texture : library.textures)
        if (texture && !texture->isDescriptor() && texture->width() == w && texture->height() == h)
            return *texture;
    return RasterImage(w, h);
}

namespace {

// The new image: the picture, the library's length, the one object's record.
std::unique_ptr<ProjectImage> libraryImage(const AnimationModel& model, RasterImage picture,
                                           const fs::path& file, CanvasColour canvas) {
    const LibraryObjectData& library = *model.object(0).library;
    auto image = buildPhotoImage(std::move(picture), file.filename().string(),
                                 std::max(1, library.lastFrame), canvas);
    image->animation = writeAnimationRecord(model);
    image->setCurrentFrame(0);
    return image;
}

} // namespace

Result<int> openLibraryForEditing(Workspace& workspace, const fs::path& file,
                                  LibraryLoadOptions options) {
    Project& project = workspace.project();
    options.projectFolder = project.folder;
    options.recordUndo = nullptr; // the new image is the step
    if (!options.prompter) options.prompter = &workspace.prompter();

    AnimationModel model;
    const std::string name = libraryNameForProject(file, project.folder);
    if (loadLibraryObject(model, name, LibraryLoadMode::NewObject, -1, options) != 0)
        return Status::failed({}, file.string() + ": the library object was not loaded");
    auto picture = libraryEditPicture(*model.object(0).library);
    if (!picture) {
        options.prompter->message(LibraryMessage::Corrupted);
        return Status::failed({}, file.string() + ": the library object has no usable size");
    }
    model.startWidth = picture->width();
    model.startHeight = picture->height();
    model.selectedObject = 0;

    if (!workspace.switchMode(AnimationMode::ImageEdit)) return Status::cancelled();
    const int index =
        project.images.append(libraryImage(model, std::move(*picture), file, project.canvasColour));
    workspace.selectImage(index, false, false);
    HistoryStep step = HistoryStep::projectStep(StepKind::Project, StepType::AddImage,
                                                kEditLibraryLabel, workspace.mode(), index, false);
    step.indexWord = index;
    step.duration = project.images[index].duration();
    step.payload = step_payload::ImageSnapshot{snapshotImage(project.images[index])};
    workspace.record(std::move(step));
    workspace.switchMode(AnimationMode::Animate);
    return index;
}

} // namespace zx
