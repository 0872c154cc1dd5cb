#include "cli/ImageCommands.h"

#include "cli/Arguments.h"
#include "core/imaging/AnaglyphPipeline.h"
#include "core/imaging/ColourComposite.h"
#include "core/imaging/ImageFile.h"
#include "core/imaging/PixelFunctions.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <memory>
#include <mutex>
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

// Rows of all inputs, decoded on a helper thread and handed to the encoding thread through a
// small ring of row slots, so that decoding and encoding overlap on two cores. Each input
// gives its whole row and as many rows as asked of it; past those its rows come as nullptr.
// When no thread can be started, the rows are decoded on the calling thread instead.
class DecodedRows {
public:
    DecodedRows(std::vector<imaging::ImageRowReader>& readers, std::vector<int> rowsPerInput)
        : readers_(readers), rowsPerInput_(std::move(rowsPerInput)) {
        for (std::size_t i = 0; i < readers_.size(); ++i) {
            offsets_.push_back(slotBytes_);
            slotBytes_ += static_cast<std::size_t>(readers_[i].width()) * 3;
            height_ = std::max(height_, rowsPerInput_[i]);
        }
        slots_.reset(new std::uint8_t[kSlots * slotBytes_]);  // not zero-filled: rows are written before read
    }

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

    int height() const { return height_; }

    void start() {
        try {
            thread_ = std::thread([this] { produce(); });
        } catch (const std::system_error&) {
            // Decoded in next() instead.
        }
    }

    // Waits for the next row of every input; false, with `error` set, when decoding failed.
    bool next(std::vector<const std::uint8_t*>& rows, std::string& error) {
        if (!thread_.joinable()) {
            if (consumed_ >= height_) {
                error = "input ended early";
                return false;
            }
            if (error = decodeRow(consumed_); !error.empty()) return false;
        } else {
            std::unique_lock<std::mutex> lock(mutex_);
            ++waiting_;
            changed_.wait(lock, [this] { return produced_ > consumed_ || done_; });
            --waiting_;
            if (produced_ <= consumed_) {
                error = error_.empty() ? "input ended early" : error_;
                return false;
            }
        }
        for (std::size_t i = 0; i < rows.size(); ++i) {
            rows[i] = consumed_ < rowsPerInput_[i] ? slotRow(consumed_, i) : nullptr;
        }
        return true;
    }

    // The rows given by the last next() may be overwritten from now on.
    void release() {
        if (!thread_.joinable()) {
            ++consumed_;
            return;
        }
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
        if (!thread_.joinable()) return finishReaders();
        std::unique_lock<std::mutex> lock(mutex_);
        ++waiting_;
        changed_.wait(lock, [this] { return done_; });
        --waiting_;
        return error_;
    }

private:
    static constexpr int kSlots = 32;

    std::uint8_t* slotRow(int y, std::size_t input) {
        return slots_.get() + static_cast<std::size_t>(y % kSlots) * slotBytes_ + offsets_[input];
    }

    // Row y of every input that has one, into its slot.
    std::string decodeRow(int y) {
        for (std::size_t i = 0; i < readers_.size(); ++i) {
            if (y >= rowsPerInput_[i]) continue;
            const std::uint8_t* row = readers_[i].nextRow();
            if (row == nullptr) return readers_[i].error();
            std::memcpy(slotRow(y, i), row, static_cast<std::size_t>(readers_[i].width()) * 3);
        }
        return {};
    }

    // Damage past the rows used is an error too.
    std::string finishReaders() {
        for (imaging::ImageRowReader& reader : readers_) {
            if (std::string error = reader.finish(); !error.empty()) return error;
        }
        return {};
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
            error = decodeRow(y);
            bool wake = !error.empty();
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (error.empty()) ++produced_;
                wake = wake || waiting_ > 0;
            }
            if (wake) changed_.notify_all();
        }
        // Not worth reading on once the writer gave up.
        bool stopped = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopped = stop_;
        }
        if (error.empty() && !stopped) error = finishReaders();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            error_ = error;
            done_ = true;
        }
        changed_.notify_all();
    }

    std::vector<imaging::ImageRowReader>& readers_;
    const std::vector<int> rowsPerInput_;
    std::vector<std::size_t> offsets_;  // of each input's row within a slot
    std::size_t slotBytes_ = 0;
    int height_ = 0;
    std::unique_ptr<std::uint8_t[]> slots_;
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

bool isJpegPath(const std::string& path) { return imaging::imageFileKindFor(path) == imaging::ImageFileKind::Jpeg; }

// The output file, written row by row as a JPEG or a BMP by its name.
class RowSink {
public:
    std::string open(const std::string& path, int width, int height, imaging::ExistingFile existing) {
        jpeg_ = isJpegPath(path);
        return jpeg_ ? jpegWriter_.open(path, width, height, 100, existing) : bmpWriter_.open(path, width, height, existing);
    }
    std::string writeRow(const std::uint8_t* row) {
        return jpeg_ ? jpegWriter_.writeRow(row) : bmpWriter_.writeRow(row);
    }
    std::string commit() { return jpeg_ ? jpegWriter_.commit() : bmpWriter_.commit(); }

private:
    bool jpeg_ = false;
    imaging::JpegRowWriter jpegWriter_;
    imaging::BmpRowWriter bmpWriter_;
};

// Opens every input; `width` and `height` become the least of theirs.
std::string openInputs(const std::vector<std::string>& paths, std::vector<imaging::ImageRowReader>& readers,
                       int& width, int& height) {
    readers = std::vector<imaging::ImageRowReader>(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (std::string error = readers[i].open(paths[i]); !error.empty()) return error;
        width = i == 0 ? readers[i].width() : std::min(width, readers[i].width());
        height = i == 0 ? readers[i].height() : std::min(height, readers[i].height());
    }
    return {};
}

