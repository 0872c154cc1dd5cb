#include "core/imaging/ImageFile.h"
#include "core/imaging/ImageFileInternal.h"
#include "core/imaging/PdsImage.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#include <sys/mman.h>
#include <unistd.h>

namespace keldar::imaging {

using namespace detail;

// ---- row-by-row JPEG writing ------------------------------------------------------------------

struct JpegRowWriter::Impl {
    jpeg_compress_struct cinfo{};
    JpegErrorManager err{};
    FdDestination dest{};
    TempFile file;
    std::string path;
    bool created = false;
    bool failed = false;
    bool committed = false;

    ~Impl() {
        if (created) jpeg_destroy_compress(&cinfo);
    }

    std::string message() const {
        if (dest.writeErrno != 0) return "cannot write " + path + ": " + errnoText(dest.writeErrno);
        return "cannot write " + path + ": JPEG encoding failed: " + err.message;
    }

    // The three steps below call libjpeg and may return through longjmp; they hold no
    // objects with destructors.
    bool start(int width, int height, int quality) {
        initJpegErrors(err);
        cinfo.err = &err.pub;
        if (setjmp(err.jump)) return false;
        jpeg_create_compress(&cinfo);
        created = true;
        dest.fd = file.fd();
        dest.pub.init_destination = fdInitDestination;
        dest.pub.empty_output_buffer = fdEmptyOutputBuffer;
        dest.pub.term_destination = fdTermDestination;
        cinfo.dest = &dest.pub;
        configureJpegCompress(cinfo, width, height, quality);
        jpeg_start_compress(&cinfo, TRUE);
        return true;
    }

    bool row(const std::uint8_t* data) {
        if (setjmp(err.jump)) return false;
        // libjpeg does not write through the row pointer; its API just is not const-correct.
        JSAMPROW rowPtr = const_cast<std::uint8_t*>(data);
        jpeg_write_scanlines(&cinfo, &rowPtr, 1);
        return true;
    }

    bool finish() {
        if (setjmp(err.jump)) return false;
        jpeg_finish_compress(&cinfo);
        return true;
    }
};

JpegRowWriter::JpegRowWriter() = default;
JpegRowWriter::~JpegRowWriter() = default;

std::string JpegRowWriter::open(const std::string& path, int width, int height, int quality,
                                ExistingFile existing) {
    impl_ = std::make_unique<Impl>();
    impl_->path = path;
    auto fail = [this](std::string message) {
        impl_->failed = true;
        impl_->file.discard();
        return message;
    };
    if (std::string refusal = refusePdsDestination(path); !refusal.empty()) return fail(refusal);
    if (width <= 0 || height <= 0 || width > 65500 || height > 65500) {
        return fail("cannot write " + path + ": invalid JPEG size " + std::to_string(width) + " x " + std::to_string(height));
    }
    if (quality < 1 || quality > 100) return fail("JPEG quality " + std::to_string(quality) + " outside 1..100");
    if (std::string error = impl_->file.create(path, existing); !error.empty()) return fail(error);
    if (!impl_->start(width, height, quality)) return fail(impl_->message());
    return {};
}

std::string JpegRowWriter::writeRow(const std::uint8_t* row) {
    if (!impl_ || impl_->failed || impl_->committed) return "JPEG writer is not open";
    if (impl_->cinfo.next_scanline >= impl_->cinfo.image_height) {
        impl_->failed = true;
        impl_->file.discard();
        return "cannot write " + impl_->path + ": more rows than the picture has";
    }
    if (!impl_->row(row)) {
        impl_->failed = true;
        impl_->file.discard();
        return impl_->message();
    }
    return {};
}

std::string JpegRowWriter::commit() {
    if (!impl_ || impl_->failed || impl_->committed) return "JPEG writer is not open";
    impl_->failed = true;  // until everything below succeeds
    if (impl_->cinfo.next_scanline != impl_->cinfo.image_height) {
        impl_->file.discard();
        return "cannot write " + impl_->path + ": only " + std::to_string(impl_->cinfo.next_scanline) + " of " +
               std::to_string(impl_->cinfo.image_height) + " rows given";
    }
    if (!impl_->finish()) {
        impl_->file.discard();
        return impl_->message();
    }
    if (std::string error = impl_->file.commit(); !error.empty()) return error;
    impl_->failed = false;
    impl_->committed = true;
    return {};
}

// ---- row-by-row BMP writing -------------------------------------------------------------------

struct BmpRowWriter::Impl {
    TempFile file;
    std::string path;
    int width = 0;
    int height = 0;
    int next = 0;  // rows written, from the top
    std::vector<std::uint8_t> row;  // one file row; its fill bytes stay zero
    bool failed = false;
    bool committed = false;

