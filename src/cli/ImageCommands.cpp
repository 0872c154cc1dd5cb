#include "cli/ImageCommands.h"

#include "core/imaging/AnaglyphPipeline.h"
#include "core/imaging/ColourComposite.h"
#include "core/imaging/ImageFile.h"
#include "core/imaging/PixelFunctions.h"

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <cstdint>
#include <iostream>
#include <map>
#include <optional>
#include <string_view>
#include <thread>

namespace keldar::cli {

namespace {

using imaging::ImageBuffer;
using imaging::ImageResult;

const char kUsage[] =
    "  keldar-cli anaglyph RIGHT LEFT OUT [--merge N] [--contrast N] [--brightness N]\n"
    "      Builds a red/cyan anaglyph: the right-eye image gives blue and green, the left-eye\n"
    "      image red. Slider positions 0..100: merge in percent (default 50), contrast in\n"
    "      sixteenths (default 16, unchanged), brightness (default 30, unchanged).\n"
    "  keldar-cli composite RED GREEN BLUE OUT [--mer2rgb [--red N] [--blue N]]\n"
    "      Builds a colour composite of three band images: by default the straight combination\n"
    "      (each band's grey value becomes its channel); --mer2rgb blends red and blue with the\n"
    "      green band at the given weights in percent (default 70 each).\n"
    "  keldar-cli sunset IN OUT [--passes K]\n"
    "      Darkens the image by K steps of the sunset fade (0..256, default 256); the image\n"
    "      needs at least two rows.\n"
    "      Image names ending in .jpg or .jpeg (any case) are JPEG, written at quality 100;\n"
    "      names ending in .img are PDS images, read only (stretched to grey from the 2nd to\n"
    "      the 98th percentile); any other name is a 24-bit BMP. Exit status 1 when reading,\n"
    "      processing or writing fails, 2 on a usage error; a failed run leaves nothing at OUT.\n";

struct ParsedArgs {
    std::vector<std::string> positional;
    std::map<std::string, int> numbers;  // option name -> value
    bool flags_mer2rgb = false;
    bool help = false;
};

std::optional<int> parseInt(std::string_view text) {
    int value = 0;
    if (text.empty()) return std::nullopt;
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (*begin == '+') ++begin;  // from_chars takes no leading plus
    if (begin == end) return std::nullopt;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

// Parses positionals and "--name N" / "--name=N" options. `numeric` lists the options that
// take an integer in [lo, hi]; "--mer2rgb" is accepted only when allowMer2rgb is set.
bool parseArgs(const char* command, const std::vector<std::string>& args,
               const std::map<std::string, std::pair<int, int>>& numeric, bool allowMer2rgb, ParsedArgs& out) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out.help = true;
            continue;
        }
        if (arg == "--") {
            for (++i; i < args.size(); ++i) out.positional.push_back(args[i]);
            break;
        }
        if (arg.size() < 2 || arg[0] != '-' || arg == "-") {
            out.positional.push_back(arg);
            continue;
        }
        if (allowMer2rgb && arg == "--mer2rgb") {
            out.flags_mer2rgb = true;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> value;
        if (const auto eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        const auto spec = numeric.find(name);
        if (spec == numeric.end()) {
            std::cerr << "keldar-cli " << command << ": unknown option '" << name << "'\n";
            return false;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                std::cerr << "keldar-cli " << command << ": option " << name << " needs a number\n";
                return false;
            }
            value = args[++i];
        }
        const std::optional<int> number = parseInt(*value);
        const auto [lo, hi] = spec->second;
        if (!number) {
            std::cerr << "keldar-cli " << command << ": " << name << " expects a whole number from " << lo << " to "
                      << hi << ", got '" << *value << "'\n";
            return false;
        }
        if (*number < lo || *number > hi) {
            std::cerr << "keldar-cli " << command << ": " << name << " " << *number << " is outside " << lo << ".."
                      << hi << "\n";
            return false;
        }
        if (out.numbers.count(name) != 0) {
            std::cerr << "keldar-cli " << command << ": option " << name << " given twice\n";
            return false;
        }
        out.numbers[name] = *number;
    }
    return true;
}

int usageError(const char* command, const std::string& message) {
    std::cerr << "keldar-cli " << command << ": " << message << "\n"
              << "Run 'keldar-cli --help' or 'keldar-cli " << command << " --help' for usage.\n";
    return kExitUsage;
}

int failure(const char* command, const std::string& message) {
    std::cerr << "keldar-cli " << command << ": " << message << "\n";
    return kExitFailure;
}

int numberOr(const ParsedArgs& p, const std::string& name, int fallback) {
    const auto it = p.numbers.find(name);
    return it == p.numbers.end() ? fallback : it->second;
}

// Reads several inputs, each on its own thread: decoding dominates these commands and the
// files are independent. Returns the first error, or "".
std::string readAll(const std::vector<std::string>& paths, std::vector<ImageResult>& results) {
    results.assign(paths.size(), ImageResult{});
    std::vector<std::thread> threads;
    try {
        for (std::size_t i = 1; i < paths.size(); ++i) {
            threads.emplace_back([&paths, &results, i] { results[i] = imaging::readImageFile(paths[i]); });
        }
    } catch (const std::system_error&) {
        // No thread available: the remaining files are read below on this thread.
    }
    if (!paths.empty()) results[0] = imaging::readImageFile(paths[0]);
    for (std::size_t i = threads.size() + 1; i < paths.size(); ++i) results[i] = imaging::readImageFile(paths[i]);
    for (std::thread& t : threads) t.join();
    for (const ImageResult& r : results) {
        if (!r.ok()) return r.error;
    }
    return {};
}

// Rows of all inputs, decoded on a helper thread and handed to the encoding thread through a
// small ring of row slots, so that decoding and encoding overlap on two cores.
class DecodedRows {
public:
    DecodedRows(std::vector<imaging::ImageRowReader>& readers, int width, int height)
        : readers_(readers),
          rowBytes_(static_cast<std::size_t>(width) * 3),
          height_(height),
          slots_(kSlots * readers.size() * rowBytes_) {}

