// The Information menu's pages: the Earth variables page filled from the current image, each
// item showing its page, and the decoding key agreeing with the decoder's code tables.

#include <QPlainTextEdit>
#include <QRegularExpression>

#include "core/decode/ProductIdentifier.h"
#include "core/time/EarthTime.h"
#include "support/UiTestSupport.h"
#include "ui/pages/WebLinksUnit4.h"
#include "ui/time/DataDecodingUnit10.h"
#include "ui/time/EarthTimeUnit3.h"
#include "ui/time/MartianCalendarUnit5.h"

namespace keldar::testing {
namespace {

class InformationPages : public WorkbenchTest {
protected:
    void choose(const char* item) { mainWindow().menuItem(QString::fromLatin1(item))->trigger(); }
    QString earth(const char* field) const { return labelText(bench->earthTimePage(), QString::fromLatin1(field)); }
    QString boxText(const QWidget& page, const char* name) const {
        return child<QPlainTextEdit>(page, QString::fromLatin1(name)).toPlainText();
    }
};

TEST_F(InformationPages, EarthVariablesDisplayFillsThePageAndKeepsTheLastGoodClock) {
    const QString directory = makeDirectory(QStringLiteral("earth"));
    writePicture(directory + QStringLiteral("/2P126471340EDN0000P2303L5M1.JPG"), 31, 20);
    writePicture(directory + QStringLiteral("/2PABCDEFGHIEDN0000P2303L5M1.JPG"), 32, 20);
    enter(directory);
    platform.localNow = QDateTime(QDate(2007, 6, 1), QTime(14, 5, 6), Qt::LocalTime);
    platform.utcNow = QDateTime(QDate(2007, 6, 1), QTime(12, 5, 6), Qt::UTC);
    mainWindow().viewerState().captureTime = time::CalendarTime(0);

    choose("EarthVariablesDisplay1");
    ui::TForm3& page = bench->earthTimePage();
    EXPECT_TRUE(page.isVisible());
    EXPECT_TRUE(page.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    const std::vector<std::pair<const char*, const char*>> numbers = {
        {"totalMinutesText", "2107855"}, {"remainderSecondsText", "40"}, {"minutesAsSecondsText", "126471300"},
        {"totalHoursText", "35130"},     {"remainderMinutesText", "55"}, {"hoursAsMinutesText", "2107800"},
        {"totalDaysText", "1463"},       {"remainderHoursText", "18"},   {"daysAsHoursText", "35112"},
        {"elapsedText", "1463 Days, 18 Hours, 55 Minutes, 40 Seconds."},
    };
    auto expectNumbers = [&] {
        for (const auto& [field, value] : numbers) EXPECT_EQ(earth(field), QString::fromLatin1(value)) << field;
    };
    EXPECT_EQ(earth("clockDisplayText"), QStringLiteral("126471340"));
    expectNumbers();
    EXPECT_EQ(earth("captureUtcText"), QStringLiteral("Sunday 4 of Jan 2004 06:54:35"));
    EXPECT_EQ(state().captureTime.days(), time::clockToCaptureTime(126471340).days());
    // Written by the main window's Data action, not by "Display Time".
    EXPECT_EQ(earth("timeZoneText"), platform.zoneName);
    EXPECT_EQ(earth("captureLocalText"), state().displays.localTimeText);
    EXPECT_EQ(earth("nowLocalText"), QStringLiteral("Friday 1 of Jun 2007 14:05:06"));
    EXPECT_EQ(earth("nowUtcText"), QStringLiteral("Friday 1 of Jun 2007 12:05:06"));

    // A clock text that is no number: the first field says so, the numbers stay those of the
    // last good clock value.
    page.close();
    mainWindow().selectFile(1);
    mainWindow().runImageAction();
    ASSERT_EQ(state().displays.clockDisplay, QStringLiteral("Invalid Spacecraft Clock Value"));
    choose("EarthVariablesDisplay1");
    EXPECT_EQ(earth("clockDisplayText"), QStringLiteral("Invalid Spacecraft Clock Value"));
    expectNumbers();
    EXPECT_TRUE(page.isVisible());
}

TEST_F(InformationPages, EachMenuItemShowsItsPageAndCloseHidesIt) {
    const std::vector<std::pair<const char*, QWidget*>> items = {
        {"EarthVariablesDisplay1", &bench->earthTimePage()},
        {"MartianCalendar1", &bench->martianCalendarPage()},
        {"MERDataDecoding1", &bench->dataDecodingPage()},
        {"WebLinksAllMars1", &bench->webLinksPage()},
    };
    for (const auto& [item, page] : items) {
        EXPECT_FALSE(page->isVisible()) << item;
        choose(item);
        EXPECT_TRUE(page->isVisible()) << item;
        const char* close = page == &bench->webLinksPage() ? "Button1" : "closeButton";
        child<QPushButton>(*page, QString::fromLatin1(close)).click();
        EXPECT_FALSE(page->isVisible()) << item;
    }
    EXPECT_TRUE(platform.boxes.empty());
}

// The key is written by hand; every code the decoder knows must be in it with the decoder's words.
TEST_F(InformationPages, TheDecodingKeyAgreesWithTheDecoder) {
    const QString key = boxText(bench->dataDecodingPage(), "decodingText");
    const std::string base = "2P126471340EDN0000P2303L5M1.JPG";
    auto decoded = [&](std::size_t position, const std::string& code) {
        std::string name = base;
        name.replace(position, code.size(), code);
        return decode::decodeProductIdentifier(name);
    };
    auto expectLine = [&](const std::string& code, const std::string& words) {
        EXPECT_TRUE(key.contains(QString::fromStdString("     " + code + "  " + words))) << code << " " << words;
    };
    for (const char* rover : {"1", "2"}) expectLine(rover, decoded(0, rover).roverText->substr(2));
    for (const char* camera : {"F", "R", "N", "P", "M", "E"}) expectLine(camera, *decoded(1, camera).cameraText);
    for (const char* type : {"EFF", "ESF", "EDN", "ETH", "ERS", "ECS", "ERP", "EHG"})
        expectLine(type, decoded(11, type).productTypeText.substr(4));
    for (const char category : std::string("CDEFGKMNPRSTWXYZ"))
        expectLine({category}, *decoded(18, {category}).categoryText);
    // Each range line of the P category holds at both of its ends.
    const QRegularExpression rangeLine(QStringLiteral("^     (\\d{4}) to (\\d{4})  (.+)$"),
                                       QRegularExpression::MultilineOption);
    int ranges = 0;
    for (const QRegularExpressionMatch& line : rangeLine.globalMatch(key)) {
        ++ranges;
        for (const int end : {1, 2})
            EXPECT_EQ(decoded(19, line.captured(end).toStdString()).sequenceRangeText, line.captured(3).toStdString())
                << line.captured(0).toStdString();
    }
    EXPECT_EQ(ranges, 8);
    for (const char* eye : {"L", "R", "M", "N"}) expectLine(eye, *decoded(23, eye).eyeText);
    for (const char* eye : {"L", "R"})
        for (const char digit : std::string("12345678"))
            expectLine({digit}, decoded(23, std::string(eye) + digit).filterText.substr(9));
    for (const char* digit : {"1", "2"}) expectLine(digit, decoded(23, std::string("M") + digit).filterText);
    for (const char producer : std::string("ACFJMNPSUVX")) expectLine({producer}, *decoded(25, {producer}).producerText);
    EXPECT_TRUE(key.contains(QStringLiteral("This is the number of seconds since January 1, 2000 \n     at 11:58:55.816 UTC.")));
}

}  // namespace
}  // namespace keldar::testing
