#pragma once
// The sample directory: a small, fully generated set of rover pictures with valid product
// identifiers (stereo pairs, a filter set for colour, both rovers, several sols, a cruise frame),
// an anaglyph, a picture and a label that are not products, and the directory layout the
// workbench expects under its home directory (traverse maps, category directories).
//
// Every picture is rendered here from seeded procedural terrain; nothing is downloaded or
// copied. Writing is deterministic: the same bytes every time, on every run.

#include <string>
#include <vector>

namespace keldar::sample {

// Writes the sample directory at dir (created if missing). Returns "" on success, else a clear
// error message. Deterministic: the same bytes every time. A file already there is never
// replaced and nothing is written through a symbolic link: a file that holds the sample's
// bytes is left as it is, any other is kept and its path added to `kept`. Each new file is
// written under a temporary name and renamed into place.
std::string writeSampleDirectory(const std::string& dir, std::vector<std::string>* kept = nullptr);

// The product file names it writes (for tests and docs), plus the names of the non-product
// files, in the order of a case-insensitive directory listing.
std::vector<std::string> sampleImageNames();

// One file at the top of the sample directory, described for tests and documentation.
struct SampleEntry {
    enum class Kind {
        Product,    // a raw product picture named by its identifier
        Combined,   // a product derived from others (the anaglyph), identifier + "-" suffix
        Picture,    // a picture whose name is not an identifier
        Label,      // a text label, not a picture
    };
    std::string name;
    Kind kind = Kind::Product;
    int width = 0;    // pixels, 0 for the label
    int height = 0;
    bool colour = false;  // false: grey picture (B = G = R), as the rover cameras give
    std::string description;
};
std::vector<SampleEntry> sampleEntries();

// The stereo panorama sequence of the sample: NAVCAM frames of both eyes at known azimuths,
// each beside a detached label that gives its pointing a little off, as the rover's did.
inline constexpr int kPanoramaFrames = 8;
struct SamplePanorama {
    std::string sequence;          // "P0730"
    std::vector<std::string> left;   // file names, in the order they were taken
    std::vector<std::string> right;
    std::vector<double> azimuths;    // degrees clockwise from north the camera looked at
    double elevation = 0.0;          // degrees of the frame centre above the horizon
    double fieldOfView = 45.0;       // degrees across a frame
    int frameSide = 512;             // pixels
};
SamplePanorama samplePanorama();

// A dust-devil watch: NAVCAM left frames of one pointing, taken a few tens of seconds apart,
// each exposed a little differently and with its own sensor noise, while a faint dust devil
// (a few grey levels brighter than what is behind it) crosses the view from left to right.
// It is hard to see in a frame and stands out once the per-pixel median of the frames is
// taken away.
inline constexpr int kDustDevilFrames = 16;
struct SampleDustDevil {
    std::string sequence;             // "P1853"
    std::vector<std::string> frames;  // file names, in clock order
    std::vector<double> x, y;         // the devil's brightest point in each frame, pixels from the top left
    int frameSide = 512;              // pixels
};
SampleDustDevil sampleDustDevil();

// Subdirectories (relative, '/'-separated) that the sample creates, including empty ones.
std::vector<std::string> sampleDirectories();

// Traverse map files, relative to the sample directory.
std::vector<std::string> sampleMapNames();

}  // namespace keldar::sample
