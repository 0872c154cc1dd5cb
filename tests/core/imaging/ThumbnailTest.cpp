#include "core/imaging/Thumbnail.h"

#include "core/imaging/ImageFile.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <future>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <jpeglib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace keldar::imaging {
namespace {

using testing::makeBmp;
using testing::ScratchDir;
using testing::writeBytes;

// ---- pictures and files ----------------------------------------------------------------------

// Slow shading that differs per channel, a top-to-bottom ramp, a soft bright disc and a little
// grain: a flip, a channel swap or a wrong scale all show, yet it is smooth enough that a few
// rows of each thumbnail row stand for all of them.
ImageBuffer scene(int width, int height, bool colour, std::uint32_t seed = 1) {
    ImageBuffer img(width, height);
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> grain(-4, 4);
    const double cx = width / 3.0, cy = height / 3.0, radius = std::min(width, height) / 5.0 + 1;
    for (int y = 0; y < height; ++y) {
        const double v = static_cast<double>(y) / height;
        for (int x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / width;
            const double disc = 60.0 / (1.0 + std::exp((std::hypot(x - cx, y - cy) - radius) / (radius / 6 + 1)));
            for (int c = 0; c < 3; ++c) {
                const int phase = colour ? c : 0;
                const double value = 100 + 60 * std::sin(7.0 * u + 2.1 * phase) * std::cos(5.0 * v - phase) +
                                     50 * (v - 0.5) + disc * (colour && c == 1 ? 0.3 : 1.0);
                img.row(y)[3 * x + c] = static_cast<std::uint8_t>(std::clamp(value + grain(rng), 0.0, 255.0));
            }
            if (!colour) img.row(y)[3 * x + 1] = img.row(y)[3 * x + 2] = img.row(y)[3 * x];
        }
    }
    return img;
}

// Grey, 4:2:0 colour or Adobe ink JPEGs, which the core's own writer does not make.
void writeLibjpeg(const ImageBuffer& img, const std::string& path, J_COLOR_SPACE space) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = static_cast<JDIMENSION>(img.width());
    cinfo.image_height = static_cast<JDIMENSION>(img.height());
    cinfo.input_components = space == JCS_GRAYSCALE ? 1 : space == JCS_CMYK ? 4 : 3;
    cinfo.in_color_space = space == JCS_YCbCr ? JCS_EXT_BGR : space;
    jpeg_set_defaults(&cinfo);  // 4:2:0 for colour
    jpeg_set_colorspace(&cinfo, space);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(img.width()) * 4);
    for (int y = 0; y < img.height(); ++y) {
        const std::uint8_t* p = img.row(y);
        for (int x = 0; x < img.width(); ++x, p += 3) {
            if (space == JCS_GRAYSCALE) {
                row[x] = p[0];
            } else if (space == JCS_CMYK) {  // stored as Adobe writes it, with some black
                row[4 * x] = p[2];
                row[4 * x + 1] = p[1];
                row[4 * x + 2] = p[0];
                row[4 * x + 3] = static_cast<std::uint8_t>(200 + x % 56);
            } else {
                std::copy(p, p + 3, row.begin() + 3 * x);
            }
        }
        JSAMPROW rowPtr = row.data();
        jpeg_write_scanlines(&cinfo, &rowPtr, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
}

// File rows of a 24-bit BMP, top row first, each padded to four bytes.
std::vector<std::vector<std::uint8_t>> bmpRows(const ImageBuffer& img) {
    std::vector<std::vector<std::uint8_t>> rows;
    for (int y = 0; y < img.height(); ++y)
        rows.emplace_back(img.row(y), img.row(y) + ImageBuffer::strideFor(img.width()));
    return rows;
}

void writeTopDownBmp(const ImageBuffer& img, const std::string& path) {
    writeBytes(path, makeBmp(img.width(), -img.height(), 24, {}, bmpRows(img)));
}

// 8 bits a pixel through a grey palette, bottom-up.
void writePaletteBmp(const ImageBuffer& img, const std::string& path) {
    std::vector<std::uint8_t> palette;
    for (int i = 0; i < 256; ++i) palette.insert(palette.end(), 3, static_cast<std::uint8_t>(i));
    std::vector<std::vector<std::uint8_t>> rows;
    for (int y = img.height() - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row((static_cast<std::size_t>(img.width()) + 3) & ~std::size_t{3}, 0);
        for (int x = 0; x < img.width(); ++x) row[x] = img.row(y)[3 * x];
        rows.push_back(row);
    }
    writeBytes(path, makeBmp(img.width(), img.height(), 8, palette, rows));
}

// A PDS product of 512-byte records: two of label, then the samples.
std::vector<std::uint8_t> pdsFile(const std::string& imageObject, const std::vector<std::uint8_t>& data) {
    std::string label =
        "PDS_VERSION_ID = PDS3\r\nRECORD_TYPE = FIXED_LENGTH\r\nRECORD_BYTES = 512\r\n"
        "LABEL_RECORDS = 2\r\n^IMAGE = 3\r\nOBJECT = IMAGE\r\n" +
        imageObject + "END_OBJECT = IMAGE\r\nEND\r\n";
    label.resize(1024, ' ');
    std::vector<std::uint8_t> file(label.size() + data.size());
    std::copy(label.begin(), label.end(), file.begin());
    std::copy(data.begin(), data.end(), file.begin() + static_cast<std::ptrdiff_t>(label.size()));
    return file;
}

struct PdsFormat {
    const char* sampleType;
    int bits;
    int bands;  // 3: sample interleaved red, green, blue
    int prefix;
    std::function<int(int)> sample;  // from the picture's 0..255
};

void writePds(const ImageBuffer& img, const std::string& path, const PdsFormat& f) {
    std::vector<std::uint8_t> data;
    for (int y = 0; y < img.height(); ++y) {
        data.insert(data.end(), static_cast<std::size_t>(f.prefix), 0xA5);
        for (int x = 0; x < img.width(); ++x) {
            for (int band = 0; band < f.bands; ++band) {
                const auto v = static_cast<std::uint16_t>(f.sample(img.row(y)[3 * x + 2 - band]));
                if (f.bits == 8) {
                    data.push_back(static_cast<std::uint8_t>(v));
                } else if (std::string(f.sampleType).rfind("LSB", 0) == 0) {
                    data.insert(data.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)});
                } else {
                    data.insert(data.end(), {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
                }
            }
        }
    }
    const std::string object =
        "  LINES = " + std::to_string(img.height()) + "\r\n  LINE_SAMPLES = " + std::to_string(img.width()) +
        "\r\n  SAMPLE_TYPE = " + f.sampleType + "\r\n  SAMPLE_BITS = " + std::to_string(f.bits) +
        "\r\n  LINE_PREFIX_BYTES = " + std::to_string(f.prefix) + "\r\n  BANDS = " + std::to_string(f.bands) + "\r\n" +
        (f.bands == 3 ? "  BAND_STORAGE_TYPE = SAMPLE_INTERLEAVED\r\n" : "");
    writeBytes(path, pdsFile(object, data));
}

// ---- the reference: the full picture, area-averaged ------------------------------------------

// Each source pixel weighs by the part of it a thumbnail pixel covers, fractions included.
std::vector<std::vector<std::pair<int, double>>> coverage(int full, int small) {
    std::vector<std::vector<std::pair<int, double>>> weights(static_cast<std::size_t>(small));
    const double step = static_cast<double>(full) / small;
    for (int t = 0; t < small; ++t) {
        const double a = t * step, b = (t + 1) * step;
        for (int s = static_cast<int>(a); s < full && s < b; ++s) {
            const double w = std::min<double>(s + 1, b) - std::max<double>(s, a);
            if (w > 0) weights[t].push_back({s, w / step});
        }
    }
    return weights;
}

struct Difference {
    double mean = 0;
    int max = 0;
    int p99 = 0;  // the error 99 % of the values are within
};

// How far the thumbnail lies from the full decode scaled down; a grey thumbnail is compared
// with the mean of the three channels.
Difference differenceFromFull(const Thumbnail& t, const ImageBuffer& full) {
    const auto across = coverage(full.width(), t.width);
    const auto down = coverage(full.height(), t.height);
    Difference d;
    double sum = 0;
    std::vector<int> errors;
    for (int ty = 0; ty < t.height; ++ty) {
        for (int tx = 0; tx < t.width; ++tx) {
            double ref[3] = {0, 0, 0};
            for (const auto& [y, wy] : down[ty]) {
                for (const auto& [x, wx] : across[tx]) {
                    for (int c = 0; c < 3; ++c) ref[c] += wy * wx * full.row(y)[3 * x + c];
                }
            }
            const std::uint8_t* p = t.pixels.data() + (static_cast<std::size_t>(ty) * t.width + tx) * t.channels;
            for (int c = 0; c < t.channels; ++c) {
                const double want = t.channels == 1 ? (ref[0] + ref[1] + ref[2]) / 3 : ref[c];
                const double e = std::abs(p[c] - want);
                sum += e;
                errors.push_back(static_cast<int>(std::lround(e)));
            }
        }
    }
    d.mean = sum / static_cast<double>(errors.size());
    std::sort(errors.begin(), errors.end());
    d.max = errors.back();
    d.p99 = errors[errors.size() * 99 / 100];
    return d;
}

// The size the thumbnail must have: the long side `side` or less, the other in proportion.
std::pair<int, int> expectedSize(int width, int height, int side) {
    const double scale = std::min(1.0, static_cast<double>(side) / std::max(width, height));
    const auto fit = [scale](int n) { return std::max(1, static_cast<int>(std::lround(n * scale))); };
    return width >= height ? std::pair{std::min(side, width), fit(height)}
                           : std::pair{fit(width), std::min(side, height)};
}

struct Tolerance {
    double mean = 3;
    int p99 = 20;
    int max = 20;
};

// A well-formed thumbnail of `path` at `side`, within a few grey levels of the full picture.
void expectCloseToFullPicture(const std::string& path, int side, const Thumbnail& t, Tolerance within = {}) {
    ASSERT_TRUE(t.ok()) << t.error;
    const ImageResult full = readImageFile(path);
    ASSERT_TRUE(full.ok()) << full.error;
    EXPECT_EQ(t.fullWidth, full.image.width());
    EXPECT_EQ(t.fullHeight, full.image.height());
    const auto [w, h] = expectedSize(full.image.width(), full.image.height(), side);
    EXPECT_EQ(t.width, w);
    EXPECT_EQ(t.height, h);
    ASSERT_TRUE(t.channels == 1 || t.channels == 3) << t.channels;
    ASSERT_EQ(t.pixels.size(), static_cast<std::size_t>(t.width) * t.height * t.channels);
    if (t.width != w || t.height != h) return;
    const Difference d = differenceFromFull(t, full.image);
    EXPECT_LE(d.mean, within.mean);
    EXPECT_LE(d.p99, within.p99);
    EXPECT_LE(d.max, within.max);
}

// ---- the kinds of picture --------------------------------------------------------------------

struct KindCase {
    const char* name;  // its extension gives the kind
    int width, height, side;
    bool colour;
    int channels;
    std::function<void(const ImageBuffer&, const std::string&)> write;
};

const PdsFormat kEightBit{"UNSIGNED_INTEGER", 8, 1, 0, [](int v) { return v; }};
const PdsFormat kSignedMsb{"MSB_INTEGER", 16, 1, 0, [](int v) { return v * 37 - 3000; }};
const PdsFormat kLsbPrefixed{"LSB_UNSIGNED_INTEGER", 16, 1, 6, [](int v) { return 1000 + v * 211; }};
const PdsFormat kThreeBands{"UNSIGNED_INTEGER", 8, 3, 0, [](int v) { return 20 + v * 3 / 4; }};

std::vector<KindCase> kindCases() {
    const auto coreJpeg = [](const ImageBuffer& img, const std::string& path) {
        ASSERT_EQ(writeJpegFile(img, path, 90), "");
    };
    const auto libjpeg = [](J_COLOR_SPACE space) {
        return [space](const ImageBuffer& img, const std::string& path) { writeLibjpeg(img, path, space); };
    };
    const auto bottomUpBmp = [](const ImageBuffer& img, const std::string& path) {
        ASSERT_EQ(writeBmpFile(img, path), "");
    };
    const auto pds = [](const PdsFormat& f) {
        return [&f](const ImageBuffer& img, const std::string& path) { writePds(img, path, f); };
    };
    return {
        {"grey-eighth.jpg", 1024, 1024, 128, false, 1, libjpeg(JCS_GRAYSCALE)},
        {"grey-quarter.jpg", 1000, 750, 200, false, 1, libjpeg(JCS_GRAYSCALE)},
        {"colour-444-quarter.jpg", 640, 480, 100, true, 3, coreJpeg},
        {"colour-444-half.jpg", 600, 400, 200, true, 3, coreJpeg},
        {"colour-420-quarter.jpg", 801, 601, 160, true, 3, libjpeg(JCS_YCbCr)},
        {"ink-quarter.jpg", 400, 300, 64, true, 3, libjpeg(JCS_CMYK)},
        {"full-scale.jpg", 300, 200, 250, true, 3, coreJpeg},
        {"grey-in-colour-file.jpg", 512, 384, 96, false, 1, coreJpeg},
        {"bottom-up.bmp", 800, 600, 128, true, 3, bottomUpBmp},
        {"top-down.bmp", 517, 389, 100, true, 3, writeTopDownBmp},
        {"palette-grey.bmp", 300, 500, 64, false, 1, writePaletteBmp},
        {"every-row-read.bmp", 300, 200, 200, true, 3, bottomUpBmp},
        {"eight-bit.img", 512, 512, 64, false, 1, pds(kEightBit)},
        {"signed-msb.img", 600, 400, 100, false, 1, pds(kSignedMsb)},
        {"lsb-prefixed.img", 333, 500, 90, false, 1, pds(kLsbPrefixed)},
        {"three-bands.img", 200, 150, 50, true, 3, pds(kThreeBands)},
    };
}

TEST(ThumbnailTest, EachKindIsTheFullPictureScaledDown) {
    const ScratchDir dir;
    std::uint32_t seed = 1;
    for (const KindCase& c : kindCases()) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(c.name);
        c.write(scene(c.width, c.height, c.colour, seed++), path);
        const Thumbnail t = readThumbnail(path, c.side);
        EXPECT_EQ(t.channels, c.channels);
        expectCloseToFullPicture(path, c.side, t);
    }
}

