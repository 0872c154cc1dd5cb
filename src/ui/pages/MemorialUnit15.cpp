#include "ui/pages/MemorialUnit15.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/app/Controls.h"

namespace keldar::ui {

namespace {

constexpr int kStepInterval = 1000;
constexpr int kAdvanceInterval = 2000;
constexpr int kFadeInterval = 25;
constexpr int kFadeDecrement = 2;

QTimer* makeTimer(QObject* parent, const QString& name, int interval) {
    auto* timer = new QTimer(parent);
    timer->setObjectName(name);
    timer->setInterval(interval);
    return timer;
}

// The five small pictures under the names, drawn here: a starry sky, a rocket, a planet
// with a ring, the Moon, Mars.
QPixmap emblem(int which) {
    constexpr int side = 56;
    QPixmap picture(side, side);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(8, 8, side - 16, side - 16);
    switch (which) {
    case 0:  // stars
        painter.setPen(Qt::white);
        for (int i = 0; i < 24; ++i) painter.drawPoint((i * 37 + 11) % side, (i * 23 + 5) % side);
        painter.setBrush(QColor(255, 240, 180));
        painter.drawEllipse(QPointF(side / 2.0, side / 2.0), 4, 4);
        break;
    case 1: {  // rocket
        QPainterPath body;
        body.moveTo(side / 2.0, 6);
        body.cubicTo(side / 2.0 + 10, 16, side / 2.0 + 8, 38, side / 2.0 + 6, 42);
        body.lineTo(side / 2.0 - 6, 42);
        body.cubicTo(side / 2.0 - 8, 38, side / 2.0 - 10, 16, side / 2.0, 6);
        painter.fillPath(body, QColor(220, 220, 230));
        painter.setBrush(QColor(255, 140, 0));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(QPointF(side / 2.0, 47), 4, 6);
        break;
    }
    case 2:  // ringed planet
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(210, 180, 120));
        painter.drawEllipse(disc.adjusted(6, 6, -6, -6));
        painter.setPen(QPen(QColor(240, 220, 170), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QRectF(4, side / 2.0 - 6, side - 8, 12));
        break;
    case 3:  // the Moon
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(200, 200, 200));
        painter.drawEllipse(disc);
        painter.setBrush(QColor(160, 160, 160));
        painter.drawEllipse(QPointF(24, 22), 5, 5);
        painter.drawEllipse(QPointF(34, 34), 3, 3);
        break;
    default: {  // Mars
        QRadialGradient red(side / 2.0 - 6, side / 2.0 - 6, side / 2.0);
        red.setColorAt(0, QColor(230, 120, 70));
        red.setColorAt(1, QColor(120, 40, 20));
        painter.setPen(Qt::NoPen);
        painter.setBrush(red);
        painter.drawEllipse(disc);
        break;
    }
    }
    return picture;
}

}  // namespace

const QStringList& TForm15::names() {
    static const QStringList list = {
        QStringLiteral("Rick D. Husband, Columbia."),
        QStringLiteral("William C. McCool, Columbia."),
        QStringLiteral("Michael P. Anderson, Columbia."),
        QStringLiteral("Kalpana Chawla, Columbia."),
        QStringLiteral("David M. Brown, Columbia."),
        QStringLiteral("Laurel B. Clark, Columbia."),
        QStringLiteral("Ilan Ramon, Columbia."),
        QStringLiteral("Francis R. Scobee, Challenger."),
        QStringLiteral("Michael J. Smith, Challenger."),
        QStringLiteral("Ellison S. Onizuka, Challenger."),
        QStringLiteral("Judith A. Resnik, Challenger."),
        QStringLiteral("Ronald E. McNair, Challenger."),
        QStringLiteral("Gregory B. Jarvis, Challenger."),
        QStringLiteral("Sharon Christa McAuliffe, Challenger."),
        QStringLiteral("Georgi Dobrovolski, Soyuz 11."),
        QStringLiteral("Vladislav Volkov, Soyuz 11."),
        QStringLiteral("Viktor Patsayev, Soyuz 11."),
        QStringLiteral("Vladimir Komarov, Soyuz 1."),
        QStringLiteral("Virgil I. Grissom, Apollo 1."),
        QStringLiteral("Edward H. White II, Apollo 1."),
        QStringLiteral("Roger B. Chaffee, Apollo 1."),
        QStringLiteral("and the many test pilots,"),
        QStringLiteral("that also had...,"),
        QStringLiteral("The right Stuff."),
    };
    return list;
}

