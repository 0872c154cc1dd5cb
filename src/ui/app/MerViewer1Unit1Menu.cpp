// The main menu, built from one table so that it reads like the menu. Items whose commands
// belong to pages not built yet exist with their captions, hints and marks and do nothing.

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>

#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"
#include "ui/pages/WebLinksUnit4.h"
#include "ui/time/DataDecodingUnit10.h"
#include "ui/time/EarthTimeUnit3.h"
#include "ui/time/MartianCalendarUnit5.h"
#include "ui/time/MartianTimeUnit13.h"

namespace keldar::ui {

using platform::ThreadPriority;

struct TForm1::MenuEntry {
    enum class Kind { Command, Toggle, Mark, Priority, FontSize };
    const char* menu;
    const char* submenu;  // nullptr: directly in the menu
    const char* caption;
    const char* hint;
    Kind kind = Kind::Command;
    void (TForm1::*command)() = nullptr;      // Command and Mark; nullptr: nothing yet
    bool ViewerOptions::*option = nullptr;    // Toggle and Mark
    ThreadPriority priority = ThreadPriority::Normal;
    bool hidden = false;
};

namespace {

// "Check Print / Clipboard" -> "CheckPrintClipboard1"; numbers of a sub-menu get its name.
QString itemName(const char* caption, const char* submenu) {
    QString name = QString::fromLatin1(caption).remove(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")));
    if (!name.isEmpty() && name.front().isDigit() && submenu != nullptr)
        return QString::fromLatin1(submenu).remove(QRegularExpression(QStringLiteral("[^A-Za-z0-9]"))) + name;
    return name + QLatin1Char('1');
}

}  // namespace

void TForm1::buildMenu() {
    using O = ViewerOptions;
    using Kind = MenuEntry::Kind;
    const char* const fontSizes[] = {"5", "6", "7", "8", "9", "10", "11", "12", "13", "14"};
    std::vector<MenuEntry> entries = {
        {"File", nullptr, "Directories", nullptr, Kind::Command, &TForm1::showDirectoriesPage},
        {"File", nullptr, "Fetch from the PDS archive...", "Fetch a sol's images from the PDS imaging archive",
         Kind::Command, &TForm1::showArchiveFetchPage},
        {"File", nullptr, "Close", nullptr, Kind::Command, &TForm1::closeProgram},
        {"File", nullptr, "Function Testing", nullptr, Kind::Command, &TForm1::showPlayPage, nullptr, {}, true},
        {"Edit", nullptr, "Open Notepad", nullptr, Kind::Command, &TForm1::openNotesFile},
    };
    for (const char* size : fontSizes) entries.push_back({"Edit", "Filename Font Size", size, nullptr, Kind::FontSize});
    const std::vector<MenuEntry> rest = {
        {"View", nullptr, "Full Size Image", nullptr, Kind::Command, &TForm1::showFullSizeImage},
        {"View", nullptr, "Large Size Image", nullptr, Kind::Command, &TForm1::showLargeSizeImage},
        {"View", nullptr, "Manual Stereo Image Selection", nullptr, Kind::Command, &TForm1::runManualStereoHandOff},
        {"View", nullptr, "Show Stereo Image Pair", nullptr, Kind::Command, &TForm1::runStereoAction},
        {"View", nullptr, "Slideshow Start / Stop", nullptr, Kind::Mark, &TForm1::toggleSlideshow, &O::slideshowRunning},
        {"View", nullptr, "Sunset Sim fade", nullptr, Kind::Command, &TForm1::showSunsetPage},
        {"View", nullptr, "Traverse Maps", nullptr, Kind::Command, &TForm1::showTraverseMaps},
        {"View", nullptr, "PDS Label", "The label attached to a PDS product (.IMG)", Kind::Command,
         &TForm1::showLabelPage},
        {"Tools", nullptr, "My Birthday Searcher", nullptr, Kind::Command, &TForm1::showBirthdaySearcher},
        {"Tools", nullptr, "SOL searcher", nullptr, Kind::Command, &TForm1::showSolSearcher},
        {"Tools", nullptr, "Anaglyph Stereo Page", nullptr, Kind::Command, &TForm1::showAnaglyphPage},
        {"Tools", nullptr, "Colour Image Production Page", nullptr, Kind::Command, &TForm1::showColourPage},
        {"Tools", nullptr, "BMP to AVI external program", nullptr, Kind::Command, &TForm1::runAviBuilderProgram, nullptr, {},
         true},
        {"Tools", nullptr, "Run Autostitch external program", nullptr, Kind::Command, &TForm1::runStitcherProgram},
        {"Tools", nullptr, "Panorama of this sequence", "Stitch the frames of this image's sequence into a panorama",
         Kind::Command, &TForm1::showPanoramaPage},
        {"Tools", nullptr, "Movie of this sequence...",
         "Play the frames of this image's sequence and make them a movie", Kind::Command, &TForm1::showMoviePage},
        {"Options", "Application Priority", "Idle", nullptr, Kind::Priority, nullptr, nullptr, ThreadPriority::Idle},
        {"Options", "Application Priority", "Lowest", nullptr, Kind::Priority, nullptr, nullptr, ThreadPriority::Lowest},
        {"Options", "Application Priority", "Lower", nullptr, Kind::Priority, nullptr, nullptr, ThreadPriority::Lower},
        {"Options", "Application Priority", "Normal", nullptr, Kind::Priority, nullptr, nullptr, ThreadPriority::Normal},
        {"Options", "Application Priority", "Higher", nullptr, Kind::Priority, nullptr, nullptr, ThreadPriority::Higher},
        {"Options", "Application Priority", "Highest", nullptr, Kind::Priority, nullptr, nullptr, ThreadPriority::Highest},
        {"Options", nullptr, "Check Print / Clipboard", "Swap between Print and Clipboard", Kind::Mark,
         &TForm1::togglePrintClipboardSwitch, &O::printClipboardSwitch},
        {"Options", nullptr, "Slideshow Delay", "Change the Slideshow delay in milliseconds", Kind::Command,
         &TForm1::showSlideshowDelayPage},
        {"Options", nullptr, "Check Stereo Autoshow", "Autoshow Stereo Images with same Time and Filter", Kind::Toggle,
         nullptr, &O::stereoAutoshow},
        {"Options", nullptr, "Thumbnails as Fullsize", nullptr, Kind::Toggle, nullptr, &O::thumbnailsAsFullsize},
        {"Options", nullptr, "Check Loop Slideshow", nullptr, Kind::Toggle, nullptr, &O::loop},
        {"Options", nullptr, "Auto L4L5L6 RGB", nullptr, Kind::Mark, &TForm1::toggleAutoRgb, &O::autoRgb},
        {"Options", nullptr, "Force Manual Colour", nullptr, Kind::Mark, &TForm1::toggleForceManualColour,
         &O::forceManualColour},
        {"Options", nullptr, "Let's go to the movies", nullptr, Kind::Mark, &TForm1::startMovies, &O::movies},
        {"Options", nullptr, "Accept lower-case archive names",
         "Read names as the archive volumes write them (2n292280938effb100p0703l0m1.img) as if in upper case",
         Kind::Mark, &TForm1::toggleLowerCaseNames, &O::acceptLowerCaseNames},
        {"Information", nullptr, "Earth Variables Display", nullptr, Kind::Command, &TForm1::showEarthVariablesPage},
        {"Information", nullptr, "Martian Calendar", nullptr, Kind::Command, &TForm1::showMartianCalendarPage},
        {"Information", nullptr, "Martian Variables Display", nullptr, Kind::Command, &TForm1::showMartianTimePage},
        {"Information", nullptr, "MER Data Decoding", nullptr, Kind::Command, &TForm1::showDataDecodingPage},
        {"Information", nullptr, "The Help Menu", nullptr, Kind::Command, &TForm1::showHelpMenu},
        {"Information", nullptr, "Web Links All Mars", nullptr, Kind::Command, &TForm1::showWebLinksPage},
        {"Information", nullptr, "Your Screen Resolution", nullptr, Kind::Command, &TForm1::showScreenResolution},
        {"Remember", nullptr, "Those that went before us", nullptr, Kind::Command, &TForm1::startMemorial},
        {"Help", nullptr, "Help", nullptr, Kind::Command, &TForm1::showHelpMenu},
    };
    entries.insert(entries.end(), rest.begin(), rest.end());

    QMenu* menu = nullptr;
    QMenu* submenu = nullptr;
    QString menuCaption, submenuCaption;
    QActionGroup* priorities = nullptr;
    for (const MenuEntry& entry : entries) {
        if (menuCaption != QLatin1String(entry.menu)) {
            menuCaption = QString::fromLatin1(entry.menu);
            menu = menuBar()->addMenu(menuCaption);
            menu->setObjectName(itemName(entry.menu, nullptr));
            menu->setToolTipsVisible(true);
            submenu = nullptr;
            submenuCaption.clear();
        }
        QMenu* target = menu;
        if (entry.submenu != nullptr) {
            if (submenuCaption != QLatin1String(entry.submenu)) {
                submenuCaption = QString::fromLatin1(entry.submenu);
                submenu = menu->addMenu(submenuCaption);
                submenu->setObjectName(itemName(entry.submenu, nullptr));
                submenu->setToolTipsVisible(true);
                submenu->menuAction()->setObjectName(submenu->objectName());
            }
            target = submenu;
        }
        QAction* item = target->addAction(QString::fromLatin1(entry.caption));
        item->setObjectName(itemName(entry.caption, entry.submenu));
        if (entry.hint != nullptr) {
            item->setToolTip(QString::fromLatin1(entry.hint));
            item->setStatusTip(QString::fromLatin1(entry.hint));
        }
        item->setVisible(!entry.hidden);

        switch (entry.kind) {
        case Kind::FontSize: {
            const int points = QString::fromLatin1(entry.caption).toInt();
            connect(item, &QAction::triggered, this, [this, points] { setFileListFontSize(points); });
            break;
        }
        case Kind::Command:
            if (entry.command != nullptr) {
                const auto command = entry.command;
                connect(item, &QAction::triggered, this, [this, command] { runGuarded([this, command] { (this->*command)(); }); });
            }
            break;
        case Kind::Toggle: {
            item->setCheckable(true);
            const auto option = entry.option;
            connect(item, &QAction::triggered, this, [this, option] { toggleOption(option); });
            optionItems_.emplace_back(item, option);
            break;
        }
        case Kind::Mark: {
            // The command decides the mark; the item shows what the viewer state then holds.
            item->setCheckable(true);
            const auto command = entry.command;
            connect(item, &QAction::triggered, this, [this, command] {
                if (command != nullptr) runGuarded([this, command] { (this->*command)(); });
                syncMenuMarks();
            });
            optionItems_.emplace_back(item, entry.option);
            break;
        }
        case Kind::Priority:
            if (priorities == nullptr) {
                priorities = new QActionGroup(this);
                priorities->setExclusive(true);
            }
            item->setCheckable(true);
            priorities->addAction(item);
            const ThreadPriority priority = entry.priority;
            connect(item, &QAction::triggered, this, [this, priority] { choosePriority(priority); });
            priorityItems_.emplace_back(item, entry.priority);
            break;
        }
    }
    syncMenuMarks();
}

void TForm1::syncMenuMarks() {
    for (const auto& [item, option] : optionItems_) item->setChecked(state_.options.*option);
    for (const auto& [item, priority] : priorityItems_) item->setChecked(state_.priorityChoice == priority);
}

void TForm1::toggleLowerCaseNames() {
    state_.options.acceptLowerCaseNames = !state_.options.acceptLowerCaseNames;
    // The image on display is read again the new way at once, not only from the next step.
    if (selectedFileIndex() >= 0) runDataAction();
}

void TForm1::toggleOption(bool ViewerOptions::*option) { setOption(option, !(state_.options.*option)); }

void TForm1::setOption(bool ViewerOptions::*option, bool on) {
    state_.options.*option = on;
    syncMenuMarks();
}

QAction* TForm1::menuItem(const QString& name) const {
    for (QAction* item : menuBar()->findChildren<QAction*>(name)) return item;
    for (QMenu* menu : menuBar()->findChildren<QMenu*>())
        for (QAction* item : menu->actions())
            if (item->objectName() == name) return item;
    return nullptr;
}

void TForm1::showMartianTimePage() { workbench_.martianTimePage().showPage(); }

void TForm1::showEarthVariablesPage() {
    TForm3& page = workbench_.earthTimePage();
    page.runDisplayTime();
    page.showPage();
}

void TForm1::showMartianCalendarPage() { workbench_.martianCalendarPage().showPage(); }

void TForm1::showDataDecodingPage() { workbench_.dataDecodingPage().showPage(); }

void TForm1::showWebLinksPage() { workbench_.webLinksPage().showPage(); }

}  // namespace keldar::ui
