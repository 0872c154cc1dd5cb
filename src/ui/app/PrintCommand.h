#pragma once
// The print command shared by the windows with a "Print" button: the window's client area goes
// to the clipboard or to the printer, as the print/clipboard switch of the main menu says.

#include <QImage>
#include <QString>

class QWidget;

namespace keldar::ui {

class Workbench;

// The box shown after every clipboard copy.
inline const QString kClipboardSavedMessage = QStringLiteral("Image saved to clipboard!");

// What the window shows inside its frame: for a main window the area under the menu bar,
// otherwise the whole widget.
QImage clientAreaImage(QWidget& window);

// Switch on: the client area is put on the clipboard and "Image saved to clipboard!" is shown.
// Switch off: the print dialog (owned by the main window) prints it at screen size; cancelling
// does nothing.
void runPrintCommand(Workbench& workbench, QWidget& window);

}  // namespace keldar::ui
