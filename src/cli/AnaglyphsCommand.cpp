#include "cli/AnaglyphsCommand.h"

#include "cli/Arguments.h"
#include "cli/ImageCommands.h"
#include "core/decode/ProductIdentifier.h"
#include "core/decode/StereoPartnerFile.h"
#include "core/imaging/AnaglyphNaming.h"
#include "core/imaging/PictureMemory.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <sched.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace keldar::cli {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const char kUsage[] =
    "  keldar-cli anaglyphs DIR OUTDIR [--merge N] [--contrast N] [--brightness N] [--jobs N]\n"
    "      Builds the anaglyph of every stereo pair in DIR, as the anaglyph command does (same\n"
    "      options and defaults): each left-eye product (eye letter L at the 24th character of\n"
    "      its name; .jpg, .jpeg, .bmp or .img) whose right-eye partner is in DIR as NAME.jpg or\n"
    "      NAME.JPG. Each goes to OUTDIR (made when missing) as a JPEG under the name the\n"
    "      workbench's anaglyph page proposes first: LEFT-B30C16M50-01.jpg. An existing output\n"
    "      is kept and counted as skipped. --jobs N builds N pairs at once (default: one per\n"
    "      core and one more). Progress on stderr when it is a terminal; a summary line on\n"
    "      stdout. Exit status 0 when every pair was built or skipped, 1 when any failed, 2 on\n"
    "      a usage error, 130 when stopped by SIGINT or SIGTERM (no half-written file is left).\n";

constexpr int kMaxJobs = 256;

// Set from the signal handler, read between rows by every worker.
std::atomic<bool> gStop{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the stop flag is set in a signal handler");

extern "C" void requestStop(int) { gStop.store(true, std::memory_order_relaxed); }

// SIGINT and SIGTERM set the stop flag while the batch runs, so that the writers abandon
// their temporary files instead of the process dying with them on disk.
class StopSignals {
public:
    StopSignals() {
        gStop.store(false);
        struct sigaction action {};
        action.sa_handler = requestStop;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(SIGINT, &action, &oldInt_);
        ::sigaction(SIGTERM, &action, &oldTerm_);
    }
    ~StopSignals() {
        ::sigaction(SIGINT, &oldInt_, nullptr);
        ::sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

struct Pair {
    std::string left, right, out;
};

// The cores this process may run on (a CPU affinity mask counts, as under taskset).
int availableCores() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof(set), &set) == 0) {
        if (const int count = CPU_COUNT(&set); count > 0) return count;
    }
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

// The picture types the workbench lists in a directory.
bool hasPictureExtension(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".jpg" || extension == ".jpeg" || extension == ".bmp" || extension == ".img";
}

// The output a left image gets: the first name the anaglyph page would propose in an empty
// directory, saved as JPEG. A fixed name (rather than the next free counter) is what makes a
// second run skip the pairs the first one built.
std::string outputPath(const std::string& outDir, const std::string& leftPath, const std::string& suffix) {
    const auto proposal = imaging::proposeAnaglyphName(outDir, imaging::fileBaseName(leftPath), suffix,
                                                       [](const std::string&) { return false; });
    return imaging::anaglyphSaveTarget(proposal->proposedPath, imaging::kAnaglyphJpegFilter).path;
}

// The pairs of `dir` in name order; `unpaired` counts the left-eye images without a partner.
std::string findPairs(const std::string& dir, const std::string& outDir, const std::string& suffix,
                      std::vector<Pair>& pairs, int& unpaired) {
    std::vector<std::string> lefts;
    std::error_code ec;
    fs::directory_iterator it(dir, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError) || !hasPictureExtension(it->path())) continue;
        const std::string name = it->path().filename().string();
        const decode::DecodedIdentifier decoded = decode::decodeProductIdentifier(name);
        // Anaglyphs and composites made earlier carry a "-" marker; they are no eye images,
        // nor is an anaglyph of a left eye whose name had more after its identifier.
        if (decoded.eyeLetter == "L" && !decoded.combinedProduct && !imaging::isAnaglyphOutputName(name))
            lefts.push_back(name);
    }
    if (ec) return "cannot read the directory " + dir + ": " + ec.message();
    std::sort(lefts.begin(), lefts.end());
    for (const std::string& name : lefts) {
        const std::string left = imaging::joinPath(dir, name);
        const std::string right =
            decode::findPartnerFile(dir, decode::partnerName(decode::decodeProductIdentifier(name), 'R'));
        if (right.empty()) {
            ++unpaired;
            continue;
        }
        pairs.push_back({left, right, outputPath(outDir, left, suffix)});
    }
    return {};
}

