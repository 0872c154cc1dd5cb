#include "ui/pages/PanoramaUnit34.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include "core/imaging/ImageFile.h"
#include "platform/ActionGuard.h"
#include "platform/FileNames.h"
#include "platform/Platform.h"
#include "ui/app/Controls.h"
#include "ui/app/ImageConversion.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/PictureSave.h"
#include "ui/app/Workbench.h"
#include "ui/pages/FullSizeImageUnit17.h"

namespace keldar::ui {

namespace {

const char* roverName(char digit) { return digit == '1' ? "Opportunity" : digit == '2' ? "Spirit" : "the rover"; }

}  // namespace

QString panoramaSaveName(const QString& directory, const std::string& firstFrame, bool anaglyph) {
    const QString stem = QString::fromStdString(firstFrame) +
                         (anaglyph ? QStringLiteral("-anaglyph-panorama-") : QStringLiteral("-panorama-"));
    return firstFreeNumberedName(directory, stem, QStringLiteral(".jpg"));
}

TForm34::TForm34(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm34"), QStringLiteral("Panorama of this sequence"), QSize(520, 260),
           ScreenFitMode::Full) {
    sequence_ = makeLabel(this, QStringLiteral("Label1"), QString());
    sequence_->setWordWrap(true);
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    status_ = makeLabel(this, QStringLiteral("Label2"), QString());
    status_->setWordWrap(true);
    stitch_ = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Stitch panorama"));
    anaglyph_ = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Stitch anaglyph panorama"));
    cancel_ = makeButton(this, QStringLiteral("Button3"), QStringLiteral("Cancel"));
    cancel_->setEnabled(false);
    QPushButton* close = makeButton(this, QStringLiteral("Button4"), QStringLiteral("Close"));
    connect(stitch_, &QPushButton::clicked, this,
            [this] { platform::runGuarded(platform_, this, [this] { startStitch(false); }); });
    connect(anaglyph_, &QPushButton::clicked, this,
            [this] { platform::runGuarded(platform_, this, [this] { startStitch(true); }); });
    connect(cancel_, &QPushButton::clicked, this, &TForm34::cancelStitch);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {stitch_, anaglyph_}) buttons->addWidget(button);
    buttons->addStretch();
    for (QPushButton* button : {cancel_, close}) buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sequence_);
    layout->addWidget(progress_);
    layout->addWidget(status_);
    layout->addStretch();
    layout->addLayout(buttons);
    fitToScreen();
}

TForm34::~TForm34() {
    cancelStitch();
    if (thread_ != nullptr) thread_->wait();
}

QString TForm34::statusText() const { return status_->text(); }

bool TForm34::stereoOffered() const { return anaglyph_->isEnabled(); }

void TForm34::openFor(const QString& path) {
    if (!stitching()) {
        directory_ = QFileInfo(path).absolutePath();
        std::string error;
        pictures_ = panorama::directoryPictures(platform::fileNameToBytes(directory_).toStdString(), error);
        const std::optional<panorama::FrameRequest> request =
            panorama::requestForFrame(platform::fileNameToBytes(path).toStdString());
        if (!error.empty()) {
            selection_ = {};
            selection_.error = error;
        } else if (!request) {
            selection_ = {};
            selection_.error = "the image shown is not a rover product, so it belongs to no sequence";
        } else {
            request_ = *request;
            selection_ = panorama::selectFrames(pictures_, request_);
        }
        showSelection();
    }
    showPage();
}

void TForm34::showSelection() {
    const bool ok = selection_.ok();
    if (ok) {
        QString text =
            QStringLiteral("Sequence %1 of %2's %3: %4 frames of the %5 eye.")
                .arg(QString::fromStdString(selection_.sequence), QString::fromLatin1(roverName(selection_.rover)),
                     QString::fromLatin1(panorama::cameraWord(selection_.camera)))
                .arg(selection_.frames.size())
                .arg(QString::fromLatin1(panorama::eyeWord(request_.eye)));
        text += selection_.partners.empty()
                    ? QStringLiteral(" The other eye's frames are not all here.")
                    : QStringLiteral(" The other eye's frames are here too: it can be an anaglyph.");
        sequence_->setText(text);
        status_->setText(QStringLiteral("Stitching takes a few seconds for each frame."));
    } else {
        sequence_->setText(
            QStringLiteral("No panorama can be made here: %1.").arg(QString::fromStdString(selection_.error)));
        status_->setText(QString());
    }
    const std::string tools = panorama::missingTools();
    if (ok && !tools.empty()) status_->setText(QString::fromStdString(tools));
    stitch_->setEnabled(ok && tools.empty());
    anaglyph_->setEnabled(ok && tools.empty() && !selection_.partners.empty());
}

