#include "ui/app/StereoPartner.h"

#include "core/decode/StereoPartnerFile.h"

#include <QFile>

namespace keldar::ui {

QString partnerFilePath(const QString& directory, const QString& partnerName) {
    const QString name = partnerName + QStringLiteral(".jpg");
    return directory.endsWith(QLatin1Char('/')) ? directory + name : directory + QLatin1Char('/') + name;
}

QString findPartnerFile(const QString& directory, const QString& partnerName) {
    const std::string found = decode::findPartnerFile(QFile::encodeName(directory).toStdString(),
                                                      QFile::encodeName(partnerName).toStdString());
    return QFile::decodeName(found.c_str());
}

}  // namespace keldar::ui
