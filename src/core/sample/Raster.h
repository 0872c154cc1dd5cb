#pragma once
// A float RGB canvas for composing the sample pictures (rendered scenes, maps, overlays)
// before they are quantised into 24-bit image buffers.

#include "core/imaging/ImageBuffer.h"

#include <string>
#include <vector>

namespace keldar::sample {

struct Rgb {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
};

inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator*(Rgb a, float s) { return {a.r * s, a.g * s, a.b * s}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
inline Rgb mix(Rgb a, Rgb b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

class Raster {
public:
    Raster() = default;
    Raster(int width, int height, Rgb fill = {});

    int width() const { return width_; }
    int height() const { return height_; }
    Rgb& at(int x, int y) { return px_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)]; }
    const Rgb& at(int x, int y) const { return px_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)]; }

    // Alpha-blends `c` over the pixel; coordinates outside the canvas are ignored.
    void blend(int x, int y, Rgb c, float alpha);

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<Rgb> px_;
};

// Box-filters a canvas rendered at `factor` times the wanted size (supersampling).
Raster downsample(const Raster& src, int factor);

// Antialiased line of the given width (pixels), by distance to the segment.
void drawLine(Raster& r, float x0, float y0, float x1, float y1, float width, Rgb c, float alpha = 1.0f);
void drawDisc(Raster& r, float cx, float cy, float radius, Rgb c, float alpha = 1.0f);

// Text in a 5x7 pixel font (upper-case letters, digits, a few signs), each font pixel drawn as a
// scale x scale block. Returns the width drawn. Unknown characters draw as blanks.
int drawText(Raster& r, int x, int y, const std::string& text, int scale, Rgb c);
int textWidth(const std::string& text, int scale);

// Linear contrast stretch, as the ground system applies to raw frames: the weighted grey levels at
// the `low` and `high` quantiles go to `floor` and `ceiling`. The same map is applied to every
// channel, so the colour balance of a rendering survives. A negative `low` keeps black at 0
// (a pure gain, which keeps the ratios of the channels exactly).
void stretch(Raster& r, Rgb weights, float low, float high, float floor = 0.04f, float ceiling = 0.96f);

// Display values in [0, 1] to 8-bit BGR. `dither` adds deterministic noise of that many
// 8-bit steps (0 for none), so smooth gradients do not band and raw frames look sensor-like.
imaging::ImageBuffer toImage(const Raster& r, float dither = 0.0f, unsigned seed = 1);
// Same, as a grey picture: B = G = R = the given weighted sum of the channels.
imaging::ImageBuffer toGreyImage(const Raster& r, Rgb weights, float dither = 0.0f, unsigned seed = 1);

}  // namespace keldar::sample
