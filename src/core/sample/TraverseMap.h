#pragma once
// Traverse maps for the sample directory: a top-down shaded terrain with the rover's drive
// drawn on it, tick marks at regular sols, a title, a scale bar and a north arrow.

#include "core/sample/Raster.h"
#include "core/sample/Terrain.h"

#include <cstdint>
#include <string>
#include <vector>

namespace keldar::sample {

struct MapPoint {
    float x = 0.0f;  // metres east of the landing site
    float y = 0.0f;  // metres north
};

// Rover position at the end of each sol; element 0 is the landing site. Deterministic in `seed`.
std::vector<MapPoint> traversePath(std::uint32_t seed, int sols);

// Map of sols [solFirst, solLast] of `path`: the window fits that stretch; the drive before it is
// drawn faintly for context.
Raster renderTraverseMap(const Terrain& terrain, const std::vector<MapPoint>& path, int solFirst, int solLast,
                         const std::string& title, int width, int height);

}  // namespace keldar::sample
