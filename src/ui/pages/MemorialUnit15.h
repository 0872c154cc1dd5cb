#pragma once

#include <QStringList>

#include "ui/app/Page.h"

class QLabel;
class QTimer;

namespace keldar::ui {

// The memorial page: the names of those who died exploring space, one after another, then
// the window fades out.
class TForm15 : public Page {
    Q_OBJECT
public:
    TForm15(Workbench& workbench, platform::Platform& platform);

    // "Those that went before us": the sequence runs (or goes on with its current line) and
    // the page shows at full opacity.
    void startMemorial();

    // The timers' ticks (Timer1, Timer2, Timer3), public so that tests can step the sequence.
    void stepTick();     // every 1000 ms: the show step
    void advanceTick();  // 2000 ms after the show step armed it: the next line, or fading
    void fadeTick();     // every 25 ms while fading

    static const QStringList& names();
    int lineCounter() const { return lineCounter_; }
    int opacity() const { return opacity_; }  // 0 ... 255

private:
    void showStep();
    void fadeStep();
    void setOpacity(int opacity);

    QLabel* name_ = nullptr;
    QTimer* stepTimer_ = nullptr;
    QTimer* advanceTimer_ = nullptr;
    QTimer* fadeTimer_ = nullptr;
    int lineCounter_ = 0;
    int opacity_ = 255;
};

}  // namespace keldar::ui