    std::string fail(std::string message) {
        failed = true;
        file.discard();
        return message;
    }
};

BmpRowWriter::BmpRowWriter() = default;
BmpRowWriter::~BmpRowWriter() = default;

std::string BmpRowWriter::open(const std::string& path, int width, int height, ExistingFile existing) {
    impl_ = std::make_unique<Impl>();
    Impl& d = *impl_;
    d.path = path;
    if (std::string refusal = refusePdsDestination(path); !refusal.empty()) return d.fail(refusal);
    if (width <= 0 || height <= 0) {
        return d.fail("cannot write " + path + ": invalid BMP size " + std::to_string(width) + " x " +
                      std::to_string(height));
    }
    std::uint8_t header[kBmpHeaderBytes];
    if (std::string error = makeBmpHeader(width, height, header); !error.empty()) {
        return d.fail("cannot write " + path + ": " + error);
    }
    d.width = width;
    d.height = height;
    try {
        d.row.assign(ImageBuffer::strideFor(width), 0);
    } catch (const std::bad_alloc&) {
        return d.fail("cannot write " + path + ": out of memory");
    }
    if (std::string error = d.file.create(path, existing); !error.empty()) return d.fail(error);
    const std::uint64_t size = kBmpHeaderBytes + static_cast<std::uint64_t>(d.row.size()) * height;
    if (std::string error = d.file.reserve(size); !error.empty()) return d.fail(error);
    if (std::string error = d.file.writeAllAt(header, kBmpHeaderBytes, 0); !error.empty()) return d.fail(error);
    return {};
}

std::string BmpRowWriter::writeRow(const std::uint8_t* row) {
    if (!impl_ || impl_->failed || impl_->committed) return "BMP writer is not open";
    Impl& d = *impl_;
    if (d.next >= d.height) return d.fail("cannot write " + d.path + ": more rows than the picture has");
    std::memcpy(d.row.data(), row, static_cast<std::size_t>(d.width) * 3);
    const std::uint64_t offset = kBmpHeaderBytes + static_cast<std::uint64_t>(d.row.size()) * (d.height - 1 - d.next);
    if (std::string error = d.file.writeAllAt(d.row.data(), d.row.size(), offset); !error.empty()) {
        return d.fail(error);
    }
    ++d.next;
    return {};
}

std::string BmpRowWriter::commit() {
    if (!impl_ || impl_->failed || impl_->committed) return "BMP writer is not open";
    Impl& d = *impl_;
    if (d.next != d.height) {
        return d.fail("cannot write " + d.path + ": only " + std::to_string(d.next) + " of " +
                      std::to_string(d.height) + " rows given");
    }
    d.failed = true;  // until the commit succeeds; a failed commit has removed the file
    if (std::string error = d.file.commit(); !error.empty()) return error;
    d.failed = false;
    d.committed = true;
    return {};
}

// ---- row-by-row reading -------------------------------------------------------------------

struct ImageRowReader::Impl {
    std::string path;
    int fd = -1;                      // JPEG: read as the rows are decoded
    // JPEG: the source's buffer. Not zero-filled: read() fills what the decoder looks at.
    std::unique_ptr<std::uint8_t[]> input;
    std::size_t inputSize = 0;
    FdSource source{};
    std::string error;
    int width = 0;
    int height = 0;
    int next = 0;
    bool isJpeg = false;
    BmpLayout bmp;
    std::vector<std::uint8_t> fileRow;  // BMP: one row as stored
    // PDS from a file: a line at a time (the stretch has read every sample at open).
    std::unique_ptr<PdsRowDecoder> pds;
    // PDS from bytes already in memory: decoded whole.
    ImageBuffer whole;
    bool isWhole = false;

    std::string startPds(const std::string& file) {
        pds = std::make_unique<PdsRowDecoder>();
        if (std::string problem = pds->open(file); !problem.empty()) {
            error = problem;
            return error;
        }
        width = pds->width();
        height = pds->height();
        try {
            row.resize(static_cast<std::size_t>(width) * 3);
        } catch (const std::bad_alloc&) {
            error = path + ": out of memory";
        }
        return error;
    }

    std::string startWhole(ImageResult result) {
        if (!result.ok()) {
            error = result.error;
            return error;
        }
        whole = std::move(result.image);
        isWhole = true;
        width = whole.width();
        height = whole.height();
        try {
            row.resize(static_cast<std::size_t>(width) * 3);
        } catch (const std::bad_alloc&) {
            error = path + ": out of memory";
        }
        return error;
    }

