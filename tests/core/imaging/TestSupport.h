#pragma once
// Helpers shared by the imaging tests: deterministic random pictures, a scratch directory
// removed after each test, and byte-level builders for hand-made BMP files.

#include "core/imaging/ImageBuffer.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace keldar::imaging::testing {

inline ImageBuffer randomImage(int width, int height, std::uint32_t seed) {
    ImageBuffer img(width, height);
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int y = 0; y < img.height(); ++y) {
        // Fill bytes get noise too, so functions that wrongly read or copy them are caught.
        for (std::size_t i = 0; i < img.stride(); ++i) img.row(y)[i] = static_cast<std::uint8_t>(byte(rng));
    }
    return img;
}

inline ImageBuffer solidImage(int width, int height, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
    ImageBuffer img(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            img.row(y)[3 * x + 0] = b;
            img.row(y)[3 * x + 1] = g;
            img.row(y)[3 * x + 2] = r;
        }
    }
    return img;
}

struct Pixel {
    int b, g, r;
    friend bool operator==(const Pixel&, const Pixel&) = default;
};

inline Pixel pixelAt(const ImageBuffer& img, int x, int y) {
    const std::uint8_t* p = img.row(y) + 3 * x;
    return {p[0], p[1], p[2]};
}

inline void setPixel(ImageBuffer& img, int x, int y, Pixel px) {
    std::uint8_t* p = img.row(y) + 3 * x;
    p[0] = static_cast<std::uint8_t>(px.b);
    p[1] = static_cast<std::uint8_t>(px.g);
    p[2] = static_cast<std::uint8_t>(px.r);
}

class ScratchDir {
public:
    ScratchDir() {
        std::random_device rd;
        path_ = std::filesystem::temp_directory_path() / ("keldar-imaging-test-" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

    // Names of every entry in the directory, to prove no temporary file is left behind.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename().string());
        return names;
    }

private:
    std::filesystem::path path_;
};

inline void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
}

inline void put16(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
    v[at] = static_cast<std::uint8_t>(x);
    v[at + 1] = static_cast<std::uint8_t>(x >> 8);
}
inline void put32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t x) {
    put16(v, at, x);
    put16(v, at + 2, x >> 16);
}

// A BMP with a 40-byte info header. `palette` holds B, G, R triples (written as 4-byte
// entries); `rows` are the raw file rows in file order (bottom-up when height > 0), each
// already padded to a multiple of 4 bytes; `masks` (R, G, B) selects BI_BITFIELDS.
inline std::vector<std::uint8_t> makeBmp(std::int32_t width, std::int32_t height, int bitCount,
                                         const std::vector<std::uint8_t>& palette,
                                         const std::vector<std::vector<std::uint8_t>>& rows,
                                         const std::vector<std::uint32_t>& masks = {}) {
    const std::size_t paletteBytes = palette.size() / 3 * 4;
    const std::size_t maskBytes = masks.size() * 4;
    const std::size_t offset = 14 + 40 + maskBytes + paletteBytes;
    std::size_t dataBytes = 0;
    for (const auto& r : rows) dataBytes += r.size();
    std::vector<std::uint8_t> v(offset + dataBytes, 0);
    v[0] = 'B';
    v[1] = 'M';
    put32(v, 2, static_cast<std::uint32_t>(v.size()));
    put32(v, 10, static_cast<std::uint32_t>(offset));
    put32(v, 14, 40);
    put32(v, 18, static_cast<std::uint32_t>(width));
    put32(v, 22, static_cast<std::uint32_t>(height));
    put16(v, 26, 1);
    put16(v, 28, static_cast<std::uint32_t>(bitCount));
    put32(v, 30, masks.empty() ? 0u : 3u);
    put32(v, 34, static_cast<std::uint32_t>(dataBytes));
    put32(v, 46, static_cast<std::uint32_t>(palette.size() / 3));
    std::size_t at = 54;
    for (std::uint32_t m : masks) {
        put32(v, at, m);
        at += 4;
    }
    for (std::size_t i = 0; i + 2 < palette.size(); i += 3) {
        v[at] = palette[i];
        v[at + 1] = palette[i + 1];
        v[at + 2] = palette[i + 2];
        at += 4;
    }
    for (const auto& r : rows) {
        std::copy(r.begin(), r.end(), v.begin() + static_cast<std::ptrdiff_t>(at));
        at += r.size();
    }
    return v;
}

}  // namespace keldar::imaging::testing
