#include "storage/ProjectFile.h"

#include "platform/Prompter.h"
#include "platform/Text.h"
#include "storage/ChunkStream.h"
#include "storage/FourCC.h"
#include "storage/GzContainer.h"
#include "storage/PackedImage.h"
#include "storage/RunLengthImage.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <system_error>

namespace zx {

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kTagHeader = fourCC("_ZXP");
constexpr uint32_t kTagTimeline = fourCC("TIML");
constexpr uint32_t kTagImageEdit = fourCC("KEYF");
constexpr uint32_t kTagSelection = fourCC("MARQ");
constexpr uint32_t kTagTool = fourCC("TOOL");
constexpr uint32_t kTagAlign = fourCC("ALIG");
constexpr uint32_t kTagImage = fourCC("GRPH");
constexpr uint32_t kTagAnimation = fourCC("GVRX");
constexpr uint32_t kTagAnimationEnd = fourCC("GWRP");
constexpr uint32_t kTagLayerName = fourCC("LNAM");
constexpr uint32_t kTagLayerParams = fourCC("LPAR");
constexpr uint32_t kTagPicture = fourCC("LORI");
constexpr uint32_t kTagMask = fourCC("LCAL");
constexpr uint32_t kTagOldLayer = fourCC("LCGR");
constexpr uint32_t kTagImageEnd = fourCC("GEND");
constexpr uint32_t kTagCamera = fourCC("VTAG");
constexpr uint32_t kTagEnd = fourCC("_END");

constexpr size_t kMiddleHeaderSize = 80;
constexpr size_t kAlignWords = 9;
constexpr size_t kCameraRecordWords = 8;

// No image may be larger than 4096 on a side, so a stored layer picture is never
// much larger; anything beyond this is damage, refused before it is decoded.
constexpr int kMaxStoredSide = 8192;

template <size_t N> void readWords(std::span<const uint8_t> payload, std::array<int32_t, N>& out) {
    // A short payload fills what it holds; the rest keep their values.
    ByteReader r(payload);
    for (size_t i = 0; i < N && r.has(4); ++i) out[i] = r.i32();
}

template <size_t N>
void writeWords(ChunkWriter& w, uint32_t tag, const std::array<int32_t, N>& in) {
    size_t mark = w.begin(tag);
    for (int32_t v : in) w.out().i32(v);
    w.end(mark);
}

class Loader {
public:
    Loader(Prompter& prompter, const ProjectLoadOptions& options)
        : prompter_(prompter), project_(std::make_unique<Project>()) {
        if (const Project* open = options.open) {
            Project& p = *project_;
            p.movieWidth = open->movieWidth;
            p.movieHeight = open->movieHeight;
            p.fps = open->fps;
            p.canvasColour = open->canvasColour;
            p.zoom = open->zoom;
            p.movieWords = open->movieWords;
            p.timelineWords = open->timelineWords;
            p.imageEditWords = open->imageEditWords;
            p.selectionWords = open->selectionWords;
            p.toolWords = open->toolWords;
            p.alignWords = open->alignWords;
        }
    }

    std::unique_ptr<Project> run(std::span<const uint8_t> data, ProjectLoadError& error) {
        ChunkReader chunks(data);
        bool first = true;
        for (;;) {
            std::optional<Chunk> c = chunks.next();
            if (!c) {
                // The data ended (or a chunk ran past it) before "_END".
                error = ProjectLoadError::Corrupt;
                return nullptr;
            }
            // Nothing can be checked in a stream that does not start with its header.
            if (first && c->tag != kTagHeader) {
                error =
                    c->tag == kTagEnd || known(c->tag) ? ProjectLoadError::Corrupt : unknownTag();
                return nullptr;
            }
            first = false;
            if (c->tag == kTagEnd) break;
            error = handle(*c);
            if (error != ProjectLoadError::None) return nullptr;
        }
        // An image must be closed by its "GEND".
        if (image_) {
            error = ProjectLoadError::Corrupt;
            return nullptr;
        }
        Project& p = *project_;
        int last = p.images.lastIndex();
        p.currentImage = p.images.empty() ? -1 : std::clamp(headerCurrent_, -1, last);
        error = ProjectLoadError::None;
        return std::move(project_);
    }

private:
    static bool known(uint32_t tag) {
        for (uint32_t t :
             {kTagHeader, kTagTimeline, kTagImageEdit, kTagSelection, kTagTool, kTagAlign,
              kTagImage, kTagAnimation, kTagAnimationEnd, kTagLayerName, kTagLayerParams,
              kTagPicture, kTagMask, kTagOldLayer, kTagImageEnd, kTagCamera, kTagEnd})
            if (t == tag) return true;
        return false;
    }

