#pragma once
// The state of one object's mesh build: the vertices made so far, the registry that
// merges coincident ones, and the outline contour list. Lives from the start of the
// object's build to its end; MeshCommit puts the result into the object.

#include "anim/AnimPoint.h"
#include "mesh3d/ContourList.h"
#include "mesh3d/VertexRegistry.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace zx {

class Prompter;
class Rng;

struct MeshVertexFlag {
    static constexpr int32_t New = 0x41;        // every vertex the builder makes
    static constexpr int32_t Outline = 0x08;    // on the object's outline
    static constexpr int32_t Protected = 0x400; // kept by the vertex thinning
    static constexpr int32_t Deleted = int32_t(0x80000000u);
};

inline constexpr std::string_view kVertexLimitMessage =
    "Shape is too complex, please retry with lower mesh definition";

// Samples per curve for a mesh definition level: 8, 16, any other level 32.
int samplesPerCurve(int32_t definition);

class MeshBuildContext {
public:
    explicit MeshBuildContext(Prompter* prompter = nullptr);

    // The index of the vertex at exactly (x, y), or of a new vertex with flags 0x41 |
    // kindBits. -1 after "Shape is too complex, please retry with lower mesh
    // definition" when the object already has 131071 vertices; from then on the
    // build has failed and every further call returns -1 without a message.
    int32_t addVertex(double x, double y, double z, int32_t kindBits);

    // Samples the segment from `start` to the image position of vertex `end` in n
    // steps: step 0 adds `start` itself, steps 1 .. n - 2 add the step positions
    // jittered by less than 1e-6 in x and y, step n - 1 adds nothing. Returns the
    // curve's list of n + 1 entries: the n - 1 vertices, -1, then `end`. Empty when
    // the vertex limit stopped it.
    std::vector<int32_t> sampleCurve(const Vec3& start, int32_t end, int n, Rng& rng);

    bool failed() const { return failed_; }
    int vertexCount() const { return int(vertices.size()); }

    std::vector<AnimPoint> vertices; // texture = start = end = current = image position
    ContourList contour;
    // The curve end vertex of each vertex (-1: none), in step with `vertices`.
    std::vector<int32_t> curveEnd;

private:
    Prompter* prompter_;
    std::unique_ptr<VertexRegistry> registry_;
    std::vector<double> xs_, ys_;
    bool failed_ = false;
};

} // namespace zx
