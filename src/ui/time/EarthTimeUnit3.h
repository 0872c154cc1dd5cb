#pragma once

#include <QString>

#include <optional>

#include "core/time/MissionTime.h"
#include "ui/app/Page.h"

class QLabel;
class QPushButton;

namespace keldar::ui {

class MissionRecordGroup;

// The Earth time variables page: the spacecraft clock broken into Earth units beside the time now.
class TForm3 : public Page {
    Q_OBJECT
public:
    TForm3(Workbench& workbench, platform::Platform& platform);

    // The hidden "Display Time" command: fills the page from the main window's clock value and
    // clock display, and writes the capture time into the viewer state.
    void runDisplayTime();

    // Written by the main window's TimeZone action and local-time routine at every Data action.
    void setTimeZoneText(const QString& text);
    void setLocalCaptureText(const QString& text);

    // The published mission record of the image selected in the main window.
    void setMissionRecord(const std::optional<time::MissionTime>& record);

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLabel* clockDisplay_ = nullptr;
    QLabel* totalMinutes_ = nullptr;
    QLabel* minutesAsSeconds_ = nullptr;
    QLabel* remainderSeconds_ = nullptr;
    QLabel* totalHours_ = nullptr;
    QLabel* hoursAsMinutes_ = nullptr;
    QLabel* remainderMinutes_ = nullptr;
    QLabel* totalDays_ = nullptr;
    QLabel* daysAsHours_ = nullptr;
    QLabel* remainderHours_ = nullptr;
    QLabel* elapsed_ = nullptr;
    QLabel* captureUtc_ = nullptr;
    QLabel* timeZone_ = nullptr;
    QLabel* captureLocal_ = nullptr;
    QLabel* nowLocal_ = nullptr;
    QLabel* nowUtc_ = nullptr;
    MissionRecordGroup* missionRecord_ = nullptr;
    QPushButton* displayTime_ = nullptr;
};

}  // namespace keldar::ui
