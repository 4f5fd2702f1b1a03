#include "cli/ProjectDescription.h"

#include "anim/AnimationModel.h"
#include "anim/LibraryFile.h"
#include "platform/Prompter.h"
#include "platform/Text.h"
#include "render/ImageScene.h"
#include "storage/Project.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <sstream>

namespace zx::cli {

using Json = nlohmann::ordered_json;

namespace {

const char* modeName(int mode) {
    switch (mode) {
    case 0:
        return "Image Edit";
    case 1:
        return "Image Align";
    case 2:
        return "Animate";
    case 3:
        return "Movie";
    case 4:
        return "3D Creator";
    default:
        return "none";
    }
}

const char* canvasName(int c) {
    switch (c) {
    case -1:
        return "Grid";
    case 0:
        return "Black";
    case 1:
        return "Blue";
    case 2:
        return "Green";
    case 3:
        return "White";
    default:
        return "?";
    }
}

const char* kindName(int kind) {
    switch (kind) {
    case 0:
        return "picture";
    case 1:
        return "mask";
    case 2:
        return "animation";
    default:
        return "?";
    }
}

// A name in double quotes, with quotes, backslashes and control characters escaped so
// that the line stays one line whatever a file holds.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", static_cast<unsigned char>(c));
            out += code;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

Json describeLayer(const ImageLayer& layer, int index) {
    const RasterImage* p = layer.picture();
    return {{"index", index},
            {"kind", int(layer.kind)},
            {"name", cp1252ToUtf8(layer.name)},
            {"width", p ? p->width() : 0},
            {"height", p ? p->height() : 0},
            {"opacity", layer.opacity},
            {"word_a", layer.wordA},
            {"role", layer.role}};
}

Json describeImage(const ProjectImage& image, const std::filesystem::path& folder) {
    Json layers = Json::array();
    for (int i = 1; i < image.layerCount(); ++i)
        layers.push_back(describeLayer(*image.layer(i), i));
    return {{"width", image.width()},
            {"height", image.height()},
            {"duration", image.duration()},
            {"layers", std::move(layers)},
            {"animation",
             image.animation ? describeAnimation(*image.animation, folder) : Json(nullptr)}};
}

} // namespace

Json describeAnimation(std::span<const uint32_t> record,
                       const std::filesystem::path& projectFolder) {
    Json out{{"words", record.empty() ? 0u : record[0]}, {"objects", Json::array()}};
    auto model = std::make_unique<AnimationModel>();
    // Nobody to ask where a moved library file went: such objects are listed without
    // their mesh.
    LibraryLoadOptions library;
    library.projectFolder = projectFolder;
    library.libraryFolder = projectFolder;
    const bool ok = loadAnimationRecord(*model, record, library).isOk();
    for (int slot = 0; slot < model->objectCount; ++slot) {
        const AnimObject& o = model->object(slot);
        // The object's rectangle in the image (right and bottom exclusive), and the
        // depth range of its mesh vertices.
        const IntRect& r = o.textureRect;
        double zMin = 0, zMax = 0;
        const int n = std::min(o.vertexCount, int(o.points.size()));
        for (int i = 0; i < n; ++i) {
            const double z = o.points[size_t(i)].texture.z;
            if (!std::isfinite(z)) continue;
            zMin = i == 0 ? z : std::min(zMin, z);
            zMax = i == 0 ? z : std::max(zMax, z);
        }
        out["objects"].push_back({{"slot", slot},
                                  {"type", model->objectTypeText(slot)},
                                  {"library", o.isLibrary()},
                                  {"vertices", o.vertexCount},
                                  {"user_dots", std::max(0, o.userDotCount())},
                                  {"triangles", o.triangles.size()},
                                  {"bones", o.bones.size()},
                                  {"hidden", o.hidden != 0},
                                  {"bbox", {r.left, r.top, r.right, r.bottom}},
                                  {"z", {zMin, zMax}}});
    }
    if (!ok) out["corrupted"] = true;
    return out;
}

std::optional<Json> describeLibrary(const std::filesystem::path& file, Prompter& prompter) {
    // The loader would offer to locate a missing file; here nobody can pick one.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        prompter.message(file.string() + ": Cannot find this library file");
        return std::nullopt;
    }
    auto model = std::make_unique<AnimationModel>();
    LibraryLoadOptions options;
    options.prompter = &prompter;
    int slot = loadLibraryObject(*model, file.string(), LibraryLoadMode::NewObject, -1, options);
    if (slot < 0) return std::nullopt;
    const AnimObject& o = model->object(slot);
    const LibraryObjectData* lib = o.library.get();
    return Json{{"kind", "library"},
                {"version", kLibraryVersion},
                {"width", lib ? lib->width : 0},
                {"height", lib ? lib->height : 0},
                {"last_frame", lib ? lib->lastFrame : 0},
                {"textures", lib ? lib->textures.size() : size_t(0)},
                {"vertices", o.vertexCount},
                {"triangles", o.triangles.size()}};
}

