#include "ui/pages/FullSizeImageUnit17.h"

#include <algorithm>

#include <QLabel>
#include <QPixmap>
#include <QScrollArea>
#include <QVBoxLayout>

namespace keldar::ui {

namespace {

const QPoint kPictureOffset(16, 16);
const QColor kGrey(192, 192, 192);

}  // namespace

QSize fullSizeSurface(QSize picture, QPoint offset) {
    return QSize(offset.x() + std::max(0, picture.width()), offset.y() + std::max(0, picture.height()));
}

TForm17::TForm17(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm17"),
           QStringLiteral("Full size image"), QSize(480, 360), ScreenFitMode::Full) {
    setAutoFillBackground(true);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, kGrey);
    setPalette(grey);

    surface_ = new QWidget;
    surface_->setAutoFillBackground(true);
    surface_->setPalette(grey);
    picture_ = new QLabel(surface_);
    picture_->setObjectName(QStringLiteral("Image1"));
    picture_->move(kPictureOffset);
    picture_->resize(0, 0);
    surface_->resize(fullSizeSurface(QSize(), kPictureOffset));

    scrollArea_ = new QScrollArea(this);
    scrollArea_->setObjectName(QStringLiteral("scrollArea"));
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    scrollArea_->setWidgetResizable(false);
    scrollArea_->setWidget(surface_);
    scrollArea_->viewport()->setAutoFillBackground(true);
    scrollArea_->viewport()->setPalette(grey);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->addWidget(scrollArea_);

    fitToScreen();
    setWindowState(windowState() | Qt::WindowMaximized);
}

void TForm17::showImage(const QImage& image) {
    image_ = image.copy();
    // At 1:1: the label takes the picture's own size and is never scaled.
    picture_->setPixmap(image_.isNull() ? QPixmap() : QPixmap::fromImage(image_));
    picture_->resize(image_.size());
    surface_->resize(fullSizeSurface(image_.size(), kPictureOffset));
    showPage();
}

void TForm17::showPage() {
    // Opens maximised every time, also after the user restored it and closed it.
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowMaximized);
    Page::showPage();
}

}  // namespace keldar::ui
