#include "anim/LibraryFile.h"

#include "anim/AnimationModel.h"
#include "platform/Prompter.h"
#include "storage/Binary.h"
#include "storage/GzContainer.h"
#include "storage/PackedImage.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <memory>

namespace zx {

namespace fs = std::filesystem;

// The six leading words of a VRTX vertex record are the vertex's texture position
// (three doubles): where it samples its texture. Word 12 keeps the vertex flags
// 0x1040 (interior, selected); a loaded vertex also gets the mesh-vertex flag.
// Recorded motion stores z as a float like x and y.

namespace {

constexpr size_t kVertexWords = 15;
constexpr uint32_t kFlagsKept = uint32_t(PointFlag::Interior | PointFlag::Selected);
constexpr float kMotionThreshold = 0.1f;
constexpr size_t kInitialReserve = 400000;

void say(Prompter* p, std::string_view text) {
    if (p) p->message(text);
}

std::string_view baseName(std::string_view path) {
    size_t cut = path.find_last_of("/\\");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

// ----------------------------------------------------------------- saving

class ChunkWords {
public:
    ChunkWords() { w_.reserve(kInitialReserve); }
    size_t begin(uint32_t tag) {
        w_.u32(tag);
        w_.u32(0);
        return w_.size();
    }
    void end(size_t start) { w_.patch(start - 1, uint32_t(w_.size() - start)); }
    void empty(uint32_t tag) { end(begin(tag)); }
    WordWriter& out() { return w_; }

private:
    WordWriter w_;
};

std::vector<uint32_t> bytesToWords(std::span<const uint8_t> bytes) {
    const size_t whole = bytes.size() / 4, rest = bytes.size() % 4;
    std::vector<uint32_t> words(whole + (rest ? 1 : 0), 0);
    if (whole) std::memcpy(words.data(), bytes.data(), whole * 4);
    if (rest) std::memcpy(words.data() + whole, bytes.data() + whole * 4, rest);
    return words;
}

std::optional<RasterImage> cropImage(const RasterImage& src, const IntRect& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (src.isDescriptor() || w <= 0 || h <= 0 || r.left < 0 || r.top < 0 ||
        r.right > src.width() || r.bottom > src.height())
        return std::nullopt;
    RasterImage out(w, h);
    for (int y = 0; y < h; ++y) {
        auto from = src.row(r.top + y).subspan(size_t(r.left), size_t(w));
        std::copy(from.begin(), from.end(), out.row(y).begin());
    }
    return out;
}

std::vector<uint32_t> packedWords(const RasterImage& image) {
    auto packed = packImage(image);
    if (!packed) return {};
    return bytesToWords(packed->bytes);
}

// What one saved object contributes, prepared before anything is written.
struct SavedTexture {
    enum class Kind { None, Picture, Video } kind = Kind::None;
    std::vector<uint32_t> words; // PackedImage or descriptor words
};

struct SavedObject {
    int slot = 0;
    std::vector<size_t> groups; // entries written together (see LibraryObjectData)
    std::vector<SavedTexture> textures;
    std::vector<LibraryOpacity> opacities; // already scaled by the object's opacity
    std::vector<std::string> materials;    // empty = default name
};

LibraryOpacity scaledOpacity(const LibraryOpacity& own, const ObjectEffect& objectOpacity) {
    const float s = objectOpacity.startValue;
    const bool objTable = objectOpacity.table.size() == 513;
    LibraryOpacity out;
    switch (own.kind) {
    case LibraryOpacity::Kind::None:
        if (objTable) {
            out.kind = LibraryOpacity::Kind::Table;
            out.value = s;
            out.table = objectOpacity.table;
        } else if (s != 1.0f) {
            out.kind = LibraryOpacity::Kind::Constant;
            out.value = s;
        }
        break;
    case LibraryOpacity::Kind::Constant:
        out.value = own.value * s;
        out.kind = LibraryOpacity::Kind::Constant;
        if (objTable) {
            out.kind = LibraryOpacity::Kind::Table;
            out.table.resize(513);
            for (size_t i = 0; i < 513; ++i) out.table[i] = own.value * objectOpacity.table[i];
        }
        break;
    case LibraryOpacity::Kind::Table:
        out.kind = LibraryOpacity::Kind::Table;
        out.value = own.value * s;
        out.table.resize(513);
        for (size_t i = 0; i < 513; ++i) {
            const float t = i < own.table.size() ? own.table[i] : own.value;
            out.table[i] = t * (objTable ? objectOpacity.table[i] : s);
        }
        break;
    }
    return out;
}

SavedObject prepareObject(const AnimationModel& model, int slot) {
    const AnimObject& o = model.object(slot);
    SavedObject s;
    s.slot = slot;
    const ObjectEffect& opacity = o.effects[EffectSlot::Opacity];
    if (o.isLibrary() && o.library) {
        const LibraryObjectData& lib = *o.library;
        for (size_t i = 0; i < lib.textures.size(); ++i) {
            SavedTexture t;
            if (const auto& tex = lib.textures[i]) {
                if (tex->isDescriptor()) {
                    t.kind = SavedTexture::Kind::Video;
                    t.words = tex->toWords();
                    if (t.words.size() > 2) t.words[2] = uint32_t(-1);
                } else {
                    t.words = packedWords(*tex);
                    if (!t.words.empty()) t.kind = SavedTexture::Kind::Picture;
                }
            }
            s.textures.push_back(std::move(t));
            s.opacities.push_back(scaledOpacity(
                i < lib.opacities.size() ? lib.opacities[i] : LibraryOpacity{}, opacity));
            std::string m = i < lib.materials.size() ? lib.materials[i] : std::string();
            if (m.size() > size_t(kMaxMaterialName)) m.resize(kMaxMaterialName);
            // A default name is written as none, as the file had it; it loads the same.
            if (m == defaultMaterialName(int(i))) m.clear();
            s.materials.push_back(std::move(m));
        }
        size_t total = 0;
        for (int32_t g : lib.textureGroups) {
            s.groups.push_back(size_t(g));
            total += size_t(g);
        }
        if (total != s.textures.size()) s.groups.clear();
    } else if (!o.isLibrary()) {
        // An ordinary object samples the start image with its texture positions, so
        // the whole start image is its texture (objects after the first repeat it).
        SavedTexture t;
        if (!model.startImage.empty() && !model.startImage.isDescriptor()) {
            t.words = packedWords(model.startImage);
            if (!t.words.empty()) t.kind = SavedTexture::Kind::Picture;
        }
        s.textures.push_back(std::move(t));
        s.opacities.push_back(scaledOpacity(LibraryOpacity{}, opacity));
        s.materials.emplace_back();
    }
    return s;
}

void writeOpacity(ChunkWords& c, const LibraryOpacity& op) {
    size_t at = c.begin(LibraryTag::Opacity);
    if (op.kind != LibraryOpacity::Kind::None) c.out().f32(op.value);
    if (op.kind == LibraryOpacity::Kind::Table)
        for (size_t i = 0; i < 513; ++i) c.out().f32(i < op.table.size() ? op.table[i] : op.value);
    c.end(at);
}

// IMGR when the coded picture equals the previous texture's word for word.
void writeTexture(ChunkWords& c, const SavedTexture& t, const std::vector<uint32_t>*& previous) {
    if (t.kind == SavedTexture::Kind::Picture && previous && *previous == t.words) {
        c.empty(LibraryTag::Repeat);
    } else {
        size_t at =
            c.begin(t.kind == SavedTexture::Kind::Video ? LibraryTag::Video : LibraryTag::Image);
        c.out().words(t.words);
        c.end(at);
    }
    previous = t.kind == SavedTexture::Kind::Picture ? &t.words : nullptr;
}

void writeMaterial(ChunkWords& c, const std::string& name) {
    size_t at = c.begin(LibraryTag::Material);
    for (size_t i = 0; i < name.size() && i < size_t(kMaxMaterialName); ++i)
        c.out().u32(uint8_t(name[i]));
    c.end(at);
}

IntRect boundingRect(const AnimationModel& model, std::span<const int> slots) {
    IntRect r{};
    bool any = false;
    for (int s : slots) {
        const IntRect& t = model.object(s).textureRect;
        if (!any) {
            r = t;
            any = true;
        } else {
            r.left = std::min(r.left, t.left);
            r.top = std::min(r.top, t.top);
            r.right = std::max(r.right, t.right);
            r.bottom = std::max(r.bottom, t.bottom);
        }
    }
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, model.startWidth);
    r.bottom = std::min(r.bottom, model.startHeight);
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

bool differs(const Vec3& a, const Vec3& b) {
    return std::fabs(a.x - b.x) > kMotionThreshold || std::fabs(a.y - b.y) > kMotionThreshold ||
           std::fabs(a.z - b.z) > kMotionThreshold;
}

void writeVertices(ChunkWords& c, const AnimationModel& model, std::span<const SavedObject> objs,
                   std::span<const int> firstTexture, const IntRect& box, int lastFrame,
                   const LibrarySaveOptions& options) {
    WordWriter& w = c.out();
    size_t at = c.begin(LibraryTag::Vertices);
    for (size_t k = 0; k < objs.size(); ++k) {
        const int slot = objs[k].slot;
        const AnimObject& o = model.object(slot);
        const int n = std::clamp(o.vertexCount, 0, int(o.points.size()));
        // frames[f][i]: position of vertex i at frame f
        std::vector<std::vector<Vec3>> frames;
        if (options.framePositions) {
            frames.reserve(size_t(lastFrame) + 1);
            for (int f = 0; f <= lastFrame; ++f) frames.push_back(options.framePositions(slot, f));
        }
        auto at_ = [&](int f, int i) -> Vec3 {
            if (size_t(f) < frames.size() && size_t(i) < frames[f].size()) return frames[f][i];
            return o.points[size_t(i)].start;
        };
        const LibraryObjectData* lib = o.isLibrary() ? o.library.get() : nullptr;
        for (int i = 0; i < n; ++i) {
            const AnimPoint& p = o.points[size_t(i)];
            const Vec3 p0 = at_(0, i);
            w.f64(p.texture.x);
            w.f64(p.texture.y);
            w.f64(p.texture.z);
            w.f64(p0.x - box.left);
            w.f64(p0.y - box.top);
            w.f64(p0.z);
            w.u32(uint32_t(p.flags) & kFlagsKept);
            int32_t tex = 0;
            if (lib && size_t(i) < lib->vertexTextures.size()) tex = lib->vertexTextures[size_t(i)];
            w.i32(tex + firstTexture[k]);
            bool moves = false;
            for (int f = 1; f <= lastFrame && !moves && !frames.empty(); ++f)
                moves = differs(at_(f, i), p0);
            if (!moves) {
                w.u32(0);
                continue;
            }
            w.u32(uint32_t(lastFrame) + 1);
            for (int f = 0; f <= lastFrame; ++f) {
                const Vec3 q = at_(f, i);
                w.f32(float(q.x - box.left));
                w.f32(float(q.y - box.top));
                w.f32(float(q.z));
            }
        }
    }
    c.end(at);
}

// ----------------------------------------------------------------- loading

struct LoadedLibrary {
    bool haveHeader = false;
    int width = 0, height = 0, lastFrame = 0, textureCount = 0;
    std::vector<std::optional<RasterImage>> textures;
    std::vector<LibraryOpacity> opacities;
    std::vector<std::string> materials;
    int materialsNamed = 0;
    std::vector<AnimPoint> points;
    std::vector<std::vector<Vec3>> motion;
    std::vector<int32_t> vertexTextures;
    std::vector<MeshTriangle> triangles;
    std::vector<uint32_t> entryTags; // picture, opacity and name chunks, in file order
};

// The groups the texture entries were written in: a run of k pictures, then k
// opacities, then k names, run after run. Empty when the file followed no such order.
std::vector<int32_t> textureGroups(std::span<const uint32_t> tags) {
    auto isPicture = [](uint32_t t) {
        return t == LibraryTag::Image || t == LibraryTag::Repeat || t == LibraryTag::Video;
    };
    std::vector<int32_t> groups;
    size_t i = 0;
    while (i < tags.size()) {
        size_t k = 0;
        while (i + k < tags.size() && isPicture(tags[i + k])) ++k;
        if (k == 0 || i + 3 * k > tags.size()) return {};
        for (size_t j = 0; j < k; ++j)
            if (tags[i + k + j] != LibraryTag::Opacity ||
                tags[i + 2 * k + j] != LibraryTag::Material)
                return {};
        groups.push_back(int32_t(k));
        i += 3 * k;
    }
    return groups;
}

enum class Fault { None, Corrupted, OldFormat };

Fault readHeader(std::span<const uint32_t> p, LoadedLibrary& lib) {
    if (lib.haveHeader || p.size() < 5) return Fault::Corrupted;
    if (p[0] != kLibraryVersion) return Fault::OldFormat;
    lib.width = int32_t(p[1]);
    lib.height = int32_t(p[2]);
    lib.lastFrame = int32_t(p[3]);
    lib.textureCount = int32_t(p[4]);
    // The frame count (last frame + 1) must stay an int.
    if (lib.textureCount < 0 || lib.textureCount > kMaxLibraryTextures || lib.lastFrame < 0 ||
        lib.lastFrame == INT32_MAX)
        return Fault::Corrupted;
    lib.haveHeader = true;
    lib.textures.reserve(size_t(lib.textureCount));
    lib.opacities.reserve(size_t(lib.textureCount));
    for (int i = 0; i < lib.textureCount; ++i) lib.materials.push_back(defaultMaterialName(i));
    return Fault::None;
}

Fault readVertices(std::span<const uint32_t> payload, LoadedLibrary& lib) {
    WordReader r(payload);
    const uint64_t frames = uint64_t(lib.lastFrame) + 1;
    while (!r.atEnd()) {
        if (!r.has(kVertexWords)) return Fault::Corrupted;
        AnimPoint p;
        p.texture.x = r.f64();
        p.texture.y = r.f64();
        p.texture.z = r.f64();
        p.start.x = r.f64();
        p.start.y = r.f64();
        p.start.z = r.f64();
        p.current = p.end = p.start;
        p.flags = int32_t(r.u32() & kFlagsKept) | PointFlag::MeshVertex;
        const int32_t tex = r.i32();
        const uint32_t k = r.u32();
        std::vector<Vec3> motion;
        if (k != 0) {
            // A moving vertex has one position per frame of the library animation.
            if (k != frames || uint64_t(k) * 3 > r.remaining()) return Fault::Corrupted;
            motion.resize(k);
            for (Vec3& v : motion) {
                v.x = r.f32();
                v.y = r.f32();
                v.z = r.f32();
            }
        }
        lib.points.push_back(p);
        lib.motion.push_back(std::move(motion));
        lib.vertexTextures.push_back(tex);
    }
    return Fault::None;
}

Fault readWords(std::span<const uint32_t> words, LoadedLibrary& lib, const LibraryLoadOptions& o) {
    WordReader r(words);
    while (!r.atEnd()) {
        if (!r.has(2)) return Fault::Corrupted;
        const uint32_t tag = r.u32();
        const uint32_t n = r.u32();
        if (!r.has(n)) return Fault::Corrupted; // ends inside a chunk: no ENDL
        auto p = r.words(n);
        if (tag == LibraryTag::Header) {
            if (Fault f = readHeader(p, lib); f != Fault::None) return f;
            continue;
        }
        if (!lib.haveHeader) return Fault::Corrupted;
        switch (tag) {
        case LibraryTag::Image:
        case LibraryTag::Repeat:
        case LibraryTag::Video: {
            if (int(lib.textures.size()) >= lib.textureCount) return Fault::Corrupted;
            std::optional<RasterImage> tex;
            if (tag == LibraryTag::Image && n > 0) {
                tex = unpackImage(asBytes(p));
                if (!tex) return Fault::Corrupted;
            } else if (tag == LibraryTag::Repeat) {
                if (lib.textures.empty()) return Fault::Corrupted;
                tex = lib.textures.back();
            } else if (tag == LibraryTag::Video) {
                tex = RasterImage::fromWords(p);
                if (!tex || !tex->isDescriptor()) return Fault::Corrupted;
                if (o.registerVideo)
                    o.registerVideo(*tex, o.videoFrameSettingOne ? 1 : lib.lastFrame);
            }
            lib.textures.push_back(std::move(tex));
            lib.entryTags.push_back(tag);
            break;
        }
        case LibraryTag::Opacity: {
            if (int(lib.opacities.size()) >= lib.textureCount) return Fault::Corrupted;
            LibraryOpacity op;
            if (n >= 1) {
                op.kind = LibraryOpacity::Kind::Constant;
                op.value = std::bit_cast<float>(p[0]);
            }
            if (n >= 514) {
                op.kind = LibraryOpacity::Kind::Table;
                op.table.resize(513);
                for (size_t i = 0; i < 513; ++i) op.table[i] = std::bit_cast<float>(p[1 + i]);
            }
            lib.opacities.push_back(std::move(op));
            lib.entryTags.push_back(tag);
            break;
        }
        case LibraryTag::Material: {
            if (n > uint32_t(kMaxMaterialName)) return Fault::Corrupted;
            if (lib.materialsNamed >= lib.textureCount) return Fault::Corrupted;
            if (n > 0) {
                std::string name;
                for (uint32_t w : p) name.push_back(char(w & 0xFF));
                lib.materials[size_t(lib.materialsNamed)] = std::move(name);
            }
            ++lib.materialsNamed;
            lib.entryTags.push_back(tag);
            break;
        }
        case LibraryTag::Vertices:
            if (Fault f = readVertices(p, lib); f != Fault::None) return f;
            break;
        case LibraryTag::Triangles:
            for (size_t i = 0; i + 5 <= p.size(); i += 5) {
                MeshTriangle t;
                for (int j = 0; j < 3; ++j) t.v[j] = int32_t(p[i + size_t(j)]);
                t.flags = int32_t(p[i + 3]);
                t.material = int32_t(p[i + 4]);
                lib.triangles.push_back(t);
            }
            break;
        case LibraryTag::End: {
            // The renderer follows these indexes without checking.
            const int nv = int(lib.points.size());
            for (const MeshTriangle& t : lib.triangles)
                for (int32_t v : t.v)
                    if (v < 0 || v >= nv) return Fault::Corrupted;
            return Fault::None;
        }
        default:
            break; // unknown chunks are stepped over
        }
    }
    return Fault::Corrupted; // the data ended without ENDL
}

std::vector<uint32_t> contentWords(std::span<const uint8_t> content) {
    std::vector<uint32_t> words(content.size() / 4);
    if (!words.empty()) std::memcpy(words.data(), content.data(), words.size() * 4);
    return words;
}

void installGeometry(AnimObject& o, LoadedLibrary&& lib, const std::string& name, bool fresh) {
    auto data = std::make_shared<LibraryObjectData>();
    data->path = name;
    data->width = lib.width;
    data->height = lib.height;
    data->lastFrame = lib.lastFrame;
    data->textures = std::move(lib.textures);
    data->opacities = std::move(lib.opacities);
    data->materials = std::move(lib.materials);
    data->motion = std::move(lib.motion);
    data->vertexTextures = std::move(lib.vertexTextures);
    data->textureGroups = textureGroups(lib.entryTags);
    // A texture table shorter than the header said keeps its declared length.
    data->textures.resize(size_t(lib.textureCount));
    data->opacities.resize(size_t(lib.textureCount));

    bool depth = false;
    for (const AnimPoint& p : lib.points) depth = depth || p.start.z != 0;
    for (const auto& m : data->motion)
        for (const Vec3& v : m) depth = depth || v.z != 0;

    o.vertexCount = int32_t(lib.points.size());
    o.points = std::move(lib.points);
    o.triangles = std::move(lib.triangles);
    o.bones.clear();
    o.boxRect = {0, 0, lib.width, lib.height};
    o.ownLastFrame = lib.lastFrame;
    o.recordedFrameCount = lib.lastFrame + 1;
    if (fresh) {
        o.libraryFlag = 1;
        // The file does not say whether the object is flat: any depth makes it 3D.
        o.flag3d = depth ? 1 : 0;
        o.name = name;
        o.textureRect = o.boxRect;
    }
    o.library = std::move(data);
}

} // namespace

std::string defaultMaterialName(int entry) {
    return "Mat" + std::to_string(entry + 1);
}

std::optional<fs::path> LibraryRelocations::find(const std::string& stored) const {
    auto it = pairs_.find(stored);
    if (it == pairs_.end()) return std::nullopt;
    return it->second;
}

void LibraryRelocations::remember(const std::string& stored, const fs::path& chosen) {
    pairs_[stored] = chosen;
}

std::optional<fs::path> locateLibraryFile(const std::string& stored,
                                          const LibraryLoadOptions& options) {
    std::error_code ec;
    fs::path given{stored};
    fs::path direct = given.is_absolute() || options.projectFolder.empty()
                          ? given
                          : options.projectFolder / given;
    if (!stored.empty() && fs::is_regular_file(direct, ec)) return direct;
    if (!options.libraryFolder.empty() && !stored.empty()) {
        fs::path inLibrary = options.libraryFolder / fs::path(std::string(baseName(stored)));
        if (fs::is_regular_file(inLibrary, ec)) return inLibrary;
    }
    if (options.relocations)
        if (auto moved = options.relocations->find(stored);
            moved && fs::is_regular_file(*moved, ec))
            return moved;
    if (!options.prompter || options.prompter->ask(stored + std::string(LibraryMessage::CannotFind),
                                                   Buttons::YesNo) != Answer::Yes)
        return std::nullopt;
    if (!options.locateFile) return std::nullopt;
    auto chosen = options.locateFile(stored);
    if (!chosen) return std::nullopt;
    if (options.relocations) options.relocations->remember(stored, *chosen);
    return chosen;
}

int loadLibraryObjectFromData(AnimationModel& model, std::span<const uint8_t> content,
                              const std::string& name, LibraryLoadMode mode, int slot,
                              const LibraryLoadOptions& options) {
    if (mode == LibraryLoadMode::NewObject) {
        if (model.objectCount >= kMaxObjects) {
            say(options.prompter, LibraryMessage::NoFreeSlot);
            return -1;
        }
        slot = model.objectCount;
    } else if (slot < 0 || slot >= kMaxObjects) {
        return -1;
    }
    const std::vector<uint32_t> words = contentWords(content);
    if (words.empty() || words[0] != LibraryTag::Header) {
        say(options.prompter, LibraryMessage::NotALibrary);
        return -1;
    }
    LoadedLibrary lib;
    switch (readWords(words, lib, options)) {
    case Fault::None:
        break;
    case Fault::OldFormat:
        say(options.prompter, LibraryMessage::OldFormat);
        return -1;
    case Fault::Corrupted:
        say(options.prompter, LibraryMessage::Corrupted);
        return -1;
    }

    // Everything was read into `lib`; only now is the model touched, so a failure
    // above never costs the user an object.
    if (mode == LibraryLoadMode::RecordGeometry) {
        installGeometry(model.object(slot), std::move(lib), name, false);
    } else {
        if (mode == LibraryLoadMode::NewObject) model.objectCount = slot + 1;
        model.freeSlot(slot);
        installGeometry(model.object(slot), std::move(lib), name, true);
    }
    if (options.recordUndo) options.recordUndo();
    return slot;
}

int loadLibraryObject(AnimationModel& model, const std::string& path, LibraryLoadMode mode,
                      int slot, const LibraryLoadOptions& options) {
    auto file = locateLibraryFile(path, options);
    if (!file) return -1;
    ContainerContent c = readGzContainer(*file, kLibraryMagic);
    if (c.status != ContainerStatus::Ok) {
        say(options.prompter, LibraryMessage::CannotRead);
        return -1;
    }
    return loadLibraryObjectFromData(model, c.data, path, mode, slot, options);
}

std::function<bool(AnimationModel&, int)> recordLibraryLoader(LibraryLoadOptions options) {
    options.recordUndo = nullptr; // reloading a record is not an edit
    return [options = std::move(options)](AnimationModel& model, int slot) {
        return loadLibraryObject(model, model.object(slot).name, LibraryLoadMode::RecordGeometry,
                                 slot, options) >= 0;
    };
}

namespace {

// Where the thumbnail lies in a library's words: its payload, none, or past the
// words read so far.
struct ThumbnailPlace {
    enum class Kind { Found, None, NeedMore } kind = Kind::None;
    size_t at = 0, count = 0;
};

// Reads words in place: the scan runs again on every piece of a file being read.
ThumbnailPlace findThumbnail(std::span<const uint8_t> bytes) {
    using K = ThumbnailPlace::Kind;
    const size_t size = bytes.size() / 4;
    auto word = [&](size_t i) {
        uint32_t w;
        std::memcpy(&w, bytes.data() + i * 4, 4);
        return w;
    };
    if (size < 2) return {K::NeedMore};
    if (word(0) != LibraryTag::Header) return {K::None};
    if (size < 7) return {K::NeedMore};
    size_t pos = 2 + size_t(word(1));
    for (;;) {
        if (pos > size || size - pos < 2) return {K::NeedMore};
        const uint32_t n = word(pos + 1);
        if (word(pos) != LibraryTag::Image) return {K::None};
        if (n > 0) {
            if (n > size - pos - 2) return {K::NeedMore};
            return {K::Found, pos + 2, n};
        }
        pos += 2;
        if (size - pos < 2) return {K::NeedMore};
        if (word(pos) == LibraryTag::Opacity) pos += 2 + size_t(word(pos + 1));
    }
}

} // namespace

std::optional<RasterImage> libraryThumbnailFromData(std::span<const uint8_t> content) {
    const ThumbnailPlace place = findThumbnail(content);
    if (place.kind != ThumbnailPlace::Kind::Found) return std::nullopt;
    return unpackImage(content.subspan(place.at * 4, place.count * 4));
}

std::optional<RasterImage> readLibraryThumbnail(const fs::path& path) {
    // Only as much of the file is inflated as the thumbnail needs.
    ContainerContent c = readGzContainerPrefix(path, kLibraryMagic, [](auto data) {
        return findThumbnail(data).kind != ThumbnailPlace::Kind::NeedMore;
    });
    if (c.status != ContainerStatus::Ok) return std::nullopt;
    return libraryThumbnailFromData(c.data);
}

std::vector<uint32_t> buildLibraryWords(const AnimationModel& model, std::span<const int> slots,
                                        bool wholeAnimation, const LibrarySaveOptions& options) {
    std::vector<int> valid;
    for (int s : slots)
        if (s >= 0 && s < model.objectCount) valid.push_back(s);
    const IntRect box = boundingRect(model, valid);

    int lastFrame = model.lastFrameIndex;
    if (!wholeAnimation && valid.size() == 1 && model.object(valid[0]).isLibrary())
        lastFrame = model.object(valid[0]).ownLastFrame;
    lastFrame = std::max(lastFrame, 0);

    std::vector<SavedObject> objs;
    for (int s : valid) objs.push_back(prepareObject(model, s));

    ChunkWords c;
    WordWriter& w = c.out();
    size_t header = c.begin(LibraryTag::Header);
    w.u32(kLibraryVersion);
    w.i32(0); // width, patched below
    w.i32(0); // height
    w.i32(lastFrame);
    w.i32(0); // texture count, patched last
    c.end(header);
    w.patch(header + 1, uint32_t(box.right - box.left));
    w.patch(header + 2, uint32_t(box.bottom - box.top));

    int textures = 0;
    if (wholeAnimation) {
        size_t at = c.begin(LibraryTag::Image);
        if (options.thumbnailPicture)
            if (auto crop = cropImage(*options.thumbnailPicture, box)) w.words(packedWords(*crop));
        c.end(at);
        c.empty(LibraryTag::Opacity);
        c.empty(LibraryTag::Material);
        textures = 1;
    }

    std::vector<int> firstTexture;
    const std::vector<uint32_t>* previous = nullptr;
    for (const SavedObject& o : objs) {
        firstTexture.push_back(textures);
        const size_t count = o.textures.size();
        std::vector<size_t> groups = o.groups;
        if (groups.empty()) groups.push_back(count);
        size_t from = 0;
        for (size_t g = 0; g < groups.size(); ++g) {
            const size_t to = from + groups[g];
            for (size_t i = from; i < to; ++i) writeTexture(c, o.textures[i], previous);
            for (size_t i = from; i < to; ++i) writeOpacity(c, o.opacities[i]);
            for (size_t i = from; i < to; ++i) writeMaterial(c, o.materials[i]);
            // Groups come from a whole animation, whose thumbnail is never repeated.
            if (g == 0 && groups.size() > 1) previous = nullptr;
            from = to;
        }
        textures += int(count);
    }

    writeVertices(c, model, objs, firstTexture, box, lastFrame, options);

    size_t tri = c.begin(LibraryTag::Triangles);
    int vertexBase = 0;
    for (size_t k = 0; k < objs.size(); ++k) {
        const AnimObject& o = model.object(objs[k].slot);
        const bool textured = !objs[k].textures.empty();
        for (const MeshTriangle& t : o.triangles) {
            for (int32_t v : t.v) w.i32(v + vertexBase);
            w.i32(t.flags);
            w.i32(textured ? firstTexture[k] + (o.isLibrary() ? t.material : 0) : 0);
        }
        vertexBase += std::clamp(o.vertexCount, 0, int(o.points.size()));
    }
    c.end(tri);
    c.empty(LibraryTag::End);
    w.patch(header + 4, uint32_t(textures));
    return w.take();
}

namespace {

std::string saveWords(const std::vector<uint32_t>& words, const fs::path& path,
                      const LibrarySaveOptions& options) {
    if (options.prompter) options.prompter->status("Writing library file...");
    if (!writeGzContainer(path, kLibraryMagic, asBytes(words))) {
        say(options.prompter, LibraryMessage::SaveFailed);
        return {};
    }
    if (options.prompter) options.prompter->status("Ready");
    return path.string();
}

} // namespace

std::string saveAnimationAsLibrary(const AnimationModel& model, const fs::path& path,
                                   const LibrarySaveOptions& options) {
    if (options.prompter) options.prompter->status("Building library image...");
    // Hidden objects (conductor boxes among them) are not part of what is seen, so
    // they are left out of the merged object.
    std::vector<int> slots;
    for (int i = 0; i < model.objectCount; ++i)
        if (!model.object(i).hidden) slots.push_back(i);
    return saveWords(buildLibraryWords(model, slots, true, options), path, options);
}

std::string saveObjectAsLibrary(const AnimationModel& model, int slot, const fs::path& path,
                                const LibrarySaveOptions& options) {
    if (options.prompter) options.prompter->status("Building library image...");
    const int slots[] = {slot};
    return saveWords(buildLibraryWords(model, slots, false, options), path, options);
}

LibraryNameCheck checkLibrarySaveName(const fs::path& path, std::span<const std::string> usedNames,
                                      Prompter& prompter) {
    std::string ext = path.extension().string();
    for (char& ch : ext) ch = char(std::tolower(uint8_t(ch)));
    if (ext != ".zxl") {
        prompter.message(LibraryMessage::BadExtension);
        return LibraryNameCheck::Retry;
    }
    const std::string mine(baseName(path.string()));
    for (const std::string& used : usedNames)
        if (baseName(used) == mine)
            return prompter.askOkCancel(LibraryMessage::NameUsed) ? LibraryNameCheck::Retry
                                                                  : LibraryNameCheck::Cancel;
    return LibraryNameCheck::Ok;
}

} // namespace zx
