#pragma once
// Keeps a window's whole frame on the screen. The screen fit at creation sizes the client
// area; a window manager then adds a title bar and borders, which would push the bottom row
// of buttons under the screen's edge. When a window is shown, and again once the window
// manager has told its frame, the window is shrunk by what overhangs and moved inside the
// screen's available area (panels excluded).

#include <QMargins>
#include <QObject>
#include <QRect>
#include <QSize>

class QWidget;

namespace keldar::ui {

// Pure arithmetic: the client geometry whose frame (`frame` around it) lies within
// `available`, as close to `client` as it can be. The size shrinks no further than `minimum`;
// a frame larger than the area even then is placed at its top-left.
QRect fitFrameInto(const QRect& client, const QMargins& frame, const QRect& available, QSize minimum);

// Watches the windows it is installed on (an event filter): on show, and once more when the
// window manager's frame has become known, the frame is fitted to the screen. Later moves are
// the user's and are left alone.
class FrameFit final : public QObject {
public:
    explicit FrameFit(QObject* parent = nullptr) : QObject(parent) {}
    void watch(QWidget& window);
    // Fits `window`'s frame as it stands now; true when the frame is known (not bare).
    static bool fitNow(QWidget& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void awaitFrame(QWidget& window, int triesLeft);
};

}  // namespace keldar::ui
