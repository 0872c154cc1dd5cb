#pragma once
// The panorama of a sequence, stitched by Hugin's command-line tools: control points (cpfind,
// cpclean), positions (autooptimiser), canvas and crop (pano_modify), remapping (nona) and
// blending (enblend). A stereo sequence can be stitched as an anaglyph: the left frames' geometry
// is applied to the right frames on the same canvas, then the two panoramas are combined as
// the anaglyph page combines a pair.
//
// Everything happens in a private work directory that goes when the stitch ends, whatever the
// end; nothing is written beside the frames.

#include "core/imaging/AnaglyphPipeline.h"
#include "core/imaging/ImageBuffer.h"
#include "core/panorama/HuginProject.h"
#include "core/panorama/PanoramaFrames.h"

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace keldar::panorama {

struct PanoramaOptions {
    FrameRequest frames;
    std::optional<double> fieldOfView;  // degrees across a frame; none: the label's or the camera's
    int jobs = 0;                       // tools run at once; 0: one per core
    bool anaglyph = false;
    imaging::AnaglyphSettings settings;  // for the anaglyph
};

struct PanoramaProgress {
    std::string stage;  // "finding control points", "remapping", ...
    int done = 0;       // frames done of `total` in this stage (0 of 0 when it counts none)
    int total = 0;
};

struct StageTime {
    std::string stage;
    double seconds = 0.0;
};

struct PanoramaResult {
    imaging::ImageBuffer image;        // the panorama, or with `anaglyph` the anaglyph
    imaging::ImageBuffer left, right;  // with `anaglyph`: the two eyes' panoramas it was made of
    FrameSelection selection;
    HuginProject geometry;         // as optimised: positions, canvas and crop
    std::vector<StageTime> times;  // wall time of each stage, in order
    std::string error;
    bool stopped = false;
    bool ok() const { return error.empty() && !stopped; }
};

// "" when every tool is installed; else a message naming what is missing and the Debian
// packages that bring it.
std::string missingTools();

// Stitches the frames that `options.frames` picks from `pictures`. `progress` is called from
// this thread; `stop` is looked at throughout, and once set every tool is killed and the
// result comes back with `stopped`.
PanoramaResult stitchPanorama(const std::vector<std::string>& pictures, const PanoramaOptions& options,
                              const std::function<void(const PanoramaProgress&)>& progress = {},
                              const std::atomic<bool>* stop = nullptr);

}  // namespace keldar::panorama
