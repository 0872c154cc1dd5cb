// Writes the seed corpora, all made here: product names of every camera and both rovers,
// pictures from our own encoders plus BMP layouts built by hand (top-down, palette, 16 and
// 32 bits), grey and progressive JPEGs straight from libjpeg, and cut-off copies of each.
// Usage: fuzz_make_seeds <output directory>; one sub-directory per fuzz target.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "core/imaging/ImageFile.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using keldar::imaging::ImageBuffer;

namespace {

void writeSeed(const fs::path& dir, const std::string& name, const Bytes& bytes) {
    std::ofstream out(dir / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
void writeSeed(const fs::path& dir, const std::string& name, const std::string& text) {
    writeSeed(dir, name, Bytes(text.begin(), text.end()));
}

ImageBuffer pattern(int width, int height, bool grey) {
    ImageBuffer image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = image.row(y) + 3 * x;
            const auto v = static_cast<std::uint8_t>((x * 37 + y * 11) & 0xFF);
            p[0] = v;
            p[1] = grey ? v : static_cast<std::uint8_t>(x * 255 / std::max(1, width - 1));
            p[2] = grey ? v : static_cast<std::uint8_t>(y * 255 / std::max(1, height - 1));
        }
    }
    return image;
}

void put(Bytes& b, std::size_t at, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A BMP of `bits` per pixel with a 40-byte header; palette entries grey for 1..8 bits,
// explicit masks (compression 3) for 16 and 32 bits.
Bytes handBmp(int width, int height, int bits, bool topDown) {
    const std::size_t rowBytes = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
    const std::uint32_t colours = bits <= 8 ? 1u << bits : 0;
    const std::size_t masks = bits == 16 || bits == 32 ? 12 : 0;
    const std::size_t offset = 14 + 40 + masks + 4 * colours;
    Bytes b(offset + rowBytes * static_cast<std::size_t>(height), 0);
    b[0] = 'B';
    b[1] = 'M';
    put(b, 2, static_cast<std::uint32_t>(b.size()), 4);
    put(b, 10, static_cast<std::uint32_t>(offset), 4);
    put(b, 14, 40, 4);
    put(b, 18, static_cast<std::uint32_t>(width), 4);
    put(b, 22, static_cast<std::uint32_t>(topDown ? -height : height), 4);
    put(b, 26, 1, 2);
    put(b, 28, static_cast<std::uint32_t>(bits), 2);
    put(b, 30, masks ? 3 : 0, 4);
    put(b, 46, colours, 4);
    if (bits == 16) {
        put(b, 54, 0xF800, 4), put(b, 58, 0x07E0, 4), put(b, 62, 0x001F, 4);
    } else if (bits == 32) {
        put(b, 54, 0x00FF0000, 4), put(b, 58, 0x0000FF00, 4), put(b, 62, 0x000000FF, 4);
    }
    for (std::uint32_t i = 0; i < colours; ++i) {
        const auto v = static_cast<std::uint8_t>(i * 255 / (colours - 1));
        b[14 + 40 + 4 * i] = b[15 + 40 + 4 * i] = b[16 + 40 + 4 * i] = v;
    }
    for (int y = 0; y < height; ++y) {
        for (std::size_t i = 0; i < rowBytes; ++i) {
            b[offset + rowBytes * static_cast<std::size_t>(y) + i] = static_cast<std::uint8_t>(y * 31 + i * 7);
        }
    }
    return b;
}

// Grey (one component) or progressive JPEGs, which our own encoder never writes.
Bytes libjpegFile(int width, int height, bool grey, bool progressive) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&cinfo, &out, &outSize);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = grey ? 1 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 75, TRUE);
    if (progressive) jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        for (std::size_t i = 0; i < row.size(); ++i) row[i] = static_cast<std::uint8_t>(i * 5 + cinfo.next_scanline * 9);
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&cinfo, &p, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes bytes(out, out + outSize);
    std::free(out);
    return bytes;
}

