#pragma once
// Procedural Martian terrain and a mast-camera renderer for the sample pictures.
//
// The ground is a heightfield: distant hills, gentle undulation, fine roughness, wind ripples
// and scattered rocks, all from seeded value noise with analytic gradients. The camera keeps its
// image plane vertical and tilts by moving the horizon row (an off-centre pinhole), so every
// image column is a vertical plane through the camera and the picture can be drawn column by
// column, front to back, with a height buffer. A camera shifted sideways by a stereo baseline
// then yields the true depth-dependent disparity of a stereo pair.

#include "core/sample/Raster.h"

#include <cstdint>

namespace keldar::sample {

struct RockLayer {
    float cell = 1.0f;         // grid cell size (m); at most one rock per cell
    float probability = 0.0f;  // chance that a cell holds a rock
    float rMin = 0.05f;        // radius range (m); small radii are the more common
    float rMax = 0.2f;
    float heightRatio = 0.6f;  // height / radius
    float edgePower = 2.0f;    // profile 1 - q^(2p): larger values give flatter tops, steeper sides
    float facet = 0.6f;        // 0 round (spherules) .. 1 sharp polygon outline
    float tone = 1.0f;         // reflectance factor of the layer's rocks (light outcrop > 1)
    float lumpiness = 0.3f;    // relative height of the bumps on a rock
};

struct SceneParams {
    std::uint32_t seed = 1;

    float hillAmplitude = 0.0f;  // m
    float hillWavelength = 300.0f;
    float hillStart = 80.0f;  // hills rise only beyond this distance from the rover...
    float hillEnd = 400.0f;   // ...and reach full height here

    float undulationAmplitude = 0.4f;
    float undulationWavelength = 30.0f;
    float roughAmplitude = 0.02f;
    float roughWavelength = 1.0f;

    float rippleAmplitude = 0.0f;
    float rippleWavelength = 3.0f;
    float rippleAzimuthDeg = 30.0f;
    float rippleCoverage = 0.5f;  // 0 none .. 1 everywhere

    static constexpr int kMaxRockLayers = 4;
    RockLayer rocks[kMaxRockLayers];
    int rockLayerCount = 0;
    float clearRadius = 2.5f;  // no rocks under the rover

    Rgb soil{0.30f, 0.15f, 0.075f};  // linear reflectance
    Rgb rock{0.16f, 0.11f, 0.085f};
    Rgb dust{0.36f, 0.20f, 0.10f};
    float albedoVariation = 0.12f;

    Rgb skyHorizon{0.80f, 0.58f, 0.40f};  // linear radiance
    Rgb skyZenith{0.42f, 0.30f, 0.22f};
    float hazeDistance = 700.0f;  // m, e-folding distance of the dust haze

    float sunAzimuthDeg = 120.0f;  // clockwise from +y (north)
    float sunElevationDeg = 35.0f;
    Rgb sunColour{1.65f, 1.45f, 1.25f};
    Rgb ambientColour{0.36f, 0.27f, 0.21f};
};

struct TerrainSample {
    float h = 0.0f;
    float dx = 0.0f;  // dh/dx
    float dy = 0.0f;  // dh/dy
    float rock = 0.0f;        // 0 soil .. 1 rock surface
    float rockTone = 1.0f;    // per-rock reflectance factor
    float albedo = 1.0f;      // soil reflectance factor
};

class Terrain {
public:
    explicit Terrain(const SceneParams& p);

    const SceneParams& params() const { return p_; }

    // Height and gradient at (x, y). `lod` is the ground distance one sample stands for; detail
    // finer than that is left out so distant ground does not alias.
    TerrainSample sample(float x, float y, float lod) const;

    // Surface height without roughness detail, for the shadow search.
    // An upper bound of the height anywhere, so a ray can stop once nothing can rise above
    // what is already drawn.
    float maxHeight() const;

    // Sun shadow factor at a point (1 lit .. 0 shadowed), searching toward the sun.
    float sunLight(float x, float y, float lod) const;

    // Shaded linear colour of a sample seen from distance `dist`, hazed.
    Rgb shade(const TerrainSample& s, float x, float y, float dist, float lod, bool withShadow) const;

    // Sky radiance in a direction (unit vector, z up).
    Rgb sky(float dx, float dy, float dz) const;

    float sunX() const { return sunX_; }
    float sunY() const { return sunY_; }
    float sunZ() const { return sunZ_; }

private:
    struct Rock {
        float cx = 0, cy = 0, r = 0, reach = 0, aspect = 1, u1 = 0;
        std::uint32_t hash = 0, seed = 0;
        int layer = 0;
        bool shaped = false;  // c, s, H and tone filled in
        float c = 1, s = 0, H = 0, tone = 1;
        static constexpr int kFacets = 6;
        float fu[kFacets] = {}, fv[kFacets] = {};  // outline normals divided by their distances
    };
    bool rockInCell(int layer, std::int32_t gx, std::int32_t gy, Rock& k) const;
    // Height of one rock above the ground at (x, y), 0 off the rock; optional gradient and cover.
    float rockHeight(Rock& k, float x, float y, float* dhdx, float* dhdy, float* cover) const;
    void addRocks(float x, float y, float lod, TerrainSample& s) const;
    void addRipples(float x, float y, float lod, TerrainSample& s) const;

    SceneParams p_;
    float sunX_, sunY_, sunZ_;
    float rippleDirX_, rippleDirY_;
    float shadowReach_[SceneParams::kMaxRockLayers];
};

struct CameraParams {
    float x = 0.0f;  // ground position of the camera (m)
    float y = 0.0f;
    float yawDeg = 0.0f;        // viewing azimuth, clockwise from +y
    float mastHeight = 1.54f;   // camera height above the ground under it
    float hfovDeg = 45.0f;      // horizontal field of view
    float horizonRow = 0.25f;   // row of the horizon as a fraction of the height (< 0: above the frame)
    float baseline = 0.0f;      // sideways shift to the right (m), for the right eye of a pair
    int width = 512;
    int height = 512;
    int supersample = 2;        // rendered at this multiple, then box-filtered
    float exposure = 1.0f;
};

// Renders a view; the result holds display values (gamma applied) in [0, 1].
Raster renderView(const Terrain& terrain, const CameraParams& cam);

// A true pinhole view tilted by `pitchDeg` (negative: down), principal point in the centre,
// as a real mast camera takes it: rendered on the vertical image plane, then resampled.
// `cam.horizonRow` is not used.
Raster renderTiltedView(const Terrain& terrain, const CameraParams& cam, float pitchDeg);

// Top-down shaded relief of the terrain for maps: `metresPerPixel` per pixel, centred on (cx, cy),
// north up. Small rocks and roughness are left out at map scale.
Raster renderMap(const Terrain& terrain, float cx, float cy, float metresPerPixel, int width, int height);

// Straight down, with the scene's own sun and shadows: a close-up such as a microscope frame.
Raster renderOrtho(const Terrain& terrain, float cx, float cy, float metresPerPixel, int width, int height, float exposure);

}  // namespace keldar::sample
