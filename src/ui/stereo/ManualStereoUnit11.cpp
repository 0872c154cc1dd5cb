#include "ui/stereo/ManualStereoUnit11.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ActionGuard.h"
#include "ui/app/Controls.h"
#include "ui/app/ImageView.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"
#include "ui/stereo/StereoHandOff.h"
#include "ui/stereo/StereoUnit2.h"

namespace keldar::ui {

namespace {

const QString kLeftEye = QStringLiteral("Left Eye");
const QString kRightEye = QStringLiteral("Right Eye");

ImageView* makePicture(QWidget* parent, const QString& name) {
    auto* view = new ImageView(parent);
    view->setObjectName(name);
    view->setDesignSize(QSize(201, 201));
    return view;
}

}  // namespace

TForm11::TForm11(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm11"), QStringLiteral("Manual Stereo Viewing Filter Selection"),
           QSize(520, 600), ScreenFitMode::Full) {
    const QColor ink(Qt::black);
    currentPicture_ = makePicture(this, QStringLiteral("currentImage"));
    edit1_ = new QLineEdit(current_.fileName, this);
    edit1_->setObjectName(QStringLiteral("Edit1"));
    eye_ = makeValueLabel(this, QStringLiteral("eyeText"), current_.eye, ink);
    camera_ = makeValueLabel(this, QStringLiteral("cameraText"), current_.camera, ink);
    filter_ = makeValueLabel(this, QStringLiteral("filterText"), current_.filter, ink);
    earthTime_ = makeValueLabel(this, QStringLiteral("earthTimeText"), current_.earthTime, ink);
    rover_ = makeValueLabel(this, QStringLiteral("roverText"), current_.rover, ink);
    sol_ = makeValueLabel(this, QStringLiteral("solText"), current_.sol, ink);
    for (QLabel* label : {camera_, filter_, earthTime_}) label->setWordWrap(true);
    leftControls_ = buildLockedSet(QStringLiteral("leftEye"));
    rightControls_ = buildLockedSet(QStringLiteral("rightEye"));
    workbench.registerStretchView(currentPicture_);
    workbench.registerStretchView(leftControls_.picture);
    workbench.registerStretchView(rightControls_.picture);

    // Upper half: the image selected in the main window and its facts.
    auto* facts = new QGridLayout;
    int row = 0;
    facts->addWidget(makeLabel(this, {}, QStringLiteral("Currently Selected File")), row++, 0, 1, 2);
    facts->addWidget(edit1_, row++, 0, 1, 2);
    facts->addWidget(eye_, row++, 0, 1, 2);
    facts->addWidget(camera_, row++, 0, 1, 2);
    facts->addWidget(filter_, row++, 0, 1, 2);
    facts->addWidget(earthTime_, row++, 0, 1, 2);
    facts->addWidget(rover_, row++, 0, 1, 2);
    facts->addWidget(makeLabel(this, {}, QStringLiteral("SOL")), row, 0);
    facts->addWidget(sol_, row++, 1);
    facts->setRowStretch(row, 1);
    facts->setColumnStretch(1, 1);
    auto* upper = new QHBoxLayout;
    upper->addWidget(currentPicture_);
    upper->addLayout(facts, 1);

    // Lower half: the two locked places, the left eye on the left.
    auto* lower = new QGridLayout;
    auto place = [&](int column, const QString& caption, const LockedControls& controls) {
        lower->addWidget(makeLabel(this, {}, caption), 0, column);
        lower->addWidget(controls.picture, 1, column);
        lower->addWidget(controls.fileName, 2, column);
        lower->addWidget(controls.filter, 3, column);
        lower->addWidget(controls.earthTime, 4, column);
    };
    place(0, kLeftEye, leftControls_);
    place(1, kRightEye, rightControls_);

    QPushButton* previous = makeButton(this, QStringLiteral("Button4"), QStringLiteral("Prev."),
                                       QStringLiteral("Show the previous image file"));
    QPushButton* next = makeButton(this, QStringLiteral("Button5"), QStringLiteral("Next"),
                                   QStringLiteral("Show the next image file"));
    QPushButton* lock = makeButton(this, QStringLiteral("Button6"), QStringLiteral("Lock Image"),
                                   QStringLiteral("Lock the selected image into the window below"));
    QPushButton* view = makeButton(this, QStringLiteral("Button3"), QStringLiteral("View in Stereo"),
                                   QStringLiteral("Show the selected images in the Stereo Viewing window"));
    QPushButton* close = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Close"),
                                    QStringLiteral("Close this window"));
    connectGuarded(previous, &TForm11::previousImage);
    connectGuarded(next, &TForm11::nextImage);
    connectGuarded(lock, &TForm11::lockImage);
    connectGuarded(view, &TForm11::viewInStereo);
    connectGuarded(close, &TForm11::closePage);
    auto* steps = new QHBoxLayout;
    for (QPushButton* button : {previous, next, lock}) steps->addWidget(button);
    auto* finish = new QHBoxLayout;
    for (QPushButton* button : {view, close}) finish->addWidget(button);