TForm15::TForm15(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm15"), QStringLiteral("Remember them"), QSize(560, 300),
           ScreenFitMode::Full) {
    setAutoFillBackground(true);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    black.setColor(QPalette::WindowText, Qt::white);
    setPalette(black);

    auto centred = [this](const QString& name, const QString& text) {
        QLabel* label = makeLabel(this, name, text);
        label->setAlignment(Qt::AlignCenter);
        return label;
    };
    QLabel* heading = centred(QStringLiteral("Label3"), QStringLiteral("Let us remember"));
    QFont large = heading->font();
    large.setPointSize(large.pointSize() + 6);
    large.setBold(true);
    heading->setFont(large);
    name_ = centred(QStringLiteral("Label4"), QStringLiteral("Martyrs"));
    QFont nameFont = name_->font();
    nameFont.setPointSize(nameFont.pointSize() + 4);
    name_->setFont(nameFont);

    auto* pictures = new QHBoxLayout;
    pictures->addStretch();
    for (int i = 0; i < 5; ++i) {
        QLabel* picture = makeLabel(this, QStringLiteral("Image%1").arg(i + 1), {});
        picture->setPixmap(emblem(i));
        pictures->addWidget(picture);
    }
    pictures->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(centred(QStringLiteral("Label1"),
                              QStringLiteral("This software is dedicated to the astronauts, scientists and civilians")));
    layout->addWidget(centred(QStringLiteral("Label2"),
                              QStringLiteral("that have lost their lives during efforts by humanity to explore space.")));
    layout->addSpacing(12);
    layout->addWidget(heading);
    layout->addWidget(name_, 1);
    layout->addLayout(pictures);

    stepTimer_ = makeTimer(this, QStringLiteral("Timer1"), kStepInterval);
    advanceTimer_ = makeTimer(this, QStringLiteral("Timer2"), kAdvanceInterval);
    fadeTimer_ = makeTimer(this, QStringLiteral("Timer3"), kFadeInterval);
    connect(stepTimer_, &QTimer::timeout, this, &TForm15::stepTick);
    connect(advanceTimer_, &QTimer::timeout, this, &TForm15::advanceTick);
    connect(fadeTimer_, &QTimer::timeout, this, &TForm15::fadeTick);

    fitToScreen();
    centreOnScreen();
}

void TForm15::startMemorial() {
    // A running sequence goes on from its current line; only the opacity starts again.
    if (!stepTimer_->isActive()) stepTimer_->start();
    setOpacity(255);
    showPage();
}

void TForm15::stepTick() { showStep(); }

void TForm15::showStep() {
    // An armed advance keeps its period, so a line stays two seconds whatever the step timer does.
    if (!advanceTimer_->isActive()) advanceTimer_->start();
    const QStringList& lines = names();
    const bool named = lineCounter_ >= 1 && lineCounter_ <= lines.size();
    showText(name_, named ? lines.at(lineCounter_ - 1) : QString());
}

void TForm15::advanceTick() {
    ++lineCounter_;
    advanceTimer_->stop();
    if (lineCounter_ > names().size()) {
        fadeStep();
        // The fade-out has finished and reset the sequence: nothing is to be armed again.
        if (lineCounter_ == 0) return;
    }
    showStep();
}

void TForm15::fadeTick() {
    fadeTimer_->stop();
    fadeStep();
}

void TForm15::fadeStep() {
    setOpacity(opacity_ - kFadeDecrement);
    if (opacity_ > 1) {
        fadeTimer_->start();
        return;
    }
    for (QTimer* timer : {stepTimer_, advanceTimer_, fadeTimer_}) timer->stop();
    close();
    lineCounter_ = 0;
}

void TForm15::setOpacity(int opacity) {
    opacity_ = opacity;
    setWindowOpacity(opacity / 255.0);
}

}  // namespace keldar::ui