    ProjectLoadError unknownTag() {
        prompter_.message(kInvalidProjectFormatMessage);
        return ProjectLoadError::UnknownTag;
    }

    ProjectLoadError handle(const Chunk& c) {
        switch (c.tag) {
        case kTagHeader:
            return readHeader(c.payload);
        case kTagTimeline:
            readWords(c.payload, project_->timelineWords.words);
            return ProjectLoadError::None;
        case kTagImageEdit:
            readWords(c.payload, project_->imageEditWords.words);
            return ProjectLoadError::None;
        case kTagSelection:
            readWords(c.payload, project_->selectionWords.words);
            return ProjectLoadError::None;
        case kTagTool: {
            ToolWords& t = project_->toolWords;
            readWords(c.payload, t.words);
            t.companions = {t[ToolWords::FirstPaired], t[ToolWords::SecondPaired]};
            return ProjectLoadError::None;
        }
        case kTagAlign: {
            std::array<int32_t, kAlignWords> w{project_->alignWords.a1};
            w[kAlignWords - 1] = project_->alignWords.a2;
            readWords(c.payload, w);
            project_->alignWords = {w[0], w[kAlignWords - 1]};
            return ProjectLoadError::None;
        }
        case kTagImage:
            return startImage(c.payload);
        case kTagAnimation:
            return readAnimation(c.payload);
        case kTagLayerName:
            if (!image_) return ProjectLoadError::Corrupt;
            ++layerCounter_;
            layerName_.assign(reinterpret_cast<const char*>(c.payload.data()), c.payload.size());
            return ProjectLoadError::None;
        case kTagLayerParams:
            return readLayerParams(c.payload);
        case kTagPicture:
            return readPicture(c.payload);
        case kTagMask:
            return readMask(c.payload);
        case kTagImageEnd:
            return endImage();
        case kTagCamera:
            return readCamera(c.payload);
        case kTagAnimationEnd:
        case kTagOldLayer:
            return ProjectLoadError::None;
        default:
            return unknownTag();
        }
    }

    ProjectLoadError readHeader(std::span<const uint8_t> payload) {
        // Fields 1–15 are in every header this program ever wrote; the 64-byte header
        // holds one more word that is not read.
        if (payload.size() < 60) return ProjectLoadError::Corrupt;
        ByteReader r(payload);
        if (r.i32() != kProjectVersion) return ProjectLoadError::Version;
        Project& p = *project_;
        (void)r.i32(); // the image count: the images themselves say how many there are
        headerCurrent_ = r.i32();
        // Values outside their ranges would reach divisions and buffer sizes later.
        p.movieWidth = std::clamp(r.i32(), kMinMovieSide, kMaxMovieSide);
        p.movieHeight = std::clamp(r.i32(), kMinMovieSide, kMaxMovieSide);
        p.fps = std::clamp(r.i32(), 1, 100);
        int32_t mode = r.i32();
        p.mode = mode >= 0 && mode <= int32_t(AnimationMode::Creator3D) ? AnimationMode(mode)
                                                                        : AnimationMode::ImageEdit;
        int32_t canvas = r.i32();
        p.canvasColour = canvas >= -1 && canvas <= 3 ? CanvasColour(canvas) : CanvasColour::Grid;
        p.zoom = r.i32();
        MoviePanelWords& m = p.movieWords;
        for (int i = MoviePanelWords::LightShading; i <= MoviePanelWords::MouseModes; ++i)
            m[i] = r.i32();
        if (payload.size() < kMiddleHeaderSize) return ProjectLoadError::None;
        for (int i = MoviePanelWords::LightTurn; i <= MoviePanelWords::Reserved10; ++i)
            m[i] = r.i32();
        m[MoviePanelWords::Reserved11] = payload.size() < kHeaderSize ? 0 : r.i32();
        return ProjectLoadError::None;
    }

