#include "ui/stereo/AnaglyphSaveDialog.h"

#include <QStringList>

#include "platform/Platform.h"

namespace keldar::ui {

QString toolkitFilter(const std::vector<imaging::SaveFilter>& filters) {
    QStringList entries;
    for (const imaging::SaveFilter& filter : filters) {
        QString description = QString::fromStdString(filter.description);
        // "All (*.jpg;*.jpeg;*.bmp;)" keeps "All"; the toolkit reads the patterns from the
        // parentheses and wants them separated by blanks.
        const qsizetype bracket = description.indexOf(QStringLiteral(" ("));
        if (bracket >= 0) description.truncate(bracket);
        const QStringList patterns =
            QString::fromStdString(filter.patterns).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        entries << description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

SaveDialog platformSaveDialog(platform::Platform& platform) {
    return [&platform](QWidget* parent, const SaveDialogRequest& request) {
        SaveDialogAnswer answer;
        answer.path = platform.saveFileName(parent, request.caption, request.proposedPath, toolkitFilter(request.filters));
        if (!answer.path.isEmpty())
            answer.filterIndex =
                imaging::filterIndexForName(answer.path.toStdString(), request.filters, request.preselectedFilter);
        return answer;
    };
}

}  // namespace keldar::ui
