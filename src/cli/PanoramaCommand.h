#pragma once
// keldar-cli panorama: the panorama of one sequence of a directory, stitched by Hugin's tools,
// optionally as a red/cyan anaglyph of both eyes.

#include <string>
#include <vector>

namespace keldar::cli {

// DIR OUT [--sequence S] [--eye left|right] [--camera navcam|pancam] [--fov DEGREES] [--jobs N]
// [--anaglyph [--merge N] [--contrast N] [--brightness N]] [--timings]
int runPanoramaCommand(const std::vector<std::string>& args);
const char* panoramaCommandUsage();

}  // namespace keldar::cli