    ProjectLoadError startImage(std::span<const uint8_t> payload) {
        // An image left open by a missing "GEND" means the stream is damaged.
        if (image_ || payload.size() < 4) return ProjectLoadError::Corrupt;
        image_ = std::make_unique<ProjectImage>();
        image_->canvasColour = project_->canvasColour;
        ByteReader r(payload);
        image_->setDuration(r.i32());
        layerCounter_ = 0;
        return ProjectLoadError::None;
    }

    ProjectLoadError readAnimation(std::span<const uint8_t> payload) {
        if (!image_ || payload.size() < 4 || payload.size() % 4 != 0)
            return ProjectLoadError::Corrupt;
        std::vector<uint32_t> words(payload.size() / 4);
        std::memcpy(words.data(), payload.data(), payload.size());
        if (uint64_t(words[0]) + 1 > words.size()) return ProjectLoadError::Corrupt;
        image_->animation = std::move(words);
        return ProjectLoadError::None;
    }

    ProjectLoadError readLayerParams(std::span<const uint8_t> payload) {
        if (!image_ || payload.size() < 16) return ProjectLoadError::Corrupt;
        ByteReader r(payload);
        int32_t kind = r.i32();
        int32_t wordA = r.i32();
        int32_t opacity = r.i32();
        int32_t role = r.i32();
        ImageLayer layer;
        switch (kind) {
        case int32_t(LayerKind::Picture):
            layer.name = layerName_;
            layer.opacity = std::clamp(opacity, 0, 255);
            layer.role = role;
            break;
        case int32_t(LayerKind::Mask):
            layer.name = kMaskLayerName;
            break;
        case int32_t(LayerKind::Animation):
            break;
        default:
            prompter_.message(kInvalidLayerFormatMessage);
            return ProjectLoadError::None;
        }
        layer.kind = LayerKind(kind);
        layer.wordA = wordA;
        // Offsets and the placement flag are not stored: a loaded layer sits at 0, 0.
        layer.offsetX = layer.offsetY = 0;
        layer.placementFlag = 0;
        image_->placeLayer(layerCounter_, std::move(layer));
        return ProjectLoadError::None;
    }

    static bool plausibleSize(int w, int h) {
        return w > 0 && h > 0 && w <= kMaxStoredSide && h <= kMaxStoredSide;
    }

    ProjectLoadError readPicture(std::span<const uint8_t> payload) {
        if (!image_ || payload.size() < 8) return ProjectLoadError::Corrupt;
        ByteReader r(payload);
        int w = r.u16();
        int h = r.u16() & 0x7FFF;
        int32_t length = r.i32();
        if (!plausibleSize(w, h) || length < 0 || size_t(length) > payload.size() - 8)
            return ProjectLoadError::Corrupt;
        // Every 16 × 16 block takes at least its type byte.
        size_t blocks = size_t((w + 15) / 16) * size_t((h + 15) / 16);
        if (size_t(length) < blocks) return ProjectLoadError::Corrupt;
        std::optional<RasterImage> picture = unpackImage(payload);
        if (!picture || picture->width() != w || picture->height() != h)
            return ProjectLoadError::Corrupt;
        image_->setLayerPicture(layerCounter_, std::move(picture));
        return ProjectLoadError::None;
    }

