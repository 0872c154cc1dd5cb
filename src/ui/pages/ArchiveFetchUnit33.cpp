#include "ui/pages/ArchiveFetchUnit33.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QThread>
#include <QUrl>
#include <QVBoxLayout>

#include "platform/ActionGuard.h"
#include "platform/Platform.h"
#include "ui/app/Controls.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"

namespace keldar::ui {

namespace {

const QString kPictureTypes = QStringLiteral("Pictures");
const QString kAllTypes = QStringLiteral("All product types");
// Lines of the failure list shown without scrolling: the page keeps this height however
// many failures come.
constexpr int kVisibleReportLines = 6;

}  // namespace

TForm33::TForm33(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm33"), QStringLiteral("Fetch from the PDS archive"), QSize(520, 470),
           ScreenFitMode::Full) {
    rover_ = new QComboBox(this);
    rover_->setObjectName(QStringLiteral("ComboBox1"));
    rover_->addItems({QStringLiteral("Spirit"), QStringLiteral("Opportunity")});
    firstSol_ = new QSpinBox(this);
    firstSol_->setObjectName(QStringLiteral("SpinEdit1"));
    lastSol_ = new QSpinBox(this);
    lastSol_->setObjectName(QStringLiteral("SpinEdit2"));
    for (QSpinBox* sol : {firstSol_, lastSol_}) {
        sol->setRange(1, 9999);
        sol->setValue(1);
        // A sol typed digit by digit is one change, not one per digit: "299" typed as the last
        // sol must not drag the first down to 2 on its way.
        sol->setKeyboardTracking(false);
    }
    auto* cameraRow = new QHBoxLayout;
    const std::pair<const char*, std::vector<char>> cameras[] = {
        {"NAVCAM", {'N'}}, {"PANCAM", {'P'}}, {"HAZCAM", {'F', 'R'}}, {"Microscopic", {'M'}}, {"Descent", {'E'}}};
    int number = 1;
    for (const auto& [caption, letters] : cameras) {
        auto* box = new QCheckBox(QString::fromLatin1(caption), this);
        box->setObjectName(QStringLiteral("CheckBox%1").arg(number++));
        box->setChecked(letters.front() == 'N');
        cameraRow->addWidget(box);
        cameras_.emplace_back(box, letters);
    }
    eye_ = new QComboBox(this);
    eye_->setObjectName(QStringLiteral("ComboBox2"));
    eye_->addItems({QStringLiteral("Both eyes"), QStringLiteral("Left eye"), QStringLiteral("Right eye")});
    auto* browse = new QRadioButton(QStringLiteral("Browse JPEGs (1024 pixels)"), this);
    browse->setObjectName(QStringLiteral("RadioButton1"));
    browse->setChecked(true);
    edr_ = new QRadioButton(QStringLiteral("EDRs (raw PDS products, .IMG)"), this);
    edr_->setObjectName(QStringLiteral("RadioButton2"));
    types_ = new QComboBox(this);
    types_->setObjectName(QStringLiteral("ComboBox3"));
    types_->setEditable(true);
    types_->addItems({kPictureTypes, kAllTypes});
    types_->setToolTip(QStringLiteral("Pictures: every product type but reference pixels (ERP) and histograms (EHG), "
                                      "and thumbnails (ETH) only of frames not there in full.\n"
                                      "Or type the product types to fetch, such as EFF,EDN."));
    address_ = new QLineEdit(QString::fromLatin1(fetch::kArchiveBase), this);
    address_->setObjectName(QStringLiteral("Edit2"));
    directory_ = new QLineEdit(this);
    directory_->setObjectName(QStringLiteral("Edit1"));
    connect(directory_, &QLineEdit::textEdited, this, [this] { directoryTouched_ = true; });
    connect(rover_, &QComboBox::currentIndexChanged, this, [this] { proposeDirectory(); });
    for (QSpinBox* sol : {firstSol_, lastSol_})
        connect(sol, &QSpinBox::valueChanged, this, [this, sol] {
            keepSolsInOrder(sol);
            proposeDirectory();
        });
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("ProgressBar1"));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    status_ = makeLabel(this, QStringLiteral("Label1"), QStringLiteral("Choose the rover, sols and cameras, then Fetch."));
    status_->setWordWrap(true);
    // A long address in a message must not widen the page: the label takes the width it is given.
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    status_->setMinimumHeight(status_->fontMetrics().lineSpacing() * 2);
    report_ = new QListWidget(this);
    report_->setObjectName(QStringLiteral("ListBox1"));
    report_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    report_->setFixedHeight(report_->fontMetrics().lineSpacing() * kVisibleReportLines + 2 * report_->frameWidth() + 4);
    report_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    report_->hide();

