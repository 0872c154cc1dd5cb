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

// Rows of all inputs, handed to the encoding thread through a small ring of row slots. One
// helper thread decodes whichever input is furthest behind while the calling thread encodes;
// when the encoder finds a row it needs not yet decoded, it decodes it itself rather than
// wait. Two threads on two cores then share the decoding as the work falls, without a third
// thread to take turns with. Each input is decoded by one thread at a time; each gives its
// whole row and as many rows as asked of it, past those its rows come as nullptr. Errors come
// as a single decoding thread would meet them: the earliest row first, inputs in order.
class DecodedRows {
public:
    DecodedRows(std::vector<imaging::ImageRowReader>& readers, std::vector<int> rowsPerInput)
        : readers_(readers), rowsPerInput_(std::move(rowsPerInput)), inputs_(readers_.size()) {
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
        if (helper_.joinable()) helper_.join();
    }

    int height() const { return height_; }

    void start() {
        try {
            helper_ = std::thread([this] { help(); });
        } catch (const std::system_error&) {
            // The calling thread decodes everything.
        }
    }

    // Waits for the next row of every input; false, with `error` set, when decoding failed.
    bool next(std::vector<const std::uint8_t*>& rows, std::string& error) {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            // An input being decoded by the helper is left to it while another still lacks
            // its row; only when every missing row is under way is there anything to wait for.
            std::size_t missing = inputs_.size();
            bool waitable = false;
            for (std::size_t i = 0; i < inputs_.size(); ++i) {
                const Input& input = inputs_[i];
                if (consumed_ >= rowsPerInput_[i] || input.produced > consumed_) continue;
                if (input.failed) {
                    // The earliest row first, inputs in order: an input before this one that
                    // is still being decoded may fail at this row too.
                    if (waitable || missing < inputs_.size()) break;
                    error = input.error;
                    return false;
                }
                if (input.busy) {
                    waitable = true;
                } else if (missing == inputs_.size()) {
                    missing = i;
                }
            }
            if (missing < inputs_.size()) {
                decodeRows(lock, missing, kOwnBatch);
            } else if (waitable) {
                // Rather than wait, read ahead in an input the helper is not on.
                const std::size_t ahead = inputWithRoom();
                if (ahead < inputs_.size())
                    decodeRows(lock, ahead, kOwnBatch);
                else
                    waitLocked(lock, callerWaiting_);
            } else {
                break;
            }
        }
        for (std::size_t i = 0; i < rows.size(); ++i)
            rows[i] = consumed_ < rowsPerInput_[i] ? slotRow(consumed_, i) : nullptr;
        return true;
    }

    // The rows given by the last next() may be overwritten from now on.
    void release() {
        std::lock_guard<std::mutex> lock(mutex_);
        ++consumed_;
        // The helper, when waiting for room, is woken once per batch of free slots.
        if (helperWaiting_ && consumed_ % kHelperBatch == 0) changed_.notify_all();
    }

    // Waits until the inputs have been read to their end; returns the first error, or "".
    std::string finish() {
        std::unique_lock<std::mutex> lock(mutex_);
        std::string first;
        for (std::size_t i = 0; i < inputs_.size(); ++i) {
            Input& input = inputs_[i];
            while (!input.finished && !input.failed) {
                if (!input.busy && input.produced >= rowsPerInput_[i]) {
                    finishInput(lock, i);
                } else if (!input.busy) {
                    decodeRows(lock, i, rowsPerInput_[i]);  // rows nobody asked for yet
                } else {
                    waitLocked(lock, callerWaiting_);
                }
            }
            if (first.empty()) first = input.error;
        }
        return first;
    }

