#include "ui/app/PrintCommand.h"

#include <QMainWindow>
#include <QWidget>

#include "platform/Platform.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"

namespace keldar::ui {

QImage clientAreaImage(QWidget& window) {
    if (auto* main = qobject_cast<QMainWindow*>(&window); main != nullptr && main->centralWidget() != nullptr)
        return main->centralWidget()->grab().toImage();
    return window.grab().toImage();
}

void runPrintCommand(Workbench& workbench, QWidget& window) {
    platform::Platform& platform = workbench.platform();
    TForm1& main = workbench.mainWindow();
    const QImage image = clientAreaImage(window);
    if (main.viewerState().options.printClipboardSwitch) {
        platform.copyImageToClipboard(image);
        platform.information(&window, kClipboardSavedMessage);
    } else {
        platform.printImage(&main, image);
    }
}

}  // namespace keldar::ui
