#include "ui/pages/PlayUnit30.h"

#include <stdexcept>

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>

#include "core/imaging/ImageFile.h"
#include "platform/ActionGuard.h"
#include "ui/app/Controls.h"
#include "ui/app/ImageConversion.h"
#include "ui/app/ImageView.h"
#include "ui/app/MenuCommands.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"

namespace keldar::ui {

namespace {

// Where the page's pictures stand, in page coordinates.
const QRect kFirstSample(288, 24, 105, 105);
const QRect kSecondSample(392, 24, 105, 105);
const QRect kLowerPicture(288, 136, 210, 105);
const QSize kWorkBitmapSize(210, 105);
const QString kSampleFile = QStringLiteral("AlphaRedSml.BMP");

// The two sample pictures, drawn here: a Martian plain under a dusty sky, and a colour wheel.
QImage samplePicture(int which) {
    QImage picture(105, 105, QImage::Format_RGB32);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    if (which == 0) {
        QLinearGradient sky(0, 0, 0, 60);
        sky.setColorAt(0, QColor(120, 90, 70));
        sky.setColorAt(1, QColor(220, 170, 130));
        painter.fillRect(0, 0, 105, 60, sky);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(240, 240, 220));
        painter.drawEllipse(QPointF(78, 22), 6, 6);
        QLinearGradient ground(0, 60, 0, 105);
        ground.setColorAt(0, QColor(170, 90, 50));
        ground.setColorAt(1, QColor(100, 45, 25));
        painter.fillRect(0, 60, 105, 45, ground);
        painter.setBrush(QColor(80, 40, 25));
        painter.drawEllipse(QRectF(14, 74, 18, 8));
        painter.drawEllipse(QRectF(58, 88, 26, 10));
    } else {
        picture.fill(Qt::black);
        for (int hue = 0; hue < 360; hue += 30) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor::fromHsv(hue, 255, 255));
            painter.drawPie(QRectF(8, 8, 89, 89), hue * 16, 30 * 16);
        }
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPointF(52.5, 52.5), 16, 16);
    }
    return picture;
}

// The picture on "Show Clipboard Above": a small clipboard.
QIcon clipboardIcon() {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(QColor(90, 60, 20));
    painter.setBrush(QColor(200, 150, 80));
    painter.drawRect(2, 2, 11, 13);
    painter.setBrush(Qt::white);
    painter.drawRect(4, 4, 7, 9);
    painter.setBrush(QColor(120, 120, 120));
    painter.drawRect(5, 1, 5, 3);
    return QIcon(picture);
}

ImageView* makePicture(QWidget* parent, const QString& name, const QRect& place) {
    auto* view = new ImageView(parent);
    view->setObjectName(name);
    view->setDesignSize(place.size());
    view->setGeometry(place);
    view->setStretch(true);
    return view;
}

}  // namespace

TForm30::TForm30(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm30"), QStringLiteral("Play Page"), QSize(560, 340),
           ScreenFitMode::None) {
    makePicture(this, QStringLiteral("Image1"), kFirstSample)->setPicture(fromQImage(samplePicture(0)));
    makePicture(this, QStringLiteral("Image2"), kSecondSample)->setPicture(fromQImage(samplePicture(1)));
    lowerView_ = makePicture(this, QStringLiteral("Image3"), kLowerPicture);
    QLabel* watermark = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("Watermark"));
    watermark->setAttribute(Qt::WA_TranslucentBackground);
    watermark->setAlignment(Qt::AlignCenter);
    setTextColour(watermark, Qt::white);
    watermark->setGeometry(kFirstSample.x(), kFirstSample.center().y() - 10, kFirstSample.width(), 20);

    const struct {
        const char* name;
        const char* text;
        QRect place;
    } texts[] = {
        {"Label2", "Destination Bitmap Canvas Size is", {288, 248, 210, 18}},
        {"Label3", "210 x 105", {288, 266, 210, 18}},
        {"Label4", "Maybe implement scanline technology ??", {288, 290, 264, 18}},
        {"Label5", "Add a magnifier option for full size image", {288, 308, 264, 18}},
    };
    for (const auto& text : texts)
        makeLabel(this, QString::fromLatin1(text.name), QString::fromLatin1(text.text))->setGeometry(text.place);

    const struct {
        const char* name;
        const char* caption;
        void (TForm30::*command)();
    } buttons[] = {
        {"Button6", "Capture rectangle to the right", &TForm30::captureRectangle},
        {"Button5", "Clipboard Assign", &TForm30::assignClipboard},
        {"BitBtn1", "Show Clipboard Above", &TForm30::showClipboard},
        {"Button4", "Show MyBmp", &TForm30::showWorkBitmap},
        {"Button9", "Image3 = MyBmp", &TForm30::showWorkBitmap},
        {"Button8", "Clear Clipboard", &TForm30::clearClipboard},
        {"Button7", "Draw Alpha", &TForm30::drawAlpha},
        {"Button10", "Rect Src Rect Dest", &TForm30::copyRectangle},
        {"Button12", "Button12", nullptr},
        {"Button11", "Img3 Pic assign", nullptr},
        {"Button1", "Close", &TForm30::closePage},
    };
    int top = 24;
    for (const auto& entry : buttons) {
        QPushButton* button = makeButton(this, QString::fromLatin1(entry.name), QString::fromLatin1(entry.caption));
        button->setGeometry(24, top, 240, 24);
        top += 26;
        if (entry.command == nullptr) continue;
        const auto command = entry.command;
        connect(button, &QPushButton::clicked, this,
                [this, command] { platform::runGuarded(platform_, this, [this, command] { (this->*command)(); }); });
    }
    findChild<QPushButton*>(QStringLiteral("BitBtn1"))->setIcon(clipboardIcon());
    auto* checkBox = new QCheckBox(QStringLiteral("CheckBox1"), this);
    checkBox->setObjectName(QStringLiteral("CheckBox1"));
    checkBox->setGeometry(24, top + 4, 240, 20);

    fitToScreen();
    centreOnScreen();
}

