#pragma once

#include "core/time/CalendarTime.h"
#include "ui/app/Page.h"

class QCalendarWidget;
class QComboBox;
class QLabel;
class QPushButton;
class QTimer;

namespace keldar::ui {

// The birthday searcher: steps the main window to an image taken on a chosen month and day.
class TForm14 : public Page {
    Q_OBJECT
public:
    TForm14(Workbench& workbench, platform::Platform& platform);

    // The menu's "My Birthday Searcher": the year field back to 2004, then the page shows.
    void openSearcher();

    // The birthday as chosen: the month from the list, the day from the calendar.
    void chooseMonth(int listIndex);
    void chooseDay(int day);

    // --- The commands of the buttons ---
    // "Search for My Birthday": refuses a month or day not chosen, or a day the month does
    // not have, with a message; otherwise starts the ticks.
    void startSearch();
    void stopSearch();       // "STOP"
    void closeSearcher();    // "Close"
    void continueSearch();   // "Continue searching for more Birthday images."
    // One tick: ends on an image taken on the birthday, else moves the main window on.
    void runSearchStep();

    bool searching() const;
    int birthdayMonth() const { return month_; }
    int birthdayDay() const { return day_; }
    int examined() const { return examined_; }

private:
    QString dateText(time::CalendarTime time) const;
    QString birthdayText() const;
    void showProgress();

    int month_ = 0;
    int day_ = 0;
    int searchYear_ = 2004;
    time::CalendarTime imageTime_;
    int examined_ = 0;
    bool foundOne_ = false;  // a birthday image was found since the search started

    QComboBox* months_ = nullptr;
    QCalendarWidget* calendar_ = nullptr;
    QLabel* monthName_ = nullptr;
    QLabel* monthNumber_ = nullptr;
    QLabel* dayField_ = nullptr;
    QLabel* cameraField_ = nullptr;
    QLabel* yearField_ = nullptr;
    QLabel* message_ = nullptr;
    QLabel* dateField1_ = nullptr;
    QLabel* dateField2_ = nullptr;
    QLabel* progress_ = nullptr;
    QPushButton* continueButton_ = nullptr;
    QTimer* timer_ = nullptr;
};

}  // namespace keldar::ui
