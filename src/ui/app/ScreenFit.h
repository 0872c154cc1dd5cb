#pragma once
// Screen fit: every window is designed for an 800 x 600 screen at 96 dots per inch and is
// adapted to the real screen when it is created.

#include <QSize>

class QWidget;

namespace keldar::ui {

struct ScreenMetrics {
    int width = 800;
    int height = 600;
    int logicalDpi = 96;
};

struct ScreenFitResult {
    QSize windowSize;          // after scaling and clamping to the screen
    double contentScale = 1;   // factor for the designed sizes of the controls
    int fontFactor = 1;        // font sizes are multiplied by this (1 when fonts are left out)
};

// Design screen of every window.
inline constexpr int kDesignScreenWidth = 800;
inline constexpr int kDesignScreenHeight = 600;

// Pure arithmetic. A large-font setting (more than 96 dpi) shrinks the window by 96 / dpi; a
// screen of another width scales the height by screen height / 600 and the width by screen
// width / 800 (integer arithmetic, product first); fonts grow by whole steps of 800 pixels of
// width but never below a factor of 1 (a factor of 0 would make the text vanish); the result
// never exceeds the screen. `scaleFonts` false leaves fonts alone (factor 1).
ScreenFitResult computeScreenFit(const ScreenMetrics& screen, QSize designSize, bool scaleFonts);

// The metrics of the screen the widget is on (the primary screen when it has none yet).
ScreenMetrics screenMetricsFor(const QWidget& widget);

// Applies the fit to a top-level window: its size, the minimum sizes of the controls that
// carry a "designSize" property, and the fonts of the controls placed directly on it.
ScreenFitResult applyScreenFit(QWidget& window, QSize designSize, bool scaleFonts);
ScreenFitResult applyScreenFit(QWidget& window, QSize designSize, bool scaleFonts,
                               const ScreenMetrics& screen);

}  // namespace keldar::ui