    DecodedRows(const DecodedRows&) = delete;
    DecodedRows& operator=(const DecodedRows&) = delete;

    ~DecodedRows() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

    // False when no thread could be started.
    bool start() {
        try {
            thread_ = std::thread([this] { produce(); });
        } catch (const std::system_error&) {
            return false;
        }
        return true;
    }

    // Waits for the next row of every input; false, with `error` set, when decoding failed.
    bool next(std::vector<const std::uint8_t*>& rows, std::string& error) {
        std::unique_lock<std::mutex> lock(mutex_);
        ++waiting_;
        changed_.wait(lock, [this] { return produced_ > consumed_ || done_; });
        --waiting_;
        if (produced_ <= consumed_) {
            error = error_.empty() ? "input ended early" : error_;
            return false;
        }
        const std::size_t slot = static_cast<std::size_t>(consumed_ % kSlots);
        for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = slotRow(slot, i);
        return true;
    }

    // The rows given by the last next() may be overwritten from now on.
    void release() {
        bool wake = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            ++consumed_;
            wake = waiting_ > 0;
        }
        if (wake) changed_.notify_all();
    }

    // Waits until the inputs have been read to their end; returns the first error, or "".
    std::string finish() {
        std::unique_lock<std::mutex> lock(mutex_);
        ++waiting_;
        changed_.wait(lock, [this] { return done_; });
        --waiting_;
        return error_;
    }

private:
    static constexpr int kSlots = 32;

    std::uint8_t* slotRow(std::size_t slot, std::size_t input) {
        return slots_.data() + (slot * readers_.size() + input) * rowBytes_;
    }

