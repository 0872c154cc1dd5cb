// How fast the workbench shows pictures: the movie mode ("Let's go to the movies", a 10 ms
// slideshow) with the large-image page showing, and cursor steps down the file list (the
// Down key, from the press until the window has repainted).
//
//   bench/make-slideshow-directory.sh /tmp/slides 100 grey 1024
//   build/bench/bench_slideshow /tmp/slides [SECONDS]         (default 20 seconds of movies)
//   build/bench/bench_slideshow --soak /tmp/slides [SECONDS]  (default 300: resident memory)
//   build/bench/bench_slideshow --make DIR COUNT [grey|colour] [SIDE]
//   build/bench/bench_slideshow --search DIR                 (a SOL search through every entry)
//
// A slideshow step is the time the program is busy from one slideshow tick to the next (the
// step itself, the repaints it queues, everything else the event loop handles meanwhile);
// idle waiting for the timer is not counted. The main thread's processor time in those steps
// is printed beside it: on a machine shared with other work the two differ. The platform plugin is QT_QPA_PLATFORM when set,
// else xcb when a display is there (xvfb-run), else offscreen. Boxes go to a fake desktop.

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "core/imaging/ImageFile.h"
#include "platform/FakePlatform.h"
#include "ui/app/FileBrowser.h"
#include "ui/app/ImageView.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"
#include "ui/pages/LargeImageUnit7.h"
#include "ui/search/SOLsearchUnit23.h"

namespace {

using keldar::imaging::ImageBuffer;

// Processor time of the calling thread.
double threadCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Every event the application delivers passes here: the busy time between two ticks of the
// slideshow timer is one step, and paints of the large-image page's picture count as shown.
class MeasuringApplication : public QApplication {
public:
    using QApplication::QApplication;

    QObject* slideshowTimer = nullptr;
    QObject* pageView = nullptr;
    bool recording = false;
    std::vector<double> steps;  // ms
    std::vector<double> stepsCpu;  // ms of the main thread's processor time
    std::vector<double> intervals;  // ms from one tick to the next
    int shown = 0;

    bool notify(QObject* receiver, QEvent* event) override {
        // Paints come inside the window's update request.
        if (recording && receiver == pageView && event->type() == QEvent::Paint) ++shown;
        if (depth_ > 0 || !recording) {
            ++depth_;
            const bool done = QApplication::notify(receiver, event);
            --depth_;
            return done;
        }
        const bool tick = receiver == slideshowTimer && event->type() == QEvent::Timer;
        if (tick) {
            if (stepOpen_) {
                steps.push_back(busy_);
                stepsCpu.push_back(busyCpu_);
                intervals.push_back(static_cast<double>(sinceTick_.nsecsElapsed()) / 1e6);
            }
            sinceTick_.start();
            stepOpen_ = true;
            busy_ = 0;
            busyCpu_ = 0;
        }
        QElapsedTimer clock;
        clock.start();
        const double cpu = threadCpuMs();
        ++depth_;
        const bool done = QApplication::notify(receiver, event);
        --depth_;
        busy_ += static_cast<double>(clock.nsecsElapsed()) / 1e6;
        busyCpu_ += threadCpuMs() - cpu;
        return done;
    }

    void reset() {
        steps.clear();
        stepsCpu.clear();
        intervals.clear();
        shown = 0;
        stepOpen_ = false;
        busy_ = 0;
    }

private:
    int depth_ = 0;
    bool stepOpen_ = false;
    double busy_ = 0;
    double busyCpu_ = 0;
    QElapsedTimer sinceTick_;
};

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(std::lround(p * static_cast<double>(values.size() - 1)));
    return values[at];
}

// The event loop runs as the workbench's own does, sleeping while nothing is due: a loop of
// processEvents() calls would spin and take a core from the threads reading ahead.
void runFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void settle() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// A camera-like picture: smooth terrain with fine texture, so its JPEG is of a real size.
ImageBuffer makePicture(int side, bool colour, int seed) {
    ImageBuffer picture(side, side);
    unsigned state = 12345u + static_cast<unsigned>(seed) * 7919u;
    for (int y = 0; y < side; ++y) {
        std::uint8_t* row = picture.row(y);
        for (int x = 0; x < side; ++x) {
            state = state * 1103515245u + 12345u;
            const int noise = static_cast<int>((state >> 16) & 31) - 16;
            const double terrain = 110 + 60 * std::sin((x + seed * 13) * 0.011) * std::cos(y * 0.017) +
                                   25 * std::sin((x + y) * 0.05 + seed);
            const int grey = std::clamp(static_cast<int>(terrain) + noise, 0, 255);
            row[3 * x + 0] = static_cast<std::uint8_t>(colour ? std::clamp(grey - 40, 0, 255) : grey);
            row[3 * x + 1] = static_cast<std::uint8_t>(colour ? std::clamp(grey - 10, 0, 255) : grey);
            row[3 * x + 2] = static_cast<std::uint8_t>(colour ? std::clamp(grey + 30, 0, 255) : grey);
        }
    }
    return picture;
}

