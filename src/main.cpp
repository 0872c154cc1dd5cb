// keldar: the workbench. Creates every window, shows the main window and runs the event loop.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/FileNames.h"
#include "platform/KeldarApplication.h"
#include "platform/QtPlatform.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"

namespace {

constexpr char kUsage[] =
    "Usage: keldar [PATH]\n"
    "\n"
    "The Mars Exploration Rover image workbench. It starts in PATH when one is given: in a\n"
    "directory, or in a file's directory with that file shown; otherwise in the working\n"
    "directory. The toolkit's own options (-platform, -style ...) are accepted as well.\n"
    "\n"
    "  -h, --help     print this text and exit\n"
    "      --version  print the version and exit\n";

bool displayAvailable() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

bool is(const char* argument, const char* option) { return std::strcmp(argument, option) == 0; }

}  // namespace

int main(int argc, char** argv) {
    // Answered before anything needs a display, so they work on any terminal.
    for (int i = 1; i < argc && !is(argv[i], "--"); ++i) {
        if (is(argv[i], "--help") || is(argv[i], "-h")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (is(argv[i], "--version")) {
            std::printf("keldar %s\n", KELDAR_VERSION);
            return 0;
        }
    }
    if (!displayAvailable()) {
        std::fprintf(stderr, "keldar: no display available (set DISPLAY, or run under xvfb-run)\n");
        return 1;
    }
    keldar::platform::KeldarApplication application(argc, argv);
    keldar::platform::KeldarApplication::setApplicationName(QStringLiteral("Keldar"));
    // No application display name: on X11 the toolkit would append it to every window title,
    // and each window's title bar must read exactly its own caption.

    // The toolkit has taken its own options out of argv; what is left is ours.
    const char* path = nullptr;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        if (!optionsEnded && is(argv[i], "--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argv[i][0] == '-' && argv[i][1] != '\0') {
            std::fprintf(stderr, "keldar: unknown option '%s'\n%s", argv[i], kUsage);
            return 2;
        } else if (path != nullptr) {
            std::fprintf(stderr, "keldar: only one PATH can be given\n%s", kUsage);
            return 2;
        } else {
            path = argv[i];
        }
    }

    keldar::platform::QtPlatform platform;
    application.setPlatform(&platform);

    keldar::ui::Workbench workbench(platform);
    if (path != nullptr && *path != '\0')
        workbench.mainWindow().openInitialPath(keldar::platform::fileNameFromBytes(QByteArray(path)));
    workbench.mainWindow().show();
    return keldar::platform::KeldarApplication::exec();
}
