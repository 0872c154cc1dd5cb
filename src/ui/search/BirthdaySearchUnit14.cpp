#include "ui/search/BirthdaySearchUnit14.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "core/search/BirthdaySearch.h"
#include "platform/ActionGuard.h"
#include "ui/app/Controls.h"
#include "ui/app/FileBrowser.h"
#include "ui/app/MerViewer1Unit1.h"
#include "ui/app/Workbench.h"

namespace keldar::ui {

namespace {

const QColor kFieldColour(0, 0, 128);
const QString kFound = QStringLiteral("Birthday Image Found.");
const QString kContinuing = QStringLiteral("Continuing with the Search.");

}  // namespace

TForm14::TForm14(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm14"), QStringLiteral("My Birthday Searcher"), QSize(520, 420),
           ScreenFitMode::Full) {
    months_ = new QComboBox(this);
    months_->setObjectName(QStringLiteral("ComboBox1"));
    months_->setPlaceholderText(QStringLiteral("Select the Month of your Birth"));
    months_->addItems({QStringLiteral("January"), QStringLiteral("February"), QStringLiteral("March"),
                       QStringLiteral("April"), QStringLiteral("May"), QStringLiteral("June"), QStringLiteral("July"),
                       QStringLiteral("August"), QStringLiteral("September"), QStringLiteral("October"),
                       QStringLiteral("November"), QStringLiteral("December")});
    months_->setCurrentIndex(-1);
    connect(months_, &QComboBox::activated, this, &TForm14::chooseMonth);

    calendar_ = new QCalendarWidget(this);
    calendar_->setObjectName(QStringLiteral("Calendar1"));
    calendar_->hide();
    // Any click chooses its day, also on the day already marked.
    connect(calendar_, &QCalendarWidget::clicked, this, [this](QDate date) { chooseDay(date.day()); });

    auto field = [this](const char* name, const char* text) {
        return makeValueLabel(this, QString::fromLatin1(name), QString::fromLatin1(text), kFieldColour);
    };
    monthName_ = field("Label1", "Month");
    monthNumber_ = field("Label2", "");
    monthNumber_->hide();
    dayField_ = field("Label3", "Date");
    cameraField_ = field("Label9", "Camera");
    yearField_ = field("Label5", "2004");
    message_ = field("Label6", "Message");
    dateField1_ = field("Label7", "Date1");
    dateField2_ = field("Label8", "Date2");
    message_->setWordWrap(true);
    progress_ = makeLabel(this, QStringLiteral("progressLabel"), QString());

    QPushButton* start = makeButton(this, QStringLiteral("Button2"), QStringLiteral("Search for My Birthday"));
    QPushButton* stop = makeButton(this, QStringLiteral("Button3"), QStringLiteral("STOP"));
    QPushButton* close = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Close"));
    continueButton_ =
        makeButton(this, QStringLiteral("Button4"), QStringLiteral("Continue searching for more Birthday images."));
    continueButton_->hide();
    auto guarded = [this](QPushButton* button, void (TForm14::*command)()) {
        connect(button, &QPushButton::clicked, this,
                [this, command] { platform::runGuarded(platform_, this, [this, command] { (this->*command)(); }); });
    };
    guarded(start, &TForm14::startSearch);
    guarded(stop, &TForm14::stopSearch);
    guarded(close, &TForm14::closeSearcher);
    guarded(continueButton_, &TForm14::continueSearch);

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer1"));
    timer_->setInterval(1);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (timer_->isActive()) platform::runGuarded(platform_, this, [this] { runSearchStep(); });
    });
    // Without the loop option the main window's end of the directory ends the search.
    connect(&workbench.mainWindow(), &TForm1::walkStoppedAtEnd, this, &TForm14::stopSearch);

    auto* chosen = new QHBoxLayout;
    chosen->addWidget(makeLabel(this, {}, QStringLiteral("For images taken on,")));
    chosen->addWidget(monthName_);
    chosen->addWidget(dayField_);
    chosen->addWidget(monthNumber_);
    chosen->addStretch();
    auto* fields = new QGridLayout;
    fields->addWidget(makeLabel(this, {}, QStringLiteral("Searching")), 0, 0);
    fields->addWidget(cameraField_, 0, 1);
    fields->addWidget(yearField_, 1, 1);
    fields->addWidget(dateField1_, 2, 1);
    fields->addWidget(dateField2_, 3, 1);
    fields->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {start, stop, close}) buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(months_);
    layout->addWidget(calendar_, 1);
    layout->addLayout(chosen);
    layout->addLayout(fields);
    layout->addWidget(message_);
    layout->addWidget(progress_);
    layout->addWidget(continueButton_);
    layout->addStretch();
    layout->addLayout(buttons);

    fitToScreen();
}

