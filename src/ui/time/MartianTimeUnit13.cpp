#include "ui/time/MartianTimeUnit13.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/app/Controls.h"
#include "ui/time/MissionRecordGroup.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"

namespace keldar::ui {

namespace {

QString whole(double value) { return QString::fromStdString(time::wholeNumberText(value)); }

}  // namespace

MartianTimeTexts martianTimeTextsFor(const time::MarsValues& mars) {
    MartianTimeTexts texts;
    texts.roverText = QString::fromStdString(mars.roverTextUsed);
    texts.landingLocalTime = QString::fromStdString(mars.landingLocalTimeText);
    texts.transpiredSols = whole(mars.breakdown.sols);
    texts.transpiredHours = whole(mars.breakdown.remainderHours);
    texts.transpiredMinutes = whole(mars.breakdown.remainderMinutes);
    texts.transpiredSeconds = whole(mars.breakdown.remainderSeconds);
    texts.totalSols = whole(mars.breakdown.sols);
    texts.totalHours = whole(mars.breakdown.totalHours);
    texts.totalMinutes = whole(mars.breakdown.totalMinutes);
    texts.totalSeconds = whole(mars.breakdown.totalSeconds);
    texts.marsTimeText = QString::fromStdString(mars.marsTimeText);
    return texts;
}

TForm13::TForm13(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm13"), QStringLiteral("Martian Time page"),
           QSize(430, 330), ScreenFitMode::Full) {
    setWindowFlag(Qt::WindowStaysOnTopHint);
    const QColor red(Qt::red);

    auto* grid = new QGridLayout;
    int row = 0;
    auto pair = [&](const QString& caption, QLabel*& field, const QString& name, const QString& design,
                    const QString& after = {}) {
        grid->addWidget(makeLabel(this, {}, caption), row, 0);
        field = makeValueLabel(this, name, design, red);
        grid->addWidget(field, row, 1);
        if (!after.isEmpty()) grid->addWidget(makeLabel(this, {}, after), row, 2);
        ++row;
    };
    auto heading = [&](const QString& text) {
        QLabel* label = makeLabel(this, {}, text);
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
        grid->addWidget(label, row++, 0, 1, 3);
    };

    pair(QStringLiteral("Martian Exploration Rover"), rover_, QStringLiteral("Label6"), texts_.roverText);
    pair(QStringLiteral("Landed at"), landedAt_, QStringLiteral("Label8"), texts_.landingLocalTime,
         QStringLiteral("Local Martian Solar Time"));
    heading(QStringLiteral("Martian time transpired since landing"));
    pair(QStringLiteral("Martian Days or SOLS"), transpiredSols_, QStringLiteral("Label63"), texts_.transpiredSols);
    pair(QStringLiteral("Martian Hours"), transpiredHours_, QStringLiteral("Label61"), texts_.transpiredHours);
    pair(QStringLiteral("Martian Minutes"), transpiredMinutes_, QStringLiteral("Label59"), texts_.transpiredMinutes);
    pair(QStringLiteral("Martian Seconds"), transpiredSeconds_, QStringLiteral("Label57"), texts_.transpiredSeconds);
    heading(QStringLiteral("Martian time transpired since landing displayed as whole units of Martian time"));
    pair(QStringLiteral("Sols"), totalSols_, QStringLiteral("Label14"), texts_.totalSols);
    pair(QStringLiteral("Martian Hours"), totalHours_, QStringLiteral("Label15"), texts_.totalHours);
    pair(QStringLiteral("Martian Minutes"), totalMinutes_, QStringLiteral("Label16"), texts_.totalMinutes);
    pair(QStringLiteral("Martian Seconds"), totalSeconds_, QStringLiteral("Label17"), texts_.totalSeconds);
    pair(QStringLiteral("Martian local standard time of image capture"), marsTime_, QStringLiteral("Label47"),
         texts_.marsTimeText);
    grid->addWidget(makeLabel(this, {}, QStringLiteral("Standard time = Solar time, error approx. +/- 1hr.")),
                    row++, 0, 1, 3);
    grid->setColumnStretch(2, 1);

    martianTimeGo_ = makeButton(this, QStringLiteral("martianTimeGoButton"), QStringLiteral("Martian Time Go"));
    connect(martianTimeGo_, &QPushButton::clicked, this, &TForm13::runMartianTimeGo);
    missionRecord_ = layOutTimePage(this, grid, martianTimeGo_);

    fitToScreen();
}

void TForm13::runMartianTimeGo() {
    texts_ = martianTimeTextsFor(workbench_.mainWindow().viewerState().mars);
    showTexts();
}

void TForm13::showTexts() {
    showText(rover_, texts_.roverText);
    showText(landedAt_, texts_.landingLocalTime);
    showText(transpiredSols_, texts_.transpiredSols);
    showText(transpiredHours_, texts_.transpiredHours);
    showText(transpiredMinutes_, texts_.transpiredMinutes);
    showText(transpiredSeconds_, texts_.transpiredSeconds);
    showText(totalSols_, texts_.totalSols);
    showText(totalHours_, texts_.totalHours);
    showText(totalMinutes_, texts_.totalMinutes);
    showText(totalSeconds_, texts_.totalSeconds);
    showText(marsTime_, texts_.marsTimeText);
}

void TForm13::setMissionRecord(const std::optional<time::MissionTime>& record) { missionRecord_->showRecord(record); }

void TForm13::showEvent(QShowEvent* event) {
    Page::showEvent(event);
    centreOnScreen();
}

}  // namespace keldar::ui
