#include "core/imaging/ImageFile.h"

#include "core/imaging/PdsImage.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <random>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <jpeglib.h>
#include <jerror.h>

namespace keldar::imaging {

namespace {

std::string lowerCase(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

std::string errnoText(int err) { return std::strerror(err); }

// ---------------------------------------------------------------------------------------------
// JPEG

// libjpeg reports fatal errors through error_exit, whose default ends the process. This
// manager jumps back to the caller with the formatted message instead.
struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

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

void initJpegErrors(JpegErrorManager& mgr) {
    jpeg_std_error(&mgr.pub);
    mgr.pub.error_exit = jpegErrorExit;
    mgr.pub.emit_message = jpegEmitMessage;
    mgr.pub.output_message = jpegSilentOutput;
    mgr.message[0] = '\0';
}

// Adobe CMYK/YCCK JPEGs store inverted ink values; converting them keeps such files
// readable instead of refusing them.
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

// Reads the header from the source set on `cinfo`, checks the limits and starts decompression
// into blue, green, red rows (or CMYK rows for ink-based files). Must run inside a frame that
// has called setjmp on the error manager; no object with a destructor may live in this frame.
// Returns false, with `error` set, when the picture is outside the limits.
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

// Quality `quality`, blue-green-red input rows, every component at full resolution (4:4:4).
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

// ---------------------------------------------------------------------------------------------
// BMP

std::uint16_t le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::int32_t le32s(const std::uint8_t* p) { return static_cast<std::int32_t>(le32(p)); }

void put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::uint8_t* p, std::uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

// One colour channel described by a bit mask (16- and 32-bit BMPs): shift it down and widen
// it to 8 bits with rounding.
struct MaskChannel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit MaskChannel(std::uint32_t m) : mask(m) {
        if (mask == 0) return;
        while (((mask >> shift) & 1u) == 0) ++shift;
        max = mask >> shift;
    }
    std::uint8_t operator()(std::uint32_t px) const {
        if (max == 0) return 0;
        const std::uint64_t v = (px & mask) >> shift;
        return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
    }
};

bool isContiguousMask(std::uint32_t m) {
    if (m == 0) return true;
    while ((m & 1u) == 0) m >>= 1;
    return (m & (m + 1)) == 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

ImageFileKind imageFileKindFor(const std::string& path) {
    // The extension is taken from the last component only: a dot in a directory name counts not.
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return ImageFileKind::Bmp;
    const std::string ext = lowerCase(path.substr(dot));
    if (ext == ".jpg" || ext == ".jpeg") return ImageFileKind::Jpeg;
    return ext == ".img" ? ImageFileKind::Pds : ImageFileKind::Bmp;
}

std::string checkImageLimits(long long width, long long height) {
    if (width <= 0 || height <= 0) {
        return "invalid image dimensions " + std::to_string(width) + " x " + std::to_string(height);
    }
    if (width > kMaxImageSide || height > kMaxImageSide) {
        return "image dimensions " + std::to_string(width) + " x " + std::to_string(height) +
               " exceed the limit of " + std::to_string(kMaxImageSide) + " pixels per side";
    }
    const std::size_t bytes = ImageBuffer::strideFor(static_cast<int>(width)) * static_cast<std::size_t>(height);
    if (bytes > kMaxImageBytes) {
        return "image dimensions " + std::to_string(width) + " x " + std::to_string(height) +
               " exceed the limit of " + std::to_string(kMaxImageBytes / (1024 * 1024)) + " MiB of pixels";
    }
    return {};
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

namespace {

// What a BMP file's headers say about its pixels: enough to decode any of its rows.
struct BmpLayout {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    bool topDown = false;
    std::uint32_t pixelOffset = 0;
    std::uint64_t rowBytes = 0;  // one file row, fill included
    MaskChannel red{0}, green{0}, blue{0};
    std::uint8_t palette[256][3] = {};

    std::uint64_t fileRowOffset(int y) const {
        return pixelOffset + rowBytes * static_cast<std::uint64_t>(topDown ? y : height - 1 - y);
    }
};

// Every header, palette and mask of a BMP lies within its first bytes up to this many.
constexpr std::size_t kBmpHeadersMaxBytes = 14 + 124 + 256 * 4;

// Checks and reads the headers of a BMP file of `size` bytes, of which `data` holds at least
// the first min(size, kBmpHeadersMaxBytes); "" or what is wrong with the file.
std::string parseBmpHeaders(const std::uint8_t* data, std::size_t size, BmpLayout& layout) {
    if (data == nullptr || size == 0) return std::string("empty BMP data");
    if (size < 2 || data[0] != 'B' || data[1] != 'M') return std::string("not a BMP file (no \"BM\" signature)");
    if (size < 14 + 12) return std::string("truncated BMP file: header incomplete");

    const std::uint32_t pixelOffset = le32(data + 10);
    const std::uint32_t infoSize = le32(data + 14);
    if (infoSize != 12 && infoSize != 40 && infoSize != 52 && infoSize != 56 && infoSize != 64 &&
        infoSize != 108 && infoSize != 124) {
        return std::string("unsupported BMP header size " + std::to_string(infoSize));
    }
    if (14 + static_cast<std::size_t>(infoSize) > size) return std::string("truncated BMP file: header incomplete");

    const std::uint8_t* info = data + 14;
    long long width = 0;
    long long height = 0;
    int bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    if (infoSize == 12) {  // OS/2 core header: 16-bit unsigned sizes, 3-byte palette entries
        width = le16(info + 4);
        height = le16(info + 6);
        bitCount = le16(info + 10);
    } else {
        width = le32s(info + 4);
        height = le32s(info + 8);
        bitCount = le16(info + 14);
        compression = le32(info + 16);
        coloursUsed = le32(info + 32);
    }
    const bool topDown = height < 0;
    if (width < 0) return std::string("invalid BMP: negative width " + std::to_string(width));
    if (topDown) height = -height;  // INT32_MIN negates fine in long long and then fails the limit
    if (width == 0 || height == 0) {
        return std::string("invalid BMP: empty image " + std::to_string(width) + " x " + std::to_string(height));
    }
    const std::string limitError = checkImageLimits(width, height);
    if (!limitError.empty()) return std::string("BMP " + limitError);

    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32) {
        return std::string("unsupported BMP bit depth " + std::to_string(bitCount));
    }

    // Channel masks for 16- and 32-bit files.
    std::uint32_t masks[3] = {0, 0, 0};  // red, green, blue
    if (compression == 0) {
        if (bitCount == 16) {
            masks[0] = 0x7C00;
            masks[1] = 0x03E0;
            masks[2] = 0x001F;
        } else if (bitCount == 32) {
            masks[0] = 0x00FF0000;
            masks[1] = 0x0000FF00;
            masks[2] = 0x000000FF;
        }
    } else if ((compression == 3 || compression == 6) && (bitCount == 16 || bitCount == 32)) {
        // Masks follow a 40-byte header, or sit inside a larger one at the same place.
        if (14 + 40 + 12 > size) return std::string("truncated BMP file: bit masks missing");
        masks[0] = le32(data + 14 + 40);
        masks[1] = le32(data + 14 + 44);
        masks[2] = le32(data + 14 + 48);
        for (std::uint32_t m : masks) {
            if (!isContiguousMask(m)) return std::string("invalid BMP: non-contiguous colour mask");
        }
    } else if (compression == 1 || compression == 2) {
        return std::string("unsupported BMP compression (run-length encoded)");
    } else {
        return std::string("unsupported BMP compression type " + std::to_string(compression));
    }

    // Palette for 1-, 4- and 8-bit files; indices beyond it read as black.
    auto& palette = layout.palette;
    if (bitCount <= 8) {
        const std::uint32_t maxColours = 1u << bitCount;
        std::uint32_t count = coloursUsed == 0 ? maxColours : std::min(coloursUsed, maxColours);
        const std::size_t entrySize = infoSize == 12 ? 3 : 4;
        const std::size_t paletteStart = 14 + static_cast<std::size_t>(infoSize);
        if (paletteStart + entrySize * count > size) return std::string("truncated BMP file: palette incomplete");
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t* e = data + paletteStart + entrySize * i;
            palette[i][0] = e[0];
            palette[i][1] = e[1];
            palette[i][2] = e[2];
        }
    }

    const std::uint64_t rowBytes = ((static_cast<std::uint64_t>(width) * bitCount + 31) / 32) * 4;
    const std::uint64_t needed = static_cast<std::uint64_t>(pixelOffset) + rowBytes * static_cast<std::uint64_t>(height);
    if (pixelOffset < 14 + infoSize || pixelOffset > size) return std::string("invalid BMP: pixel data offset out of range");
    if (needed > size) {
        return std::string("truncated BMP file: " + std::to_string(size) + " bytes, pixel data needs " + std::to_string(needed));
    }

    layout.width = static_cast<int>(width);
    layout.height = static_cast<int>(height);
    layout.bitCount = bitCount;
    layout.topDown = topDown;
    layout.pixelOffset = pixelOffset;
    layout.rowBytes = rowBytes;
    layout.red = MaskChannel(masks[0]);
    layout.green = MaskChannel(masks[1]);
    layout.blue = MaskChannel(masks[2]);
    return {};
}

// Decodes one file row, `in` (layout.rowBytes bytes), into blue, green, red bytes.
void decodeBmpRow(const BmpLayout& layout, const std::uint8_t* in, std::uint8_t* out) {
    const int w = layout.width;
    const MaskChannel& red = layout.red;
    const MaskChannel& green = layout.green;
    const MaskChannel& blue = layout.blue;
    const auto& palette = layout.palette;
    switch (layout.bitCount) {
        case 24:
            std::memcpy(out, in, static_cast<std::size_t>(w) * 3);
            break;
        case 32:
            for (int x = 0; x < w; ++x) {
                const std::uint32_t px = le32(in + 4 * x);
                out[3 * x + 0] = blue(px);
                out[3 * x + 1] = green(px);
                out[3 * x + 2] = red(px);
            }
            break;
        case 16:
            for (int x = 0; x < w; ++x) {
                const std::uint32_t px = le16(in + 2 * x);
                out[3 * x + 0] = blue(px);
                out[3 * x + 1] = green(px);
                out[3 * x + 2] = red(px);
            }
            break;
        default: {  // 1, 4, 8 bits per pixel, most significant bits first
            const int bitCount = layout.bitCount;
            const int perByte = 8 / bitCount;
            const int indexMask = (1 << bitCount) - 1;
            for (int x = 0; x < w; ++x) {
                const int byte = in[x / perByte];
                const int shift = 8 - bitCount * (x % perByte + 1);
                const int index = (byte >> shift) & indexMask;
                out[3 * x + 0] = palette[index][0];
                out[3 * x + 1] = palette[index][1];
                out[3 * x + 2] = palette[index][2];
            }
            break;
        }
    }
}

}  // namespace

ImageResult decodeBmp(const std::uint8_t* data, std::size_t size) {
    ImageResult result;
    BmpLayout layout;
    if (std::string error = parseBmpHeaders(data, size, layout); !error.empty()) {
        result.error = std::move(error);
        return result;
    }
    try {
        result.image.resize(layout.width, layout.height);
    } catch (const std::bad_alloc&) {
        result.error = "out of memory reading a BMP file";
        return result;
    }
    for (int y = 0; y < layout.height; ++y) decodeBmpRow(layout, data + layout.fileRowOffset(y), result.image.row(y));
    return result;
}

namespace {

// The bytes of a whole file. Left uninitialised before the read fills them: zeroing a
// buffer that is overwritten at once costs a pass over fresh memory.
struct FileBytes {
    std::unique_ptr<std::uint8_t[]> storage;
    std::size_t size = 0;
    const std::uint8_t* data() const { return storage.get(); }
};

// Opens an image file for reading after the checks every reader makes; on success `fd` is
// open and `size` is the file's size.
std::string openImageFile(const std::string& path, int& fd, std::size_t& size) {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return "cannot open " + path + ": " + errnoText(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return "cannot read " + path + ": " + errnoText(err);
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        return "cannot read " + path + ": is a directory";
    }
    if (st.st_size == 0) {
        ::close(fd);
        return "cannot read " + path + ": the file is empty (0 bytes)";
    }
    if (static_cast<std::uint64_t>(st.st_size) > kMaxImageFileBytes) {
        ::close(fd);
        return "cannot read " + path + ": file larger than " + std::to_string(kMaxImageFileBytes / (1024 * 1024)) + " MiB";
    }
    size = static_cast<std::size_t>(st.st_size);
    return {};
}

std::string readWholeFile(const std::string& path, FileBytes& out) {
    out = FileBytes{};
    int fd = -1;
    std::size_t capacity = 0;
    if (std::string error = openImageFile(path, fd, capacity); !error.empty()) return error;
    out.storage.reset(new (std::nothrow) std::uint8_t[capacity]);
    if (!out.storage) {
        ::close(fd);
        return "cannot read " + path + ": out of memory";
    }
    std::size_t got = 0;
    while (got < capacity) {
        const ssize_t n = ::read(fd, out.storage.get() + got, capacity - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            out = FileBytes{};
            return "cannot read " + path + ": " + errnoText(err);
        }
        if (n == 0) break;  // the file shrank while being read
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    out.size = got;
    if (got == 0) return "cannot read " + path + ": the file is empty (0 bytes)";
    return {};
}

}  // namespace

ImageResult readImageFile(const std::string& path) {
    ImageResult result;
    if (path.empty()) {
        result.error = "no file name given";
        return result;
    }
    FileBytes bytes;
    result.error = readWholeFile(path, bytes);
    if (!result.ok()) return result;
    switch (imageFileKindFor(path)) {
    case ImageFileKind::Jpeg: result = decodeJpeg(bytes.data(), bytes.size); break;
    case ImageFileKind::Pds: result = decodePdsImage(bytes.data(), bytes.size); break;
    case ImageFileKind::Bmp: result = decodeBmp(bytes.data(), bytes.size); break;
    }
    if (!result.ok()) result.error = path + ": " + result.error;
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

namespace {

constexpr std::size_t kBmpHeaderBytes = 54;

// The file header and info header of a 24-bit bottom-up BMP; "" or why no such file can hold
// the picture.
std::string makeBmpHeader(int width, int height, std::uint8_t (&h)[kBmpHeaderBytes]) {
    const std::size_t stride = ImageBuffer::strideFor(width);  // BMP rows pad to 4 as ours do
    const std::size_t pixelBytes = stride * static_cast<std::size_t>(height);
    if (pixelBytes > 0xFFFFFFFFu - kBmpHeaderBytes) return "image too large for a BMP file";
    std::memset(h, 0, sizeof h);
    h[0] = 'B';
    h[1] = 'M';
    put32(h + 2, static_cast<std::uint32_t>(kBmpHeaderBytes + pixelBytes));
    put32(h + 10, kBmpHeaderBytes);
    put32(h + 14, 40);
    put32(h + 18, static_cast<std::uint32_t>(width));
    put32(h + 22, static_cast<std::uint32_t>(height));  // positive: bottom-up rows
    put16(h + 26, 1);
    put16(h + 28, 24);
    put32(h + 30, 0);
    put32(h + 34, static_cast<std::uint32_t>(pixelBytes));
    put32(h + 38, 2835);  // 72 dots per inch
    put32(h + 42, 2835);
    return {};
}

}  // namespace

std::string encodeBmpTo(const ImageBuffer& image, std::vector<std::uint8_t>& out) {
    out.clear();
    if (image.isEmpty()) return "cannot encode an empty image";
    std::uint8_t header[kBmpHeaderBytes];
    if (std::string error = makeBmpHeader(image.width(), image.height(), header); !error.empty()) return error;
    const std::size_t stride = ImageBuffer::strideFor(image.width());
    try {
        out.assign(kBmpHeaderBytes + stride * static_cast<std::size_t>(image.height()), 0);
    } catch (const std::bad_alloc&) {
        return "out of memory encoding BMP";
    }
    std::memcpy(out.data(), header, kBmpHeaderBytes);
    const std::size_t rowBytes = static_cast<std::size_t>(image.width()) * 3;
    for (int y = 0; y < image.height(); ++y) {
        // Copy the pixels only; the fill bytes stay zero whatever the buffer holds there.
        std::memcpy(out.data() + kBmpHeaderBytes + stride * static_cast<std::size_t>(image.height() - 1 - y),
                    image.row(y), rowBytes);
    }
    return {};
}

namespace {

// The longest file name (one path component) Linux file systems take.
constexpr std::size_t kNameMax = 255;

// A temporary file next to a destination, renamed over it on commit and removed otherwise.
class TempFile {
public:
    TempFile() = default;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() { discard(); }

    std::string create(const std::string& path, ExistingFile existing = ExistingFile::Replace) {
        discard();
        destination_ = path;
        existing_ = existing;
        if (path.empty()) return "no file name given";
        const std::size_t slash = path.find_last_of('/');
        const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
        const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
        if (base.empty()) return "cannot write " + path + ": not a file name";
        static std::atomic<unsigned> counter{0};
        std::random_device rd;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string suffix = ".tmp-" + std::to_string(::getpid()) + "-" +
                                       std::to_string(counter.fetch_add(1)) + "-" + std::to_string(rd() % 100000);
            // The temporary name must itself be a legal name: a destination of up to NAME_MAX
            // bytes keeps only as much of its own name as leaves room for the suffix.
            const std::size_t room = kNameMax - 1 - suffix.size();
            temp_ = dir + "." + base.substr(0, std::min(base.size(), room)) + suffix;
            // 0666 lets the umask decide the final permissions, as for any newly created file.
            fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ >= 0) return {};
            if (errno != EEXIST) return failure(errno);
        }
        return "cannot write " + path + ": no free temporary name";
    }

    int fd() const { return fd_; }

    std::string writeAll(const std::uint8_t* data, std::size_t size) {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::write(fd_, data + done, size - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                return failure(errno);
            }
            done += static_cast<std::size_t>(n);
        }
        return {};
    }