bool exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));  // a dangling link is in the way too
}

// Counts, failure messages and the progress line; shared by the workers.
class Progress {
public:
    Progress(std::size_t total, bool showProgress) : total_(total), show_(showProgress), start_(Clock::now()) {}

    void built() { count(built_); }
    void skipped() { count(skipped_); }
    void failed(const Pair& pair, const std::string& error) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            clearLine();
            std::cerr << "keldar-cli anaglyphs: " << pair.left << " + " << fs::path(pair.right).filename().string()
                      << ": " << error << '\n';
            ++failed_;
        }
        changed_.notify_all();
    }
    void workerDone() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++workersDone_;
        }
        changed_.notify_all();
    }

    // Redraws the progress line until `workers` workers have finished.
    void waitFor(int workers) {
        std::unique_lock<std::mutex> lock(mutex_);
        while (workersDone_ < workers) {
            changed_.wait_for(lock, std::chrono::milliseconds(250));
            if (show_ && workersDone_ < workers) draw();
        }
        if (show_) {
            draw();
            std::cerr << '\n';
        }
    }

    std::size_t builtCount() const { return built_; }
    std::size_t skippedCount() const { return skipped_; }
    std::size_t failedCount() const { return failed_; }
    std::size_t doneCount() const { return built_ + skipped_ + failed_; }
    double seconds() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }

private:
    void count(std::size_t& counter) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++counter;
        }
        changed_.notify_all();
    }
    void clearLine() {
        if (show_) std::cerr << "\r\033[K";
    }
    void draw() {
        const double elapsed = seconds();
        char line[128];
        std::snprintf(line, sizeof line, "\r\033[Kanaglyphs: %zu/%zu pairs, %.1f pairs/s", doneCount(), total_,
                      elapsed > 0 ? static_cast<double>(doneCount()) / elapsed : 0.0);
        std::cerr << line << std::flush;
    }

    const std::size_t total_;
    const bool show_;
    const Clock::time_point start_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t built_ = 0, skipped_ = 0, failed_ = 0;
    int workersDone_ = 0;
};

void buildPairs(const std::vector<Pair>& pairs, std::atomic<std::size_t>& next, const imaging::AnaglyphSettings& settings,
                const StreamOptions& options, Progress& progress) {
    for (std::size_t i = next++; i < pairs.size() && !gStop.load(std::memory_order_relaxed); i = next++) {
        const Pair& pair = pairs[i];
        if (exists(pair.out)) {
            progress.skipped();
            continue;
        }
        const std::string error = writeAnaglyphFile(pair.right, pair.left, pair.out, settings, options);
        if (error.empty()) {
            progress.built();
        } else if (gStop.load(std::memory_order_relaxed)) {
            break;  // not done; its temporary file is gone
        } else if (error.find("already exists") != std::string::npos && exists(pair.out)) {
            progress.skipped();  // another process wrote it meanwhile; Keep left that file alone
        } else {
            progress.failed(pair, error);
        }
    }
}

}  // namespace

const char* anaglyphsCommandUsage() { return kUsage; }