TEST(ThumbnailTest, SizesKeepTheProportionsAndNeverGrow) {
    const struct {
        int width, height, side;
        int thumbWidth, thumbHeight;
    } cases[] = {
        {1024, 32, 128, 128, 4}, {32, 1024, 128, 4, 128},  {1000, 30, 128, 128, 4},   {100, 50, 256, 100, 50},
        {3000, 2, 64, 64, 1},    {2, 3000, 64, 1, 64},     {129, 128, 128, 128, 127}, {1, 1, 16, 1, 1},
        {7, 5, 1, 1, 1},         {640, 480, 100, 100, 75},
    };
    const ScratchDir dir;
    for (const auto& c : cases) {
        const ImageBuffer picture = scene(c.width, c.height, true);
        for (const char* ext : {".bmp", ".jpg"}) {
            SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + " at " + std::to_string(c.side) +
                         ext);
            const std::string path = dir.file("strip" + std::string(ext));
            ASSERT_EQ(writeImageFile(picture, path), "");
            const Thumbnail t = readThumbnail(path, c.side);
            ASSERT_TRUE(t.ok()) << t.error;
            EXPECT_EQ(t.width, c.thumbWidth);
            EXPECT_EQ(t.height, c.thumbHeight);
            expectCloseToFullPicture(path, c.side, t);
        }
    }
}

