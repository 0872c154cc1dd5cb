#include "ui/stereo/StereoUnit2.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ActionGuard.h"
#include "ui/app/Controls.h"
#include "ui/app/ImageView.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"
#include "ui/stereo/ColourUnit19.h"
#include "ui/stereo/StereoHandOff.h"

namespace keldar::ui {

namespace {

struct LineDesign {
    StereoLine line;
    const char* name;
    const char* designText;
};

// Object names describe the line; the design texts are what the viewer shows until filled.
constexpr LineDesign kLineDesigns[kStereoLineCount] = {
    {StereoLine::RightEyeFile, "rightEyeFileLine", "Right eye filename"},
    {StereoLine::LeftEyeFile, "leftEyeFileLine", "Left eye filename"},
    {StereoLine::RightEyeFilter, "rightEyeFilterLine", "Filter"},
    {StereoLine::LeftEyeFilter, "leftEyeFilterLine", "Filter"},
    {StereoLine::MarsTime, "marsTimeLine", "Local Martian Standard time."},
    {StereoLine::Local, "localLine", "Earth Time"},
    {StereoLine::Utc, "utcLine", "Earth Time"},
    {StereoLine::Rover, "roverLine", "Rover"},
    {StereoLine::Camera, "cameraLine", "Camera"},
    {StereoLine::Sol, "solLine", "0"},
    {StereoLine::Directory, "directoryLine", ""},
};

const QString kClipboardMessage = QStringLiteral("Image saved to clipboard!");
const QString kCrossEyedMessage = QStringLiteral("Scanline image joining not yet implemented! Use the clipboard");

QString inDirectory(const QString& directory, const QString& name) {
    if (directory.isEmpty() || directory.endsWith(QLatin1Char('/'))) return directory + name;
    return directory + QLatin1Char('/') + name;
}

}  // namespace

TForm2::TForm2(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm2"), QStringLiteral("MER Images Stereo Viewer"),
           QSize(800, 600), ScreenFitMode::Full) {
    const QColor ink(Qt::black);
    for (const LineDesign& design : kLineDesigns) {
        QLabel* label = makeValueLabel(this, QString::fromLatin1(design.name), QString::fromLatin1(design.designText), ink);
        label->setWordWrap(true);
        lines_[static_cast<std::size_t>(design.line)] = label;
    }
    lineLabel(StereoLine::Utc)->setVisible(false);
    lineLabel(StereoLine::Directory)->setVisible(false);

    image1_ = new ImageView(this);
    image1_->setObjectName(QStringLiteral("Image1"));
    // Less tall than wide: on an 800 x 600 screen the lines, notes and buttons beneath take the
    // rest of the height that a title bar leaves. The views grow with the window.
    image1_->setDesignSize(QSize(393, 340));
    image2_ = new ImageView(this);
    image2_->setObjectName(QStringLiteral("Image2"));
    image2_->setDesignSize(QSize(393, 340));
    workbench.registerStretchView(image1_);
    workbench.registerStretchView(image2_);
    // A partner that was not found hides its view; its column keeps its width, so the other
    // image stays on its own side and the texts beneath do not wrap.
    for (ImageView* view : {image1_, image2_}) {
        QSizePolicy policy = view->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        view->setSizePolicy(policy);
    }

    // Top: rover, camera and sol.
    auto* top = new QHBoxLayout;
    top->addWidget(makeLabel(this, {}, QStringLiteral("Image by MER")));
    top->addWidget(lineLabel(StereoLine::Rover));
    top->addSpacing(12);
    top->addWidget(lineLabel(StereoLine::Camera), 1);
    top->addWidget(makeLabel(this, {}, QStringLiteral("Rover relative Martian SOL")));
    top->addWidget(lineLabel(StereoLine::Sol));

    // The pair, each image with its file, filter and time beneath it.
    auto* pair = new QGridLayout;
    pair->addWidget(image1_, 0, 0);
    pair->addWidget(image2_, 0, 1);
    pair->addWidget(lineLabel(StereoLine::RightEyeFile), 1, 0);
    pair->addWidget(lineLabel(StereoLine::LeftEyeFile), 1, 1);
    pair->addWidget(lineLabel(StereoLine::RightEyeFilter), 2, 0);
    pair->addWidget(lineLabel(StereoLine::LeftEyeFilter), 2, 1);
    pair->addWidget(lineLabel(StereoLine::MarsTime), 3, 0);
    pair->addWidget(lineLabel(StereoLine::Local), 3, 1);
    // The lines beneath keep a line's height however little room the screen leaves; the
    // file names have no blanks to wrap at.
    for (StereoLine line : {StereoLine::RightEyeFile, StereoLine::LeftEyeFile}) lineLabel(line)->setWordWrap(false);
    for (int row = 1; row <= 3; ++row) pair->setRowMinimumHeight(row, fontMetrics().lineSpacing());
    pair->setRowStretch(0, 1);
    pair->setColumnStretch(0, 1);
    pair->setColumnStretch(1, 1);
    pair->setHorizontalSpacing(4);

    auto* instructions = new QVBoxLayout;
    instructions->setSpacing(0);
    for (const QString& text :
         {QStringLiteral("To view in stereo, sit about 30 - 60 cm from this picture, and look at the right image with "
                         "your left eye, and the left image with your right eye."),
          QStringLiteral("In other words, cross your eyes until the two images merge into a third in between the two."),
          QStringLiteral("You may find it of assistance if you blur or defocus your eyes first, form the third image, "
                         "and then bring your eyes back into focus for a sharp picture.")}) {
        QLabel* label = makeLabel(this, {}, text);
        label->setWordWrap(true);
        instructions->addWidget(label);
    }

    QPushButton* close = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Close"));
    QPushButton* previous = makeButton(this, QStringLiteral("Button4"), QStringLiteral("PREVIOUS IMAGE"));
    QPushButton* anaglyph = makeButton(this, QStringLiteral("Button5"), QStringLiteral("Anaglyph This"));
    QPushButton* crossEyed = makeButton(this, QStringLiteral("Button7"), QStringLiteral("Save as X-eyed"));
    QPushButton* manual = makeButton(this, QStringLiteral("Button6"), QStringLiteral("Manual Stereo"));
    QPushButton* next = makeButton(this, QStringLiteral("Button3"), QStringLiteral("NEXT IMAGE"));
    QPushButton* print = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Print"));
    connectGuarded(close, &TForm2::closeViewer);
    connectGuarded(previous, &TForm2::previousImage);
    connectGuarded(anaglyph, &TForm2::anaglyphThis);
    connectGuarded(crossEyed, &TForm2::saveAsCrossEyed);
    connectGuarded(manual, &TForm2::manualStereo);
    connectGuarded(next, &TForm2::nextImage);
    connectGuarded(print, &TForm2::printWindow);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {close, previous, anaglyph, crossEyed, manual, next, print}) buttons->addWidget(button);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 4, 2, 4);
    layout->setSpacing(4);
    layout->addLayout(top);
    layout->addLayout(pair, 1);
    layout->addLayout(instructions);
    layout->addWidget(makeLabel(this, {}, QStringLiteral("Images NASA / Planetary Data System")));
    layout->addLayout(buttons);

    fitToScreen();
}

