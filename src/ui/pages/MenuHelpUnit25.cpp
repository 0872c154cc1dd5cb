#include "ui/pages/MenuHelpUnit25.h"

#include <functional>
#include <vector>

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "platform/ActionGuard.h"
#include "ui/app/Controls.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"
#include "ui/colour/ColourAltUnit20.h"
#include "ui/pages/ColourHelpUnit26.h"
#include "ui/pages/FullSizeImageUnit17.h"
#include "ui/pages/HelpControls.h"
#include "ui/pages/HelpMenuUnit12.h"
#include "ui/pages/LargeImageUnit7.h"
#include "ui/pages/SunsetUnit21.h"
#include "ui/pages/TraverseMapsUnit6.h"
#include "ui/pages/WebLinksUnit4.h"
#include "ui/stereo/ManualStereoUnit11.h"
#include "ui/stereo/StereoUnit2.h"
#include "ui/time/DataDecodingUnit10.h"
#include "ui/time/MartianCalendarUnit5.h"
#include "ui/time/MartianTimeUnit13.h"

namespace keldar::ui {

namespace {

// What an item's words are on this page.
enum class Words {
    Plain,  // black, not clickable
    Blue,   // blue like a link, but nothing happens
    Link,   // blue and clickable
};

struct Item {
    const char* heading;  // a new heading starts where this changes
    const char* caption;
    Words words;
    std::function<void()> action;  // for Link
    const char* description;
};

// The items a user sees in the main window's menu of that caption (submenus count once).
int visibleItemCount(const QMainWindow& window, const QString& caption) {
    for (const QAction* heading : window.menuBar()->actions()) {
        if (heading->menu() == nullptr || heading->text() != caption) continue;
        int count = 0;
        for (const QAction* item : heading->menu()->actions())
            if (item->isVisible() && !item->isSeparator()) ++count;
        return count;
    }
    return 0;
}

}  // namespace

TForm25::TForm25(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm25"),
           QStringLiteral("Help on Menu Selections"), QSize(720, 560), ScreenFitMode::Full) {
    Workbench* bench = &workbench;
    auto show = [bench](Page& (*page)(Workbench&)) { return [bench, page] { page(*bench).showPage(); }; };
    auto menu = [this](const char* name) { return [this, name] { runMenuItem(QString::fromLatin1(name)); }; };
    // Several words open another page than the menu item of the same name: the page's own
    // target holds, as users of the page have learnt it.
    const std::vector<Item> items = {
        {"File", "Directories", Words::Plain, nullptr,
         "Shows the directories page, to jump to the home, image, anaglyph and colour directories."},
        {"File", "Fetch from the PDS archive...", Words::Plain, nullptr,
         "Fetches a rover's images of the sols you choose from the PDS imaging archive into a directory."},
        {"File", "Close", Words::Plain, nullptr, "Ends the program."},
        {"Edit", "Open Notepad", Words::Plain, nullptr,
         "Opens your notes file Keldar2007notes.txt, in the home directory, in the desktop's text editor."},
        {"Edit", "Filename Font Size", Words::Plain, nullptr, "Sets the font of the file list to 5 ... 14 points."},
        {"View", "Fullsize Image", Words::Link, show([](Workbench& b) -> Page& { return b.largeImagePage(); }),
         "Shows the current image at its real pixel size, scrolling when it is larger than the screen."},
        {"View", "Large Size Image", Words::Link, show([](Workbench& b) -> Page& { return b.fullSizeImagePage(); }),
         "Shows the current image large beside its data, with Previous, Next, Slideshow and Print."},
        {"View", "Manual Stereo Image Selection", Words::Link,
         show([](Workbench& b) -> Page& { return b.manualStereoPage(); }),
         "Pairs a left-eye and a right-eye image by hand, for pairs taken at different times or filters."},
        {"View", "Show Stereo Image Pair", Words::Link,
         show([](Workbench& b) -> Page& { return b.martianTimePage(); }),
         "Shows the current image beside its stereo partner, as the Stereo button does."},
        {"View", "Slideshow Start / Stop", Words::Link, menu("SlideshowStartStop1"),
         "Starts or stops the slideshow through the directory, on the large image page."},
        {"View", "Sunset Sim fade", Words::Link, show([](Workbench& b) -> Page& { return b.sunsetPage(); }),
         "Fades the current image into the night, as a Martian sunset."},
        {"View", "Traverse Maps", Words::Link, show([](Workbench& b) -> Page& { return b.traverseMapsPage(); }),
         "Maps of the routes that Spirit and Opportunity drove."},
        {"View", "PDS Label", Words::Plain, nullptr,
         "Shows the label of the current PDS product (.IMG): what the rover and the archive recorded with it."},
        {"Tools", "My Birthday Searcher", Words::Link, menu("MyBirthdaySearcher1"),
         "Finds the images of the directory taken on your birthday."},
        {"Tools", "SOL Searcher", Words::Link, menu("SOLsearcher1"),
         "Finds the images of the directory taken on a given sol by a given rover and camera."},
        {"Tools", "Anaglyph Stereo Page", Words::Link, show([](Workbench& b) -> Page& { return b.stereoViewer(); }),
         "Makes red/cyan 3D anaglyphs of a stereo pair and saves them."},
        {"Tools", "Colour Production Page", Words::Link,
         show([](Workbench& b) -> Page& { return b.colourComposer(); }),
         "Combines three filter images into a colour picture and saves it."},
        {"Tools", "Run Autostitch external program", Words::Plain, nullptr,
         "Starts the desktop's panorama stitcher (Hugin) with the frames of the shown image's sequence, "
         "or autostitch when it is installed in the home directory."},
        {"Tools", "Panorama of this sequence", Words::Plain, nullptr,
         "Stitches the frames of the shown image's sequence into a panorama, or both eyes into an anaglyph "
         "panorama, and saves it under ImageCategories/Panoramas."},
        {"Tools", "Movie of this sequence...", Words::Plain, nullptr,
         "Plays the frames of the shown image's sequence in its page, plain, as the difference from the still "
         "scene or each stretched, with sol and local solar time if you wish, and makes them a movie (MP4, GIF "
         "or WebM, through ffmpeg) saved under ImageCategories/Movies."},
        {"Options", "Application Priority", Words::Link, [] {},
         "Runs the program at Idle, Lowest, Lower (the start), Normal, Higher or Highest priority."},
        {"Options", "Print / Clipboard", Words::Blue, nullptr,
         "Swaps every Print button between printing its window and copying it to the clipboard."},
        {"Options", "Slideshow Delay", Words::Link, menu("SlideshowDelay1"),
         "Sets the pause between the images of the slideshow, in milliseconds."},
        {"Options", "Stereo Autoshow", Words::Blue, nullptr,
         "Shows every stereo pair by itself while you step through a directory."},
        {"Options", "Thumbnails as Fullsize", Words::Blue, nullptr,
         "Stretches small pictures to fill their views."},
        {"Options", "Loop Slideshow, ", Words::Blue, nullptr,
         "Starts the slideshow again at the top of the directory when it reaches the end."},
        {"Options", "Auto L4L5L6 RGB Colour,", Words::Link,
         show([](Workbench& b) -> Page& { return b.colourHelpPage(); }),
         "The Colour button loads a left-eye filter 4, 5 and 6 set by itself."},
        {"Options", "Force Manual Colour,", Words::Blue, nullptr,
         "The Colour button asks which band the current image goes into."},
        {"Options", "Let's go to the movies.", Words::Blue, nullptr,
         "Runs the slideshow as fast as it will go (10 milliseconds a picture)."},
        {"Options", "Accept lower-case archive names", Words::Plain, nullptr,
         "Reads file names as the PDS archive writes them, in lower case, as the product identifiers they are."},
        {"Information", "Earth Variables Display,", Words::Link, menu("EarthVariablesDisplay1"),
         "The spacecraft clock of the current image in Earth units, beside the time now."},
        {"Information", "Martian Calendar,", Words::Link,
         show([](Workbench& b) -> Page& { return b.martianCalendarPage(); }),
         "Sols and Earth dates of both missions, day by day."},
        {"Information", "Martian Variables Display,", Words::Link,
         show([](Workbench& b) -> Page& { return b.martianTimePage(); }),
         "The Mars time values of the current image: sols, time since landing, local solar time."},
        {"Information", "MER Data Decoding,", Words::Link,
         show([](Workbench& b) -> Page& { return b.dataDecodingPage(); }),
         "What every character of a product identifier means."},
        {"Information", "The Help Menu,", Words::Link, show([](Workbench& b) -> Page& { return b.helpMenuPage(); }),
         "The list of help pages."},
        {"Information", "Martian Web Links,", Words::Link, show([](Workbench& b) -> Page& { return b.webLinksPage(); }),
         "Web sites about Mars and the rovers, opened in your web browser."},
        {"Information", "Your Screen Resolution.", Words::Link, menu("YourScreenResolution1"),
         "Tells the size of your screen in pixels."},
        {"Remember", "Remember", Words::Link, menu("Thosethatwentbeforeus1"),
         "Those that went before us: in memory of the astronauts who lost their lives exploring space."},
        {"Help", "Help", Words::Link, show([](Workbench& b) -> Page& { return b.helpMenuPage(); }),
         "The help menu, which leads to every help page."},
    };

    auto* sheet = new QWidget;
    auto* grid = new QGridLayout(sheet);
    grid->setColumnStretch(1, 1);
    int row = 0;
    int labelNumber = 1;
    auto nextName = [&labelNumber] { return QStringLiteral("Label%1").arg(labelNumber++); };
    for (std::size_t first = 0; first < items.size();) {
        const QString heading = QString::fromLatin1(items[first].heading);
        std::size_t end = first;
        while (end < items.size() && heading == QLatin1String(items[end].heading)) ++end;
        QLabel* title = makeLabel(sheet, nextName(), heading);
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
        // The count is the menu's own, so the line stays true when the menu grows.
        const int count = visibleItemCount(workbench_.mainWindow(), heading);
        const QString countLine = QStringLiteral("The %1 menu has %2 %3.")
                                      .arg(heading)
                                      .arg(count)
                                      .arg(count == 1 ? QStringLiteral("item") : QStringLiteral("items"));
        grid->addWidget(title, row, 0);
        grid->addWidget(makeLabel(sheet, nextName(), countLine), row++, 1);
        for (std::size_t i = first; i < end; ++i) {
            const Item& item = items[i];
            const QString caption = QString::fromLatin1(item.caption);
            QLabel* words = item.words == Words::Plain
                                ? makeLabel(sheet, nextName(), caption)
                                : new HelpLink(sheet, nextName(), caption, item.words == Words::Link);
            words->setIndent(12);
            if (item.words == Words::Link) {
                const std::function<void()> action = item.action;
                connect(static_cast<HelpLink*>(words), &HelpLink::clicked, this,
                        [this, action] { platform::runGuarded(platform_, this, action); });
            }
            QLabel* description = makeLabel(sheet, {}, QString::fromLatin1(item.description));
            description->setWordWrap(true);
            grid->addWidget(words, row, 0, Qt::AlignTop);
            grid->addWidget(description, row++, 1);
        }
        first = end;
    }
    grid->setRowStretch(row, 1);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("ScrollBox1"));
    scroll->setWidgetResizable(true);
    scroll->setWidget(sheet);

    QPushButton* close = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Close this page"));
    QPushButton* helpMenu = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Back to the Help Menu"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(helpMenu, &QPushButton::clicked, this, [this] {
        platform::runGuarded(platform_, this, [this] {
            workbench_.helpMenuPage().showPage();
            this->close();
        });
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(helpMenu);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(scroll, 1);
    layout->addLayout(buttons);

    fitToScreen();
    centreOnScreen();
}

void TForm25::runMenuItem(const QString& name) {
    if (QAction* item = workbench_.mainWindow().menuItem(name); item != nullptr) item->trigger();
}

}  // namespace keldar::ui