    ProjectLoadError readMask(std::span<const uint8_t> payload) {
        if (!image_ || payload.size() < 8 || payload.size() % 4 != 0)
            return ProjectLoadError::Corrupt;
        std::vector<uint32_t> words(payload.size() / 4);
        std::memcpy(words.data(), payload.data(), payload.size());
        int w = int32_t(words[0]), h = int32_t(words[1]);
        if (!plausibleSize(w, h)) return ProjectLoadError::Corrupt;
        // A run token (two words) stands for at most 65535 words.
        if (uint64_t(w) * uint64_t(h) > uint64_t(words.size() - 2) * 32768)
            return ProjectLoadError::Corrupt;
        std::optional<RasterImage> mask = decodeRunLength(words);
        if (!mask || mask->width() != w || mask->height() != h) return ProjectLoadError::Corrupt;
        image_->setLayerPicture(layerCounter_, std::move(mask));
        return ProjectLoadError::None;
    }

    ProjectLoadError endImage() {
        if (!image_) return ProjectLoadError::Corrupt;
        // An oversized image is told about and kept with its layers as they are.
        image_->normaliseLayerSizes(prompter_);
        image_->markLayerChanged(0);
        project_->currentImage = project_->images.append(std::move(image_));
        return ProjectLoadError::None;
    }

    ProjectLoadError readCamera(std::span<const uint8_t> payload) {
        if (payload.empty()) return ProjectLoadError::None;
        ByteReader r(payload);
        uint32_t count = r.u32();
        if (!r.ok() || uint64_t(count) * kCameraRecordWords * 4 > r.remaining())
            return ProjectLoadError::Corrupt;
        CameraValueBlock block(count);
        for (CameraValues& v : block) {
            v.tagBits = r.i32();
            v.lookX = r.f32();
            v.lookY = r.f32();
            v.zoom = r.f32();
            v.turn = r.f32();
            v.tilt = r.f32();
            v.distance = r.f32();
            v.reserved = r.i32();
        }
        Project& p = *project_;
        p.cameraValues = block;
        HistoryStep step = HistoryStep::projectStep(StepKind::Project, StepType::LoadVideoData,
                                                    kLoadVideoDataLabel, AnimationMode::None,
                                                    p.currentImage, false);
        step.payload = step_payload::CameraBlock{std::move(block)};
        p.history.record(std::move(step), p.historyContext());
        return ProjectLoadError::None;
    }

    Prompter& prompter_;
    std::unique_ptr<Project> project_;
    std::unique_ptr<ProjectImage> image_;
    int layerCounter_ = 0;
    std::string layerName_;
    int headerCurrent_ = -1;
};

void writeHeader(ChunkWriter& w, const Project& p) {
    size_t mark = w.begin(kTagHeader);
    ByteWriter& o = w.out();
    o.i32(kProjectVersion);
    o.i32(p.imageCount());
    o.i32(p.currentImage);
    o.i32(p.movieWidth);
    o.i32(p.movieHeight);
    o.i32(p.fps);
    o.i32(int32_t(p.mode));
    o.i32(int32_t(p.canvasColour));
    o.i32(p.zoom);
    for (int32_t v : p.movieWords.words) o.i32(v);
    w.end(mark);
}

bool writeLayer(ChunkWriter& w, const ImageLayer& layer) {
    w.chunk(kTagLayerName,
            std::span(reinterpret_cast<const uint8_t*>(layer.name.data()), layer.name.size()));
    size_t mark = w.begin(kTagLayerParams);
    ByteWriter& o = w.out();
    o.i32(int32_t(layer.kind));
    o.i32(layer.wordA);
    o.i32(layer.opacity);
    o.i32(layer.role);
    o.zeros(16);
    w.end(mark);

    const RasterImage* picture = layer.picture();
    if (!picture || picture->empty() || layer.kind == LayerKind::Animation) return true;
    if (layer.kind == LayerKind::Picture) {
        std::optional<PackedImage> packed =
            packImage(*picture, {.allowTransparentBlocks = true, .padToWords = true});
        // A picture that cannot be coded would be lost without a word: fail the save.
        if (!packed) return false;
        w.chunk(kTagPicture, packed->bytes);
    } else {
        w.words(kTagMask, encodeRunLength(*picture).words);
    }
    return true;
}

void writeCamera(ChunkWriter& w, const CameraValueBlock& block) {
    size_t mark = w.begin(kTagCamera);
    ByteWriter& o = w.out();
    o.u32(uint32_t(block.size()));
    for (const CameraValues& v : block) {
        o.i32(v.tagBits);
        o.f32(v.lookX);
        o.f32(v.lookY);
        o.f32(v.zoom);
        o.f32(v.turn);
        o.f32(v.tilt);
        o.f32(v.distance);
        o.i32(v.reserved);
    }
    o.i32(0);
    w.end(mark);
}

fs::path normalFolder(const fs::path& folder) {
    if (folder.empty()) return {};
    std::error_code ec;
    fs::path abs = fs::absolute(folder, ec);
    return (ec ? folder : abs).lexically_normal();
}

} // namespace

