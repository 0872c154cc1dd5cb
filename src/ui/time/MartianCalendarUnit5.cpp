#include "ui/time/MartianCalendarUnit5.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/app/Controls.h"

namespace keldar::ui {

namespace {

const QString kHeading = QStringLiteral("All references to time in this software are Solar Time and not Sidereal Time.");

QString calendarText() {
    return kHeading + QStringLiteral(R"(

THE SOL

A Martian day or Sol, is 24 hours, 39 minutes and 35.244 seconds long.
Total amount of Earth seconds in one Earth Day is 86400 seconds.
Total amount of Earth seconds in one Martian Day or Sol is 88775 seconds.

DIVIDING THE SOL

A sol is only a little longer than an Earth day, so it is divided the
same way, into 24 parts.
A Martian Day or Sol comprised of 24 Martian hours,
with 60 Martian minutes, with 60 Martian seconds in each minute.
This all means a Martian second is a bit longer than an Earth second.
One Martian Second equals 1.0274884259259 ad infinitum, Earth seconds.

THE MARTIAN CALENDAR

Mars takes about twice as long as Earth to go once around the Sun, so
its year is about two Earth years long. It is divided into 12 months,
each about twice as long as an Earth month, and the months take their
names from the constellations of the western zodiac:

Aquarius, Pisces, Aries, Taurus, Gemini, Cancer, Leo, Virgo, Libra, Scorpio, Sagittarius, Capricorn.

Seen from the Sun, Mars passes in front of these same constellations,
one after the other, just as Earth does; it only takes about twice as
long to go round them all.

----------------------------------------------------------------------

MARTIAN SEASONS (source: Wikipedia, article "Mars", section "Seasons")

The axis of Mars is tilted by 25.2 degrees to its orbit, close to the
23.45 degrees of Earth's axis, so Mars has four seasons too, and, as on
Earth, the northern and the southern hemisphere have opposite seasons
at the same time. The orbit of Mars is much more eccentric than Earth's
(it is further from the Sun at one end than the other), so Mars moves
faster near the Sun and slower far from it, and its seasons are of
quite unequal length. The table gives the length of each season on
Mars, in sols, and of the same season on Earth, in days.

Season                              Sols (on Mars)   Days (on Earth)
Northern Spring, Southern Autumn        193.30            92.764
Northern Summer, Southern Winter        178.64            93.647
Northern Autumn, Southern Spring        142.70            89.836
Northern Winter, Southern Summer        153.95            88.997
)");
}

}  // namespace

TForm5::TForm5(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm5"), QStringLiteral("Martian Calendar"), QSize(700, 520),
           ScreenFitMode::WithoutFonts) {
    QLabel* heading = makeLabel(this, QStringLiteral("headingText"), kHeading);
    heading->setWordWrap(true);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    QPlainTextEdit* text = makeInformationText(this, QStringLiteral("calendarText"), calendarText());
    QPushButton* close = makeButton(this, QStringLiteral("closeButton"), QStringLiteral("Close"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* column = new QVBoxLayout(this);
    column->addWidget(heading);
    column->addWidget(text, 1);
    column->addLayout(buttons);

    fitToScreen();
}

void TForm5::showEvent(QShowEvent* event) {
    Page::showEvent(event);
    centreOnScreen();
}

}  // namespace keldar::ui
