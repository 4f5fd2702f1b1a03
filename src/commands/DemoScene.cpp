#include "commands/DemoScene.h"

#include "anim/AnimationModel.h"
#include "anim/AnimationRecord.h"
#include "anim/BoneAssignment.h"
#include "anim/CurveLibrary.h"
#include "anim/TimeCurve.h"
#include "imaging/MaskLayer.h"
#include "imaging/SelectionCommands.h"
#include "imaging/SelectionTools.h"
#include "mesh3d/RebuildMeshes.h"
#include "mesh3d/RegionObjects.h"
#include "mesh3d/ShapeBuilder.h"
#include "platform/Prompter.h"
#include "render/FrameRenderer.h"
#include "render/ImageScene.h"
#include "render/MoviePanelSettings.h"
#include "storage/PhotoImport.h"
#include "storage/Settings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <span>

namespace zx {

namespace {

constexpr double kPi = std::numbers::pi;

struct PixelEllipse {
    double cx, cy, rx, ry;
};

PixelEllipse inPixels(const DemoEllipse& e, int w, int h) {
    return {e.cx * w, e.cy * h, e.rx * w, e.ry * h};
}

uint32_t rgb(int r, int g, int b) {
    auto c = [](int v) { return uint32_t(std::clamp(v, 0, 255)); };
    return 0xFF000000u | c(r) << 16 | c(g) << 8 | c(b);
}

int channel(uint32_t p, int shift) {
    return int((p >> shift) & 0xFF);
}

uint32_t mix(uint32_t a, uint32_t b, double f) {
    auto m = [&](int shift) {
        return int(std::lround(channel(a, shift) * (1 - f) + channel(b, shift) * f));
    };
    return rgb(m(16), m(8), m(0));
}

// The object whose texture rectangle's centre lies nearest to (x, y), other than
// `besides`; −1 when none.
int objectNearest(const AnimationModel& model, double x, double y, int besides) {
    int best = -1;
    double bestDistance = 0;
    for (int i = 0; i < model.objectCount; ++i) {
        if (i == besides) continue;
        const IntRect& r = model.object(i).textureRect;
        const double dx = (r.left + r.right) / 2.0 - x, dy = (r.top + r.bottom) / 2.0 - y;
        const double d = dx * dx + dy * dy;
        if (best < 0 || d < bestDistance) best = i, bestDistance = d;
    }
    return best;
}

// A dot added as the dot tool adds one, with the smooth-action flag when the option is on.
AnimPoint userDot(const AnimObject& object, double x, double y, const DemoOptions& options) {
    AnimPoint dot;
    dot.flags = object.is3d() ? PointFlag::On3dMesh : 0;
    if (options.smoothAction) dot.flags |= PointFlag::SmoothAction;
    dot.texture = dot.start = dot.end = dot.current = {x, y, 0};
    return dot;
}

TimeCurve namedCurve(std::string_view name) {
    CurveLibrary library;
    const int i = library.find(name);
    return i >= 0 ? library.curve(i) : linearCommandCurve();
}

DemoObjects findDemoObjects(const AnimationModel& model, int w, int h) {
    const PixelEllipse head = inPixels(kDemoHead, w, h);
    const PixelEllipse side = inPixels(kDemoSide, w, h);
    DemoObjects found;
    found.head = objectNearest(model, head.cx, head.cy, -1);
    found.side = objectNearest(model, side.cx, side.cy, found.head);
    return found;
}

// The head rocks on its neck: the upper dot swings on an arc about the lower one,
// right, back, left and back over the animation, so the loop has no seam.
void animateHead(AnimationModel& model, int slot, const PixelEllipse& e,
                 const DemoOptions& options) {
    AnimObject& o = model.object(slot);
    const Vec3 neck{e.cx, e.cy + 0.85 * e.ry, 0};
    const Vec3 top{e.cx, e.cy - 0.85 * e.ry, 0};
    AnimPoint swinging = userDot(o, top.x, top.y, options);
    DotTrajectory path;
    constexpr int kSamples = 33;
    const double amplitude = options.swayDegrees * kPi / 180;
    for (int k = 0; k < kSamples; ++k) {
        const double angle = amplitude * std::sin(2 * kPi * k / (kSamples - 1));
        const double dx = top.x - neck.x, dy = top.y - neck.y;
        const double x = neck.x + dx * std::cos(angle) - dy * std::sin(angle);
        const double y = neck.y + dx * std::sin(angle) + dy * std::cos(angle);
        path.push_back({float(x), float(y), 0});
    }
    swinging.end = {path.back().x, path.back().y, 0};
    swinging.trajectory = std::move(path);
    const int a = int(o.points.size());
    o.points.push_back(std::move(swinging));
    const int b = int(o.points.size());
    o.points.push_back(userDot(o, neck.x, neck.y, options));
    // The bone turns about its end B, so B is the neck and A the swinging dot.
    Bone bone;
    bone.flags = options.fixedBones ? BoneFlag::Fixed : 0;
    bone.dotA = a;
    bone.dotB = b;
    o.bones.push_back(std::move(bone));
    setObjectCurve(o, namedCurve("Linear"));
    assignVerticesToBones(model, slot);
}

// The side subject lifts off and settles back: one dot moving straight up, paced by
// a smooth curve that goes out and returns.
void animateSide(AnimationModel& model, int slot, const PixelEllipse& e, int height,
                 const DemoOptions& options) {
    AnimObject& o = model.object(slot);
    AnimPoint dot = userDot(o, e.cx, e.cy, options);
    dot.end = {e.cx, e.cy - options.liftFraction * height, 0};
    o.points.push_back(std::move(dot));
    setObjectCurve(o, namedCurve("Smooth forward & reverse"));
    assignVerticesToBones(model, slot);
}

long long selectedInside(const RasterImage& mask, const PixelEllipse& e) {
    long long n = 0;
    for (int y = std::max(0, int(e.cy - e.ry)); y < std::min(mask.height(), int(e.cy + e.ry) + 1);
         ++y)
        for (int x = std::max(0, int(e.cx - e.rx));
             x < std::min(mask.width(), int(e.cx + e.rx) + 1); ++x)
            n += isSelectedWord(mask.at(x, y)) ? 1 : 0;
    return n;
}

// The subjects stand in front of a plain wall: the magic background cleaner, clicked
// on the wall inside an ellipse, takes the wall out so that only the subject itself
// moves. The tolerance is low, so that it stops at the subject's own colours; when
// it would take most of the ellipse all the same (the picture has no plain
// background there), the ellipse stays as it was.
void cleanAround(RasterImage& mask, const RasterImage& subject, const DemoEllipse& ellipse,
                 std::span<const std::array<double, 2>> spots) {
    const PixelEllipse e = inPixels(ellipse, mask.width(), mask.height());
    const long long before = selectedInside(mask, e);
    const RasterImage kept = mask;
    SelectionSettings cleaner;
    cleaner.tool = SelectionTool::MagicBackgroundCleaner;
    cleaner.autoMask = false;
    cleaner.tolerance = 8;
    for (const auto& spot : spots) {
        const int x = int(e.cx + spot[0] * e.rx), y = int(e.cy + spot[1] * e.ry);
        if (inside(mask, x, y) && isSelectedWord(mask.at(x, y)))
            commandCleanerClick(mask, subject, cleaner, x, y);
    }
    if (selectedInside(mask, e) * 5 < before * 2) mask = kept;
}

// Crumbs the cleaner leaves (a few pixels of wall between the subject's parts) would
// each become an object of their own; they are taken out of the selection.
void dropCrumbs(RasterImage& mask, long long smallest) {
    const RegionLabels labels = labelRegions(mask, 256);
    std::vector<bool> crumb(labels.regions.size() + 1, false);
    for (const MaskRegion& r : labels.regions)
        if (r.label > 0 && size_t(r.label) < crumb.size())
            crumb[size_t(r.label)] = r.pixels < smallest;
    for (size_t i = 0; i < labels.labels.size(); ++i) {
        const int32_t label = labels.labels[i];
        if (label > 0 && size_t(label) < crumb.size() && crumb[size_t(label)])
            mask.pixelVector()[i] &= ~MaskBit::SelectionBits;
    }
}

} // namespace

RasterImage demoPicture(int width, int height) {
    width = std::max(16, width);
    height = std::max(16, height);
    RasterImage r(width, height);
    const int horizon = height * 3 / 4;
    const PixelEllipse sun = inPixels(kDemoHead, width, height);
    const PixelEllipse rocket = inPixels(kDemoSide, width, height);
    const double sunRadius = 0.8 * std::min(sun.rx, sun.ry);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint32_t p;
            if (y < horizon) {
                p = mix(rgb(70, 130, 210), rgb(200, 225, 245), double(y) / horizon);
            } else {
                const double f = double(y - horizon) / std::max(1, height - horizon);
                p = mix(rgb(90, 170, 70), rgb(40, 100, 40), f);
                if ((x / 24 + y / 12) % 2 == 0) p = mix(p, rgb(110, 190, 80), 0.25);
            }
            // a shaded sun disc
            const double sx = x - sun.cx, sy = y - sun.cy;
            const double d = std::sqrt(sx * sx + sy * sy) / sunRadius;
            if (d <= 1) {
                const double light = std::clamp(0.65 + 0.35 * (-sx - sy) / sunRadius, 0.0, 1.0);
                p = mix(rgb(230, 120, 20), rgb(255, 230, 80), light);
            }
            // a rocket standing on the right: white body, red nose and fins
            const double rx = (x - rocket.cx) / rocket.rx, ry = (y - rocket.cy) / rocket.ry;
            const double halfWidth = 0.28 * (ry < -0.55 ? (1 + ry) / 0.45 : 1.0);
            if (ry > -1 && ry < 0.8 && std::fabs(rx) < halfWidth) {
                p = ry < -0.55 ? rgb(200, 30, 40)
                               : mix(rgb(245, 245, 250), rgb(170, 170, 185), std::fabs(rx) / 0.28);
                if (ry > 0.1 && ry < 0.3 && std::fabs(rx) < 0.12) p = rgb(60, 120, 200);
            } else if (ry >= 0.45 && ry < 0.85 && std::fabs(rx) < 0.28 + (ry - 0.45) * 1.2) {
                p = rgb(200, 30, 40);
            }
            r.at(x, y) = p;
        }
    }
    return r;
}

