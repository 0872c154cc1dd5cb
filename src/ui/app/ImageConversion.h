#pragma once
// Between the core's 24-bit image buffer and Qt's QImage, for showing, copying to the
// clipboard and printing. Both directions copy whole rows; no pixel is touched on the way.

#include <QImage>

#include "core/imaging/ImageBuffer.h"

namespace keldar::ui {

// A deep copy in QImage::Format_BGR888 (the buffer's byte order); null for an empty buffer.
QImage toQImage(const imaging::ImageBuffer& buffer);

// Any QImage as a 24-bit buffer (converted to blue-green-red first); empty for a null image.
imaging::ImageBuffer fromQImage(const QImage& image);

}  // namespace keldar::ui
