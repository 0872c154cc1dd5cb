#pragma once

#include <optional>

#include <QImage>

#include "ui/app/Page.h"

namespace keldar::ui {

class ImageView;

// The play page: a workbench for bitmap, canvas and clipboard experiments, reached only by a
// hidden menu item.
class TForm30 : public Page {
    Q_OBJECT
public:
    TForm30(Workbench& workbench, platform::Platform& platform);

    // --- The commands of the buttons ---
    void captureRectangle();    // "Capture rectangle to the right"
    void assignClipboard();     // "Clipboard Assign"
    void showClipboard();       // "Show Clipboard Above"
    void showWorkBitmap();      // "Show MyBmp" and "Image3 = MyBmp"
    void clearClipboard();      // "Clear Clipboard"
    void drawAlpha();           // "Draw Alpha"
    void copyRectangle();       // "Rect Src Rect Dest"
    void closePage();           // "Close"

    // Draws the BMP file `fileName` once on the page's own surface at (x, y); the next repaint
    // removes it. A missing file is reported instead.
    void drawBitmap(const QString& fileName, int x, int y);

    const QImage& workBitmap() const { return workBitmap_; }
    // What the lower picture holds: nothing, an empty bitmap (a null image) or a picture.
    const std::optional<QImage>& lowerPicture() const { return lower_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void setLowerPicture(const QImage& picture);

    QImage workBitmap_;
    std::optional<QImage> lower_;
    ImageView* lowerView_ = nullptr;
    QImage pendingDrawing_;  // drawn by the next paint only
    QPoint pendingAt_;
};

}  // namespace keldar::ui
