#pragma once
// A desktop for headless tests: boxes are recorded instead of shown, dialogs take their
// answers from queues the test fills, nothing is started, printed or slept.

#include <QMap>

#include <deque>
#include <functional>
#include <vector>

#include "platform/Platform.h"

namespace keldar::platform {

class FakePlatform final : public Platform {
public:
    enum class BoxKind { Information, Warning, Plain, Error };
    struct Box {
        BoxKind kind;
        QString text;
    };

    // --- What the program did ---
    std::vector<Box> boxes;
    std::vector<QString> openedDocuments;
    std::vector<QStringList> startedPrograms;  // program first, then its arguments
    std::vector<int> pauses;
    std::vector<ThreadPriority> priorities;
    std::vector<QImage> printedImages;
    int beeps = 0;
    int openDialogs = 0;
    int saveDialogs = 0;
    int printDialogs = 0;
    std::vector<QString> preselectedSaveFilters;  // the filter each save dialog opened on
    std::vector<QString> openDialogStarts;        // the directory or file each open dialog opened on

    // --- How the desktop answers ---
    std::deque<QString> openFileAnswers;  // empty queue: the user cancels
    std::deque<QString> saveFileAnswers;
    std::deque<QString> saveFilterAnswers;  // the filter the user picks; empty: keeps the preselected one
    bool confirmPrint = true;
    bool priorityAccepted = true;
    bool openSucceeds = true;
    QMap<QString, QString> installedPrograms;  // name -> path that findProgram gives
    QString browserCommand;  // "": the desktop's default mechanism opens web pages
    QString zoneName = QStringLiteral("UTC");
    QDateTime localNow = QDateTime(QDate(2007, 6, 1), QTime(12, 0), Qt::LocalTime);
    QDateTime utcNow = QDateTime(QDate(2007, 6, 1), QTime(12, 0), Qt::UTC);
    QImage clipboard;
    // Called when a box is "shown", before the program goes on (to look at the windows then).
    std::function<void(const Box&)> onBox;
    // Called at every pause, after it is recorded (to look at the windows while they wait).
    std::function<void(int milliseconds)> onPause;

    // Texts of the boxes of one kind, in order.
    std::vector<QString> texts(BoxKind kind) const;
    std::vector<QString> allTexts() const;
    void clear();

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

private:
    void record(BoxKind kind, const QString& text);
};

}  // namespace keldar::platform