QString TForm2::line(StereoLine which) const { return lineLabel(which)->text(); }

void TForm2::setLine(StereoLine which, const QString& text) { showText(lineLabel(which), text); }

void TForm2::connectGuarded(QPushButton* button, void (TForm2::*command)()) {
    connect(button, &QPushButton::clicked, this,
            [this, command] { platform::runGuarded(platform_, this, [this, command] { (this->*command)(); }); });
}

void TForm2::stepMainWindow(int step) {
    TForm1& main = workbench_.mainWindow();
    main.selectFile(main.selectedFileIndex() + step);
    main.runImageAction();
}

void TForm2::nextImage() {
    const ViewerState& state = workbench_.mainWindow().viewerState();
    stepMainWindow(state.eyeLetterVariable == QLatin1String("L") ? 1 : 2);
    runStereoHandOff(workbench_);
    if (state.showStereo) runStereoAction(workbench_);
}

void TForm2::previousImage() {
    ViewerState& state = workbench_.mainWindow().viewerState();
    stepMainWindow(state.eyeLetterVariable == QLatin1String("R") ? -1 : -2);
    runStereoHandOff(workbench_);
    state.steppingBack = true;
    if (state.showStereo) runStereoAction(workbench_);
}

void TForm2::anaglyphThis() {
    setLine(StereoLine::LeftEyeFilter, QString());
    const QString& directory = workbench_.mainWindow().viewerState().currentDirectory;
    workbench_.anaglyphPage().fillFromStereoPair(inDirectory(directory, line(StereoLine::RightEyeFile)),
                                                 inDirectory(directory, line(StereoLine::LeftEyeFile)));
}

QImage TForm2::clientImage() { return grab().toImage(); }

void TForm2::printWindow() {
    const auto* printToClipboard = workbench_.mainWindow().findChild<QCheckBox*>(QStringLiteral("CheckBox4"));
    const QImage image = clientImage();
    if (printToClipboard != nullptr && printToClipboard->isChecked()) {
        platform_.copyImageToClipboard(image);
        platform_.information(this, kClipboardMessage);
    } else {
        platform_.printImage(this, image);
    }
}

void TForm2::saveAsCrossEyed() { platform_.information(this, kCrossEyedMessage); }

void TForm2::manualStereo() { runManualStereoHandOff(workbench_); }

void TForm2::closeViewer() {
    workbench_.mainWindow().viewerState().showStereo = false;
    close();
}

}  // namespace keldar::ui
