#pragma once
// What every secondary window shares: it is a top-level window created hidden at start,
// named for its class, with its caption, adapted to the screen once, and able to reach the
// other windows through the workbench that owns them all.

#include <QSize>
#include <QWidget>

namespace keldar::platform {
class Platform;
}

namespace keldar::ui {

class Workbench;

// How a window is adapted to the screen at creation.
enum class ScreenFitMode {
    Full,        // size, controls and fonts
    WithoutFonts,
    None,        // the window keeps its designed size
};

class Page : public QWidget {
    Q_OBJECT
public:
    Page(Workbench& workbench, platform::Platform& platform, const QString& name,
         const QString& caption, QSize designSize, ScreenFitMode fit);

    // Shows the page and brings it to the front, as the menu's "show" does.
    void showPage();

protected:
    // Called by derived windows at the end of their construction, once the controls exist.
    void fitToScreen();
    // Places the window in the middle of the screen it is on.
    void centreOnScreen();

    Workbench& workbench_;
    platform::Platform& platform_;

private:
    QSize designSize_;
    ScreenFitMode fit_;
};

}  // namespace keldar::ui
