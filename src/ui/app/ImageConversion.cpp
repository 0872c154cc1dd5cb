#include "ui/app/ImageConversion.h"

#include <cstring>

#include <QPainter>

namespace keldar::ui {

QImage toQImage(const imaging::ImageBuffer& buffer) {
    if (buffer.isEmpty()) return {};
    const QImage view(buffer.data(), buffer.width(), buffer.height(),
                      static_cast<qsizetype>(buffer.stride()), QImage::Format_BGR888);
    return view.copy();
}

Picture::Picture(imaging::ImageBuffer pixels) : size_(pixels.width(), pixels.height()), pixels_(std::move(pixels)) {
    if (size_.isEmpty()) size_ = QSize();
}

Picture::Picture(QSize size, Decode decode) : size_(size), decode_(std::move(decode)) {}

const imaging::ImageBuffer& Picture::pixels() const {
    std::call_once(decoded_, [this] {
        if (!decode_) return;
        pixels_ = decode_();
        decode_ = nullptr;
    });
    return pixels_;
}

SharedPicture makePicture(imaging::ImageBuffer pixels) {
    if (pixels.isEmpty()) return {};
    return std::make_shared<const Picture>(std::move(pixels));
}

QImage sharedQImage(const SharedPicture& picture) {
    if (!picture || picture->isEmpty()) return {};
    const imaging::ImageBuffer& pixels = picture->pixels();
    if (pixels.isEmpty()) return {};
    auto* owner = new SharedPicture(picture);
    QImage image(
        pixels.data(), pixels.width(), pixels.height(), static_cast<qsizetype>(pixels.stride()), QImage::Format_BGR888,
        [](void* held) { delete static_cast<SharedPicture*>(held); }, owner);
    if (image.isNull()) delete owner;  // Qt calls the cleanup only for an image it made
    return image;
}

namespace {

// Our pictures' blue-green-red bytes as 32-bit RGB, the same pixels as Qt's conversion gives,
// in one plain pass on the calling thread (Qt's general path costs several times as much and
// spreads over its pool threads, which the window's own thread then waits for).
QImage rgb32FromBgr888(const QImage& image) {
    QImage rgb(image.size(), QImage::Format_RGB32);
    if (rgb.isNull()) return rgb;
    const int width = image.width();
    for (int y = 0; y < image.height(); ++y) {
        const uchar* in = image.constScanLine(y);
        auto* out = reinterpret_cast<QRgb*>(rgb.scanLine(y));
        for (int x = 0; x < width; ++x, in += 3) out[x] = qRgb(in[2], in[1], in[0]);
    }
    return rgb;
}

}  // namespace

QImage displayImage(const QImage& image, QSize size) {
    if (image.isNull() || size.isEmpty()) return {};
    // Qt's smooth scaling converts an opaque picture to 32-bit RGB first, so converting here
    // gives the same pixels and lets one conversion serve every size.
    QImage rgb = image.format() == QImage::Format_RGB32    ? image
                 : image.format() == QImage::Format_BGR888 ? rgb32FromBgr888(image)
                                                           : image.convertToFormat(QImage::Format_RGB32);
    if (rgb.size() == size) return rgb;
    // Down to half in each direction, bilinear sampling already weighs every source pixel (at
    // exactly half it is the mean of each 2 x 2 block) and costs a third of Qt's area
    // averaging, which a deeper reduction needs so as not to skip pixels.
    if (size.width() * 2 >= rgb.width() && size.height() * 2 >= rgb.height()) {
        QImage scaled(size, QImage::Format_RGB32);
        if (scaled.isNull()) return scaled;
        QPainter painter(&scaled);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(QPoint(0, 0), size), rgb);
        return scaled;
    }
    return rgb.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

imaging::ImageBuffer fromQImage(const QImage& image) {
    if (image.isNull()) return {};
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    imaging::ImageBuffer buffer(bgr.width(), bgr.height());
    const std::size_t rowBytes = static_cast<std::size_t>(bgr.width()) * 3;
    for (int y = 0; y < bgr.height(); ++y) std::memcpy(buffer.row(y), bgr.constScanLine(y), rowBytes);
    return buffer;
}

}  // namespace keldar::ui
