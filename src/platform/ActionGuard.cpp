#include "platform/ActionGuard.h"

#include <new>

#include "platform/Platform.h"

namespace keldar::platform {

QString errorMessage(std::exception_ptr error) {
    try {
        if (error) std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory.");
    } catch (const std::exception& e) {
        const QString text = QString::fromLocal8Bit(e.what());
        return text.isEmpty() ? QStringLiteral("Unexpected error.") : text;
    } catch (...) {
        return QStringLiteral("Unexpected error.");
    }
    return QStringLiteral("Unexpected error.");
}

bool runGuarded(Platform& platform, QWidget* parent, const std::function<void()>& action) {
    try {
        action();
        return true;
    } catch (...) {
        platform.error(parent, errorMessage(std::current_exception()));
        return false;
    }
}

}  // namespace keldar::platform
