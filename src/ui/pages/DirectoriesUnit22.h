#pragma once

#include <QString>

#include "ui/app/Page.h"

class QLabel;

namespace keldar::ui {

// The directories page: shows the current, home and category directories and moves the main
// window's directory browser to any of them, or to the directory of a file the user picks.
class TForm22 : public Page {
    Q_OBJECT
public:
    TForm22(Workbench& workbench, platform::Platform& platform);

    // --- The commands of the buttons ---
    void jumpHome();        // "Home"
    void jumpAllImages();   // "NASA"
    void jumpAnaglyphs();   // "3D"
    void jumpRgb();         // "RGB"
    void jumpColour();      // "Colour ?"
    void browse();          // "Browse for a new Directory of MER images"
    void jumpToChosen();    // "Jump"
    void showHelpMenu();    // "Help Menu"
    void closePage();       // "Close"

    // The full path of the file chosen with "Browse ...", "" until one is chosen.
    const QString& jumpTarget() const { return jumpTarget_; }

private:
    // Shows the viewer state's directories in the value lines.
    void showDirectories();
    // Moves the main window's browser to `path` (a file's path means its directory) and
    // closes the page; a directory that cannot be entered is reported and nothing moves.
    void jumpTo(const QString& path);

    QLabel* currentDirectory_ = nullptr;
    QLabel* homeDirectory_ = nullptr;
    QLabel* allImagesDirectory_ = nullptr;
    QLabel* anaglyphDirectory_ = nullptr;
    QLabel* rgbDirectory_ = nullptr;
    QLabel* colourDirectory_ = nullptr;
    QLabel* chosenFile_ = nullptr;
    QLabel* preview_ = nullptr;  // the chosen file, small
    QString jumpTarget_;
};

}  // namespace keldar::ui