// ---- what is not a picture -------------------------------------------------------------------

TEST(ThumbnailTest, FilesThatAreNotPicturesGiveReasons) {
    const ScratchDir dir;
    std::vector<std::uint8_t> jpeg;
    ASSERT_EQ(encodeJpegTo(scene(256, 256, true), jpeg, 90), "");
    std::vector<std::uint8_t> bmp;
    ASSERT_EQ(encodeBmpTo(scene(64, 64, true), bmp), "");
    const auto text = [](const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); };
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
        const char* reason;
    } cases[] = {
        {"empty.jpg", {}, "empty"},
        {"words.jpg", text("not a picture at all"), "not a JPEG"},
        {"truncated.jpg", {jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(jpeg.size() / 2)}, "corrupt JPEG"},
        {"words.bmp", text("not a picture at all"), "not a BMP"},
        {"truncated.bmp", {bmp.begin(), bmp.end() - 100}, "truncated BMP"},
        {"label-only.img", text("PDS_VERSION_ID = PDS3\r\nEND\r\n"), "OBJECT = IMAGE"},
        {"words.img", text("not a picture at all"), "not a PDS image"},
        {"cut-short.img",
         pdsFile("  LINES = 100\r\n  LINE_SAMPLES = 100\r\n  SAMPLE_TYPE = UNSIGNED_INTEGER\r\n  SAMPLE_BITS = 8\r\n",
                 std::vector<std::uint8_t>(5000, 7)),
         "truncated"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(c.name);
        writeBytes(path, c.bytes);
        const Thumbnail t = readThumbnail(path, 64);
        EXPECT_FALSE(t.ok());
        EXPECT_NE(t.error.find(path), std::string::npos) << t.error;
        EXPECT_NE(t.error.find(c.reason), std::string::npos) << t.error;
        EXPECT_EQ(t.width, 0);
        EXPECT_TRUE(t.pixels.empty());
    }
    std::filesystem::create_directory(dir.file("folder.jpg"));
    EXPECT_NE(readThumbnail(dir.file("folder.jpg"), 64).error.find("is a directory"), std::string::npos);
    EXPECT_NE(readThumbnail(dir.file("missing.bmp"), 64).error.find("cannot open"), std::string::npos);
    writeBytes(dir.file("fine.jpg"), jpeg);
    for (int side : {0, -5}) {
        const Thumbnail t = readThumbnail(dir.file("fine.jpg"), side);
        EXPECT_FALSE(t.ok()) << side;
        EXPECT_TRUE(t.pixels.empty());
    }
}