    std::string writeAllAt(const std::uint8_t* data, std::size_t size, std::uint64_t offset) {
        std::size_t done = 0;
        while (done < size) {
            const ssize_t n = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(offset + done));
            if (n < 0) {
                if (errno == EINTR) continue;
                return failure(errno);
            }
            done += static_cast<std::size_t>(n);
        }
        return {};
    }

    // Sets the file to `size` bytes, claiming the disk space at once where the file system
    // can, so that a full disk is reported before any work is spent on the rows.
    std::string reserve(std::uint64_t size) {
        const int err = ::posix_fallocate(fd_, 0, static_cast<off_t>(size));
        if (err != 0 && err != EINVAL && err != EOPNOTSUPP) return failure(err);
        if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) return failure(errno);
        return {};
    }

    // Makes the bytes durable, then moves them into place in one step.
    std::string commit() {
        if (::fsync(fd_) != 0 && errno != EINVAL) return failure(errno);
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) return failure(errno);
        if (existing_ == ExistingFile::Keep) {
            if (std::string error = moveIntoPlaceKeepingExisting(); !error.empty()) return error;
        } else if (::rename(temp_.c_str(), destination_.c_str()) != 0) {
            return failure(errno);
        }
        temp_.clear();
        return {};
    }

    void discard() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        if (!temp_.empty()) ::unlink(temp_.c_str());
        temp_.clear();
    }

    std::string failure(int err) {
        const std::string message = "cannot write " + destination_ + ": " + errnoText(err);
        discard();
        return message;
    }

