#pragma once

#include "ui/app/Page.h"

namespace keldar::ui {

// The traverse map chooser: opens the map page of either rover.
class TForm6 : public Page {
    Q_OBJECT
public:
    TForm6(Workbench& workbench, platform::Platform& platform);

    // --- The commands of its controls ---
    void showOpportunityMaps();  // "Opportunity"
    void showSpiritMaps();       // "Spirit"
    void closePage();            // "Close"
};

}  // namespace keldar::ui
