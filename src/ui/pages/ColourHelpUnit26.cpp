#include "ui/pages/ColourHelpUnit26.h"

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
#include "ui/time/DataDecodingUnit10.h"

namespace keldar::ui {

TForm26::TForm26(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm26"),
           QStringLiteral("Help on how to make a Colour composite image"), QSize(580, 540), ScreenFitMode::Full) {
    auto* decoding = new HelpLink(this, QStringLiteral("Label1"), QStringLiteral("Data Decoding Information."), true);
    QPushButton* helpMenu = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Back to the Help Menu"));
    QPushButton* close = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Close"));

    auto guarded = [this](const std::function<void()>& action) {
        return [this, action] { platform::runGuarded(platform_, this, action); };
    };
    connect(decoding, &HelpLink::clicked, this, guarded([this] { workbench_.dataDecodingPage().showPage(); }));
    // This page stays open beside the help menu.
    connect(helpMenu, &QPushButton::clicked, this, guarded([this] { workbench_.helpMenuPage().showPage(); }));
    connect(close, &QPushButton::clicked, this, guarded([this] { this->close(); }));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(decoding);
    buttons->addStretch();
    buttons->addWidget(helpMenu);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeHelpText(this, QStringLiteral("Memo1"), colourHelpText()), 1);
    layout->addLayout(buttons);

    fitToScreen();
    centreOnScreen();
}

}  // namespace keldar::ui
