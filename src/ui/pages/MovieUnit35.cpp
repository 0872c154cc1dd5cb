#include "ui/pages/MovieUnit35.h"

#include <algorithm>
#include <filesystem>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "core/sequence/SequenceFrames.h"
#include "platform/ActionGuard.h"
#include "platform/FileNames.h"
#include "platform/Platform.h"
#include "ui/app/Controls.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/PictureSave.h"
#include "ui/app/Workbench.h"

namespace keldar::ui {

namespace {

// The frame list shows this many names without scrolling, however long the sequence.
constexpr int kVisibleFrameNames = 6;
constexpr int kDefaultFramesPerSecond = 4;

const char* roverName(char digit) { return digit == '1' ? "Opportunity" : digit == '2' ? "Spirit" : "the rover"; }

QString fromBytes(const std::string& path) { return platform::fileNameFromBytes(QByteArray::fromStdString(path)); }
std::string toBytes(const QString& path) { return platform::fileNameToBytes(path).toStdString(); }

// The shown picture's own sequence: its rover, camera, sequence, eye and filter, so that a
// PANCAM sequence of several filters gives the movie of the filter on display.
movie::MoviePlan planForPicture(const std::vector<std::string>& paths, const std::string& shown, char& rover) {
    movie::MoviePlan plan;
    if (!sequence::queryForFrame(shown)) {
        plan.error = "the image shown is not a rover product, so it belongs to no sequence";
        return plan;
    }
    const std::vector<sequence::Picture> pictures = sequence::productPictures(paths);
    const std::filesystem::path name = std::filesystem::path(shown).filename();
    const auto it = std::find_if(pictures.begin(), pictures.end(), [&name](const sequence::Picture& p) {
        return std::filesystem::path(p.path).filename() == name;
    });
    if (it == pictures.end()) {
        plan.error = "the image shown is no longer in its directory";
        return plan;
    }
    rover = it->rover;
    plan.sequence = it->sequence;
    plan.camera = it->camera;
    plan.eye = it->eye;
    for (const sequence::Picture* p : sequence::framesOf(pictures, *it))
        plan.frames.push_back({p->path, p->identifier, movie::captionFor(p->identifier)});
    if (plan.frames.size() < 2) {
        plan.error =
            "the image shown is the only frame of its sequence " + plan.sequence + " here; a movie needs two or more";
        plan.frames.clear();
    }
    return plan;
}

// What a stage of the work is called on the page.
QString stageWords(const std::string& stage, bool encoding) {
    if (stage == "reading") return QStringLiteral("Reading the frames");
    if (stage == "median") return QStringLiteral("The still scene is found");
    if (stage == "encoding") return QStringLiteral("ffmpeg is finishing the movie");
    return encoding ? QStringLiteral("Encoding the frames") : QStringLiteral("Preparing the frames");
}

}  // namespace

QSize previewSize(const movie::MovieShape& shape) {
    const QSize size(shape.width, shape.height);
    if (size.width() <= kPreviewSide && size.height() <= kPreviewSide) return size;
    return size.scaled(kPreviewSide, kPreviewSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QImage previewFrame(const std::uint8_t* pixels, const movie::MovieShape& shape, QSize size) {
    const QImage frame(pixels, shape.width, shape.height, static_cast<qsizetype>(shape.width) * 3,
                       QImage::Format_BGR888);
    // A new image in the screen's format: the prepared frame's bytes are gone once this returns.
    return frame.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB32);
}

int previewInterval(int framesPerSecond) { return 1000 / std::max(1, framesPerSecond); }

int nextPreviewFrame(int shown, int count) { return count <= 0 ? -1 : (shown + 1) % count; }

QString movieSaveName(const QString& directory, const std::string& firstFrame, movie::Format format) {
    return firstFreeNumberedName(directory, QString::fromStdString(firstFrame) + QStringLiteral("-movie-"),
                                 QLatin1Char('.') + QString::fromLatin1(movie::formatWord(format)));
}

TForm35::TForm35(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm35"), QStringLiteral("Movie of a sequence"), QSize(740, 500),
           ScreenFitMode::Full) {
    sequence_ = makeLabel(this, QStringLiteral("Label1"), QString());
    sequence_->setWordWrap(true);
    sequence_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    frames_ = new QListWidget(this);
    frames_->setObjectName(QStringLiteral("ListBox1"));
    frames_->setFixedHeight(frames_->fontMetrics().lineSpacing() * kVisibleFrameNames + 2 * frames_->frameWidth() + 4);
    frames_->setSelectionMode(QAbstractItemView::NoSelection);
    rate_ = new QSpinBox(this);
    rate_->setObjectName(QStringLiteral("SpinEdit1"));
    rate_->setRange(1, 60);
    rate_->setValue(kDefaultFramesPerSecond);
    look_ = new QComboBox(this);
    look_->setObjectName(QStringLiteral("ComboBox1"));
    look_->addItem(QStringLiteral("Plain"), static_cast<int>(movie::Look::Plain));
    look_->addItem(QStringLiteral("Difference from the still scene"), static_cast<int>(movie::Look::Difference));
    look_->addItem(QStringLiteral("Stretch each frame"), static_cast<int>(movie::Look::Stretch));
    look_->setToolTip(
        QStringLiteral("Difference: only what moves (dust devils, clouds, a moon) shows, around mid-grey.\n"
                       "Stretch: each frame to its own range, so that changes of exposure do not flicker."));
    caption_ = new QCheckBox(QStringLiteral("Sol and local solar time in a corner"), this);
    caption_->setObjectName(QStringLiteral("CheckBox1"));
    format_ = new QComboBox(this);
    format_->setObjectName(QStringLiteral("ComboBox2"));
    format_->addItem(QStringLiteral("MP4"), static_cast<int>(movie::Format::Mp4));
    format_->addItem(QStringLiteral("GIF"), static_cast<int>(movie::Format::Gif));
    format_->addItem(QStringLiteral("WebM"), static_cast<int>(movie::Format::Webm));

    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("Image1"));
    picture_->setFixedSize(kPreviewSide, kPreviewSide);
    picture_->setAlignment(Qt::AlignCenter);
    picture_->setAutoFillBackground(true);
    QPalette black = picture_->palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::WindowText, Qt::lightGray);
    picture_->setPalette(black);

    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    status_ = makeLabel(this, QStringLiteral("Label2"), QString());
    status_->setWordWrap(true);
    // A long path or ffmpeg's message must not widen the page.
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    status_->setMinimumHeight(status_->fontMetrics().lineSpacing() * 2);
    preview_ = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Preview"),
                          QStringLiteral("Play the frames here, as the movie will show them"));
    make_ = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Make movie"),
                       QStringLiteral("Make the movie with ffmpeg and save it under ImageCategories/Movies"));
    cancel_ = makeButton(this, QStringLiteral("Button3"), QStringLiteral("Cancel"));
    cancel_->setEnabled(false);
    QPushButton* close = makeButton(this, QStringLiteral("Button4"), QStringLiteral("Close"));

    player_ = new QTimer(this);
    player_->setObjectName(QStringLiteral("Timer1"));
    player_->setInterval(previewInterval(rate_->value()));

    connect(preview_, &QPushButton::clicked, this,
            [this] { platform::runGuarded(platform_, this, [this] { startPreview(); }); });
    connect(make_, &QPushButton::clicked, this,
            [this] { platform::runGuarded(platform_, this, [this] { startMovie(); }); });
    connect(cancel_, &QPushButton::clicked, this, &TForm35::cancelWork);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(player_, &QTimer::timeout, this, &TForm35::showNextPreviewFrame);
    connect(rate_, &QSpinBox::valueChanged, this,
            [this](int framesPerSecond) { player_->setInterval(previewInterval(framesPerSecond)); });
    // The preview shows one look and caption: another choice makes it out of date.
    connect(look_, &QComboBox::currentIndexChanged, this, &TForm35::dropPreview);
    connect(caption_, &QCheckBox::toggled, this, &TForm35::dropPreview);

    auto* choices = new QFormLayout;
    choices->addRow(QStringLiteral("Frames a second"), rate_);
    choices->addRow(QStringLiteral("Look"), look_);
    choices->addRow(QStringLiteral("Caption"), caption_);
    choices->addRow(QStringLiteral("Format"), format_);
    auto* left = new QVBoxLayout;
    left->addWidget(sequence_);
    left->addWidget(frames_);
    left->addLayout(choices);
    left->addStretch();
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addWidget(picture_, 0, Qt::AlignTop);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {preview_, make_}) buttons->addWidget(button);
    buttons->addStretch();
    for (QPushButton* button : {cancel_, close}) buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(progress_);
    layout->addWidget(status_);
    layout->addStretch();
    layout->addLayout(buttons);
    fitToScreen();
}