std::unique_ptr<Project> parseProject(std::span<const uint8_t> chunks, Prompter& prompter,
                                      const ProjectLoadOptions& options, ProjectLoadError* error) {
    ProjectLoadError e = ProjectLoadError::None;
    Loader loader(prompter, options);
    std::unique_ptr<Project> p = loader.run(chunks, e);
    if (error) *error = e;
    return p;
}

std::unique_ptr<Project> loadProject(const fs::path& path, Prompter& prompter,
                                     const ProjectLoadOptions& options, ProjectLoadError* error) {
    ContainerContent content = readGzContainer(path, kProjectMagic);
    if (content.status != ContainerStatus::Ok) {
        if (error) *error = ProjectLoadError::Container;
        return nullptr;
    }
    std::unique_ptr<Project> p = parseProject(content.data, prompter, options, error);
    if (!p) return nullptr;
    p->setLocation(path);
    p->modified = false;
    return p;
}

std::optional<std::vector<uint8_t>>
buildProjectChunks(const Project& p,
                   std::span<const std::optional<std::vector<uint32_t>>> animation) {
    ChunkWriter w;
    writeHeader(w, p);
    writeWords(w, kTagTimeline, p.timelineWords.words);
    writeWords(w, kTagImageEdit, p.imageEditWords.words);
    writeWords(w, kTagSelection, p.selectionWords.words);
    writeWords(w, kTagTool, p.toolWords.words);
    std::array<int32_t, kAlignWords> align{};
    align[0] = p.alignWords.a1;
    align[kAlignWords - 1] = p.alignWords.a2;
    writeWords(w, kTagAlign, align);

    for (int i = 0; i < p.imageCount(); ++i) {
        const ProjectImage& image = p.images[i];
        size_t mark = w.begin(kTagImage);
        w.out().i32(image.duration());
        w.end(mark);
        const std::vector<uint32_t>* record = image.animation ? &*image.animation : nullptr;
        if (size_t(i) < animation.size() && animation[size_t(i)]) record = &*animation[size_t(i)];
        if (record) {
            w.words(kTagAnimation, *record);
            mark = w.begin(kTagAnimationEnd);
            w.out().i32(0);
            w.end(mark);
        }
        for (int l = 1; l < image.layerCount(); ++l)
            if (!writeLayer(w, *image.layer(l))) return std::nullopt;
        w.chunk(kTagImageEnd, {});
    }
    if (p.cameraValues) writeCamera(w, *p.cameraValues);
    w.chunk(kTagEnd, {});
    return w.take();
}

namespace {

bool writable(const fs::path& path) {
    std::error_code ec;
    return (fs::status(path, ec).permissions() & fs::perms::owner_write) != fs::perms::none;
}

// The line under the save message: the file and why it could not be written.
std::string saveFailureDetail(const fs::path& path) {
    std::error_code ec;
    const fs::path folder = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    const std::string name = path.string() + ": ";
    if (!fs::is_directory(folder, ec)) return name + "the folder does not exist";
    if (fs::is_directory(path, ec)) return name + "a folder of that name is in the way";
    if (fs::exists(path, ec) && !writable(path)) return name + "the file is read-only";
    if (!writable(folder)) return name + "the folder is read-only";
    return name + "the file could not be written (is the disk full?)";
}

// The line under the open message: the file and why it is no project.
std::string openFailureDetail(const fs::path& path) {
    std::error_code ec;
    const std::string name = path.string() + ": ";
    if (!fs::exists(path, ec)) return name + "there is no such file";
    if (fs::is_directory(path, ec)) return name + "this is a folder";
    if (!std::ifstream(path, std::ios::binary)) return name + "the file cannot be read";
    return name + "the file is not a project, or its contents are damaged";
}

} // namespace

