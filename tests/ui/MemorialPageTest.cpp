// The memorial page: 24 lines one after another, the fade-out, and starting again. The timers
// are fired by hand, in the order their intervals make them fire, so no test waits.

#include <QAction>
#include <QRegularExpression>
#include <QTimer>

#include "support/UiTestSupport.h"
#include "ui/pages/MemorialUnit15.h"

namespace keldar::testing {
namespace {

class MemorialPage : public WorkbenchTest {
protected:
    ui::TForm15& page() const { return bench->memorialPage(); }
    QTimer& timer(const char* name) const { return child<QTimer>(page(), QString::fromLatin1(name)); }
    // One tick of a running timer, through its own signal.
    void fire(const char* name) const {
        QTimer& t = timer(name);
        ASSERT_TRUE(t.isActive()) << name;
        QMetaObject::invokeMethod(&t, "timeout");
    }
    QString shownName() const { return labelText(page(), QStringLiteral("Label4")); }
    void start() const { mainWindow().menuItem(QStringLiteral("Thosethatwentbeforeus1"))->trigger(); }
};

TEST_F(MemorialPage, TheListNamesTheCrewsOfTheFiveMissionsThenThreeLines) {
    const QStringList& names = ui::TForm15::names();
    ASSERT_EQ(names.size(), 24);
    const std::pair<const char*, int> missions[] = {
        {"Columbia", 7}, {"Challenger", 7}, {"Soyuz 11", 3}, {"Soyuz 1", 1}, {"Apollo 1", 3}};
    int line = 0;
    for (const auto& [mission, crew] : missions)
        for (int i = 0; i < crew; ++i, ++line) {
            const QRegularExpression form(QStringLiteral("^[A-Z][A-Za-z. ]+[a-zI], ") + QString::fromLatin1(mission) +
                                          QStringLiteral("\\.$"));
            EXPECT_TRUE(form.match(names[line]).hasMatch()) << names[line].toStdString();
        }
    EXPECT_EQ(names.mid(21), (QStringList{QStringLiteral("and the many test pilots,"), QStringLiteral("that also had...,"),
                                          QStringLiteral("The right Stuff.")}));
}

TEST_F(MemorialPage, ShowsTheTwentyFourLinesThenFadesOutClosesAndStartsAgainFromLineOne) {
    start();
    EXPECT_TRUE(page().isVisible());
    EXPECT_EQ(page().opacity(), 255);
    EXPECT_EQ(shownName(), QStringLiteral("Martyrs"));
    EXPECT_FALSE(timer("Timer2").isActive());
    fire("Timer1");  // one second: the counter names no line yet
    EXPECT_EQ(shownName(), QString());

    // Closing through the window frame does not stop the sequence.
    page().close();
    for (const QString& name : ui::TForm15::names()) {
        fire("Timer1");  // every second; the line stays
        fire("Timer2");  // every two seconds: the next line
        EXPECT_EQ(shownName(), name);
    }
    EXPECT_EQ(page().lineCounter(), 24);
    EXPECT_FALSE(timer("Timer3").isActive());

    fire("Timer2");  // past the last line: the fade-out begins, the name goes
    EXPECT_EQ(shownName(), QString());
    EXPECT_EQ(page().opacity(), 253);
    int fadeTicks = 0;
    while (timer("Timer3").isActive()) {
        fire("Timer3");
        ++fadeTicks;
    }
    EXPECT_EQ(fadeTicks, 126);  // 255 down to 1 in steps of 2
    EXPECT_EQ(page().opacity(), 1);
    EXPECT_FALSE(page().isVisible());
    EXPECT_EQ(page().lineCounter(), 0);
    for (const char* name : {"Timer1", "Timer2", "Timer3"}) EXPECT_FALSE(timer(name).isActive()) << name;

    start();
    EXPECT_TRUE(page().isVisible());
    EXPECT_EQ(page().opacity(), 255);
    fire("Timer1");
    fire("Timer2");
    EXPECT_EQ(shownName(), ui::TForm15::names().front());
}

TEST_F(MemorialPage, StartingDuringTheFadeRestoresFullOpacityAndGoesOn) {
    start();
    fire("Timer1");
    for (int line = 0; line <= 24; ++line) fire("Timer2");
    fire("Timer3");
    ASSERT_EQ(page().opacity(), 251);
    start();
    EXPECT_EQ(page().opacity(), 255);
    EXPECT_EQ(page().lineCounter(), 25);
    fire("Timer2");  // an advance tick during the fade is one extra step
    EXPECT_EQ(page().opacity(), 253);
    EXPECT_EQ(page().lineCounter(), 26);
}

}  // namespace
}  // namespace keldar::testing
