#pragma once

#include <QString>

#include "ui/app/Page.h"

namespace keldar::ui {

// The web links page: the rovers' galleries and mission pages.
class TForm4 : public Page {
    Q_OBJECT
public:
    TForm4(Workbench& workbench, platform::Platform& platform);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void openAddress(const QString& address);
    void mailAuthor();
    void showMarsLinks();
};

}  // namespace keldar::ui