TEST(ThumbnailTest, AFifoIsRefusedWithoutWaitingForAWriter) {
    const ScratchDir dir;
    for (const char* name : {"pipe.jpg", "pipe.bmp", "pipe.img"}) {
        SCOPED_TRACE(name);
        const std::string fifo = dir.file(name);
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        auto result = std::async(std::launch::async, [&fifo] { return readThumbnail(fifo, 64); });
        if (result.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
            ADD_FAILURE() << "still waiting on the FIFO after 5 s";
            // Opening the other end lets a reader stuck in open() go on to its end.
            const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        }
        const Thumbnail t = result.get();
        EXPECT_NE(t.error.find("FIFO"), std::string::npos) << t.error;
    }
}

// ---- many at once ----------------------------------------------------------------------------

TEST(ThumbnailTest, ThumbnailsMadeOnManyThreadsAtOnceAreTheSameAsOneByOne) {
    const ScratchDir dir;
    std::vector<std::pair<std::string, int>> files;
    std::vector<Thumbnail> alone;
    std::uint32_t seed = 1;
    for (const KindCase& c : kindCases()) {
        files.emplace_back(dir.file(c.name), c.side);
        c.write(scene(c.width, c.height, c.colour, seed++), files.back().first);
        alone.push_back(readThumbnail(files.back().first, c.side));
        ASSERT_TRUE(alone.back().ok()) << alone.back().error;
    }
    std::vector<std::future<int>> workers;
    for (int w = 0; w < 4; ++w) {
        workers.push_back(std::async(std::launch::async, [&files, &alone, w] {
            int differing = 0;
            for (int round = 0; round < 3; ++round) {
                for (std::size_t i = 0; i < files.size(); ++i) {
                    const std::size_t k = (i + static_cast<std::size_t>(w) * 5) % files.size();
                    const Thumbnail t = readThumbnail(files[k].first, files[k].second);
                    differing += t.pixels != alone[k].pixels || t.width != alone[k].width;
                }
            }
            return differing;
        }));
    }
    for (auto& w : workers) EXPECT_EQ(w.get(), 0);
}

