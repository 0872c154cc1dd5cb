#include "ui/stereo/AnaglyphSaveDialog.h"

#include <QStringList>

#include "platform/Platform.h"

namespace keldar::ui {

namespace {

// One entry in the toolkit's form: the description keeps its words and lists its patterns in
// parentheses. "All (*.jpg;*.jpeg;*.bmp;)" keeps "All"; the toolkit reads the patterns from
// the parentheses and wants them separated by blanks.
QString toolkitEntry(const imaging::SaveFilter& filter) {
    QString description = QString::fromStdString(filter.description);
    const qsizetype bracket = description.indexOf(QStringLiteral(" ("));
    if (bracket >= 0) description.truncate(bracket);
    const QStringList patterns =
        QString::fromStdString(filter.patterns).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    return description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

}  // namespace

QString toolkitFilter(const std::vector<imaging::SaveFilter>& filters) {
    QStringList entries;
    for (const imaging::SaveFilter& filter : filters) entries << toolkitEntry(filter);
    return entries.join(QStringLiteral(";;"));
}

SaveDialog platformSaveDialog(platform::Platform& platform) {
    return [&platform](QWidget* parent, const SaveDialogRequest& request) {
        QStringList entries;
        for (const imaging::SaveFilter& filter : request.filters) entries << toolkitEntry(filter);
        const int preselected = request.preselectedFilter - 1;
        QString selected = preselected >= 0 && preselected < entries.size() ? entries[preselected] : QString();

        SaveDialogAnswer answer;
        answer.path = platform.saveFileName(parent, request.caption, request.proposedPath,
                                            entries.join(QStringLiteral(";;")), &selected);
        if (answer.path.isEmpty()) return answer;
        answer.filterIndex = static_cast<int>(entries.indexOf(selected)) + 1;
        // A dialog that reports no entry of the list leaves only the name to go by.
        if (answer.filterIndex == 0)
            answer.filterIndex =
                imaging::filterIndexForName(answer.path.toStdString(), request.filters, request.preselectedFilter);
        return answer;
    };
}

}  // namespace keldar::ui
