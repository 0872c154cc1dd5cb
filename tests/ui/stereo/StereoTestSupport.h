#pragma once
// What the stereo page tests share: a workbench answered by the fake desktop, small pictures
// written to disk, the generated sample directory (written once per run) and the ways to
// drive the main window the pages lean on.

#include <memory>
#include <string>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFileInfo>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include "core/imaging/ImageBuffer.h"
#include "core/imaging/ImageFile.h"
#include "core/sample/SampleDirectory.h"
#include "platform/FakePlatform.h"
#include "ui/app/FileBrowser.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"

namespace keldar::ui::testing {

struct Pixel {
    int b, g, r;
    friend bool operator==(const Pixel&, const Pixel&) = default;
};

inline void PrintTo(const Pixel& p, std::ostream* os) { *os << "(" << p.b << ", " << p.g << ", " << p.r << ")"; }

inline Pixel pixelAt(const imaging::ImageBuffer& image, int x, int y) {
    const std::uint8_t* p = image.row(y) + 3 * x;
    return {p[0], p[1], p[2]};
}

inline void setPixel(imaging::ImageBuffer& image, int x, int y, Pixel value) {
    std::uint8_t* p = image.row(y) + 3 * x;
    p[0] = static_cast<std::uint8_t>(value.b);
    p[1] = static_cast<std::uint8_t>(value.g);
    p[2] = static_cast<std::uint8_t>(value.r);
}

inline imaging::ImageBuffer solidImage(int width, int height, Pixel value) {
    imaging::ImageBuffer image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) setPixel(image, x, y, value);
    return image;
}

// Every pixel different, so a shifted or swapped channel shows.
inline imaging::ImageBuffer patternImage(int width, int height, int seed) {
    imaging::ImageBuffer image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            setPixel(image, x, y, {(x * 7 + y * 3 + seed) % 256, (x * 5 + y * 11 + 2 * seed) % 256,
                                   (x * 13 + y * 2 + 3 * seed) % 256});
    return image;
}

inline std::string fsPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

inline void writePicture(const imaging::ImageBuffer& image, const QString& path) {
    const std::string error = imaging::writeImageFile(image, fsPath(path));
    ASSERT_TRUE(error.empty()) << error;
}

inline imaging::ImageBuffer readPicture(const QString& path) {
    imaging::ImageResult result = imaging::readImageFile(fsPath(path));
    EXPECT_TRUE(result.ok()) << result.error;
    return std::move(result.image);
}

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

// The sample directory, written once per build of this test program and shared by the
// test processes (ctest runs each test on its own): rendering it takes seconds, reading it
// none. A new build of the program (which follows any change of the generator) writes a new
// one. Tests only read it.
inline const QString& sampleDirectory() {
    static const QString path = []() -> QString {
        const QString cache = QStringLiteral(KELDAR_STEREO_SAMPLE_CACHE);
        const QString stamp = QString::number(
            QFileInfo(QCoreApplication::applicationFilePath()).lastModified().toMSecsSinceEpoch());
        const QString dir = cache + QLatin1Char('/') + stamp;
        const QString marker = QStringLiteral("/.complete");
        if (QFileInfo::exists(dir + marker)) return dir;

        // Written aside and renamed into place, so a process never reads a half-written one.
        QDir().mkpath(cache);
        for (const QString& old : QDir(cache).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            if (old != stamp && !old.startsWith(QStringLiteral("writing-"))) QDir(cache + QLatin1Char('/') + old).removeRecursively();
        QTemporaryDir fresh(cache + QStringLiteral("/writing-XXXXXX"));
        const std::string error = sample::writeSampleDirectory(fsPath(fresh.path()));
        if (!error.empty()) {
            ADD_FAILURE() << "sample directory: " << error;
            return {};
        }
        QFile(fresh.path() + marker).open(QIODevice::WriteOnly);
        if (QDir().rename(fresh.path(), dir)) fresh.setAutoRemove(false);
        // Otherwise another process got there first and its copy is the same.
        return dir;
    }();
    return path;
}

// The sample product with this description prefix (see sample::sampleEntries()).
inline QString sampleName(const std::string& descriptionStart) {
    for (const sample::SampleEntry& entry : sample::sampleEntries())
        if (entry.description.rfind(descriptionStart, 0) == 0) return QString::fromStdString(entry.name);
    ADD_FAILURE() << "no sample file described as " << descriptionStart;
    return {};
}

class WorkbenchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(scratch.isValid());
        bench = std::make_unique<Workbench>(fake);
    }

    void TearDown() override {
        bench.reset();
        // The file list made its directory the working directory; leave none that vanishes.
        QDir::setCurrent(QDir::tempPath());
    }

    TForm1& main() { return bench->mainWindow(); }
    ViewerState& state() { return bench->mainWindow().viewerState(); }

    // Enters `directory` as the user's first directory (it becomes the home directory).
    void enter(const QString& directory) {
        main().setDirectory(directory);
        ASSERT_EQ(main().fileBrowser().directory(), QDir(directory).absolutePath());
    }

    int indexOf(const QString& name) {
        const int index = static_cast<int>(main().fileBrowser().fileNames().indexOf(name));
        EXPECT_GE(index, 0) << name.toStdString() << " is not in the file list";
        return index;
    }

    // Selects `name` in the file list and runs the Image action, as a click in the list does.
    void open(const QString& name) {
        main().selectFile(indexOf(name));
        main().runImageAction();
        ASSERT_EQ(main().fileBrowser().selectedFileName(), name);
    }

    template <typename Button = QAbstractButton>
    static Button* control(const QWidget& window, const char* name) {
        auto* found = window.findChild<Button*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    static void click(const QWidget& window, const char* name) {
        if (QAbstractButton* button = control(window, name)) button->click();
    }

    QTemporaryDir scratch{QDir::tempPath() + QStringLiteral("/keldar-stereo-XXXXXX")};
    platform::FakePlatform fake;
    std::unique_ptr<Workbench> bench;
};

}  // namespace keldar::ui::testing
