#include "ui/time/EarthTimeUnit3.h"

#include <QDateTime>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/time/EarthBreakdown.h"
#include "core/time/EarthTime.h"
#include "platform/Platform.h"
#include "ui/app/Controls.h"
#include "ui/time/MissionRecordGroup.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"

namespace keldar::ui {

namespace {

QString number(std::int64_t value) { return QString::number(value); }

// A date and time as the platform gives it, in the capture-time format.
QString captureFormat(const QDateTime& moment) {
    const QDate date = moment.date();
    const QTime time = moment.time();
    const time::CalendarTime calendar = time::CalendarTime::fromParts(
        date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second(), time.msec());
    return QString::fromStdString(time::formatCaptureTime(calendar, time::LocaleNames::current()));
}

}  // namespace

TForm3::TForm3(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm3"),
           QStringLiteral("Various Time Variables and Constants relative to Earth"), QSize(720, 560),
           ScreenFitMode::Full) {
    setWindowFlag(Qt::WindowStaysOnTopHint);
    const QColor red(Qt::red);

    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(2);
    int row = 0;
    auto text = [&](const QString& line) {
        QLabel* label = makeLabel(this, {}, line);
        label->setWordWrap(true);
        grid->addWidget(label, row++, 0, 1, 2);
    };
    auto pair = [&](const QString& caption, QLabel*& field, const QString& name) {
        grid->addWidget(makeLabel(this, {}, caption), row, 0);
        field = makeValueLabel(this, name, QStringLiteral("Waiting"), red);
        grid->addWidget(field, row++, 1);
    };
    auto gap = [&] { grid->setRowMinimumHeight(row++, 6); };

    text(QStringLiteral("Both Rover's onboard clocks were initiated at 11:58:55.816 January 01 2000."));
    grid->addWidget(makeLabel(this, {}, QStringLiteral("Rover Initiation Time  in Windows Time Format")), row, 0);
    grid->addWidget(makeValueLabel(this, QStringLiteral("initiationTimeText"), QStringLiteral("673275739"), red), row++,
                    1);
    gap();
    QLabel* heading = makeLabel(this, {}, QStringLiteral("Data relevant to currently selected image"));
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    grid->addWidget(heading, row++, 0, 1, 2);
    pair(QStringLiteral("Seconds passed since Jan 01 2000, 11:58:55.816 UTC"), clockDisplay_,
         QStringLiteral("clockDisplayText"));
    pair(QStringLiteral("Total Whole Minutes (secs / 60 rounded off)"), totalMinutes_, QStringLiteral("totalMinutesText"));
    pair(QStringLiteral("Convert Minutes To Seconds (mins * 60)"), minutesAsSeconds_,
         QStringLiteral("minutesAsSecondsText"));
    pair(QStringLiteral("Remainder Seconds"), remainderSeconds_, QStringLiteral("remainderSecondsText"));
    pair(QStringLiteral("Total Whole Hours (mins / 60 rounded off)"), totalHours_, QStringLiteral("totalHoursText"));
    pair(QStringLiteral("Convert Hours to Minutes (hours * 60)"), hoursAsMinutes_, QStringLiteral("hoursAsMinutesText"));
    pair(QStringLiteral("Remainder Minutes"), remainderMinutes_, QStringLiteral("remainderMinutesText"));
    pair(QStringLiteral("Total Whole Days (hours / 24 rounded off)"), totalDays_, QStringLiteral("totalDaysText"));
    pair(QStringLiteral("Convert Days to Hours (days * 24)"), daysAsHours_, QStringLiteral("daysAsHoursText"));
    pair(QStringLiteral("Remainder Hours"), remainderHours_, QStringLiteral("remainderHoursText"));
    pair(QStringLiteral("Earth Time Elapsed Between Rover Initiation and Image Capture"), elapsed_,
         QStringLiteral("elapsedText"));
    gap();
    pair(QStringLiteral("Earth Time of Image Capture (UTC)"), captureUtc_, QStringLiteral("captureUtcText"));
    pair(QStringLiteral("This Computers Time Zone"), timeZone_, QStringLiteral("timeZoneText"));
    pair(QStringLiteral("Earth Time of Image Capture (Local)"), captureLocal_, QStringLiteral("captureLocalText"));
    pair(QStringLiteral("Earth Time Now (Local)"), nowLocal_, QStringLiteral("nowLocalText"));
    pair(QStringLiteral("Earth Time Now (UTC)"), nowUtc_, QStringLiteral("nowUtcText"));
    gap();
    grid->setColumnStretch(1, 1);
    grid->setHorizontalSpacing(12);
    // The notes wrap, so they sit in a column, which gives each the height its lines need.
    auto* values = new QVBoxLayout;
    values->setSpacing(2);
    values->addLayout(grid);
    for (const QString& note :
         {QStringLiteral("Note: Spirit is MER-A or MER-2, Opportunity is MER-B or MER-1"),
          QStringLiteral("Spirit landed on Mars in Gusev crater at (14.82 S, 184.85 W), 4:35 UTC on Jan. 4, 2004, "
                         "bouncing 28 times before rolling and coming to rest."),
          QStringLiteral("Opportunity landed on Mars at Meridiani Planum at (2.07 S, 6.08 W), 5:05 UTC on Jan. 25, "
                         "2004, bouncing 27 times before rolling and coming to rest.")}) {
        QLabel* label = makeLabel(this, {}, note);
        label->setWordWrap(true);
        values->addWidget(label);
    }

    displayTime_ = makeButton(this, QStringLiteral("displayTimeButton"), QStringLiteral("Display Time"));
    connect(displayTime_, &QPushButton::clicked, this, &TForm3::runDisplayTime);
    missionRecord_ = layOutTimePage(this, values, displayTime_);

    fitToScreen();
}

void TForm3::runDisplayTime() {
    ViewerState& state = workbench_.mainWindow().viewerState();
    // An invalid clock text shows as such, while the numbers come from the last good clock value.
    showText(clockDisplay_, state.displays.clockDisplay);
    const time::EarthBreakdown b = time::breakDownClock(state.clockValue());
    showText(totalMinutes_, number(b.totalMinutes));
    showText(remainderSeconds_, number(b.remainderSeconds));
    showText(minutesAsSeconds_, number(b.minutesAsSeconds));
    showText(totalHours_, number(b.totalHours));
    showText(hoursAsMinutes_, number(b.hoursAsMinutes));
    showText(remainderMinutes_, number(b.remainderMinutes));
    showText(totalDays_, number(b.totalDays));
    showText(daysAsHours_, number(b.daysAsHours));
    showText(remainderHours_, number(b.remainderHours));
    showText(elapsed_, QString::fromStdString(time::elapsedText(b)));

    state.captureTime = time::clockToCaptureTime(state.clockValue());
    showText(captureUtc_,
             QString::fromStdString(time::formatCaptureTime(state.captureTime, time::LocaleNames::current())));

    // The moment the page was asked for; the fields do not tick.
    showText(nowLocal_, captureFormat(platform_.currentLocalTime()));
    showText(nowUtc_, captureFormat(platform_.currentUtcTime()));
}

void TForm3::setTimeZoneText(const QString& text) { showText(timeZone_, text); }

void TForm3::setLocalCaptureText(const QString& text) { showText(captureLocal_, text); }

void TForm3::setMissionRecord(const std::optional<time::MissionTime>& record) { missionRecord_->showRecord(record); }

void TForm3::showEvent(QShowEvent* event) {
    Page::showEvent(event);
    centreOnScreen();
}

}  // namespace keldar::ui
