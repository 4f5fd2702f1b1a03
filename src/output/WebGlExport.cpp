#include "output/WebGlExport.h"

#include "output/WebGlAtlas.h"
#include "output/WebGlExportScene.h"

#include "platform/Prompter.h"
#include "platform/SafeFile.h"
#include "render/FramePasses.h"
#include "render/ImageScene.h"
#include "render/ObjectDrawing.h"
#include "render/ProjectFrame.h"
#include "render/ProjectVertices.h"
#include "storage/ImageFile.h"
#include "storage/Project.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <span>

namespace zx {

namespace fs = std::filesystem;

namespace {

constexpr const char* kTooManyObjects =
    "Too many objects (max = 64).\nConsider saving the scenery as a single library object";
constexpr const char* kTooManyVertices = "Too many vertices (max = 65536) for WebGL";
constexpr const char* kVideoTextures =
    "This scenery uses video textures...\nThis is not supported.\nConsider switching to "
    "\"Movie\" mode and publishing a video";
constexpr const char* kTrajectoryTooBig =
    "WARNING: Trajectory size too big, this may lead to Javascript error";
constexpr const char* kVerticesAfterProcessing =
    "Fatal Error: Vertices count after processing exceeds 65536, this is not supported by WebGL";
constexpr const char* kNothingToPublish = "Nothing to publish!!!";
constexpr const char* kTextureFile = "zxwebgl_tex.png";
constexpr int kThumbnailWidth = 160, kThumbnailHeight = 120;
constexpr int kThumbnailJpegLevel = 2;

// A triangle of the object is drawn from a video texture, which a page cannot play.
bool usesVideoTexture(const AnimObject& o) {
    return std::any_of(o.triangles.begin(), o.triangles.end(), [&](const MeshTriangle& t) {
        const RasterImage* entry = t.flags >= 0 ? libraryTextureEntry(o, t.material) : nullptr;
        return entry && entry->isDescriptor();
    });
}

Status refuse(Prompter* prompter, const char* message) {
    if (prompter) prompter->message(message);
    return Status::refused(message);
}

Status fail(Prompter* prompter, const std::string& message, const std::string& detail = {}) {
    if (prompter) prompter->message(message);
    return Status::failed(message, detail);
}

void status(Prompter* prompter, const std::string& text) {
    if (prompter) prompter->status(text);
}

std::string base64(const std::vector<uint8_t>& bytes) {
    static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const uint32_t n = uint32_t(bytes[i]) << 16 |
                           (i + 1 < bytes.size() ? uint32_t(bytes[i + 1]) << 8 : 0) |
                           (i + 2 < bytes.size() ? uint32_t(bytes[i + 2]) : 0);
        out += digits[(n >> 18) & 63];
        out += digits[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? digits[(n >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? digits[n & 63] : '=';
    }
    return out;
}

bool hasBackground(const AnimationModel& scene) {
    return scene.background && !scene.background->empty() && !scene.background->isDescriptor();
}

std::pair<int, int> canvasSize(const WebGlExportOptions& options, const ProjectImage& image) {
    int w = options.width, h = options.height;
    if (w <= 0 || h <= 0) w = image.width(), h = image.height();
    return {std::clamp(w, kMinWebGlCanvasSide, kMaxWebGlCanvasSide),
            std::clamp(h, kMinWebGlCanvasSide, kMaxWebGlCanvasSide)};
}

// The light the renderer gives the scene, in the page's axes (y up, z towards the
// viewer), with its strengths in channel units / 255.
void projectLight(const RenderSettings& rs, const WebGlExportOptions& options,
                  WebGlLightSettings& light) {
    if (options.projectLight) {
        const Vec3& L = rs.baseLight;
        light.vector = {L.x, -L.y, -L.z};
        light.followCamera = rs.lightFollowsCamera != 0;
    }
    const int intensity =
        options.shadingIntensity >= 0 ? options.shadingIntensity : rs.lightIntensity;
    light.shading = intensity / 255.0;
    light.back = rs.backLight;
    light.ambient = rs.brightness / 255.0;
    light.specular = rs.specular / 255.0;
}

// A thumbnail of the published frame, at most 160 × 120 keeping the image's shape.
Result<RasterImage> thumbnail(const Project& project, AnimationModel& scene, int image, int frame) {
    const ProjectImage& pi = project.images[image];
    const double fit = std::min(double(kThumbnailWidth) / std::max(1, pi.width()),
                                double(kThumbnailHeight) / std::max(1, pi.height()));
    ProjectFrameRequest request;
    request.image = image;
    request.frame = frame;
    request.view = FrameView::Image;
    request.width = std::max(kMinMovieSide, int(std::lround(pi.width() * fit)));
    request.height = std::max(kMinMovieSide, int(std::lround(pi.height() * fit)));
    return renderProjectFrame(project, scene, request);
}

bool writeText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    return bool(out);
}

// A fresh folder beside `target`, removed again unless it was handed over.
class StagingFolder {
public:
    explicit StagingFolder(const fs::path& target) : target_(target) {
        std::random_device random;
        const fs::path parent = target.parent_path().empty() ? fs::path(".") : target.parent_path();
        std::error_code ec;
        fs::create_directories(parent, ec);
        for (int attempt = 0; attempt < 16 && path_.empty(); ++attempt) {
            fs::path candidate =
                parent / ("." + target.filename().string() + ".part" + std::to_string(random()));
            if (fs::create_directory(candidate, ec)) path_ = candidate;
        }
    }
    ~StagingFolder() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

    // Moves the files in: the whole folder when the target does not exist yet, else
    // file by file over those of the same names.
    bool commit() {
        std::error_code ec;
        if (!fs::exists(target_, ec)) {
            fs::rename(path_, target_, ec);
            if (!ec) path_.clear();
            return !ec;
        }
        if (!fs::is_directory(target_, ec)) return false;
        for (const auto& entry : fs::directory_iterator(path_, ec)) {
            fs::rename(entry.path(), target_ / entry.path().filename(), ec);
            if (ec) return false;
        }
        return true;
    }

private:
    fs::path target_;
    fs::path path_;
};

Status writeFiles(const fs::path& dir, const WebGlExportOptions& options,
                  const std::string& dataText, const std::vector<uint8_t>& atlasPng,
                  const RasterImage& thumb, const fs::path& playerScript, Prompter* prompter) {
    const auto written = [&](const fs::path& p, bool ok) -> Status {
        return ok ? Status::ok() : fail(prompter, "Can't open file for output", p.string());
    };
    if (!options.publish) {
        if (Status s =
                written(dir / kWebGlPageFile, writeText(dir / kWebGlPageFile, webGlPageText()));
            !s)
            return s;
    }
    if (Status s = written(dir / kWebGlDataFile, writeText(dir / kWebGlDataFile, dataText)); !s)
        return s;
    if (Status s = written(dir / kTextureFile,
                           writeFileSafely(dir / kTextureFile, std::as_bytes(std::span(atlasPng))));
        !s)
        return s;
    if (Status s = written(
            dir / kWebGlThumbnailFile,
            saveJpeg(dir / kWebGlThumbnailFile, thumb, kThumbnailJpegLevel, nullptr).isOk());
        !s)
        return s;
    std::error_code ec;
    fs::copy_file(playerScript, dir / kWebGlPlayerFile, fs::copy_options::overwrite_existing, ec);
    if (ec) return fail(prompter, "The WebGL player script is missing", playerScript.string());
    return Status::ok();
}

} // namespace

Status checkWebGlLimits(const AnimationModel& scene, Prompter* prompter) {
    if (scene.objectCount > kMaxWebGlObjects) return refuse(prompter, kTooManyObjects);
    long long vertices = 0;
    for (int slot = 0; slot < std::min(scene.objectCount, kMaxObjects); ++slot)
        if (exportsObject(scene.object(slot))) vertices += drawableVertexCount(scene.object(slot));
    if (vertices > kMaxWebGlVertices) return refuse(prompter, kTooManyVertices);
    for (int slot = 0; slot < std::min(scene.objectCount, kMaxObjects); ++slot)
        if (usesVideoTexture(scene.object(slot))) return refuse(prompter, kVideoTextures);
    return Status::ok();
}

namespace {

// The image's scene, checked against what a page can show.
Status openScene(const Project& project, int imageIndex, const fs::path& playerScript,
                 AnimationModel& scene, Prompter* prompter) {
    const ProjectImage* image = project.images.at(imageIndex);
    if (!image) return fail(prompter, "There is no image " + std::to_string(imageIndex));
    LibraryLoadOptions library;
    library.prompter = prompter;
    library.projectFolder = project.folder;
    (void)loadImageScene(*image, scene, library);
    if (Status s = checkWebGlLimits(scene, prompter); !s) return s;
    if (!fs::is_regular_file(playerScript))
        return fail(prompter, "The WebGL player script is missing", playerScript.string());
    return Status::ok();
}

} // namespace

Status openWebGlExport(const Project& project, int image, const fs::path& playerScript,
                       Prompter* prompter) {
    AnimationModel scene;
    return openScene(project, image, playerScript, scene, prompter);
}

Status exportWebGl(const Project& project, const WebGlExportOptions& options,
                   const fs::path& folder, const fs::path& playerScript, Prompter* prompter) {
    AnimationModel scene;
    if (Status s = openScene(project, options.image, playerScript, scene, prompter); !s) return s;
    const ProjectImage* image = project.images.at(options.image);

    WebGlPageSettings page = options.page;
    page.background.show = page.background.show && hasBackground(scene);
    status(prompter, "Building texture file *.jpg/*.png....");
    Result<WebGlAtlas> atlas = buildWebGlAtlas(scene, exportedSlots(scene),
                                               page.background.show ? &*scene.background : nullptr);
    if (!atlas) return refuse(prompter, atlas.status().message().c_str());

    const int frames = std::max(1, image->duration());
    const int staticFrame = options.staticFrame < 0 ? -1 : std::min(options.staticFrame, frames);
    Result<RasterImage> thumb =
        thumbnail(project, scene, options.image, staticFrame < 0 ? 0 : staticFrame);
    if (!thumb) return fail(prompter, thumb.status().message());
    applyProjectLight(project, scene, RenderQuality::Medium);
    projectLight(scene.renderSettings, options, page.light);

    status(prompter, "Building vertices and trajectories...");
    const WebGlScene webScene = collectWebGlScene(scene, atlas->placement, {frames, staticFrame});
    if (webScene.triangles.empty()) return refuse(prompter, kNothingToPublish);

    std::tie(page.canvasWidth, page.canvasHeight) = canvasSize(options, *image);
    page.backgroundColour = backgroundColour(int32_t(image->canvasColour));
    page.textureName =
        options.publish ? "pub/img/" + options.publishedName + ".png" : std::string(kTextureFile);
    page.durationSeconds = double(frames) / std::max(1, project.fps);
    if (webScene.trajectory.size() > kMaxWebGlTrajectoryValues && prompter)
        prompter->message(kTrajectoryTooBig);
    if (webScene.vertexCount() > kMaxWebGlVertices)
        return refuse(prompter, kVerticesAfterProcessing);

    StagingFolder staging(folder);
    if (staging.path().empty())
        return fail(prompter, "Can't open file for output", folder.string());
    status(prompter, "Building database file " + (folder / kWebGlDataFile).string());
    const PngText layout{kWebGlAtlasKeyword, atlas->layoutText()};
    const std::optional<std::vector<uint8_t>> atlasPng =
        encodePng(atlas->image, nullptr, PngSpeed::Compact, std::span(&layout, 1));
    if (!atlasPng) return fail(prompter, "Can't open file for output", kTextureFile);
    if (!options.publish) page.embeddedTexture = "data:image/png;base64," + base64(*atlasPng);
    std::string dataText = webGlDataText(webScene, page);
    if (Status s = writeFiles(staging.path(), options, dataText, *atlasPng, *thumb, playerScript,
                              prompter);
        !s)
        return s;
    if (!staging.commit()) return fail(prompter, "Can't open file for output", folder.string());
    return Status::ok();
}

fs::path findPlayerScript(const fs::path& programFolder) {
    const fs::path candidates[] = {
        programFolder / ZX_PLAYER_INSTALLED_RELATIVE,
        programFolder / kWebGlPlayerFile,
        fs::path(ZX_PLAYER_SOURCE),
    };
    std::error_code ec;
    for (const fs::path& p : candidates)
        if (fs::is_regular_file(p, ec)) return p.lexically_normal();
    return {};
}

Result<fs::path> writeWebGlPreview(const Project& project, const WebGlExportOptions& options,
                                   const fs::path& tempRoot, const fs::path& playerScript,
                                   Prompter* prompter) {
    std::error_code ec;
    fs::create_directories(tempRoot, ec);
    std::string pattern = (tempRoot / "zxwebgl-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return fail(prompter, tempRoot.string() + ": Cannot create folder");
    const fs::path folder = pattern;
    if (Status s = exportWebGl(project, options, folder, playerScript, prompter); !s) {
        fs::remove_all(folder, ec);
        return s;
    }
    return folder / kWebGlPageFile;
}

} // namespace zx