void fillFromSurroundings(RasterImage& picture, const std::vector<uint8_t>& region) {
    const int w = picture.width(), h = picture.height();
    if (region.size() != size_t(w) * size_t(h) || w == 0) return;
    auto in = [&](int x, int y) { return region[size_t(y) * w + x] != 0; };
    for (int y = 0; y < h; ++y) {
        int x = 0;
        while (x < w) {
            if (!in(x, y)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < w && in(x, y)) ++x;
            const int end = x;                    // exclusive
            if (start == 0 && end == w) continue; // nothing on this row to take from
            const uint32_t left = start > 0 ? picture.at(start - 1, y) : picture.at(end, y);
            const uint32_t right = end < w ? picture.at(end, y) : left;
            for (int i = start; i < end; ++i)
                picture.at(i, y) = mix(left, right, double(i - start + 1) / (end - start + 1));
        }
    }
    // Rows filled one by one show as streaks; a vertical average over the filled
    // pixels blends them into one surface.
    constexpr int kReach = 6;
    const RasterImage rows = picture;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (!in(x, y)) continue;
            int r = 0, g = 0, b = 0, n = 0;
            for (int k = std::max(0, y - kReach); k <= std::min(h - 1, y + kReach); ++k) {
                const uint32_t p = rows.at(x, k);
                r += channel(p, 16), g += channel(p, 8), b += channel(p, 0), ++n;
            }
            picture.at(x, y) = rgb(r / n, g / n, b / n);
        }
}