private:
    // The existence check and the move are one step, so a file that appears in between is
    // never replaced. File systems without that step get a hard link, and failing that a
    // check just before the rename.
    std::string moveIntoPlaceKeepingExisting() {
        if (::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, destination_.c_str(), RENAME_NOREPLACE) == 0) return {};
        int err = errno;
        if (err == EINVAL || err == ENOSYS || err == ENOTSUP) {
            if (::link(temp_.c_str(), destination_.c_str()) == 0) {
                ::unlink(temp_.c_str());
                return {};
            }
            err = errno;
            if (err != EEXIST) {
                struct stat st{};
                if (::lstat(destination_.c_str(), &st) == 0) {
                    err = EEXIST;
                } else if (::rename(temp_.c_str(), destination_.c_str()) == 0) {
                    return {};
                } else {
                    err = errno;
                }
            }
        }
        if (err == EEXIST) {
            const std::string message = "cannot write " + destination_ + ": a file of that name already exists";
            discard();
            return message;
        }
        return failure(err);
    }

    std::string destination_;
    std::string temp_;
    ExistingFile existing_ = ExistingFile::Replace;
    int fd_ = -1;
};

// libjpeg destination that writes straight into a file descriptor, so an encoded picture is
// never held whole in memory. Write failures end the compression through the error manager.
struct FdDestination {
    jpeg_destination_mgr pub;
    int fd;
    int writeErrno;
    JOCTET* buffer;
};

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
    return true;
}

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