// ---- real data -------------------------------------------------------------------------------

TEST(ThumbnailRealDataTest, MissionProductsAndJpegsScaleDownFaithfully) {
    const std::filesystem::path images = std::filesystem::path(KELDAR_REALDATA_DIR) / "images";
    std::error_code ec;
    if (!std::filesystem::is_directory(images, ec)) GTEST_SKIP() << "real mission images not present at " << images;
    const ScratchDir dir;
    int checked = 0;
    bool bmpMade = false;
    for (const auto& entry : std::filesystem::directory_iterator(images)) {
        std::string name = entry.path().filename().string();
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char ch) { return std::tolower(ch); });
        const bool jpeg = name.ends_with(".img.jpg");
        if (!jpeg && !name.ends_with(".img")) continue;
        const std::string path = entry.path().string();
        std::vector<std::string> paths{path};
        if (jpeg && !bmpMade) {
            bmpMade = true;
            // The same frame as a BMP: the rows left unread hold the rover's fine texture.
            const ImageResult full = readImageFile(path);
            ASSERT_TRUE(full.ok()) << full.error;
            paths.push_back(dir.file("mission.bmp"));
            ASSERT_EQ(writeBmpFile(full.image, paths.back()), "");
        }
        for (const std::string& p : paths) {
            for (int side : {128, 200}) {
                SCOPED_TRACE(p + " at " + std::to_string(side));
                const Thumbnail t = readThumbnail(p, side);
                EXPECT_EQ(t.channels, 1);
                // The ground's grain is finer than a thumbnail pixel: where only some rows are
                // read, or a quarter-size DCT stands for 4 x 4 pixels, a sharp pebble or shadow
                // edge may come out well off while nearly every pixel stays close.
                expectCloseToFullPicture(p, side, t, {3, 20, 48});
            }
        }
        ++checked;
    }
    if (checked == 0) GTEST_SKIP() << "no mission products in " << images;
}

}  // namespace
}  // namespace keldar::imaging
