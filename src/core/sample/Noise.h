#pragma once
// Deterministic random numbers and value noise for the procedural sample pictures.
//
// Everything here is our own integer hashing and plain float arithmetic, so a given seed
// yields the same terrain with every standard library (std::uniform_*_distribution is not
// specified bit for bit and would make the sample bytes depend on the toolchain).

#include <cmath>
#include <cstdint>

namespace keldar::sample {

// splitmix64: tiny, fast, and good enough for placing rocks and sensor noise.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1) from the top 24 bits, exactly representable as float.
    float uniform() { return static_cast<float>(next() >> 40) * (1.0f / 16777216.0f); }
    float range(float lo, float hi) { return lo + (hi - lo) * uniform(); }
    // Integer in [0, n) for n > 0.
    int below(int n) { return static_cast<int>((next() >> 33) % static_cast<std::uint64_t>(n)); }

private:
    std::uint64_t state_;
};

// Stateless hash of a lattice point, for noise and for per-cell features (rocks).
inline std::uint32_t hash3(std::int32_t x, std::int32_t y, std::uint32_t seed) {
    std::uint32_t h = seed * 0x27D4EB2Du;
    h ^= static_cast<std::uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

inline float hashUnit(std::int32_t x, std::int32_t y, std::uint32_t seed) {
    return static_cast<float>(hash3(x, y, seed) >> 8) * (1.0f / 16777216.0f);
}

// Value and gradient of a noise field at one point.
struct NoiseSample {
    float v = 0.0f;
    float dx = 0.0f;
    float dy = 0.0f;
};

// Value noise in [-1, 1] with its analytic gradient (quintic fade), so terrain normals need no
// extra evaluations.
inline std::int32_t floorToInt(float v) {
    // Truncation plus a correction is much cheaper than std::floor without SSE4.1.
    const auto i = static_cast<std::int32_t>(v);
    return v < static_cast<float>(i) ? i - 1 : i;
}

inline NoiseSample valueNoise(float x, float y, std::uint32_t seed) {
    const std::int32_t ix = floorToInt(x);
    const std::int32_t iy = floorToInt(y);
    const float fx = x - static_cast<float>(ix);
    const float fy = y - static_cast<float>(iy);
    const float ux = fx * fx * fx * (fx * (fx * 6.0f - 15.0f) + 10.0f);
    const float uy = fy * fy * fy * (fy * (fy * 6.0f - 15.0f) + 10.0f);
    const float dux = 30.0f * fx * fx * (fx * (fx - 2.0f) + 1.0f);
    const float duy = 30.0f * fy * fy * (fy * (fy - 2.0f) + 1.0f);
    const float a = hashUnit(ix, iy, seed);
    const float b = hashUnit(ix + 1, iy, seed);
    const float c = hashUnit(ix, iy + 1, seed);
    const float d = hashUnit(ix + 1, iy + 1, seed);
    const float k = a - b - c + d;
    NoiseSample s;
    s.v = 2.0f * (a + (b - a) * ux + (c - a) * uy + k * ux * uy) - 1.0f;
    s.dx = 2.0f * dux * ((b - a) + k * uy);
    s.dy = 2.0f * duy * ((c - a) + k * ux);
    return s;
}

// Fractional Brownian motion: octaves of value noise, each rotated by about 37 degrees and
// scaled by 2 so the lattice never lines up. `octaves` may be fractional: the last octave fades
// in, which keeps the level of detail continuous with distance instead of popping.
inline NoiseSample fbm(float x, float y, float octaves, std::uint32_t seed, float gain = 0.5f) {
    NoiseSample sum;
    // Matrix taking world coordinates to the current octave's coordinates.
    float m00 = 1.0f, m01 = 0.0f, m10 = 0.0f, m11 = 1.0f;
    float amp = 1.0f;
    const int whole = static_cast<int>(std::ceil(octaves));
    for (int i = 0; i < whole; ++i) {
        const float px = m00 * x + m01 * y;
        const float py = m10 * x + m11 * y;
        const NoiseSample n = valueNoise(px, py, seed + static_cast<std::uint32_t>(i) * 1013u);
        float w = amp;
        if (static_cast<float>(i) + 1.0f > octaves) w *= octaves - static_cast<float>(i);
        sum.v += w * n.v;
        // Chain rule: d/dworld = (d/doctave) * M.
        sum.dx += w * (n.dx * m00 + n.dy * m10);
        sum.dy += w * (n.dx * m01 + n.dy * m11);
        const float n00 = 1.6f * m00 - 1.2f * m10;
        const float n01 = 1.6f * m01 - 1.2f * m11;
        const float n10 = 1.2f * m00 + 1.6f * m10;
        const float n11 = 1.2f * m01 + 1.6f * m11;
        m00 = n00; m01 = n01; m10 = n10; m11 = n11;
        amp *= gain;
    }
    return sum;
}

inline float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

inline float smoothstep(float e0, float e1, float x) {
    const float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

inline float lerp(float a, float b, float t) { return a + (b - a) * t; }

}  // namespace keldar::sample
