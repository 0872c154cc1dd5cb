#pragma once
// A small 5 x 7 pixel font for the text the image pipelines draw into pictures themselves
// (movie captions, contact-sheet headings), where no toolkit is loaded to draw it.

#include <cstddef>
#include <cstdint>
#include <string>

namespace keldar::imaging {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;
inline constexpr int kGlyphAdvance = 6;  // a glyph and a blank column

// Pixels across `text` at `scale` (each font pixel scale x scale).
int textWidth(const std::string& text, int scale);

// Draws `text` into a picture of `channels` bytes a pixel (1 grey, 3 blue-green-red; rows
// `stride` bytes apart), its lower left corner at (x, bottom), in `ink`; with `rim`, each
// glyph pixel gets a one-pixel border of `rimInk` first, so the text reads on any ground.
// Clipped at the picture's edges; characters the font lacks are drawn as "?".
void drawText(std::uint8_t* pixels, int width, int height, std::size_t stride, int channels, const std::string& text,
              int x, int bottom, int scale, std::uint8_t ink = 255, bool rim = true, std::uint8_t rimInk = 0);

}  // namespace keldar::imaging
