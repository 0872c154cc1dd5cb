#include "ui/search/SOLsearchUnit23.h"

#include <stdexcept>

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/decode/DecimalInteger.h"
#include "platform/ActionGuard.h"
#include "platform/BrowserLaunch.h"
#include "ui/app/Controls.h"
#include "ui/app/FileBrowser.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"

namespace keldar::ui {

namespace {

constexpr char kCameraLetters[6] = {'F', 'R', 'N', 'P', 'M', 'E'};
const QColor kFieldColour(0, 0, 128);

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TForm23::TForm23(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm23"), QStringLiteral("SOL searcher"), QSize(460, 400),
           ScreenFitMode::Full) {
    const char* const roverCaptions[] = {"Opportunity", "Spirit"};
    for (std::size_t i = 0; i < roverBoxes_.size(); ++i) {
        roverBoxes_[i] = new QCheckBox(QString::fromLatin1(roverCaptions[i]), this);
        roverBoxes_[i]->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
        connect(roverBoxes_[i], &QCheckBox::toggled, this, [this, i](bool on) { chooseRover(roverBoxes_[i], on); });
    }
    const char* const cameraCaptions[] = {"Fwd HAZCAM", "Rear HAZCAM", "NAVCAM", "PANCAM", "Microscopic", "Descent"};
    for (std::size_t i = 0; i < cameraBoxes_.size(); ++i) {
        cameraBoxes_[i] = new QCheckBox(QString::fromLatin1(cameraCaptions[i]), this);
        cameraBoxes_[i]->setObjectName(QStringLiteral("CheckBox%1").arg(i + 3));
        connect(cameraBoxes_[i], &QCheckBox::toggled, this, [this, i](bool on) { chooseCamera(cameraBoxes_[i], on); });
    }
    roverBoxes_[0]->setChecked(true);
    cameraBoxes_[0]->setChecked(true);

    solEntry_ = new QLineEdit(QStringLiteral("100"), this);
    solEntry_->setObjectName(QStringLiteral("Edit1"));
    QLabel* instruction = makeLabel(this, QStringLiteral("Label1"),
                                    QStringLiteral("Select the rover and camera then enter the SOL number you wish to view"));
    instruction->setWordWrap(true);

    auto field = [this](const char* name) {
        return makeValueLabel(this, QString::fromLatin1(name), QStringLiteral("0"), kFieldColour);
    };
    searchingRover_ = field("Label2");
    searchingCamera_ = field("Label3");
    searchingSol_ = field("Label5");
    foundRover_ = field("Label8");
    foundCamera_ = field("Label9");
    foundSol_ = field("Label10");
    result_ = makeLabel(this, QStringLiteral("Label11"), QString());
    result_->setWordWrap(true);
    result_->hide();
    browserNote_ = makeLabel(this, QStringLiteral("Label17"),
                             QStringLiteral("A new browser window will open. Please note if page not found then No "
                                            "images that day for that camera."));
    browserNote_->setWordWrap(true);
    browserNote_->hide();
    progress_ = makeLabel(this, QStringLiteral("progressLabel"), QString());

    QPushButton* start = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Search for SOL"));
    stopButton_ = makeButton(this, QStringLiteral("Button3"), QStringLiteral("STOP search"));
    stopButton_->hide();
    QPushButton* close = makeButton(this, QStringLiteral("Button4"), QStringLiteral("Close"));
    findButton_ = makeButton(this, QStringLiteral("Button5"), QStringLiteral("Find at NASA"));
    findButton_->hide();
    QPushButton* step = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Seach Engine"));
    step->hide();
    auto guarded = [this](QPushButton* button, void (TForm23::*command)()) {
        connect(button, &QPushButton::clicked, this,
                [this, command] { platform::runGuarded(platform_, this, [this, command] { (this->*command)(); }); });
    };
    guarded(start, &TForm23::startSearch);
    guarded(stopButton_, &TForm23::stopSearch);
    guarded(close, &TForm23::closeSearcher);
    guarded(findButton_, &TForm23::findAtNasa);
    guarded(step, &TForm23::runSearchStep);

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(1);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (timer_->isActive()) platform::runGuarded(platform_, this, [this] { runSearchStep(); });
    });

    // Layout: the choices on the left, the entry and the fields on the right, buttons below.
    auto* choices = new QVBoxLayout;
    for (QCheckBox* box : roverBoxes_) choices->addWidget(box);
    choices->addSpacing(8);
    for (QCheckBox* box : cameraBoxes_) choices->addWidget(box);
    choices->addStretch();

    fieldsPanel_ = new QWidget(this);
    auto* fields = new QGridLayout(fieldsPanel_);
    fields->setContentsMargins(0, 0, 0, 0);
    const std::pair<const char*, QLabel*> rows[] = {
        {"Searching for MER", searchingRover_}, {"Searching for Camera", searchingCamera_},
        {"Searching for SOL", searchingSol_},   {"Found MER", foundRover_},
        {"Found Camera", foundCamera_},         {"Found SOL", foundSol_}};
    int row = 0;
    for (const auto& [caption, label] : rows) {
        fields->addWidget(makeLabel(fieldsPanel_, {}, QString::fromLatin1(caption)), row, 0);
        label->setParent(fieldsPanel_);
        fields->addWidget(label, row++, 1);
    }
    fields->setColumnStretch(1, 1);
    fieldsPanel_->hide();

    auto* entryRow = new QHBoxLayout;
    entryRow->addWidget(makeLabel(this, {}, QStringLiteral("Search for SOL")));
    entryRow->addWidget(solEntry_);
    auto* right = new QVBoxLayout;
    right->addWidget(instruction);
    right->addLayout(entryRow);
    right->addWidget(fieldsPanel_);
    right->addWidget(result_);
    right->addWidget(findButton_);
    right->addWidget(browserNote_);
    right->addWidget(progress_);
    right->addStretch();