    jpeg_decompress_struct cinfo{};
    JpegErrorManager err{};
    bool created = false;
    bool cmyk = false;
    std::vector<std::uint8_t> row;
    std::vector<std::uint8_t> cmykRow;

    ~Impl() {
        if (created) jpeg_destroy_decompress(&cinfo);
        if (fd >= 0) ::close(fd);
    }

    void jpegFailed() {
        if (source.readErrno != 0) {
            error.assign("read error: ").append(errnoText(source.readErrno));
        } else {
            error.assign("corrupt JPEG data: ").append(err.message);
        }
    }

    // These call libjpeg and may return through longjmp; they hold no objects with destructors.
    // The source starts with the `filled` bytes already in the buffer.
    bool startJpeg(std::size_t filled) {
        initJpegErrors(err);
        cinfo.err = &err.pub;
        if (setjmp(err.jump)) {
            jpegFailed();
            return false;
        }
        jpeg_create_decompress(&cinfo);
        created = true;
        source.pub.init_source = fdInitSource;
        source.pub.fill_input_buffer = fdFillInputBuffer;
        source.pub.skip_input_data = fdSkipInputData;
        source.pub.resync_to_restart = jpeg_resync_to_restart;
        source.pub.term_source = fdTermSource;
        source.pub.next_input_byte = input.get();
        source.pub.bytes_in_buffer = filled;
        source.fd = fd;
        source.buffer = input.get();
        source.capacity = inputSize;
        cinfo.src = &source.pub;
        if (!beginJpegDecompress(cinfo, error, cmyk)) return false;
        width = static_cast<int>(cinfo.output_width);
        height = static_cast<int>(cinfo.output_height);
        return true;
    }

    bool readJpegRow(std::uint8_t* target) {
        if (setjmp(err.jump)) {
            jpegFailed();
            return false;
        }
        JSAMPROW rowPtr = cmyk ? cmykRow.data() : target;
        jpeg_read_scanlines(&cinfo, &rowPtr, 1);
        if (cmyk) cmykRowToBgr(cmykRow.data(), target, width, cinfo.saw_Adobe_marker);
        ++next;
        return true;
    }

    bool finishJpeg() {
        if (setjmp(err.jump)) {
            jpegFailed();
            return false;
        }
        jpeg_finish_decompress(&cinfo);
        return true;
    }

    // BMP rows are read from where they lie in the file, so the file is never held whole.
    bool readBmpRow(std::uint8_t* target) {
        const std::uint64_t offset = bmp.fileRowOffset(next);
        std::size_t got = 0;
        while (got < fileRow.size()) {
            const ssize_t n = ::pread(fd, fileRow.data() + got, fileRow.size() - got, static_cast<off_t>(offset + got));
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                error.assign("read error: ").append(errnoText(errno));
                return false;
            }
            if (n == 0) {
                error = "truncated BMP file: it shrank while being read";
                return false;
            }
            got += static_cast<std::size_t>(n);
        }
        decodeBmpRow(bmp, fileRow.data(), target);
        ++next;
        return true;
    }

    void prefixError() {
        if (!error.empty() && error.compare(0, path.size() + 2, path + ": ") != 0) error = path + ": " + error;
    }
};

ImageRowReader::ImageRowReader() = default;
ImageRowReader::~ImageRowReader() = default;

std::string ImageRowReader::open(const std::string& path) {
    impl_ = std::make_unique<Impl>();
    Impl& d = *impl_;
    d.path = path;
    if (path.empty()) {
        d.error = "no file name given";
        return d.error;
    }
    const ImageFileKind kind = imageFileKindFor(path);
    if (kind == ImageFileKind::Pds) return d.startPds(path);
    std::size_t size = 0;
    d.error = openImageFile(path, d.fd, size);
    if (!d.error.empty()) {
        d.fd = -1;
        return d.error;
    }
    return start(kind, size);
}

std::string ImageRowReader::openBytes(const std::uint8_t* data, std::size_t size, ImageFileKind kind,
                                      const std::string& name) {
    impl_ = std::make_unique<Impl>();
    Impl& d = *impl_;
    d.path = name;
    if (size > kMaxImageFileBytes) {
        d.error = name + ": larger than " + std::to_string(kMaxImageFileBytes / (1024 * 1024)) + " MiB";
        return d.error;
    }
    if (kind == ImageFileKind::Pds) {
        ImageResult whole = decodePdsImage(data, size);
        if (!whole.ok()) whole.error = name + ": " + whole.error;
        return d.startWhole(std::move(whole));
    }
    // The rows are read from a file descriptor; an anonymous in-memory file gives one.
    d.fd = ::memfd_create("keldar-row-reader", MFD_CLOEXEC);
    if (d.fd < 0) {
        d.error = name + ": " + errnoText(errno);
        return d.error;
    }
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(d.fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            d.error = name + ": " + errnoText(errno);
            return d.error;
        }
        done += static_cast<std::size_t>(n);
    }
    ::lseek(d.fd, 0, SEEK_SET);
    return start(kind, size);
}

