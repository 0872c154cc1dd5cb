#include "ui/colour/ColourProcessorUnit31.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/ActionGuard.h"
#include "ui/app/Controls.h"
#include "ui/app/Workbench.h"
#include "ui/colour/ColourAltUnit20.h"

namespace keldar::ui {

namespace {

constexpr int kTimerInterval = 5000;  // ms, both timers
const QColor kYellow(Qt::yellow);
const QColor kAqua(Qt::cyan);

QCheckBox* makeBandBox(QWidget* parent, const QString& name, const QString& caption, const QColor& colour) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    QPalette palette = box->palette();
    palette.setColor(QPalette::WindowText, colour);
    box->setPalette(palette);
    return box;
}

QTimer* makeTimer(QObject* parent, const QString& name) {
    auto* timer = new QTimer(parent);
    timer->setObjectName(name);
    timer->setInterval(kTimerInterval);
    return timer;
}

}  // namespace

TForm31::TForm31(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm31"), QStringLiteral("Keldar Colour proccessor"),
           QSize(360, 170), ScreenFitMode::Full) {
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::black);
    setPalette(background);

    message_ = makeValueLabel(this, QStringLiteral("Label1"), kProcessingMessage, kYellow);
    QFont bold = message_->font();
    bold.setBold(true);
    message_->setFont(bold);
    message_->setWordWrap(true);
    message_->setAlignment(Qt::AlignCenter);

    box(imaging::Band::Red) = makeBandBox(this, QStringLiteral("CheckBox1"), QStringLiteral("RED BAND"), Qt::red);
    box(imaging::Band::Green) = makeBandBox(this, QStringLiteral("CheckBox2"), QStringLiteral("GREEN BAND"), Qt::green);
    box(imaging::Band::Blue) = makeBandBox(this, QStringLiteral("CheckBox3"), QStringLiteral("BLUE BAND"), kAqua);
    for (imaging::Band band : imaging::kAllBands)
        connect(box(band), &QCheckBox::toggled, this, [this, band](bool checked) {
            if (checked) checkBand(band, true);
        });

    QPushButton* continueButton = makeButton(this, QStringLiteral("Button1"), QStringLiteral("CONTINUE"));
    QPushButton* cancelButton = makeButton(this, QStringLiteral("Button2"), QStringLiteral("CANCEL"));
    connect(continueButton, &QPushButton::clicked, this,
            [this] { platform::runGuarded(platform_, this, [this] { continueWithBand(); }); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { cancel(); });

    failureTimer_ = makeTimer(this, QStringLiteral("Timer1"));
    closeTimer_ = makeTimer(this, QStringLiteral("Timer2"));
    connect(failureTimer_, &QTimer::timeout, this, [this] { showFailure(); });
    connect(closeTimer_, &QTimer::timeout, this, [this] { closeFailure(); });

    auto* boxes = new QHBoxLayout;
    for (imaging::Band band : imaging::kAllBands) boxes->addWidget(box(band));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(continueButton);
    buttons->addWidget(cancelButton);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(message_, 1);
    layout->addLayout(boxes);
    layout->addLayout(buttons);

    fitToScreen();
}

void TForm31::setMessage(const QString& text, const QColor& colour) {
    showText(message_, text);
    setTextColour(message_, colour);
}

QString TForm31::messageText() const { return message_->text(); }
QColor TForm31::messageColour() const { return message_->palette().color(QPalette::WindowText); }

void TForm31::startAutomaticWait() {
    setMessage(kProcessingMessage, kYellow);
    failureTimer_->start();
}

void TForm31::askForBand() {
    showText(message_, kSelectBandMessage);
    showPage();
}

void TForm31::stopFailureTimer() { failureTimer_->stop(); }

imaging::BandPicks TForm31::checkedBands() const {
    imaging::BandPicks picks;
    for (imaging::Band band : imaging::kAllBands)
        picks[band] = boxes_[static_cast<std::size_t>(band)]->isChecked();
    return picks;
}

void TForm31::checkBand(imaging::Band band, bool checked) {
    box(band)->setChecked(checked);
    if (!checked) return;
    for (imaging::Band other : imaging::kAllBands)
        if (other != band) box(other)->setChecked(false);
}

void TForm31::uncheckBands() {
    for (imaging::Band band : imaging::kAllBands) box(band)->setChecked(false);
}

void TForm31::continueWithBand() {
    // The window closes even when a band file cannot be read: the error box says why.
    struct CloseAfterwards {
        TForm31& window;
        ~CloseAfterwards() { window.close(); }
    } closeAfterwards{*this};
    workbench_.colourComposer().pickBands();
}

void TForm31::cancel() { close(); }

void TForm31::showFailure() {
    setMessage(kRunFailedMessage, kAqua);
    failureTimer_->stop();
    showPage();
    closeTimer_->start();
}

void TForm31::closeFailure() {
    closeTimer_->stop();
    close();
}

}  // namespace keldar::ui
