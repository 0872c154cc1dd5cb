#pragma once
// A picture of 24 bits per pixel: bytes blue, green, red; rows from the top, each row
// padded to a multiple of 4 bytes (the layout of a bottom-up-free 24-bit DIB), so rows can
// be handed to libjpeg and to BMP files without copying pixel by pixel.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace keldar::imaging {

class ImageBuffer {
public:
    ImageBuffer() = default;
    ImageBuffer(int width, int height);

    // Re-sizes in place, reusing the allocation when it is large enough; contents undefined.
    void resize(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    bool isEmpty() const { return width_ <= 0 || height_ <= 0; }
    std::size_t stride() const { return stride_; }  // bytes per row, multiple of 4
    std::size_t byteCount() const { return stride_ * static_cast<std::size_t>(height_); }

    std::uint8_t* row(int y) { return data_.data() + stride_ * static_cast<std::size_t>(y); }
    const std::uint8_t* row(int y) const { return data_.data() + stride_ * static_cast<std::size_t>(y); }
    std::uint8_t* data() { return data_.data(); }
    const std::uint8_t* data() const { return data_.data(); }

    static std::size_t strideFor(int width) { return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3}; }

    friend bool operator==(const ImageBuffer& a, const ImageBuffer& b);

private:
    int width_ = 0;
    int height_ = 0;
    std::size_t stride_ = 0;
    std::vector<std::uint8_t> data_;
};

}  // namespace keldar::imaging
