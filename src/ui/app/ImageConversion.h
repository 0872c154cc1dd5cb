#pragma once
// Between the core's 24-bit image buffer and Qt's QImage, for showing, copying to the
// clipboard and printing. Both directions copy whole rows; no pixel is touched on the way.

#include <functional>
#include <memory>
#include <mutex>

#include <QImage>

#include "core/imaging/ImageBuffer.h"

namespace keldar::ui {

// A picture that is never changed once made, so views, pages and the worker that reads ahead
// can hold the same pixels without copying them. A picture read only to be shown may come
// without its pixels: its full-resolution pixels are then read from its file when first asked
// for, so a slideshow that only shows pictures never pays for a full decode.
class Picture {
public:
    using Decode = std::function<imaging::ImageBuffer()>;
    explicit Picture(imaging::ImageBuffer pixels);
    // A picture of `size` whose pixels `decode` gives on first use (any thread, once).
    Picture(QSize size, Decode decode);
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    QSize size() const { return size_; }
    bool isEmpty() const { return size_.isEmpty(); }
    // The full-resolution pixels, decoded now when they were left for later; empty when that
    // decode fails (the file has gone since it was shown).
    const imaging::ImageBuffer& pixels() const;

private:
    QSize size_;
    mutable std::once_flag decoded_;
    mutable Decode decode_;
    mutable imaging::ImageBuffer pixels_;
};
using SharedPicture = std::shared_ptr<const Picture>;
SharedPicture makePicture(imaging::ImageBuffer pixels);

// A deep copy in QImage::Format_BGR888 (the buffer's byte order); null for an empty buffer.
QImage toQImage(const imaging::ImageBuffer& buffer);

// A read-only QImage::Format_BGR888 over the shared picture's own bytes (decoding them if they
// were left for later); the picture lives as long as any copy of the image does. Null for a
// null or empty picture.
QImage sharedQImage(const SharedPicture& picture);

// What a view draws for `image` in a `size` rectangle: 32-bit RGB (the format the screen and
// Qt's smooth scaling work in, so the conversion is made once, not at every paint), scaled
// smoothly when the size differs. The pixels are those of scaling `image` itself.
QImage displayImage(const QImage& image, QSize size);

// Any QImage as a 24-bit buffer (converted to blue-green-red first); empty for a null image.
imaging::ImageBuffer fromQImage(const QImage& image);

}  // namespace keldar::ui
