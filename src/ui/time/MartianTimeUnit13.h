#pragma once

#include <QString>

#include <optional>

#include "core/time/ImageData.h"
#include "core/time/MissionTime.h"
#include "ui/app/Page.h"

class QLabel;
class QPushButton;

namespace keldar::ui {

class MissionRecordGroup;

// What the Martian time page shows, with the design texts before the first computation.
struct MartianTimeTexts {
    QString roverText = QStringLiteral("Label6");
    QString landingLocalTime = QStringLiteral("Label8");
    QString transpiredSols = QStringLiteral("TRMD");
    QString transpiredHours = QStringLiteral("TRMH");
    QString transpiredMinutes = QStringLiteral("TRMM");
    QString transpiredSeconds = QStringLiteral("TRMS");
    QString totalSols = QStringLiteral("Label14");
    QString totalHours = QStringLiteral("Label15");
    QString totalMinutes = QStringLiteral("Label16");
    QString totalSeconds = QStringLiteral("Label17");
    QString marsTimeText = QStringLiteral("Waiting");
};

// The texts the page shows for one Mars time computation.
MartianTimeTexts martianTimeTextsFor(const time::MarsValues& mars);

// The Martian time page: the Mars time values of the image selected in the main window.
class TForm13 : public Page {
    Q_OBJECT
public:
    TForm13(Workbench& workbench, platform::Platform& platform);

    const MartianTimeTexts& texts() const { return texts_; }

    // The hidden "Martian Time Go" command: fills the page from the Mars values the main
    // window's Data action has just computed. Showing the page computes nothing.
    void runMartianTimeGo();

    // The published mission record of the image selected in the main window.
    void setMissionRecord(const std::optional<time::MissionTime>& record);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showTexts();

    MartianTimeTexts texts_;
    QLabel* rover_ = nullptr;
    QLabel* landedAt_ = nullptr;
    QLabel* transpiredSols_ = nullptr;
    QLabel* transpiredHours_ = nullptr;
    QLabel* transpiredMinutes_ = nullptr;
    QLabel* transpiredSeconds_ = nullptr;
    QLabel* totalSols_ = nullptr;
    QLabel* totalHours_ = nullptr;
    QLabel* totalMinutes_ = nullptr;
    QLabel* totalSeconds_ = nullptr;
    QLabel* marsTime_ = nullptr;
    MissionRecordGroup* missionRecord_ = nullptr;
    QPushButton* martianTimeGo_ = nullptr;
};

}  // namespace keldar::ui
