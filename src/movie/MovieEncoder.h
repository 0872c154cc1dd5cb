#pragma once
// Movies encoded by ffmpeg (Debian's package ffmpeg): the prepared frames go down a pipe as
// raw video, never through temporary image files; the movie is written under a temporary
// name beside its destination and moved into place only when ffmpeg has finished well.

#include <atomic>
#include <string>
#include <sys/types.h>

#include "core/movie/MovieFrames.h"

namespace keldar::movie {

// ffmpeg's path on PATH, or "".
std::string findFfmpeg();
// What to say when it is missing.
inline constexpr const char* kFfmpegMissing =
    "ffmpeg is not installed; it makes the movies (Debian package ffmpeg: sudo apt-get install ffmpeg)";

struct MovieOutput {
    std::string path;
    Format format = Format::Mp4;
    int framesPerSecond = 4;
    bool keepExisting = false;  // the workbench never replaces a file; the command line does
};

// One ffmpeg at work.
class FfmpegEncoder {
public:
    FfmpegEncoder() = default;
    ~FfmpegEncoder() { abandon(); }
    FfmpegEncoder(const FfmpegEncoder&) = delete;
    FfmpegEncoder& operator=(const FfmpegEncoder&) = delete;

    // Starts ffmpeg for frames of `shape`: "" or why it cannot.
    std::string start(const std::string& ffmpeg, const MovieOutput& output, const MovieShape& shape);
    // One frame, width x height x the shape's channels; false when ffmpeg took no more.
    bool write(const std::uint8_t* frame);
    // Closes the pipe, waits for ffmpeg and moves the movie into place: "" or what went wrong
    // (ffmpeg's last lines).
    std::string finish();
    // Stops ffmpeg and removes what it wrote.
    void abandon();

private:
    std::string lastLines() const;
    pid_t pid_ = -1;
    int pipe_ = -1;
    std::string temp_;
    std::string log_;
    std::string destination_;
    bool keepExisting_ = false;
    std::size_t frameBytes_ = 0;
};

struct MovieResult {
    std::string error;
    bool stopped = false;
    MovieShape shape;
    int frames = 0;
    // Where the time went: preparing frames (reading, scaling, the median's share apart),
    // waiting for ffmpeg to take frames, and for it to finish after the last.
    double seconds = 0, medianSeconds = 0, preparingSeconds = 0, encoderSeconds = 0;
    bool ok() const { return error.empty() && !stopped; }
};

// The whole movie: frames prepared and encoded as they come.
MovieResult makeMovie(const MoviePlan& plan, const MovieOptions& options, const MovieOutput& output,
                      const MovieProgress& progress = {}, const std::atomic<bool>* stop = nullptr);

}  // namespace keldar::movie
