#pragma once
// A picture view: shows a 24-bit picture centred and in proportion. Without stretch a small
// picture keeps its own size and only a larger one is reduced to fit; with stretch every
// picture is scaled to fill the view.

#include <QImage>
#include <QPixmap>
#include <QWidget>

#include "core/imaging/ImageBuffer.h"

namespace keldar::ui {

class ImageView : public QWidget {
    Q_OBJECT
public:
    explicit ImageView(QWidget* parent = nullptr);

    // The designed size; the screen fit scales it with the window.
    void setDesignSize(QSize size);

    void setPicture(const imaging::ImageBuffer& picture);
    void clearPicture();
    const imaging::ImageBuffer& picture() const { return picture_; }
    const QImage& image() const { return image_; }
    bool hasPicture() const { return !picture_.isEmpty(); }

    void setStretch(bool stretch);
    bool stretch() const { return stretch_; }

    // Where the picture is drawn inside the view for the current size and mode.
    QRect pictureRect() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    imaging::ImageBuffer picture_;
    QImage image_;
    QPixmap scaled_;  // the picture at pictureRect()'s size, made when size or picture change
    bool stretch_ = false;
    QSize designSize_{361, 363};
};

// Where a picture of `picture` size is drawn in a view of `view` size (centred, in proportion).
QRect fitPictureRect(QSize picture, QSize view, bool stretch);

}  // namespace keldar::ui
