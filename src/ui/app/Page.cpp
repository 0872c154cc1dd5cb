#include "ui/app/Page.h"

#include <QGuiApplication>
#include <QScreen>

#include "ui/app/ScreenFit.h"

namespace keldar::ui {

Page::Page(Workbench& workbench, platform::Platform& platform, const QString& name,
           const QString& caption, QSize designSize, ScreenFitMode fit)
    : QWidget(nullptr, Qt::Window), workbench_(workbench), platform_(platform),
      designSize_(designSize), fit_(fit) {
    setObjectName(name);
    setWindowTitle(caption);
    resize(designSize);
}

void Page::fitToScreen() {
    if (fit_ == ScreenFitMode::None) return;
    applyScreenFit(*this, designSize_, fit_ == ScreenFitMode::Full);
}

void Page::showPage() {
    show();
    raise();
    activateWindow();
}

void Page::centreOnScreen() {
    const QScreen* screen = this->screen();
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

}  // namespace keldar::ui
