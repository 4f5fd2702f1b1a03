#include "mesh3d/RebuildMeshes.h"

#include "anim/BoneAssignment.h"
#include "mesh3d/FlatShapeBuilder.h"
#include "mesh3d/MeshBuildContext.h"
#include "mesh3d/ObjectMesh.h"
#include "mesh3d/ObjectRegion.h"
#include "platform/Progress.h"
#include "platform/Prompter.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace zx {

namespace {

void detail(const RebuildOptions& options, std::string_view text) {
    if (options.progress) options.progress->setDetail(text);
    options.prompter.status(text);
}

bool cancelled(const RebuildOptions& options) {
    return options.progress && options.progress->cancelled();
}

// Outline and vertices of one object. Returns true when the object still needs its
// triangulation (a 3D object comes back from the shape builder complete).
bool buildObjectVertices(AnimationModel& model, int slot, const RebuildOptions& options,
                         bool& complete) {
    complete = false;
    AnimObject& o = model.object(slot);
    if (o.is3d() && options.volumeBuilder) {
        std::optional<RasterImage> mask = objectRegionMask(o);
        if (!mask) return false;
        complete = options.volumeBuilder(model, slot, *mask).isOk();
        return complete;
    }
    std::optional<RegionCrop> crop = objectRegionCrop(o);
    if (!crop) return false;
    return buildFlatVertices(model, slot, crop->mask, options.prompter, crop->left, crop->top)
        .isOk();
}

// A new mesh under existing bones: the bones' outline records and the vertices'
// bone assignment follow the new vertices.
void refreshBones(AnimationModel& model, int slot) {
    AnimObject& o = model.object(slot);
    if (o.bones.empty() || o.isLibrary()) return;
    rebuildBoneNetwork(o);
    assignVerticesToBones(model, slot);
}

bool hasRegion(const AnimObject& o) {
    return !o.isLibrary() && o.ownedMasks[kRegionMaskSlot].has_value();
}

} // namespace

int markDuplicateVertices(AnimObject& object) {
    // Exactly equal positions, found through a hash of their bits: the same marks as
    // comparing every pair, in linear time.
    struct Key {
        double u, v, w;
        bool operator==(const Key& k) const { return u == k.u && v == k.v && w == k.w; }
    };
    struct Hash {
        size_t operator()(const Key& k) const {
            uint64_t a, b, c;
            std::memcpy(&a, &k.u, 8);
            std::memcpy(&b, &k.v, 8);
            std::memcpy(&c, &k.w, 8);
            return size_t(a * 0x9E3779B97F4A7C15ull ^ (b + 0x632BE59BD9B4E019ull) * 31 ^ c);
        }
    };
    std::unordered_map<Key, int, Hash> first;
    const int n = std::clamp(object.vertexCount, 0, int(object.points.size()));
    first.reserve(size_t(n));
    int marked = 0;
    for (int i = 0; i < n; ++i) {
        AnimPoint& p = object.points[i];
        if (p.flags & PointFlag::Deleted) continue;
        // +0.0 and -0.0 compare equal; normalise them so they hash alike.
        Key k{p.texture.x + 0.0, p.texture.y + 0.0, p.texture.z + 0.0};
        if (!first.emplace(k, i).second) {
            p.flags |= PointFlag::Deleted;
            ++marked;
        }
    }
    return marked;
}

Result<RebuildCounts> rebuildMeshes(AnimationModel& model, const RebuildOptions& options) {
    RebuildCounts result;
    bool stopped = false;
    if (options.progress) options.progress->setTitle(kBuildShapeTitle);
    detail(options, kBuildingContours);
    std::vector<char> needsMesh(size_t(model.objectCount), 0);
    const int first = std::max(0, options.firstSlot);
    for (int slot = first; slot < model.objectCount && !stopped; ++slot) {
        if (options.progress) options.progress->setPosition(slot, model.objectCount);
        if (!hasRegion(model.object(slot))) continue;
        bool complete = false;
        if (buildObjectVertices(model, slot, options, complete) && !complete) needsMesh[slot] = 1;
        stopped = cancelled(options);
    }

    detail(options, kBuildingMesh);
    for (int slot = first; slot < model.objectCount && !stopped; ++slot) {
        if (!needsMesh[slot]) continue;
        markDuplicateVertices(model.object(slot));
        stopped =
            buildObjectMesh(model, slot, true, nullptr, options.progress).status().isCancelled();
        refreshBones(model, slot);
    }

    for (int slot = model.objectCount - 1; slot >= first; --slot) {
        if (model.object(slot).triangles.empty()) {
            model.removeObject(slot);
            ++result.removed;
        }
    }
    result.built = model.objectCount;
    model.selectedObject = -1;
    options.prompter.status("");
    if (stopped) return Status::cancelled();
    return result;
}

bool rebuildObjectMesh(AnimationModel& model, int slot, const RebuildOptions& options) {
    if (slot < 0 || slot >= model.objectCount || !hasRegion(model.object(slot))) return false;
    // Keep what the build changes, so that a failed build leaves everything as it
    // was: the object, and the parent dots other objects hold in it.
    const AnimObject backup = model.object(slot);
    std::vector<ObjectBinding> bindings;
    for (int s = 0; s < model.objectCount; ++s) bindings.push_back(model.object(s).binding);
    bool complete = false;
    bool ok = buildObjectVertices(model, slot, options, complete);
    if (ok && !complete) {
        markDuplicateVertices(model.object(slot));
        // A cancelled triangulation keeps the triangles it found, as in rebuildMeshes;
        // an object left without any is restored below.
        static_cast<void>(buildObjectMesh(model, slot, true, nullptr, options.progress));
    }
    if (!ok || model.object(slot).triangles.empty()) {
        model.object(slot) = backup;
        for (int s = 0; s < model.objectCount; ++s) model.object(s).binding = bindings[size_t(s)];
        return false;
    }
    refreshBones(model, slot);
    return true;
}

bool changeMeshDefinition(AnimationModel& model, int slot, int step,
                          const RebuildOptions& options) {
    if (slot < 0 || slot >= model.objectCount) return false;
    AnimObject& o = model.object(slot);
    const int32_t old = o.settingWord;
    const int32_t level = std::clamp(std::clamp(old, 0, 2) + step, 0, 2);
    if (level == old) return false;
    o.settingWord = level;
    if (!rebuildObjectMesh(model, slot, options)) {
        model.object(slot).settingWord = old;
        return false;
    }
    return true;
}

} // namespace zx