    void produce() {
        std::string error;
        for (int y = 0; y < height_ && error.empty(); ++y) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                ++waiting_;
                changed_.wait(lock, [this, y] { return y - consumed_ < kSlots || stop_; });
                --waiting_;
                if (stop_) break;
            }
            const std::size_t slot = static_cast<std::size_t>(y % kSlots);
            for (std::size_t i = 0; i < readers_.size() && error.empty(); ++i) {
                const std::uint8_t* row = readers_[i].nextRow();
                if (row == nullptr) {
                    error = readers_[i].error();
                } else {
                    std::memcpy(slotRow(slot, i), row, rowBytes_);
                }
            }
            bool wake = !error.empty();
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (error.empty()) ++produced_;
                wake = wake || waiting_ > 0;
            }
            if (wake) changed_.notify_all();
        }
        // Damage past the rows used is an error too; not worth finding once the writer gave up.
        bool stopped = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopped = stop_;
        }
        for (std::size_t i = 0; i < readers_.size() && error.empty() && !stopped; ++i) error = readers_[i].finish();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            error_ = error;
            done_ = true;
        }
        changed_.notify_all();
    }

    std::vector<imaging::ImageRowReader>& readers_;
    const std::size_t rowBytes_;
    const int height_;
    std::vector<std::uint8_t> slots_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int produced_ = 0;
    int consumed_ = 0;
    int waiting_ = 0;  // threads blocked on changed_: only then is a notification needed
    bool stop_ = false;
    bool done_ = false;
    std::string error_;
    std::thread thread_;
};

// Streams rows from the inputs through `makeRow` into a JPEG at `outPath`, decoding on one
// thread and encoding on this one: no whole picture is held, which also saves the time of
// touching fresh memory for the inputs and the result. The inputs are read to their end
// before the output is committed, so damage past the rows used is still reported and leaves
// nothing at `outPath`. Returns nullopt, having written nothing, when no thread can be
// started; the caller then takes the whole-picture way.
template <typename MakeRow>
std::optional<std::string> streamToJpeg(const std::vector<std::string>& inputs, const std::string& outPath,
                                        MakeRow makeRow, int& width) {
    std::vector<imaging::ImageRowReader> readers(inputs.size());
    int height = 0;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        if (std::string error = readers[i].open(inputs[i]); !error.empty()) return error;
        width = i == 0 ? readers[i].width() : std::min(width, readers[i].width());
        height = i == 0 ? readers[i].height() : std::min(height, readers[i].height());
    }
    DecodedRows decoded(readers, width, height);
    if (!decoded.start()) return std::nullopt;
    imaging::JpegRowWriter writer;
    if (std::string error = writer.open(outPath, width, height, 100); !error.empty()) return error;
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * 3);
    std::vector<const std::uint8_t*> rows(inputs.size());
    std::string error;
    for (int y = 0; y < height; ++y) {
        if (!decoded.next(rows, error)) return error;
        makeRow(rows, out.data());
        decoded.release();
        if (error = writer.writeRow(out.data()); !error.empty()) return error;
    }
    if (error = decoded.finish(); !error.empty()) return error;
    return writer.commit();
}

bool isJpegPath(const std::string& path) { return imaging::imageFileKindFor(path) == imaging::ImageFileKind::Jpeg; }

}  // namespace

const char* imageCommandsUsage() { return kUsage; }

int runAnaglyphCommand(const std::vector<std::string>& args) {
    const char* cmd = "anaglyph";
    ParsedArgs p;
    if (!parseArgs(cmd, args, {{"--merge", {0, 100}}, {"--contrast", {0, 100}}, {"--brightness", {0, 100}}}, false, p)) {
        return kExitUsage;
    }
    if (p.help) {
        std::cout << kUsage;
        return kExitOk;
    }
    if (p.positional.size() != 3) return usageError(cmd, "expected RIGHT LEFT OUT");
    imaging::AnaglyphSettings settings;
    settings.merge = numberOr(p, "--merge", 50);
    settings.contrast = numberOr(p, "--contrast", 16);
    settings.brightness = numberOr(p, "--brightness", 30);

    const std::string& out = p.positional[2];
    if (isJpegPath(out)) {
        imaging::AnaglyphRowPass pass;
        int width = 0;
        const std::optional<std::string> error = streamToJpeg(
            {p.positional[0], p.positional[1]}, out,
            [&](const std::vector<const std::uint8_t*>& rows, std::uint8_t* row) {
                if (pass.width() != width) pass.configure(settings, width);
                pass.run(rows[0], rows[1], row);
            },
            width);
        if (error) return error->empty() ? kExitOk : failure(cmd, *error);
    }
    std::vector<ImageResult> inputs;
    if (std::string error = readAll({p.positional[0], p.positional[1]}, inputs); !error.empty()) {
        return failure(cmd, error);
    }
    ImageBuffer result;
    imaging::buildAnaglyph(inputs[0].image, inputs[1].image, settings, result);
    if (result.isEmpty()) return failure(cmd, "the anaglyph is empty");
    if (std::string error = imaging::writeImageFile(result, out); !error.empty()) return failure(cmd, error);
    return kExitOk;
}

