#pragma once
// The seams between Keldar and the desktop. Windows never open a message box, a file
// dialog, a print dialog or another program themselves: they ask the Platform they were
// given, so the headless tests can answer in their place (FakePlatform).

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>

class QWidget;

namespace keldar::platform {

// The six scheduling levels the menu offers, lowest first.
enum class ThreadPriority { Idle, Lowest, Lower, Normal, Higher, Highest };

class Platform {
public:
    virtual ~Platform() = default;

    // Modal boxes with a fixed text and an OK button. `parent` may be null.
    virtual void information(QWidget* parent, const QString& text) = 0;
    virtual void warning(QWidget* parent, const QString& text) = 0;
    // A box with the text and an OK button but no icon.
    virtual void plainMessage(QWidget* parent, const QString& text) = 0;
    // The box of the general error handler: an action failed with this message.
    virtual void error(QWidget* parent, const QString& text) = 0;

    // File dialogs; an empty result means the user cancelled. `filter` uses Qt's
    // "Description (*.jpg *.bmp);;All files (*)" form.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& directory,
                                 const QString& filter) = 0;
    // `selectedFilter`, when given, is the filter entry the dialog opens on and comes back as
    // the one the user chose. The dialog never asks to replace an existing file: the caller
    // decides what an existing name means.
    virtual QString saveFileName(QWidget* parent, const QString& caption, const QString& path,
                                 const QString& filter, QString* selectedFilter) = 0;

    // The shell's "open": a document, a directory or a URL (http:, mailto:) in the program the
    // desktop associates with it. Returns false when nothing could be started.
    virtual bool openDocument(const QString& pathOrUrl) = 0;
    // The command line the desktop registers for opening web pages, where it keeps one as a
    // single text; "" where the default-application mechanism (openDocument) is the way.
    virtual QString registeredBrowserCommand() = 0;
    // Starts a program without waiting for it. Returns false when it could not be started.
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
    // The installed program `name` through the search path of programs; "" when there is none.
    virtual QString findProgram(const QString& name) = 0;

    virtual void beep() = 0;
    // Waits `milliseconds` without taking user input; the windows keep repainting.
    virtual void pause(int milliseconds) = 0;

    // The name of the user's time zone as the Data action shows it.
    virtual QString timeZoneName() = 0;
    virtual QDateTime currentLocalTime() = 0;
    virtual QDateTime currentUtcTime() = 0;

    // Priority of the calling (user-interface) thread. False when the system refused it
    // (raising the priority usually needs privileges on Linux).
    virtual bool setThreadPriority(ThreadPriority priority) = 0;

    virtual void copyImageToClipboard(const QImage& image) = 0;
    virtual bool clipboardHasImage() = 0;
    virtual QImage clipboardImage() = 0;
    virtual void clearClipboard() = 0;

    // Opens the print dialog owned by `owner`; when confirmed prints `image` at screen size
    // from the page's top-left corner. False when the user cancelled or printing failed.
    virtual bool printImage(QWidget* owner, const QImage& image) = 0;
};

}  // namespace keldar::platform
