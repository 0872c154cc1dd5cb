#include "ui/pages/SlideshowDelayUnit16.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/ActionGuard.h"
#include "ui/app/Controls.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"
#include "ui/pages/SlideshowDelayEntry.h"

namespace keldar::ui {

TForm16::TForm16(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm16"),
           QStringLiteral("Slideshow Delay"), QSize(260, 110), ScreenFitMode::Full) {
    entry_ = new QLineEdit(QStringLiteral("2000"), this);
    entry_->setObjectName(QStringLiteral("Edit1"));
    QLabel* prompt = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("Enter New Delay in Milliseconds"));
    QPushButton* cancel = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Cancel"));
    QPushButton* save = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Save"));
    // "Save" is the default button: Enter in the entry saves.
    save->setDefault(true);

    auto guarded = [this](void (TForm16::*command)()) {
        return [this, command] { platform::runGuarded(platform_, this, [this, command] { (this->*command)(); }); };
    };
    connect(save, &QPushButton::clicked, this, guarded(&TForm16::saveDelay));
    connect(entry_, &QLineEdit::returnPressed, this, guarded(&TForm16::saveDelay));
    connect(cancel, &QPushButton::clicked, this, guarded(&TForm16::cancel));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancel);
    buttons->addWidget(save);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(entry_);
    layout->addWidget(prompt);
    layout->addStretch();
    layout->addLayout(buttons);

    fitToScreen();
    centreOnScreen();
}

void TForm16::showDelayPage() {
    entry_->setText(QString::number(workbench_.mainWindow().viewerState().slideshowDelay));
    entry_->selectAll();
    showPage();
    entry_->setFocus();
}

void TForm16::saveDelay() {
    const SlideshowDelayEntry entered = parseSlideshowDelay(entry_->text());
    if (!entered.delay) {
        platform_.warning(this, entered.message);
        entry_->setFocus();
        return;
    }
    workbench_.mainWindow().viewerState().slideshowDelay = *entered.delay;
    close();
}

void TForm16::cancel() { close(); }

}  // namespace keldar::ui
