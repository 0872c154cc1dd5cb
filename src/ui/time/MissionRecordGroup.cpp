#include "ui/time/MissionRecordGroup.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/app/Controls.h"

namespace keldar::ui {

namespace {

const QString kNone = QStringLiteral("-");

}  // namespace

QString missionUtcText(const time::MissionTime& record) {
    QString text = QString::fromStdString(record.utcIso);
    if (text.endsWith(QLatin1Char('Z'))) text.chop(1);
    return text.replace(QLatin1Char('T'), QLatin1Char(' ')) + QStringLiteral(" UTC");
}

MissionRecordGroup* layOutTimePage(QWidget* page, QLayout* values, QPushButton* hiddenCommand) {
    QPushButton* close = makeButton(page, QStringLiteral("closeButton"), QStringLiteral("Close"));
    hiddenCommand->hide();
    QObject::connect(close, &QPushButton::clicked, page, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(hiddenCommand);
    buttons->addWidget(close);
    auto* column = new QVBoxLayout(page);
    column->addLayout(values);
    auto* record = new MissionRecordGroup(page, MissionRecordGroup::Layout::Rows);
    column->addWidget(record);
    column->addStretch();
    column->addLayout(buttons);
    return record;
}

MissionRecordGroup::MissionRecordGroup(QWidget* parent, Layout layout)
    : QGroupBox(QStringLiteral("Mission record"), parent) {
    setObjectName(QStringLiteral("MissionRecord"));
    setToolTip(QStringLiteral("The image's time as the rover teams published it: UTC by their clock correlation, "
                              "the official sol (landing sol = sol 1), local true and mean solar time at the site "
                              "and the season (Ls). The figures above are the classic ones."));
    const QColor ink(Qt::black);
    auto value = [&](const QString& name) {
        QLabel* label = makeValueLabel(this, name, kNone, ink);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    };
    utc_ = value(QStringLiteral("MissionUtc"));
    sol_ = value(QStringLiteral("MissionSol"));
    ltst_ = value(QStringLiteral("MissionLtst"));
    lmst_ = value(QStringLiteral("MissionLmst"));
    ls_ = value(QStringLiteral("MissionLs"));
    note_ = makeLabel(this, QStringLiteral("MissionNote"), {});
    note_->setWordWrap(true);
    note_->hide();

    auto* grid = new QGridLayout(this);
    grid->setVerticalSpacing(0);
    // In a narrow column the group is drawn flat, so it costs the page no more than its lines.
    if (layout == Layout::Compact) {
        setFlat(true);
        grid->setContentsMargins(12, 0, 0, 0);
    } else {
        grid->setContentsMargins(6, 2, 6, 4);
    }
    auto caption = [&](const QString& text) { return makeLabel(this, {}, text); };
    if (layout == Layout::Rows) {
        int row = 0;
        for (const auto& [text, field] : {std::pair{QStringLiteral("Published UTC"), utc_},
                                          std::pair{QStringLiteral("Official sol"), sol_},
                                          std::pair{QStringLiteral("Local true solar time"), ltst_},
                                          std::pair{QStringLiteral("Local mean solar time"), lmst_},
                                          std::pair{QStringLiteral("Solar longitude (Ls)"), ls_}}) {
            grid->addWidget(caption(text), row, 0);
            grid->addWidget(field, row++, 1);
        }
        grid->addWidget(note_, row, 0, 1, 2);
        grid->setColumnStretch(1, 1);
    } else {
        // A narrow column: the UTC on its own line, the rest in pairs.
        grid->addWidget(utc_, 0, 0, 1, 4);
        grid->addWidget(caption(QStringLiteral("Sol")), 1, 0);
        grid->addWidget(sol_, 1, 1);
        grid->addWidget(caption(QStringLiteral("Ls")), 1, 2);
        grid->addWidget(ls_, 1, 3);
        grid->addWidget(caption(QStringLiteral("LTST")), 2, 0);
        grid->addWidget(ltst_, 2, 1);
        grid->addWidget(caption(QStringLiteral("LMST")), 2, 2);
        grid->addWidget(lmst_, 2, 3);
        grid->addWidget(note_, 3, 0, 1, 4);
        grid->setColumnStretch(1, 1);
        grid->setColumnStretch(3, 1);
    }
}

void MissionRecordGroup::showRecord(const std::optional<time::MissionTime>& record) {
    if (!record) {
        for (QLabel* field : {utc_, sol_, ltst_, lmst_, ls_}) field->setText(kNone);
        note_->setText(QStringLiteral("No rover digit or clock in this name."));
        note_->show();
        return;
    }
    utc_->setText(missionUtcText(*record));
    sol_->setText(QString::number(record->sol));
    ltst_->setText(QString::fromStdString(time::formatSolarTime(record->ltstHours)));
    lmst_->setText(QString::fromStdString(time::formatSolarTime(record->lmstHours)));
    ls_->setText(QStringLiteral("%1\u00B0").arg(record->ls, 0, 'f', 1));
    note_->setText(QStringLiteral("Outside the published clock record: extrapolated."));
    note_->setVisible(!record->withinRecord);
}

}  // namespace keldar::ui
