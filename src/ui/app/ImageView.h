#pragma once
// A picture view: shows a 24-bit picture centred and in proportion. Without stretch a small
// picture keeps its own size and only a larger one is reduced to fit; with stretch every
// picture is scaled to fill the view.

#include <vector>

#include <QImage>
#include <QWidget>

#include "core/imaging/ImageBuffer.h"
#include "ui/app/ImageConversion.h"

namespace keldar::ui {

class ImageView : public QWidget {
    Q_OBJECT
public:
    explicit ImageView(QWidget* parent = nullptr);

    // The designed size; the screen fit scales it with the window.
    void setDesignSize(QSize size);

    // The view keeps a copy of `picture`.
    void setPicture(const imaging::ImageBuffer& picture);
    // The view shares `picture`. `ready` are display images of it made elsewhere (see
    // displayImage()), used when one has the size drawn. Setting the picture shown again
    // keeps what was scaled for it.
    void setPicture(SharedPicture picture, const std::vector<QImage>& ready = {});
    void clearPicture();
    const imaging::ImageBuffer& picture() const;
    const SharedPicture& sharedPicture() const { return picture_; }
    // The display images made so far for the picture, the most recently drawn first.
    const std::vector<QImage>& displayImages() const { return scaled_; }
    // The picture at full resolution over its own bytes (read now if that was left for later).
    const QImage& image() const;
    bool hasPicture() const { return picture_ && !picture_->isEmpty(); }
    QSize pictureSize() const;

    void setStretch(bool stretch);
    bool stretch() const { return stretch_; }

    // Where the picture is drawn inside the view for the current size and mode.
    QRect pictureRect() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The display image at `size`, from the cache or made now.
    const QImage& displayImageAt(QSize size);
    void keep(const QImage& image);

    SharedPicture picture_;
    mutable QImage image_;         // over picture_'s bytes, once asked for
    std::vector<QImage> scaled_;   // display images at the sizes drawn lately (a window resize
                                   // or the stretch switch back and forth costs no new scaling)
    bool stretch_ = false;
    QSize designSize_{361, 363};
};

// Where a picture of `picture` size is drawn in a view of `view` size (centred, in proportion).
QRect fitPictureRect(QSize picture, QSize view, bool stretch);

}  // namespace keldar::ui
