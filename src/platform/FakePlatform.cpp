#include "platform/FakePlatform.h"

namespace keldar::platform {

std::vector<QString> FakePlatform::texts(BoxKind kind) const {
    std::vector<QString> result;
    for (const Box& box : boxes)
        if (box.kind == kind) result.push_back(box.text);
    return result;
}

std::vector<QString> FakePlatform::allTexts() const {
    std::vector<QString> result;
    for (const Box& box : boxes) result.push_back(box.text);
    return result;
}

void FakePlatform::clear() {
    boxes.clear();
    openedDocuments.clear();
    startedPrograms.clear();
    pauses.clear();
    priorities.clear();
    printedImages.clear();
    preselectedSaveFilters.clear();
    openDialogStarts.clear();
    beeps = openDialogs = saveDialogs = printDialogs = 0;
}

void FakePlatform::record(BoxKind kind, const QString& text) {
    boxes.push_back({kind, text});
    if (onBox) onBox(boxes.back());
}

void FakePlatform::information(QWidget*, const QString& text) { record(BoxKind::Information, text); }
void FakePlatform::warning(QWidget*, const QString& text) { record(BoxKind::Warning, text); }
void FakePlatform::plainMessage(QWidget*, const QString& text) { record(BoxKind::Plain, text); }
void FakePlatform::error(QWidget*, const QString& text) { record(BoxKind::Error, text); }

QString FakePlatform::openFileName(QWidget*, const QString&, const QString& directory, const QString&) {
    ++openDialogs;
    openDialogStarts.push_back(directory);
    if (openFileAnswers.empty()) return {};
    QString answer = openFileAnswers.front();
    openFileAnswers.pop_front();
    return answer;
}

QString FakePlatform::saveFileName(QWidget*, const QString&, const QString&, const QString&,
                                   QString* selectedFilter) {
    ++saveDialogs;
    preselectedSaveFilters.push_back(selectedFilter != nullptr ? *selectedFilter : QString());
    if (saveFileAnswers.empty()) return {};
    if (selectedFilter != nullptr && !saveFilterAnswers.empty()) {
        *selectedFilter = saveFilterAnswers.front();
        saveFilterAnswers.pop_front();
    }
    QString answer = saveFileAnswers.front();
    saveFileAnswers.pop_front();
    return answer;
}

bool FakePlatform::openDocument(const QString& pathOrUrl) {
    openedDocuments.push_back(pathOrUrl);
    return openSucceeds;
}

QString FakePlatform::registeredBrowserCommand() { return browserCommand; }

bool FakePlatform::startProgram(const QString& program, const QStringList& arguments) {
    startedPrograms.push_back(QStringList{program} + arguments);
    return openSucceeds;
}

QString FakePlatform::findProgram(const QString& name) { return installedPrograms.value(name); }

void FakePlatform::beep() { ++beeps; }
void FakePlatform::pause(int milliseconds) {
    pauses.push_back(milliseconds);
    if (onPause) onPause(milliseconds);
}

QString FakePlatform::timeZoneName() { return zoneName; }
QDateTime FakePlatform::currentLocalTime() { return localNow; }
QDateTime FakePlatform::currentUtcTime() { return utcNow; }

bool FakePlatform::setThreadPriority(ThreadPriority priority) {
    priorities.push_back(priority);
    return priorityAccepted;
}

void FakePlatform::copyImageToClipboard(const QImage& image) { clipboard = image; }
bool FakePlatform::clipboardHasImage() { return !clipboard.isNull(); }
QImage FakePlatform::clipboardImage() { return clipboard; }
void FakePlatform::clearClipboard() { clipboard = QImage(); }

bool FakePlatform::printImage(QWidget*, const QImage& image) {
    ++printDialogs;
    if (!confirmPrint) return false;
    printedImages.push_back(image);
    return true;
}

}  // namespace keldar::platform