bool cutDemoSubjects(ProjectImage& image) {
    const RasterImage* subject = image.layerPicture(kSubjectLayer);
    if (!subject || subject->empty() || subject->isDescriptor()) return false;
    const int w = subject->width(), h = subject->height();
    const RasterImage* existing = image.layerPicture(kMaskLayer);
    RasterImage mask = existing && existing->width() == w && existing->height() == h
                           ? *existing
                           : makeMaskLayer(w, h);
    auto corners = [&](const DemoEllipse& e) {
        const PixelEllipse p = inPixels(e, w, h);
        return std::pair{IntPoint{int(p.cx - p.rx), int(p.cy - p.ry)},
                         IntPoint{int(p.cx + p.rx), int(p.cy + p.ry)}};
    };
    const auto [headFrom, headTo] = corners(kDemoHead);
    const auto [sideFrom, sideTo] = corners(kDemoSide);
    selectEllipse(mask, headFrom, headTo, SelectionType::New);
    selectEllipse(mask, sideFrom, sideTo, SelectionType::Add);
    constexpr std::array<double, 2> kHeadSpots[] = {{-0.85, -0.2}, {0.85, -0.2}, {-0.6, -0.75},
                                                    {0.6, -0.75},  {0.95, 0.15}, {0.9, 0.35}};
    constexpr std::array<double, 2> kSideSpots[] = {
        {-0.8, 0}, {0.8, 0}, {-0.55, -0.7}, {0.55, -0.7}, {0, -0.93}, {0.95, -0.2}, {0.93, 0.25}};
    cleanAround(mask, *subject, kDemoHead, kHeadSpots);
    cleanAround(mask, *subject, kDemoSide, kSideSpots);
    const PixelEllipse side = inPixels(kDemoSide, w, h);
    dropCrumbs(mask, (long long)(0.02 * side.rx * side.ry * kPi) + 1);
    showInsideSelection(mask, featherRadiusForIndex(1));

    // Behind the subjects: everything the mask shows at all, and two pixels more.
    std::vector<uint8_t> hole(size_t(w) * size_t(h), 0);
    constexpr int kGrow = 2;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (maskValue(mask.at(x, y)) == 0) continue;
            for (int dy = -kGrow; dy <= kGrow; ++dy)
                for (int dx = -kGrow; dx <= kGrow; ++dx)
                    if (inside(mask, x + dx, y + dy)) hole[size_t(y + dy) * w + x + dx] = 1;
        }
    RasterImage background = *subject;
    for (uint32_t& p : background.pixelVector()) p |= 0xFF000000u;
    fillFromSurroundings(background, hole);
    image.setLayerPicture(kBackgroundLayer, std::move(background));
    image.setLayerPicture(kMaskLayer, std::move(mask));
    return true;
}