// Streams the inputs' rows through `consume` (which writes the output rows), decoding on one
// thread and encoding on this one: no whole picture is held, which also saves the time of
// touching fresh memory for the inputs and the result. The inputs are read to their end
// before the output is committed, so damage past the rows used is still reported and leaves
// nothing at the output. Returns "" on success or the first error.
// A stop request is honoured between rows: the sink is then abandoned, which removes its
// temporary file.
template <typename Consume>
std::string streamRows(std::vector<imaging::ImageRowReader>& readers, std::vector<int> rowsPerInput,
                       RowSink& sink, const StreamOptions& options, Consume consume) {
    DecodedRows decoded(readers, std::move(rowsPerInput));
    if (options.helperThread) decoded.start();
    std::vector<const std::uint8_t*> rows(readers.size());
    std::string error;
    for (int y = 0; y < decoded.height(); ++y) {
        if (options.stop != nullptr && options.stop->load(std::memory_order_relaxed)) return std::string(kStoppedError);
        if (!decoded.next(rows, error)) return error;
        error = consume(rows);
        decoded.release();
        if (!error.empty()) return error;
    }
    if (error = decoded.finish(); !error.empty()) return error;
    return sink.commit();
}

// One output row per input row.
template <typename MakeRow>
std::string streamEachRow(const std::vector<std::string>& inputs, const std::string& outPath,
                          const StreamOptions& options, MakeRow makeRow) {
    if (std::string refusal = imaging::refuseOverwritingInput(outPath, inputs); !refusal.empty()) return refusal;
    std::vector<imaging::ImageRowReader> readers;
    int width = 0, height = 0;
    if (std::string error = openInputs(inputs, readers, width, height); !error.empty()) return error;
    RowSink sink;
    if (std::string error = sink.open(outPath, width, height, options.existing); !error.empty()) return error;
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * 3);
    return streamRows(readers, std::vector<int>(inputs.size(), height), sink, options,
                      [&](const std::vector<const std::uint8_t*>& rows) {
                          makeRow(rows, out.data(), width);
                          return sink.writeRow(out.data());
                      });
}

// The blended composite: the green band is read as far as the composite's last JPEG blocks
// reach, the other bands as far as the composite.
std::string streamBlended(const std::vector<std::string>& bands, const std::string& outPath, int red, int blue) {
    if (std::string refusal = imaging::refuseOverwritingInput(outPath, bands); !refusal.empty()) return refusal;
    std::vector<imaging::ImageRowReader> readers;
    int width = 0, height = 0;
    if (std::string error = openInputs(bands, readers, width, height); !error.empty()) return error;
    imaging::Mer2RgbRowPass pass;
    if (std::string error = pass.configure(red, blue, width, height, readers[1].width(), readers[1].height());
        !error.empty()) {
        return error;
    }
    RowSink sink;
    if (std::string error = sink.open(outPath, width, height, imaging::ExistingFile::Replace); !error.empty()) {
        return error;
    }
    const imaging::Mer2RgbRowPass::Emit emit = [&sink](const std::uint8_t* row) { return sink.writeRow(row); };
    return streamRows(readers, {height, pass.rowsToPush(), height}, sink, StreamOptions{},
                      [&](const std::vector<const std::uint8_t*>& rows) {
                          return pass.push(rows[0], rows[1], rows[2], emit);
                      });
}

}  // namespace

const char* imageCommandsUsage() { return kUsage; }

std::string writeAnaglyphFile(const std::string& right, const std::string& left, const std::string& out,
                              const imaging::AnaglyphSettings& settings, const StreamOptions& options) {
    imaging::AnaglyphRowPass pass;
    return streamEachRow({right, left}, out, options,
                         [&](const std::vector<const std::uint8_t*>& rows, std::uint8_t* row, int width) {
                             if (pass.width() != width) pass.configure(settings, width);
                             pass.run(rows[0], rows[1], row);
                         });
}

int runAnaglyphCommand(const std::vector<std::string>& args) {
    const char* cmd = "anaglyph";
    ParsedArgs p;
    if (!parseArgs(cmd, args, anaglyphOptionRanges(), false, p)) return kExitUsage;
    if (p.help) {
        std::cout << kUsage;
        return kExitOk;
    }
    if (p.positional.size() != 3) return usageError(cmd, "expected RIGHT LEFT OUT");
    const std::string error =
        writeAnaglyphFile(p.positional[0], p.positional[1], p.positional[2], anaglyphSettingsFrom(p), StreamOptions{});
    return error.empty() ? kExitOk : failure(cmd, error);
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

    const std::vector<std::string> bands = {p.positional[0], p.positional[1], p.positional[2]};
    const std::string& out = p.positional[3];
    std::string error;
    if (!p.flags_mer2rgb) {
        error = streamEachRow(bands, out, StreamOptions{}, [](const std::vector<const std::uint8_t*>& rows, std::uint8_t* row, int width) {
            imaging::combineAllChannelsRow(rows[0], rows[1], rows[2], row, width);
        });
    } else {
        error = streamBlended(bands, out, numberOr(p, "--red", imaging::kMer2RgbDefaultRed),
                              numberOr(p, "--blue", imaging::kMer2RgbDefaultBlue));
    }
    return error.empty() ? kExitOk : failure(cmd, error);
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
    for (const std::string& refusal : {imaging::refusePdsDestination(p.positional[1]),
                                       imaging::refuseOverwritingInput(p.positional[1], {p.positional[0]})})
        if (!refusal.empty()) return failure(cmd, refusal);

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