std::string libraryText(const Json& d) {
    std::ostringstream o;
    o << "Zelvotrix library object, version " << d["version"].get<int>() << "\n";
    o << "  " << d["width"].get<int>() << " x " << d["height"].get<int>() << ", last frame "
      << d["last_frame"].get<int>() << "\n";
    o << "  " << d["textures"].get<size_t>() << " textures, " << d["vertices"].get<int>()
      << " vertices, " << d["triangles"].get<size_t>() << " triangles\n";
    return o.str();
}

Json describeProject(const Project& p) {
    Json images = Json::array();
    for (int i = 0; i < p.imageCount(); ++i) images.push_back(describeImage(p.images[i], p.folder));
    return {{"kind", "project"},
            {"version", kProjectVersion},
            {"movie", {{"width", p.movieWidth}, {"height", p.movieHeight}, {"fps", p.fps}}},
            {"mode", int(p.mode)},
            {"current_image", p.currentImage},
            {"canvas_colour", int(p.canvasColour)},
            {"camera_frames", p.cameraValues ? p.cameraValues->size() : size_t(0)},
            {"images", std::move(images)}};
}

std::string projectText(const Json& d) {
    std::ostringstream o;
    const Json& m = d["movie"];
    o << "Zelvotrix project, version " << d["version"].get<int>() << "\n";
    o << "  movie " << m["width"].get<int>() << " x " << m["height"].get<int>() << " at "
      << m["fps"].get<int>() << " fps\n";
    o << "  mode " << modeName(d["mode"].get<int>()) << ", current image "
      << d["current_image"].get<int>() << ", canvas " << canvasName(d["canvas_colour"].get<int>())
      << "\n";
    o << "  camera frames " << d["camera_frames"].get<size_t>() << "\n";
    const Json& images = d["images"];
    o << "  " << images.size() << (images.size() == 1 ? " image\n" : " images\n");
    int i = 0;
    for (const Json& img : images) {
        o << "  image " << i++ << ": " << img["width"].get<int>() << " x "
          << img["height"].get<int>() << ", " << img["duration"].get<int>() << " frames";
        const Json& a = img["animation"];
        if (a.is_null()) {
            o << ", no animation\n";
        } else {
            o << ", animation of " << a["words"].get<uint32_t>() << " words, "
              << a["objects"].size() << " objects\n";
            for (const Json& obj : a["objects"]) {
                o << "      object " << obj.value("slot", 0) << ": " << obj.value("type", "")
                  << ", " << obj.value("vertices", 0) << " vertices, " << obj.value("triangles", 0)
                  << " triangles, " << obj.value("bones", 0) << " bones"
                  << (obj.value("hidden", false) ? ", hidden" : "") << "\n";
            }
        }
        for (const Json& l : img["layers"]) {
            o << "    layer " << l["index"].get<int>() << " " << kindName(l["kind"].get<int>());
            if (!l["name"].get<std::string>().empty())
                o << " " << quoted(l["name"].get<std::string>());
            if (l["width"].get<int>() > 0)
                o << " " << l["width"].get<int>() << " x " << l["height"].get<int>();
            else
                o << " (no picture)";
            o << ", opacity " << l["opacity"].get<int>() << "\n";
        }
    }
    return o.str();
}

} // namespace zx::cli
