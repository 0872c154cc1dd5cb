#include "core/imaging/Thumbnail.h"

#include "core/imaging/ImageFile.h"
#include "core/imaging/ImageFileInternal.h"
#include "core/imaging/PdsImageInternal.h"

#include <algorithm>
#include <cerrno>
#include <new>

#include <unistd.h>

namespace keldar::imaging {

namespace {

using namespace detail;

struct Size {
    int width = 0;
    int height = 0;
};

// The longer side becomes `side` (or stays, when shorter), the other follows it rounded.
Size fitWithin(int width, int height, int side) {
    if (width >= height) {
        const int w = std::min(side, width);
        const auto h = static_cast<int>((static_cast<long long>(height) * w + width / 2) / width);
        return {w, std::max(1, h)};
    }
    const int h = std::min(side, height);
    const auto w = static_cast<int>((static_cast<long long>(width) * h + height / 2) / height);
    return {std::max(1, w), h};
}

// Past twice this many rows in a thumbnail row's box, only this many, spread evenly over it,
// are read and decoded: three rows in eight for a thumbnail an eighth of the picture's size.
// With two, a NAVCAM frame's fine-grained ground came out nearly four grey levels off the
// picture averaged down; with three, about two.
constexpr int kRowsReadPerBox = 3;

// The rows of box [top, bottom) that are read, in increasing order.
template <typename F>
void forEachRowRead(int top, int bottom, F&& f) {
    const int rows = bottom - top;
    if (rows <= 2 * kRowsReadPerBox) {
        for (int y = top; y < bottom; ++y) f(y);
        return;
    }
    for (int i = 0; i < kRowsReadPerBox; ++i) f(top + (2 * i + 1) * rows / (2 * kRowsReadPerBox));
}

// One direction of a reduction from a picture `full` pixels long, given at `eighths`/8 of its
// size, to `targets` thumbnail pixels. Lengths are counted in units of 1/(eighths x targets)
// of a picture pixel, so that every overlap is a whole number: a given pixel is 8 x targets
// long (the last one cut off at the picture's end, as a scaled decode's last block is), a
// thumbnail pixel full x eighths.
struct Axis {
    std::int64_t pixel = 0;
    std::int64_t span = 0;
    std::int64_t end = 0;

    Axis(int full, int eighths, int targets)
        : pixel(std::int64_t{8} * targets), span(std::int64_t{full} * eighths), end(span * targets) {}
    std::int64_t overlap(int given, int target) const {
        const std::int64_t from = std::max(given * pixel, target * span);
        const std::int64_t to = std::min(std::min((given + 1) * pixel, end), (target + 1) * span);
        return std::max<std::int64_t>(0, to - from);
    }
    int firstTarget(int given) const { return static_cast<int>(given * pixel / span); }
    int firstGiven(int target) const { return static_cast<int>(target * span / pixel); }
};

// Averages rows, given from the top, by the area each thumbnail pixel covers, fractions of
// pixels included. Rows may be left out (reading only some rows of a box); a thumbnail row
// is then the weighted mean of the rows it was given. Every thumbnail row must be given at
// least one row: one inside its box always is.
class AreaReducer {
public:
    // The picture is fullWidth x fullHeight; rows come at eighths/8 of that, rounded up, as a
    // scaled JPEG decode gives them. The thumbnail's own size is already set. False when a
    // given pixel is larger than a thumbnail pixel: rows that coarse would be stretched, not
    // averaged. Throws std::bad_alloc.
    bool start(int fullWidth, int fullHeight, int eighths, int channels, Thumbnail& out) {
        out_ = &out;
        channels_ = channels;
        across_ = Axis(fullWidth, eighths, out.width);
        down_ = Axis(fullHeight, eighths, out.height);
        if (across_.pixel > across_.span || down_.pixel > down_.span) return false;
        out.channels = channels;
        out.pixels.assign(static_cast<std::size_t>(out.width) * out.height * channels, 0);
        const int given = static_cast<int>((static_cast<std::int64_t>(fullWidth) * eighths + 7) / 8);
        columns_.clear();
        for (int tx = 0; tx < out.width; ++tx) {
            Column c;
            c.offset = across_.firstGiven(tx);
            while (c.offset + c.count < given && across_.overlap(c.offset + c.count, tx) > 0) ++c.count;
            c.first = static_cast<std::uint32_t>(across_.overlap(c.offset, tx));
            c.last = c.count > 1 ? static_cast<std::uint32_t>(across_.overlap(c.offset + c.count - 1, tx)) : 0;
            columns_.push_back(c);
        }
        const std::size_t row = static_cast<std::size_t>(out.width) * channels;
        row_.assign(row, 0);
        sums_.assign(2 * row, 0);
        rowWeight_[0] = rowWeight_[1] = 0;
        target_ = 0;
        return true;
    }