int makeDirectory(const QString& directory, int count, bool colour, int side) {
    if (!QDir().mkpath(directory)) {
        std::fprintf(stderr, "bench_slideshow: cannot make %s\n", qPrintable(directory));
        return 1;
    }
    // A handful of different pictures under product names of a navigation or panoramic camera.
    const int distinct = std::min(count, 8);
    std::vector<ImageBuffer> pictures;
    for (int i = 0; i < distinct; ++i) pictures.push_back(makePicture(side, colour, i));
    const char eyes[] = {'L', 'R'};
    for (int i = 0; i < count; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "%d%c%09dEFF%02d%02dP%04d%c%dM1.JPG", 1 + i % 2, colour ? 'P' : 'N',
                      128000000 + i * 37, i / 100 % 100, i % 100, 1000 + i % 9000, eyes[i % 2], colour ? 2 : 0);
        const std::string path = (directory + QLatin1Char('/') + QLatin1String(name)).toStdString();
        const std::string error = keldar::imaging::writeJpegFile(pictures[static_cast<std::size_t>(i % distinct)], path, 90);
        if (!error.empty()) {
            std::fprintf(stderr, "bench_slideshow: %s\n", error.c_str());
            return 1;
        }
    }
    std::printf("%d %s %d x %d JPEGs in %s\n", count, colour ? "colour" : "grey", side, side, qPrintable(directory));
    return 0;
}

QtMessageHandler standardHandler = nullptr;

// The offscreen plugin says at every window move what it cannot do; that is no news here.
void quietPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support"))) return;
    if (standardHandler != nullptr) standardHandler(type, context, message);
}

void choosePlatform() {
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) return;
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
}

int usage() {
    std::fprintf(stderr,
                 "usage: bench_slideshow DIRECTORY [SECONDS]\n"
                 "       bench_slideshow --soak DIRECTORY [SECONDS]\n"
                 "       bench_slideshow --search DIRECTORY\n"
                 "       bench_slideshow --make DIRECTORY COUNT [grey|colour] [SIDE]\n");
    return 2;
}

