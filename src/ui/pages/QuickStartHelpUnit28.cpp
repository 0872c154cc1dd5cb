#include "ui/pages/QuickStartHelpUnit28.h"

#include <functional>

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ActionGuard.h"
#include "ui/app/Controls.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"
#include "ui/pages/HelpControls.h"
#include "ui/pages/HelpMenuUnit12.h"
#include "ui/pages/HelpTexts.h"

namespace keldar::ui {

TForm28::TForm28(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm28"),
           QStringLiteral("Quick Start Help"), QSize(560, 520), ScreenFitMode::Full) {
    QPushButton* directories = makeButton(this, QStringLiteral("Button1"), QStringLiteral("?"));
    directories->setFixedSize(23, 23);
    QPushButton* helpMenu = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Return to the Help Menu"));
    QPushButton* close = makeButton(this, QStringLiteral("Button3"), QStringLiteral("Close"));

    auto guarded = [this](const std::function<void()>& action) {
        return [this, action] { platform::runGuarded(platform_, this, action); };
    };
    // The main window's own "?" button, so the directories page opens exactly as from there.
    connect(directories, &QPushButton::clicked, this, guarded([this] {
                if (auto* button = workbench_.mainWindow().findChild<QPushButton*>(QStringLiteral("Button7")))
                    button->click();
            }));
    connect(helpMenu, &QPushButton::clicked, this, guarded([this] {
                workbench_.helpMenuPage().showPage();
                this->close();
            }));
    connect(close, &QPushButton::clicked, this, guarded([this] { this->close(); }));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(directories);
    buttons->addStretch();
    buttons->addWidget(helpMenu);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeHelpText(this, QStringLiteral("Memo1"), quickStartHelpText()), 1);
    layout->addLayout(buttons);

    fitToScreen();
    centreOnScreen();
}

}  // namespace keldar::ui