private:
    static constexpr int kSlots = 128;
    // Rows the helper decodes of one input before it looks again which is furthest behind,
    // and the rows the encoder decodes itself when it finds one missing.
    static constexpr int kHelperBatch = 16;
    static constexpr int kOwnBatch = 8;

    struct Input {
        int produced = 0;
        bool busy = false;      // a thread is decoding it
        bool failed = false;    // decoding stopped with `error`
        bool finished = false;  // read to its end, `error` says how
        std::string error;
    };

    std::uint8_t* slotRow(int y, std::size_t input) {
        return slots_.get() + static_cast<std::size_t>(y % kSlots) * slotBytes_ + offsets_[input];
    }

    void waitLocked(std::unique_lock<std::mutex>& lock, bool& waiting) {
        waiting = true;
        changed_.wait(lock);
        waiting = false;
    }

    void wakeOthers() {
        if (callerWaiting_ || helperWaiting_) changed_.notify_all();
    }

    // Decodes up to `count` rows of input i as far as there is room in the ring, with the lock
    // let go meanwhile; each row is published as soon as it is there.
    void decodeRows(std::unique_lock<std::mutex>& lock, std::size_t i, int count) {
        Input& input = inputs_[i];
        const int end = std::min({rowsPerInput_[i], consumed_ + kSlots, input.produced + count});
        if (end <= input.produced) return;
        input.busy = true;
        for (int y = input.produced; y < end; ++y) {
            lock.unlock();
            const bool ok = readers_[i].nextRowInto(slotRow(y, i));
            lock.lock();
            if (!ok) {
                input.failed = true;
                input.error = readers_[i].error().empty() ? "input ended early" : readers_[i].error();
                break;
            }
            input.produced = y + 1;
            if (callerWaiting_) changed_.notify_all();
            if (stop_) break;
        }
        input.busy = false;
        wakeOthers();
    }

    // Damage past the rows used is an error too.
    void finishInput(std::unique_lock<std::mutex>& lock, std::size_t i) {
        Input& input = inputs_[i];
        input.busy = true;
        lock.unlock();
        std::string error = readers_[i].finish();
        lock.lock();
        input.busy = false;
        input.error = std::move(error);
        input.finished = true;
        wakeOthers();
    }

    // An input no thread is decoding, with rows left to decode and room for them; the one
    // furthest behind. inputs_.size() when there is none.
    std::size_t inputWithRoom() const {
        std::size_t chosen = inputs_.size();
        for (std::size_t i = 0; i < inputs_.size(); ++i) {
            const Input& input = inputs_[i];
            if (input.busy || input.failed || input.produced >= std::min(rowsPerInput_[i], consumed_ + kSlots))
                continue;
            if (chosen == inputs_.size() || input.produced < inputs_[chosen].produced) chosen = i;
        }
        return chosen;
    }

    void help() {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!stop_) {
            // The input furthest behind that has room, else one to read to its end.
            std::size_t chosen = inputs_.size();
            bool unfinished = false;
            for (std::size_t i = 0; i < inputs_.size(); ++i) {
                const Input& input = inputs_[i];
                if (input.finished || input.failed) continue;
                unfinished = true;
                const bool room = input.produced < std::min(rowsPerInput_[i], consumed_ + kSlots);
                if (input.busy || (!room && input.produced < rowsPerInput_[i])) continue;
                if (chosen == inputs_.size() || input.produced < inputs_[chosen].produced) chosen = i;
            }
            if (!unfinished) return;
            if (chosen == inputs_.size()) {
                waitLocked(lock, helperWaiting_);
            } else if (inputs_[chosen].produced < rowsPerInput_[chosen]) {
                decodeRows(lock, chosen, kHelperBatch);
            } else {
                finishInput(lock, chosen);
            }
        }
    }

    std::vector<imaging::ImageRowReader>& readers_;
    const std::vector<int> rowsPerInput_;
    std::vector<Input> inputs_;
    std::vector<std::size_t> offsets_;  // of each input's row within a slot
    std::size_t slotBytes_ = 0;
    int height_ = 0;
    std::unique_ptr<std::uint8_t[]> slots_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int consumed_ = 0;
    bool callerWaiting_ = false;
    bool helperWaiting_ = false;
    bool stop_ = false;
    std::thread helper_;  // last: started once everything it uses is there
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

// Streams the inputs' rows through `consume` (which writes the output rows), decoding on a
// helper thread and this one and encoding on this one: no whole picture is held, which also saves the time of
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
