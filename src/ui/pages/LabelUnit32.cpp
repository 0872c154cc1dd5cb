#include "ui/pages/LabelUnit32.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/imaging/ImageFile.h"
#include "core/imaging/PdsImage.h"
#include "platform/FileNames.h"
#include "ui/app/Controls.h"

namespace keldar::ui {

TForm32::TForm32(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm32"), QStringLiteral("PDS Label"), QSize(640, 520),
           ScreenFitMode::Full) {
    fileName_ = makeLabel(this, QStringLiteral("Label1"), {});
    fileName_->setWordWrap(true);
    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("Memo1"));
    text_->setReadOnly(true);
    text_->setLineWrapMode(QPlainTextEdit::NoWrap);
    text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QPushButton* close = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Close"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* column = new QVBoxLayout(this);
    column->addWidget(fileName_);
    column->addWidget(text_, 1);
    column->addLayout(buttons);
    fitToScreen();
}

void TForm32::showLabelOf(const QString& path) {
    fileName_->setText(platform::displayFileName(path));
    // A picture fetched from the archive has its index row beside it as a detached label:
    // NAME.LBL for NAME.JPG, name.lbl for name.img.jpg.
    QString labelPath = path;
    if (imaging::imageFileKindFor(platform::fileNameToBytes(path).toStdString()) != imaging::ImageFileKind::Pds) {
        labelPath.clear();
        const QFileInfo picture(path);
        const QString stem = picture.fileName().section(QLatin1Char('.'), 0, 0);
        for (const QString& extension : {QStringLiteral(".LBL"), QStringLiteral(".lbl")}) {
            const QString candidate = picture.dir().filePath(stem + extension);
            if (!stem.isEmpty() && QFileInfo(candidate).isFile()) {
                labelPath = candidate;
                break;
            }
        }
    }
    if (labelPath.isEmpty()) {
        labelText_ = QStringLiteral("This file carries no label: only PDS products (.IMG) have one attached.");
    } else {
        const imaging::PdsLabelResult read =
            imaging::readPdsLabelFile(platform::fileNameToBytes(labelPath).toStdString());
        labelText_ = read.ok() ? QString::fromStdString(imaging::pdsLabelDisplayText(read.label))
                               : QStringLiteral("No label could be read: %1").arg(QString::fromStdString(read.error));
        if (read.ok() && !read.label.vicarProblem.empty())
            labelText_ += QStringLiteral("\n(The VICAR label could not be read: %1)")
                              .arg(QString::fromStdString(read.label.vicarProblem));
    }
    text_->setPlainText(labelText_);
}

}  // namespace keldar::ui
