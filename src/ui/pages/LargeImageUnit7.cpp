#include "ui/pages/LargeImageUnit7.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "platform/ActionGuard.h"
#include "ui/app/Controls.h"
#include "ui/app/ImageConversion.h"
#include "ui/app/ImageView.h"
#include "ui/app/MenuCommands.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/PrintCommand.h"
#include "ui/app/Workbench.h"
#include "ui/time/MissionRecordGroup.h"

namespace keldar::ui {

namespace {

const QString kPrintClipboardItem = QStringLiteral("CheckPrintClipboard1");

}  // namespace

TForm7::TForm7(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm7"), QStringLiteral("Large Size Image Display Page"),
           QSize(800, 547), ScreenFitMode::WithoutFonts) {
    // White, with a 5-pixel border; drawn double-buffered (Qt widgets always are).
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    picture_ = new ImageView(this);
    picture_->setObjectName(QStringLiteral("Image1"));
    picture_->setDesignSize(QSize(537, 537));
    picture_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    workbench.registerStretchView(picture_);

    const QColor ink(Qt::black);
    auto* fields = new QGridLayout;
    int row = 0;
    auto line = [&](QLabel*& field, const QString& name, const QString& design) {
        field = makeValueLabel(this, name, design, ink);
        field->setWordWrap(true);
        fields->addWidget(field, row++, 0, 1, 2);
    };
    auto pair = [&](const QString& caption, QLabel*& field, const QString& name, const QString& design) {
        fields->addWidget(makeLabel(this, {}, caption), row, 0);
        field = makeValueLabel(this, name, design, ink);
        field->setWordWrap(true);
        fields->addWidget(field, row++, 1);
    };
    // A long caption with a long value: the value gets a line of its own under the caption.
    auto stacked = [&](const QString& caption, QLabel*& field, const QString& name, const QString& design) {
        fields->addWidget(makeLabel(this, {}, caption), row++, 0, 1, 2);
        line(field, name, design);
        field->setIndent(12);
    };
    const LargeImageProductTexts& p = texts_.product;
    line(identifier_, QStringLiteral("Label7"), p.identifierText);
    pair(QStringLiteral("Rover"), rover_, QStringLiteral("Label2"), p.roverText);
    pair(QStringLiteral("SOL"), sol_, QStringLiteral("Label4"), p.solText);
    stacked(QStringLiteral("Local Martian time"), marsTime_, QStringLiteral("Label32"), texts_.marsTimeText);
    fields->addWidget(makeLabel(this, {}, QStringLiteral("Solar Time Error can approx +/- 1 hour.")), row++, 0, 1, 2);
    line(location_, QStringLiteral("Label3"), p.locationText);
    line(camera_, QStringLiteral("Label25"), p.cameraText);
    stacked(QStringLiteral("Time on Earth (UTC)"), utcTime_, QStringLiteral("Label6"), p.utcTimeText);
    pair(QStringLiteral("Local Time Zone"), timeZone_, QStringLiteral("Label29"), texts_.timeZoneText);
    stacked(QStringLiteral("Time on Earth (LOCAL)"), localTime_, QStringLiteral("Label27"), texts_.localTimeText);
    missionRecord_ = new MissionRecordGroup(this, MissionRecordGroup::Layout::Compact);
    fields->addWidget(missionRecord_, row++, 0, 1, 2);
    line(productType_, QStringLiteral("Label16"), p.productTypeText);
    pair(QStringLiteral("Site"), site_, QStringLiteral("Label14"), p.site);
    pair(QStringLiteral("Drive"), drive_, QStringLiteral("Label15"), p.drive);
    // The counters as numbers beside their characters (B1 is site 137).
    auto withNumber = [&](QLabel* characters, QLabel*& number, const QString& name) {
        number = makeValueLabel(this, name, {}, ink);
        const int at = fields->indexOf(characters);
        int r = 0, c = 0, rs = 0, cs = 0;
        fields->getItemPosition(at, &r, &c, &rs, &cs);
        fields->removeWidget(characters);
        auto* both = new QHBoxLayout;
        both->setSpacing(6);
        both->addWidget(characters);
        both->addWidget(number);
        both->addStretch(1);
        fields->addLayout(both, r, c);
    };
    withNumber(site_, siteNumber_, QStringLiteral("SiteNumber"));
    withNumber(drive_, driveNumber_, QStringLiteral("DriveNumber"));
    pair(QStringLiteral("Command"), sequence_, QStringLiteral("Label10"), p.sequence);
    line(category_, QStringLiteral("Label11"), p.categoryText);
    pair(QStringLiteral("Sequence Code"), sequenceRange_, QStringLiteral("Label12"), p.sequenceRangeText);
    line(filter_, QStringLiteral("Label13"), p.filterText);
    line(eye_, QStringLiteral("Label18"), p.eyeText);
    pair(QStringLiteral("Producer"), producer_, QStringLiteral("Label19"), p.producerText);
    pair(QStringLiteral("Version"), version_, QStringLiteral("Label21"), p.versionText);
    fields->addWidget(makeLabel(this, {}, QStringLiteral("Image NASA / Planetary Data System")), row++, 0, 1, 2);
    fields->setColumnStretch(1, 1);
    fields->setVerticalSpacing(1);

    QPushButton* previous = makeButton(this, QStringLiteral("Button3"), QStringLiteral("Previous Image"));
    QPushButton* next = makeButton(this, QStringLiteral("Button4"), QStringLiteral("Next Image"));
    QPushButton* slideshow = makeButton(this, QStringLiteral("Button5"), QStringLiteral("Slideshow Start/Stop"));
    printButton_ = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Print"));
    QPushButton* close = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Close"));
    connectGuarded(previous, &TForm7::previousImage);
    connectGuarded(next, &TForm7::nextImage);
    connectGuarded(slideshow, &TForm7::slideshowStartStop);
    connectGuarded(printButton_, &TForm7::printPage);
    connectGuarded(close, &TForm7::closePage);
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(3);
    for (QPushButton* button : {previous, next, slideshow, printButton_, close}) buttons->addWidget(button);

    auto* column = new QVBoxLayout;
    column->addLayout(fields);
    column->addStretch(1);
    column->addLayout(buttons);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->addWidget(picture_, 0, Qt::AlignTop);
    layout->addLayout(column, 1);

    // The caption follows the switch whichever of its places changed it: the menu mark shows it.
    if (QAction* item = workbench.mainWindow().menuItem(kPrintClipboardItem); item != nullptr)
        connect(item, &QAction::toggled, this, [this] { updatePrintCaption(); });
    updatePrintCaption();

    fitToScreen();
    centreOnScreen();
}

void TForm7::connectGuarded(QPushButton* button, void (TForm7::*command)()) {
    connect(button, &QPushButton::clicked, this,
            [this, command] { platform::runGuarded(platform_, this, [this, command] { (this->*command)(); }); });
}

void TForm7::showEvent(QShowEvent* event) {
    updatePrintCaption();
    Page::showEvent(event);
}

void TForm7::updatePrintCaption() {
    const bool clipboard = workbench_.mainWindow().viewerState().options.printClipboardSwitch;
    printButton_->setText(printButtonCaption(clipboard));
}

void TForm7::showImage(const QImage& image) {
    setPicture(fromQImage(image));
    picture_->repaint();
    showPage();
}

void TForm7::stepMainWindow(int step) {
    TForm1& main = workbench_.mainWindow();
    main.selectFile(main.selectedFileIndex() + step);
    if (step < 0) main.viewerState().steppingBack = true;
    main.runImageAction();
    main.showLargeImage();
}

void TForm7::previousImage() { stepMainWindow(-1); }

void TForm7::nextImage() { stepMainWindow(1); }

void TForm7::slideshowStartStop() { workbench_.mainWindow().toggleSlideshow(); }

void TForm7::printPage() {
    // The caption shows the switch, so both the copy and the print follow it.
    runPrintCommand(workbench_, *this);
}

void TForm7::closePage() {
    TForm1& main = workbench_.mainWindow();
    main.stopSlideshow();
    main.raise();
    main.activateWindow();
    close();
}

void TForm7::setProductTexts(const LargeImageProductTexts& product) {
    texts_.product = product;
    showLinesNow({{identifier_, product.identifierText},
                  {rover_, product.roverText},
                  {location_, product.locationText},
                  {sol_, product.solText},
                  {camera_, product.cameraText},
                  {utcTime_, product.utcTimeText},
                  {productType_, product.productTypeText},
                  {site_, product.site},
                  {drive_, product.drive},
                  {sequence_, product.sequence},
                  {category_, product.categoryText},
                  {sequenceRange_, product.sequenceRangeText},
                  {filter_, product.filterText},
                  {eye_, product.eyeText},
                  {producer_, product.producerText},
                  {version_, product.versionText}});
}

void TForm7::setTimeZoneText(const QString& text) {
    texts_.timeZoneText = text;
    showLinesNow({{timeZone_, text}});
}

void TForm7::setLocalTimeText(const QString& text) {
    texts_.localTimeText = text;
    showLinesNow({{localTime_, text}});
}

void TForm7::setMarsTimeText(const QString& text) {
    texts_.marsTimeText = text;
    showLinesNow({{marsTime_, text}});
}

void TForm7::showLinesNow(std::initializer_list<std::pair<QLabel*, QString>> lines) {
    // The page is current while a slideshow runs: the lines written are painted before this
    // returns, all in one pass, so the screen gets one picture of them and not one a line.
    QRegion changed;
    for (const auto& [label, text] : lines)
        if (showText(label, text)) changed += QRect(label->mapTo(this, QPoint(0, 0)), label->size());
    if (!changed.isEmpty()) repaint(changed);
}

void TForm7::setMissionRecord(const std::optional<time::MissionTime>& record) { missionRecord_->showRecord(record); }

void TForm7::setLocationNumbers(const QString& site, const QString& drive) {
    showText(siteNumber_, site.isEmpty() ? QString() : QStringLiteral("= ") + site);
    showText(driveNumber_, drive.isEmpty() ? QString() : QStringLiteral("= ") + drive);
}

void TForm7::setPicture(const imaging::ImageBuffer& picture) { picture_->setPicture(picture); }

void TForm7::setPicture(SharedPicture picture, const std::vector<QImage>& ready) {
    picture_->setPicture(std::move(picture), ready);
}

}  // namespace keldar::ui
