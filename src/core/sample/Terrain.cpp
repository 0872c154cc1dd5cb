#include "core/sample/Terrain.h"

#include "core/sample/Noise.h"

#include <algorithm>
#include <cmath>
#include <thread>
#include <vector>

namespace keldar::sample {

namespace {

constexpr float kPi = 3.14159265358979f;

float radians(float deg) { return deg * (kPi / 180.0f); }

// Number of fBm octaves whose wavelength stays above two samples of `lod`.
float octavesFor(float wavelength, float lod, float maxOctaves) {
    const float o = std::log2(wavelength / (2.0f * std::max(lod, 1e-4f)));
    return std::clamp(o, 0.0f, maxOctaves);
}

float toDisplay(float v) {
    if (v <= 0.0f) return 0.0f;
    if (v >= 1.0f) return 1.0f;
    return std::pow(v, 1.0f / 2.2f);
}

}  // namespace

Terrain::Terrain(const SceneParams& p) : p_(p) {
    const float az = radians(p.sunAzimuthDeg);
    const float el = radians(p.sunElevationDeg);
    sunX_ = std::sin(az) * std::cos(el);
    sunY_ = std::cos(az) * std::cos(el);
    sunZ_ = std::sin(el);
    const float ra = radians(p.rippleAzimuthDeg);
    rippleDirX_ = std::sin(ra);
    rippleDirY_ = std::cos(ra);
    // How far the tallest rock of each layer can cast its shadow.
    const float tanEl = std::max(std::tan(el), 0.05f);
    for (int i = 0; i < SceneParams::kMaxRockLayers; ++i)
        shadowReach_[i] = std::min(p.rocks[i].rMax, 0.38f * p.rocks[i].cell) * p.rocks[i].heightRatio * 1.4f *
                              (1.0f + 1.2f * p.rocks[i].lumpiness) / tanEl +
                          p.rocks[i].rMax * 1.65f;
}

namespace {

// Further well-mixed values from one cell hash, cheaper than hashing the cell again.
float nextUnit(std::uint32_t& h) {
    h += 0x9E3779B9u;
    std::uint32_t z = h;
    z = (z ^ (z >> 16)) * 0x85EBCA6Bu;
    z = (z ^ (z >> 13)) * 0xC2B2AE35u;
    z ^= z >> 16;
    return static_cast<float>(z >> 8) * (1.0f / 16777216.0f);
}

}  // namespace

bool Terrain::rockInCell(int li, std::int32_t gx, std::int32_t gy, Rock& k) const {
    const RockLayer& L = p_.rocks[li];
    const std::uint32_t seed = p_.seed * 31u + 7919u * static_cast<std::uint32_t>(li + 1);
    std::uint32_t h = hash3(gx, gy, seed);
    if (static_cast<float>(h >> 8) * (1.0f / 16777216.0f) >= L.probability) return false;
    k.u1 = nextUnit(h);
    // Cubing skews the sizes toward small rocks, as on a real boulder field.
    k.r = std::min(L.rMin + (L.rMax - L.rMin) * k.u1 * k.u1 * k.u1, 0.38f * L.cell);
    k.aspect = 0.75f + 0.5f * nextUnit(h);
    k.reach = k.r * 1.65f;  // covers the widest outline at the largest aspect
    // Rocks stay inside their cell, so a point has only its own cell to look at.
    const float span = std::max(L.cell - 2.0f * k.reach, 0.0f);
    k.cx = static_cast<float>(gx) * L.cell + k.reach + nextUnit(h) * span;
    k.cy = static_cast<float>(gy) * L.cell + k.reach + nextUnit(h) * span;
    if (k.cx * k.cx + k.cy * k.cy < p_.clearRadius * p_.clearRadius) return false;
    k.hash = h;
    k.seed = seed;
    k.layer = li;
    return true;
}

float Terrain::rockHeight(Rock& k, float x, float y, float* dhdx, float* dhdy, float* cover) const {
    const float lx = x - k.cx;
    const float ly = y - k.cy;
    if (lx * lx + ly * ly >= k.reach * k.reach) return 0.0f;
    if (!k.shaped) {
        // The outline and height are only needed once a point falls near the rock.
        std::uint32_t h = k.hash;
        const float ang = nextUnit(h) * 2.0f * kPi;
        k.c = std::cos(ang);
        k.s = std::sin(ang);
        k.H = k.r * p_.rocks[k.layer].heightRatio * (0.6f + 0.8f * nextUnit(h));
        k.tone = p_.rocks[k.layer].tone * (0.7f + 0.6f * nextUnit(h));
        // A convex polygon outline with jittered sides gives the broken facets of basalt.
        for (int i = 0; i < Rock::kFacets; ++i) {
            const float a = (static_cast<float>(i) + 0.7f * nextUnit(h)) * (2.0f * kPi / Rock::kFacets);
            const float inv = 1.0f / (0.8f + 0.2f * nextUnit(h));
            k.fu[i] = std::cos(a) * inv;
            k.fv[i] = std::sin(a) * inv;
        }
        k.shaped = true;
    }
    const float ra = k.r * k.aspect;
    const float rb = k.r / k.aspect;
    const float u = (k.c * lx + k.s * ly) / ra;
    const float v = (-k.s * lx + k.c * ly) / rb;
    // q: polygon "radius" of (u, v), 1 on the outline; blended with the round distance so the
    // facets stay visible but the rock does not become a pyramid.
    int best = 0;
    float qp = k.fu[0] * u + k.fv[0] * v;
    for (int i = 1; i < Rock::kFacets; ++i) {
        const float d = k.fu[i] * u + k.fv[i] * v;
        if (d > qp) { qp = d; best = i; }
    }
    const float qr = std::sqrt(u * u + v * v);
    const float fw = p_.rocks[k.layer].facet;
    const float q = fw * qp + (1.0f - fw) * qr;
    if (q >= 1.0f) return 0.0f;
    const float pw = p_.rocks[k.layer].edgePower * 2.0f;
    const float q2 = q * q;
    const float qpw = pw == 4.0f ? q2 * q2 : (pw == 8.0f ? (q2 * q2) * (q2 * q2) : std::pow(std::max(q, 1e-6f), pw));
    const float P = 1.0f - qpw;
    // Lumps make every rock its own shape; a finer octave roughens its skin.
    const NoiseSample n = valueNoise(u * 1.7f + 17.0f * k.u1, v * 1.7f - 9.0f * k.u1, k.seed + 8);
    const NoiseSample g = valueNoise(u * 7.0f + 5.0f * k.u1, v * 7.0f, k.seed + 9);
    const float lumpA = p_.rocks[k.layer].lumpiness;
    const float lump = 1.0f + lumpA * n.v + 0.2f * lumpA * g.v;
    if (dhdx) {
        const float dPdq = -pw * qpw / std::max(q, 1e-6f);
        const float dqdu = fw * k.fu[best] + (qr > 1e-6f ? (1.0f - fw) * u / qr : 0.0f);
        const float dqdv = fw * k.fv[best] + (qr > 1e-6f ? (1.0f - fw) * v / qr : 0.0f);
        const float dhdu = k.H * (dPdq * dqdu * lump + P * lumpA * (1.7f * n.dx + 0.2f * 7.0f * g.dx));
        const float dhdv = k.H * (dPdq * dqdv * lump + P * lumpA * (1.7f * n.dy + 0.2f * 7.0f * g.dy));
        *dhdx = dhdu * k.c / ra - dhdv * k.s / rb;
        *dhdy = dhdu * k.s / ra + dhdv * k.c / rb;
    }
    if (cover) *cover = smoothstep(0.0f, 0.2f, P * lump);
    return k.H * P * lump;
}

void Terrain::addRocks(float x, float y, float lod, TerrainSample& s) const {
    for (int li = 0; li < p_.rockLayerCount; ++li) {
        const RockLayer& L = p_.rocks[li];
        if (L.rMax < lod * 0.7f) continue;  // too small to show at this distance
        Rock k;
        if (!rockInCell(li, floorToInt(x / L.cell), floorToInt(y / L.cell), k))
            continue;
        float dx = 0.0f, dy = 0.0f, cover = 0.0f;
        const float h = rockHeight(k, x, y, &dx, &dy, &cover);
        if (h == 0.0f && cover == 0.0f) continue;
        s.h += h;
        s.dx += dx;
        s.dy += dy;
        if (cover > s.rock) {
            s.rock = cover;
            s.rockTone = k.tone;
        }
    }
}

void Terrain::addRipples(float x, float y, float lod, TerrainSample& s) const {
    if (p_.rippleAmplitude <= 0.0f) return;
    const float lam = p_.rippleWavelength;
    // Ripples fade out before they are sampled too coarsely to show anything but moire.
    const float fade = 1.0f - smoothstep(0.06f * lam, 0.2f * lam, lod);
    if (fade <= 0.0f) return;
    const NoiseSample cover = valueNoise(x / 60.0f, y / 60.0f, p_.seed + 77u);
    const float m = smoothstep(-0.25f, 0.35f, cover.v + (p_.rippleCoverage - 0.5f) * 1.2f) * fade;
    if (m <= 0.0f) return;
    // Crests wander and break up: the phase is warped by noise a few wavelengths across.
    const float ws = 3.0f * lam;
    const NoiseSample warp = fbm(x / ws, y / ws, 2.0f, p_.seed + 91u);
    const float phase = (rippleDirX_ * x + rippleDirY_ * y) / lam + 1.5f * warp.v;
    const float dphx = rippleDirX_ / lam + 1.5f * warp.dx / ws;
    const float dphy = rippleDirY_ / lam + 1.5f * warp.dy / ws;
    const float cc = 0.5f + 0.5f * std::cos(2.0f * kPi * phase);
    const float sh = cc * cc;  // narrow crests, broad troughs
    const float dsh = -2.0f * kPi * cc * std::sin(2.0f * kPi * phase);
    const float A = p_.rippleAmplitude * m;
    s.h += A * sh;
    s.dx += A * dsh * dphx;
    s.dy += A * dsh * dphy;
    // Coarse dark grains collect in the troughs.
    s.albedo *= 1.0f - 0.28f * m * (1.0f - cc);
}

TerrainSample Terrain::sample(float x, float y, float lod) const {
    TerrainSample s;
    if (p_.hillAmplitude > 0.0f) {
        const float r = std::sqrt(x * x + y * y);
        if (r > p_.hillStart) {
            const NoiseSample n = fbm(x / p_.hillWavelength, y / p_.hillWavelength,
                                      octavesFor(p_.hillWavelength, lod, 5.0f) + 1.0f, p_.seed + 11u);
            const float base = std::max(0.5f + 0.6f * n.v, 0.0f);
            const float mask = smoothstep(p_.hillStart, p_.hillEnd, r);
            const float t = clamp01((r - p_.hillStart) / (p_.hillEnd - p_.hillStart));
            const float dmask = (p_.hillEnd > p_.hillStart && t > 0.0f && t < 1.0f)
                                    ? 6.0f * t * (1.0f - t) / (p_.hillEnd - p_.hillStart)
                                    : 0.0f;
            const float A = p_.hillAmplitude;
            s.h += A * base * base * mask;
            const float dbase = base > 0.0f ? 2.0f * base * 0.6f / p_.hillWavelength : 0.0f;
            s.dx += A * (dbase * n.dx * mask + base * base * dmask * x / r);
            s.dy += A * (dbase * n.dy * mask + base * base * dmask * y / r);
        }
    }
    {
        const float wl = p_.undulationWavelength;
        const NoiseSample n = fbm(x / wl, y / wl, octavesFor(wl, lod, 2.0f) + 1.0f, p_.seed + 23u);
        s.h += p_.undulationAmplitude * n.v;
        s.dx += p_.undulationAmplitude * n.dx / wl;
        s.dy += p_.undulationAmplitude * n.dy / wl;
        const NoiseSample a = valueNoise(x / 9.0f, y / 9.0f, p_.seed + 29u);
        s.albedo = 1.0f + p_.albedoVariation * a.v;
    }
    if (p_.roughAmplitude > 0.0f) {
        const float wl = p_.roughWavelength;
        const float oct = octavesFor(wl, lod, 7.0f);
        if (oct > 0.0f) {
            const NoiseSample n = fbm(x / wl, y / wl, oct, p_.seed + 37u, 0.55f);
            s.h += p_.roughAmplitude * n.v;
            s.dx += p_.roughAmplitude * n.dx / wl;
            s.dy += p_.roughAmplitude * n.dy / wl;
            s.albedo *= 1.0f + 0.12f * n.v;
        }
        // Grain-scale speckle of the soil's colour, where it can still be resolved.
        const float gw = wl * 0.05f;
        if (lod < gw) {
            const NoiseSample g = valueNoise(x / gw, y / gw, p_.seed + 41u);
            s.albedo *= 1.0f + 0.12f * g.v * (1.0f - smoothstep(0.25f * gw, gw, lod));
        }
    }
    addRipples(x, y, lod, s);
    addRocks(x, y, lod, s);
    return s;
}

float Terrain::maxHeight() const {
    // fBm sums stay within twice their first amplitude (gain 0.5 or 0.55 halves each octave).
    float m = p_.hillAmplitude * 2.9f + p_.undulationAmplitude * 2.0f + p_.roughAmplitude * 2.3f + p_.rippleAmplitude;
    float rock = 0.0f;
    for (int i = 0; i < p_.rockLayerCount; ++i)
        rock += std::min(p_.rocks[i].rMax, 0.38f * p_.rocks[i].cell) * p_.rocks[i].heightRatio * 1.4f *
                (1.0f + 1.2f * p_.rocks[i].lumpiness);
    return m + rock;
}

float Terrain::sunLight(float x, float y, float lod) const {
    const float horiz = std::sqrt(sunX_ * sunX_ + sunY_ * sunY_);
    if (horiz < 1e-4f) return 1.0f;
    const float ux = sunX_ / horiz, uy = sunY_ / horiz;
    const float rise = sunZ_ / horiz;
    // Over the short reach of a rock's shadow the smooth ground is nearly a plane, so only rocks
    // are tested: the height of the rocks under the point, against each rock that the ray toward
    // the sun passes over, sampled across that rock.
    TerrainSample here;
    addRocks(x, y, lod, here);
    const float base = here.h + 0.002f;
    float light = 1.0f;
    for (int li = 0; li < p_.rockLayerCount && light > 0.0f; ++li) {
        const RockLayer& L = p_.rocks[li];
        if (L.rMax < lod * 0.7f) continue;
        const float reach = shadowReach_[li];
        const float ex = x + ux * reach, ey = y + uy * reach;
        const auto gx0 = static_cast<std::int32_t>(std::floor(std::min(x, ex) / L.cell));
        const auto gx1 = static_cast<std::int32_t>(std::floor(std::max(x, ex) / L.cell));
        const auto gy0 = static_cast<std::int32_t>(std::floor(std::min(y, ey) / L.cell));
        const auto gy1 = static_cast<std::int32_t>(std::floor(std::max(y, ey) / L.cell));
        for (std::int32_t gy = gy0; gy <= gy1; ++gy) {
            for (std::int32_t gx = gx0; gx <= gx1; ++gx) {
                Rock k;
                if (!rockInCell(li, gx, gy, k)) continue;
                // Where the ray crosses the rock's bounding circle.
                const float ox = x - k.cx, oy = y - k.cy;
                const float bq = ox * ux + oy * uy;
                const float cq = ox * ox + oy * oy - k.reach * k.reach;
                const float disc = bq * bq - cq;
                if (disc <= 0.0f) continue;
                const float sq = std::sqrt(disc);
                const float d0 = std::max(-bq - sq, 0.01f);
                const float d1 = std::min(-bq + sq, reach);
                if (d1 <= d0) continue;
                constexpr int kSteps = 6;
                for (int i = 0; i < kSteps; ++i) {
                    const float d = d0 + (d1 - d0) * (static_cast<float>(i) + 0.5f) / kSteps;
                    const float occ = rockHeight(k, x + ux * d, y + uy * d, nullptr, nullptr, nullptr) - (base + d * rise);
                    // A soft edge growing with distance imitates the penumbra of the sun's disc.
                    light = std::min(light, clamp01(0.5f - occ / (0.02f + 0.05f * d)));
                }
            }
        }
    }
    return light;
}

Rgb Terrain::shade(const TerrainSample& s, float x, float y, float dist, float lod, bool withShadow) const {
    const float inv = 1.0f / std::sqrt(s.dx * s.dx + s.dy * s.dy + 1.0f);
    const float nx = -s.dx * inv, ny = -s.dy * inv, nz = inv;
    const float ndl = std::max(0.0f, nx * sunX_ + ny * sunY_ + nz * sunZ_);
    float light = 1.0f;
    if (withShadow && ndl > 0.0f) light = sunLight(x, y, lod);
    Rgb soil = p_.soil * s.albedo;
    Rgb rock = p_.rock * s.rockTone;
    // Dust settles on the flatter tops of rocks.
    rock = mix(rock, p_.dust, 0.55f * smoothstep(0.75f, 0.97f, nz));
    const Rgb albedo = mix(soil, rock, s.rock);
    const Rgb lit = p_.sunColour * (ndl * light) + p_.ambientColour * (0.6f + 0.4f * nz);
    const Rgb c = albedo * lit;
    const float haze = 1.0f - std::exp(-dist / p_.hazeDistance);
    return mix(c, p_.skyHorizon, haze);
}

Rgb Terrain::sky(float dx, float dy, float dz) const {
    const float e = std::max(dz, 0.0f);
    const float t = std::pow(smoothstep(0.0f, 0.9f, e), 0.6f);
    Rgb c = mix(p_.skyHorizon, p_.skyZenith, t);
    const float cosSun = dx * sunX_ + dy * sunY_ + dz * sunZ_;
    // Forward scattering by the dust brightens the sky around the sun.
    if (cosSun > 0.0f) c = c + p_.sunColour * (0.22f * std::pow(cosSun, 6.0f));
    return c;
}

Raster renderView(const Terrain& terrain, const CameraParams& cam) {
    const int ss = std::max(cam.supersample, 1);
    const int W = cam.width * ss;
    const int H = cam.height * ss;
    Raster img(W, H);

    const float yaw = radians(cam.yawDeg);
    const float fx = std::sin(yaw), fy = std::cos(yaw);  // forward
    const float rx = std::cos(yaw), ry = -std::sin(yaw);  // right
    const float f = (static_cast<float>(W) * 0.5f) / std::tan(radians(cam.hfovDeg) * 0.5f);
    const float cx = static_cast<float>(W) * 0.5f;
    const float cy = cam.horizonRow * static_cast<float>(H);

    // Both eyes of a pair share the height of the rig, taken at the unshifted position.
    const float camZ = terrain.sample(cam.x, cam.y, 0.01f).h + cam.mastHeight;
    const float ox = cam.x + rx * cam.baseline;
    const float oy = cam.y + ry * cam.baseline;

    const float below = static_cast<float>(H) - cy;
    const float t0 = below > 1.0f ? std::max(cam.mastHeight * f / below * 0.85f, 0.05f) : 0.3f;
    const float tMax = 2000.0f;
    const float kStep = 0.007f;
    const float maxH = terrain.maxHeight();

    // Columns are independent; interleave them over a few threads. The result does not depend
    // on the number of threads.
    auto renderColumn = [&](int col) {
        const float xr = (static_cast<float>(col) + 0.5f - cx) / f;
        const float dx = fx + xr * rx;
        const float dy = fy + xr * ry;
        const float dirLen = std::sqrt(dx * dx + dy * dy);

        int top = H;  // rows [top, H) are drawn
        float prevY = 0.0f;
        Rgb prevC;
        bool prevVisible = false;
        float t = t0;
        float tPrev = -1.0f;
        float ysPrev = 0.0f;
        while (t < tMax && top > 0) {
            const float px = ox + t * dx;
            const float py = oy + t * dy;
            // Detail must stay above the sampling along the ray as well as across it, or fine
            // noise aliases into streaks pointing at the camera.
            const float lodStep = std::min(t * t / (f * cam.mastHeight), t * kStep);
            const float lod = std::max(t * dirLen / f, lodStep * 0.75f);
            const TerrainSample s = terrain.sample(px, py, lod);
            const float ys = cy - (s.h - camZ) * f / t;
            // A steep face (a rock's flank) climbs many rows in one step: go back and take
            // smaller steps so its shading is sampled row by row, not smeared.
            if (tPrev > 0.0f && ys < static_cast<float>(top) && ysPrev - ys > 3.0f && t - tPrev > 0.0004f * t) {
                t = 0.5f * (tPrev + t);
                continue;
            }
            const int newTop = std::max(0, static_cast<int>(std::ceil(ys - 0.5f)));
            if (newTop < top) {
                const float dist = t * dirLen;
                const Rgb c = terrain.shade(s, px, py, dist, lod, dist < 45.0f);
                for (int row = newTop; row < top; ++row) {
                    Rgb out = c;
                    if (prevVisible && prevY > ys) {
                        const float a = clamp01((static_cast<float>(row) + 0.5f - ys) / (prevY - ys));
                        out = mix(c, prevC, a);
                    }
                    img.at(col, row) = out;
                }
                top = newTop;
                prevVisible = true;
                prevY = ys;
                prevC = c;
            } else {
                prevVisible = false;
                // Stop once nothing farther can rise above what is drawn. Terrain that may tower
                // over the camera projects highest right here; terrain that stays below the camera
                // creeps up toward the horizon and projects highest at the far end of the ray.
                const float limit = maxH > camZ ? cy - (maxH - camZ) * f / t : cy + (camZ - maxH) * f / tMax;
                if (limit >= static_cast<float>(top)) break;
            }
            tPrev = t;
            ysPrev = ys;
            // About one output row per step near the camera; farther out the step grows with the
            // distance, and faster still where only smooth hills remain to be seen.
            const float far = std::max(t * (1.0f / 30.0f), 1.0f);
            t += std::max(std::min(t * t / (f * cam.mastHeight), t * kStep * std::sqrt(far)), 0.0005f);
        }
        for (int row = 0; row < top; ++row) {
            const float yv = (cy - (static_cast<float>(row) + 0.5f)) / f;
            float vx = dx, vy = dy, vz = yv;
            const float n = 1.0f / std::sqrt(vx * vx + vy * vy + vz * vz);
            vx *= n; vy *= n; vz *= n;
            img.at(col, row) = terrain.sky(vx, vy, vz);
        }
    };
    const unsigned hw = std::thread::hardware_concurrency();
    const int threads = static_cast<int>(std::clamp(hw, 1u, 4u));
    std::vector<std::thread> pool;
    for (int k = 1; k < threads; ++k)
        pool.emplace_back([&, k] {
            for (int col = k; col < W; col += threads) renderColumn(col);
        });
    for (int col = 0; col < W; col += threads) renderColumn(col);
    for (std::thread& th : pool) th.join();

    Raster out = downsample(img, ss);
    for (int y = 0; y < out.height(); ++y) {
        for (int x = 0; x < out.width(); ++x) {
            Rgb& p = out.at(x, y);
            p = {toDisplay(p.r * cam.exposure), toDisplay(p.g * cam.exposure), toDisplay(p.b * cam.exposure)};
        }
    }
    return out;
}

Raster renderTiltedView(const Terrain& terrain, const CameraParams& cam, float pitchDeg) {
    const float W = static_cast<float>(cam.width), H = static_cast<float>(cam.height);
    const float f = (W * 0.5f) / std::tan(radians(cam.hfovDeg) * 0.5f);
    const float cp = std::cos(radians(pitchDeg)), sp = std::sin(radians(pitchDeg));
    // Where the tilted camera's pixel (u, v) lies on the vertical image plane of the same
    // pinhole: x and up over the horizontal forward distance.
    auto onPlane = [&](float u, float v, float& px, float& pu) {
        const float x = (u - W * 0.5f) / f, down = (v - H * 0.5f) / f;
        const float forward = cp + down * sp;
        px = x / forward;
        pu = (sp - down * cp) / forward;
    };
    float maxX = 0.0f, maxUp = -1e9f, minUp = 1e9f;
    for (int i = 0; i <= 64; ++i) {
        const float t = static_cast<float>(i) / 64.0f;
        const float edges[4][2] = {{t * W, 0.0f}, {t * W, H}, {0.0f, t * H}, {W, t * H}};
        for (const auto& e : edges) {
            float px = 0, pu = 0;
            onPlane(e[0], e[1], px, pu);
            maxX = std::max(maxX, std::fabs(px));
            maxUp = std::max(maxUp, pu);
            minUp = std::min(minUp, pu);
        }
    }
    CameraParams plane = cam;
    plane.width = 2 * static_cast<int>(std::ceil(f * maxX)) + 4;
    plane.height = static_cast<int>(std::ceil(f * (maxUp - minUp))) + 4;
    plane.hfovDeg = 2.0f * std::atan(static_cast<float>(plane.width) * 0.5f / f) * 180.0f / kPi;
    const float planeTop = f * maxUp + 2.0f;  // rows from the top of the plane to its horizon
    plane.horizonRow = planeTop / static_cast<float>(plane.height);
    const Raster wide = renderView(terrain, plane);

    Raster out(cam.width, cam.height);
    for (int v = 0; v < cam.height; ++v)
        for (int u = 0; u < cam.width; ++u) {
            float px = 0, pu = 0;
            onPlane(static_cast<float>(u) + 0.5f, static_cast<float>(v) + 0.5f, px, pu);
            const float sx = static_cast<float>(plane.width) * 0.5f + f * px - 0.5f;
            const float sy = planeTop - f * pu - 0.5f;
            const int x0 = std::clamp(static_cast<int>(std::floor(sx)), 0, plane.width - 2);
            const int y0 = std::clamp(static_cast<int>(std::floor(sy)), 0, plane.height - 2);
            const float ax = std::clamp(sx - static_cast<float>(x0), 0.0f, 1.0f);
            const float ay = std::clamp(sy - static_cast<float>(y0), 0.0f, 1.0f);
            const Rgb top = mix(wide.at(x0, y0), wide.at(x0 + 1, y0), ax);
            const Rgb bottom = mix(wide.at(x0, y0 + 1), wide.at(x0 + 1, y0 + 1), ax);
            out.at(u, v) = mix(top, bottom, ay);
        }
    return out;
}

Raster renderMap(const Terrain& terrain, float cx, float cy, float metresPerPixel, int width, int height) {
    Raster out(width, height);
    const SceneParams& p = terrain.params();
    // Maps are lit from the upper left, as shaded relief conventionally is.
    const float lx = -0.5f, ly = 0.5f, lz = 0.7071f;
    for (int row = 0; row < height; ++row) {
        for (int col = 0; col < width; ++col) {
            const float x = cx + (static_cast<float>(col) + 0.5f - static_cast<float>(width) * 0.5f) * metresPerPixel;
            const float y = cy - (static_cast<float>(row) + 0.5f - static_cast<float>(height) * 0.5f) * metresPerPixel;
            const TerrainSample s = terrain.sample(x, y, metresPerPixel);
            // Exaggerate the relief so a gentle plain still shows its shape from above.
            const float gx = s.dx * 4.0f, gy = s.dy * 4.0f;
            const float inv = 1.0f / std::sqrt(gx * gx + gy * gy + 1.0f);
            const float ndl = std::max(0.0f, (-gx * lx - gy * ly + lz) * inv);
            const Rgb albedo = p.soil * s.albedo;
            const Rgb c = albedo * (1.1f * ndl + 0.45f);
            out.at(col, row) = {toDisplay(c.r * 1.6f), toDisplay(c.g * 1.6f), toDisplay(c.b * 1.6f)};
        }
    }
    return out;
}

}  // namespace keldar::sample

namespace keldar::sample {

Raster renderOrtho(const Terrain& terrain, float cx, float cy, float metresPerPixel, int width, int height, float exposure) {
    Raster out(width, height);
    for (int row = 0; row < height; ++row) {
        for (int col = 0; col < width; ++col) {
            const float x = cx + (static_cast<float>(col) + 0.5f - static_cast<float>(width) * 0.5f) * metresPerPixel;
            const float y = cy - (static_cast<float>(row) + 0.5f - static_cast<float>(height) * 0.5f) * metresPerPixel;
            const TerrainSample s = terrain.sample(x, y, metresPerPixel);
            const Rgb c = terrain.shade(s, x, y, 0.0f, metresPerPixel, true);
            out.at(col, row) = {toDisplay(c.r * exposure), toDisplay(c.g * exposure), toDisplay(c.b * exposure)};
        }
    }
    return out;
}

}  // namespace keldar::sample
