#include "cli/MovieCommand.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

#include "cli/Arguments.h"
#include "cli/ImageCommands.h"
#include "cli/StopSignals.h"
#include "core/imaging/ImageFile.h"
#include "core/sequence/SequenceFrames.h"
#include "movie/MovieEncoder.h"

namespace keldar::cli {

namespace {

const char kUsage[] =
    "  keldar-cli movie DIR OUT [--sequence S] [--eye left|right] [--camera C] [--fps N]\n"
    "                   [--difference | --stretch] [--caption] [--jobs N] [--timings]\n"
    "      Makes a movie of one sequence in DIR with ffmpeg (Debian package ffmpeg): the frames\n"
    "      of one rover, camera, sequence, eye and filter, by their identifiers, in the order they\n"
    "      were taken (--sequence names it, default the first of two or more frames; --eye left or\n"
    "      right, default left; --camera navcam, pancam, fhaz, rhaz, mi or descent). OUT's\n"
    "      extension picks the format: .mp4 (H.264), .gif (a palette made from the frames) or\n"
    "      .webm. Frames (JPEG, BMP, PDS) are brought to the size of the largest; --fps N frames a\n"
    "      second (default 4). --difference shows each frame minus the still scene (the per-pixel\n"
    "      median of all frames) around mid-grey, one gain for the whole movie: what moves, such\n"
    "      as a dust devil, stands out. --stretch stretches each frame to its own 1 %-99 % range.\n"
    "      --caption writes each frame's sol and local true solar time in a corner. --jobs N\n"
    "      frames read at once (default: one per core). Progress on stderr. Exit status 0 on\n"
    "      success, 1 when ffmpeg is missing or fails or frames cannot be read (each named), 2 on\n"
    "      a usage error, 130 when stopped by SIGINT or SIGTERM; a failed or stopped run leaves\n"
    "      nothing at OUT, and OUT is never one of the frames or a .img.\n";

}  // namespace

const char* movieCommandUsage() { return kUsage; }

int runMovieCommand(const std::vector<std::string>& args) {
    const char* cmd = "movie";
    movie::MovieRequest request;
    movie::MovieOptions options;
    options.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    movie::MovieOutput output;
    std::vector<std::string> positional;
    bool timings = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string v;
        const auto value = [&]() {
            if (i + 1 >= args.size()) return false;
            v = args[++i];
            return true;
        };
        int n = 0;
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return kExitOk;
        } else if (a == "--sequence") {
            if (!value() || v.size() != 5) return usageError(cmd, "--sequence takes a sequence of five characters, as P2401");
            request.sequence = v;
        } else if (a == "--eye") {
            if (!value() || (v != "left" && v != "right")) return usageError(cmd, "--eye takes left or right");
            request.eye = v == "left" ? 'L' : 'R';
        } else if (a == "--camera") {
            const std::pair<const char*, char> cameras[] = {{"navcam", 'N'}, {"pancam", 'P'}, {"fhaz", 'F'},
                                                            {"rhaz", 'R'},   {"mi", 'M'},     {"descent", 'E'}};
            bool known = false;
            if (value())
                for (const auto& [word, letter] : cameras)
                    if (v == word) {
                        request.camera = letter;
                        known = true;
                    }
            if (!known) return usageError(cmd, "--camera takes navcam, pancam, fhaz, rhaz, mi or descent");
        } else if (a == "--fps") {
            if (!value() || !wholeNumberIn(v, 1, 60, n)) return usageError(cmd, "--fps takes 1 to 60");
            output.framesPerSecond = n;
        } else if (a == "--difference" || a == "--stretch") {
            if (options.look != movie::Look::Plain) return usageError(cmd, "--difference and --stretch exclude each other");
            options.look = a == "--difference" ? movie::Look::Difference : movie::Look::Stretch;
        } else if (a == "--caption") {
            options.caption = true;
        } else if (a == "--jobs") {
            if (!value() || !wholeNumberIn(v, 1, 16, n)) return usageError(cmd, "--jobs takes 1 to 16");
            options.jobs = n;
        } else if (a == "--timings") {
            timings = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return usageError(cmd, "unknown option " + a);
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) return usageError(cmd, "expected DIR OUT");
    const std::string& dir = positional[0];
    output.path = positional[1];
    const std::optional<movie::Format> format = movie::formatFor(output.path);
    if (!format) return usageError(cmd, "OUT must end in .mp4, .gif or .webm");
    output.format = *format;

    std::string error;
    const std::vector<std::string> pictures = sequence::directoryPictures(dir, error);
    if (!error.empty()) return failure(cmd, error);
    if (std::string refusal = imaging::refusePdsDestination(output.path); !refusal.empty()) return failure(cmd, refusal);
    if (std::string refusal = imaging::refuseOverwritingInput(output.path, pictures); !refusal.empty())
        return failure(cmd, refusal);
    const movie::MoviePlan plan = movie::planMovie(pictures, request);
    if (!plan.ok()) return failure(cmd, plan.error);
    if (movie::findFfmpeg().empty()) return failure(cmd, movie::kFfmpegMissing);

    const StopSignals stopSignals;
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    const movie::MovieResult result = movie::makeMovie(
        plan, options, output,
        [&](int done, int total, const char* stage) {
            const std::string what = std::string(stage) == "frames"    ? "frame"
                                     : std::string(stage) == "reading" ? "reading frame"
                                                                       : stage;
            std::string line = what == "median" ? "the still scene (median of " + std::to_string(total) + " frames)"
                               : what == "encoding" ? "encoding"
                                                    : what + " " + std::to_string(done) + " of " + std::to_string(total);
            if (terminal) std::cerr << "\r\033[K" << line << std::flush;
            else std::cerr << "keldar-cli movie: " << line << '\n';
        },
        &StopSignals::flag());
    if (terminal) std::cerr << "\r\033[K";
    if (result.stopped || stopSignals.requested()) {
        std::cerr << "keldar-cli movie: stopped; nothing was written\n";
        return 130;
    }
    if (!result.ok()) return failure(cmd, result.error);
    if (timings) {
        rusage usage{};
        ::getrusage(RUSAGE_SELF, &usage);
        std::fprintf(stderr,
                     "preparing frames %8.3f s\nmedian           %8.3f s\nffmpeg           %8.3f s\nall              %8.3f s\n"
                     "peak memory      %8ld MB (keldar-cli alone)\n",
                     result.preparingSeconds, result.medianSeconds, result.encoderSeconds, result.seconds,
                     static_cast<long>(usage.ru_maxrss / 1024));
    }
    std::printf("Movie of %d frames of sequence %s (%s %s eye), %d x %d pixels at %d frames a second, written to %s in %.1f s\n",
                result.frames, plan.sequence.c_str(), sequence::cameraWord(plan.camera), sequence::eyeWord(plan.eye),
                result.shape.width, result.shape.height, output.framesPerSecond, output.path.c_str(), result.seconds);
    return kExitOk;
}

}  // namespace keldar::cli
