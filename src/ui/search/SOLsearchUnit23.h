#pragma once

#include <array>

#include "core/search/SolSearch.h"
#include "ui/app/Page.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace keldar::ui {

// The SOL searcher: steps the main window to the first image of a chosen rover, camera and sol.
class TForm23 : public Page {
    Q_OBJECT
public:
    TForm23(Workbench& workbench, platform::Platform& platform);

    // The menu's "SOL searcher": rover 1, camera "F", sol 100, then the page shows. The boxes
    // and the entry keep what they show.
    void openSearcher();

    // --- The commands of the buttons ---
    void startSearch();     // "Search for SOL"
    void stopSearch();      // "STOP search"
    void closeSearcher();   // "Close"
    void findAtNasa();      // "Find at NASA"
    // "Seach Engine" (hidden), run by every tick: looks at the image on display and either
    // ends the search or moves the main window one entry down.
    void runSearchStep();

    bool searching() const;
    const search::SolWanted& wanted() const { return wanted_; }
    // Entries examined since the search started, of the entries in the directory.
    int examined() const { return examined_; }

private:
    void chooseRover(QCheckBox* box, bool checked);
    void chooseCamera(QCheckBox* box, bool checked);
    void showResult(const QString& text);
    void endNotPresent();
    void showProgress();

    search::SolWanted wanted_;
    int roverNumber_ = 0;
    int examined_ = 0;
    bool lastStepEnded_ = false;  // the last step found the sol or its absence

    std::array<QCheckBox*, 2> roverBoxes_{};   // Opportunity, Spirit
    std::array<QCheckBox*, 6> cameraBoxes_{};  // F, R, N, P, M, E
    QLineEdit* solEntry_ = nullptr;
    QLabel* searchingRover_ = nullptr;
    QLabel* searchingCamera_ = nullptr;
    QLabel* searchingSol_ = nullptr;
    QLabel* foundRover_ = nullptr;
    QLabel* foundCamera_ = nullptr;
    QLabel* foundSol_ = nullptr;
    QLabel* result_ = nullptr;
    QLabel* browserNote_ = nullptr;
    QLabel* progress_ = nullptr;
    QWidget* fieldsPanel_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QPushButton* findButton_ = nullptr;
    QTimer* timer_ = nullptr;
};

}  // namespace keldar::ui
