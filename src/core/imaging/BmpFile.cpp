#include "core/imaging/ImageFile.h"
#include "core/imaging/ImageFileInternal.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace keldar::imaging {

namespace detail {

namespace {

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

bool isContiguousMask(std::uint32_t m) {
    if (m == 0) return true;
    while ((m & 1u) == 0) m >>= 1;
    return (m & (m + 1)) == 0;
}

}  // namespace

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

}  // namespace detail

using detail::BmpLayout;
using detail::decodeBmpRow;
using detail::kBmpHeaderBytes;
using detail::makeBmpHeader;
using detail::parseBmpHeaders;

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

}  // namespace keldar::imaging
