#include "ui/pages/DirectoriesUnit22.h"

#include <exception>
#include <initializer_list>

#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/imaging/ImageFile.h"
#include "platform/ActionGuard.h"
#include "platform/Platform.h"
#include "ui/app/Controls.h"
#include "ui/app/FileBrowser.h"
#include "ui/app/ImageConversion.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"
#include "ui/pages/DirectoryIcons.h"
#include "ui/pages/HelpMenuUnit12.h"

namespace keldar::ui {

namespace {

const QString kPictureFilter = QStringLiteral("Images (*.jpg *.jpeg *.bmp *.img *.JPG *.JPEG *.BMP *.IMG);;All files (*)");
constexpr int kIconSide = 32;
const QColor kGreen(0, 128, 0);

void setBold(QLabel* label) {
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
}

void setBackground(QLabel* label, const QColor& colour) {
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, colour);
    label->setPalette(palette);
}

}  // namespace

TForm22::TForm22(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm22"), QStringLiteral("Keldar 2007 Directories"),
           QSize(760, 560), ScreenFitMode::Full) {
    auto value = [this](const char* name, const QColor& colour) {
        QLabel* label = makeValueLabel(this, QString::fromLatin1(name), QString::fromLatin1(name), colour);
        label->setWordWrap(true);
        return label;
    };
    currentDirectory_ = value("Label1", kGreen);
    setBold(currentDirectory_);
    setBackground(currentDirectory_, Qt::yellow);
    homeDirectory_ = value("Label2", Qt::black);
    allImagesDirectory_ = value("Label3", Qt::black);
    anaglyphDirectory_ = value("Label4", Qt::black);
    rgbDirectory_ = value("Label5", Qt::black);
    colourDirectory_ = value("Label6", Qt::black);
    chosenFile_ = value("Label7", kGreen);
    chosenFile_->setText(QStringLiteral("This selection is empty at the moment."));

    auto button = [this](const char* name, const char* caption, void (TForm22::*command)()) {
        QPushButton* made = makeButton(this, QString::fromLatin1(name), QString::fromLatin1(caption));
        connect(made, &QPushButton::clicked, this,
                [this, command] { platform::runGuarded(platform_, this, [this, command] { (this->*command)(); }); });
        return made;
    };
    QPushButton* home = button("Button3", "Home", &TForm22::jumpHome);
    QPushButton* nasa = button("Button6", "NASA", &TForm22::jumpAllImages);
    QPushButton* anaglyphs = button("Button4", "3D", &TForm22::jumpAnaglyphs);
    QPushButton* rgb = button("Button7", "RGB", &TForm22::jumpRgb);
    QPushButton* colour = button("Button5", "Colour ?", &TForm22::jumpColour);
    QPushButton* browse = button("Button8", "Browse for a new Directory of MER images", &TForm22::browse);
    QPushButton* jump = button("Button2", "Jump", &TForm22::jumpToChosen);
    QPushButton* help = button("Button9", "Help Menu", &TForm22::showHelpMenu);
    QPushButton* close = button("Button1", "Close", &TForm22::closePage);

    preview_ = makeLabel(this, QStringLiteral("Image7"), {});
    preview_->setFixedSize(kIconSide, kIconSide);
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setPixmap(QPixmap::fromImage(drawDirectoryIcon(DirectoryIcon::Chosen, kIconSide)));

    auto* rows = new QGridLayout;
    rows->setVerticalSpacing(6);
    rows->setColumnStretch(1, 1);
    int row = 0;
    // One row: its picture, its fixed lines (the first one bold) over its value, its button.
    auto addRow = [&](QWidget* picture, std::initializer_list<const char*> lines, QLabel* shown,
                      QPushButton* jumpButton, QWidget* extra = nullptr) {
        rows->addWidget(picture, row, 0, Qt::AlignTop);
        auto* text = new QVBoxLayout;
        text->setSpacing(0);
        bool first = true;
        for (const char* line : lines) {
            QLabel* label = makeLabel(this, {}, QString::fromLatin1(line));
            label->setWordWrap(true);
            if (first) setBold(label);
            first = false;
            text->addWidget(label);
        }
        text->addWidget(shown);
        if (extra != nullptr) text->addWidget(extra, 0, Qt::AlignLeft);
        rows->addLayout(text, row, 1);
        if (jumpButton != nullptr) rows->addWidget(jumpButton, row, 2, Qt::AlignVCenter);
        ++row;
    };
    auto icon = [this](DirectoryIcon kind, int number) {
        QLabel* picture = makeLabel(this, QStringLiteral("Image%1").arg(number), {});
        picture->setPixmap(QPixmap::fromImage(drawDirectoryIcon(kind, kIconSide)));
        return picture;
    };
    addRow(icon(DirectoryIcon::Current, 1),
           {"CurrentWorkingDirectory. The currently loaded image is at this location."}, currentDirectory_, nullptr);
    addRow(icon(DirectoryIcon::Home, 2),
           {"I_Am_Here_Directory. The current progam executable directory",
            "Click this button to return to the main program directory."},
           homeDirectory_, home);
    addRow(icon(DirectoryIcon::AllImages, 3),
           {"MainImageDirectory. Main NASA JPG Image directory location.",
            "Click this button to jump to the MAIN IMAGE STORAGE directory"},
           allImagesDirectory_, nasa);
    addRow(icon(DirectoryIcon::Anaglyphs, 4),
           {"AnaglyphSaveDirectory. Where to save the Anaglyph images",
            "Click this button to jump to where the RED/CYAN 3D anaglyphs are."},
           anaglyphDirectory_, anaglyphs);
    addRow(icon(DirectoryIcon::Rgb, 5),
           {"Jump to the Colour\\456_RGB directory.",
            "Click this button to jump to the Colour\\456_RGB, approximate true colour image Dir.",
            "Most images in here are as if you would see them with your own eyes."},
           rgbDirectory_, rgb);
    addRow(icon(DirectoryIcon::Colour, 6),
           {"Colour Save Directories. Where to save the various filter combination Colour images",
            "Click this button to jump to the Colour directory .",
            "The other filter combination directories can be accessed from here."},
           colourDirectory_, colour);
    addRow(preview_,
           {"You select which directory to remember. Just in case you have downloaded a pile onto your desktop.",
            "Click the jump button to go straight to the selected Dir, click 'Browse for Directory' to select a new "
            "Dir.",
            "For the directory to be accepted, you must open a file."},
           chosenFile_, jump, browse);

    QLabel* tip = makeLabel(this, {}, QStringLiteral("Tip ! To get this Directory selection page back, click the "
                                                     "little question mark button at top left on main page."));
    tip->setWordWrap(true);
    setTextColour(tip, Qt::red);
    setBackground(tip, Qt::yellow);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(help);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(rows);
    layout->addStretch();
    layout->addWidget(tip);
    layout->addLayout(buttons);

    // The main window writes its directories here at every load attempt.
    connect(&workbench.mainWindow(), &TForm1::directoriesChanged, this, &TForm22::showDirectories);

    fitToScreen();
    centreOnScreen();
}

