// keldar: the workbench. Creates every window, shows the main window and runs the event loop.

#include <cstdio>
#include <cstdlib>

#include "platform/KeldarApplication.h"
#include "platform/QtPlatform.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"

namespace {

bool displayAvailable() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char** argv) {
    if (!displayAvailable()) {
        std::fprintf(stderr, "keldar: no display available (set DISPLAY, or run under xvfb-run)\n");
        return 1;
    }
    keldar::platform::KeldarApplication application(argc, argv);
    keldar::platform::KeldarApplication::setApplicationName(QStringLiteral("Keldar"));
    // No application display name: on X11 the toolkit would append it to every window title,
    // and each window's title bar must read exactly its own caption.
    keldar::platform::QtPlatform platform;
    application.setPlatform(&platform);

    keldar::ui::Workbench workbench(platform);
    workbench.mainWindow().show();
    return keldar::platform::KeldarApplication::exec();
}
