#pragma once
// The general error handler's rule in one place: an error that escapes an action ends that
// action, is shown in an error box with its message, and the program goes on.

#include <exception>
#include <functional>

#include <QString>

class QWidget;

namespace keldar::platform {

class Platform;

// The message an error box shows for the exception in flight (or the one given).
QString errorMessage(std::exception_ptr error);

// Runs `action`; an exception leaving it is reported through platform.error(). Returns true
// when the action finished without one.
bool runGuarded(Platform& platform, QWidget* parent, const std::function<void()>& action);

}  // namespace keldar::platform
