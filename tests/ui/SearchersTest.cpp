// The SOL and birthday searchers driving the main window through directories of
// product-named files: where each search stops, what it says, and the gallery address.

#include <QCheckBox>
#include <QLineEdit>

#include "support/UiTestSupport.h"
#include "ui/app/FileBrowser.h"
#include "ui/search/BirthdaySearchUnit14.h"
#include "ui/search/SOLsearchUnit23.h"

namespace keldar::testing {
namespace {

using Kind = platform::FakePlatform::BoxKind;

class Searchers : public WorkbenchTest {
protected:
    // Runs the ticks of a started search until it ends (at most `limit` of them).
    template <typename Page>
    int runToEnd(Page& page, int limit = 50) {
        int ticks = 0;
        while (page.searching() && ticks < limit) {
            page.runSearchStep();
            ++ticks;
        }
        return ticks;
    }
    QString selectedName() const { return mainWindow().fileBrowser().selectedFileName(); }
    ui::TForm23& sol() const { return bench->solSearcher(); }
    ui::TForm14& birthday() const { return bench->birthdaySearcher(); }
    void check(const QWidget& page, const char* name, bool on = true) {
        child<QCheckBox>(page, QString::fromLatin1(name)).setChecked(on);
    }
    void setSolEntry(const QString& text) { child<QLineEdit>(sol(), QStringLiteral("Edit1")).setText(text); }
    QString resultLine() const { return labelText(sol(), QStringLiteral("Label11")); }

