#include "ui/pages/AnaglyphHelpUnit27.h"

#include <functional>

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ActionGuard.h"
#include "ui/app/Controls.h"
#include "ui/app/Workbench.h"
#include "ui/pages/HelpControls.h"
#include "ui/pages/HelpMenuUnit12.h"
#include "ui/pages/HelpTexts.h"

namespace keldar::ui {

TForm27::TForm27(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm27"),
           QStringLiteral("Help for creating 3D anaglyphs"), QSize(580, 540), ScreenFitMode::Full) {
    QPushButton* helpMenu = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Back to the Help Menu"));
    QPushButton* close = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Close"));

    auto guarded = [this](const std::function<void()>& action) {
        return [this, action] { platform::runGuarded(platform_, this, action); };
    };
    connect(helpMenu, &QPushButton::clicked, this, guarded([this] {
                workbench_.helpMenuPage().showPage();
                this->close();
            }));
    connect(close, &QPushButton::clicked, this, guarded([this] { this->close(); }));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(helpMenu);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeHelpText(this, QStringLiteral("Memo1"), anaglyphHelpText()), 1);
    layout->addLayout(buttons);

    fitToScreen();
    centreOnScreen();
}

}  // namespace keldar::ui
