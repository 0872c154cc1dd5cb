// The slideshow delay page: the entry rule on its own, then the page as the user fills it in.

#include <climits>

#include <QLineEdit>
#include <QTest>

#include "support/UiTestSupport.h"
#include "ui/pages/SlideshowDelayEntry.h"
#include "ui/pages/SlideshowDelayUnit16.h"

namespace keldar::testing {
namespace {

using Kind = platform::FakePlatform::BoxKind;

QString notAnInteger(const QString& text) { return QStringLiteral("'%1' is not a valid integer value").arg(text); }

TEST(SlideshowDelayEntry, WholePositiveNumbersAreDelays) {
    const std::pair<const char*, int> accepted[] = {
        {"500", 500}, {"1", 1}, {"+7", 7}, {"0010", 10}, {"2147483647", INT_MAX},
    };
    for (const auto& [text, delay] : accepted) {
        const ui::SlideshowDelayEntry entry = ui::parseSlideshowDelay(QString::fromLatin1(text));
        EXPECT_EQ(entry.delay, delay) << text;
        EXPECT_TRUE(entry.message.isEmpty()) << text;
    }
}

TEST(SlideshowDelayEntry, AnythingButAWholeNumberIsNotAValidInteger) {
    for (const char* text : {"abc", "12.5", "", " 500", "500 ", "1e3", "0x10", "-", "+", "5 00", "2147483648",
                             "99999999999999999999", "-99999999999999999999"}) {
        const ui::SlideshowDelayEntry entry = ui::parseSlideshowDelay(QString::fromLatin1(text));
        EXPECT_FALSE(entry.delay.has_value()) << text;
        EXPECT_EQ(entry.message, notAnInteger(QString::fromLatin1(text))) << text;
    }
}

TEST(SlideshowDelayEntry, ZeroAndBelowAreRefusedWithTheirOwnMessage) {
    for (const char* text : {"0", "-0", "-5", "-2147483648"}) {
        const ui::SlideshowDelayEntry entry = ui::parseSlideshowDelay(QString::fromLatin1(text));
        EXPECT_FALSE(entry.delay.has_value()) << text;
        EXPECT_TRUE(entry.message.startsWith(QLatin1Char('\'') + QString::fromLatin1(text) + QLatin1Char('\'')))
            << entry.message.toStdString();
        EXPECT_TRUE(entry.message.contains(QStringLiteral("1 or more"))) << entry.message.toStdString();
    }
}

TEST(SlideshowDelayEntry, TheEnteredTextIsQuotedAsTyped) {
    // Placeholders in the entry are not expanded again.
    EXPECT_EQ(ui::parseSlideshowDelay(QStringLiteral("%1%2")).message, QStringLiteral("'%1%2' is not a valid integer value"));
    EXPECT_EQ(ui::parseSlideshowDelay(QStringLiteral("zwölf")).message, QStringLiteral("'zwölf' is not a valid integer value"));
}

class SlideshowDelayPage : public WorkbenchTest {
protected:
    ui::TForm16& page() const { return bench->slideshowDelayPage(); }
    QLineEdit& entry() const { return child<QLineEdit>(page(), QStringLiteral("Edit1")); }
    void click(const char* name) { child<QPushButton>(page(), QString::fromLatin1(name)).click(); }
    int delay() const { return state().slideshowDelay; }
    void enterText(const QString& text) {
        entry().clear();
        QTest::keyClicks(&entry(), text);
    }
};

TEST_F(SlideshowDelayPage, ShowsTheControlsWithTheirTexts) {
    EXPECT_EQ(entry().text(), QStringLiteral("2000"));
    EXPECT_EQ(labelText(page(), QStringLiteral("Label1")), QStringLiteral("Enter New Delay in Milliseconds"));
    EXPECT_EQ(child<QPushButton>(page(), QStringLiteral("Button1")).text(), QStringLiteral("Cancel"));
    EXPECT_EQ(child<QPushButton>(page(), QStringLiteral("Button2")).text(), QStringLiteral("Save"));
    EXPECT_TRUE(child<QPushButton>(page(), QStringLiteral("Button2")).isDefault());
}

TEST_F(SlideshowDelayPage, OpensWithTheCurrentDelay) {
    mainWindow().viewerState().slideshowDelay = 10;
    page().showDelayPage();
    EXPECT_TRUE(page().isVisible());
    EXPECT_EQ(entry().text(), QStringLiteral("10"));
}

TEST_F(SlideshowDelayPage, SaveStoresTheDelayAndCloses) {
    page().showDelayPage();
    enterText(QStringLiteral("500"));
    click("Button2");
    EXPECT_EQ(delay(), 500);
    EXPECT_FALSE(page().isVisible());
    EXPECT_TRUE(platform.boxes.empty());
    page().showDelayPage();
    EXPECT_EQ(entry().text(), QStringLiteral("500"));
}

TEST_F(SlideshowDelayPage, EnterInTheEntrySaves) {
    page().showDelayPage();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page()));
    enterText(QStringLiteral("750"));
    QTest::keyClick(&entry(), Qt::Key_Return);
    EXPECT_EQ(delay(), 750);
    EXPECT_FALSE(page().isVisible());
}

TEST_F(SlideshowDelayPage, CancelKeepsTheDelay) {
    page().showDelayPage();
    enterText(QStringLiteral("500"));
    click("Button1");
    EXPECT_EQ(delay(), 2000);
    EXPECT_FALSE(page().isVisible());
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(SlideshowDelayPage, BadEntriesAreReportedAndLoseNothing) {
    const std::pair<QString, QString> bad[] = {
        {QStringLiteral("abc"), notAnInteger(QStringLiteral("abc"))},
        {QStringLiteral("12.5"), notAnInteger(QStringLiteral("12.5"))},
        {QString(), notAnInteger(QString())},
        {QStringLiteral("99999999999999999999"), notAnInteger(QStringLiteral("99999999999999999999"))},
        {QStringLiteral("0"), ui::parseSlideshowDelay(QStringLiteral("0")).message},
        {QStringLiteral("-5"), ui::parseSlideshowDelay(QStringLiteral("-5")).message},
    };
    page().showDelayPage();
    for (const auto& [text, message] : bad) {
        enterText(text);
        click("Button2");
        EXPECT_EQ(platform.texts(Kind::Warning), std::vector<QString>{message}) << text.toStdString();
        EXPECT_EQ(takeBoxes().size(), 1u) << text.toStdString();
        EXPECT_TRUE(page().isVisible()) << text.toStdString();
        EXPECT_EQ(entry().text(), text) << "the entry stays as typed";
        EXPECT_EQ(delay(), 2000) << text.toStdString();
    }
    // Mended, the same entry saves.
    enterText(QStringLiteral("300"));
    click("Button2");
    EXPECT_EQ(delay(), 300);
}

}  // namespace
}  // namespace keldar::testing
