#include "ui/app/ScreenFit.h"

#include <algorithm>

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QVariant>
#include <QWidget>

namespace keldar::ui {

ScreenFitResult computeScreenFit(const ScreenMetrics& screen, QSize designSize, bool scaleFonts) {
    ScreenFitResult result;
    long long width = designSize.width();
    long long height = designSize.height();
    if (screen.logicalDpi > 96) {
        width = width * 96 / screen.logicalDpi;
        height = height * 96 / screen.logicalDpi;
        result.contentScale = 96.0 / screen.logicalDpi;
    }
    if (screen.width != kDesignScreenWidth) {
        height = static_cast<long long>(screen.height) * height / kDesignScreenHeight;
        width = static_cast<long long>(screen.width) * width / kDesignScreenWidth;
        result.contentScale *= static_cast<double>(screen.width) / kDesignScreenWidth;
    }
    result.fontFactor = scaleFonts ? std::max(1, screen.width / kDesignScreenWidth) : 1;
    width = std::clamp<long long>(width, 1, std::max(1, screen.width));
    height = std::clamp<long long>(height, 1, std::max(1, screen.height));
    result.windowSize = QSize(static_cast<int>(width), static_cast<int>(height));
    return result;
}

ScreenMetrics screenMetricsFor(const QWidget& widget) {
    const QScreen* screen = widget.screen();
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    ScreenMetrics metrics;
    if (screen != nullptr) {
        const QSize size = screen->size();
        metrics.width = size.width();
        metrics.height = size.height();
        metrics.logicalDpi = static_cast<int>(screen->logicalDotsPerInch() + 0.5);
    }
    return metrics;
}

ScreenFitResult applyScreenFit(QWidget& window, QSize designSize, bool scaleFonts) {
    return applyScreenFit(window, designSize, scaleFonts, screenMetricsFor(window));
}

ScreenFitResult applyScreenFit(QWidget& window, QSize designSize, bool scaleFonts,
                               const ScreenMetrics& screen) {
    const ScreenFitResult fit = computeScreenFit(screen, designSize, scaleFonts);
    window.resize(fit.windowSize);

    // Controls keep their proportions to the window: their designed sizes grow with it.
    for (QWidget* control : window.findChildren<QWidget*>()) {
        const QVariant design = control->property("designSize");
        if (design.isValid()) {
            const QSize size = design.toSize();
            control->setMinimumSize(static_cast<int>(size.width() * fit.contentScale),
                                    static_cast<int>(size.height() * fit.contentScale));
        }
    }

    if (fit.fontFactor != 1) {
        // The controls placed directly on the window: on a main window, those on its centre.
        QWidget* surface = &window;
        if (auto* mainWindow = qobject_cast<QMainWindow*>(&window); mainWindow != nullptr &&
                                                                    mainWindow->centralWidget())
            surface = mainWindow->centralWidget();
        for (QWidget* control : surface->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            QFont font = control->font();
            if (font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() * fit.fontFactor);
            else if (font.pixelSize() > 0) font.setPixelSize(font.pixelSize() * fit.fontFactor);
            control->setFont(font);
        }
    }
    return fit;
}

}  // namespace keldar::ui
