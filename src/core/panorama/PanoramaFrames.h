#pragma once
// The frames of one panorama sequence: which pictures of a directory belong together (one
// rover, one camera, one command sequence, one eye and filter, by the decoded identifier), in
// the order they were taken, with the pointing and field of view their labels give.
//
// Pure apart from reading the labels that lie beside the pictures: nothing here runs a tool.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace keldar::panorama {

enum class PanoramaEye { Left, Right };
enum class PanoramaCamera { Navcam, Pancam };

// Degrees across a frame when no label says otherwise.
inline constexpr double kNavcamFieldOfView = 45.0;
inline constexpr double kPancamFieldOfView = 16.0;

struct FrameRequest {
    std::string sequence;  // "P0730"; "" takes the sequence of the first matching product
    PanoramaEye eye = PanoramaEye::Left;
    std::optional<PanoramaCamera> camera;  // none: NAVCAM or PANCAM, whichever comes first
};

struct PanoramaFrame {
    std::string path;
    std::string identifier;  // the 27 characters, upper case
    std::int32_t clock = 0;
    // From the frame's label, in degrees: azimuth clockwise from north, elevation up.
    std::optional<double> azimuth;
    std::optional<double> elevation;
    std::optional<double> fieldOfView;
};

struct FrameSelection {
    std::vector<PanoramaFrame> frames;         // in the order they were taken
    std::vector<PanoramaFrame> partners;       // the other eye, frame for frame, when every one is here
    std::vector<std::string> missingPartners;  // identifiers of the other eye that are not here
    char rover = 0;                            // '1' or '2'
    char camera = 0;                           // 'N' or 'P'
    char filter = 0;
    std::string sequence;      // upper case
    double fieldOfView = 0.0;  // degrees: the labels' when they all agree, else the camera's
    std::string error;
    bool ok() const { return error.empty(); }
};

// The frames among `paths` (pictures of one directory, in its listing order) that make the
// panorama `request` asks for. A sequence of a hazard camera (fisheye) or of any camera other
// than NAVCAM and PANCAM is refused with a message; so is a sequence of fewer than two frames.
FrameSelection selectFrames(const std::vector<std::string>& paths, const FrameRequest& request);

// The pictures of `directory` (JPEG, BMP and PDS files, paths sorted without regard to case),
// or an error.
std::vector<std::string> directoryPictures(const std::string& directory, std::string& error);

// The panorama that the picture `path` is a frame of: its sequence, eye and camera. None
// when its name is not a product identifier.
std::optional<FrameRequest> requestForFrame(const std::string& path);

// The pointing of one product from its label: the attached label of a PDS product, or the
// detached one beside the picture (same stem, ".LBL" in any case). Fields stay empty when
// there is no label or it gives no pointing.
void readPointing(PanoramaFrame& frame);

// "left" / "right", "NAVCAM" / "PANCAM".
const char* eyeWord(PanoramaEye eye);
const char* cameraWord(char cameraLetter);

}  // namespace keldar::panorama