void TForm22::showDirectories() {
    const ViewerState& state = workbench_.mainWindow().viewerState();
    showText(currentDirectory_, state.currentDirectory);
    showText(homeDirectory_, state.homeDirectory);
    showText(allImagesDirectory_, state.allImagesDirectory);
    showText(anaglyphDirectory_, state.anaglyphDirectory);
    showText(rgbDirectory_, state.rgbDirectory);
    showText(colourDirectory_, state.colourDirectory);
}

void TForm22::jumpTo(const QString& path) {
    if (path.isEmpty()) {
        platform_.warning(this, QStringLiteral("This directory is not known yet: it follows from the first image "
                                               "loaded in the main window."));
        return;
    }
    const QFileInfo target(path);
    const QString directory = target.isFile() ? target.absolutePath() : path;
    TForm1& main = workbench_.mainWindow();
    if (!QFileInfo(directory).isDir()) {
        platform_.warning(this, QStringLiteral("The directory \"%1\" does not exist. The file browser stays in \"%2\".")
                                    .arg(directory, main.fileBrowser().directory()));
        return;
    }
    try {
        main.setDirectory(directory);
    } catch (const std::exception& error) {
        platform_.warning(this, QString::fromLocal8Bit(error.what()));
        return;
    }
    close();
}

void TForm22::jumpHome() { jumpTo(workbench_.mainWindow().viewerState().homeDirectory); }

void TForm22::jumpAllImages() { jumpTo(workbench_.mainWindow().viewerState().allImagesDirectory); }

void TForm22::jumpAnaglyphs() { jumpTo(workbench_.mainWindow().viewerState().anaglyphDirectory); }

void TForm22::jumpRgb() {
    // Formed anew from the home directory at the click.
    const QString home = workbench_.mainWindow().viewerState().homeDirectory;
    jumpTo(home.isEmpty() ? QString() : categoryDirectoriesFor(home).rgb);
}

void TForm22::jumpColour() { jumpTo(workbench_.mainWindow().viewerState().colourDirectory); }

void TForm22::browse() {
    const QString path = platform_.openFileName(this, QStringLiteral("Browse for a new Directory of MER images"),
                                                jumpTarget_, kPictureFilter);
    if (path.isEmpty()) return;
    imaging::ImageResult read = imaging::readImageFile(QFile::encodeName(path).toStdString());
    if (!read.ok()) {
        platform_.error(this, QString::fromStdString(read.error));
        return;
    }
    preview_->setPixmap(QPixmap::fromImage(
        toQImage(read.image).scaled(kIconSide, kIconSide, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    showText(chosenFile_, path);
    jumpTarget_ = path;
}

void TForm22::jumpToChosen() {
    if (jumpTarget_.isEmpty()) {
        close();
        return;
    }
    // The target is a file: the browser goes to the directory it is in.
    jumpTo(QFileInfo(jumpTarget_).absolutePath());
}

void TForm22::showHelpMenu() { workbench_.helpMenuPage().showPage(); }

void TForm22::closePage() { close(); }

}  // namespace keldar::ui