    // Opportunity images: NAVCAM sol 3, PANCAM sols 4 and 8, then a Spirit NAVCAM image.
    QString marsDirectory() {
        const QString dir = makeDirectory(QStringLiteral("mars"));
        for (const char* name : {"1N128459614EFF0100P1507L0M1.JPG", "1P128548389EFF0100P2411L2M1.JPG",
                                 "1P128903489EFF0100P2411L2M1.JPG", "2N127531276EFF0300P1512L0M1.JPG"})
            writePicture(dir + QLatin1Char('/') + QLatin1String(name), 8, 6);
        return dir;
    }
    // Spirit images of 3, 4 and 4 January 2004, then 5 January.
    QString birthdayDirectory(const QString& name) {
        const QString dir = makeDirectory(name);
        for (const char* file : {"2N126384940EFF0000P1512L0M1.JPG", "2N126471340EFF0000P1512L0M1.JPG",
                                 "2N126474940EFF0000P1512L0M1.JPG", "2N126557740EFF0000P1512L0M1.JPG"})
            writePicture(dir + QLatin1Char('/') + QLatin1String(file), 8, 6);
        return dir;
    }
};

TEST_F(Searchers, ALaterSolFirstMeansNotPresentWithTheGalleryPageOfThatSol) {
    enter(marsDirectory());
    sol().openSearcher();
    check(sol(), "CheckBox6");  // PANCAM
    setSolEntry(QStringLiteral("7"));
    child<QPushButton>(sol(), QStringLiteral("Button1")).click();
    runToEnd(sol());
    EXPECT_EQ(selectedName(), QStringLiteral("1P128903489EFF0100P2411L2M1.JPG"));
    EXPECT_EQ(resultLine(), QStringLiteral("CLICK the Find at NASA button above. SOL 7 images not present in your directory"));
    EXPECT_TRUE(child<QPushButton>(sol(), QStringLiteral("Button5")).isVisibleTo(&sol()));
    EXPECT_EQ(platform.beeps, 1);

    child<QPushButton>(sol(), QStringLiteral("Button5")).click();
    ASSERT_EQ(platform.openedDocuments.size(), 1u);
    EXPECT_EQ(platform.openedDocuments[0],
              QStringLiteral("https://planetarydata.jpl.nasa.gov/img/data/mer/opportunity/mer1po_0xxx/browse/sol0007/edr/"));
}

TEST_F(Searchers, TheWantedSolIsFoundAndAnImageAlreadyOnDisplayStopsAtOnce) {
    enter(marsDirectory());
    sol().openSearcher();
    check(sol(), "CheckBox6");
    setSolEntry(QStringLiteral("4"));
    sol().startSearch();
    runToEnd(sol());
    EXPECT_EQ(selectedName(), QStringLiteral("1P128548389EFF0100P2411L2M1.JPG"));
    EXPECT_EQ(resultLine(), QStringLiteral("SOL 4 images FOUND!"));

    // Started again on the found image: the selection does not move.
    const int index = mainWindow().selectedFileIndex();
    sol().startSearch();
    runToEnd(sol());
    EXPECT_EQ(mainWindow().selectedFileIndex(), index);
    EXPECT_TRUE(child<QLabel>(sol(), QStringLiteral("Label11")).isVisibleTo(&sol()));
    EXPECT_EQ(platform.beeps, 0);
}

TEST_F(Searchers, AFullRoundWithoutTheSolEndsTheSearchEvenPastAnInvalidRoverDigit) {
    const QString dir = marsDirectory();
    writePicture(dir + QStringLiteral("/XN128459614EFF0100P1507L0M1.JPG"), 8, 6);
    enter(dir);
    sol().openSearcher();  // Opportunity, front hazard camera, sol 100: not in the directory
    sol().startSearch();
    const int ticks = runToEnd(sol());
    EXPECT_FALSE(sol().searching());
    EXPECT_LT(ticks, 10);
    EXPECT_EQ(sol().examined(), 5);
    EXPECT_EQ(resultLine(), QStringLiteral("CLICK the Find at NASA button above. SOL 100 images not present in your directory"));
    EXPECT_EQ(labelText(sol(), QStringLiteral("progressLabel")), QStringLiteral("Examined 5 of 5 entries"));
}

TEST_F(Searchers, DescentAndSolEntriesThatAreNoWholeNumber) {
    enter(marsDirectory());
    sol().openSearcher();
    check(sol(), "CheckBox8");  // "Descent" sets the sol to 1 and unchecks the others
    EXPECT_EQ(child<QLineEdit>(sol(), QStringLiteral("Edit1")).text(), QStringLiteral("1"));
    EXPECT_FALSE(child<QCheckBox>(sol(), QStringLiteral("CheckBox3")).isChecked());
    setSolEntry(QStringLiteral("5"));
    sol().startSearch();
    EXPECT_EQ(sol().wanted().sol, 1);
    EXPECT_EQ(sol().wanted().camera, 'E');
    sol().stopSearch();

    check(sol(), "CheckBox5");  // NAVCAM
    setSolEntry(QStringLiteral("1x"));
    child<QPushButton>(sol(), QStringLiteral("Button1")).click();
    EXPECT_FALSE(sol().searching());
    EXPECT_EQ(platform.texts(Kind::Error), std::vector<QString>{QStringLiteral("'1x' is not a valid integer value")});

    // An entry that stops being a number while the search runs ends it with the same message.
    setSolEntry(QStringLiteral("200"));
    sol().startSearch();
    ASSERT_TRUE(sol().searching());
    setSolEntry(QStringLiteral("two"));
    child<QPushButton>(sol(), QStringLiteral("Button2")).click();
    EXPECT_FALSE(sol().searching());
    EXPECT_EQ(platform.texts(Kind::Error).back(), QStringLiteral("'two' is not a valid integer value"));
}

TEST_F(Searchers, BirthdayStopsOnTheFirstBirthdayImageAndContinuesFromTheOneAfter) {
    enter(birthdayDirectory(QStringLiteral("january")));
    birthday().openSearcher();
    birthday().chooseMonth(0);
    birthday().chooseDay(4);
    birthday().startSearch();
    EXPECT_EQ(runToEnd(birthday()), 2);
    EXPECT_EQ(selectedName(), QStringLiteral("2N126471340EFF0000P1512L0M1.JPG"));
    EXPECT_EQ(labelText(birthday(), QStringLiteral("Label6")), QStringLiteral("Birthday Image Found."));
    EXPECT_EQ(labelText(birthday(), QStringLiteral("Label7")), labelText(birthday(), QStringLiteral("Label8")));
    EXPECT_EQ(platform.beeps, 1);
    QPushButton& more = child<QPushButton>(birthday(), QStringLiteral("Button4"));
    ASSERT_TRUE(more.isVisibleTo(&birthday()));

    more.click();
    runToEnd(birthday());
    EXPECT_EQ(selectedName(), QStringLiteral("2N126474940EFF0000P1512L0M1.JPG"));
    more.click();
    takeBoxes();
    runToEnd(birthday());
    // The last entry is examined, then the round ends: the first birthday image is not found
    // a second time.
    EXPECT_EQ(labelText(birthday(), QStringLiteral("progressLabel")), QStringLiteral("Examined 4 of 4 entries"));
    EXPECT_EQ(takeBoxes(), std::vector<QString>{QStringLiteral("No more images taken on 4 January in this directory.")});
    EXPECT_EQ(platform.beeps, 2);

    // A birthday image that is the last entry is found on it.
    birthday().chooseDay(5);
    mainWindow().selectFile(0);
    mainWindow().runImageAction();
    birthday().startSearch();
    runToEnd(birthday());
    EXPECT_EQ(selectedName(), QStringLiteral("2N126557740EFF0000P1512L0M1.JPG"));
    EXPECT_EQ(labelText(birthday(), QStringLiteral("Label6")), QStringLiteral("Birthday Image Found."));
}

TEST_F(Searchers, ASolSearchExaminesTheLastEntry) {
    // Spirit PANCAM images of sols 1, 10 and 100, sol 100 the last entry.
    const QString dir = makeDirectory(QStringLiteral("spirit"));
    for (const char* name : {"2P126471340EFF0000P2303L2M1.JPG", "2P127270340EFF0000P2303L2M1.JPG",
                             "2P135258340EFF0000P2303L2M1.JPG"})
        writePicture(dir + QLatin1Char('/') + QLatin1String(name), 8, 6);
    enter(dir);
    sol().openSearcher();
    check(sol(), "CheckBox2");  // Spirit
    check(sol(), "CheckBox6");  // PANCAM
    sol().startSearch();
    runToEnd(sol());
    EXPECT_EQ(selectedName(), QStringLiteral("2P135258340EFF0000P2303L2M1.JPG"));
    EXPECT_EQ(resultLine(), QStringLiteral("SOL 100 images FOUND!"));
    EXPECT_EQ(labelText(sol(), QStringLiteral("progressLabel")), QStringLiteral("Examined 3 of 3 entries"));
}

TEST_F(Searchers, BirthdaysThatCannotBeSearchedForAreRefused) {
    enter(birthdayDirectory(QStringLiteral("refused")));
    birthday().startSearch();  // nothing chosen yet
    birthday().chooseMonth(3);
    birthday().chooseDay(31);  // 31 April
    birthday().startSearch();
    EXPECT_FALSE(birthday().searching());
    const std::vector<QString> warnings = platform.texts(Kind::Warning);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_EQ(warnings[1], QStringLiteral("April has no day 31. Please choose another day in the calendar."));

    birthday().chooseMonth(1);
    birthday().chooseDay(29);  // 29 February: no 2004 image of the directory is of that day
    birthday().startSearch();
    EXPECT_LT(runToEnd(birthday()), 10);
    EXPECT_FALSE(birthday().searching());
    EXPECT_EQ(platform.texts(Kind::Information),
              std::vector<QString>{QStringLiteral("No images taken on 29 February in this directory.")});
}

}  // namespace
}  // namespace keldar::testing