int runAnaglyphsCommand(const std::vector<std::string>& args) {
    const char* cmd = "anaglyphs";
    ParsedArgs p;
    auto ranges = anaglyphOptionRanges();
    ranges["--jobs"] = {1, kMaxJobs};
    if (!parseArgs(cmd, args, ranges, false, p)) return kExitUsage;
    if (p.help) {
        std::cout << kUsage;
        return kExitOk;
    }
    if (p.positional.size() != 2) return usageError(cmd, "expected DIR OUTDIR");
    const std::string& dir = p.positional[0];
    const std::string& outDir = p.positional[1];
    const imaging::AnaglyphSettings settings = anaglyphSettingsFrom(p);
    // One worker more than the cores: while a worker waits for its finished file to reach the
    // disk (each output is synced before it is renamed into place), its core takes another pair.
    const int jobs = numberOr(p, "--jobs", availableCores() + 1);

    std::error_code ec;
    if (!fs::is_directory(dir, ec)) return failure(cmd, dir + " is not a directory");
    if (std::error_code linkError; fs::is_symlink(outDir, linkError) && !fs::exists(outDir, linkError)) {
        return failure(cmd, "cannot create the output directory " + outDir + ": it is a broken symbolic link (to " +
                                fs::read_symlink(outDir, linkError).string() + ")");
    }
    fs::create_directories(outDir, ec);
    if (ec || !fs::is_directory(outDir)) {
        return failure(cmd, "cannot create the output directory " + outDir + ": " +
                                (ec ? ec.message() : std::string("a file of that name is in the way")));
    }

    // What a killed earlier run left half-written goes; a running one's files stay.
    imaging::removeStaleTemporaryFiles(outDir);
    std::vector<Pair> pairs;
    int unpaired = 0;
    const std::string suffix = imaging::anaglyphSettingsSuffix(settings.brightness, settings.contrast, settings.merge);
    if (std::string error = findPairs(dir, outDir, suffix, pairs, unpaired); !error.empty()) return failure(cmd, error);

    const StopSignals signals;
    Progress progress(pairs.size(), ::isatty(STDERR_FILENO) == 1);
    std::atomic<std::size_t> next{0};
    const int workers = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(jobs), pairs.size()));
    StreamOptions options;
    options.existing = imaging::ExistingFile::Keep;
    // Each pair is built on one thread; a pair's decoding helper would only compete with the
    // other workers, unless there are cores to spare (fewer pairs than jobs).
    options.helperThread = jobs >= 2 * std::max(workers, 1);
    options.stop = &gStop;

    // Every pair allocates the same few buffers again; the footprint stays a few megabytes
    // per worker.
    imaging::keepFreedPictureMemory();

    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w) {
        try {
            threads.emplace_back([&] {
                buildPairs(pairs, next, settings, options, progress);
                progress.workerDone();
            });
        } catch (const std::system_error&) {
            break;  // fewer threads then; the pairs are shared out all the same
        }
    }
    if (threads.empty() && workers > 0) {
        buildPairs(pairs, next, settings, options, progress);
    } else {
        progress.waitFor(static_cast<int>(threads.size()));
    }
    for (std::thread& thread : threads) thread.join();

    const bool stopped = gStop.load();
    const double seconds = progress.seconds();
    char timing[64];
    std::snprintf(timing, sizeof timing, " in %.2f s (%.1f pairs/s)", seconds,
                  seconds > 0 ? static_cast<double>(progress.doneCount()) / seconds : 0.0);
    std::cout << (stopped ? "stopped: " : "") << progress.builtCount() << " built, " << progress.skippedCount()
              << " skipped, " << progress.failedCount() << " failed";
    if (stopped) std::cout << ", " << pairs.size() - progress.doneCount() << " not done";
    std::cout << timing;
    if (unpaired > 0) {
        std::cout << "; " << unpaired << " left-eye image" << (unpaired == 1 ? "" : "s")
                  << " without a right-eye partner";
    }
    std::cout << '\n' << std::flush;
    if (stopped) {
        std::cerr << "keldar-cli anaglyphs: stopped by a signal; no partial output was left\n";
        return kExitStopped;
    }
    return progress.failedCount() == 0 ? kExitOk : kExitFailure;
}

}  // namespace keldar::cli
