#pragma once
// Helpers for the headless window tests: fixture files, control lookup by object name, and
// a workbench wired to the fake desktop.

#include <memory>
#include <ostream>
#include <stdexcept>

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include "platform/FakePlatform.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"

// Readable QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace keldar::testing {

// A w x h picture of one colour (bytes blue, green, red), written by extension (JPEG or BMP).
QString writePicture(const QString& path, int width, int height, int blue = 90, int green = 60, int red = 30);
// A file that is not a picture.
QString writeText(const QString& path, const QByteArray& content = "PDS_VERSION_ID = PDS3\n");

// The child of `window` with this object name; throws (failing the test) when there is none.
template <typename T>
T& child(const QWidget& window, const QString& name) {
    T* found = window.findChild<T*>(name);
    if (found == nullptr) throw std::runtime_error("no control named " + name.toStdString());
    return *found;
}
QString labelText(const QWidget& window, const QString& name);

// A workbench on the fake desktop, a scratch directory, and the working directory put back
// afterwards.
class WorkbenchTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    ui::TForm1& mainWindow() const { return bench->mainWindow(); }
    const ui::ViewerState& state() const { return bench->mainWindow().viewerState(); }
    QString display(const QString& name) const { return labelText(mainWindow(), name); }
    // A fresh subdirectory of the scratch directory.
    QString makeDirectory(const QString& name) const;
    // Enters `directory` in the main window as the directory list does.
    void enter(const QString& directory);
    // Selects entry `index` of the file list as a user's click does.
    void clickFile(int index);
    // Fixture pictures differ in width, so the width of the main image tells which is shown.
    int shownWidth() const;
    // Texts of every box shown so far, then forgets them.
    std::vector<QString> takeBoxes();

    platform::FakePlatform platform;
    std::unique_ptr<ui::Workbench> bench;
    QTemporaryDir scratch;
    QString startDirectory;
};

}  // namespace keldar::testing