TForm35::~TForm35() {
    cancelWork();
    if (thread_ != nullptr) thread_->wait();
}

QString TForm35::statusText() const { return status_->text(); }

void TForm35::openFor(const QString& path) {
    if (!working()) {
        const QString directory = QFileInfo(path).absolutePath();
        std::string error;
        const std::vector<std::string> pictures = sequence::directoryPictures(toBytes(directory), error);
        rover_ = 0;
        if (!error.empty()) {
            plan_ = {};
            plan_.error = error;
        } else {
            plan_ = planForPicture(pictures, toBytes(path), rover_);
        }
        ffmpegFound_ = !movie::findFfmpeg().empty();
        dropPreview();
        showPlan();
    }
    showPage();
}

void TForm35::showPlan() {
    frames_->clear();
    progress_->setRange(0, 1);
    progress_->setValue(0);
    if (!plan_.ok()) {
        sequence_->setText(QStringLiteral("No sequence."));
        status_->setText(QStringLiteral("No movie can be made here: %1.").arg(QString::fromStdString(plan_.error)));
        picture_->setText(QString());
        enableControls();
        return;
    }
    sequence_->setText(QStringLiteral("Sequence %1 of %2's %3, %4 eye: %5 frames.")
                           .arg(QString::fromStdString(plan_.sequence), QString::fromLatin1(roverName(rover_)),
                                QString::fromLatin1(sequence::cameraWord(plan_.camera)),
                                QString::fromLatin1(sequence::eyeWord(plan_.eye)))
                           .arg(plan_.frames.size()));
    for (const movie::MovieFrame& frame : plan_.frames) {
        auto* item = new QListWidgetItem(QFileInfo(fromBytes(frame.path)).fileName(), frames_);
        item->setToolTip(QString::fromStdString(frame.caption));
    }
    status_->setText(ffmpegFound_ ? QStringLiteral("Preview plays the frames here; Make movie saves them.")
                                  : QString::fromLatin1(movie::kFfmpegMissing) + QLatin1Char('.'));
    picture_->setText(QStringLiteral("Preview shows the frames here."));
    enableControls();
}

