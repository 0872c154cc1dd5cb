#include "ui/app/PictureSave.h"

#include "core/imaging/AnaglyphNaming.h"
#include "core/imaging/ImageFile.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace keldar::ui {

QString prepareSaveDirectory(const QString& directory, const QString& what) {
    if (!QFileInfo(directory).isDir() && !QDir().mkpath(directory))
        return QStringLiteral("The %1 directory \"%2\" does not exist and cannot be created. Nothing was saved.")
            .arg(what, QDir::toNativeSeparators(directory));
    // Permission bits do not tell (a read-only mount, or root); a file actually made does.
    QTemporaryFile probe(QDir(directory).filePath(QStringLiteral(".keldar-write-test-XXXXXX")));
    if (!probe.open())
        return QStringLiteral("The %1 directory \"%2\" cannot be written. Nothing was saved.")
            .arg(what, QDir::toNativeSeparators(directory));
    return {};
}

QString firstFreeNumberedName(const QString& directory, const QString& stem, const QString& extension) {
    for (int counter = 1; counter < 100; ++counter) {
        const QString name = stem + QStringLiteral("%1").arg(counter, 2, 10, QLatin1Char('0')) + extension;
        if (!QFileInfo::exists(QDir(directory).filePath(name))) return name;
    }
    return {};
}

bool savePicture(platform::Platform& platform, QWidget* parent, const imaging::ImageBuffer& picture, const QString& chosenPath,
                 int filterIndex, const QString& failureLead) {
    const imaging::AnaglyphSaveTarget target =
        imaging::anaglyphSaveTarget(QFile::encodeName(chosenPath).toStdString(), filterIndex);
    const QString targetPath = QFile::decodeName(target.path.c_str());
    // The stem rule can turn the chosen name into another one (pair.jpg saved as BMP is
    // pair.bmp), which the dialog never asked about: an existing file is never replaced.
    if (QFileInfo::exists(targetPath)) {
        platform.warning(parent, QStringLiteral("\"%1\" already exists and was not replaced. Nothing was saved; "
                                                "choose another name.")
                                     .arg(QDir::toNativeSeparators(targetPath)));
        return false;
    }
    const std::string error =
        target.format == imaging::AnaglyphFileFormat::Jpeg
            ? imaging::writeJpegFile(picture, target.path, 100, imaging::ExistingFile::Keep)
            : imaging::writeBmpFile(picture, target.path, imaging::ExistingFile::Keep);
    if (!error.empty()) {
        platform.warning(parent, QStringLiteral("%1: %2").arg(failureLead, QString::fromStdString(error)));
        return false;
    }
    return true;
}

}  // namespace keldar::ui
