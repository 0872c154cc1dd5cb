#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The help page on menu selections: the menu bar item by item, its blue words performing the items.
class TForm25 : public Page {
    Q_OBJECT
public:
    TForm25(Workbench& workbench, platform::Platform& platform);

private:
    // Performs the main menu's item with this object name, exactly as choosing it does.
    void runMenuItem(const QString& name);
};

}  // namespace keldar::ui
