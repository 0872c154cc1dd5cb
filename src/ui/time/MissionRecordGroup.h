#pragma once

#include <QGroupBox>

#include <optional>

#include "core/time/MissionTime.h"

class QLayout;
class QLabel;
class QPushButton;

namespace keldar::ui {

// The "Mission record" group: the current image's time as the rover teams published it
// (UTC by their clock correlation, the official sol, local true and mean solar time, Ls),
// shown beside the page's own classic figures.
class MissionRecordGroup : public QGroupBox {
    Q_OBJECT
public:
    enum class Layout { Rows, Compact };
    MissionRecordGroup(QWidget* parent, Layout layout);

    // None: the current name gives no rover or clock, and the group says so.
    void showRecord(const std::optional<time::MissionTime>& record);

private:
    QLabel* utc_ = nullptr;
    QLabel* sol_ = nullptr;
    QLabel* ltst_ = nullptr;
    QLabel* lmst_ = nullptr;
    QLabel* ls_ = nullptr;
    QLabel* note_ = nullptr;
};

// Lays out an Earth or Mars time page: its values, the mission record beneath them, and at
// the bottom the hidden command button (made hidden here) beside "Close". Returns the group.
MissionRecordGroup* layOutTimePage(QWidget* page, QLayout* values, QPushButton* hiddenCommand);

// The published UTC as shown: "2009-04-06 08:48:13.961 UTC".
QString missionUtcText(const time::MissionTime& record);

}  // namespace keldar::ui
