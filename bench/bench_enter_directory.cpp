// How long the main window takes to enter a large directory: the file list re-reads it, the
// Image action loads the first picture, the Data action decodes it and the window repaints.
//
//   bench/make-big-directory.sh /tmp/big 20000
//   build/bench/bench_enter_directory /tmp/big [ROUNDS]
//
// Each round enters an empty scratch directory and then the big one, so the list really is
// re-read every time. Runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include "platform/FakePlatform.h"
#include "ui/app/FileBrowser.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"

namespace {

// Lets the window finish everything the change queued (layout, painting).
void settle() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_enter_directory DIRECTORY [ROUNDS]\n");
        return 2;
    }
    const QString big = QFileInfo(QString::fromLocal8Bit(argv[1])).canonicalFilePath();
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    if (big.isEmpty() || !QFileInfo(big).isDir()) {
        std::fprintf(stderr, "bench_enter_directory: %s is not a directory\n", argv[1]);
        return 1;
    }
    QTemporaryDir empty;

    // A fake desktop answers the boxes (the empty directory's warning) without blocking.
    keldar::platform::FakePlatform platform;
    keldar::ui::Workbench workbench(platform);
    keldar::ui::TForm1& window = workbench.mainWindow();
    window.setDirectory(empty.path());
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return 1;
    settle();

    std::vector<double> enter, step;
    for (int round = 0; round < rounds; ++round) {
        window.setDirectory(empty.path());
        settle();

        QElapsedTimer timer;
        timer.start();
        window.setDirectory(big);
        settle();
        enter.push_back(timer.nsecsElapsed() / 1e6);

        // A step down the list, as the cursor key does, in the middle of the directory.
        auto* list = window.findChild<QListView*>(QStringLiteral("FileListBox1"));
        window.selectFile(window.fileBrowser().fileCount() / 2);
        list->setFocus();
        timer.restart();
        QTest::keyClick(list, Qt::Key_Down);
        settle();
        step.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(enter.begin(), enter.end());
    std::sort(step.begin(), step.end());
    std::printf("directory: %s, %d files, %d rounds\n", qPrintable(big), window.fileBrowser().fileCount(), rounds);
    std::printf("enter directory (list, load, decode, repaint): median %.1f ms, min %.1f ms, max %.1f ms\n",
                enter[enter.size() / 2], enter.front(), enter.back());
    std::printf("step one file down:                           median %.1f ms, min %.1f ms, max %.1f ms\n",
                step[step.size() / 2], step.front(), step.back());
    return 0;
}