DemoObjects animateDemoImage(const ProjectImage& image, AnimationModel& model,
                             const DemoOptions& options, Progress* progress, Prompter& prompter) {
    // The image was just built: it holds no record yet.
    (void)loadImageScene(image, model);
    const int w = image.width(), h = image.height();
    const RasterImage* mask = image.layerPicture(kMaskLayer);
    const RasterImage* subject = image.layerPicture(kSubjectLayer);
    if (!mask || !subject) return {};
    model.defaultSettingWord = std::clamp(options.meshDefinition, 0, 2);
    initDotsToRegions(model, visibleRegionMask(*mask, subject), RegionMode::Contours, prompter);
    DemoObjects objects = findDemoObjects(model, w, h);
    if (objects.head < 0) return {};
    model.object(objects.head).flag3d = 1;

    RebuildOptions rebuild(prompter, progress);
    ShapeBuildOptions shape;
    shape.definition = model.defaultSettingWord;
    rebuild.volumeBuilder = shapeVolumeBuilder(shape, progress, prompter);
    if (rebuildMeshes(model, rebuild).status().isCancelled()) return {};
    // Objects left without triangles are gone; find the two again.
    objects = findDemoObjects(model, w, h);
    if (objects.head >= 0) animateHead(model, objects.head, inPixels(kDemoHead, w, h), options);
    if (objects.side >= 0) animateSide(model, objects.side, inPixels(kDemoSide, w, h), h, options);
    return objects;
}

