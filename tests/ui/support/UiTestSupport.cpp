#include "UiTestSupport.h"

#include <QFile>
#include <QListView>
#include <QTest>

#include "core/imaging/ImageFile.h"
#include "ui/app/FileBrowser.h"
#include "ui/app/ImageView.h"

namespace keldar::testing {

QString writePicture(const QString& path, int width, int height, int blue, int green, int red) {
    imaging::ImageBuffer picture(width, height);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = picture.row(y);
        for (int x = 0; x < width; ++x) {
            row[3 * x] = static_cast<std::uint8_t>(blue);
            row[3 * x + 1] = static_cast<std::uint8_t>(green);
            row[3 * x + 2] = static_cast<std::uint8_t>(red);
        }
    }
    const std::string error = imaging::writeImageFile(picture, QFile::encodeName(path).toStdString());
    if (!error.empty()) throw std::runtime_error(error);
    return path;
}

QString writeText(const QString& path, const QByteArray& content) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        throw std::runtime_error("cannot write " + path.toStdString());
    return path;
}

QString labelText(const QWidget& window, const QString& name) { return child<QLabel>(window, name).text(); }

void WorkbenchTest::SetUp() {
    startDirectory = QDir::currentPath();
    ASSERT_TRUE(scratch.isValid());
    bench = std::make_unique<ui::Workbench>(platform);
}

void WorkbenchTest::TearDown() {
    bench.reset();
    QDir::setCurrent(startDirectory);
}

QString WorkbenchTest::makeDirectory(const QString& name) const {
    const QString path = scratch.path() + QLatin1Char('/') + name;
    if (!QDir().mkpath(path)) throw std::runtime_error("cannot make " + path.toStdString());
    return QFileInfo(path).canonicalFilePath();
}

void WorkbenchTest::enter(const QString& directory) {
    mainWindow().runGuarded([&] { mainWindow().setDirectory(directory); });
}

void WorkbenchTest::clickFile(int index) {
    if (!mainWindow().isVisible()) {
        mainWindow().show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainWindow()));
    }
    QListView& list = child<QListView>(mainWindow(), QStringLiteral("FileListBox1"));
    list.scrollTo(list.model()->index(index, 0));
    const QRect rect = list.visualRect(list.model()->index(index, 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, rect.center());
}

}  // namespace keldar::testing

namespace keldar::testing {

int WorkbenchTest::shownWidth() const { return mainWindow().mainImage().picture().width(); }

std::vector<QString> WorkbenchTest::takeBoxes() {
    std::vector<QString> texts = platform.allTexts();
    platform.boxes.clear();
    return texts;
}

}  // namespace keldar::testing
