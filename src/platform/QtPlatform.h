#pragma once
// The desktop as Qt and Linux provide it: message boxes, dialogs, xdg "open", the clipboard,
// the print dialog and the scheduling priority of the user-interface thread.

#include "core/time/EarthTime.h"
#include "platform/Platform.h"

namespace keldar::platform {

class QtPlatform final : public Platform {
public:
    void information(QWidget* parent, const QString& text) override;
    void warning(QWidget* parent, const QString& text) override;
    void plainMessage(QWidget* parent, const QString& text) override;
    void error(QWidget* parent, const QString& text) override;

    QString openFileName(QWidget* parent, const QString& caption, const QString& directory,
                         const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& caption, const QString& path,
                         const QString& filter, QString* selectedFilter) override;

    bool openDocument(const QString& pathOrUrl) override;
    QString registeredBrowserCommand() override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
    QString findProgram(const QString& name) override;

    void beep() override;
    void pause(int milliseconds) override;

    QString timeZoneName() override;
    QDateTime currentLocalTime() override;
    QDateTime currentUtcTime() override;

    bool setThreadPriority(ThreadPriority priority) override;

    void copyImageToClipboard(const QImage& image) override;
    bool clipboardHasImage() override;
    QImage clipboardImage() override;
    void clearClipboard() override;

    bool printImage(QWidget* owner, const QImage& image) override;
};

// The time zone now, with the zone database's long names for standard and daylight time.
keldar::time::TimeZoneInfo systemTimeZoneInfo();

// The nice value that stands for each level on Linux (0 is normal; higher is lower priority).
int niceValueFor(ThreadPriority priority);

}  // namespace keldar::platform
