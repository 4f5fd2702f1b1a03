#include "commands/ImageEditCommands.h"

#include "commands/AdjustmentCommands.h"
#include "commands/GeometryCommands.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace zx {

namespace {

constexpr int kSlider = 100;
constexpr int kMaxFeather = 3;
// Sizes are checked by the commands themselves, which refuse with the user's message.
constexpr int kSizeFieldMax = 65535;
// Eighths of a pixel over the largest picture and well beyond it.
constexpr int kLightFieldMax = 1 << 20;

const std::vector<CommandField> kCommonFields = {
    {CommonField::Background, 0, 1, 0},
    {CommonField::ApplyToSelection, 0, 1, 0},
    {CommonField::Feathering, 0, kMaxFeather, 0},
};

AdjustOptions adjustOptions(const FieldValues& v, const CommandRun& run) {
    return {v.at(CommonField::Background) != 0, v.at(CommonField::ApplyToSelection) != 0,
            v.at(CommonField::Feathering), run.preview};
}

int sideOr(const FieldValues& v, std::string_view label, int current) {
    const int side = v.at(label);
    return side > 0 ? side : current;
}

std::optional<LightEllipse> lightOf(const FieldValues& v) {
    if (v.at(LightField::Size) <= 0) return std::nullopt;
    LightEllipse l;
    l.centreX = v.at(LightField::X);
    l.centreY = v.at(LightField::Y);
    l.focusX = v.at(LightField::FocusX);
    l.focusY = v.at(LightField::FocusY);
    l.semiMajor = v.at(LightField::Size);
    return l;
}

CommandField slider(std::string_view label, int min = -kSlider) {
    return {label, min, kSlider, 0};
}

std::vector<ImageEditCommand> adjustmentEntries() {
    using V = const FieldValues&;
    return {
        {"Auto Levels",
         {},
         [](Project& p, int i, V v, const CommandRun& r) {
             return adjustAutoLevels(p, i, adjustOptions(v, r));
         }},
        {"Auto Contrast",
         {},
         [](Project& p, int i, V v, const CommandRun& r) {
             return adjustAutoContrast(p, i, adjustOptions(v, r));
         }},
        {"White Balance...",
         {{"X", 0, kMaxImageSide, 0}, {"Y", 0, kMaxImageSide, 0}},
         [](Project& p, int i, V v, const CommandRun& r) {
             return adjustWhiteBalance(p, i, v.at("X"), v.at("Y"), adjustOptions(v, r));
         }},
        {"Brightness/Contrast...",
         {slider("Brightness"), slider("Contrast")},
         [](Project& p, int i, V v, const CommandRun& r) {
             return adjustBrightnessContrast(p, i, v.at("Brightness"), v.at("Contrast"),
                                             adjustOptions(v, r));
         }},
        {"Color Balance...",
         {slider("Red"), slider("Green"), slider("Blue")},
         [](Project& p, int i, V v, const CommandRun& r) {
             return adjustColor(p, i, {v.at("Red"), v.at("Green"), v.at("Blue")},
                                adjustOptions(v, r));
         }},
        {"Hue/Saturation...",
         {slider("Hue"), slider("Saturation"), slider("Intensity")},
         [](Project& p, int i, V v, const CommandRun& r) {
             return adjustHueSaturation(p, i, v.at("Hue"), v.at("Saturation"), v.at("Intensity"),
                                        adjustOptions(v, r));
         }},
        {"Blur/Sharpen...",
         {slider("Blur/Sharpen")},
         [](Project& p, int i, V v, const CommandRun& r) {
             return adjustBlurSharpen(p, i, v.at("Blur/Sharpen"), adjustOptions(v, r));
         }},
        {"Lighting Effects...",
         {{"Intensity", 0, kSlider, 50},
          {"Focus", 0, kSlider, 50},
          slider("Ambience"),
          slider("Shiny"),
          {"Light color", 0, int(LightColour::Magenta), 0},
          // The light in eighths of a pixel; no size: the opening circle.
          {LightField::X, -kLightFieldMax, kLightFieldMax, 0},
          {LightField::Y, -kLightFieldMax, kLightFieldMax, 0},
          {LightField::FocusX, -kLightFieldMax, kLightFieldMax, 0},
          {LightField::FocusY, -kLightFieldMax, kLightFieldMax, 0},
          {LightField::Size, 0, kLightFieldMax, 0}},
         [](Project& p, int i, V v, const CommandRun& r) {
             const LightingSettings s{v.at("Intensity"), v.at("Focus"), v.at("Ambience"),
                                      v.at("Shiny"), LightColour(v.at("Light color"))};
             return adjustLighting(p, i, s, lightOf(v), adjustOptions(v, r));
         }},
    };
}

std::vector<ImageEditCommand> geometryEntries() {
    using V = const FieldValues&;
    // 0 (the initial value) keeps that side's current size.
    const CommandField width{"Width", 0, kSizeFieldMax, 0};
    const CommandField height{"Height", 0, kSizeFieldMax, 0};
    return {
        {"Crop",
         {},
         [](Project& p, int i, V, const CommandRun& r) {
             return cropToSelection(p, i, r.prompter);
         }},
        {"Canvas Size...",
         {width, height, {"Enlarge All directions", 0, 1, 0}},
         [](Project& p, int i, V v, const CommandRun& r) {
             const ProjectImage* image = p.images.at(i);
             if (!image) return Status::ok();
             const auto anchor =
                 v.at("Enlarge All directions") ? CanvasAnchor::Centre : CanvasAnchor::TopLeft;
             return setCanvasSize(p, i, sideOr(v, "Width", image->width()),
                                  sideOr(v, "Height", image->height()), anchor, std::nullopt,
                                  r.prompter);
         }},
        {"Image Size...",
         {width, height, {"Keep Proportions", 0, 1, 0}},
         [](Project& p, int i, V v, const CommandRun& r) {
             const ProjectImage* image = p.images.at(i);
             if (!image) return Status::ok();
             const int w = sideOr(v, "Width", image->width());
             int h = sideOr(v, "Height", image->height());
             if (v.at("Keep Proportions"))
                 h = proportionalHeight(image->width(), image->height(), w);
             return setImageSize(p, i, w, h, r.prompter);
         }},
        {"180°",
         {},
         [](Project& p, int i, V, const CommandRun& r) {
             return rotateImage(p, i, Rotation::Half, r.prompter);
         }},
        {"90° CW",
         {},
         [](Project& p, int i, V, const CommandRun& r) {
             return rotateImage(p, i, Rotation::Clockwise90, r.prompter);
         }},
        {"90° CCW",
         {},
         [](Project& p, int i, V, const CommandRun& r) {
             return rotateImage(p, i, Rotation::CounterClockwise90, r.prompter);
         }},
        {"Flip Horizontal",
         {},
         [](Project& p, int i, V, const CommandRun& r) {
             return mirrorImage(p, i, true, r.prompter);
         }},
        {"Flip Vertical",
         {},
         [](Project& p, int i, V, const CommandRun& r) {
             return mirrorImage(p, i, false, r.prompter);
         }},
        {"Erase Background",
         {},
         [](Project& p, int i, V, const CommandRun&) { return eraseBackground(p, i); }},
        {"Extend Background",
         {},
         [](Project& p, int i, V, const CommandRun&) { return extendBackground(p, i); }},
    };
}

bool sameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

const CommandField* findField(const ImageEditCommand& c, std::string_view label) {
    for (const auto* fields : {&c.fields, &kCommonFields})
        for (const CommandField& f : *fields)
            if (f.label == label) return &f;
    return nullptr;
}

} // namespace

