#include "ui/pages/HelpMenuUnit12.h"

#include <functional>

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "platform/ActionGuard.h"
#include "ui/app/Controls.h"
#include "ui/app/Workbench.h"
#include "ui/pages/AnaglyphHelpUnit27.h"
#include "ui/pages/ColourHelpUnit26.h"
#include "ui/pages/HelpControls.h"
#include "ui/pages/MenuHelpUnit25.h"
#include "ui/pages/QuickStartHelpUnit28.h"
#include "ui/pages/UsageHelpUnit18.h"

namespace keldar::ui {

TForm12::TForm12(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm12"),
           QStringLiteral("Help on software usage."), QSize(300, 260), ScreenFitMode::WithoutFonts) {
    Workbench* bench = &workbench;
    const std::pair<const char*, std::function<void()>> buttons[] = {
        {"Quick Start Instructions", [bench] { bench->quickStartHelpPage().showPage(); }},
        {"Menu Selections and options.", [bench] { bench->menuHelpPage().showPage(); }},
        {"How do I make a colour composite.", [bench] { bench->colourHelpPage().showPage(); }},
        {"How do I make a 3D anaglyph.", [bench] { bench->anaglyphHelpPage().showPage(); }},
        {"Usage && Filename conventions.", [bench] { bench->usageHelpPage().showPage(); }},
        {"Close", [this] { close(); }},
    };
    auto* layout = new QVBoxLayout(this);
    int number = 1;
    for (const auto& [caption, action] : buttons) {
        QPushButton* button =
            makeButton(this, QStringLiteral("Button%1").arg(number++), QString::fromLatin1(caption));
        connect(button, &QPushButton::clicked, this,
                [this, action] { platform::runGuarded(platform_, this, action); });
        layout->addWidget(button);
    }

    auto* legend = new QHBoxLayout;
    legend->setSpacing(4);
    legend->addWidget(new HelpLink(this, QStringLiteral("Label1"), QStringLiteral("Blue"), false));
    legend->addWidget(makeLabel(this, QStringLiteral("Label2"), QStringLiteral("words in Help, are clickable links.")));
    legend->addStretch();
    layout->addStretch();
    layout->addLayout(legend);

    fitToScreen();
    centreOnScreen();
}

}  // namespace keldar::ui
