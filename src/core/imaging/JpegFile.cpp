#include "core/imaging/ImageFile.h"
#include "core/imaging/ImageFileInternal.h"

#include <cerrno>
#include <cstdlib>
#include <new>

#include <fcntl.h>
#include <unistd.h>

#include <jerror.h>

namespace keldar::imaging {

namespace detail {

namespace {

void jpegErrorExit(j_common_ptr cinfo) {
    auto* mgr = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, mgr->message);
    std::longjmp(mgr->jump, 1);
}

// Warnings that mean the pixels are not what the file should hold (truncated or damaged
// entropy data) are treated as errors; libjpeg would otherwise fill the rest with grey.
void jpegEmitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;  // trace messages
    const int code = cinfo->err->msg_code;
    if (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_MUST_RESYNC ||
        code == JWRN_HUFF_BAD_CODE) {
        jpegErrorExit(cinfo);
    }
    cinfo->err->num_warnings++;
}

void jpegSilentOutput(j_common_ptr) {}

}  // namespace

void initJpegErrors(JpegErrorManager& mgr) {
    jpeg_std_error(&mgr.pub);
    mgr.pub.error_exit = jpegErrorExit;
    mgr.pub.emit_message = jpegEmitMessage;
    mgr.pub.output_message = jpegSilentOutput;
    mgr.message[0] = '\0';
}

void cmykRowToBgr(const std::uint8_t* in, std::uint8_t* out, int width, bool inverted) {
    for (int x = 0; x < width; ++x) {
        int c = in[4 * x], m = in[4 * x + 1], y = in[4 * x + 2], k = in[4 * x + 3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[3 * x + 0] = static_cast<std::uint8_t>((y * k + 127) / 255);
        out[3 * x + 1] = static_cast<std::uint8_t>((m * k + 127) / 255);
        out[3 * x + 2] = static_cast<std::uint8_t>((c * k + 127) / 255);
    }
}

bool beginJpegDecompress(jpeg_decompress_struct& cinfo, std::string& error, bool& cmyk) {
    jpeg_read_header(&cinfo, TRUE);
    error = checkImageLimits(cinfo.image_width, cinfo.image_height);
    if (!error.empty()) return false;
    cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    // libjpeg-turbo writes blue, green, red directly, so rows land in the buffer unchanged.
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    cinfo.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&cinfo);
    return true;
}

void configureJpegCompress(jpeg_compress_struct& cinfo, int width, int height, int quality) {
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    for (int c = 0; c < cinfo.num_components; ++c) {
        cinfo.comp_info[c].h_samp_factor = 1;
        cinfo.comp_info[c].v_samp_factor = 1;
    }
    cinfo.dct_method = JDCT_ISLOW;
}

namespace {

constexpr std::size_t kDestinationBufferBytes = 256 * 1024;

bool writeFully(int fd, const JOCTET* data, std::size_t size, int& err) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            return false;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    // Starts writing the file out while the rest is encoded, so the fsync before the rename
    // waits only for the last piece. Only a hint: the fsync still reports any failure.
    ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    return true;
}

}  // namespace

void fdInitDestination(j_compress_ptr cinfo) {
    auto* d = reinterpret_cast<FdDestination*>(cinfo->dest);
    d->buffer = static_cast<JOCTET*>(
        (*cinfo->mem->alloc_large)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, kDestinationBufferBytes));
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = kDestinationBufferBytes;
}

boolean fdEmptyOutputBuffer(j_compress_ptr cinfo) {
    auto* d = reinterpret_cast<FdDestination*>(cinfo->dest);
    if (!writeFully(d->fd, d->buffer, kDestinationBufferBytes, d->writeErrno)) ERREXIT(cinfo, JERR_FILE_WRITE);
    d->pub.next_output_byte = d->buffer;
    d->pub.free_in_buffer = kDestinationBufferBytes;
    return TRUE;
}

void fdTermDestination(j_compress_ptr cinfo) {
    auto* d = reinterpret_cast<FdDestination*>(cinfo->dest);
    const std::size_t used = kDestinationBufferBytes - d->pub.free_in_buffer;
    if (!writeFully(d->fd, d->buffer, used, d->writeErrno)) ERREXIT(cinfo, JERR_FILE_WRITE);
}

