// The procedural pieces behind the sample pictures: noise, terrain gradients, the stereo
// geometry of the renderer, traverse paths and the small text font.

#include "core/sample/Noise.h"
#include "core/sample/Raster.h"
#include "core/sample/Terrain.h"
#include "core/sample/TraverseMap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

using namespace keldar::sample;

TEST(SampleNoise, RngIsRepeatableAndUniformStaysInRange) {
    Rng a(42), b(42), c(43);
    bool differs = false;
    for (int i = 0; i < 1000; ++i) {
        const std::uint64_t x = a.next();
        EXPECT_EQ(x, b.next());
        if (x != c.next()) differs = true;
    }
    EXPECT_TRUE(differs);
    Rng r(7);
    double sum = 0.0;
    for (int i = 0; i < 10000; ++i) {
        const float u = r.uniform();
        ASSERT_GE(u, 0.0f);
        ASSERT_LT(u, 1.0f);
        sum += u;
        const int k = r.below(5);
        ASSERT_GE(k, 0);
        ASSERT_LT(k, 5);
    }
    EXPECT_NEAR(sum / 10000.0, 0.5, 0.02);
}

TEST(SampleNoise, FloorToIntMatchesFloorAcrossZero) {
    for (float v : {-2.0f, -1.5f, -1.0f, -0.25f, 0.0f, 0.25f, 1.0f, 1.75f, 1e6f + 0.5f, -1e6f - 0.5f})
        EXPECT_EQ(floorToInt(v), static_cast<int>(std::floor(v))) << v;
}

// The renderer shades with the analytic gradients, so they must be the derivatives of the values.
TEST(SampleNoise, AnalyticGradientsMatchFiniteDifferences) {
    const float e = 1e-3f;
    for (float x : {-3.7f, 0.2f, 5.55f, 17.9f}) {
        for (float y : {-8.1f, 0.6f, 2.45f}) {
            const NoiseSample n = valueNoise(x, y, 9);
            EXPECT_GE(n.v, -1.0f);
            EXPECT_LE(n.v, 1.0f);
            EXPECT_NEAR(n.dx, (valueNoise(x + e, y, 9).v - valueNoise(x - e, y, 9).v) / (2 * e), 0.02f);
            EXPECT_NEAR(n.dy, (valueNoise(x, y + e, 9).v - valueNoise(x, y - e, 9).v) / (2 * e), 0.02f);
            const NoiseSample f = fbm(x, y, 3.5f, 4);
            EXPECT_NEAR(f.dx, (fbm(x + e, y, 3.5f, 4).v - fbm(x - e, y, 3.5f, 4).v) / (2 * e), 0.05f);
            EXPECT_NEAR(f.dy, (fbm(x, y + e, 3.5f, 4).v - fbm(x, y - e, 3.5f, 4).v) / (2 * e), 0.05f);
        }
    }
}

namespace {

SceneParams rockyScene() {
    SceneParams p;
    p.seed = 77;
    p.rippleAmplitude = 0.05f;
    p.rippleCoverage = 1.0f;
    p.rockLayerCount = 2;
    p.rocks[0] = {0.5f, 0.9f, 0.05f, 0.15f, 0.6f, 2.0f, 0.6f, 1.0f, 0.3f};
    p.rocks[1] = {3.0f, 0.9f, 0.3f, 0.9f, 0.6f, 2.0f, 0.6f, 1.0f, 0.3f};
    p.clearRadius = 0.0f;
    return p;
}

}  // namespace

TEST(SampleTerrain, GradientMatchesHeightIncludingRocks) {
    const Terrain t(rockyScene());
    const float e = 2e-4f;
    int onRock = 0, checked = 0;
    Rng r(3);
    for (int i = 0; i < 400; ++i) {
        const float x = r.range(3.0f, 30.0f), y = r.range(3.0f, 30.0f);
        const TerrainSample s = t.sample(x, y, 0.01f);
        // Skip points next to a facet edge or a rock outline, where the slope jumps.
        const float gx = (t.sample(x + e, y, 0.01f).h - t.sample(x - e, y, 0.01f).h) / (2 * e);
        const float gx2 = (t.sample(x + 2 * e, y, 0.01f).h - t.sample(x - 2 * e, y, 0.01f).h) / (4 * e);
        const float gy = (t.sample(x, y + e, 0.01f).h - t.sample(x, y - e, 0.01f).h) / (2 * e);
        const float gy2 = (t.sample(x, y + 2 * e, 0.01f).h - t.sample(x, y - 2 * e, 0.01f).h) / (4 * e);
        if (std::abs(gx - gx2) > 0.02f || std::abs(gy - gy2) > 0.02f) continue;
        ++checked;
        if (s.rock > 0.5f) ++onRock;
        EXPECT_NEAR(s.dx, gx, 0.03f + 0.02f * std::abs(gx)) << x << "," << y;
        EXPECT_NEAR(s.dy, gy, 0.03f + 0.02f * std::abs(gy)) << x << "," << y;
    }
    EXPECT_GT(checked, 300);
    EXPECT_GT(onRock, 20) << "the check covered rock surfaces too";
}