std::string ImageRowReader::start(ImageFileKind kind, std::size_t size) {
    Impl& d = *impl_;
    const std::string& path = d.path;
    d.isJpeg = kind == ImageFileKind::Jpeg;
    if (!d.isJpeg) {
        std::uint8_t headers[kBmpHeadersMaxBytes];
        const std::size_t want = std::min(size, kBmpHeadersMaxBytes);
        std::size_t got = 0;
        while (got < want) {
            const ssize_t n = ::read(d.fd, headers + got, want - got);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                d.error = "cannot read " + path + ": " + errnoText(errno);
                return d.error;
            }
            if (n == 0) break;
            got += static_cast<std::size_t>(n);
        }
        if (std::string error = parseBmpHeaders(headers, got < want ? got : size, d.bmp); !error.empty()) {
            d.error = path + ": " + error;
            return d.error;
        }
        d.width = d.bmp.width;
        d.height = d.bmp.height;
        try {
            d.row.resize(static_cast<std::size_t>(d.width) * 3);
            d.fileRow.resize(static_cast<std::size_t>(d.bmp.rowBytes));
        } catch (const std::bad_alloc&) {
            d.error = path + ": out of memory";
        }
        return d.error;
    }
    try {
        d.inputSize = std::min(size, kSourceBufferBytes) + 2;  // room for an inserted end marker
        d.input.reset(new std::uint8_t[d.inputSize]);
    } catch (const std::bad_alloc&) {
        d.error = "cannot read " + path + ": out of memory";
        return d.error;
    }
    // Enough for the headers of most files; the rest is read as the rows are decoded, which
    // may be on another thread than the one opening the file.
    constexpr std::size_t kFirstReadBytes = 16 * 1024;
    const std::size_t firstRead = std::min(d.inputSize, kFirstReadBytes);
    std::size_t filled = 0;
    while (filled < 2) {
        const ssize_t n = ::read(d.fd, d.input.get() + filled, firstRead - filled);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            d.error = "cannot read " + path + ": " + errnoText(errno);
            return d.error;
        }
        if (n == 0) break;
        filled += static_cast<std::size_t>(n);
    }
    if (filled < 2 || d.input[0] != 0xFF || d.input[1] != 0xD8) {
        d.error = path + ": not a JPEG file (no start-of-image marker)";
        return d.error;
    }
    if (!d.startJpeg(filled)) {
        d.prefixError();
        return d.error;
    }
    try {
        d.row.resize(static_cast<std::size_t>(d.width) * 3);
        if (d.cmyk) d.cmykRow.resize(static_cast<std::size_t>(d.width) * 4);
    } catch (const std::bad_alloc&) {
        d.error = path + ": out of memory";
    }
    return d.error;
}

int ImageRowReader::width() const { return impl_ && impl_->error.empty() ? impl_->width : 0; }
int ImageRowReader::height() const { return impl_ && impl_->error.empty() ? impl_->height : 0; }

const std::uint8_t* ImageRowReader::nextRow() {
    if (!impl_ || impl_->row.empty()) return nullptr;
    return nextRowInto(impl_->row.data()) ? impl_->row.data() : nullptr;
}

bool ImageRowReader::nextRowInto(std::uint8_t* target) {
    if (!impl_ || !impl_->error.empty() || impl_->next >= impl_->height) return false;
    Impl& d = *impl_;
    if (d.isWhole) {
        std::memcpy(target, d.whole.row(d.next++), static_cast<std::size_t>(d.width) * 3);
        return true;
    }
    if (d.pds) {
        if (!d.pds->nextRow(target)) {
            d.error = d.pds->error();
            d.prefixError();
            return false;
        }
        ++d.next;
        return true;
    }
    if (!(d.isJpeg ? d.readJpegRow(target) : d.readBmpRow(target))) {
        d.prefixError();
        return false;
    }
    return true;
}

std::string ImageRowReader::finish() {
    if (!impl_) return "no file open";
    Impl& d = *impl_;
    if (!d.error.empty() || !d.isJpeg) return d.error;
    while (d.next < d.height) {
        if (!d.readJpegRow(d.row.data())) break;
    }
    if (d.error.empty()) d.finishJpeg();
    d.prefixError();
    return d.error;
}

const std::string& ImageRowReader::error() const {
    static const std::string none = "no file open";
    return impl_ ? impl_->error : none;
}

}  // namespace keldar::imaging