void fdInitSource(j_decompress_ptr) {}
void fdTermSource(j_decompress_ptr) {}

boolean fdFillInputBuffer(j_decompress_ptr cinfo) {
    auto* s = reinterpret_cast<FdSource*>(cinfo->src);
    ssize_t n = 0;
    do {
        n = ::read(s->fd, s->buffer, s->capacity);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        s->readErrno = errno;
        ERREXIT(cinfo, JERR_FILE_READ);
    }
    if (n == 0) {
        WARNMS(cinfo, JWRN_JPEG_EOF);
        s->buffer[0] = 0xFF;
        s->buffer[1] = JPEG_EOI;
        n = 2;
    }
    s->pub.next_input_byte = s->buffer;
    s->pub.bytes_in_buffer = static_cast<std::size_t>(n);
    return TRUE;
}

void fdSkipInputData(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    auto* s = reinterpret_cast<FdSource*>(cinfo->src);
    auto left = static_cast<std::size_t>(count);
    while (left > s->pub.bytes_in_buffer) {
        left -= s->pub.bytes_in_buffer;
        fdFillInputBuffer(cinfo);
    }
    s->pub.next_input_byte += left;
    s->pub.bytes_in_buffer -= left;
}

}  // namespace detail

namespace {

using namespace detail;

// Everything that can longjmp lives in this function; the objects it touches that have
// destructors (the result and the scratch row) are owned by the caller.
bool decodeJpegInto(const std::uint8_t* data, std::size_t size, ImageBuffer& image,
                    std::vector<std::uint8_t>& scratch, std::string& error) {
    jpeg_decompress_struct cinfo;
    JpegErrorManager mgr;
    initJpegErrors(mgr);
    cinfo.err = &mgr.pub;
    if (setjmp(mgr.jump)) {
        error = std::string("corrupt JPEG data: ") + mgr.message;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    bool cmyk = false;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    if (!beginJpegDecompress(cinfo, error, cmyk)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    const int width = static_cast<int>(cinfo.output_width);
    const int height = static_cast<int>(cinfo.output_height);
    bool allocated = true;
    try {
        image.resize(width, height);
        if (cmyk) scratch.resize(static_cast<std::size_t>(width) * 4);
    } catch (const std::bad_alloc&) {
        allocated = false;
    }
    if (!allocated) {
        error = "out of memory decoding a " + std::to_string(width) + " x " + std::to_string(height) + " JPEG";
        jpeg_destroy_decompress(&cinfo);
        return false;
    }

    const bool adobeInverted = cinfo.saw_Adobe_marker;
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        JSAMPROW rowPtr = cmyk ? scratch.data() : image.row(y);
        jpeg_read_scanlines(&cinfo, &rowPtr, 1);
        if (cmyk) cmykRowToBgr(scratch.data(), image.row(y), width, adobeInverted);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return true;
}

// As decodeJpegInto, for showing only: the scaling is chosen once the header is read.
bool decodeJpegForDisplayInto(const std::uint8_t* data, std::size_t size,
                              const std::function<std::pair<int, int>(int, int)>& needed, DisplayDecode& out) {
    jpeg_decompress_struct cinfo;
    JpegErrorManager mgr;
    initJpegErrors(mgr);
    cinfo.err = &mgr.pub;
    if (setjmp(mgr.jump)) {
        out.error = std::string("corrupt JPEG data: ") + mgr.message;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    if (std::string limits = checkImageLimits(cinfo.image_width, cinfo.image_height); !limits.empty()) {
        out.error = limits;
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    out.fullWidth = static_cast<int>(cinfo.image_width);
    out.fullHeight = static_cast<int>(cinfo.image_height);
    const bool plain = cinfo.jpeg_color_space == JCS_GRAYSCALE || cinfo.jpeg_color_space == JCS_YCbCr ||
                       cinfo.jpeg_color_space == JCS_RGB;
    const auto [needWidth, needHeight] = needed(out.fullWidth, out.fullHeight);
    // The output of an M/8 scaling is the size times M/8, rounded up. Only the halvings have
    // fast DCTs; the other scalings cost more than a full decode.
    const auto scaled = [](int full, int m) { return static_cast<int>((static_cast<long long>(full) * m + 7) / 8); };
    int m = 1;
    while (m < 8 && (scaled(out.fullWidth, m) < needWidth || scaled(out.fullHeight, m) < needHeight)) m *= 2;
    if (!plain) {
        jpeg_destroy_decompress(&cinfo);
        return true;
    }
    cinfo.scale_num = static_cast<unsigned>(m);
    cinfo.scale_denom = 8;
    cinfo.out_color_space = JCS_EXT_BGRX;  // the X byte comes as 0xFF: Qt's 32-bit RGB as it stands
    cinfo.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&cinfo);
    out.width = static_cast<int>(cinfo.output_width);
    out.height = static_cast<int>(cinfo.output_height);
    const std::size_t stride = static_cast<std::size_t>(out.width) * 4;
    bool allocated = true;
    try {
        out.pixels.reset(new std::uint8_t[stride * static_cast<std::size_t>(out.height)]);  // every byte decoded
    } catch (const std::bad_alloc&) {
        allocated = false;
    }
    if (!allocated) {
        out.error =
            "out of memory decoding a " + std::to_string(out.width) + " x " + std::to_string(out.height) + " JPEG";
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rowPtr = out.pixels.get() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &rowPtr, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    out.decoded = true;
    return true;
}

struct MemDest {
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
};

bool encodeJpegInto(const ImageBuffer& image, int quality, MemDest& dest, std::string& error) {
    jpeg_compress_struct cinfo;
    JpegErrorManager mgr;
    initJpegErrors(mgr);
    cinfo.err = &mgr.pub;
    if (setjmp(mgr.jump)) {
        error = std::string("JPEG encoding failed: ") + mgr.message;
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &dest.buffer, &dest.size);
    configureJpegCompress(cinfo, image.width(), image.height(), quality);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        // libjpeg does not write through the row pointer; its API just is not const-correct.
        JSAMPROW rowPtr = const_cast<std::uint8_t*>(image.row(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &rowPtr, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

DisplayDecode readJpegForDisplay(const std::string& path, const std::function<std::pair<int, int>(int, int)>& needed) {
    DisplayDecode out;
    FileBytes bytes;
    if (std::string error = readWholeFile(path, bytes); !error.empty()) {
        out.error = error;
        return out;
    }
    if (!decodeJpegForDisplayInto(bytes.data(), bytes.size, needed, out)) {
        const std::string error = path + ": " + out.error;
        out = DisplayDecode{};
        out.error = error;
    }
    return out;
}

ImageResult decodeJpeg(const std::uint8_t* data, std::size_t size) {
    ImageResult result;
    if (data == nullptr || size == 0) {
        result.error = "empty JPEG data";
        return result;
    }
    if (size < 2 || data[0] != 0xFF || data[1] != 0xD8) {
        result.error = "not a JPEG file (no start-of-image marker)";
        return result;
    }
    std::vector<std::uint8_t> scratch;
    if (!decodeJpegInto(data, size, result.image, scratch, result.error)) {
        result.image = ImageBuffer();
        if (result.error.empty()) result.error = "JPEG decoding failed";
    }
    return result;
}

std::string encodeJpegTo(const ImageBuffer& image, std::vector<std::uint8_t>& out, int quality) {
    out.clear();
    if (image.isEmpty()) return "cannot encode an empty image";
    if (quality < 1 || quality > 100) return "JPEG quality " + std::to_string(quality) + " outside 1..100";
    if (image.width() > 65500 || image.height() > 65500) return "image too large for JPEG";
    MemDest dest;
    std::string error;
    const bool ok = encodeJpegInto(image, quality, dest, error);
    if (ok) {
        try {
            out.assign(dest.buffer, dest.buffer + dest.size);
        } catch (const std::bad_alloc&) {
            error = "out of memory encoding JPEG";
        }
    }
    std::free(dest.buffer);
    return ok ? error : (error.empty() ? std::string("JPEG encoding failed") : error);
}

std::vector<std::uint8_t> encodeJpeg(const ImageBuffer& image, int quality) {
    std::vector<std::uint8_t> out;
    if (!encodeJpegTo(image, out, quality).empty()) out.clear();
    return out;
}

}  // namespace keldar::imaging
