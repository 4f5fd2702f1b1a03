#pragma once
// A small deterministic random generator. Every AnimationModel (and every worker's
// private model) owns one, so renders are reproducible and threads share no state.

#include <cstdint>

namespace zx {

class Rng {
public:
    explicit Rng(uint64_t seed = 0x5A454C564F545249ull) : state_(seed) {}
    void seed(uint64_t s) { state_ = s; }

    // splitmix64
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // uniform in [0, 1)
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    // The tiny jitter the mesh code adds to break ties: uniform in [0, 1e-6).
    double jitter() { return uniform() * 1e-6; }

private:
    uint64_t state_;
};

} // namespace zx
