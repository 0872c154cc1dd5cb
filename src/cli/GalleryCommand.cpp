#include "cli/GalleryCommand.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>

#include <unistd.h>

#include "cli/Arguments.h"
#include "cli/ImageCommands.h"
#include "cli/StopSignals.h"
#include "core/gallery/ContactSheet.h"
#include "core/imaging/ImageFile.h"
#include "core/sequence/SequenceFrames.h"

namespace keldar::cli {

namespace {

const char kUsage[] =
    "  keldar-cli gallery DIR OUT [--size N] [--columns N] [--jobs N]\n"
    "      Writes the pictures of DIR (JPEG, BMP, PDS) as one contact sheet at OUT (JPEG at\n"
    "      quality 100 or BMP, by its name): thumbnails of N pixels (--size, 16 to 1024, default\n"
    "      128) under group headings by sol, camera and command sequence, stereo pairs, filter\n"
    "      sets and sequences marked, pictures that are no product last, each with its\n"
    "      identifier and local solar time. --columns N thumbnails a row (default: a sheet half\n"
    "      again as wide as high); --jobs N pictures read at once (default: one per core). A\n"
    "      picture that cannot be read is shown as a placeholder and named on stderr. Exit\n"
    "      status 0 when the sheet was written, 1 when it could not be (no picture readable,\n"
    "      too large, a write error), 2 on a usage error, 130 when stopped; nothing half-written\n"
    "      is left at OUT, and OUT is never one of the pictures or a .img.\n";

}  // namespace

const char* galleryCommandUsage() { return kUsage; }

int runGalleryCommand(const std::vector<std::string>& args) {
    const char* cmd = "gallery";
    gallery::SheetOptions options;
    options.jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        int n = 0;
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return kExitOk;
        } else if (a == "--size") {
            const std::string v = hasValue ? args[++i] : std::string();
            if (v.empty() || v.size() > 4 || v.find_first_not_of("0123456789") != std::string::npos ||
                std::stoi(v) < 16 || std::stoi(v) > 1024)
                return usageError(cmd, "--size takes 16 to 1024");
            options.size = std::stoi(v);
        } else if (a == "--columns") {
            if (!hasValue || !wholeNumberIn(args[++i], 1, 500, n)) return usageError(cmd, "--columns takes 1 to 500");
            options.columns = n;
        } else if (a == "--jobs") {
            if (!hasValue || !wholeNumberIn(args[++i], 1, 64, n)) return usageError(cmd, "--jobs takes 1 to 64");
            options.jobs = n;
        } else if (a.size() > 1 && a[0] == '-') {
            return usageError(cmd, "unknown option " + a);
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 2) return usageError(cmd, "expected DIR OUT");
    const std::string& dir = positional[0];
    const std::string& out = positional[1];
    std::string error;
    const std::vector<std::string> pictures = sequence::directoryPictures(dir, error);
    if (!error.empty()) return failure(cmd, error);
    if (pictures.empty()) return failure(cmd, "no pictures (JPEG, BMP, PDS) in " + dir);
    if (std::string refusal = imaging::refusePdsDestination(out); !refusal.empty()) return failure(cmd, refusal);
    if (std::string refusal = imaging::refuseOverwritingInput(out, pictures); !refusal.empty()) return failure(cmd, refusal);

    const StopSignals stopSignals;
    const auto started = std::chrono::steady_clock::now();
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    const gallery::ContactSheet sheet = gallery::makeContactSheet(
        gallery::groupPictures(pictures), options,
        [&](int done, int total) {
            if (terminal) std::cerr << "\r\033[K" << done << " of " << total << " thumbnails" << std::flush;
        },
        &StopSignals::flag());
    if (terminal) std::cerr << "\r\033[K";
    if (stopSignals.requested()) {
        std::cerr << "keldar-cli gallery: stopped; nothing was written\n";
        return 130;
    }
    if (!sheet.ok()) return failure(cmd, sheet.error);
    if (const std::string written = imaging::writeImageFile(sheet.image, out); !written.empty()) return failure(cmd, written);
    for (const std::string& f : sheet.failures) std::cerr << "keldar-cli gallery: shown as unreadable: " << f << '\n';
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("Contact sheet of %d pictures in %d groups%s, %d x %d pixels, written to %s in %.2f s\n", sheet.pictures,
                sheet.groups,
                sheet.failures.empty() ? "" : (" (" + std::to_string(sheet.failures.size()) + " could not be read)").c_str(),
                sheet.image.width(), sheet.image.height(), out.c_str(), seconds);
    return kExitOk;
}

}  // namespace keldar::cli