// A SOL search for a sol none of the entries has, so it examines every entry once through the
// Image action, as the user starts it from the SOL searcher with the main window showing.
int runSearch(keldar::ui::Workbench& workbench) {
    keldar::ui::TForm23& searcher = workbench.solSearcher();
    searcher.openSearcher();
    searcher.findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("9999"));
    settle();
    auto* progress = searcher.findChild<QLabel*>(QStringLiteral("progressLabel"));
    QElapsedTimer clock;
    clock.start();
    const double cpuAtStart = processCpuSeconds();
    searcher.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
    while (searcher.searching()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    const QString text = progress->text();  // "Examined N of M entries"
    const int examined = text.section(QLatin1Char(' '), 1, 1).toInt();
    const double cpu = processCpuSeconds() - cpuAtStart;
    std::printf("SOL search: %s in %.2f s, %.1f entries per second (processor time %.1f ms an entry, all threads)\n",
                qPrintable(text), elapsed, examined / elapsed, examined > 0 ? cpu * 1e3 / examined : 0.0);
    return examined > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && args[0] == "--make") {
        if (args.size() < 3) return usage();
        const int count = std::atoi(args[2].c_str());
        const bool colour = args.size() > 3 && args[3] == "colour";
        const int side = args.size() > 4 ? std::atoi(args[4].c_str()) : 1024;
        if (count < 1 || side < 8 || side > 8192) return usage();
        return makeDirectory(QString::fromStdString(args[1]), count, colour, side);
    }
    const bool soak = !args.empty() && args[0] == "--soak";
    const bool search = !args.empty() && args[0] == "--search";
    const std::size_t first = soak || search ? 1 : 0;
    if (args.size() <= first) return usage();
    const int seconds = args.size() > first + 1 ? std::max(1, std::atoi(args[first + 1].c_str())) : (soak ? 300 : 20);

    choosePlatform();
    standardHandler = qInstallMessageHandler(quietPlatformNotes);
    MeasuringApplication application(argc, argv);
    const QString directory = QFileInfo(QString::fromStdString(args[first])).canonicalFilePath();
    if (directory.isEmpty() || !QFileInfo(directory).isDir()) {
        std::fprintf(stderr, "bench_slideshow: %s is not a directory\n", args[first].c_str());
        return 1;
    }

    keldar::platform::FakePlatform platform;
    keldar::ui::Workbench workbench(platform);
    keldar::ui::TForm1& window = workbench.mainWindow();
    window.setDirectory(directory);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    runFor(3000);  // the startup tick and the directories page
    const int files = window.fileBrowser().fileCount();
    std::printf("platform %s, %s: %d files\n", qPrintable(QGuiApplication::platformName()), qPrintable(directory),
                files);
    if (files < 2) return 1;
    if (search) return runSearch(workbench);

    // Cursor steps down the list with the large-image page showing, as the user does.
    workbench.largeImagePage().showPage();
    auto* list = window.findChild<QListView*>(QStringLiteral("FileListBox1"));
    window.selectFile(0);
    list->setFocus();
    settle();
    // A held key repeats 25 times a second (the X server's default); presses back to back
    // show what a step costs when nothing could be read ahead in between.
    std::vector<double> cursor, cursorBackToBack, cursorCpu, cursorBackToBackCpu;
    for (int i = 0; i + 1 < std::min(files, 201); ++i) {
        const bool repeating = i % 2 == 0;
        if (repeating) runFor(40);
        QElapsedTimer clock;
        clock.start();
        const double cpu = threadCpuMs();
        QTest::keyClick(list, Qt::Key_Down);
        settle();
        (repeating ? cursor : cursorBackToBack).push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        (repeating ? cursorCpu : cursorBackToBackCpu).push_back(threadCpuMs() - cpu);
    }

    application.slideshowTimer = window.findChild<QTimer*>(QStringLiteral("Timer1"));
    application.pageView = &workbench.largeImagePage().imageView();
    const long residentAtStart = residentKiB();
    window.menuItem(QStringLiteral("Letsgotothemovies1"))->trigger();
    runFor(1000);  // warm-up
    application.recording = true;
    application.reset();
    QElapsedTimer clock;
    clock.start();
    runFor(seconds * 1000);
    const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    application.recording = false;
    const long residentAtEnd = residentKiB();
    window.stopSlideshow();

    std::printf("movie mode %.0f s: %.1f images shown per second (%zu steps, %.1f per second)\n", elapsed,
                application.shown / elapsed, application.steps.size(),
                static_cast<double>(application.steps.size()) / elapsed);
    std::printf("slideshow step: median %.1f ms, 95th percentile %.1f ms (main thread's processor time: median "
                "%.1f ms, 95th percentile %.1f ms)\n",
                percentile(application.steps, 0.5), percentile(application.steps, 0.95),
                percentile(application.stepsCpu, 0.5), percentile(application.stepsCpu, 0.95));
    std::printf("tick to tick:   median %.1f ms, 95th percentile %.1f ms, 99th percentile %.1f ms\n",
                percentile(application.intervals, 0.5), percentile(application.intervals, 0.95),
                percentile(application.intervals, 0.99));
    std::printf(
        "cursor step:    median %.1f ms, 95th percentile %.1f ms (%zu steps, a key held down; processor "
        "time: median %.1f ms, 95th percentile %.1f ms)\n",
        percentile(cursor, 0.5), percentile(cursor, 0.95), cursor.size(), percentile(cursorCpu, 0.5),
        percentile(cursorCpu, 0.95));
    std::printf(
        "cursor step:    median %.1f ms, 95th percentile %.1f ms (%zu steps, right after the one before; "
        "processor time: median %.1f ms, 95th percentile %.1f ms)\n",
        percentile(cursorBackToBack, 0.5), percentile(cursorBackToBack, 0.95), cursorBackToBack.size(),
        percentile(cursorBackToBackCpu, 0.5), percentile(cursorBackToBackCpu, 0.95));
    if (soak)
        std::printf("resident memory (VmRSS): %ld KiB at the start, %ld KiB after %d s of movies\n", residentAtStart,
                    residentAtEnd, seconds);
    return 0;
}