void TForm35::enableControls() {
    const bool idle = !working();
    preview_->setEnabled(idle && plan_.ok());
    make_->setEnabled(idle && plan_.ok() && ffmpegFound_);
    cancel_->setEnabled(!idle);
    // The running work keeps the choices it started with.
    for (QWidget* choice : std::initializer_list<QWidget*>{look_, caption_, format_}) choice->setEnabled(idle);
}

movie::MovieOptions TForm35::chosenOptions() const {
    movie::MovieOptions options;
    options.look = static_cast<movie::Look>(look_->currentData().toInt());
    options.caption = caption_->isChecked();
    options.jobs = std::clamp(QThread::idealThreadCount(), 1, 4);
    return options;
}

movie::Format TForm35::chosenFormat() const { return static_cast<movie::Format>(format_->currentData().toInt()); }

void TForm35::dropPreview() {
    player_->stop();
    const bool hadFrames = !previewFrames_.empty();
    previewFrames_.clear();
    shownFrame_ = -1;
    picture_->setPixmap(QPixmap());
    if (hadFrames) {
        picture_->setText(QStringLiteral("Preview shows the frames this way."));
        if (!working()) status_->setText(QStringLiteral("Press Preview to see the frames this way."));
    }
}

void TForm35::showPreviewFrame(int index) {
    if (index < 0 || index >= previewFrameCount()) return;
    shownFrame_ = index;
    picture_->setPixmap(QPixmap::fromImage(previewFrames_[static_cast<std::size_t>(index)]));
}

void TForm35::showNextPreviewFrame() { showPreviewFrame(nextPreviewFrame(shownFrame_, previewFrameCount())); }

void TForm35::showEvent(QShowEvent* event) {
    Page::showEvent(event);
    if (!previewFrames_.empty()) player_->start();
}

void TForm35::hideEvent(QHideEvent* event) {
    // Nobody watches a hidden page.
    player_->stop();
    Page::hideEvent(event);
}

void TForm35::runWorker(const std::function<void()>& work) {
    stop_.store(false);
    progress_->setRange(0, 0);
    // The work runs on a thread of its own; what it tells comes back queued.
    thread_ = QThread::create(work);
    connect(thread_, &QThread::finished, this, &TForm35::finishWork, Qt::QueuedConnection);
    enableControls();
    thread_->start();
}

void TForm35::startPreview() {
    if (working() || !plan_.ok()) return;
    dropPreview();
    work_ = Work::Preview;
    status_->setText(QStringLiteral("Reading the frames..."));
    runWorker([this, plan = plan_, options = chosenOptions()] {
        std::vector<QImage> frames(plan.frames.size());
        movie::MovieShape shape;
        QSize size;
        const std::string error = movie::makeFrames(
            plan, options,
            [&](const movie::MovieShape& made) {
                shape = made;
                size = previewSize(made);
                return true;
            },
            [&](const std::uint8_t* pixels, int index) {
                frames[static_cast<std::size_t>(index)] = previewFrame(pixels, shape, size);
                return !stop_.load();
            },
            [this](int done, int total, const char* stage) {
                QMetaObject::invokeMethod(
                    this, [this, done, total, s = std::string(stage)] { showProgress(done, total, s); },
                    Qt::QueuedConnection);
            },
            &stop_);
        QMetaObject::invokeMethod(
            this,
            [this, frames, shape, error] {
                preparedFrames_ = frames;
                preparedShape_ = shape;
                prepareError_ = error;
            },
            Qt::QueuedConnection);
    });
}

