#include "ui/app/StereoPartner.h"

#include <QFileInfo>

namespace keldar::ui {

namespace {

QString joined(const QString& directory, const QString& name) {
    return directory.endsWith(QLatin1Char('/')) ? directory + name : directory + QLatin1Char('/') + name;
}

}  // namespace

QString partnerFilePath(const QString& directory, const QString& partnerName) {
    return joined(directory, partnerName + QStringLiteral(".jpg"));
}

QString findPartnerFile(const QString& directory, const QString& partnerName) {
    if (partnerName.isEmpty()) return {};
    for (const QString& extension : {QStringLiteral(".jpg"), QStringLiteral(".JPG")}) {
        const QFileInfo candidate(joined(directory, partnerName + extension));
        if (candidate.isFile()) return candidate.filePath();
    }
    return {};
}

}  // namespace keldar::ui
