#pragma once
// The frames of a movie of one sequence, made ready to encode: the sequence's frames read
// (JPEG, BMP, PDS), brought to the size of its largest frame, and shown plain, as the
// difference from the still scene (the per-pixel median of all frames, which leaves only what
// moves: dust devils, clouds, a moon passing the Sun), or each stretched to its own range,
// with an optional caption of sol and local true solar time. No tool runs here: the frames
// are handed, one after the other, to whatever encodes them.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace keldar::movie {

enum class Look { Plain, Difference, Stretch };
enum class Format { Mp4, Gif, Webm };

// ".mp4", ".gif", ".webm" in any case; none for anything else.
std::optional<Format> formatFor(const std::string& path);
const char* formatWord(Format format);  // "mp4", "gif", "webm"

struct MovieRequest {
    std::string sequence;         // "" takes the first sequence of two or more frames
    char eye = 'L';               // 'L' or 'R'
    std::optional<char> camera;   // identifier camera letter: any camera makes a movie
};

struct MovieFrame {
    std::string path;
    std::string identifier;
    std::string caption;  // "Sol 543  14:02:17 LTST"; "" when the clock gives no mission time
};

struct MoviePlan {
    std::vector<MovieFrame> frames;  // in the order they were taken
    std::string sequence;
    char camera = 0;
    char eye = 'L';
    std::string error;
    bool ok() const { return error.empty(); }
};

// The frames among `paths` (pictures of one directory) that make the movie asked for. A
// sequence of fewer than two frames is refused with a message.
MoviePlan planMovie(const std::vector<std::string>& paths, const MovieRequest& request);

// "Sol 543  14:02:17 LTST" for a product identifier, from its clock by the mission's rules.
std::string captionFor(const std::string& identifier);

struct MovieOptions {
    Look look = Look::Plain;
    bool caption = false;
    int jobs = 2;  // frames read at once
    // Frames of a grey movie (its first frame grey, as the rovers' cameras give) handed over at
    // one byte a pixel; otherwise every frame comes as blue, green, red.
    bool greyFrames = false;
};

// What the frames came out as: every frame is width x height, `channels` bytes a pixel (grey,
// or blue, green, red), rows top down and packed.
struct MovieShape {
    int width = 0;
    int height = 0;
    int channels = 3;
    int largestFrames = 0;  // frames that were already that size; the others are scaled up
};

// Progress: frames done of all, in a stage ("reading", "median", "frames").
using MovieProgress = std::function<void(int done, int total, const char* stage)>;
// Takes frame `index` of `shape`: false stops the movie (the encoder has failed).
using MovieSink = std::function<bool(const std::uint8_t* pixels, int index)>;

// Reads and prepares every frame of `plan` and hands each, in order, to `sink`; `shape` is
// known before the first frame goes (`ready` is called then, once the first frame is read). Returns "" or what went wrong,
// naming every frame that cannot be read. A plain or stretched movie holds a few frames at a
// time; a difference movie holds every frame once, at one byte a pixel for grey frames, since
// the median needs them all. `stop` is polled between frames and rows.
std::string makeFrames(const MoviePlan& plan, const MovieOptions& options, const std::function<bool(const MovieShape&)>& ready,
                       const MovieSink& sink, const MovieProgress& progress = {}, const std::atomic<bool>* stop = nullptr);

// --- The pixel rules, apart for testing ---

// The per-pixel median of equally sized planes (the upper median of an even count).
std::vector<std::uint8_t> medianOf(const std::vector<const std::uint8_t*>& planes, std::size_t size, int jobs = 1);
// The gain that maps the largest differences (all but the brightest 0.05 % of |frame - median|
// over every frame, after each frame's exposure is matched to the median's) onto 127 grey
// levels from mid-grey.
double differenceGain(const std::vector<std::uint32_t>& absoluteHistogram);
// The gain and offset that bring a plane's exposure nearest to the reference's (least squares).
std::pair<double, double> exposureFit(const std::uint8_t* plane, const std::uint8_t* reference, std::size_t size);
// A plane's 1 % and 99 % levels.
std::pair<int, int> stretchRange(const std::uint8_t* plane, std::size_t size, int step = 1);
// Writes `text` into a picture of `channels` bytes a pixel (rows `stride` bytes apart) in white
// with a dark rim, its lower left corner at (x, y), each font pixel `scale` pixels wide.
void drawCaption(std::uint8_t* pixels, int width, int height, std::size_t stride, const std::string& text, int x, int y,
                 int scale, int channels = 3);

}  // namespace keldar::movie
