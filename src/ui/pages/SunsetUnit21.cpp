#include "ui/pages/SunsetUnit21.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/imaging/ImageFile.h"
#include "core/imaging/PixelFunctions.h"
#include "platform/ActionGuard.h"
#include "platform/Platform.h"
#include "ui/app/Controls.h"
#include "ui/app/ImageView.h"

namespace keldar::ui {

namespace {

const QString kPictureFilter = QStringLiteral("Images (*.jpg *.jpeg *.bmp *.img *.JPG *.JPEG *.BMP *.IMG);;All files (*)");

}  // namespace

TForm21::TForm21(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm21"), QStringLiteral("Sunset"), QSize(780, 575),
           ScreenFitMode::Full) {
    // Black, with white bold text.
    setAutoFillBackground(true);
    QPalette night = palette();
    night.setColor(QPalette::Window, Qt::black);
    night.setColor(QPalette::WindowText, Qt::white);
    setPalette(night);

    picture_ = new ImageView(this);
    picture_->setObjectName(QStringLiteral("Image1"));
    picture_->setDesignSize(QSize(553, 553));
    picture_->setStretch(true);

    QPushButton* open = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Open Image"));
    QPushButton* fade = makeButton(this, QStringLiteral("Button4"), QStringLiteral("Initiate Sunset Fade"));
    QPushButton* reinstate = makeButton(this, QStringLiteral("Button5"), QStringLiteral("Re-instate Image"));
    QPushButton* close = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Close"));
    QPushButton* received = makeButton(this, QStringLiteral("Button3"), QStringLiteral("ImageRcvd"));
    received->hide();
    auto guarded = [this](QPushButton* button, void (TForm21::*command)()) {
        connect(button, &QPushButton::clicked, this,
                [this, command] { platform::runGuarded(platform_, this, [this, command] { (this->*command)(); }); });
    };
    guarded(open, &TForm21::openImage);
    guarded(fade, &TForm21::initiateFade);
    guarded(reinstate, &TForm21::reinstateImage);
    guarded(close, &TForm21::closePage);
    guarded(received, &TForm21::receiveImage);

    QLabel* delayCaption = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("Delay"));
    delayEntry_ = new QLineEdit(QStringLiteral("1"), this);
    delayEntry_->setObjectName(QStringLiteral("Edit1"));
    delayEntry_->setMaximumWidth(80);
    nightTime_ = makeLabel(this, QStringLiteral("Label3"), QStringLiteral("Night Time"));
    nightTime_->hide();
    for (QLabel* label : {delayCaption, nightTime_}) {
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
    }

    auto* delayRow = new QHBoxLayout;
    delayRow->addWidget(delayCaption);
    delayRow->addWidget(delayEntry_);
    delayRow->addStretch();
    auto* column = new QVBoxLayout;
    column->addWidget(open);
    column->addWidget(reinstate);
    column->addSpacing(12);
    column->addWidget(fade);
    column->addLayout(delayRow);
    column->addSpacing(12);
    column->addWidget(nightTime_);
    column->addStretch();
    column->addWidget(received);
    column->addWidget(close);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(picture_, 1);
    layout->addLayout(column);

    fitToScreen();
    centreOnScreen();
}

void TForm21::handOver(const imaging::ImageBuffer& image, const QString& currentFilePath) {
    nightTime_->hide();
    received_ = image;
    openFileName_ = currentFilePath;
    receiveImage();
    showPage();
}

void TForm21::receiveImage() { takePicture(received_); }

void TForm21::takePicture(const imaging::ImageBuffer& picture) {
    displayed_ = picture;
    backup_ = displayed_;
    showDisplayed();
}

void TForm21::showDisplayed() {
    picture_->setPicture(displayed_);
    picture_->repaint();
}

void TForm21::openImage() {
    nightTime_->hide();
    const QString path = platform_.openFileName(this, QStringLiteral("Open Image"), openFileName_, kPictureFilter);
    if (path.isEmpty()) return;
    imaging::ImageResult read = imaging::readImageFile(QFile::encodeName(path).toStdString());
    if (!read.ok()) {
        platform_.error(this, QString::fromStdString(read.error));
        return;
    }
    openFileName_ = path;
    takePicture(read.image);
}

void TForm21::reinstateImage() {
    nightTime_->hide();
    displayed_ = backup_;
    showDisplayed();
}

void TForm21::initiateFade() {
    if (fading_) return;
    // Every fade starts from the unfaded picture, also one refused for its delay. The entry is
    // checked before the first pass, so a bad one leaves that picture as it is; user input
    // waits while the fade runs, so the entry cannot change before the last pause.
    reinstateImage();
    const imaging::SunsetDelay delay = imaging::parseSunsetDelay(delayEntry_->text().toStdString());
    if (!delay.ok()) {
        platform_.error(this, QString::fromStdString(delay.error));
        return;
    }
    fading_ = true;
    stopFade_ = false;
    const imaging::SunsetOutcome outcome = imaging::sunsetFade(displayed_, [this, &delay](int) {
        showDisplayed();
        // The pause turns the event loop without user input, so the desktop keeps answering.
        if (delay.milliseconds > 0)
            platform_.pause(delay.milliseconds);
        else
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return !stopFade_;
    });
    fading_ = false;
    if (outcome == imaging::SunsetOutcome::BitmapError) {
        platform_.error(this, QString::fromLatin1(imaging::kSunsetBitmapError));
        return;
    }
    if (outcome == imaging::SunsetOutcome::Completed) nightTime_->show();
}

void TForm21::closePage() { close(); }

void TForm21::closeEvent(QCloseEvent* event) {
    // A fade left running on a hidden page would hold the program for up to a minute.
    if (fading_) stopFade_ = true;
    Page::closeEvent(event);
}

}  // namespace keldar::ui
