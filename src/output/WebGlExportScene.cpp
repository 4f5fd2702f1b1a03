#include "output/WebGlExportScene.h"

#include "anim/Deformation.h"
#include "anim/EffectTables.h"
#include "anim/TimeCurve.h"
#include "output/JsNumber.h"
#include "platform/Prompter.h"
#include "platform/Text.h"
#include "render/ObjectDrawing.h"
#include "render/ProjectVertices.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numeric>
#include <tuple>

namespace zx {

namespace {

// Two paths closer than this in every coordinate share one entry.
constexpr double kSharedPathTolerance = 0.001;

// The pixel effects the page applies, with their keys, in the order of the file.
struct EffectKey {
    const char* key;
    int slot;
};
constexpr std::array<EffectKey, 8> kPixelEffects = {{
    {", brightness:", EffectSlot::Brightness},
    {", contrast:", EffectSlot::Contrast},
    {", hue:", EffectSlot::Hue},
    {", saturation:", EffectSlot::Saturation},
    {", red:", EffectSlot::Red},
    {", green:", EffectSlot::Green},
    {", blue:", EffectSlot::Blue},
    {", opacity:", EffectSlot::Opacity},
}};

// Pixel positions to page units: the image centre at the origin, the larger side 1,
// y up.
struct Normaliser {
    double width, height, s;
    explicit Normaliser(const AnimationModel& m)
        : width(m.startWidth), height(m.startHeight),
          s(1.0 / std::max(1, std::max(m.startWidth, m.startHeight))) {}
    Vec3 operator()(const Vec3& p) const {
        return {(p.x - width / 2) * s, (height / 2 - p.y) * s, p.z * s};
    }
};

// Every frame's positions of the exported vertices, object after object.
using FramePositions = std::vector<std::vector<Vec3>>;

std::vector<Vec3> currentPositions(const AnimationModel& model, const std::vector<int>& slots) {
    std::vector<Vec3> out;
    for (int slot : slots) {
        const AnimObject& o = model.object(slot);
        for (int i = 0; i < drawableVertexCount(o); ++i) out.push_back(o.points[size_t(i)].current);
    }
    return out;
}

FramePositions framePositions(AnimationModel& model, const std::vector<int>& slots,
                              const WebGlSceneOptions& options) {
    const int frames = std::max(1, options.frames);
    FramePositions positions;
    // Positions only: a binding loop is told of where the animation is edited and played,
    // where the user can mend it.
    SilentPrompter silent;
    if (options.staticFrame >= 0) {
        computeFrame(model, frameTime(std::min(options.staticFrame, frames), frames), silent);
        positions.push_back(currentPositions(model, slots));
        return positions;
    }
    for (int k = 0; k <= frames; ++k) {
        computeFrame(model, double(k) / frames, silent);
        positions.push_back(currentPositions(model, slots));
    }
    return positions;
}

// Shares identical paths between vertices: paths are found by the cell of their first
// point, looking in the neighbouring cells too.
class PathTable {
public:
    explicit PathTable(std::vector<double>& trajectory) : trajectory_(trajectory) {}

    int add(const std::vector<Vec3>& path) {
        const Cell cell = cellOf(path.front());
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                for (int dz = -1; dz <= 1; ++dz) {
                    auto it = cells_.find(
                        {std::get<0>(cell) + dx, std::get<1>(cell) + dy, std::get<2>(cell) + dz});
                    if (it == cells_.end()) continue;
                    for (int entry : it->second)
                        if (matches(entry, path)) return entry;
                }
        const int entry = int(trajectory_.size());
        trajectory_.push_back(double(path.size()));
        for (const Vec3& p : path) trajectory_.insert(trajectory_.end(), {p.x, p.y, p.z});
        cells_[cell].push_back(entry);
        return entry;
    }

private:
    using Cell = std::tuple<long long, long long, long long>;
    static Cell cellOf(const Vec3& p) {
        auto c = [](double v) { return (long long)std::floor(v / kSharedPathTolerance); };
        return {c(p.x), c(p.y), c(p.z)};
    }
    bool matches(int entry, const std::vector<Vec3>& path) const {
        if (trajectory_[size_t(entry)] != double(path.size())) return false;
        const double* q = &trajectory_[size_t(entry) + 1];
        for (size_t i = 0; i < path.size(); ++i) {
            const double d[3] = {path[i].x - q[3 * i], path[i].y - q[3 * i + 1],
                                 path[i].z - q[3 * i + 2]};
            for (double v : d)
                if (!(std::fabs(v) <= kSharedPathTolerance)) return false;
        }
        return true;
    }