int runCompositeCommand(const std::vector<std::string>& args) {
    const char* cmd = "composite";
    ParsedArgs p;
    if (!parseArgs(cmd, args, {{"--red", {0, 100}}, {"--blue", {0, 100}}}, true, p)) return kExitUsage;
    if (p.help) {
        std::cout << kUsage;
        return kExitOk;
    }
    if (p.positional.size() != 4) return usageError(cmd, "expected RED GREEN BLUE OUT");
    if (!p.flags_mer2rgb && !p.numbers.empty()) return usageError(cmd, "--red and --blue need --mer2rgb");

    const std::string& out = p.positional[3];
    if (!p.flags_mer2rgb && isJpegPath(out)) {
        int width = 0;
        const std::optional<std::string> error = streamToJpeg(
            {p.positional[0], p.positional[1], p.positional[2]}, out,
            [&width](const std::vector<const std::uint8_t*>& rows, std::uint8_t* row) {
                imaging::combineAllChannelsRow(rows[0], rows[1], rows[2], row, width);
            },
            width);
        if (error) return error->empty() ? kExitOk : failure(cmd, *error);
    }
    std::vector<ImageResult> bands;
    if (std::string error = readAll({p.positional[0], p.positional[1], p.positional[2]}, bands); !error.empty()) {
        return failure(cmd, error);
    }
    ImageBuffer result;
    if (p.flags_mer2rgb) {
        const int red = numberOr(p, "--red", imaging::kMer2RgbDefaultRed);
        const int blue = numberOr(p, "--blue", imaging::kMer2RgbDefaultBlue);
        if (std::string error =
                imaging::mer2rgbCombination(bands[0].image, bands[1].image, bands[2].image, red, blue, result);
            !error.empty()) {
            return failure(cmd, error);
        }
    } else {
        imaging::straightCombination(bands[0].image, bands[1].image, bands[2].image, result);
    }
    if (result.isEmpty()) return failure(cmd, "the composite is empty");
    if (std::string error = imaging::writeImageFile(result, out); !error.empty()) return failure(cmd, error);
    return kExitOk;
}

int runSunsetCommand(const std::vector<std::string>& args) {
    const char* cmd = "sunset";
    ParsedArgs p;
    if (!parseArgs(cmd, args, {{"--passes", {0, imaging::kSunsetPasses}}}, false, p)) return kExitUsage;
    if (p.help) {
        std::cout << kUsage;
        return kExitOk;
    }
    if (p.positional.size() != 2) return usageError(cmd, "expected IN OUT");
    const int passes = numberOr(p, "--passes", imaging::kSunsetPasses);

    ImageResult input = imaging::readImageFile(p.positional[0]);
    if (!input.ok()) return failure(cmd, input.error);
    const imaging::SunsetOutcome outcome = imaging::sunsetFade(input.image, nullptr, passes);
    if (outcome == imaging::SunsetOutcome::BitmapError) {
        return failure(cmd, std::string(imaging::kSunsetBitmapError) + ": the image needs at least two rows");
    }
    if (std::string error = imaging::writeImageFile(input.image, p.positional[1]); !error.empty()) {
        return failure(cmd, error);
    }
    return kExitOk;
}

}  // namespace keldar::cli
