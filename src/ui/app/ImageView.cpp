#include "ui/app/ImageView.h"

#include <QPainter>
#include <QVariant>

#include "ui/app/ImageConversion.h"

namespace keldar::ui {

QRect fitPictureRect(QSize picture, QSize view, bool stretch) {
    if (picture.isEmpty() || view.isEmpty()) return {};
    QSize shown = picture;
    if (stretch || picture.width() > view.width() || picture.height() > view.height())
        shown = picture.scaled(view, Qt::KeepAspectRatio);
    if (shown.isEmpty()) shown = shown.expandedTo(QSize(1, 1));
    return QRect(QPoint((view.width() - shown.width()) / 2, (view.height() - shown.height()) / 2), shown);
}

ImageView::ImageView(QWidget* parent) : QWidget(parent) {
    setDesignSize(designSize_);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ImageView::setDesignSize(QSize size) {
    designSize_ = size;
    setProperty("designSize", size);
    setMinimumSize(size);
}

void ImageView::setPicture(const imaging::ImageBuffer& picture) {
    picture_ = picture;
    image_ = toQImage(picture_);
    scaled_ = QPixmap();
    update();
}

void ImageView::clearPicture() { setPicture({}); }

void ImageView::setStretch(bool stretch) {
    if (stretch_ == stretch) return;
    stretch_ = stretch;
    scaled_ = QPixmap();
    update();
}

QRect ImageView::pictureRect() const { return fitPictureRect(image_.size(), size(), stretch_); }

QSize ImageView::sizeHint() const { return minimumSize(); }

void ImageView::resizeEvent(QResizeEvent* event) {
    scaled_ = QPixmap();
    QWidget::resizeEvent(event);
}

void ImageView::paintEvent(QPaintEvent*) {
    if (image_.isNull()) return;
    const QRect target = pictureRect();
    if (target.isEmpty()) return;
    if (scaled_.size() != target.size()) {
        scaled_ = QPixmap::fromImage(target.size() == image_.size()
                                         ? image_
                                         : image_.scaled(target.size(), Qt::IgnoreAspectRatio,
                                                         Qt::SmoothTransformation));
    }
    QPainter painter(this);
    painter.drawPixmap(target.topLeft(), scaled_);
}

}  // namespace keldar::ui
