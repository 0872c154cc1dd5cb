#pragma once

#include <QString>

#include "ui/app/Page.h"

class QLabel;
class QPlainTextEdit;

namespace keldar::ui {

// The label page: the PDS3 and VICAR label attached to the .IMG product shown in the main
// window, following the main window's image while it is open.
class TForm32 : public Page {
    Q_OBJECT
public:
    TForm32(Workbench& workbench, platform::Platform& platform);

    // Reads the label of `path` (a file without one says so) and shows it.
    void showLabelOf(const QString& path);
    const QString& labelText() const { return labelText_; }

private:
    QLabel* fileName_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    QString labelText_;
};

}  // namespace keldar::ui
