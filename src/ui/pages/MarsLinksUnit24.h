#pragma once

#include <QString>

#include "ui/app/Page.h"

namespace keldar::ui {

// The Mars links page: a longer list of Mars-related sites and tools.
class TForm24 : public Page {
    Q_OBJECT
public:
    TForm24(Workbench& workbench, platform::Platform& platform);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void openAddress(const QString& address);
};

}  // namespace keldar::ui