bool TForm14::searching() const { return timer_->isActive(); }

void TForm14::openSearcher() {
    searchYear_ = 2004;
    showText(yearField_, QString::number(searchYear_));
    showPage();
}

void TForm14::chooseMonth(int listIndex) {
    if (listIndex < 0 || listIndex >= months_->count()) return;
    if (months_->currentIndex() != listIndex) months_->setCurrentIndex(listIndex);
    month_ = listIndex + 1;
    showText(monthName_, months_->itemText(listIndex));
    showText(monthNumber_, QString::number(month_));
    calendar_->show();
}

void TForm14::chooseDay(int day) {
    day_ = day;
    showText(dayField_, QString::number(day));
}

QString TForm14::dateText(time::CalendarTime time) const {
    const time::DateTimeParts parts = time.parts();
    return QLocale().toString(QDate(parts.year, parts.month, parts.day), QLocale::ShortFormat);
}

QString TForm14::birthdayText() const {
    return QString::number(day_) + QLatin1Char(' ') + months_->itemText(month_ - 1);
}

void TForm14::showProgress() {
    const int entries = workbench_.mainWindow().fileBrowser().fileCount();
    showText(progress_, QStringLiteral("Examined %1 of %2 entries").arg(examined_).arg(entries));
}

void TForm14::startSearch() {
    if (const std::optional<std::string> refusal = search::birthdayRefusal(month_, day_)) {
        platform_.warning(this, QString::fromStdString(*refusal));
        return;
    }
    examined_ = 0;
    foundOne_ = false;
    timer_->start();
}

void TForm14::stopSearch() { timer_->stop(); }

void TForm14::closeSearcher() {
    stopSearch();
    close();
}

void TForm14::runSearchStep() {
    TForm1& main = workbench_.mainWindow();
    const ViewerState& state = main.viewerState();
    if (examined_ >= main.fileBrowser().fileCount()) {
        // Every entry has been looked at once: the search would only go round again.
        timer_->stop();
        const QString text = (foundOne_ ? QStringLiteral("No more images taken on %1 in this directory.")
                                        : QStringLiteral("No images taken on %1 in this directory."))
                                 .arg(birthdayText());
        showText(message_, text);
        platform_.information(this, text);
        return;
    }
    ++examined_;
    showProgress();

    showText(cameraField_, state.displays.cameraText);
    imageTime_ = state.captureTime;
    searchYear_ = imageTime_.parts().year;
    const std::optional<time::CalendarTime> birthday = search::birthdayInYear(searchYear_, month_, day_);
    const QString birthdayDate = birthday ? dateText(*birthday) : QString();

    if (search::takenOnBirthday(imageTime_, month_, day_)) {
        // The image on display is the birthday image.
        foundOne_ = true;
        platform_.beep();
        showText(message_, kFound);
        timer_->stop();
        showText(yearField_, QString::number(searchYear_));
        showText(dateField1_, dateText(imageTime_));
        showText(dateField2_, birthdayDate);
        continueButton_->show();
        return;
    }

    main.selectFile(main.selectedFileIndex() + 1);
    main.runImageAction();
    if (birthday && birthday->days() < imageTime_.days()) showText(message_, kContinuing);
    showText(yearField_, QString::number(searchYear_));
    showText(dateField1_, dateText(imageTime_));
    showText(dateField2_, birthdayDate);
}

void TForm14::continueSearch() {
    TForm1& main = workbench_.mainWindow();
    // The round goes on: it ends once every entry has been examined since the search started,
    // rather than finding the first birthday image again.
    main.selectFile(main.selectedFileIndex() + 1);
    main.runImageAction();
    showText(dateField1_, dateText(imageTime_));
    continueButton_->hide();
    timer_->start();
}

}  // namespace keldar::ui
