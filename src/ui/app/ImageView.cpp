#include "ui/app/ImageView.h"

#include <algorithm>

#include <QPaintEvent>
#include <QPainter>
#include <QVariant>

namespace keldar::ui {

namespace {

// Enough for both sizes of a stretch switch and a window being resized; each is at most the
// view's size in 32-bit pixels.
constexpr std::size_t kDisplayImagesKept = 3;

const imaging::ImageBuffer kNoPicture;

}  // namespace

QRect fitPictureRect(QSize picture, QSize view, bool stretch) {
    if (picture.isEmpty() || view.isEmpty()) return {};
    QSize shown = picture;
    if (stretch || picture.width() > view.width() || picture.height() > view.height())
        shown = picture.scaled(view, Qt::KeepAspectRatio);
    if (shown.isEmpty()) shown = shown.expandedTo(QSize(1, 1));
    return QRect(QPoint((view.width() - shown.width()) / 2, (view.height() - shown.height()) / 2), shown);
}

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
    // Every pixel is painted here, so the parent's background is not filled under the picture
    // first: for a large view that fill cost as much as drawing the picture.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setDesignSize(designSize_);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ImageView::setDesignSize(QSize size) {
    designSize_ = size;
    setProperty("designSize", size);
    setMinimumSize(size);
}

void ImageView::setPicture(const imaging::ImageBuffer& picture) { setPicture(makePicture(picture)); }

void ImageView::setPicture(SharedPicture picture, const std::vector<QImage>& ready) {
    if (picture && picture->isEmpty()) picture.reset();
    if (picture == picture_) {
        for (const QImage& image : ready) keep(image);
        return;
    }
    picture_ = std::move(picture);
    image_ = QImage();  // made when first needed: the picture's pixels may not have been read yet
    scaled_.clear();
    for (const QImage& image : ready) keep(image);
    update();
}

void ImageView::clearPicture() { setPicture(SharedPicture()); }

const imaging::ImageBuffer& ImageView::picture() const { return picture_ ? picture_->pixels() : kNoPicture; }

const QImage& ImageView::image() const {
    if (image_.isNull() && picture_) image_ = sharedQImage(picture_);
    return image_;
}

QSize ImageView::pictureSize() const { return picture_ ? picture_->size() : QSize(); }

void ImageView::setStretch(bool stretch) {
    if (stretch_ == stretch) return;
    stretch_ = stretch;
    update();
}

QRect ImageView::pictureRect() const { return fitPictureRect(pictureSize(), size(), stretch_); }

QSize ImageView::sizeHint() const { return minimumSize(); }

void ImageView::keep(const QImage& image) {
    if (image.isNull()) return;
    const auto same = std::find_if(scaled_.begin(), scaled_.end(),
                                   [&](const QImage& kept) { return kept.size() == image.size(); });
    if (same != scaled_.end()) return;
    scaled_.insert(scaled_.begin(), image);
    if (scaled_.size() > kDisplayImagesKept) scaled_.pop_back();
}

const QImage& ImageView::displayImageAt(QSize size) {
    auto found = std::find_if(scaled_.begin(), scaled_.end(), [&](const QImage& kept) { return kept.size() == size; });
    if (found == scaled_.end()) {
        // A copy of the picture already in display form scales without a second conversion.
        const auto whole = std::find_if(scaled_.begin(), scaled_.end(),
                                        [&](const QImage& kept) { return kept.size() == pictureSize(); });
        keep(displayImage(whole != scaled_.end() ? *whole : image(), size));
        return scaled_.front();
    }
    std::rotate(scaled_.begin(), found, found + 1);  // the most recently drawn stays longest
    return scaled_.front();
}

void ImageView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect target = hasPicture() ? pictureRect() : QRect();
    // What the picture leaves uncovered shows the background, as through a transparent view.
    QRegion margins(event->rect());
    if (!target.isEmpty()) margins -= target;
    const QBrush background = palette().brush(backgroundRole());
    for (const QRect& margin : margins) painter.fillRect(margin, background);
    if (target.isEmpty() || !event->rect().intersects(target)) return;
    painter.drawImage(target.topLeft(), displayImageAt(target.size()));
}

}  // namespace keldar::ui
