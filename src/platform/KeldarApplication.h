#pragma once
// The application object with the general error handler: every event passes through
// notify(), so an exception escaping any event handler is caught there, shown in the
// platform's error box, and the event loop goes on.

#include <QApplication>

namespace keldar::platform {

class Platform;

class KeldarApplication : public QApplication {
    Q_OBJECT
public:
    KeldarApplication(int& argc, char** argv);

    // Where error boxes go; without one the message is written to stderr.
    void setPlatform(Platform* platform) { platform_ = platform; }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    Platform* platform_ = nullptr;
};

}  // namespace keldar::platform
