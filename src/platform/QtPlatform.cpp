#include "platform/QtPlatform.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QStandardPaths>
#include <QThread>
#include <QTimeZone>
#include <QUrl>

#include <cerrno>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/time/EarthTime.h"
#include "platform/FileNames.h"

namespace keldar::platform {

namespace {

// The title of every message box.
const QString kBoxTitle = QStringLiteral("Keldar 2007");

void showBox(QWidget* parent, QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, kBoxTitle, text, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace

void QtPlatform::information(QWidget* parent, const QString& text) {
    showBox(parent, QMessageBox::Information, text);
}

void QtPlatform::warning(QWidget* parent, const QString& text) {
    showBox(parent, QMessageBox::Warning, text);
}

void QtPlatform::plainMessage(QWidget* parent, const QString& text) {
    showBox(parent, QMessageBox::NoIcon, text);
}

void QtPlatform::error(QWidget* parent, const QString& text) {
    showBox(parent, QMessageBox::Critical, text);
}

QString QtPlatform::openFileName(QWidget* parent, const QString& caption, const QString& directory,
                                 const QString& filter) {
    return QFileDialog::getOpenFileName(parent, caption, directory, filter);
}

QString QtPlatform::saveFileName(QWidget* parent, const QString& caption, const QString& path,
                                 const QString& filter, QString* selectedFilter) {
    return QFileDialog::getSaveFileName(parent, caption, path, filter, selectedFilter,
                                        QFileDialog::DontConfirmOverwrite);
}

bool QtPlatform::openDocument(const QString& pathOrUrl) {
    // A plain path is a local file; anything with a scheme (http:, mailto:) is a URL.
    // A local path goes by its real bytes, percent-encoded, whatever they are.
    const QUrl url = QFileInfo(pathOrUrl).isAbsolute()
                         ? QUrl::fromEncoded("file://" + fileNameToBytes(pathOrUrl).toPercentEncoding("/"))
                         : QUrl(pathOrUrl, QUrl::TolerantMode);
    return QDesktopServices::openUrl(url);
}

QString QtPlatform::registeredBrowserCommand() {
    // A Linux desktop keeps no single registered command line: its default-application
    // mechanism (xdg-open behind QDesktopServices) picks the user's browser.
    return {};
}

QString QtPlatform::findProgram(const QString& name) { return QStandardPaths::findExecutable(name); }

bool QtPlatform::startProgram(const QString& program, const QStringList& arguments) {
    // The program and its arguments go by their real bytes (a file name may hold any), and
    // the program is not our child: the middle process ends at once and is reaped here.
    std::vector<QByteArray> words;
    words.push_back(fileNameToBytes(program));
    for (const QString& argument : arguments) words.push_back(fileNameToBytes(argument));
    std::vector<char*> argv;
    for (QByteArray& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    int report[2];  // the grandchild writes errno here when exec fails; closes on success
    if (::pipe2(report, O_CLOEXEC) != 0) return false;
    const pid_t middle = ::fork();
    if (middle < 0) {
        ::close(report[0]);
        ::close(report[1]);
        return false;
    }
    if (middle == 0) {
        ::setsid();
        const pid_t program = ::fork();
        if (program <= 0) {
            if (program == 0) ::execvp(argv[0], argv.data());
            const int error = errno;
            [[maybe_unused]] const ssize_t written = ::write(report[1], &error, sizeof error);
        }
        ::_exit(0);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {}
    int error = 0;
    ssize_t got = 0;
    while ((got = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {}
    ::close(report[0]);
    return got == 0;  // end of file without a report: exec succeeded
}

void QtPlatform::beep() { QApplication::beep(); }

void QtPlatform::pause(int milliseconds) {
    // Like a sleep for the user (no input is taken), but the windows still repaint.
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
        const qint64 left = milliseconds - timer.elapsed();
        if (left > 0) QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, 5)));
    }
}

QString QtPlatform::timeZoneName() {
    return QString::fromStdString(keldar::time::timeZoneName(systemTimeZoneInfo()));
}

namespace {

// The IANA name of the process's zone: TZ if set, else the target of /etc/localtime.
QByteArray systemZoneId() {
    QByteArray tz = qgetenv("TZ");
    if (tz.startsWith(':')) tz.remove(0, 1);
    if (!tz.isEmpty()) return tz;
    const QString target = QFileInfo(QStringLiteral("/etc/localtime")).symLinkTarget();
    const int at = target.indexOf(QStringLiteral("zoneinfo/"));
    return at < 0 ? QByteArray() : target.mid(at + 9).toUtf8();
}

std::string longZoneName(const QTimeZone& zone, QTimeZone::TimeType type, const std::string& fallback) {
    std::string name;
    if (zone.isValid()) name = zone.displayName(type, QTimeZone::LongName, QLocale()).toStdString();
    if (name.empty()) name = fallback;
    if (name.size() > 32) name.resize(32);  // zone names are kept to 32 characters
    return name;
}

}  // namespace

keldar::time::TimeZoneInfo systemTimeZoneInfo() {
    // The C library decides the state; the zone database gives the names in full
    // ("Central European Standard Time" rather than "CET").
    keldar::time::TimeZoneInfo info = keldar::time::currentTimeZoneInfo();
    if (info.state == keldar::time::TimeZoneInfo::State::Failed) return info;
    const QTimeZone zone(systemZoneId());
    info.standardName = longZoneName(zone, QTimeZone::StandardTime, info.standardName);
    info.daylightName = longZoneName(zone, QTimeZone::DaylightTime, info.daylightName);
    return info;
}

QDateTime QtPlatform::currentLocalTime() { return QDateTime::currentDateTime(); }

QDateTime QtPlatform::currentUtcTime() { return QDateTime::currentDateTimeUtc(); }

int niceValueFor(ThreadPriority priority) {
    switch (priority) {
    case ThreadPriority::Idle: return 19;
    case ThreadPriority::Lowest: return 10;
    case ThreadPriority::Lower: return 5;
    case ThreadPriority::Normal: return 0;
    case ThreadPriority::Higher: return -5;
    case ThreadPriority::Highest: return -10;
    }
    return 0;
}

bool QtPlatform::setThreadPriority(ThreadPriority priority) {
    // On Linux the nice value of a thread is set through its thread id.
    const auto threadId = static_cast<id_t>(gettid());
    return setpriority(PRIO_PROCESS, threadId, niceValueFor(priority)) == 0;
}

void QtPlatform::copyImageToClipboard(const QImage& image) {
    QApplication::clipboard()->setImage(image);
}

bool QtPlatform::clipboardHasImage() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data != nullptr && data->hasImage();
}

QImage QtPlatform::clipboardImage() { return QApplication::clipboard()->image(); }

void QtPlatform::clearClipboard() { QApplication::clipboard()->clear(); }

bool QtPlatform::printImage(QWidget* owner, const QImage& image) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, owner);
    if (dialog.exec() != QDialog::Accepted) return false;
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    // Screen size on paper: one screen pixel becomes printer-dpi / screen-dpi dots.
    const QScreen* screen = owner != nullptr ? owner->screen() : QGuiApplication::primaryScreen();
    const double screenDpi = screen != nullptr ? screen->logicalDotsPerInchX() : 96.0;
    const double scale = printer.resolution() / (screenDpi > 0 ? screenDpi : 96.0);
    painter.scale(scale, scale);
    painter.drawImage(QPoint(0, 0), image);
    return painter.end();
}

}  // namespace keldar::platform