void TForm35::startMovie() {
    if (working() || !plan_.ok()) return;
    // Saved beside the other made pictures, under a name of its own: nothing is replaced.
    const QString home = workbench_.mainWindow().viewerState().homeDirectory;
    const QString directory = categoryDirectoriesFor(home.isEmpty() ? QDir::currentPath() : home).movies;
    if (const QString problem = prepareSaveDirectory(directory, QStringLiteral("movies")); !problem.isEmpty()) {
        status_->setText(problem);
        platform_.warning(this, problem);
        return;
    }
    const movie::Format format = chosenFormat();
    const QString name = movieSaveName(directory, plan_.frames.front().identifier, format);
    if (name.isEmpty()) {
        const QString message = QStringLiteral("Every counter from 01 to 99 is taken in %1. Nothing was saved.")
                                    .arg(QDir::toNativeSeparators(directory));
        status_->setText(message);
        platform_.warning(this, message);
        return;
    }
    destination_ = QDir(directory).filePath(name);
    movie::MovieOutput output;
    output.path = toBytes(destination_);
    output.format = format;
    output.framesPerSecond = rate_->value();
    output.keepExisting = true;
    movieRate_ = output.framesPerSecond;
    work_ = Work::Movie;
    status_->setText(QStringLiteral("Reading the frames..."));
    runWorker([this, plan = plan_, options = chosenOptions(), output] {
        movie::MovieResult result = movie::makeMovie(
            plan, options, output,
            [this](int done, int total, const char* stage) {
                QMetaObject::invokeMethod(
                    this, [this, done, total, s = std::string(stage)] { showProgress(done, total, s); },
                    Qt::QueuedConnection);
            },
            &stop_);
        QMetaObject::invokeMethod(
            this, [this, result] { result_ = result; }, Qt::QueuedConnection);
    });
}

void TForm35::cancelWork() { stop_.store(true); }

void TForm35::showProgress(int done, int total, const std::string& stage) {
    if (!working()) return;
    const QString words = stageWords(stage, work_ == Work::Movie);
    if (stage == "encoding" || stage == "median") {
        progress_->setRange(0, 0);
        status_->setText(words + QStringLiteral("..."));
        return;
    }
    progress_->setRange(0, std::max(1, total));
    progress_->setValue(done);
    status_->setText(QStringLiteral("%1: %2 of %3...").arg(words).arg(done).arg(total));
}

void TForm35::finishWork() {
    thread_->deleteLater();
    thread_ = nullptr;
    progress_->setRange(0, 1);
    progress_->setValue(0);
    const Work finished = work_;
    work_ = Work::None;
    enableControls();
    if (finished == Work::Preview)
        finishPreview();
    else
        finishMovie();
}

void TForm35::finishPreview() {
    std::vector<QImage> frames = std::move(preparedFrames_);
    preparedFrames_.clear();
    if (stop_.load() || prepareError_ == "stopped") {
        status_->setText(QStringLiteral("Preview cancelled."));
    } else if (!prepareError_.empty()) {
        status_->setText(
            QStringLiteral("The frames could not be prepared: %1.").arg(QString::fromStdString(prepareError_)));
    } else {
        previewFrames_ = std::move(frames);
        progress_->setValue(1);
        showPreviewFrame(0);
        if (isVisible()) player_->start();
        status_->setText(QStringLiteral("%1 frames of %2 x %3 pixels, played at the frames a second chosen.")
                             .arg(previewFrameCount())
                             .arg(preparedShape_.width)
                             .arg(preparedShape_.height));
    }
    emit previewFinished();
}

void TForm35::finishMovie() {
    const movie::MovieResult result = result_;
    result_ = {};
    // A Cancel that came after the movie was saved changes nothing: it is there.
    if (result.stopped) {
        status_->setText(QStringLiteral("Cancelled: nothing was saved."));
    } else if (!result.ok()) {
        const QString message =
            QStringLiteral("The movie could not be made: %1.").arg(QString::fromStdString(result.error));
        status_->setText(message);
        platform_.error(this, message);
    } else {
        lastSaved_ = destination_;
        progress_->setValue(1);
        status_->setText(QStringLiteral("%1 frames of %2 x %3 pixels at %4 a second, saved as %5")
                             .arg(result.frames)
                             .arg(result.shape.width)
                             .arg(result.shape.height)
                             .arg(movieRate_)
                             .arg(QDir::toNativeSeparators(destination_)));
    }
    emit movieFinished();
}

}  // namespace keldar::ui