void TForm34::startStitch(bool anaglyph) {
    if (stitching() || !selection_.ok()) return;
    if (anaglyph && selection_.partners.empty()) return;
    panorama::PanoramaOptions options;
    options.frames = request_;
    options.frames.sequence = selection_.sequence;
    options.anaglyph = anaglyph;
    runningAnaglyph_ = anaglyph;
    stop_.store(false);
    result_ = {};
    progress_->setRange(0, 0);
    status_->setText(QStringLiteral("Reading the frames..."));
    stitch_->setEnabled(false);
    anaglyph_->setEnabled(false);
    cancel_->setEnabled(true);
    // The tools run from a thread of their own; what it tells comes back queued.
    thread_ = QThread::create([this, options, pictures = pictures_] {
        panorama::PanoramaResult result = panorama::stitchPanorama(
            pictures, options,
            [this](const panorama::PanoramaProgress& p) {
                QMetaObject::invokeMethod(
                    this, [this, p] { showProgress(p); }, Qt::QueuedConnection);
            },
            &stop_);
        QMetaObject::invokeMethod(
            this, [this, r = std::move(result)]() mutable { result_ = std::move(r); }, Qt::QueuedConnection);
    });
    connect(thread_, &QThread::finished, this, &TForm34::finishStitch, Qt::QueuedConnection);
    thread_->start();
}

void TForm34::cancelStitch() { stop_.store(true); }

void TForm34::showProgress(const panorama::PanoramaProgress& p) {
    if (!stitching()) return;
    QString stage = QString::fromStdString(p.stage);
    stage[0] = stage[0].toUpper();
    if (p.total > 0) {
        progress_->setRange(0, p.total);
        progress_->setValue(p.done);
        status_->setText(QStringLiteral("%1: %2 of %3...").arg(stage).arg(p.done).arg(p.total));
    } else {
        progress_->setRange(0, 0);
        status_->setText(stage + QStringLiteral("..."));
    }
}

void TForm34::finishStitch() {
    thread_->deleteLater();
    thread_ = nullptr;
    cancel_->setEnabled(false);
    progress_->setRange(0, 1);
    progress_->setValue(result_.ok() ? 1 : 0);
    showSelection();
    if (result_.stopped) {
        status_->setText(QStringLiteral("Cancelled: nothing was saved."));
        emit stitchFinished();
        return;
    }
    if (!result_.ok()) {
        const QString message =
            QStringLiteral("The panorama could not be made: %1.").arg(QString::fromStdString(result_.error));
        status_->setText(message);
        platform_.error(this, message);
        emit stitchFinished();
        return;
    }
    workbench_.fullSizeImagePage().showImage(toQImage(result_.image));

    // Saved beside the other made pictures, under a name of its own: nothing is replaced.
    const QString home = workbench_.mainWindow().viewerState().homeDirectory;
    const QString directory = categoryDirectoriesFor(home.isEmpty() ? QDir::currentPath() : home).panoramas;
    QString saved;
    std::string error;
    if (!QDir().mkpath(directory)) {
        error = "cannot create the directory " + directory.toStdString();
    } else {
        for (int attempt = 0; attempt < 3 && saved.isEmpty(); ++attempt) {
            const QString name = panoramaSaveName(directory, selection_.frames.front().identifier, runningAnaglyph_);
            if (name.isEmpty()) {
                error = "every counter from 01 to 99 is taken in " + directory.toStdString();
                break;
            }
            const QString path = QDir(directory).filePath(name);
            error = imaging::writeJpegFile(result_.image, platform::fileNameToBytes(path).toStdString(), 100,
                                           imaging::ExistingFile::Keep);
            if (error.empty())
                saved = path;
            else if (error.find("already exists") == std::string::npos)
                break;  // a name taken meanwhile: the next
        }
    }
    if (saved.isEmpty()) {
        const QString message =
            QStringLiteral("The panorama could not be saved: %1.").arg(QString::fromStdString(error));
        status_->setText(message);
        platform_.error(this, message);
    } else {
        lastSaved_ = saved;
        status_->setText(QStringLiteral("%1 x %2 pixels, saved as %3")
                             .arg(result_.image.width())
                             .arg(result_.image.height())
                             .arg(QDir::toNativeSeparators(saved)));
    }
    emit stitchFinished();
}

}  // namespace keldar::ui