void writeWithCuts(const fs::path& dir, const std::string& name, const Bytes& bytes) {
    writeSeed(dir, name, bytes);
    for (const std::size_t keep : {bytes.size() / 2, bytes.size() - 1, std::size_t{60}}) {
        if (keep > 0 && keep < bytes.size()) writeSeed(dir, name + "-cut" + std::to_string(keep), Bytes(bytes.begin(), bytes.begin() + static_cast<long>(keep)));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output directory>\n", argv[0]);
        return 2;
    }
    const fs::path root = argv[1];
    for (const char* sub : {"identifier", "image_readers", "pds", "save_names", "utf8", "archive_index"}) fs::create_directories(root / sub);

    // Product names: both rovers, every camera, left/right/mono eyes, the "-" suffix of a
    // made product, an extension, a path, a short and a non-numeric clock.
    const std::vector<std::string> names = {
        "1P128287905EFF0000P2303L2M1.JPG",  "2P126471013ESF0200P2399R1M1.IMG", "1F128285463EDN0000F0006L0M1.JPG",
        "2R126468407EDN0000F0006R0M1.JPG",  "1N128368843EFF0200P1951L0M1.JPG", "2M130166742EFF0454P2936M2M1.JPG",
        "1E128371023EDN0200P1981L0M1.JPG",  "2P126471013ESF0200P2399L4M1-B30C16M50-01.jpg",
        "/data/sol0001/2P126471013ESF0200P2399L6M1.JPG", "1P1282879", "3X12828790XEFF0000P2303Q9Z1.JPG",
        "1P-00000001EFF0000P2303L2M1",      "2P999999999EFFZZZZ?????R7A1.jpg",
    };
    for (std::size_t i = 0; i < names.size(); ++i) writeSeed(root / "identifier", "name" + std::to_string(i), names[i]);

    const fs::path img = root / "image_readers";
    int n = 0;
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{1, 1}, {3, 2}, {7, 5}, {17, 9}, {33, 16}}) {
        for (const bool grey : {false, true}) {
            const ImageBuffer picture = pattern(w, h, grey);
            std::vector<std::uint8_t> bytes;
            keldar::imaging::encodeBmpTo(picture, bytes);
            writeWithCuts(img, "bmp24-" + std::to_string(n), bytes);
            keldar::imaging::encodeJpegTo(picture, bytes, grey ? 50 : 100);
            writeWithCuts(img, "jpeg-" + std::to_string(n), bytes);
            ++n;
        }
    }
    for (const int bits : {1, 4, 8, 16, 24, 32}) {
        writeWithCuts(img, "bmp" + std::to_string(bits) + "-bottomup", handBmp(5, 3, bits, false));
        writeWithCuts(img, "bmp" + std::to_string(bits) + "-topdown", handBmp(6, 4, bits, true));
    }
    writeWithCuts(img, "jpeg-grey", libjpegFile(13, 7, true, false));
    writeWithCuts(img, "jpeg-progressive", libjpegFile(19, 11, false, true));
    writeWithCuts(img, "jpeg-grey-progressive", libjpegFile(8, 8, true, true));

    // PDS products: 8- and 16-bit, both byte orders, signed, a line prefix, the pointer forms,
    // a VICAR label behind the PDS one and a VICAR-only file.
    const struct {
        const char* name;
        const char* keywords;  // inside OBJECT = IMAGE
        const char* pointer;
        int bytesPerSample;
        bool vicar;
    } products[] = {
        {"u8", "SAMPLE_TYPE = UNSIGNED_INTEGER\r\n SAMPLE_BITS = 8", "2", 1, false},
        {"msb16", "SAMPLE_TYPE = MSB_INTEGER\r\n SAMPLE_BITS = 16", "2", 2, false},
        {"lsb16", "SAMPLE_TYPE = LSB_UNSIGNED_INTEGER\r\n SAMPLE_BITS = 16", "513 <BYTES>", 2, false},
        {"prefix", "SAMPLE_TYPE = MSB_UNSIGNED_INTEGER\r\n SAMPLE_BITS = 16\r\n LINE_PREFIX_BYTES = 2", "(\"P.IMG\", 2)", 2, false},
        {"bands", "SAMPLE_BITS = 8\r\n BANDS = 3\r\n BAND_STORAGE_TYPE = BAND_SEQUENTIAL", "2", 3, false},
        {"vicar", "SAMPLE_TYPE = MSB_INTEGER\r\n SAMPLE_BITS = 16", "3", 2, true},
    };
    for (const auto& p : products) {
        std::string label = std::string("PDS_VERSION_ID = PDS3\r\nRECORD_TYPE = FIXED_LENGTH\r\nRECORD_BYTES = 512\r\n") +
                            (p.vicar ? "^IMAGE_HEADER = 2\r\n" : "") + "^IMAGE = " + p.pointer +
                            "\r\nOBJECT = IMAGE\r\n LINES = 5\r\n LINE_SAMPLES = 7\r\n " + p.keywords +
                            "\r\nEND_OBJECT = IMAGE\r\nEND\r\n";
        label.resize(512, ' ');
        if (p.vicar) {
            std::string vicar = "LBLSIZE=512  FORMAT='HALF'  TYPE='IMAGE'  NL=5  NS=7  NB=1  ORG='BSQ'";
            vicar.resize(512, '\0');
            label += vicar;
        }
        Bytes bytes(label.begin(), label.end());
        const int prefix = std::strstr(p.keywords, "PREFIX") != nullptr ? 2 : 0;
        for (int i = 0; i < 5 * (7 * p.bytesPerSample + prefix); ++i) bytes.push_back(static_cast<std::uint8_t>(i * 37));
        writeWithCuts(root / "pds", std::string("pds-") + p.name, bytes);
    }

    // Save names: FuzzedDataProvider takes length-prefixed strings, so plain text with the
    // usual pieces is a reasonable start.
    writeSeed(root / "save_names", "anaglyph", std::string("/tmp/anaglyphs\\\\2P126471013ESF0200P2399L4M1\\-B30C16M50\\\x02\x05\x07\x01\x02\x03\x04\x05\x06\x07\x08"));
    writeSeed(root / "save_names", "filters", std::string("All (*.jpg;*.jpeg;*.bmp;)|*.jpg;*.jpeg;*.bmp|JPEG Image File (*.jpg)|*.jpg\\/a/pair.jpg\\\x02"));
    static const char dotted[] = "dir/\\a.b\\.x\\\x01\x63\x10\x00\x00\x00\x00\x00\x00\x00\x00";
    writeSeed(root / "save_names", "dotted", std::string(dotted, sizeof dotted - 1));

    writeSeed(root / "utf8", "ascii", std::string("1P128287905EFF0000P2303L2M1.JPG"));
    writeSeed(root / "utf8", "mixed", std::string("Sol \xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x94\xB4 \xED\x9F\xBF"));
    writeSeed(root / "utf8", "bad", std::string("\xC0\xAF \xED\xA0\x80 \xF4\x90\x80\x80 \xE2\x82"));
    // An index label of three columns, "\\x" closing it, then one of its records.
    writeSeed(root / "archive_index", "index",
              std::string("PDS_VERSION_ID = PDS3\r\nRECORD_TYPE = FIXED_LENGTH\r\nRECORD_BYTES = 60\r\n"
                          "FILE_RECORDS = 3\r\nOBJECT = INDEX_TABLE\r\n  ROW_BYTES = 60\r\n"
                          "  OBJECT = COLUMN\r\n    NAME = PATH_NAME\r\n    DATA_TYPE = CHARACTER\r\n"
                          "    START_BYTE = 2\r\n    BYTES = 4\r\n  END_OBJECT = COLUMN\r\n"
                          "  OBJECT = COLUMN\r\n    NAME = FILE_NAME\r\n    DATA_TYPE = CHARACTER\r\n"
                          "    START_BYTE = 9\r\n    BYTES = 36\r\n  END_OBJECT = COLUMN\r\n"
                          "  OBJECT = COLUMN\r\n    NAME = PLANET_DAY_NUMBER\r\n    DATA_TYPE = ASCII_INTEGER\r\n"
                          "    START_BYTE = 47\r\n    BYTES = 4\r\n  END_OBJECT = COLUMN\r\n"
                          "END_OBJECT = INDEX_TABLE\r\nEND\r\n\\x\"/a/\"   \"2n127531276eff0300p1512l0m1.img\"    0077"));
    return 0;
}
