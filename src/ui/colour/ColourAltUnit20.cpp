#include "ui/colour/ColourAltUnit20.h"

#include <stdexcept>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QStackedWidget>
#include <QTemporaryFile>
#include <QVBoxLayout>

#include "core/imaging/ColourComposite.h"
#include "core/imaging/ImageFile.h"
#include "core/imaging/PixelFunctions.h"
#include "platform/ActionGuard.h"
#include "ui/app/Controls.h"
#include "ui/app/FileBrowser.h"
#include "ui/app/ImageView.h"
#include "ui/app/PictureSave.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"
#include "ui/colour/ColourProcessorUnit31.h"

namespace keldar::ui {

namespace {

using imaging::Band;

const QString kOpenFilter = QStringLiteral("Images (*.jpg *.jpeg *.bmp *.img *.JPG *.JPEG *.BMP *.IMG);;All files (*)");
const QSize kThumbnailSize(121, 121);
const QSize kLargeViewSize(369, 369);
constexpr int kGreenAfterBlend = 100;

std::string fileSystemPath(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString fromStd(const std::string& text) { return QString::fromStdString(text); }
QString percentText(int position) { return QString::number(position) + QLatin1Char('%'); }

QColor bandColour(Band band) {
    switch (band) {
    case Band::Red: return Qt::red;
    case Band::Green: return QColor(0, 128, 0);
    case Band::Blue: return Qt::blue;
    }
    return Qt::black;
}

// Runs `body`, then `cleanup`, also when `body` throws.
template <typename Body, typename Cleanup>
void runThenAlways(Body&& body, Cleanup&& cleanup) {
    struct Always {
        Cleanup& cleanup;
        ~Always() { cleanup(); }
    } always{cleanup};
    body();
}

}  // namespace

TForm20::TForm20(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm20"), QStringLiteral("Colour"), QSize(790, 560),
           ScreenFitMode::Full),
      saveDialog_(platformSaveDialog(platform)) {
    auto* bands = new QGridLayout;
    bands->setHorizontalSpacing(6);
    bands->setVerticalSpacing(2);
    buildBandRow(bands, Band::Red, QStringLiteral("Red band"), QStringLiteral("Button3"),
                 QStringLiteral("Load Red Band Image"), QStringLiteral("ScrollBar2"));
    buildBandRow(bands, Band::Green, QStringLiteral("Green band"), QStringLiteral("Button2"),
                 QStringLiteral("Load Green Band Image"), QStringLiteral("ScrollBar3"));
    buildBandRow(bands, Band::Blue, QStringLiteral("Blue band"), QStringLiteral("Button1"),
                 QStringLiteral("Load Blue Band Image"), QStringLiteral("ScrollBar1"));
    bands->setRowStretch(6, 1);

    // The large view sits under a plain cover until the first band arrives.
    largeView_ = new ImageView(this);
    largeView_->setObjectName(QStringLiteral("colourView"));
    largeView_->setDesignSize(kLargeViewSize);
    largeView_->setStretch(true);
    auto* cover = new QFrame(this);
    cover->setObjectName(QStringLiteral("largeViewCover"));
    cover->setFrameShape(QFrame::StyledPanel);
    largeStack_ = new QStackedWidget(this);
    largeStack_->addWidget(cover);
    largeStack_->addWidget(largeView_);

    solarizeSlider_ = new QSlider(Qt::Horizontal, this);
    solarizeSlider_->setObjectName(QStringLiteral("TrackBar1"));
    solarizeSlider_->setRange(imaging::kSliderMin, imaging::kSliderMax);
    solarizeSlider_->setValue(0);
    solarizeSlider_->setToolTip(QStringLiteral("Mouse on button n hold down"));
    solarizeCaption_ = makeLabel(this, QStringLiteral("solarizeCaption"), QStringLiteral("Solarize Slider"));
    for (QWidget* control : {static_cast<QWidget*>(solarizeSlider_), static_cast<QWidget*>(solarizeCaption_)})
        control->setVisible(false);
    connect(solarizeSlider_, &QSlider::valueChanged, this,
            [this] { platform::runGuarded(platform_, this, [this] { solarizeSliderChanged(); }); });

    status_ = makeValueLabel(this, QStringLiteral("Label22"), QStringLiteral("Label22"), Qt::black);
    eyePrefix_ = makeValueLabel(this, QStringLiteral("Label13"), QStringLiteral("Label13"), Qt::black);

    auto* solarizeRow = new QHBoxLayout;
    solarizeRow->addWidget(solarizeCaption_);
    solarizeRow->addWidget(solarizeSlider_, 1);
    auto* right = new QVBoxLayout;
    right->setSpacing(2);
    right->addWidget(largeStack_, 1);
    right->addLayout(solarizeRow);
    right->addWidget(status_);
    right->addWidget(eyePrefix_);

    QPushButton* straight = makeButton(this, QStringLiteral("Button5"), QStringLiteral("Straight RGB Combination"));
    QPushButton* blended = makeButton(this, QStringLiteral("Button34"), QStringLiteral("MER2RGB Method"));
    QPushButton* invert = makeButton(this, QStringLiteral("Button15"), QStringLiteral("Invert RGB"));
    QPushButton* solarize = makeButton(this, QStringLiteral("Button42"), QStringLiteral("Solarize"));
    QPushButton* save = makeButton(this, QStringLiteral("Button7"), QStringLiteral("Save as"));
    QPushButton* close = makeButton(this, QStringLiteral("Button4"), QStringLiteral("Close"));
    connectGuarded(straight, &TForm20::straightCombination);
    connectGuarded(blended, &TForm20::mer2rgbMethod);
    connectGuarded(invert, &TForm20::invertRgb);
    connectGuarded(solarize, &TForm20::showSolarizeSlider);
    connectGuarded(save, &TForm20::saveAs);
    connectGuarded(close, &TForm20::closePage);
    autoColour_ = new QCheckBox(QStringLiteral("Auto Colour"), this);
    autoColour_->setObjectName(QStringLiteral("CheckBox4"));
    // Only the user's click sets the option; the program ticks the box without it.
    connect(autoColour_, &QCheckBox::clicked, this, [this](bool checked) {
        workbench_.mainWindow().setOption(&ViewerOptions::autoRgb, checked);
    });

    auto* commands = new QHBoxLayout;
    for (QPushButton* button : {straight, blended, invert, solarize, save, close}) commands->addWidget(button);
    commands->addWidget(autoColour_);
    commands->addStretch(1);

    auto* captions = new QVBoxLayout;
    captions->setSpacing(0);
    for (const QString& text : {QStringLiteral("R = 700nm, G = 546.1nm, B = 438.8nm. "),
                                QStringLiteral("Left Eye Filters 1=739nm, 2=753nm, 3=673nm, 4= 601nm, 5=535nm, "
                                               "6= 482nm, 7=432nm, 8=440nm"),
                                QStringLiteral("Right Eye Filters 1=436nm, 2=754nm, 3=803nm, 4=864nm, 5=904nm, "
                                               "6=934nm, 7=1009nm, 8=880nm")})
        captions->addWidget(makeLabel(this, {}, text));

    auto* body = new QHBoxLayout;
    body->addLayout(bands);
    body->addLayout(right, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    layout->addLayout(body, 1);
    layout->addLayout(commands);
    layout->addLayout(captions);

    fitToScreen();
}

void TForm20::buildBandRow(QGridLayout* grid, Band band, const QString& caption, const QString& loadName,
                           const QString& loadCaption, const QString& sliderName) {
    BandSlot& s = slot(band);
    const int row = 2 * static_cast<int>(band);
    const QString tag = caption.section(QLatin1Char(' '), 0, 0).toLower();  // "red", "green", "blue"

    s.fileName = makeValueLabel(this, tag + QStringLiteral("FileName"), QStringLiteral("Filename"), Qt::black);
    s.filterCode = makeValueLabel(this, tag + QStringLiteral("FilterCode"), QStringLiteral("Fltr"), Qt::black);
    // A long file name is cut rather than widening the window past the screen.
    s.fileName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QLabel* title = makeLabel(this, {}, caption);
    setTextColour(title, bandColour(band));
    auto* names = new QHBoxLayout;
    names->addWidget(title);
    names->addWidget(s.fileName, 1);
    names->addWidget(s.filterCode);
    grid->addLayout(names, row, 0, 1, 3);

    s.load = makeButton(this, loadName, loadCaption);
    connect(s.load, &QPushButton::clicked, this,
            [this, band] { platform::runGuarded(platform_, this, [this, band] { loadBand(band); }); });
    s.slider = new QScrollBar(Qt::Horizontal, this);
    s.slider->setObjectName(sliderName);
    s.slider->setRange(imaging::kSliderMin, imaging::kSliderMax);
    s.slider->setValue(50);
    s.sliderDisplay = makeValueLabel(this, tag + QStringLiteral("Display"), percentText(50), Qt::black);
    s.sliderDisplay->setMinimumWidth(36);
    s.slider->setVisible(false);
    s.sliderDisplay->setVisible(false);
    connect(s.slider, &QScrollBar::valueChanged, this, [this, band] {
        platform::runGuarded(platform_, this, [this, band] {
            if (band == Band::Green)
                greenSliderChanged();
            else
                bandSliderChanged(band);
        });
    });
    auto* sliderRow = new QHBoxLayout;
    sliderRow->addWidget(s.slider, 1);
    sliderRow->addWidget(s.sliderDisplay);
    auto* controls = new QVBoxLayout;
    controls->addWidget(s.load);
    controls->addLayout(sliderRow);
    controls->addStretch(1);
    grid->addLayout(controls, row + 1, 0);

    s.thumbnail = new ImageView(this);
    s.thumbnail->setObjectName(tag + QStringLiteral("Thumbnail"));
    s.processedThumbnail = new ImageView(this);
    s.processedThumbnail->setObjectName(tag + QStringLiteral("ProcessedThumbnail"));
    for (ImageView* view : {s.thumbnail, s.processedThumbnail}) {
        view->setDesignSize(kThumbnailSize);
        view->setStretch(true);
        view->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    // The processed thumbnails appear with the blend; their place is kept meanwhile.
    QSizePolicy keepPlace = s.processedThumbnail->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    s.processedThumbnail->setSizePolicy(keepPlace);
    s.processedThumbnail->setVisible(false);
    grid->addWidget(s.thumbnail, row + 1, 1);
    grid->addWidget(s.processedThumbnail, row + 1, 2);
}

void TForm20::connectGuarded(QPushButton* button, void (TForm20::*command)()) {
    connect(button, &QPushButton::clicked, this,
            [this, command] { platform::runGuarded(platform_, this, [this, command] { (this->*command)(); }); });
}

// --- State ---

const imaging::ImageBuffer& TForm20::shownPicture() const { return largeView_->picture(); }
QString TForm20::fileNameText(Band band) const { return slot(band).fileName->text(); }
QString TForm20::filterCodeText(Band band) const { return slot(band).filterCode->text(); }
QString TForm20::statusText() const { return status_->text(); }
QString TForm20::eyePrefix() const { return eyePrefix_->text(); }
bool TForm20::autoColour() const { return autoColour_->isChecked(); }

bool TForm20::allLoaded() const {
    return slot(Band::Red).loaded && slot(Band::Green).loaded && slot(Band::Blue).loaded;
}

void TForm20::setEyePrefix(const QString& prefix) { showText(eyePrefix_, prefix); }

void TForm20::setBlueWeight(int position) { slot(Band::Blue).slider->setValue(position); }
void TForm20::setRedWeight(int position) { slot(Band::Red).slider->setValue(position); }
void TForm20::setSolarize(int position) { solarizeSlider_->setValue(position); }

QString TForm20::bandDirectory() const {
    const QString directory = workbench_.mainWindow().fileBrowser().directory();
    return directory.isEmpty() ? QDir::currentPath() : directory;
}

QString TForm20::bandPath(const QString& name) const {
    return name.isEmpty() ? QString() : QDir(bandDirectory()).absoluteFilePath(name);
}

void TForm20::showLarge(const imaging::ImageBuffer& picture) { largeView_->setPicture(picture); }

void TForm20::showStatus(const QString& text, const QColor& colour) {
    showText(status_, text);
    setTextColour(status_, colour);
}

// --- The main window's "Colour" button and the pick ---

void TForm20::passCurrentImage() {
    TForm1& main = workbench_.mainWindow();
    const ViewerState& state = main.viewerState();
    const QString suffix = QFileInfo(state.currentFilePath).suffix();
    currentExtension_ = suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix;
    // The browser keeps its directory list and file list on one directory, which is also the
    // working directory: the derived names resolve against it (bandDirectory()).
    TForm31& processor = workbench_.colourProcessor();
    if (!state.options.autoRgb) {
        autoColour_->setChecked(false);
        processor.askForBand();
        return;
    }
    autoColour_->setChecked(true);
    processor.startAutomaticWait();
    // The Colour actions of the red stepping belong to the run that started it.
    if (redStepGuard_) {
        pickBands();
        return;
    }
    run_ = AutomaticRun{true, {}};
    // The run steps the main window's list by program. At its end the keys go back to that list,
    // not to the button that started it, so the arrow keys step on from the red band's entry.
    runThenAlways([this] { pickBands(); },
                  [this] {
                      run_.active = false;
                      workbench_.mainWindow().fileBrowser().fileList()->setFocus();
                  });
    if (run_.loaded[Band::Red] && run_.loaded[Band::Green] && run_.loaded[Band::Blue]) processor.stopFailureTimer();
}

void TForm20::pickBands() {
    const ViewerState& state = workbench_.mainWindow().viewerState();
    TForm31& processor = workbench_.colourProcessor();
    picks_ = imaging::bandsPickedBy(state.decoded.eyeLetter, state.decoded.filterDigit);
    const std::string prefix = eyePrefix_->text().toStdString();
    const std::string extension = currentExtension_.toStdString();
    for (Band band : imaging::kAllBands)
        slot(band).derivedName = fromStd(imaging::derivedBandName(prefix, band, extension));
    const imaging::BandPicks checked = processor.checkedBands();
    for (Band band : imaging::kAllBands) picks_[band] = picks_[band] || checked[band];

    for (Band band : {Band::Blue, Band::Green, Band::Red}) {
        if (!picks_[band]) continue;
        showStatus(QStringLiteral("Loaded"), bandColour(band));
        BandSlot& s = slot(band);
        s.dialogFileName = state.options.autoRgb ? s.derivedName : state.currentFilePath;
        // A band whose file is not there is skipped; the failure timer tells the user.
        if (QFileInfo(bandPath(s.dialogFileName)).isFile()) loadBand(band);
    }
    automaticScan();
    processor.uncheckBands();
}

void TForm20::automaticScan() {
    if (scanGuard_ || redStepGuard_) return;
    if (workbench_.mainWindow().viewerState().options.autoRgb) {
        scanGuard_ = true;
        autoColour_->setChecked(true);
        // The guard belongs to this scan: a scan that steps nothing (a product that is not a
        // red band) must not keep later scans from stepping.
        runThenAlways([this] { redStepping(); }, [this] { scanGuard_ = false; });
    }
    platform_.beep();
}

void TForm20::redStepping() {
    if (!picks_[Band::Red] || redStepGuard_) return;
    redStepGuard_ = true;
    TForm1& main = workbench_.mainWindow();
    const int redIndex = main.selectedFileIndex();
    runThenAlways(
        [&] {
            for (int step = 0; step < 2; ++step) {
                // A set ends with the list: the loop option's turn to the first file would
                // take a band of another set.
                if (main.selectedFileIndex() + 1 >= main.fileBrowser().fileCount()) break;
                main.selectFile(main.selectedFileIndex() + 1);
                main.runImageAction();
                passCurrentImage();
            }
        },
        [&] {
            // Back to the red band's entry, not two entries up: the walk may have skipped a
            // file that is not a picture. The picture shown stays the last one stepped to.
            main.selectFile(redIndex);
            redStepGuard_ = false;
        });
}

// --- Loading ---

void TForm20::loadBand(Band band) {
    BandSlot& s = slot(band);
    QString path;
    if (autoColour_->isChecked()) {
        path = bandPath(s.derivedName);
        if (path.isEmpty() || !QFileInfo(path).isFile()) {
            platform_.warning(this, s.derivedName.isEmpty()
                                        ? QStringLiteral("There is no band name to load yet: use the main window's "
                                                         "\"Colour\" button first, or untick \"Auto Colour\" to "
                                                         "choose the file.")
                                        : QStringLiteral("The band image \"%1\" is not in \"%2\".")
                                              .arg(s.derivedName, QDir::toNativeSeparators(bandDirectory())));
            return;
        }
        s.dialogFileName = s.derivedName;
    } else {
        const QString start = s.dialogFileName.isEmpty() ? bandDirectory() : bandPath(s.dialogFileName);
        path = platform_.openFileName(this, s.load->text(), start, kOpenFilter);
        if (path.isEmpty()) return;
        s.dialogFileName = path;
    }
    showText(s.fileName, QFileInfo(s.dialogFileName).fileName());
    s.fileName->setToolTip(s.fileName->text());

    imaging::ImageResult read = imaging::readImageFile(fileSystemPath(path));
    if (!read.ok()) throw std::runtime_error(read.error);
    imaging::ImageBuffer reread;
    if (band == Band::Green) {
        // What the blend takes as its green channel: the band after a JPEG file round trip.
        if (const std::string error = imaging::jpegRoundTrip(read.image, reread); !error.empty())
            throw std::runtime_error(path.toStdString() + ": " + error);
        greenReread_ = std::move(reread);
    }
    if (run_.active) {
        run_.loaded[band] = true;
        run_.changedSet = run_.changedSet || !s.loaded || s.loadedPath != path;
    }
    s.image = std::move(read.image);
    s.loaded = true;
    s.loadedPath = path;
    largeStack_->setCurrentWidget(largeView_);
    s.thumbnail->setPicture(s.image);
    loadedCheck();
}

void TForm20::loadedCheck() {
    if (!allLoaded()) return;
    // An automatic run offers a composite only of one set, never a mix with bands left from
    // another: a run that only loaded again files the slots already held leaves the set as it
    // was, which recombines at once; otherwise each band must be the run's own, loaded by it
    // or already holding the band of the run's name. Else the failure timer says so.
    if (run_.active && run_.changedSet) {
        for (Band band : imaging::kAllBands) {
            const BandSlot& s = slot(band);
            const bool runsName = !s.derivedName.isEmpty() && s.loadedPath == bandPath(s.derivedName);
            if (!run_.loaded[band] && !runsName) return;
        }
    }
    workbench_.colourProcessor().stopFailureTimer();
    straightCombination();
}

// --- Combinations ---

void TForm20::straightCombination() {
    solarized_ = false;
    imaging::combineAllChannels(slot(Band::Red).image, slot(Band::Green).image, slot(Band::Blue).image, composite_);
    showLarge(composite_);
    // Inversion and solarizing take the straight composite as a JPEG file would give it back.
    if (allLoaded()) {
        if (const std::string error = imaging::jpegRoundTrip(composite_, straightReread_); !error.empty())
            throw std::runtime_error("The composite cannot be prepared for its effects: " + error);
    }
    findFilterLabels();
    // The automatic run's guards belong to its scan and red stepping, which clear them.
    workbench_.colourProcessor().close();
    showPage();
    showStatus(QStringLiteral("RGB Loaded."), Qt::black);
}

void TForm20::findFilterLabels() {
    const std::string blueCode = imaging::bandFilterCode(fileNameText(Band::Blue).toStdString());
    showText(slot(Band::Blue).filterCode, fromStd(blueCode));
    if (workbench_.mainWindow().viewerState().options.autoRgb && blueCode != "L6") return;
    for (Band band : {Band::Green, Band::Red})
        showText(slot(band).filterCode, fromStd(imaging::bandFilterCode(fileNameText(band).toStdString())));
    filterSuffix_ = fromStd(imaging::straightFilterSuffix(filterCodeText(Band::Red).toStdString(),
                                                          filterCodeText(Band::Green).toStdString(), blueCode));
}

void TForm20::mer2rgbMethod() {
    solarized_ = false;
    for (Band band : imaging::kAllBands) slot(band).processedThumbnail->setVisible(true);
    findFilterLabels();
    filterSuffix_ = fromStd(imaging::blendedFilterSuffix(filterCodeText(Band::Red).toStdString(),
                                                         filterCodeText(Band::Green).toStdString(),
                                                         filterCodeText(Band::Blue).toStdString()));
    greenSliderChanged();
    if (allLoaded()) {
        sliderCombination();
    } else {
        blend(Band::Blue);
        blend(Band::Red);
    }
    // Each position that changes runs its slider's step, so the composite ends as the blend
    // at blue 70 and red 70.
    slot(Band::Green).slider->setValue(kGreenAfterBlend);
    for (Band band : {Band::Blue, Band::Red}) {
        BandSlot& s = slot(band);
        s.slider->setValue(band == Band::Blue ? imaging::kMer2RgbDefaultBlue : imaging::kMer2RgbDefaultRed);
        s.slider->setVisible(true);
        s.sliderDisplay->setVisible(true);
    }
    showStatus(QStringLiteral("MER2RGB Loaded."), Qt::black);
}

void TForm20::blend(Band band) {
    BandSlot& s = slot(band);
    const int w = imaging::weightFromPosition(s.slider->value());
    if (band == Band::Red)
        imaging::mergeGreenRed(s.image, slot(Band::Green).image, w, s.processed);
    else
        imaging::mergeGreenBlue(s.image, slot(Band::Green).image, w, s.processed);
    s.processedThumbnail->setPicture(s.processed);
}

void TForm20::bandSliderChanged(Band band) {
    BandSlot& s = slot(band);
    showText(s.sliderDisplay, percentText(s.slider->value()));
    if (!s.loaded) return;
    if (allLoaded())
        sliderCombination();
    else
        blend(band);
}

void TForm20::greenSliderChanged() {
    BandSlot& s = slot(Band::Green);
    showText(s.sliderDisplay, percentText(s.slider->value()));
    imaging::controlGreen(s.image, imaging::percentFraction(s.slider->value()), s.processed);
    s.processedThumbnail->setPicture(s.processed);
}

void TForm20::sliderCombination() {
    // Only a complete set makes a blend. The processed bands follow the bands as they are
    // now, so a band loaded since the last slider move is never blended in its old form.
    if (!allLoaded()) return;
    blend(Band::Red);
    blend(Band::Blue);
    imaging::combineAllSliders(slot(Band::Red).processed, greenReread_, slot(Band::Blue).processed, composite_);
    showLarge(composite_);
}

// --- Effects ---

void TForm20::invertRgb() {
    if (straightReread_.isEmpty()) {
        platform_.information(this, QStringLiteral("There is no straight RGB combination of three bands to invert "
                                                   "yet."));
        return;
    }
    effectPicture_ = imaging::invert(straightReread_);
    showLarge(effectPicture_);
    solarized_ = false;
}

void TForm20::showSolarizeSlider() {
    solarizeSlider_->setVisible(true);
    solarizeCaption_->setVisible(true);
}

void TForm20::solarizeSliderChanged() {
    showText(solarizeCaption_, percentText(solarizeSlider_->value()));
    if (!allLoaded() || straightReread_.isEmpty()) return;
    solarized_ = true;
    effectPicture_ = imaging::solarize(straightReread_, imaging::weightFromPosition(solarizeSlider_->value()));
    showLarge(effectPicture_);
}

// --- Save and close ---

QString TForm20::rgbDirectory() const {
    const QString& directory = workbench_.mainWindow().viewerState().rgbDirectory;
    if (!directory.isEmpty()) return directory;
    // Before the main window has read its first directory there is no home directory yet;
    // the working directory is where that first read will take it from.
    return categoryDirectoriesFor(QDir::currentPath()).rgb;
}

QString TForm20::prepareDirectory(const QString& directory) const {
    return prepareSaveDirectory(directory, QStringLiteral("colour"));
}

void TForm20::saveAs() {
    if (!allLoaded()) return;
    // The dialog opens on the proposed path in the RGB directory, so the main window's
    // directory and selection stay as they are: moving its file list there and back would
    // walk both directories with the Image action.
    const QString directory = rgbDirectory();
    if (const QString problem = prepareDirectory(directory); !problem.isEmpty()) {
        platform_.warning(this, problem);
        return;
    }
    const std::string base = imaging::fileBaseName(fileSystemPath(slot(Band::Green).dialogFileName));
    const std::optional<imaging::AnaglyphNameProposal> proposal = imaging::proposeColourName(
        fileSystemPath(directory), base, filterSuffix_.toStdString(), solarized_,
        [](const std::string& path) { return QFileInfo::exists(QFile::decodeName(path.c_str())); });
    if (!proposal) {
        platform_.warning(this, QStringLiteral("There is no free composite name left in \"%1\". Nothing was saved.")
                                    .arg(QDir::toNativeSeparators(directory)));
        return;
    }

    SaveDialogRequest request;
    request.caption = QStringLiteral("Save as");
    request.proposedPath = QFile::decodeName(proposal->proposedPath.c_str());
    request.filters = imaging::parseSaveFilters(imaging::kColourSaveFilterText);
    request.preselectedFilter = imaging::kColourPreselectedFilter;
    const SaveDialogAnswer answer = saveDialog_(this, request);
    if (answer.path.isEmpty()) return;
    if (writePicture(solarized_ ? effectPicture_ : composite_, answer.path, answer.filterIndex)) solarized_ = false;
}

bool TForm20::writePicture(const imaging::ImageBuffer& picture, const QString& chosenPath, int filterIndex) {
    return savePicture(platform_, this, picture, chosenPath, filterIndex, QStringLiteral("The colour composite was not saved"));
}

void TForm20::closePage() {
    for (Band band : imaging::kAllBands) {
        BandSlot& s = slot(band);
        s.slider->setVisible(false);
        s.sliderDisplay->setVisible(false);
        s.processedThumbnail->setVisible(false);
    }
    solarizeSlider_->setVisible(false);
    solarizeCaption_->setVisible(false);
    solarized_ = false;
    close();
}

}  // namespace keldar::ui