    // Tight spacing: on an 800 x 600 screen the page and its title bar fit with nothing to spare.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);
    layout->addLayout(upper);
    layout->addLayout(steps);
    layout->addWidget(makeLabel(this, {}, QStringLiteral("Manual Stereo Image Selections")));
    layout->addWidget(makeLabel(this, {}, QStringLiteral("Left and Right Eyes will be swaped for Stereo Viewing")));
    layout->addLayout(lower, 1);
    layout->addLayout(finish);

    fitToScreen();
}

TForm11::LockedControls TForm11::buildLockedSet(const QString& prefix) {
    const ManualStereoLocked design;
    const QColor ink(Qt::black);
    LockedControls controls;
    controls.picture = makePicture(this, prefix + QStringLiteral("Image"));
    controls.fileName = makeValueLabel(this, prefix + QStringLiteral("FileName"), design.fileName, ink);
    controls.filter = makeValueLabel(this, prefix + QStringLiteral("Filter"), design.filter, ink);
    controls.earthTime = makeValueLabel(this, prefix + QStringLiteral("EarthTime"), design.earthTime, ink);
    for (QLabel* label : {controls.fileName, controls.filter, controls.earthTime}) label->setWordWrap(true);
    return controls;
}

void TForm11::connectGuarded(QPushButton* button, void (TForm11::*command)()) {
    connect(button, &QPushButton::clicked, this,
            [this, command] { platform::runGuarded(platform_, this, [this, command] { (this->*command)(); }); });
}

void TForm11::setCurrent(const ManualStereoCurrent& current) {
    current_ = current;
    currentPicture_->setPicture(current.picture);
    edit1_->setText(current.fileName);
    showText(eye_, current.eye);
    showText(camera_, current.camera);
    showText(filter_, current.filter);
    showText(earthTime_, current.earthTime);
    showText(rover_, current.rover);
    showText(sol_, current.sol);
}

ManualStereoCurrent TForm11::current() const {
    ManualStereoCurrent current = current_;
    current.fileName = edit1_->text();
    return current;
}

void TForm11::showLocked(const LockedControls& controls, const ManualStereoLocked& locked) {
    controls.picture->setPicture(locked.picture);
    showText(controls.fileName, locked.fileName);
    showText(controls.filter, locked.filter);
    showText(controls.earthTime, locked.earthTime);
}

void TForm11::stepMainWindow(int step) {
    TForm1& main = workbench_.mainWindow();
    main.selectFile(main.selectedFileIndex() + step);
    main.runImageAction();
}

void TForm11::nextImage() {
    stepMainWindow(1);
    runManualStereoHandOff(workbench_);
}

void TForm11::previousImage() {
    stepMainWindow(-1);
    runManualStereoHandOff(workbench_);
    workbench_.mainWindow().viewerState().steppingBack = true;
}

void TForm11::lockImage() {
    const ManualStereoCurrent now = current();
    ManualStereoLocked locked{now.picture, now.fileName, now.filter, now.earthTime};
    // A monoscopic image (any other eye text) has no place below.
    if (now.eye == kLeftEye) {
        left_ = std::move(locked);
        showLocked(leftControls_, left_);
    } else if (now.eye == kRightEye) {
        right_ = std::move(locked);
        showLocked(rightControls_, right_);
    }
}

void TForm11::viewInStereo() {
    TForm2& viewer = workbench_.stereoViewer();
    viewer.setLine(StereoLine::RightEyeFile, QStringLiteral("Right Eye Filename"));
    viewer.setLine(StereoLine::LeftEyeFile, QStringLiteral("Left Eye Filename"));
    viewer.setLine(StereoLine::RightEyeFilter, QStringLiteral("Filter Unknown"));
    viewer.setLine(StereoLine::LeftEyeFilter, QStringLiteral("Filter Unknown"));
    viewer.setLine(StereoLine::Utc, QStringLiteral("Earth Time"));
    viewer.setLine(StereoLine::Local, QStringLiteral("Earth Time"));

    viewer.setLine(StereoLine::RightEyeFile, right_.fileName);
    viewer.setLine(StereoLine::LeftEyeFile, left_.fileName);
    viewer.setLine(StereoLine::Sol, current_.sol);
    viewer.setLine(StereoLine::Rover, current_.rover);
    viewer.setLine(StereoLine::Camera, current_.camera);
    viewer.setLine(StereoLine::RightEyeFilter, right_.filter);
    viewer.setLine(StereoLine::LeftEyeFilter, left_.filter);
    viewer.setLine(StereoLine::Utc, right_.earthTime);
    viewer.setLine(StereoLine::Local, left_.earthTime);

    // Cross-eyed viewing: the right eye's picture goes on the left.
    viewer.rightEyeView().setPicture(right_.picture);
    viewer.leftEyeView().setPicture(left_.picture);
    viewer.rightEyeView().setVisible(true);
    viewer.leftEyeView().setVisible(true);
    viewer.showPage();
}

void TForm11::closePage() {
    workbench_.mainWindow().viewerState().showStereo = false;
    close();
}

}  // namespace keldar::ui
