#include "core/imaging/ImageBuffer.h"

#include <cstring>

namespace keldar::imaging {

ImageBuffer::ImageBuffer(int width, int height) { resize(width, height); }

void ImageBuffer::resize(int width, int height) {
    if (width <= 0 || height <= 0) {
        width = 0;
        height = 0;
    }
    width_ = width;
    height_ = height;
    stride_ = strideFor(width);
    // std::vector keeps its capacity when it shrinks, so repeated resizes to the same or a
    // smaller size never touch the allocator.
    data_.resize(stride_ * static_cast<std::size_t>(height));
}

bool operator==(const ImageBuffer& a, const ImageBuffer& b) {
    if (a.width_ != b.width_ || a.height_ != b.height_) return false;
    // Only pixel bytes count; the fill bytes at the end of each row carry no picture.
    const std::size_t n = static_cast<std::size_t>(a.width_) * 3;
    for (int y = 0; y < a.height_; ++y) {
        if (std::memcmp(a.row(y), b.row(y), n) != 0) return false;
    }
    return true;
}

}  // namespace keldar::imaging