std::unique_ptr<ProjectImage> buildDemoImage(const RasterImage& photo, const std::string& name,
                                             const DemoOptions& options, Progress* progress,
                                             Prompter& prompter) {
    if (photo.empty() || photo.isDescriptor() || photo.width() < 16 || photo.height() < 16) {
        prompter.message(kDemoPictureTooSmall);
        return nullptr;
    }
    auto image = buildPhotoImage(photo, name, std::max(1, options.durationFrames));
    if (!cutDemoSubjects(*image)) return nullptr;
    auto model = std::make_unique<AnimationModel>();
    const DemoObjects objects = animateDemoImage(*image, *model, options, progress, prompter);
    if (objects.head < 0 && objects.side < 0) {
        prompter.message(kDemoNothingToAnimate);
        return nullptr;
    }
    image->animation = writeAnimationRecord(*model);
    return image;
}

std::unique_ptr<Project> buildDemoProject(const std::vector<DemoPicture>& pictures,
                                          const Settings& settings, Progress* progress,
                                          Prompter& prompter) {
    auto project = std::make_unique<Project>(Project::fromSettings(settings));
    const int duration = std::max(1, settings.defaultDurationFrames(project->fps));
    DemoOptions options;
    options.durationFrames = duration;
    options.meshDefinition = settings.contourDef;
    options.fixedBones = settings.boneDefaultFixed != 0;
    options.smoothAction = settings.smoothAction != 0;
    const RasterImage builtIn = pictures.empty() ? demoPicture() : RasterImage();
    const RasterImage& first = pictures.empty() ? builtIn : pictures.front().picture;
    const std::string firstName =
        pictures.empty() ? std::string(kDemoPictureName) : pictures.front().name;
    auto demo = buildDemoImage(first, firstName, options, progress, prompter);
    if (!demo) return nullptr;
    demo->canvasColour = project->canvasColour;
    project->images.append(std::move(demo));
    for (size_t i = 1; i < pictures.size(); ++i)
        project->images.append(buildPhotoImage(pictures[i].picture, pictures[i].name, duration,
                                               project->canvasColour));
    project->currentImage = 0;
    project->mode = AnimationMode::Animate;
    return project;
}

// ---- speed test -------------------------------------------------------------------------

RenderSpeedTest::RenderSpeedTest(Clock clock) : clock_(std::move(clock)) {
    if (!clock_)
        clock_ = [] {
            using namespace std::chrono;
            return duration<double>(steady_clock::now().time_since_epoch()).count();
        };
}

RenderSpeedTest::~RenderSpeedTest() = default;

bool RenderSpeedTest::step() {
    if (finished_) return false;
    if (!scene_) {
        DemoOptions options;
        options.durationFrames = kFrames;
        SilentPrompter silent; // the speed test has nothing to tell
        auto image =
            buildDemoImage(demoPicture(), std::string(kDemoPictureName), options, nullptr, silent);
        if (!image) {
            finished_ = true;
            return false;
        }
        scene_ = std::make_unique<AnimationModel>();
        (void)loadImageScene(*image, *scene_); // a record written just now reads back whole
        refreshRenderSettings(scene_->renderSettings, MoviePanelSettings{}, RenderQuality::Medium);
        duration_ = std::max(1, image->duration());
        return true; // building the scene is not part of the score
    }
    FrameLayoutSettings layout;
    layout.quality = RenderQuality::Medium;
    CameraFrame camera = makeCameraFrame(kWidth, kHeight, scene_->startWidth, scene_->startHeight,
                                         0, frames_ % (duration_ + 1), layout);
    const double started = clock_();
    renderFrameAt(*scene_, camera, double(frames_ % (duration_ + 1)) / duration_);
    seconds_ += std::max(0.0, clock_() - started);
    ++frames_;
    if (frames_ >= kFrames || seconds_ >= kMaxSeconds) finished_ = true;
    return !finished_;
}

double RenderSpeedTest::framesPerSecond() const {
    if (frames_ == 0) return 0;
    // A clock too coarse to see a frame counts it as a millisecond.
    return frames_ / std::max(seconds_, frames_ * 1e-3);
}

int RenderSpeedTest::pcSpeed(double framesPerSecond) {
    if (!std::isfinite(framesPerSecond) || framesPerSecond <= 0) return 0;
    return int(std::lround(std::min(framesPerSecond, 1e6) * 100));
}

} // namespace zx