    std::vector<double>& trajectory_;
    std::map<Cell, std::vector<int>> cells_;
};

Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// Vertex normals of an object at the given pixel positions, as the renderer finds
// them: the sum of the faces around a vertex, normalised; facing the viewer when the
// vertex has no face.
std::vector<Vec3> vertexNormals(const AnimObject& o, const Vec3* positions, int n) {
    std::vector<Vec3> normals(static_cast<size_t>(n));
    for (const MeshTriangle& t : o.triangles) {
        if (t.flags < 0 || std::any_of(t.v, t.v + 3, [n](int v) { return v < 0 || v >= n; }))
            continue;
        const Vec3 &a = positions[t.v[0]], &b = positions[t.v[1]], &c = positions[t.v[2]];
        const Vec3 f = cross({b.x - a.x, b.y - a.y, b.z - a.z}, {c.x - a.x, c.y - a.y, c.z - a.z});
        for (int v : t.v)
            normals[size_t(v)] = {normals[size_t(v)].x + f.x, normals[size_t(v)].y + f.y,
                                  normals[size_t(v)].z + f.z};
    }
    for (Vec3& v : normals) {
        const double len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
        v = len > 1e-12 && std::isfinite(len) ? Vec3{v.x / len, v.y / len, v.z / len}
                                              : Vec3{0, 0, -1};
    }
    return normals;
}

// An object's vertices as written, each with the picture it samples, and its
// triangles in those numbers (deleted and broken triangles left out).
struct TexturedMesh {
    struct Face {
        std::array<int, 3> v;
        const MeshTriangle* triangle;
        const RasterImage* texture;
    };
    std::vector<int> source; // the object's vertex each written vertex copies
    std::vector<const RasterImage*> textures;
    std::vector<Face> faces;
};

TexturedMesh texturedMesh(const AnimationModel& model, const AnimObject& o, int n) {
    TexturedMesh m;
    m.source.resize(size_t(n));
    std::iota(m.source.begin(), m.source.end(), 0);
    m.textures.assign(size_t(n), materialTexture(model, o, 0));
    std::vector<char> taken(size_t(n), 0);
    std::map<std::pair<int, const RasterImage*>, int> copies;
    for (const MeshTriangle& t : o.triangles) {
        if (t.flags < 0 || std::any_of(t.v, t.v + 3, [n](int v) { return v < 0 || v >= n; }))
            continue;
        TexturedMesh::Face face{{}, &t, materialTexture(model, o, t.material)};
        for (int k = 0; k < 3; ++k) {
            const int v = t.v[k];
            if (!taken[size_t(v)]) taken[size_t(v)] = 1, m.textures[size_t(v)] = face.texture;
            if (m.textures[size_t(v)] == face.texture) {
                face.v[size_t(k)] = v;
                continue;
            }
            const auto [at, fresh] = copies.try_emplace({v, face.texture}, int(m.source.size()));
            if (fresh) m.source.push_back(v), m.textures.push_back(face.texture);
            face.v[size_t(k)] = at->second;
        }
        m.faces.push_back(face);
    }
    return m;
}

// A triangle that lets what is behind it show: a transparency step, a solid colour,
// or any texel of its texture region not fully opaque.
bool seeThrough(const MeshTriangle& t, const AnimObject& o, const RasterImage* texture) {
    if (t.flags & (TriangleFlag::TransparencyMask | TriangleFlag::SolidColour)) return true;
    if (!texture) return true;
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (int v : t.v) {
        const Vec3& p = o.points[size_t(v)].texture;
        x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
    }
    const int left = std::max(0, int(std::floor(x0))), top = std::max(0, int(std::floor(y0)));
    const int right = std::min(texture->width() - 1, int(std::floor(x1)));
    const int bottom = std::min(texture->height() - 1, int(std::floor(y1)));
    if (left > right || top > bottom) return true;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            if ((texture->at(x, y) >> 24) != 0xFF) return true;
    return false;
}

void addTriangles(const AnimObject& o, const TexturedMesh& mesh, int firstVertex,
                  std::vector<int>& out) {
    std::vector<const TexturedMesh::Face*> later;
    auto put = [&](const TexturedMesh::Face& f) {
        for (int v : f.v) out.push_back(firstVertex + v);
    };
    for (const TexturedMesh::Face& f : mesh.faces) {
        if (seeThrough(*f.triangle, o, f.texture))
            later.push_back(&f);
        else
            put(f);
    }
    for (const TexturedMesh::Face* f : later) put(*f);
}

bool isConstant(const ObjectEffect& e) {
    return e.table.empty() ||
           std::all_of(e.table.begin(), e.table.end(), [&](float v) { return v == e.table[0]; });
}

bool sameOpacity(const LibraryOpacity& a, const LibraryOpacity& b) {
    return a.kind == b.kind && a.value == b.value && a.table == b.table;
}

// The opacity the materials of a library object's triangles add to the object's own
// (a library saved from an animation keeps its objects' fades there), when they all
// add the same one: the page has one opacity per object. Null otherwise.
const LibraryOpacity* sharedMaterialOpacity(const AnimObject& o) {
    static const LibraryOpacity none;
    const LibraryObjectData* lib = o.isLibrary() ? o.library.get() : nullptr;
    if (!lib) return nullptr;
    const LibraryOpacity* shared = nullptr;
    for (const MeshTriangle& t : o.triangles) {
        if (t.flags < 0) continue;
        size_t m = size_t(t.material);
        if (t.material < 0 || m >= lib->textures.size()) m = 0;
        const LibraryOpacity& own = m < lib->opacities.size() ? lib->opacities[m] : none;
        if (shared && !sameOpacity(*shared, own)) return nullptr;
        shared = &own;
    }
    return shared && shared->kind != LibraryOpacity::Kind::None ? shared : nullptr;
}

// The effect keys of a named object: a track for an effect that changes over the
// animation, the value of one that stays put away from its neutral value.
void addEffects(const AnimObject& o, const WebGlSceneOptions& options,
                std::vector<double>& trajectory, WebGlObjectRecord& record) {
    const int frames = std::max(1, options.frames);
    for (const EffectKey& k : kPixelEffects) {
        const ObjectEffect& e = o.effects[size_t(k.slot)];
        const bool opacity = k.slot == EffectSlot::Opacity;
        const double neutral = opacity ? 1.0 : 0.0;
        const LibraryOpacity* material = opacity ? sharedMaterialOpacity(o) : nullptr;
        const auto valueAt = [&](double t) {
            return evaluateEffect(e, t) * (material ? libraryOpacityAt(*material, t) : 1.0);
        };
        const bool varies =
            !isConstant(e) || (material && material->kind == LibraryOpacity::Kind::Table &&
                               !std::all_of(material->table.begin(), material->table.end(),
                                            [&](float v) { return v == material->table[0]; }));
        if (options.staticFrame < 0 && varies) {
            record.effects.emplace_back(k.key,
                                        "{trajx:" + jsNumber(double(trajectory.size())) + "}");
            trajectory.push_back(frames + 1);
            for (int f = 0; f <= frames; ++f) trajectory.push_back(valueAt(double(f) / frames));
            continue;
        }
        const double t = options.staticFrame < 0
                             ? 0.0
                             : frameTime(std::min(options.staticFrame, frames), frames);
        const double value = valueAt(t);
        if (value != neutral)
            record.effects.emplace_back(k.key, "{startvalue:" + jsNumber(value) + "}");
    }
}

} // namespace

bool exportsObject(const AnimObject& object) {
    return !object.hidden && drawableVertexCount(object) > 0;
}

std::vector<int> exportedSlots(const AnimationModel& model) {
    std::vector<int> slots;
    for (int slot = 0; slot < std::min(model.objectCount, kMaxObjects); ++slot)
        if (exportsObject(model.object(slot))) slots.push_back(slot);
    return slots;
}

WebGlScene collectWebGlScene(AnimationModel& model, const AtlasPlacement& atlas,
                             const WebGlSceneOptions& options) {
    const std::vector<int> slots = exportedSlots(model);
    const FramePositions frames = framePositions(model, slots, options);
    const Normaliser normalise(model);
    const std::vector<Vec3>& base = frames.front();

    WebGlScene scene;
    PathTable paths(scene.trajectory);
    int first = 0; // the object's first vertex in the frames' positions
    for (int slot : slots) {
        const AnimObject& o = model.object(slot);
        const int n = drawableVertexCount(o);
        const std::vector<Vec3> normals = vertexNormals(o, &base[size_t(first)], n);
        std::vector<int> pathIndex(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            const size_t v = size_t(first + i);
            std::vector<Vec3> path;
            bool moves = false;
            for (const auto& frame : frames) {
                path.push_back(normalise(frame[v]));
                moves = moves || !(frame[v] == base[v]);
            }
            pathIndex[size_t(i)] = moves ? paths.add(path) : 0;
        }
        const TexturedMesh mesh = texturedMesh(model, o, n);
        const int written = scene.vertexCount();
        for (size_t k = 0; k < mesh.source.size(); ++k) {
            const int i = mesh.source[k];
            const Vec3 p = normalise(base[size_t(first + i)]);
            const Vec3& nv = normals[size_t(i)];
            scene.vertices.insert(
                scene.vertices.end(),
                {p.x, p.y, p.z, double(pathIndex[size_t(i)]), nv.x, -nv.y, -nv.z});
            const Vec3& tex = o.points[size_t(i)].texture;
            const AtlasCorner corner = atlas.corner(mesh.textures[k]);
            scene.texcoords.push_back((tex.x + corner.x) / atlas.width);
            scene.texcoords.push_back((tex.y + corner.y) / atlas.height);
        }
        const int firstFace = int(scene.triangles.size() / 3);
        addTriangles(o, mesh, written, scene.triangles);
        if (!o.name.empty()) {
            WebGlObjectRecord record;
            record.name = cp1252ToUtf8(o.name);
            record.firstVertex = written;
            record.firstFace = firstFace;
            record.endFace = int(scene.triangles.size() / 3);
            record.hasCentre = options.staticFrame >= 0 || frames.size() == 1;
            if (record.hasCentre) {
                Vec3 sum;
                for (int i = 0; i < n; ++i) {
                    const Vec3 q = normalise(base[size_t(first + i)]);
                    sum = {sum.x + q.x, sum.y + q.y, sum.z + q.z};
                }
                record.centre = {sum.x / n, sum.y / n, sum.z / n};
            }
            addEffects(o, options, scene.trajectory, record);
            scene.objects.push_back(std::move(record));
        }
        first += n;
    }
    return scene;
}

} // namespace zx
