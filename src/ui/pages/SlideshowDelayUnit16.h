#pragma once

#include "ui/app/Page.h"

class QLineEdit;
class QPushButton;

namespace keldar::ui {

// The slideshow delay page: where the user enters the slideshow delay in milliseconds.
class TForm16 : public Page {
    Q_OBJECT
public:
    TForm16(Workbench& workbench, platform::Platform& platform);

    // Writes the viewer state's slideshow delay into the entry and shows the page.
    void showDelayPage();

    // --- The commands of the buttons ---
    // "Save": a valid entry becomes the slideshow delay and the page closes; a refused one is
    // reported, and the page stays open with the entry as typed and the delay unchanged.
    void saveDelay();
    void cancel();  // "Cancel": closes the page, the delay stays

    QLineEdit& entry() const { return *entry_; }

private:
    QLineEdit* entry_ = nullptr;
};

}  // namespace keldar::ui
