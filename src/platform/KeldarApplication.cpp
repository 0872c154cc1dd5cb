#include "platform/KeldarApplication.h"

#include <cstdio>
#include <exception>

#include <QWidget>

#include "platform/ActionGuard.h"
#include "platform/Platform.h"

namespace keldar::platform {

KeldarApplication::KeldarApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool KeldarApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        const QString message = errorMessage(std::current_exception());
        if (platform_ != nullptr) {
            platform_->error(activeWindow(), message);
        } else {
            std::fprintf(stderr, "keldar: %s\n", message.toLocal8Bit().constData());
        }
        return false;
    }
}

}  // namespace keldar::platform