void TForm30::setLowerPicture(const QImage& picture) {
    lower_ = picture;
    lowerView_->setPicture(fromQImage(picture));
}

void TForm30::captureRectangle() {
    // A new bitmap of the device's kind, not the 24-bit one made at creation.
    workBitmap_ = QImage(kWorkBitmapSize, QImage::Format_RGB32);
    workBitmap_.fill(Qt::black);
    // The lower picture receives the copy at the place the samples have on the page, which
    // lies outside a picture of its own size: mostly nothing visible changes.
    QImage lower = lower_.value_or(QImage());
    if (!lower.isNull()) {
        QPainter painter(&lower);
        painter.drawImage(kFirstSample.topLeft(), workBitmap_, QRect(QPoint(0, 0), kWorkBitmapSize));
    }
    setLowerPicture(lower);
}

void TForm30::assignClipboard() { platform_.copyImageToClipboard(workBitmap_); }

void TForm30::showClipboard() {
    if (!platform_.clipboardHasImage()) return;
    setLowerPicture(platform_.clipboardImage().copy());
}

void TForm30::showWorkBitmap() { setLowerPicture(workBitmap_.copy()); }

void TForm30::clearClipboard() { platform_.clearClipboard(); }

void TForm30::closePage() { close(); }

void TForm30::drawAlpha() {
    drawBitmap(homeFilePath(workbench_.mainWindow().viewerState().homeDirectory, kSampleFile), 5, 5);
}

void TForm30::copyRectangle() {
    // The source rectangle has the first sample's top as its left and its left as its top, so
    // it runs upwards from row 288 to row 105: the strip comes out mirrored top to bottom, and
    // what lies outside the work bitmap is blank.
    const int left = kFirstSample.y();
    const int top = kFirstSample.x();
    const int right = kFirstSample.width() + kSecondSample.width();
    const int bottom = kFirstSample.height();
    QImage strip(right - left, top - bottom, QImage::Format_RGB32);
    strip.fill(Qt::white);
    {
        QPainter painter(&strip);
        painter.drawImage(QPoint(-left, -bottom), workBitmap_);
    }
    // With no picture the lower picture's canvas is a bitmap of its own size; an empty
    // bitmap takes nothing.
    QImage lower = lower_.has_value() ? *lower_ : QImage(kLowerPicture.size(), QImage::Format_RGB32);
    if (!lower_.has_value()) lower.fill(Qt::white);
    if (!lower.isNull()) {
        QPainter painter(&lower);
        painter.drawImage(QRect(QPoint(0, 0), kLowerPicture.size()), strip.mirrored(false, true));
    }
    setLowerPicture(lower);
}

void TForm30::drawBitmap(const QString& fileName, int x, int y) {
    if (!QFileInfo::exists(fileName)) {
        platform_.plainMessage(this, QStringLiteral("The bitmap ") + fileName + QStringLiteral(" was not found!"));
        return;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error(file.errorString().toStdString());
    const QByteArray bytes = file.readAll();
    imaging::ImageResult bitmap =
        imaging::decodeBmp(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
    if (!bitmap.ok()) throw std::runtime_error(fileName.toStdString() + ": " + bitmap.error);
    // Drawn on the screen only: a hidden page has nothing to draw on.
    if (!isVisible()) return;
    pendingDrawing_ = toQImage(bitmap.image);
    pendingAt_ = QPoint(x, y);
    repaint();
}

void TForm30::paintEvent(QPaintEvent* event) {
    Page::paintEvent(event);
    if (pendingDrawing_.isNull()) return;
    QPainter painter(this);
    painter.drawImage(pendingAt_, pendingDrawing_);
    pendingDrawing_ = QImage();
}

}  // namespace keldar::ui