    fetch_ = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Fetch"));
    cancel_ = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Cancel"));
    cancel_->setEnabled(false);
    QPushButton* close = makeButton(this, QStringLiteral("Button3"), QStringLiteral("Close"));
    connect(fetch_, &QPushButton::clicked, this, [this] { platform::runGuarded(platform_, this, [this] { startFetch(); }); });
    connect(cancel_, &QPushButton::clicked, this, &TForm33::cancelFetch);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Rover"), rover_);
    auto* sols = new QHBoxLayout;
    sols->addWidget(firstSol_);
    sols->addWidget(makeLabel(this, {}, QStringLiteral("to")));
    sols->addWidget(lastSol_);
    sols->addStretch();
    form->addRow(QStringLiteral("Sols"), sols);
    form->addRow(QStringLiteral("Cameras"), cameraRow);
    form->addRow(QStringLiteral("Eyes"), eye_);
    auto* kind = new QVBoxLayout;
    kind->addWidget(browse);
    kind->addWidget(edr_);
    form->addRow(QStringLiteral("Products"), kind);
    form->addRow(QStringLiteral("Product types"), types_);
    form->addRow(QStringLiteral("Archive address"), address_);
    form->addRow(QStringLiteral("Into"), directory_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {fetch_, cancel_, close}) buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(progress_);
    layout->addWidget(status_);
    layout->addWidget(report_);
    layout->addStretch();
    layout->addLayout(buttons);
    fitToScreen();
}

TForm33::~TForm33() {
    cancelFetch();
    if (thread_ != nullptr) thread_->wait();
}

void TForm33::openPage() {
    proposeDirectory();
    showPage();
    keepOnScreen();
}

void TForm33::setArchiveBase(const QString& base) { address_->setText(base); }

void TForm33::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    Page::keyPressEvent(event);
}

void TForm33::keepOnScreen() {
    const QScreen* screen = this->screen();
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return;
    const QRect room = screen->availableGeometry();
    setMaximumSize(room.size());
    const QRect frame = frameGeometry();
    const QSize frameExtra = frame.size() - size();
    if (frame.width() > room.width() || frame.height() > room.height())
        resize(std::min(width(), room.width() - frameExtra.width()), std::min(height(), room.height() - frameExtra.height()));
    QRect now = frameGeometry();
    if (!room.contains(now)) {
        now.moveLeft(std::clamp(now.left(), room.left(), std::max(room.left(), room.right() - now.width() + 1)));
        now.moveTop(std::clamp(now.top(), room.top(), std::max(room.top(), room.bottom() - now.height() + 1)));
        move(now.topLeft());
    }
}

void TForm33::keepSolsInOrder(QSpinBox* changed) {
    // The other end of the range follows the one moved past it.
    if (changed == firstSol_ && firstSol_->value() > lastSol_->value()) lastSol_->setValue(firstSol_->value());
    if (changed == lastSol_ && lastSol_->value() < firstSol_->value()) firstSol_->setValue(lastSol_->value());
}

void TForm33::proposeDirectory() {
    if (directoryTouched_) return;
    // A folder per rover and sols under the home directory's store of mission images.
    QString home = workbench_.mainWindow().viewerState().allImagesDirectory;
    if (home.isEmpty()) home = QDir::currentPath() + QStringLiteral("/All-MER-Images/");
    const QString sols = firstSol_->value() == lastSol_->value()
                             ? QStringLiteral("sol%1").arg(firstSol_->value(), 4, 10, QLatin1Char('0'))
                             : QStringLiteral("sol%1-%2")
                                   .arg(firstSol_->value(), 4, 10, QLatin1Char('0'))
                                   .arg(lastSol_->value(), 4, 10, QLatin1Char('0'));
    directory_->setText(QDir(home).filePath(rover_->currentText() + QLatin1Char('-') + sols));
}

bool TForm33::fetching() const { return thread_ != nullptr; }

QString TForm33::statusText() const { return status_->text(); }

QStringList TForm33::reportLines() const {
    QStringList lines;
    for (int i = 0; i < report_->count(); ++i) lines << report_->item(i)->text();
    return lines;
}

void TForm33::showReport(const QStringList& lines) {
    report_->clear();
    for (const QString& line : lines) {
        auto* item = new QListWidgetItem(line, report_);
        item->setToolTip(line);
    }
    report_->setVisible(!lines.isEmpty());
}