TEST(SampleTerrain, MaxHeightBoundsTheSurface) {
    const Terrain t(rockyScene());
    Rng r(5);
    for (int i = 0; i < 20000; ++i) {
        const float x = r.range(-50.0f, 50.0f), y = r.range(-50.0f, 50.0f);
        ASSERT_LE(t.sample(x, y, 0.005f).h, t.maxHeight()) << x << "," << y;
    }
}

TEST(SampleTerrain, RocksKeepClearOfTheRover) {
    SceneParams p = rockyScene();
    p.clearRadius = 2.5f;
    const Terrain t(p);
    Rng r(8);
    for (int i = 0; i < 5000; ++i) {
        const float a = r.range(0.0f, 6.283f), d = r.range(0.0f, 2.4f);
        EXPECT_EQ(t.sample(d * std::sin(a), d * std::cos(a), 0.005f).rock, 0.0f);
    }
}

namespace {

// Shift that best matches row y of the right view to the left one (right at x - s ~ left at x).
int rowShift(const Raster& l, const Raster& r, int y, int maxShift) {
    int best = 0;
    double bestCost = 1e30;
    for (int s = 0; s <= maxShift; ++s) {
        double cost = 0.0;
        for (int x = maxShift; x < l.width(); ++x) cost += std::abs(l.at(x, y).r - r.at(x - s, y).r);
        if (cost < bestCost) { bestCost = cost; best = s; }
    }
    return best;
}

}  // namespace

// On flat ground at depth Z the disparity is f b / Z, and Z = h f / (y - horizon), so the shift
// grows linearly with the distance of the row below the horizon: b (y - horizon) / h.
TEST(SampleRenderer, StereoDisparityFollowsTheGroundGeometry) {
    SceneParams p;
    p.seed = 21;
    p.undulationAmplitude = 0.0f;
    // Texture without relief: the fine noise still modulates the reflectance.
    p.roughAmplitude = 1e-5f;
    p.roughWavelength = 0.4f;
    p.albedoVariation = 0.5f;
    const Terrain t(p);
    CameraParams c;
    c.width = 256;
    c.height = 256;
    c.supersample = 1;
    c.horizonRow = 0.2f;
    c.mastHeight = 1.5f;
    c.hfovDeg = 60.0f;
    const Raster l = renderView(t, c);
    c.baseline = 0.3f;
    const Raster r = renderView(t, c);
    const float horizon = c.horizonRow * 256.0f;
    for (int y : {120, 180, 240}) {
        const float expected = c.baseline * (static_cast<float>(y) + 0.5f - horizon) / c.mastHeight;
        EXPECT_NEAR(rowShift(l, r, y, 60), expected, 1.5f) << "row " << y;
    }
}

TEST(SampleRenderer, SameInputsGiveSamePixels) {
    const Terrain t(rockyScene());
    CameraParams c;
    c.width = 96;
    c.height = 64;
    const Raster a = renderView(t, c);
    const Raster b = renderView(t, c);
    ASSERT_EQ(a.width(), 96);
    ASSERT_EQ(a.height(), 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 96; ++x) {
            ASSERT_EQ(a.at(x, y).r, b.at(x, y).r);
            ASSERT_EQ(a.at(x, y).b, b.at(x, y).b);
        }
    // The sky is paler (less red-dominated) than the rust ground.
    const Rgb top = a.at(48, 2), bottom = a.at(48, 60);
    EXPECT_GT(top.b / top.r, bottom.b / bottom.r);
}

TEST(SampleTraverse, PathStartsAtTheLandingSiteAndMovesInPlausibleSteps) {
    const auto p = traversePath(1, 500);
    ASSERT_EQ(p.size(), 501u);
    EXPECT_EQ(p[0].x, 0.0f);
    EXPECT_EQ(p[0].y, 0.0f);
    int moves = 0;
    for (std::size_t i = 1; i < p.size(); ++i) {
        const float d = std::hypot(p[i].x - p[i - 1].x, p[i].y - p[i - 1].y);
        EXPECT_LE(d, 120.0f) << "sol " << i;
        if (d > 0.0f) ++moves;
    }
    EXPECT_GT(moves, 100);
    EXPECT_LT(moves, 450) << "a rover rests on many sols";
    const auto again = traversePath(1, 500);
    EXPECT_EQ(again.back().x, p.back().x);
    EXPECT_NE(traversePath(2, 500).back().x, p.back().x);
}

TEST(SampleFont, TextDrawsKnownGlyphsAndSkipsUnknownOnes) {
    Raster r(40, 10, Rgb{0, 0, 0});
    EXPECT_EQ(textWidth("AB", 1), 11);
    EXPECT_EQ(textWidth("", 2), 0);
    drawText(r, 0, 0, "I", 1, Rgb{1, 1, 1});
    // "I": a bar across the top and a stem in the middle column.
    EXPECT_EQ(r.at(0, 0).r, 0.0f);
    EXPECT_EQ(r.at(1, 0).r, 1.0f);
    EXPECT_EQ(r.at(2, 3).r, 1.0f);
    EXPECT_EQ(r.at(1, 3).r, 0.0f);
    Raster blank(40, 10, Rgb{0, 0, 0});
    drawText(blank, 0, 0, "~", 1, Rgb{1, 1, 1});
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(blank.at(x, y).r, 0.0f);
}
