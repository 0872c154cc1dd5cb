#include "ui/stereo/ColourUnit19.h"

#include <stdexcept>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryFile>
#include <QVBoxLayout>

#include "core/imaging/AnaglyphNaming.h"
#include "core/imaging/ImageFile.h"
#include "core/imaging/PixelFunctions.h"
#include "platform/ActionGuard.h"
#include "ui/app/Controls.h"
#include "ui/app/ImageView.h"
#include "ui/app/PictureSave.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"

namespace keldar::ui {

namespace {

const QString kOpenDirectory = QStringLiteral("All-MER-Images");  // relative to the working directory
const QString kOpenFilter = QStringLiteral("Images (*.jpg *.jpeg *.bmp *.img *.JPG *.JPEG *.BMP *.IMG);;All files (*)");
const QString kSaved = QStringLiteral("SAVED");

std::string fileSystemPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString percentText(int position) { return QString::number(position) + QLatin1Char('%'); }

}  // namespace

TForm19::TForm19(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm19"), QStringLiteral("Anaglyph"), QSize(720, 600),
           ScreenFitMode::Full),
      saveDialog_(platformSaveDialog(platform)) {
    const QColor ink(Qt::black);
    thumbnail1_ = new ImageView(this);
    thumbnail1_->setObjectName(QStringLiteral("rightEyeThumbnail"));
    thumbnail1_->setDesignSize(QSize(153, 153));
    thumbnail2_ = new ImageView(this);
    thumbnail2_->setObjectName(QStringLiteral("leftEyeThumbnail"));
    thumbnail2_->setDesignSize(QSize(153, 153));
    largeView_ = new ImageView(this);
    largeView_->setObjectName(QStringLiteral("anaglyphView"));
    largeView_->setDesignSize(QSize(409, 409));
    largeView_->setStretch(true);

    file1_ = makeValueLabel(this, QStringLiteral("file1Text"), QStringLiteral("File1"), ink);
    file2_ = makeValueLabel(this, QStringLiteral("file2Text"), QStringLiteral("File2"), ink);
    saveName_ = makeValueLabel(this, QStringLiteral("saveNameText"), QStringLiteral("File to save"), ink);
    saveStatus_ = makeValueLabel(this, QStringLiteral("saveStatus"), QString(), ink);
    relativeName_ = makeValueLabel(this, QStringLiteral("proposedRelativeName"), QString(), ink);
    relativeName_->setVisible(false);
    for (QLabel* label : {file1_, file2_, saveName_}) label->setWordWrap(true);

    QPushButton* manual = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Manual Adjustment Controls"));
    QPushButton* save = makeButton(this, QStringLiteral("Button3"), QStringLiteral("Save As"));
    QPushButton* close = makeButton(this, QStringLiteral("Button5"), QStringLiteral("Close"));
    reset_ = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Reset"));
    makeBlue_ = makeButton(this, QStringLiteral("Button4"), QStringLiteral("Make Blue"));
    makeRed_ = makeButton(this, QStringLiteral("Button7"), QStringLiteral("Make Red"));
    makeCyan_ = makeButton(this, QStringLiteral("Button8"), QStringLiteral("Make Cyan"));
    load1_ = makeButton(this, QStringLiteral("Button9"), QStringLiteral("Load image 1 manually (R?)"));
    load2_ = makeButton(this, QStringLiteral("Button10"), QStringLiteral("Load image 2 manually (L?)"));
    connectGuarded(manual, &TForm19::showManualControls);
    connectGuarded(save, &TForm19::saveAs);
    connectGuarded(close, &TForm19::closePage);
    connectGuarded(reset_, &TForm19::reset);
    connectGuarded(makeBlue_, &TForm19::makeBlue);
    connectGuarded(makeRed_, &TForm19::makeRed);
    connectGuarded(makeCyan_, &TForm19::makeCyan);
    connect(load1_, &QPushButton::clicked, this,
            [this] { platform::runGuarded(platform_, this, [this] { loadImage(1); }); });
    connect(load2_, &QPushButton::clicked, this,
            [this] { platform::runGuarded(platform_, this, [this] { loadImage(2); }); });
    for (QPushButton* hidden : {reset_, makeBlue_, makeRed_, makeCyan_, load1_, load2_}) hidden->setVisible(false);

    merge_ = makeSlider(QStringLiteral("ScrollBar1"), 50);
    contrast_ = makeSlider(QStringLiteral("ScrollBar3"), 50);
    brightness_ = makeSlider(QStringLiteral("ScrollBar2"), 0);
    mergeDisplay_ = makeValueLabel(this, QStringLiteral("mergeDisplay"), percentText(merge_->value()), ink);
    contrastDisplay_ = makeValueLabel(this, QStringLiteral("contrastDisplay"), percentText(contrast_->value()), ink);
    brightnessDisplay_ =
        makeValueLabel(this, QStringLiteral("brightnessDisplay"), percentText(brightness_->value()), ink);
    auto* sliders = new QGridLayout;
    int row = 0;
    auto sliderRow = [&](const QString& caption, QScrollBar* slider, QLabel* display) {
        QLabel* label = makeLabel(this, {}, caption);
        display->setMinimumWidth(40);
        sliders->addWidget(label, row, 0);
        sliders->addWidget(slider, row, 1);
        sliders->addWidget(display, row++, 2);
        for (QWidget* control : {static_cast<QWidget*>(label), static_cast<QWidget*>(slider),
                                 static_cast<QWidget*>(display)}) {
            sliderControls_.push_back(control);
            control->setVisible(false);
        }
    };
    sliderRow(QStringLiteral("Merge"), merge_, mergeDisplay_);
    sliderRow(QStringLiteral("Contrast"), contrast_, contrastDisplay_);
    sliderRow(QStringLiteral("Brightness"), brightness_, brightnessDisplay_);
    sliders->setColumnStretch(1, 1);
    for (QScrollBar* slider : {merge_, contrast_, brightness_})
        connect(slider, &QScrollBar::valueChanged, this,
                [this] { platform::runGuarded(platform_, this, [this] { sliderChanged(); }); });

    // Left: the two layers, the right eye's above the left eye's; right: the anaglyph.
    auto* pictures = new QGridLayout;
    pictures->addWidget(thumbnail1_, 0, 0);
    pictures->addWidget(thumbnail2_, 1, 0);
    pictures->addWidget(largeView_, 0, 1, 2, 1);
    pictures->setColumnStretch(1, 1);

    auto* names = new QVBoxLayout;
    names->setSpacing(2);
    for (QLabel* label : {file1_, file2_, saveName_, saveStatus_}) names->addWidget(label);

    auto* manualRow = new QHBoxLayout;
    for (QPushButton* button : {load1_, load2_, makeCyan_, makeBlue_, makeRed_, reset_}) manualRow->addWidget(button);
    manualRow->addStretch(1);
    auto* mainRow = new QHBoxLayout;
    for (QPushButton* button : {manual, save, close}) mainRow->addWidget(button);
    mainRow->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addLayout(pictures, 1);
    layout->addLayout(names);
    layout->addLayout(sliders);
    layout->addLayout(manualRow);
    layout->addLayout(mainRow);

    fitToScreen();
}

QScrollBar* TForm19::makeSlider(const QString& name, int position) {
    auto* slider = new QScrollBar(Qt::Horizontal, this);
    slider->setObjectName(name);
    slider->setRange(imaging::kSliderMin, imaging::kSliderMax);
    slider->setValue(position);
    return slider;
}

void TForm19::connectGuarded(QPushButton* button, void (TForm19::*command)()) {
    connect(button, &QPushButton::clicked, this,
            [this, command] { platform::runGuarded(platform_, this, [this, command] { (this->*command)(); }); });
}

imaging::AnaglyphSettings TForm19::settings() const {
    imaging::AnaglyphSettings settings;
    settings.merge = merge_->value();
    settings.contrast = contrast_->value();
    settings.brightness = brightness_->value();
    return settings;
}

QString TForm19::fileText(int which) const { return which == 1 ? file1_->text() : file2_->text(); }
QString TForm19::saveNameText() const { return saveName_->text(); }
QString TForm19::saveStatusText() const { return saveStatus_->text(); }
QString TForm19::proposedRelativeName() const { return relativeName_->text(); }

void TForm19::setMerge(int position) { merge_->setValue(position); }
void TForm19::setContrast(int position) { contrast_->setValue(position); }
void TForm19::setBrightness(int position) { brightness_->setValue(position); }

void TForm19::fillFromStereoPair(const QString& rightEyePath, const QString& leftEyePath) {
    for (QPushButton* hidden : {reset_, makeBlue_, makeRed_, makeCyan_, load1_, load2_}) hidden->setVisible(false);
    autoLoad_ = true;
    openDialogFileName_ = rightEyePath;
    loadImage(1);
    openDialogFileName_ = leftEyePath;
    loadImage(2);
    showPage();
    image1Loaded_ = true;
    image2Loaded_ = true;
}

void TForm19::loadImage(int which) {
    QString path = openDialogFileName_;
    if (!autoLoad_) {
        path = platform_.openFileName(this, which == 1 ? load1_->text() : load2_->text(), kOpenDirectory, kOpenFilter);
        if (path.isEmpty()) return;
        openDialogFileName_ = path;
    }
    showText(which == 1 ? file1_ : file2_, path);

    imaging::ImageResult read = imaging::readImageFile(fileSystemPath(path));
    if (!read.ok()) throw std::runtime_error(read.error);
    lastOpenedFile_ = path;
    if (which == 1) {
        image1Loaded_ = true;
        image1_ = std::move(read.image);
        thumbnail1_->setPicture(image1_);
        imaging::makeCyan(image1_, cyanLayer_);
        thumbnail1_->setPicture(cyanLayer_);
    } else {
        image2Loaded_ = true;
        image2_ = std::move(read.image);
        thumbnail2_->setPicture(image2_);
        imaging::makeRed(image2_, redLayer_);
        thumbnail2_->setPicture(redLayer_);
    }
    reset();
}

void TForm19::reset() {
    // The merged image alone is never shown; what the user sees comes from the slider changes
    // below. Merge passes through 49, so the last setting always changes it and, with both
    // images loaded, the result is recomputed at 50, 16, 30.
    merge_->setValue(49);
    contrast_->setValue(16);
    brightness_->setValue(30);
    merge_->setValue(50);
}

void TForm19::sliderChanged() {
    showText(mergeDisplay_, percentText(merge_->value()));
    showText(contrastDisplay_, percentText(contrast_->value()));
    showText(brightnessDisplay_, percentText(brightness_->value()));
    if (!image1Loaded_ || !image2Loaded_) return;
    imaging::buildAnaglyphFromLayers(cyanLayer_, redLayer_, settings(), result_);
    largeView_->setPicture(result_);
}

void TForm19::makeBlue() {
    if (image1_.isEmpty()) return;
    imaging::makeBlue(image1_, cyanLayer_);
    thumbnail1_->setPicture(cyanLayer_);
    reset();
}

void TForm19::makeCyan() {
    if (image1_.isEmpty()) return;
    imaging::makeCyan(image1_, cyanLayer_);
    thumbnail1_->setPicture(cyanLayer_);
    reset();
}

void TForm19::makeRed() {
    if (image2_.isEmpty()) return;
    imaging::makeRed(image2_, redLayer_);
    thumbnail2_->setPicture(redLayer_);
    reset();
}

void TForm19::showManualControls() {
    for (QPushButton* button : {reset_, makeBlue_, makeCyan_, load1_, load2_}) button->setVisible(true);
    for (QWidget* control : sliderControls_) control->setVisible(true);
    autoLoad_ = false;
}

void TForm19::closePage() {
    for (QPushButton* button : {makeBlue_, makeRed_, makeCyan_, load1_, load2_}) button->setVisible(false);
    for (QWidget* control : sliderControls_) control->setVisible(false);
    autoLoad_ = false;
    image1Loaded_ = false;
    image2Loaded_ = false;
    showText(file1_, QString());
    showText(file2_, QString());
    showText(saveName_, QString());
    close();
}

QString TForm19::anaglyphDirectory() const {
    const QString& directory = workbench_.mainWindow().viewerState().anaglyphDirectory;
    if (!directory.isEmpty()) return directory;
    // Before the main window has read its first directory there is no home directory yet;
    // the working directory is where that first read will take it from.
    return categoryDirectoriesFor(QDir::currentPath()).anaglyphs;
}

QString TForm19::prepareDirectory(const QString& directory) const {
    return prepareSaveDirectory(directory, QStringLiteral("anaglyph"));
}

void TForm19::saveAs() {
    if (!image1Loaded_ || !image2Loaded_) return;
    const imaging::AnaglyphSettings s = settings();
    const std::string suffix = imaging::anaglyphSettingsSuffix(s.brightness, s.contrast, s.merge);

    // The save dialog opens on the proposed path in the anaglyph directory, so the main
    // window's directory and selection are left as they are: moving its file list there
    // and back would walk both directories with the Image action.
    const QString directory = anaglyphDirectory();
    if (const QString problem = prepareDirectory(directory); !problem.isEmpty()) {
        platform_.warning(this, problem);
        return;
    }
    const std::optional<imaging::AnaglyphNameProposal> proposal = imaging::proposeAnaglyphName(
        fileSystemPath(directory), imaging::fileBaseName(fileSystemPath(lastOpenedFile_)), suffix,
        [](const std::string& path) { return QFileInfo::exists(QFile::decodeName(path.c_str())); });
    if (!proposal) {
        platform_.warning(this, QStringLiteral("There is no free anaglyph name left in \"%1\". Nothing was saved.")
                                    .arg(QDir::toNativeSeparators(directory)));
        return;
    }
    showText(saveName_, QFile::decodeName(proposal->proposedPath.c_str()));
    showText(relativeName_, QFile::decodeName(proposal->relativeName.c_str()));

    SaveDialogRequest request;
    request.caption = QStringLiteral("Save As");
    request.proposedPath = saveName_->text();
    request.filters = imaging::parseSaveFilters(imaging::kAnaglyphSaveFilterText);
    request.preselectedFilter = imaging::kAnaglyphPreselectedFilter;
    const SaveDialogAnswer answer = saveDialog_(this, request);
    if (answer.path.isEmpty()) return;
    showText(saveName_, answer.path);
    // A "SAVED" left from an earlier save must not stand beside a name that was not written.
    showText(saveStatus_, writeResult(answer.path, answer.filterIndex) ? kSaved : QString());
}

bool TForm19::writeResult(const QString& chosenPath, int filterIndex) {
    return savePicture(platform_, this, result_, chosenPath, filterIndex, QStringLiteral("The anaglyph was not saved"));
}

}  // namespace keldar::ui