// libjpeg source that reads a file descriptor a buffer at a time, so that a JPEG decoded row
// by row never has its whole file in memory. The end of the file inside the picture is
// reported as libjpeg's memory source reports it (a premature end, which the error manager
// turns into an error); a read failure ends the decompression with its errno kept.
struct FdSource {
    jpeg_source_mgr pub;
    int fd;
    int readErrno;
    JOCTET* buffer;
    std::size_t capacity;
};

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

constexpr std::size_t kSourceBufferBytes = 256 * 1024;

}  // namespace

std::string writeFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size,
                                ExistingFile existing) {
    TempFile file;
    if (std::string error = file.create(path, existing); !error.empty()) return error;
    if (std::string error = file.writeAll(data, size); !error.empty()) return error;
    return file.commit();
}

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
    std::vector<std::uint8_t> input;  // JPEG: the source's buffer
    FdSource source{};
    std::string error;
    int width = 0;
    int height = 0;
    int next = 0;
    bool isJpeg = false;
    BmpLayout bmp;
    std::vector<std::uint8_t> fileRow;  // BMP: one row as stored
    // PDS: the stretch needs every sample, so the picture is decoded whole first.
    ImageBuffer whole;
    bool isWhole = false;

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
        source.pub.next_input_byte = input.data();
        source.pub.bytes_in_buffer = filled;
        source.fd = fd;
        source.buffer = input.data();
        source.capacity = input.size();
        cinfo.src = &source.pub;
        if (!beginJpegDecompress(cinfo, error, cmyk)) return false;
        width = static_cast<int>(cinfo.output_width);
        height = static_cast<int>(cinfo.output_height);
        return true;
    }

    bool readJpegRow() {
        if (setjmp(err.jump)) {
            jpegFailed();
            return false;
        }
        JSAMPROW rowPtr = cmyk ? cmykRow.data() : row.data();
        jpeg_read_scanlines(&cinfo, &rowPtr, 1);
        if (cmyk) cmykRowToBgr(cmykRow.data(), row.data(), width, cinfo.saw_Adobe_marker);
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
    bool readBmpRow() {
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
        decodeBmpRow(bmp, fileRow.data(), row.data());
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
    if (kind == ImageFileKind::Pds) return d.startWhole(readImageFile(path));
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
        d.input.resize(std::min(size, kSourceBufferBytes) + 2);  // room for an inserted end marker
    } catch (const std::bad_alloc&) {
        d.error = "cannot read " + path + ": out of memory";
        return d.error;
    }
    std::size_t filled = 0;
    while (filled < 2) {
        const ssize_t n = ::read(d.fd, d.input.data() + filled, d.input.size() - filled);
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
    if (!impl_ || !impl_->error.empty() || impl_->next >= impl_->height) return nullptr;
    Impl& d = *impl_;
    if (d.isWhole) {
        std::memcpy(d.row.data(), d.whole.row(d.next++), d.row.size());
        return d.row.data();
    }
    if (!(d.isJpeg ? d.readJpegRow() : d.readBmpRow())) {
        d.prefixError();
        return nullptr;
    }
    return d.row.data();
}

std::string ImageRowReader::finish() {
    if (!impl_) return "no file open";
    Impl& d = *impl_;
    if (!d.error.empty() || !d.isJpeg) return d.error;
    while (d.next < d.height) {
        if (!d.readJpegRow()) break;
    }
    if (d.error.empty()) d.finishJpeg();
    d.prefixError();
    return d.error;
}

const std::string& ImageRowReader::error() const {
    static const std::string none = "no file open";
    return impl_ ? impl_->error : none;
}

std::string writeJpegFile(const ImageBuffer& image, const std::string& path, int quality, ExistingFile existing) {
    if (image.isEmpty()) return "cannot write " + path + ": cannot encode an empty image";
    JpegRowWriter writer;
    if (std::string error = writer.open(path, image.width(), image.height(), quality, existing); !error.empty()) {
        return error;
    }
    for (int y = 0; y < image.height(); ++y) {
        if (std::string error = writer.writeRow(image.row(y)); !error.empty()) return error;
    }
    return writer.commit();
}

std::string writeBmpFile(const ImageBuffer& image, const std::string& path, ExistingFile existing) {
    // Row by row: the whole file in memory would double the picture's footprint.
    if (image.isEmpty()) return "cannot write " + path + ": cannot encode an empty image";
    BmpRowWriter writer;
    if (std::string error = writer.open(path, image.width(), image.height(), existing); !error.empty()) return error;
    for (int y = 0; y < image.height(); ++y) {
        if (std::string error = writer.writeRow(image.row(y)); !error.empty()) return error;
    }
    return writer.commit();
}

std::string writeImageFile(const ImageBuffer& image, const std::string& path) {
    switch (imageFileKindFor(path)) {
    case ImageFileKind::Jpeg: return writeJpegFile(image, path, 100);
    case ImageFileKind::Pds: return "cannot write " + path + ": PDS .img files are read only; choose a .jpg or .bmp name";
    case ImageFileKind::Bmp: break;
    }
    return writeBmpFile(image, path);
}

}  // namespace keldar::imaging
