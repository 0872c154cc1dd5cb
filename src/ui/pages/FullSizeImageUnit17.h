#pragma once

#include <QImage>

#include "ui/app/Page.h"

class QLabel;
class QScrollArea;

namespace keldar::ui {

// The full-size image page: the current image at its true pixel size in a maximised window
// that scrolls when the image is larger than the window.
class TForm17 : public Page {
    Q_OBJECT
public:
    TForm17(Workbench& workbench, platform::Platform& platform);

    // The page's picture becomes a copy of `image`, then the page is shown.
    void showImage(const QImage& image);
    // Shows the page maximised with whatever picture it holds.
    void showPage();

    const QImage& image() const { return image_; }
    QLabel& picture() const { return *picture_; }
    QScrollArea& scrollArea() const { return *scrollArea_; }

private:
    QImage image_;
    QScrollArea* scrollArea_ = nullptr;
    QWidget* surface_ = nullptr;  // what scrolls: the picture and its offset from the corner
    QLabel* picture_ = nullptr;
};

// The scrolled surface that holds a picture of `picture` size at `offset` from its top-left
// corner: it ends where the picture ends, so scroll bars appear only when the picture itself
// reaches past the window.
QSize fullSizeSurface(QSize picture, QPoint offset);

}  // namespace keldar::ui