Status saveProject(Project& project, const fs::path& path, Prompter& prompter,
                   const ProjectSaveOptions& options) {
    fs::path oldFolder = normalFolder(project.folder);
    fs::path newFolder =
        normalFolder(path.parent_path().empty() ? fs::path(".") : path.parent_path());
    // Records are re-encoded for the new folder but only take effect once the file
    // is written: a failed save leaves the project as it was.
    std::vector<std::optional<std::vector<uint32_t>>> reencoded;
    if (options.reencode && oldFolder != newFolder) {
        reencoded.resize(size_t(project.imageCount()));
        for (int i = 0; i < project.imageCount(); ++i) {
            const ProjectImage& image = project.images[i];
            if (image.animation)
                reencoded[size_t(i)] = options.reencode(*image.animation, oldFolder, newFolder);
        }
    }
    std::optional<std::vector<uint8_t>> chunks = buildProjectChunks(project, reencoded);
    if (!chunks || !writeGzContainer(path, kProjectMagic, *chunks)) {
        Status failed = Status::failed(std::string(kSaveFailedMessage), saveFailureDetail(path));
        prompter.message(failed.fullText());
        return failed;
    }
    for (size_t i = 0; i < reencoded.size(); ++i)
        if (reencoded[i]) project.images[int(i)].animation = std::move(reencoded[i]);
    project.setLocation(path);
    project.modified = false;
    return Status::ok();
}

OpenRoute routeOpen(const fs::path& path) {
    std::string ext = lowerExtension(path);
    if (ext == "zxp") return {true, {}};
    if (ext == "jpg" || ext == "jpeg" || ext == "png")
        return {false, std::string(kOpenImageMessage)};
    if (ext == "zxl") return {false, std::string(kOpenLibraryMessage)};
    return {false, std::string(kUnsupportedExtensionMessage)};
}

Result<std::unique_ptr<Project>> openProjectDocument(const fs::path& path, Prompter& prompter,
                                                     const Project* open) {
    OpenRoute route = routeOpen(path);
    if (!route.loadProject) {
        prompter.message(route.message);
        return Status::refused(route.message, path.string());
    }
    std::unique_ptr<Project> p = loadProject(path, prompter, {.open = open});
    if (p) return p;
    Status failed = Status::failed(std::string(kNotAProjectMessage), openFailureDetail(path));
    prompter.message(failed.fullText());
    return failed;
}

std::optional<std::string> saveExtensionError(const fs::path& path) {
    if (lowerExtension(path) == kProjectExtension) return std::nullopt;
    return std::string(kSaveExtensionMessage);
}

Status saveProjectDocument(Project& project, const fs::path& path, Prompter& prompter,
                           const ProjectSaveOptions& options) {
    if (auto error = saveExtensionError(path)) {
        prompter.message(*error);
        return Status::refused(*error, path.string());
    }
    return saveProject(project, path, prompter, options);
}

std::string defaultSaveName(const Project& project) {
    if (const ProjectImage* first = project.images.at(0)) {
        if (const ImageLayer* subject = first->layer(kSubjectLayer)) {
            const std::string& name = subject->name;
            if (!name.empty() && name[0] != '[') return fs::path(name).stem().string();
        }
    }
    std::string title = project.title.empty() ? std::string("Untitled") : project.title;
    // The characters a file name cannot take here, and those that would read as a
    // second name.
    size_t cut = title.find_first_of("*#%;/\\ ");
    if (cut != std::string::npos) title.erase(cut);
    return title;
}

} // namespace zx
