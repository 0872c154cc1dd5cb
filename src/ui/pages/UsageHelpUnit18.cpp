#include "ui/pages/UsageHelpUnit18.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/app/Controls.h"
#include "ui/pages/HelpControls.h"
#include "ui/pages/HelpTexts.h"

namespace keldar::ui {

TForm18::TForm18(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm18"), QStringLiteral("Usage"), QSize(520, 460),
           ScreenFitMode::None) {
    QPushButton* close = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Close"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeHelpText(this, QStringLiteral("Memo1"), usageHelpText()), 1);
    layout->addLayout(buttons);

    fitToScreen();
    centreOnScreen();
}

}  // namespace keldar::ui
