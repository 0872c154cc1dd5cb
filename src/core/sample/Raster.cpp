#include "core/sample/Raster.h"

#include "core/sample/Noise.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace keldar::sample {

Raster::Raster(int width, int height, Rgb fill)
    : width_(width > 0 ? width : 0),
      height_(height > 0 ? height : 0),
      px_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill) {}

void Raster::blend(int x, int y, Rgb c, float alpha) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || alpha <= 0.0f) return;
    Rgb& p = at(x, y);
    p = mix(p, c, alpha > 1.0f ? 1.0f : alpha);
}

Raster downsample(const Raster& src, int factor) {
    if (factor <= 1) return src;
    const int w = src.width() / factor;
    const int h = src.height() / factor;
    Raster out(w, h);
    const float inv = 1.0f / static_cast<float>(factor * factor);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            Rgb s;
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i) s = s + src.at(x * factor + i, y * factor + j);
            out.at(x, y) = s * inv;
        }
    }
    return out;
}

void drawLine(Raster& r, float x0, float y0, float x1, float y1, float width, Rgb c, float alpha) {
    const float half = width * 0.5f;
    const int minX = static_cast<int>(std::floor(std::min(x0, x1) - half - 1.0f));
    const int maxX = static_cast<int>(std::ceil(std::max(x0, x1) + half + 1.0f));
    const int minY = static_cast<int>(std::floor(std::min(y0, y1) - half - 1.0f));
    const int maxY = static_cast<int>(std::ceil(std::max(y0, y1) + half + 1.0f));
    const float dx = x1 - x0;
    const float dy = y1 - y0;
    const float len2 = dx * dx + dy * dy;
    for (int y = std::max(minY, 0); y <= std::min(maxY, r.height() - 1); ++y) {
        for (int x = std::max(minX, 0); x <= std::min(maxX, r.width() - 1); ++x) {
            const float px = static_cast<float>(x) + 0.5f - x0;
            const float py = static_cast<float>(y) + 0.5f - y0;
            const float t = len2 > 0.0f ? clamp01((px * dx + py * dy) / len2) : 0.0f;
            const float ex = px - t * dx;
            const float ey = py - t * dy;
            const float d = std::sqrt(ex * ex + ey * ey);
            // One pixel of soft edge keeps thin lines from stair-stepping.
            const float cover = clamp01(half + 0.5f - d);
            if (cover > 0.0f) r.blend(x, y, c, cover * alpha);
        }
    }
}

void drawDisc(Raster& r, float cx, float cy, float radius, Rgb c, float alpha) {
    drawLine(r, cx, cy, cx, cy, radius * 2.0f, c, alpha);
}

namespace {

struct Glyph {
    char ch;
    std::uint8_t rows[7];  // five bits per row, the highest bit is the left column
};

constexpr Glyph kFont[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}}, {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04}}, {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}}, {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}}, {'/', {0x01, 0x01, 0x02, 0x04, 0x08, 0x10, 0x10}},
    {'(', {0x02, 0x04, 0x08, 0x08, 0x08, 0x04, 0x02}}, {')', {0x08, 0x04, 0x02, 0x02, 0x02, 0x04, 0x08}},
};

const Glyph* findGlyph(char ch) {
    if (ch >= 'a' && ch <= 'z') ch = static_cast<char>(ch - 'a' + 'A');
    for (const Glyph& g : kFont)
        if (g.ch == ch) return &g;
    return nullptr;
}

std::uint8_t toByte(float v) {
    const float s = v * 255.0f + 0.5f;
    if (s <= 0.0f) return 0;
    if (s >= 255.0f) return 255;
    return static_cast<std::uint8_t>(s);
}

}  // namespace

int textWidth(const std::string& text, int scale) {
    return text.empty() ? 0 : static_cast<int>(text.size()) * 6 * scale - scale;
}

int drawText(Raster& r, int x, int y, const std::string& text, int scale, Rgb c) {
    int cx = x;
    for (char ch : text) {
        if (const Glyph* g = findGlyph(ch)) {
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (g->rows[row] & (0x10 >> col))
                        for (int j = 0; j < scale; ++j)
                            for (int i = 0; i < scale; ++i) r.blend(cx + col * scale + i, y + row * scale + j, c, 1.0f);
        }
        cx += 6 * scale;
    }
    return textWidth(text, scale);
}

void stretch(Raster& r, Rgb weights, float low, float high, float floor, float ceiling) {
    // A 4096-bin histogram is exact enough and avoids sorting a quarter million values.
    constexpr int kBins = 4096;
    std::vector<int> hist(kBins, 0);
    const int n = r.width() * r.height();
    if (n == 0) return;
    for (int y = 0; y < r.height(); ++y)
        for (int x = 0; x < r.width(); ++x) {
            const Rgb& p = r.at(x, y);
            const float g = clamp01(p.r * weights.r + p.g * weights.g + p.b * weights.b);
            ++hist[std::min(static_cast<int>(g * kBins), kBins - 1)];
        }
    auto quantile = [&](float q) {
        const long target = static_cast<long>(q * static_cast<float>(n));
        long acc = 0;
        for (int i = 0; i < kBins; ++i) {
            acc += hist[static_cast<std::size_t>(i)];
            if (acc > target) return (static_cast<float>(i) + 0.5f) / kBins;
        }
        return 1.0f;
    };
    const float lo = low < 0.0f ? 0.0f : quantile(low);
    const float hi = quantile(high);
    if (hi - lo < 1e-3f) return;
    const float scale = (ceiling - floor) / (hi - lo);
    for (int y = 0; y < r.height(); ++y)
        for (int x = 0; x < r.width(); ++x) {
            Rgb& p = r.at(x, y);
            p = {floor + (p.r - lo) * scale, floor + (p.g - lo) * scale, floor + (p.b - lo) * scale};
        }
}

imaging::ImageBuffer toImage(const Raster& r, float dither, unsigned seed) {
    imaging::ImageBuffer img(r.width(), r.height());
    Rng rng(seed);
    const float d = dither / 255.0f;
    for (int y = 0; y < r.height(); ++y) {
        std::uint8_t* row = img.row(y);
        for (int x = 0; x < r.width(); ++x) {
            const Rgb& p = r.at(x, y);
            const float n = d > 0.0f ? (rng.uniform() - 0.5f) * d : 0.0f;
            row[3 * x + 0] = toByte(p.b + n);
            row[3 * x + 1] = toByte(p.g + n);
            row[3 * x + 2] = toByte(p.r + n);
        }
    }
    return img;
}

imaging::ImageBuffer toGreyImage(const Raster& r, Rgb weights, float dither, unsigned seed) {
    imaging::ImageBuffer img(r.width(), r.height());
    Rng rng(seed);
    const float d = dither / 255.0f;
    for (int y = 0; y < r.height(); ++y) {
        std::uint8_t* row = img.row(y);
        for (int x = 0; x < r.width(); ++x) {
            const Rgb& p = r.at(x, y);
            const float n = d > 0.0f ? (rng.uniform() - 0.5f) * d : 0.0f;
            const std::uint8_t v = toByte(p.r * weights.r + p.g * weights.g + p.b * weights.b + n);
            row[3 * x + 0] = v;
            row[3 * x + 1] = v;
            row[3 * x + 2] = v;
        }
    }
    return img;
}

}  // namespace keldar::sample