    // Which given rows the thumbnail row `ty` covers begin with (`ty` up to the height).
    int rowStart(int ty) const { return down_.firstGiven(ty); }

    void addRow(int y, const std::uint8_t* row) {
        const int t = down_.firstTarget(y);
        while (target_ < t) flush();
        sumAcross(row);
        const std::size_t n = row_.size();
        for (int k = 0; k < 2 && target_ + k < out_->height; ++k) {
            const std::int64_t w = down_.overlap(y, target_ + k);
            if (w == 0) continue;
            std::uint64_t* sum = sums_.data() + k * n;
            for (std::size_t i = 0; i < n; ++i) sum[i] += static_cast<std::uint64_t>(w) * row_[i];
            rowWeight_[k] += static_cast<std::uint64_t>(w);
        }
    }

    void finish() {
        while (target_ < out_->height) flush();
    }

private:
    // Pixels wholly inside a thumbnail column all weigh a whole given pixel, so only its two
    // end pixels need a multiplication of their own.
    void sumAcross(const std::uint8_t* row) {
        const int width = out_->width;
        const auto whole = static_cast<std::uint32_t>(across_.pixel);
        for (int tx = 0; tx < width; ++tx) {
            const Column& c = columns_[tx];
            const int end = c.count - 1;
            if (channels_ == 1) {
                const std::uint8_t* p = row + c.offset;
                std::uint32_t s = 0;
                for (int i = 1; i < end; ++i) s += p[i];
                row_[tx] = s * whole + c.first * p[0] + c.last * p[end];
            } else {
                const std::uint8_t* p = row + static_cast<std::size_t>(c.offset) * 3;
                std::uint32_t b = 0, g = 0, r = 0;
                for (int i = 1; i < end; ++i) {
                    b += p[3 * i];
                    g += p[3 * i + 1];
                    r += p[3 * i + 2];
                }
                row_[3 * tx] = b * whole + c.first * p[0] + c.last * p[3 * end];
                row_[3 * tx + 1] = g * whole + c.first * p[1] + c.last * p[3 * end + 1];
                row_[3 * tx + 2] = r * whole + c.first * p[2] + c.last * p[3 * end + 2];
            }
        }
    }

    void flush() {
        const std::size_t n = row_.size();
        if (rowWeight_[0] > 0) {
            std::uint8_t* out = out_->pixels.data() + static_cast<std::size_t>(target_) * n;
            // A multiplication: a 64-bit division per pixel would cost more than all the rest.
            const double scale = 1.0 / static_cast<double>(rowWeight_[0] * static_cast<std::uint64_t>(across_.span));
            for (std::size_t i = 0; i < n; ++i)
                out[i] = static_cast<std::uint8_t>(static_cast<double>(sums_[i]) * scale + 0.5);
        }
        std::copy(sums_.begin() + static_cast<std::ptrdiff_t>(n), sums_.end(), sums_.begin());
        std::fill(sums_.begin() + static_cast<std::ptrdiff_t>(n), sums_.end(), 0);
        rowWeight_[0] = rowWeight_[1];
        rowWeight_[1] = 0;
        ++target_;
    }