std::span<const ImageEditCommand> imageEditCommands() {
    static const std::vector<ImageEditCommand> table = [] {
        auto all = adjustmentEntries();
        auto geometry = geometryEntries();
        all.insert(all.end(), geometry.begin(), geometry.end());
        return all;
    }();
    return table;
}

const ImageEditCommand* findImageEditCommand(std::string_view name) {
    for (const ImageEditCommand& c : imageEditCommands())
        if (sameName(c.name, name)) return &c;
    return nullptr;
}

Status runImageEditCommand(const ImageEditCommand& command, Project& project, int image,
                           const CommandValues& values, Prompter& prompter,
                           const AdjustPreview* preview) {
    FieldValues resolved;
    for (const auto* fields : {&command.fields, &kCommonFields})
        for (const CommandField& f : *fields) resolved[f.label] = f.initial;
    for (const auto& [label, value] : values) {
        const CommandField* f = findField(command, label);
        if (!f)
            return Status::refused("\"" + label + "\" is not a value of " +
                                   std::string(command.name));
        if (!std::isfinite(value) || value < f->min || value > f->max)
            return Status::refused(label + " must lie between " + std::to_string(f->min) + " and " +
                                   std::to_string(f->max));
        resolved[f->label] = int(std::lround(value));
    }
    return command.run(project, image, resolved, CommandRun{prompter, preview});
}

} // namespace zx
