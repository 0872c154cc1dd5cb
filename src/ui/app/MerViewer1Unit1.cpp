#include "ui/app/MerViewer1Unit1.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include <QCheckBox>
#include <QComboBox>
#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/ActionGuard.h"
#include "platform/FileNames.h"
#include "ui/app/Controls.h"
#include "ui/app/FileBrowser.h"
#include "ui/app/ImageView.h"
#include "ui/app/PicturePrefetch.h"
#include "ui/app/ScreenFit.h"
#include "ui/app/Workbench.h"

namespace keldar::ui {

namespace {

const QColor kValueColour(0, 0, 128);

QColor statusColour(decode::StatusColour colour) {
    return colour == decode::StatusColour::Green ? QColor(0, 128, 0) : QColor(Qt::red);
}

}  // namespace

TForm1::TForm1(Workbench& workbench, platform::Platform& platform)
    : QMainWindow(nullptr),
      workbench_(workbench),
      platform_(platform),
      prefetch_{std::make_unique<PicturePrefetch>(), std::make_unique<PicturePrefetch>()} {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(
        QStringLiteral("Keldar 2007.    Mars Exploration Rovers Data display and image manipulation."));
    buildControls();
    buildMenu();
    workbench.registerStretchView(image1_);
    applyScreenFit(*this, QSize(kDesignScreenWidth, kDesignScreenHeight), true);

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(2000);
    // The slideshow keeps its pace: a coarse timer may come up to a twentieth late each time.
    timer1_->setTimerType(Qt::PreciseTimer);
    connect(timer1_, &QTimer::timeout, this, &TForm1::onTimer1Timeout);
    timer1_->start();
    timer2_ = new QTimer(this);
    timer2_->setObjectName(QStringLiteral("Timer2"));
    timer2_->setInterval(2000);
    connect(timer2_, &QTimer::timeout, this, [this] { runGuarded([this] { onTimer2Tick(); }); });
    timer2_->start();
}

TForm1::~TForm1() = default;

void TForm1::buildControls() {
    auto* centre = new QWidget(this);
    setCentralWidget(centre);

    browser_ = new FileBrowser(centre);
    edit2_ = new QLineEdit(state_.displays.fileNameField, centre);
    edit2_->setObjectName(QStringLiteral("Edit2"));
    label1_ = makeLabel(centre, QStringLiteral("Label1"), state_.currentFilePath);
    makeSelectableByMouse(label1_);
    image1_ = new ImageView(centre);
    image1_->setObjectName(QStringLiteral("Image1"));
    image1_->setDesignSize(QSize(361, 363));

    connect(browser_, &FileBrowser::userSelectionChanged, this, [this] { runGuarded([this] { runImageAction(); }); });
    connect(browser_, &FileBrowser::directoryEntered, this, [this] { runGuarded([this] { runEnteredAction(); }); });
    connect(browser_, &FileBrowser::enterFailed, this, [this](const QString& message) { platform_.error(this, message); });

    // The "?" button in the top left corner, then the current path. A long path is cut at
    // the window's edge rather than widening the window past the screen.
    QPushButton* directories = makeButton(centre, QStringLiteral("Button7"), QStringLiteral("?"));
    directories->setFixedSize(15, 15);
    label1_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* top = new QHBoxLayout;
    top->addWidget(directories);
    top->addWidget(label1_, 1);

    // The volume names can be long (mount points); the list shows them in full when opened.
    browser_->volumeSelector()->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    browser_->volumeSelector()->setMinimumContentsLength(8);

    QPushButton* close = makeButton(centre, QStringLiteral("Button1"), QStringLiteral("Close"), QStringLiteral("Exit Program"));
    QPushButton* large = makeButton(centre, QStringLiteral("Button8"), QStringLiteral("Large Image"),
                                    QStringLiteral("View the selected image in a large window"));
    QPushButton* stereo = makeButton(centre, QStringLiteral("Button13"), QStringLiteral("Stereo"),
                                     QStringLiteral("Display Stereo pair in both present"));
    QPushButton* colour = makeButton(centre, QStringLiteral("Button9"), QStringLiteral("Colour"),
                                     QStringLiteral("Pass image to colour page if R.G.B."));
    QPushButton* print = makeButton(centre, QStringLiteral("Button6"), QStringLiteral("Print"),
                                    QStringLiteral("Print window or send to Clipboard"));
    slideshowBox_ = new QCheckBox(QStringLiteral("Slideshow"), centre);
    slideshowBox_->setObjectName(QStringLiteral("CheckBox3"));
    printClipboardBox_ = new QCheckBox(QStringLiteral("Print/Clipboard"), centre);
    printClipboardBox_->setObjectName(QStringLiteral("CheckBox4"));

    QPushButton* image = makeButton(centre, QStringLiteral("Button3"), QStringLiteral("Image"));
    QPushButton* data = makeButton(centre, QStringLiteral("Button10"), QStringLiteral("Data"));
    QPushButton* stereoHandOff = makeButton(centre, QStringLiteral("Button4"), QStringLiteral("Stereo"),
                                            QStringLiteral("View in Stereo if possible"));
    QPushButton* manualStereo = makeButton(centre, QStringLiteral("Button11"), QStringLiteral("Manual Stereo"));
    QPushButton* bufrScan = makeButton(centre, QStringLiteral("Button12"), QStringLiteral("BufrScan"));
    QPushButton* timeZone = makeButton(centre, QStringLiteral("Button14"), QStringLiteral("TimeZone"));
    QPushButton* moreInfo = makeButton(centre, QStringLiteral("Button16"), QStringLiteral("More Info"));
    for (QPushButton* hidden : {image, data, stereoHandOff, manualStereo, bufrScan, timeZone, moreInfo})
        hidden->hide();

    auto guardedClick = [this](QPushButton* button, void (TForm1::*action)()) {
        connect(button, &QPushButton::clicked, this, [this, action] { runGuarded([this, action] { (this->*action)(); }); });
    };
    guardedClick(close, &TForm1::closeProgram);
    guardedClick(large, &TForm1::showLargeImage);
    guardedClick(stereo, &TForm1::runStereoAction);
    guardedClick(colour, &TForm1::runColourAction);
    guardedClick(image, &TForm1::runImageAction);
    guardedClick(data, &TForm1::runDataAction);
    guardedClick(stereoHandOff, &TForm1::runStereoHandOff);
    guardedClick(manualStereo, &TForm1::runManualStereoHandOff);
    guardedClick(bufrScan, &TForm1::runDisplayConversion);
    guardedClick(timeZone, &TForm1::runTimeZoneAction);
    guardedClick(print, &TForm1::runPrintButton);
    guardedClick(directories, &TForm1::showDirectoriesPage);
    guardedClick(moreInfo, &TForm1::showHelpMenu);
    // Only a click by the user changes the slideshow or the switch; the program's own
    // unticking (end of the directory) must not.
    connect(slideshowBox_, &QCheckBox::clicked, this, [this] { runGuarded([this] { onSlideshowBoxClicked(); }); });
    connect(printClipboardBox_, &QCheckBox::clicked, this, [this](bool checked) { setPrintClipboardSwitch(checked); });

    // Left: the browser over the image and the buttons; right: the decoded values over the
    // two check boxes. This keeps everything visible on the 800 x 600 design screen.
    auto* volumesAndDirectories = new QVBoxLayout;
    volumesAndDirectories->addWidget(browser_->volumeSelector());
    volumesAndDirectories->addWidget(browser_->directoryList(), 1);
    auto* nameAndFiles = new QVBoxLayout;
    nameAndFiles->addWidget(edit2_);
    nameAndFiles->addWidget(browser_->fileList(), 1);
    auto* browserRow = new QHBoxLayout;
    browserRow->addLayout(volumesAndDirectories, 1);
    browserRow->addLayout(nameAndFiles, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {close, large, stereo, colour, print}) {
        // Narrower than the style's 80-pixel minimum, never narrower than the caption.
        button->setMinimumWidth(button->fontMetrics().horizontalAdvance(button->text()) + 16);
        buttons->addWidget(button);
    }
    for (QPushButton* hidden : {image, data, stereoHandOff, manualStereo, bufrScan, timeZone, moreInfo})
        buttons->addWidget(hidden);
    auto* left = new QVBoxLayout;
    left->addLayout(browserRow, 2);
    left->addWidget(image1_, 3);
    QLabel* credit = makeLabel(centre, {}, QStringLiteral("Image Data NASA / Planetary Data System."));
    credit->setAlignment(Qt::AlignHCenter);
    left->addWidget(credit);
    left->addLayout(buttons);

    auto* checks = new QGridLayout;
    checks->setColumnStretch(1, 1);
    auto addCheck = [&](int row, QCheckBox* box, const QString& text) {
        QLabel* label = makeLabel(centre, {}, text);
        label->setWordWrap(true);
        checks->addWidget(box, row, 0);
        checks->addWidget(label, row, 1);
    };
    addCheck(0, slideshowBox_, QStringLiteral("View sequentially all images in current directory"));
    addCheck(1, printClipboardBox_, QStringLiteral("Change all Print buttons to Clipboard buttons"));
    auto* right = new QVBoxLayout;
    right->addWidget(buildDisplayPanel(), 1);
    right->addLayout(checks);

    auto* body = new QHBoxLayout;
    body->addLayout(left, 5);
    body->addLayout(right, 6);

    auto* column = new QVBoxLayout(centre);
    column->addLayout(top);
    column->addLayout(body, 1);
}

QWidget* TForm1::buildDisplayPanel() {
    auto* panel = new QWidget(centralWidget());
    panel->setObjectName(QStringLiteral("displayPanel"));
    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(4, 0, 0, 0);
    grid->setVerticalSpacing(3);
    MainDisplays& d = state_.displays;
    int row = 0;

    auto value = [&](const char* name, QString MainDisplays::*field) {
        QLabel* label = makeValueLabel(panel, QString::fromLatin1(name), d.*field, kValueColour);
        label->setWordWrap(true);
        displayLabels_.emplace_back(label, field);
        return label;
    };
    auto pair = [&](const QString& caption, const char* name, QString MainDisplays::*field) {
        grid->addWidget(makeLabel(panel, {}, caption), row, 0, Qt::AlignTop);
        grid->addWidget(value(name, field), row++, 1, 1, 3);
    };

    pair(QStringLiteral("File in Use"), "filePositionText", &MainDisplays::filePositionText);
    pair(QStringLiteral("Mars Exploration Rover No."), "roverText", &MainDisplays::roverText);
    pair(QStringLiteral("Spacecraft Location."), "locationText", &MainDisplays::locationText);
    pair(QStringLiteral("Imaging Camera."), "cameraText", &MainDisplays::cameraText);
    pair(QStringLiteral("Spacecraft Clock."), "clockDisplay", &MainDisplays::clockDisplay);
    pair(QStringLiteral("Image Product Type."), "productTypeText", &MainDisplays::productTypeText);
    pair(QStringLiteral("Site Number."), "site", &MainDisplays::site);
    pair(QStringLiteral("Drive Number Within Site."), "drive", &MainDisplays::drive);
    pair(QStringLiteral("Command Sequence."), "sequence", &MainDisplays::sequence);
    pair(QStringLiteral("Sequence Category."), "categoryText", &MainDisplays::categoryText);

    grid->addWidget(makeLabel(panel, {}, QStringLiteral("Sequence Code")), row, 0);
    auto* code = new QHBoxLayout;
    code->addWidget(value("sequenceNumberDisplay", &MainDisplays::sequenceNumberDisplay));
    code->addWidget(makeLabel(panel, {}, QStringLiteral("=")));
    code->addWidget(value("sequenceRangeText", &MainDisplays::sequenceRangeText), 1);
    grid->addLayout(code, row++, 1, 1, 3);

    pair(QStringLiteral("Camera Eye"), "eyeText", &MainDisplays::eyeText);
    stereoStatus_ = makeValueLabel(panel, QStringLiteral("stereoStatus"),
                                   QString::fromStdString(d.stereoStatus.text), statusColour(d.stereoStatus.colour));
    // Hidden for a name that is not a product; its place is kept, so the fields below stay put.
    QSizePolicy keepPlace = stereoStatus_->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    stereoStatus_->setSizePolicy(keepPlace);
    grid->addWidget(stereoStatus_, row++, 0, 1, 4);
    pair(QStringLiteral("Spectral Response (Filter)"), "filterText", &MainDisplays::filterText);
    pair(QStringLiteral("Product Producer"), "producerText", &MainDisplays::producerText);
    pair(QStringLiteral("Product Version"), "versionText", &MainDisplays::versionText);
    pair(QStringLiteral("Currently selected file name"), "identifierText", &MainDisplays::identifierText);
    pair(QStringLiteral("Right Eye File Name"), "rightEyeNameText", &MainDisplays::rightEyeNameText);
    pair(QStringLiteral("Left Eye File Name"), "leftEyeNameText", &MainDisplays::leftEyeNameText);
    pair(QStringLiteral("Earth Time. (UTC)         ="), "utcTimeText", &MainDisplays::utcTimeText);
    pair(QStringLiteral("Users Local Time Zone"), "timeZoneText", &MainDisplays::timeZoneText);
    pair(QStringLiteral("Earth Time (Local)        ="), "localTimeText", &MainDisplays::localTimeText);
    pair(QStringLiteral("SOL"), "solText", &MainDisplays::solText);

    // The long caption wraps, so the caption column is only as wide as the others need.
    auto wrapped = [&](const QString& caption) {
        QLabel* label = makeLabel(panel, {}, caption);
        label->setWordWrap(true);
        return label;
    };
    grid->addWidget(wrapped(QStringLiteral("Martian local standard time of image capture")), row, 0);
    auto* marsTime = new QHBoxLayout;
    marsTime->addWidget(value("marsTimeText", &MainDisplays::marsTimeText));
    marsTime->addSpacing(16);
    marsTime->addWidget(makeLabel(panel, {}, QStringLiteral("approx.Solar Time +/- 1hr")));
    marsTime->addStretch();
    grid->addLayout(marsTime, row++, 1, 1, 3);

    // The four transpired values get the panel's full width on a line of their own.
    grid->addWidget(makeLabel(panel, {}, QStringLiteral("Martian time transpired since landing")), row++, 0, 1, 4);
    auto* transpired = new QHBoxLayout;
    transpired->setContentsMargins(24, 0, 0, 0);
    const std::pair<const char*, QString MainDisplays::*> units[] = {
        {"transpiredSols", &MainDisplays::transpiredSols},
        {"transpiredHours", &MainDisplays::transpiredHours},
        {"transpiredMinutes", &MainDisplays::transpiredMinutes},
        {"transpiredSeconds", &MainDisplays::transpiredSeconds}};
    const QString unitCaptions[] = {QStringLiteral("Sols"), QStringLiteral("Mhrs"), QStringLiteral("Mmins"),
                                    QStringLiteral("Msecs")};
    for (int i = 0; i < 4; ++i) {
        transpired->addWidget(value(units[i].first, units[i].second));
        transpired->addSpacing(3);
        transpired->addWidget(makeLabel(panel, {}, unitCaptions[i]));
        transpired->addSpacing(8);
    }
    transpired->addStretch();
    grid->addLayout(transpired, row++, 0, 1, 4);

    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(row, 1);
    return panel;
}

void TForm1::showDisplays() {
    for (const auto& [label, field] : displayLabels_) showText(label, state_.displays.*field);
    const decode::StereoStatus& status = state_.displays.stereoStatus;
    showText(stereoStatus_, QString::fromStdString(status.text));
    setTextColour(stereoStatus_, statusColour(status.colour));
    stereoStatus_->setVisible(!status.text.empty());
    edit2_->setText(platform::displayFileName(state_.displays.fileNameField));
    edit2_->setCursorPosition(0);
}

void TForm1::showFilePath() { showText(label1_, platform::displayFileName(state_.currentFilePath)); }

bool TForm1::runGuarded(const std::function<void()>& action) {
    return platform::runGuarded(platform_, this, action);
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!startDirectoryRead_) {
        // The file list reads the start directory once the window first appears.
        startDirectoryRead_ = true;
        QTimer::singleShot(0, this, [this] { runGuarded([this] { enterStartDirectory(); }); });
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    event->accept();
    workbench_.closeProgram();
}

void TForm1::closeProgram() { workbench_.closeProgram(); }

void TForm1::openInitialPath(const QString& path) {
    initialPath_ = path.startsWith(QLatin1Char('/')) ? path : QDir::currentPath() + QLatin1Char('/') + path;
}

void TForm1::enterStartDirectory() {
    startDirectoryRead_ = true;
    const QString initial = std::exchange(initialPath_, QString());
    bool entered = false;
    // One that cannot be entered has had its box; the working directory is still a place to be.
    if (!initial.isEmpty() && runGuarded([&] { entered = enterInitialPath(initial); }) && entered) return;
    setDirectory(QDir::currentPath());
}

bool TForm1::enterInitialPath(const QString& path) {
    // Reached by its bytes, like the files of the list: the name need not be UTF-8.
    const QByteArray bytes = platform::fileNameToBytes(path);
    struct stat info {};
    if (::stat(bytes.constData(), &info) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        platform_.warning(this, QStringLiteral("Cannot open \"%1\": %2. Keldar starts in the working directory.")
                                    .arg(platform::displayFileName(path), reason));
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        setDirectory(path);
        return true;
    }
    const qsizetype slash = bytes.lastIndexOf('/');
    initialFile_ = platform::fileNameFromBytes(bytes.mid(slash + 1));
    try {
        setDirectory(platform::fileNameFromBytes(slash == 0 ? QByteArray("/") : bytes.left(slash)));
    } catch (...) {
        initialFile_.clear();
        throw;
    }
    // Already the directory shown: entering it ran nothing.
    if (!initialFile_.isEmpty()) runEnteredAction();
    return true;
}

void TForm1::runEnteredAction() {
    // A name the list leaves out (a hidden file) starts the walk as any entered directory does.
    const int initial = initialFile_.isEmpty()
                            ? -1
                            : static_cast<int>(browser_->fileNames().indexOf(std::exchange(initialFile_, QString())));
    if (initial < 0) {
        runImageAction();
        return;
    }
    selectFile(initial);
    runImageWalkAction(true);
}

void TForm1::setDirectory(const QString& path) {
    // A directory chosen before the window first shows replaces the start directory.
    startDirectoryRead_ = true;
    browser_->setDirectory(path);
}

void TForm1::selectFile(int index) { browser_->setSelectedIndex(index); }

int TForm1::selectedFileIndex() const { return browser_->selectedIndex(); }

void TForm1::stopSlideshow() {
    timer1_->stop();
    slideshowBox_->setChecked(false);
    setOption(&ViewerOptions::slideshowRunning, false);
}

}  // namespace keldar::ui