    Thumbnail* out_ = nullptr;
    int channels_ = 1;
    Axis across_{1, 8, 1};
    Axis down_{1, 8, 1};
    // The given pixels a thumbnail column covers, and the weights of the first and the last
    // (0 when there is one only).
    struct Column {
        int offset = 0;
        int count = 0;
        std::uint32_t first = 0;
        std::uint32_t last = 0;
    };
    std::vector<Column> columns_;
    std::vector<std::uint32_t> row_;   // the given row summed across, per thumbnail column
    std::vector<std::uint64_t> sums_;  // of thumbnail rows target_ and target_ + 1
    std::uint64_t rowWeight_[2] = {0, 0};
    int target_ = 0;
};

// One channel is enough for a picture that is grey all over: a third of the memory, and the
// gallery can tell a rover's grey frame from a colour one.
void dropColourIfGrey(Thumbnail& t) {
    if (t.channels != 3) return;
    const std::size_t n = t.pixels.size() / 3;
    const std::uint8_t* p = t.pixels.data();
    for (std::size_t i = 0; i < n; ++i, p += 3) {
        if (p[0] != p[1] || p[1] != p[2]) return;
    }
    for (std::size_t i = 0; i < n; ++i) t.pixels[i] = t.pixels[3 * i];
    t.pixels.resize(n);
    t.channels = 1;
}

Thumbnail failure(std::string error) {
    Thumbnail t;
    t.error = std::move(error);
    return t;
}

// The file's name before what went wrong, once: some readers' messages already start with it.
Thumbnail failure(const std::string& path, const std::string& error) {
    if (error.find(path) != std::string::npos) return failure(error);
    return failure(path + ": " + error);
}

// ---- any picture, read whole -----------------------------------------------------------------

Thumbnail reduceWhole(const ImageBuffer& image, int side) {
    Thumbnail t;
    t.fullWidth = image.width();
    t.fullHeight = image.height();
    const Size size = fitWithin(image.width(), image.height(), side);
    t.width = size.width;
    t.height = size.height;
    AreaReducer reducer;
    reducer.start(image.width(), image.height(), 8, 3, t);
    for (int y = 0; y < image.height(); ++y) reducer.addRow(y, image.row(y));
    reducer.finish();
    dropColourIfGrey(t);
    return t;
}

Thumbnail readWholeAndReduce(const std::string& path, int side) {
    const ImageResult r = readImageFile(path);
    if (!r.ok()) return failure(r.error);
    try {
        return reduceWhole(r.image, side);
    } catch (const std::bad_alloc&) {
        return failure(path + ": out of memory");
    }
}

// ---- JPEG ------------------------------------------------------------------------------------

// What the JPEG decode needs that has a destructor, kept out of the frame libjpeg jumps back to.
struct JpegWork {
    AreaReducer reducer;
    std::vector<std::uint8_t> row;
    std::vector<std::uint8_t> inkRow;
};

// The least of 1, 2, 4 or 8 eighths of the picture's size (the halvings libjpeg has reduced
// DCTs for) whose pixels are each no larger than a thumbnail pixel. The last block row and
// column are partly the encoder's repeated edge; the reducer counts only their part inside
// the picture.
int jpegEighths(int width, int height, Size target) {
    int m = 1;
    while (m < 8 && (static_cast<std::int64_t>(width) * m < std::int64_t{8} * target.width ||
                     static_cast<std::int64_t>(height) * m < std::int64_t{8} * target.height)) {
        m *= 2;
    }
    return m;
}

enum class JpegOutcome { Decoded, Failed, OtherColours };

JpegOutcome decodeJpegThumbnail(const std::uint8_t* data, std::size_t size, int side, Thumbnail& out, JpegWork& work) {
    jpeg_decompress_struct cinfo;
    JpegErrorManager mgr;
    initJpegErrors(mgr);
    cinfo.err = &mgr.pub;
    if (setjmp(mgr.jump)) {
        out.error = std::string("corrupt JPEG data: ") + mgr.message;
        jpeg_destroy_decompress(&cinfo);
        return JpegOutcome::Failed;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    if (std::string limits = checkImageLimits(cinfo.image_width, cinfo.image_height); !limits.empty()) {
        out.error = limits;
        jpeg_destroy_decompress(&cinfo);
        return JpegOutcome::Failed;
    }
    out.fullWidth = static_cast<int>(cinfo.image_width);
    out.fullHeight = static_cast<int>(cinfo.image_height);
    const bool ink = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    int channels = 3;
    if (cinfo.jpeg_color_space == JCS_GRAYSCALE) {
        cinfo.out_color_space = JCS_GRAYSCALE;
        channels = 1;
    } else if (cinfo.jpeg_color_space == JCS_YCbCr || cinfo.jpeg_color_space == JCS_RGB) {
        cinfo.out_color_space = JCS_EXT_BGR;
    } else if (ink) {
        cinfo.out_color_space = JCS_CMYK;
    } else {
        jpeg_destroy_decompress(&cinfo);
        return JpegOutcome::OtherColours;
    }
    const Size target = fitWithin(out.fullWidth, out.fullHeight, side);
    cinfo.scale_num = static_cast<unsigned>(jpegEighths(out.fullWidth, out.fullHeight, target));
    cinfo.scale_denom = 8;
    // The cheaper DCT and upsampling: once averaged down, within two grey levels of the
    // careful decode. Most of the time goes into the entropy decoding, which no option spares.
    cinfo.dct_method = JDCT_IFAST;
    cinfo.do_fancy_upsampling = FALSE;
    jpeg_start_decompress(&cinfo);
    const int width = static_cast<int>(cinfo.output_width);
    const int height = static_cast<int>(cinfo.output_height);
    const auto scaled = [&cinfo](int full) {
        return static_cast<int>((static_cast<std::int64_t>(full) * cinfo.scale_num + 7) / 8);
    };
    if (width != scaled(out.fullWidth) || height != scaled(out.fullHeight)) {
        out.error = "the decoder gave another size than the scaling asked for";
        jpeg_destroy_decompress(&cinfo);
        return JpegOutcome::Failed;
    }
    out.width = target.width;
    out.height = target.height;
    bool allocated = true;
    bool fits = true;
    try {
        fits = work.reducer.start(out.fullWidth, out.fullHeight, static_cast<int>(cinfo.scale_num), channels, out);
        work.row.resize(static_cast<std::size_t>(width) * channels);
        if (ink) work.inkRow.resize(static_cast<std::size_t>(width) * 4);
    } catch (const std::bad_alloc&) {
        allocated = false;
    }
    if (!allocated || !fits) {
        out.error = allocated ? "the scaled decode is smaller than the thumbnail" : "out of memory";
        jpeg_destroy_decompress(&cinfo);
        return JpegOutcome::Failed;
    }
    const bool adobeInverted = cinfo.saw_Adobe_marker;
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        JSAMPROW rowPtr = ink ? work.inkRow.data() : work.row.data();
        jpeg_read_scanlines(&cinfo, &rowPtr, 1);
        if (ink) cmykRowToBgr(work.inkRow.data(), work.row.data(), width, adobeInverted);
        work.reducer.addRow(y, work.row.data());
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    work.reducer.finish();
    return JpegOutcome::Decoded;
}

Thumbnail jpegThumbnail(const std::string& path, int side) {
    FileBytes bytes;
    if (std::string error = readWholeFile(path, bytes); !error.empty()) return failure(error);
    if (bytes.size < 2 || bytes.data()[0] != 0xFF || bytes.data()[1] != 0xD8) {
        return failure(path + ": not a JPEG file (no start-of-image marker)");
    }
    Thumbnail t;
    JpegWork work;
    switch (decodeJpegThumbnail(bytes.data(), bytes.size, side, t, work)) {
        case JpegOutcome::Decoded:
            break;
        case JpegOutcome::Failed:
            return failure(path + ": " + t.error);
        case JpegOutcome::OtherColours:
            return readWholeAndReduce(path, side);
    }
    dropColourIfGrey(t);
    return t;
}

// ---- BMP -------------------------------------------------------------------------------------

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// "" or why the `n` bytes at `offset` could not all be read.
std::string readAt(int fd, std::uint8_t* buffer, std::size_t n, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd, buffer + done, n - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return "read error: " + errnoText(errno);
        if (got == 0) return "truncated BMP file: it shrank while being read";
        done += static_cast<std::size_t>(got);
    }
    return {};
}

Thumbnail bmpThumbnail(const std::string& path, int side) {
    int rawFd = -1;
    std::size_t size = 0;
    if (std::string error = openImageFile(path, rawFd, size); !error.empty()) return failure(error);
    const FileDescriptor fd(rawFd);
    BmpLayout layout;
    {
        std::uint8_t headers[kBmpHeadersMaxBytes];
        const std::size_t want = std::min(size, kBmpHeadersMaxBytes);
        if (std::string error = readAt(fd.get(), headers, want, 0); !error.empty()) return failure(path + ": " + error);
        if (std::string error = parseBmpHeaders(headers, size, layout); !error.empty()) {
            return failure(path + ": " + error);
        }
    }
    Thumbnail t;
    t.fullWidth = layout.width;
    t.fullHeight = layout.height;
    const Size target = fitWithin(layout.width, layout.height, side);
    t.width = target.width;
    t.height = target.height;
    AreaReducer reducer;
    std::vector<std::uint8_t> fileRows;
    std::vector<std::uint8_t> row;
    try {
        reducer.start(layout.width, layout.height, 8, 3, t);
        fileRows.resize(static_cast<std::size_t>(layout.rowBytes) * 2 * kRowsReadPerBox);
        row.resize(static_cast<std::size_t>(layout.width) * 3);
    } catch (const std::bad_alloc&) {
        return failure(path + ": out of memory");
    }
    // Rows are taken in the order the file holds them, so that the reads run forwards as the
    // kernel's readahead expects: a bottom-up file read from its top row took five times as long
    // from disk as reading it whole. A bottom-up file's thumbnail is turned over at the end.
    const auto fileOffset = [&layout](int r) {
        return layout.pixelOffset + layout.rowBytes * static_cast<std::uint64_t>(r);
    };
    for (int ty = 0; ty < t.height; ++ty) {
        const int top = reducer.rowStart(ty);
        const int bottom = reducer.rowStart(ty + 1);
        // A box read whole is one read.
        const bool whole = bottom - top <= 2 * kRowsReadPerBox;
        if (whole) {
            const std::size_t n = static_cast<std::size_t>(layout.rowBytes) * (bottom - top);
            if (std::string error = readAt(fd.get(), fileRows.data(), n, fileOffset(top)); !error.empty()) {
                return failure(path + ": " + error);
            }
        }
        std::string error;
        forEachRowRead(top, bottom, [&](int r) {
            if (!error.empty()) return;
            const std::uint8_t* in = fileRows.data();
            if (whole) {
                in += layout.rowBytes * static_cast<std::uint64_t>(r - top);
            } else {
                error = readAt(fd.get(), fileRows.data(), static_cast<std::size_t>(layout.rowBytes), fileOffset(r));
                if (!error.empty()) return;
            }
            decodeBmpRow(layout, in, row.data());
            reducer.addRow(r, row.data());
        });
        if (!error.empty()) return failure(path, error);
    }
    reducer.finish();
    if (!layout.topDown) {
        const std::size_t stride = static_cast<std::size_t>(t.width) * 3;
        for (int y = 0; y < t.height / 2; ++y) {
            std::swap_ranges(t.pixels.begin() + static_cast<std::ptrdiff_t>(stride * y),
                             t.pixels.begin() + static_cast<std::ptrdiff_t>(stride * (y + 1)),
                             t.pixels.begin() + static_cast<std::ptrdiff_t>(stride * (t.height - 1 - y)));
        }
    }
    dropColourIfGrey(t);
    return t;
}

// ---- PDS -------------------------------------------------------------------------------------

// Each sample as an unsigned key that sorts like its value, by the full reader's own rules, so
// a thumbnail's grey levels match the picture's.
void pdsKeys(const std::uint8_t* p, int count, std::size_t step, const PdsImageLayout& L, std::uint16_t* keys) {
    pds::forEachKey(p, count, step, L, [keys](int x, unsigned key) { keys[x] = static_cast<std::uint16_t>(key); });
}

Thumbnail pdsThumbnail(const std::string& path, int side) {
    PdsFileSource file;
    if (std::string error = file.open(path); !error.empty()) return failure(error);
    std::unique_ptr<PdsSource> dataSource;
    const PdsLayoutResult lr = pds::layoutOf(file, true, &dataSource);
    if (!lr.ok()) return failure(path, lr.error);
    const PdsImageLayout& L = lr.layout;
    const PdsSource& data = dataSource ? *dataSource : file;
    // Three bands are red, green, blue under one stretch, as the full reader shows them.
    const int bands = L.bands == 3 ? 3 : 1;

    Thumbnail t;
    t.fullWidth = L.samples;
    t.fullHeight = L.lines;
    const Size target = fitWithin(L.samples, L.lines, side);
    t.width = target.width;
    t.height = target.height;
    AreaReducer reducer;
    std::vector<int> lines;
    std::vector<std::uint16_t> keys;  // of every line read, band after band
    std::vector<std::uint32_t> histogram;
    std::vector<std::uint8_t> buffer;
    std::vector<std::uint8_t> row;
    const std::size_t samples = static_cast<std::size_t>(L.samples);
    try {
        reducer.start(L.samples, L.lines, 8, bands, t);
        for (int ty = 0; ty < t.height; ++ty) {
            forEachRowRead(reducer.rowStart(ty), reducer.rowStart(ty + 1), [&lines](int y) { lines.push_back(y); });
        }
        keys.resize(lines.size() * bands * samples);
        histogram.assign(std::size_t{1} << L.bits, 0);
        row.resize(samples * bands);
    } catch (const std::bad_alloc&) {
        return failure(path + ": out of memory");
    }
    // The stretch needs every line read before any is shown, so their samples are kept; the
    // file is read once.
    const std::size_t step = pds::sampleStep(L);
    const std::size_t span = (samples - 1) * step + static_cast<std::size_t>(L.bits / 8);
    // A band at a time, so that each pass runs forwards through the file.
    std::string error;
    for (int band = 0; band < bands; ++band) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const std::uint8_t* p = data.fetch(pds::rowOffset(L, band, lines[i]), span, buffer, error);
            if (p == nullptr) return failure(path, error);
            std::uint16_t* k = keys.data() + (i * bands + band) * samples;
            pdsKeys(p, L.samples, step, L, k);
            for (std::size_t x = 0; x < samples; ++x) ++histogram[k[x]];
        }
    }
    std::vector<std::uint8_t> lut;
    try {
        pds::stretchLut(histogram, keys.size(), lut);
    } catch (const std::bad_alloc&) {
        return failure(path + ": out of memory");
    }
    const std::uint16_t* k = keys.data();
    for (const int y : lines) {
        // Bands are red, green, blue; the thumbnail holds blue, green, red.
        for (int band = 0; band < bands; ++band, k += samples) {
            std::uint8_t* o = row.data() + (bands - 1 - band);
            for (std::size_t x = 0; x < samples; ++x) o[x * bands] = lut[k[x]];
        }
        reducer.addRow(y, row.data());
    }
    reducer.finish();
    dropColourIfGrey(t);
    return t;
}

}  // namespace

Thumbnail readThumbnail(const std::string& path, int side) {
    if (path.empty()) return failure("no file name given");
    if (side < 1) return failure(path + ": a thumbnail must be at least 1 pixel wide, not " + std::to_string(side));
    try {
        switch (imageFileKindFor(path)) {
            case ImageFileKind::Jpeg:
                return jpegThumbnail(path, side);
            case ImageFileKind::Bmp:
                return bmpThumbnail(path, side);
            case ImageFileKind::Pds:
                return pdsThumbnail(path, side);
        }
    } catch (const std::bad_alloc&) {
        // Error texts and the thumbnail itself are small; only a starved process gets here.
        return failure(path + ": out of memory");
    }
    return failure(path + ": unknown kind of file");
}

}  // namespace keldar::imaging
