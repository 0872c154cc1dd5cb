#include "ui/app/FrameFit.h"

#include <algorithm>

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace keldar::ui {

namespace {

// How long a shown window is watched for its frame: a second and a half at most.
constexpr int kFramePollMilliseconds = 50;
constexpr int kFramePollTries = 30;

int placeWithin(int start, int length, int areaStart, int areaLength) {
    if (length >= areaLength) return areaStart;
    return std::clamp(start, areaStart, areaStart + areaLength - length);
}

}  // namespace

QRect fitFrameInto(const QRect& client, const QMargins& frame, const QRect& available, QSize minimum) {
    const int horizontal = frame.left() + frame.right();
    const int vertical = frame.top() + frame.bottom();
    const int width = std::max(std::min(client.width(), available.width() - horizontal), minimum.width());
    const int height = std::max(std::min(client.height(), available.height() - vertical), minimum.height());
    const int frameX = placeWithin(client.x() - frame.left(), width + horizontal, available.x(), available.width());
    const int frameY = placeWithin(client.y() - frame.top(), height + vertical, available.y(), available.height());
    return QRect(frameX + frame.left(), frameY + frame.top(), width, height);
}

void FrameFit::watch(QWidget& window) { window.installEventFilter(this); }

bool FrameFit::fitNow(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return false;
    const QRect client = window.geometry();
    const QRect outer = window.frameGeometry();
    const QMargins frame(client.left() - outer.left(), client.top() - outer.top(), outer.right() - client.right(),
                         outer.bottom() - client.bottom());
    const QRect fitted = fitFrameInto(client, frame, screen->availableGeometry(), window.minimumSize());
    if (fitted.size() != client.size()) window.resize(fitted.size());
    // A window's position is its frame's.
    const QPoint frameTopLeft = fitted.topLeft() - QPoint(frame.left(), frame.top());
    if (frameTopLeft != outer.topLeft()) window.move(frameTopLeft);
    return !frame.isNull();
}

void FrameFit::awaitFrame(QWidget& window, int triesLeft) {
    // The window manager frames a new window a moment after it is mapped, and the toolkit
    // learns the frame's size without telling the window: look again until it is known.
    QPointer<QWidget> watched(&window);
    QTimer::singleShot(kFramePollMilliseconds, this, [this, watched, triesLeft] {
        if (watched.isNull() || !watched->isVisible()) return;
        if (!fitNow(*watched) && triesLeft > 1) awaitFrame(*watched, triesLeft - 1);
    });
}

bool FrameFit::eventFilter(QObject* watched, QEvent* event) {
    auto* window = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::Show && window != nullptr && window->isWindow() && !fitNow(*window))
        awaitFrame(*window, kFramePollTries);
    return QObject::eventFilter(watched, event);
}

}  // namespace keldar::ui