void TForm33::startFetch() {
    if (fetching()) return;
    fetch::FetchRequest request;
    const QUrl base(address_->text().trimmed());
    if (!base.isValid() || (base.scheme() != QLatin1String("http") && base.scheme() != QLatin1String("https")) ||
        base.host().isEmpty()) {
        platform_.warning(this, QStringLiteral("The archive address must be an http:// or https:// address."));
        return;
    }
    request.base = base.toString();
    request.query.rover = rover_->currentIndex() == 1 ? 1 : 2;
    request.query.firstSol = firstSol_->value();
    request.query.lastSol = lastSol_->value();
    for (const auto& [box, letters] : cameras_)
        if (box->isChecked()) request.query.cameras.insert(request.query.cameras.end(), letters.begin(), letters.end());
    if (request.query.firstSol > request.query.lastSol) {
        platform_.warning(this, QStringLiteral("The first sol must not be after the last."));
        return;
    }
    if (request.query.cameras.empty()) {
        platform_.warning(this, QStringLiteral("Choose at least one camera."));
        return;
    }
    const QString types = types_->currentText().trimmed();
    if (types == kAllTypes) {
        request.types.all = true;
    } else if (types != kPictureTypes && !types.isEmpty()) {
        std::string error;
        const std::optional<archive::TypeChoice> choice = archive::parseTypeChoice(types.toStdString(), error);
        if (!choice) {
            platform_.warning(this, QStringLiteral("Product types: ") + QString::fromStdString(error) + QLatin1Char('.'));
            return;
        }
        request.types = *choice;
    }
    request.query.eye = eye_->currentIndex() == 1 ? 'L' : eye_->currentIndex() == 2 ? 'R' : 0;
    request.edr = edr_->isChecked();
    request.directory = directory_->text().trimmed();
    if (request.directory.isEmpty()) {
        platform_.warning(this, QStringLiteral("Enter the directory the products go into."));
        return;
    }

    summary_ = {};
    runDirectory_ = request.directory;
    startedMs_ = QDateTime::currentMSecsSinceEpoch();
    progress_->setRange(0, 0);
    status_->setText(QStringLiteral("Searching the archive's index..."));
    showReport({});
    fetch_->setEnabled(false);
    cancel_->setEnabled(true);
    // The fetcher lives and works on its own thread; what it tells comes back queued.
    cancelled_ = false;
    thread_ = QThread::create([this, request] {
        fetch::ArchiveFetcher fetcher(request);
        connect(&fetcher, &fetch::ArchiveFetcher::progress, this,
                [this](const fetch::FetchProgress& p) { showProgress(p); }, Qt::QueuedConnection);
        {
            // A Cancel pressed before the fetcher existed still counts.
            const std::lock_guard lock(fetcherMutex_);
            fetcher_ = &fetcher;
            if (cancelled_) fetcher.stop();
        }
        const fetch::FetchSummary summary = fetcher.run();
        {
            const std::lock_guard lock(fetcherMutex_);
            fetcher_ = nullptr;
        }
        QMetaObject::invokeMethod(this, [this, summary] { summary_ = summary; }, Qt::QueuedConnection);
    });
    connect(thread_, &QThread::finished, this, &TForm33::finishFetch, Qt::QueuedConnection);
    thread_->start();
}

void TForm33::cancelFetch() {
    const std::lock_guard lock(fetcherMutex_);
    cancelled_ = true;
    if (fetcher_ != nullptr) fetcher_->stop();
}

void TForm33::showProgress(const fetch::FetchProgress& p) {
    if (p.stage == QLatin1String("index")) {
        status_->setText(QStringLiteral("Searching the archive's index (%1 requests)...").arg(p.indexRequests));
        return;
    }
    progress_->setRange(0, std::max(1, p.productsTotal));
    progress_->setValue(p.productsDone);
    const double seconds = std::max<qint64>(1, QDateTime::currentMSecsSinceEpoch() - startedMs_) / 1000.0;
    status_->setText(QStringLiteral("%1 of %2 products, %3 at %4/s")
                         .arg(p.productsDone)
                         .arg(p.productsTotal)
                         .arg(fetch::byteSizeText(static_cast<double>(p.bytes)))
                         .arg(fetch::byteSizeText(p.bytes / seconds)));
}

void TForm33::finishFetch() {
    thread_->deleteLater();
    thread_ = nullptr;
    fetch_->setEnabled(true);
    cancel_->setEnabled(false);
    const bool anything = summary_.fetched + summary_.skipped > 0;
    progress_->setRange(0, 1);
    progress_->setValue(anything ? 1 : 0);
    status_->setText(summary_.headline());
    showReport(summary_.reportLines(kMostReportLines));
    keepOnScreen();
    if (!summary_.stopped && anything && QFileInfo(runDirectory_).isDir()) {
        // The main window shows what came, its first image in front of this page.
        TForm1& main = workbench_.mainWindow();
        main.runGuarded([&] { main.setDirectory(runDirectory_); });
        lower();
        main.raise();
        main.activateWindow();
    }
    emit fetchFinished();
}

}  // namespace keldar::ui
