#include "commands/LibraryObjects.h"

#include "anim/AnimationModel.h"
#include "anim/AnimationRecord.h"
#include "anim/Deformation.h"
#include "commands/Workspace.h"
#include "platform/Progress.h"
#include "platform/Prompter.h"
#include "render/ImageScene.h"
#include "storage/Binary.h"

#include <algorithm>
#include <map>

namespace zx {

namespace fs = std::filesystem;

HistoryStep animationRecordStep(std::string label, int image, bool backgroundSelected,
                                const std::optional<std::vector<uint32_t>>& before,
                                const std::optional<std::vector<uint32_t>>& after) {
    HistoryStep s = HistoryStep::panelStep(AnimationMode::Animate, std::move(label), image,
                                           backgroundSelected, 0, kAnimationRecordStepType);
    s.animation = before;
    s.payload = step_payload::RecordAfter{after};
    return s;
}

bool applyAnimationRecordStep(Project& project, const HistoryStep& step, bool undo) {
    if (step.kind != StepKind::Animate || step.type != kAnimationRecordStepType) return false;
    const int index = History::targetImage(step, project.imageCount());
    ProjectImage* image = project.images.at(index);
    if (!image) return false;
    const auto* recordAfter = step.payloadAs<step_payload::RecordAfter>();
    if (!undo && !recordAfter) return false;
    image->animation = undo ? step.animation : recordAfter->words;
    return true;
}

std::vector<std::string> libraryNamesInProject(const Project& project) {
    std::vector<std::string> names;
    for (int i = 0; i < project.imageCount(); ++i) {
        const ProjectImage* image = project.images.at(i);
        if (!image || !image->animation) continue;
        AnimationModel model;
        RecordReadOptions read;
        read.forRewrite = true; // names only: the files are not opened
        readAnimationRecord(model, *image->animation, read);
        for (int s = 0; s < model.objectCount; ++s)
            if (model.object(s).isLibrary() && !model.object(s).name.empty())
                names.push_back(model.object(s).name);
    }
    return names;
}

std::string libraryNameForProject(const fs::path& file, const fs::path& projectFolder) {
    std::error_code ec;
    const fs::path abs = fs::weakly_canonical(fs::absolute(file, ec), ec);
    if (projectFolder.empty()) return abs.string();
    const fs::path folder = fs::weakly_canonical(fs::absolute(projectFolder, ec), ec);
    const fs::path rel = abs.lexically_relative(folder);
    if (rel.empty() || rel.is_absolute() || *rel.begin() == "..") return abs.string();
    return rel.generic_string();
}

Result<int> loadObjectIntoCurrentImage(Workspace& workspace, const fs::path& file,
                                       LibraryLoadOptions options) {
    Project& project = workspace.project();
    ProjectImage* image = workspace.currentImage();
    if (!image || !workspace.hasSelectedImage())
        return Status::refused({}, "no image is selected to take the object");
    options.projectFolder = project.folder;
    if (!options.prompter) options.prompter = &workspace.prompter();

    AnimationModel model;
    // The image's objects keep their words as stored; only the new object is read
    // from its file.
    RecordReadOptions read;
    read.prompter = options.prompter;
    read.forRewrite = true;
    if (image->animation && !image->animation->empty() &&
        !readAnimationRecord(model, *image->animation, read))
        return Status::failed({}, "the image's animation is damaged and is not rewritten over");
    model.startWidth = image->width();
    model.startHeight = image->height();

    options.recordUndo = nullptr; // the step is recorded below, with both records
    const std::string name = libraryNameForProject(file, project.folder);
    const int slot = loadLibraryObject(model, name, LibraryLoadMode::NewObject, -1, options);
    if (slot < 0) return Status::failed({}, file.string() + ": the object was not loaded");
    const std::optional<std::vector<uint32_t>> before = image->animation;
    image->animation = writeAnimationRecord(model);
    workspace.record(animationRecordStep(std::string(kLoadObjectLabel), project.currentImage,
                                         workspace.backgroundSelected(), before, image->animation));
    return slot;
}

namespace {

// Every frame's positions of `slots`, frames 0 … last of the image's time (a library
// object saved alone keeps its own length). A frame is computed whole: the
// deformation of one object may follow others (bindings).
using FramePositions = std::map<int, std::vector<std::vector<Vec3>>>;

Status computeFrames(AnimationModel& model, std::span<const int> slots, int last,
                     const SaveAnimationOptions& options, FramePositions& frames) {
    if (options.progress) options.progress->setTitle(kBuildingLibraryStatus);
    SilentPrompter silent;
    Prompter& prompter = options.prompter ? *options.prompter : silent;
    const int imageLast = std::max(1, model.lastFrameIndex);
    for (int f = 0; f <= last; ++f) {
        if (options.progress) {
            if (options.progress->cancelled()) return Status::cancelled();
            options.progress->setPosition(f, last + 1);
        }
        computeFrame(model, double(f) / imageLast, prompter);
        for (int s : slots) {
            const AnimObject& o = model.object(s);
            const int n = std::clamp(o.vertexCount, 0, int(o.points.size()));
            std::vector<Vec3> positions(static_cast<size_t>(n));
            for (int i = 0; i < n; ++i) positions[size_t(i)] = o.points[size_t(i)].current;
            frames[s].push_back(std::move(positions));
        }
    }
    return Status::ok();
}

// Saves the objects of `slots` of a loaded model (the whole animation, or one object
// with -1 slot).
Result<std::string> saveModelObjects(AnimationModel& model, int slot, const fs::path& file,
                                     const SaveAnimationOptions& options,
                                     const RasterImage* thumbnailPicture) {
    const bool whole = slot < 0;
    if (!whole && slot >= model.objectCount)
        return Status::refused({}, "the image has no object " + std::to_string(slot));
    std::vector<int> slots;
    for (int s = 0; s < model.objectCount; ++s)
        if (whole ? !model.object(s).hidden : s == slot) slots.push_back(s);
    const int last = whole || !model.object(slot).isLibrary()
                         ? std::max(0, model.lastFrameIndex)
                         : std::max(0, model.object(slot).ownLastFrame);
    FramePositions frames;
    if (Status s = computeFrames(model, slots, last, options, frames); !s) return s;

    LibrarySaveOptions save;
    save.prompter = options.prompter;
    save.thumbnailPicture = thumbnailPicture;
    save.framePositions = [&frames](int s, int frame) {
        auto it = frames.find(s);
        if (it == frames.end() || size_t(frame) >= it->second.size()) return std::vector<Vec3>{};
        return it->second[size_t(frame)];
    };
    const std::string saved = whole ? saveAnimationAsLibrary(model, file, save)
                                    : saveObjectAsLibrary(model, slot, file, save);
    if (saved.empty())
        return Status::failed({}, file.string() + ": the library file was not written");
    if (options.prompter) options.prompter->status(kReadyStatus);
    return saved;
}

Result<std::string> saveImageObjects(const ProjectImage& image, int slot, const fs::path& file,
                                     const SaveAnimationOptions& options) {
    if (options.prompter) options.prompter->status(kBuildingLibraryStatus);
    AnimationModel model;
    LibraryLoadOptions library;
    library.prompter = options.prompter;
    library.projectFolder = options.projectFolder;
    library.relocations = options.relocations;
    if (Status loaded = loadImageScene(image, model, library); !loaded) return loaded;
    return saveModelObjects(model, slot, file, options, image.layerPicture(kSubjectLayer));
}

} // namespace

Result<std::string> saveImageAnimationAsLibrary(const ProjectImage& image, const fs::path& file,
                                                const SaveAnimationOptions& options) {
    return saveImageObjects(image, -1, file, options);
}

Result<std::string> saveModelObjectAsLibrary(AnimationModel& model, int slot, const fs::path& file,
                                             const SaveAnimationOptions& options,
                                             const RasterImage* thumbnailPicture) {
    if (slot < 0) return Status::refused({}, "no object is selected");
    if (options.prompter) options.prompter->status(kBuildingLibraryStatus);
    return saveModelObjects(model, slot, file, options, thumbnailPicture);
}

Result<std::string> saveImageObjectAsLibrary(const ProjectImage& image, int slot,
                                             const fs::path& file,
                                             const SaveAnimationOptions& options) {
    if (slot < 0) return Status::refused({}, "no object is selected");
    return saveImageObjects(image, slot, file, options);
}

namespace {

// The image's objects as stored, without opening their library files.
AnimationModel storedObjects(const ProjectImage& image) {
    AnimationModel model;
    if (!image.animation || image.animation->empty()) return model;
    RecordReadOptions read;
    read.forRewrite = true;
    readAnimationRecord(model, *image.animation, read);
    return model;
}

} // namespace

std::optional<fs::path> imageObjectLibraryFile(const ProjectImage& image, int slot,
                                               const fs::path& projectFolder) {
    const AnimationModel model = storedObjects(image);
    if (slot < 0 || slot >= model.objectCount) return std::nullopt;
    const AnimObject& o = model.object(slot);
    if (!o.isLibrary() || o.name.empty()) return std::nullopt;
    const fs::path stored{o.name};
    return stored.is_absolute() || projectFolder.empty() ? stored : projectFolder / stored;
}

int imageObjectCount(const ProjectImage& image) {
    return storedObjects(image).objectCount;
}

std::optional<int> chooseObjectToSave(const ProjectImage& image, int selected, Prompter& prompter) {
    const AnimationModel model = storedObjects(image);
    if (model.objectCount == 1 && model.object(0).isLibrary()) return 0;
    if (model.objectCount < 2 || selected < 0 || selected >= model.objectCount) return -1;
    switch (prompter.ask(kSaveWholeQuestion, Buttons::YesNoCancel)) {
    case Answer::Yes:
        return -1;
    case Answer::No:
        return selected;
    default:
        return std::nullopt;
    }
}

} // namespace zx
