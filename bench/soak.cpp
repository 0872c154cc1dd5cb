// A soak run of the workbench: the fast slideshow over a directory for a while, then many
// round trips through the stereo, anaglyph and colour pages, with the resident memory before
// and after each part. Run by hand; memory that keeps growing is a leak.
//
//   build/keldar-cli make-sample /tmp/sample
//   build/bench/soak /tmp/sample [SECONDS] [ROUNDS]      (defaults: 600 seconds, 100 rounds)
//
// Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise; boxes are answered by
// the fake desktop so nothing waits for a click.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>

#include "platform/FakePlatform.h"
#include "ui/app/FileBrowser.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"
#include "ui/colour/ColourAltUnit20.h"
#include "ui/stereo/StereoUnit2.h"

namespace {

// Resident set size in MiB, from the kernel's own count.
double residentMiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void runFor(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

int indexOf(keldar::ui::TForm1& window, const char* suffix) {
    const QStringList& names = window.fileBrowser().fileNames();
    for (int i = 0; i < names.size(); ++i)
        if (names[i].endsWith(QLatin1String(suffix))) return i;
    return -1;
}

void click(QWidget& window, const char* name) {
    if (auto* button = window.findChild<QPushButton*>(QString::fromLatin1(name))) button->click();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: soak DIRECTORY [SECONDS] [ROUNDS]\n");
        return 2;
    }
    const QString directory = QFileInfo(QString::fromLocal8Bit(argv[1])).canonicalFilePath();
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 600;
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 100;
    if (directory.isEmpty()) {
        std::fprintf(stderr, "soak: %s is not a directory\n", argv[1]);
        return 1;
    }

    keldar::platform::FakePlatform platform;
    keldar::ui::Workbench workbench(platform);
    keldar::ui::TForm1& window = workbench.mainWindow();
    window.setDirectory(directory);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    runFor(3000);  // the startup tick and the directories page
    const double atStart = residentMiB();

    // The fast slideshow, with the large-image page showing.
    window.menuItem(QStringLiteral("Letsgotothemovies1"))->trigger();
    runFor(5000);
    const double slideshowWarm = residentMiB();
    runFor(seconds * 1000);
    window.menuItem(QStringLiteral("SlideshowStartStop1"))->trigger();
    runFor(500);
    const double slideshowEnd = residentMiB();
    std::printf("slideshow %d s: start %.1f MiB, after 5 s %.1f MiB, at the end %.1f MiB\n", seconds, atStart,
                slideshowWarm, slideshowEnd);

    // Round trips: a stereo pair to the viewer and on to the anaglyph page, then a colour run.
    const int left = indexOf(window, "P1507L0M1.JPG");
    const int red = indexOf(window, "L4M1.JPG");
    window.menuItem(QStringLiteral("CheckStereoAutoshow1"))->trigger();
    double afterFirst = 0;
    for (int round = 0; round < rounds; ++round) {
        if (left >= 0) {
            window.selectFile(left);
            window.runGuarded([&] { window.runImageAction(); });
            click(workbench.stereoViewer(), "Button5");  // "Anaglyph This"
        }
        if (red >= 0) {
            window.selectFile(red);
            window.runGuarded([&] { window.runImageAction(); });
            click(window, "Button9");  // "Colour"
        }
        runFor(20);
        platform.clear();
        if (round == 0) afterFirst = residentMiB();
    }
    const double roundsEnd = residentMiB();
    std::printf("%d round trips: after the first %.1f MiB, at the end %.1f MiB (growth %.1f MiB)\n", rounds,
                afterFirst, roundsEnd, roundsEnd - afterFirst);
    return 0;
}
