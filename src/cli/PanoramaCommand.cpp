#include "cli/PanoramaCommand.h"

#include "cli/Arguments.h"
#include "cli/ImageCommands.h"
#include "cli/StopSignals.h"
#include "core/imaging/ImageFile.h"
#include "panorama/PanoramaStitch.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>

#include <unistd.h>

namespace keldar::cli {

namespace {

const char kUsage[] =
    "  keldar-cli panorama DIR OUT [--sequence S] [--eye left|right] [--camera navcam|pancam]\n"
    "                      [--fov DEGREES] [--jobs N] [--anaglyph [--merge N] [--contrast N]\n"
    "                      [--brightness N]] [--timings]\n"
    "      Stitches the frames of one sequence in DIR into a panorama at OUT (JPEG at quality\n"
    "      100 or BMP, by its name) with Hugin's tools (packages hugin-tools and enblend). The\n"
    "      frames are those of one rover, camera, sequence, eye and filter, by their identifiers:\n"
    "      --sequence names it (default: the first sequence with two or more), --eye picks the eye\n"
    "      (default left), --camera the camera (default NAVCAM or PANCAM, whichever comes first).\n"
    "      --fov sets the degrees across a frame (default: the labels' AZIMUTH_FOV, else 45 for\n"
    "      NAVCAM and 16 for PANCAM); pointing from the labels (.LBL beside a picture, or a PDS\n"
    "      product's own) starts the matching. HAZCAM (fisheye) sequences are refused. --anaglyph\n"
    "      applies the left frames' geometry to the right frames on the same canvas and writes\n"
    "      the red/cyan anaglyph of the two, with the anaglyph command's --merge, --contrast and\n"
    "      --brightness. --jobs N runs N tools at once (default: one per core); --timings prints\n"
    "      the time of each stage. Progress on stderr. Exit status 0 on success, 1 when the\n"
    "      frames cannot be stitched (named on stderr), 2 on a usage error, 130 when stopped by\n"
    "      SIGINT or SIGTERM; a failed or stopped run leaves nothing at OUT.\n";

}  // namespace

const char* panoramaCommandUsage() { return kUsage; }

int runPanoramaCommand(const std::vector<std::string>& args) {
    const char* cmd = "panorama";
    panorama::PanoramaOptions options;
    std::vector<std::string> positional;
    bool timings = false;
    bool sliders = false;
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
            if (!value() || v.size() != 5)
                return usageError(cmd, "--sequence takes a sequence of five characters, as P0730");
            options.frames.sequence = v;
        } else if (a == "--eye") {
            if (!value() || (v != "left" && v != "right")) return usageError(cmd, "--eye takes left or right");
            options.frames.eye = v == "left" ? panorama::PanoramaEye::Left : panorama::PanoramaEye::Right;
        } else if (a == "--camera") {
            if (!value() || (v != "navcam" && v != "pancam")) return usageError(cmd, "--camera takes navcam or pancam");
            options.frames.camera = v == "navcam" ? panorama::PanoramaCamera::Navcam : panorama::PanoramaCamera::Pancam;
        } else if (a == "--fov") {
            char* end = nullptr;
            if (!value()) return usageError(cmd, "--fov takes degrees");
            const double d = std::strtod(v.c_str(), &end);
            if (end == v.c_str() || *end != '\0' || !(d >= 1.0 && d <= 170.0))
                return usageError(cmd, "--fov takes degrees from 1 to 170");
            options.fieldOfView = d;
        } else if (a == "--jobs") {
            if (!value() || !wholeNumberIn(v, 1, 16, n)) return usageError(cmd, "--jobs takes 1 to 16");
            options.jobs = n;
        } else if (a == "--anaglyph") {
            options.anaglyph = true;
        } else if (a == "--timings") {
            timings = true;
        } else if (a == "--merge" || a == "--contrast" || a == "--brightness") {
            if (!value() || !wholeNumberIn(v, 0, 100, n)) return usageError(cmd, a + " takes 0 to 100");
            (a == "--merge"      ? options.settings.merge
             : a == "--contrast" ? options.settings.contrast
                                 : options.settings.brightness) = n;
            sliders = true;
        } else if (a.size() > 1 && a[0] == '-') {
            return usageError(cmd, "unknown option " + a);
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) return usageError(cmd, "expected DIR OUT");
    if (sliders && !options.anaglyph) return usageError(cmd, "--merge, --contrast and --brightness need --anaglyph");
    const std::string& dir = positional[0];
    const std::string& out = positional[1];

    std::string error;
    const std::vector<std::string> pictures = panorama::directoryPictures(dir, error);
    if (!error.empty()) return failure(cmd, error);
    if (std::string refusal = imaging::refusePdsDestination(out); !refusal.empty()) return failure(cmd, refusal);
    if (std::string refusal = imaging::refuseOverwritingInput(out, pictures); !refusal.empty())
        return failure(cmd, refusal);

    std::optional<StopSignals> stopSignals(std::in_place);
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    const auto started = std::chrono::steady_clock::now();
    const panorama::PanoramaResult result = panorama::stitchPanorama(
        pictures, options,
        [&](const panorama::PanoramaProgress& p) {
            std::string line = p.stage;
            if (p.total > 0) line += ", " + std::to_string(p.done) + " of " + std::to_string(p.total);
            if (terminal)
                std::cerr << "\r\033[K" << line << std::flush;
            else
                std::cerr << "keldar-cli panorama: " << line << '\n';
        },
        &StopSignals::flag());
    if (terminal) std::cerr << "\r\033[K";
    std::string written;
    if (result.ok() && !stopSignals->requested()) written = imaging::writeImageFile(result.image, out);
    const bool stopped = stopSignals->requested();
    stopSignals.reset();
    if (timings)
        for (const panorama::StageTime& t : result.times)
            std::fprintf(stderr, "%-24s %8.3f s\n", t.stage.c_str(), t.seconds);
    if (result.stopped || stopped) {
        std::cerr << "keldar-cli panorama: stopped; nothing was written\n";
        return 130;
    }
    if (!result.ok()) return failure(cmd, result.error);
    if (!written.empty()) return failure(cmd, written);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const std::string eyes =
        options.anaglyph ? std::string("both eyes") : std::string(panorama::eyeWord(options.frames.eye)) + " eye";
    std::printf("%s of %zu frames of sequence %s (%s), %d x %d pixels, written to %s in %.1f s\n",
                options.anaglyph ? "Anaglyph panorama" : "Panorama", result.selection.frames.size(),
                result.selection.sequence.c_str(), eyes.c_str(), result.image.width(), result.image.height(),
                out.c_str(), seconds);
    return kExitOk;
}

}  // namespace keldar::cli
