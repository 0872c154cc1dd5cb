#include "ui/app/ImageConversion.h"

#include <cstring>

namespace keldar::ui {

QImage toQImage(const imaging::ImageBuffer& buffer) {
    if (buffer.isEmpty()) return {};
    const QImage view(buffer.data(), buffer.width(), buffer.height(),
                      static_cast<qsizetype>(buffer.stride()), QImage::Format_BGR888);
    return view.copy();
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