    auto* body = new QHBoxLayout;
    body->addLayout(choices);
    body->addSpacing(12);
    body->addLayout(right, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {start, stopButton_, close}) buttons->addWidget(button);
    buttons->addWidget(step);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);

    fitToScreen();
}

bool TForm23::searching() const { return timer_->isActive(); }

void TForm23::openSearcher() {
    wanted_ = search::SolWanted{};
    showPage();
}

void TForm23::chooseRover(QCheckBox* box, bool checked) {
    if (!checked) return;
    for (QCheckBox* other : roverBoxes_)
        if (other != box) other->setChecked(false);
}

void TForm23::chooseCamera(QCheckBox* box, bool checked) {
    if (!checked) return;
    for (QCheckBox* other : cameraBoxes_)
        if (other != box) other->setChecked(false);
    if (box == cameraBoxes_[5]) solEntry_->setText(QStringLiteral("1"));  // "Descent" is sol 1
}

void TForm23::showResult(const QString& text) {
    result_->setText(text);
    result_->show();
}

void TForm23::showProgress() {
    const int entries = workbench_.mainWindow().fileBrowser().fileCount();
    showText(progress_, QStringLiteral("Examined %1 of %2 entries").arg(examined_).arg(entries));
}

void TForm23::endNotPresent() {
    timer_->stop();
    lastStepEnded_ = true;
    showResult(fromStd(search::solNotPresentText(wanted_.sol)));
    findButton_->show();
    browserNote_->show();
    platform_.beep();
}

void TForm23::runSearchStep() {
    lastStepEnded_ = false;
    for (std::size_t i = 0; i < roverBoxes_.size(); ++i)
        if (roverBoxes_[i]->isChecked()) wanted_.rover = static_cast<int>(i) + 1;
    for (std::size_t i = 0; i < cameraBoxes_.size(); ++i)
        if (cameraBoxes_[i]->isChecked()) wanted_.camera = kCameraLetters[i];
    const std::optional<std::int32_t> sol = decode::parseDecimalInt32(solEntry_->text().toStdString());
    if (!sol) {
        // An entry that is no whole number ends the search, whenever it is read.
        timer_->stop();
        throw std::invalid_argument(
            QStringLiteral("'%1' is not a valid integer value").arg(solEntry_->text()).toStdString());
    }
    wanted_.sol = *sol;
    if (cameraBoxes_[5]->isChecked()) {
        wanted_.sol = 1;
        solEntry_->setText(QStringLiteral("1"));
    }

    TForm1& main = workbench_.mainWindow();
    const ViewerState& state = main.viewerState();
    // A search that has looked at every entry once without a result ends: the wanted sol is
    // not in this directory.
    if (examined_ >= main.fileBrowser().fileCount()) {
        endNotPresent();
        return;
    }
    ++examined_;
    showProgress();

    const QString roverDigit = QString::fromStdString(state.decoded.roverDigit);
    const QString cameraLetter = QString::fromStdString(state.decoded.cameraLetter);
    showText(foundRover_, roverDigit);
    showText(foundCamera_, cameraLetter);
    showText(foundSol_, state.displays.solText);

    const std::string roverText = roverDigit.toStdString();
    const std::string cameraText = cameraLetter.toStdString();
    const search::SolJudgement judgement =
        search::judgeSolImage(wanted_, {roverText, cameraText, state.currentSol()}, roverNumber_);
    roverNumber_ = judgement.roverNumber;
    if (judgement.invalidRoverDigit) {
        // Such a file sends the search back to the top of the list.
        result_->setText(QString::fromLatin1(search::kInvalidRoverDigitText.data(),
                                             static_cast<qsizetype>(search::kInvalidRoverDigitText.size())));
        main.selectFile(0);
    }
    switch (judgement.verdict) {
    case search::SolVerdict::Found:
        timer_->stop();
        lastStepEnded_ = true;
        showResult(fromStd(search::solFoundText(wanted_.sol)));
        return;
    case search::SolVerdict::NotPresent:
        endNotPresent();
        return;
    case search::SolVerdict::Pass:
        break;
    }
    main.selectFile(main.selectedFileIndex() + 1);
    main.runImageAction();
}

void TForm23::startSearch() {
    stopButton_->show();
    examined_ = 0;
    runSearchStep();
    result_->hide();
    browserNote_->hide();
    findButton_->hide();
    const ViewerState& state = workbench_.mainWindow().viewerState();
    showText(searchingRover_, QString::number(wanted_.rover));
    showText(searchingCamera_, QString(QLatin1Char(wanted_.camera)));
    showText(searchingSol_, QString::number(wanted_.sol));
    showText(foundRover_, QString::fromStdString(state.decoded.roverDigit));
    showText(foundCamera_, QString::fromStdString(state.decoded.cameraLetter));
    showText(foundSol_, state.displays.solText);
    fieldsPanel_->show();
    // A first step that already ended the search is repeated by the next tick, which then
    // leaves its result shown.
    if (lastStepEnded_) examined_ = 0;
    timer_->start();
}

void TForm23::stopSearch() { timer_->stop(); }

void TForm23::closeSearcher() {
    timer_->stop();
    close();
}

void TForm23::findAtNasa() {
    const std::string address = search::galleryAddress(wanted_.rover, searchingCamera_->text().toStdString(),
                                                        searchingSol_->text().toStdString());
    platform::launchBrowser(platform_, fromStd(address));
}

}  // namespace keldar::ui
