// The Data action as the user sees it: the right-hand displays for product names, invalid
// names and combined products, the carried clock and sol, and the copies on the large-image
// page and the Martian time page.

#include <ctime>

#include <QLabel>

#include "support/UiTestSupport.h"
#include "ui/pages/LargeImageUnit7.h"
#include "ui/time/EarthTimeUnit3.h"
#include "ui/time/MartianTimeUnit13.h"

namespace keldar::testing {
namespace {

const QString kExample = QStringLiteral("2P126471340EDN0000P2303L5M1");
// Opportunity, one sol and 0.8 s after its landing.
const QString kOpportunity = QStringLiteral("1N128367940EFF0100P1507R0M1");

class DataAction : public WorkbenchTest {
protected:
    // A directory of small pictures with these names (in this order when listed), entered.
    // With more than one, a note file closes the list.
    void enterWith(const QStringList& names) {
        directory = makeDirectory(QStringLiteral("data"));
        for (const QString& name : names) writePicture(directory + QLatin1Char('/') + name, 8, 8);
        if (names.size() > 1) writeText(directory + QStringLiteral("/zz-notes.txt"));
        enter(directory);
    }
    void showFile(int index) {
        mainWindow().selectFile(index);
        mainWindow().runImageAction();
    }
    QString directory;
};

TEST_F(DataAction, ExampleIdentifierReadsTopToBottom) {
    platform.zoneName = QStringLiteral("CET");
    enterWith({kExample + QStringLiteral(".JPG")});
    const std::pair<const char*, const char*> expected[] = {
        {"filePositionText", "Using File 1 of 1"},
        {"roverText", "2 Spirit"},
        {"locationText", "Gusev  Crater"},
        {"cameraText", "PANCAM Panoramic Camera"},
        {"clockDisplay", "126471340"},
        {"site", "00"},
        {"drive", "00"},
        {"sequence", "P2303"},
        {"categoryText", "PMA and Remote Sensing instrument."},
        {"sequenceNumberDisplay", "2303"},
        {"sequenceRangeText", "PANCAM sequences."},
        {"eyeText", "Left Eye"},
        {"stereoStatus", "This image may be part of a Stereo pair"},
        {"filterText", "Filter 5 535nm (20nm bandpass)"},
        {"producerText", "MIPL (OPGS) at JPL"},
        {"versionText", "1"},
        {"identifierText", "2P126471340EDN0000P2303L5M1"},
        {"rightEyeNameText", "2P126471340EDN0000P2303R5M1"},
        {"leftEyeNameText", "2P126471340EDN0000P2303L5M1"},
        {"utcTimeText", "Sunday 4 of Jan 2004 06:54:35"},
        {"timeZoneText", "CET"},
        {"localTimeText", "Sunday 4 of Jan 2004 06:54:35"},  // the tests run in UTC
        {"solText", "1"},
        {"marsTimeText", "16:40:05"},
        {"transpiredSols", "0"},
        {"transpiredHours", "2"},
        {"transpiredMinutes", "15"},
        {"transpiredSeconds", "50"},
    };
    for (const auto& [name, text] : expected) EXPECT_EQ(display(QString::fromLatin1(name)), QString::fromLatin1(text)) << name;
    EXPECT_TRUE(display(QStringLiteral("productTypeText")).contains(QStringLiteral("Downsampled EDR")));
    EXPECT_EQ(child<QLabel>(mainWindow(), QStringLiteral("stereoStatus")).palette().color(QPalette::WindowText),
              QColor(0, 128, 0));
    EXPECT_EQ(child<QLineEdit>(mainWindow(), QStringLiteral("Edit2")).text(), kExample + QStringLiteral(".JPG"));

    EXPECT_EQ(state().clockValue(), 126471340);
    EXPECT_EQ(state().currentSol(), 0);
    EXPECT_EQ(state().mars.secondsSinceSpiritLanding, 8375);
    EXPECT_EQ(state().decoded.eyeLetter, "L");
    EXPECT_EQ(state().eyeLetterVariable, QStringLiteral("x"));
    EXPECT_EQ(state().directoryText, directory);
    EXPECT_TRUE(state().rightEyeFound);
    EXPECT_TRUE(state().leftEyeFound);
}

TEST_F(DataAction, LargeImagePageGetsTheSixteenValuesAndTheThreeTimes) {
    platform.zoneName = QStringLiteral("CET");
    enterWith({kExample + QStringLiteral(".JPG")});
    const ui::TForm7& page = bench->largeImagePage();
    const std::pair<const char*, QString> expected[] = {
        {"Label7", display(QStringLiteral("identifierText"))},
        {"Label2", display(QStringLiteral("roverText"))},
        {"Label3", display(QStringLiteral("locationText"))},
        {"Label4", display(QStringLiteral("solText"))},
        {"Label25", display(QStringLiteral("cameraText"))},
        {"Label6", display(QStringLiteral("utcTimeText"))},
        {"Label16", display(QStringLiteral("productTypeText"))},
        {"Label14", QStringLiteral("00")},
        {"Label15", QStringLiteral("00")},
        {"Label10", QStringLiteral("P2303")},
        {"Label11", display(QStringLiteral("categoryText"))},
        {"Label12", QStringLiteral("PANCAM sequences.")},
        {"Label13", display(QStringLiteral("filterText"))},
        {"Label18", QStringLiteral("Left Eye")},
        {"Label19", QStringLiteral("MIPL (OPGS) at JPL")},
        {"Label21", QStringLiteral("1")},
        {"Label29", QStringLiteral("CET")},
        {"Label27", QStringLiteral("Sunday 4 of Jan 2004 06:54:35")},
        {"Label32", QStringLiteral("16:40:05")},
    };
    for (const auto& [name, text] : expected) EXPECT_EQ(labelText(page, QString::fromLatin1(name)), text) << name;
    EXPECT_EQ(page.texts().product.roverText, QStringLiteral("2 Spirit"));
}

TEST_F(DataAction, LargeImagePageShowsDesignTextsBeforeTheFirstImage) {
    const ui::TForm7& page = bench->largeImagePage();
    const std::pair<const char*, const char*> designs[] = {
        {"Label7", "FILE"},    {"Label2", "0"},          {"Label4", "0"},        {"Label32", "Label32"},
        {"Label3", "Locale"},  {"Label25", "Camera"},    {"Label6", "Earthtime"}, {"Label29", "TZ"},
        {"Label27", "Earthtime"}, {"Label16", "Image Type"}, {"Label14", "0"},    {"Label15", "0"},
        {"Label10", "Command sequence"}, {"Label11", "Category"}, {"Label12", "Code"}, {"Label13", "Filter"},
        {"Label18", "Eye"},    {"Label19", "Producer"},  {"Label21", "0"},
    };
    for (const auto& [name, text] : designs) EXPECT_EQ(labelText(page, QString::fromLatin1(name)), QString::fromLatin1(text)) << name;
    EXPECT_FALSE(page.isVisible());
}

TEST_F(DataAction, MartianTimePageIsFilledWithoutBeingShown) {
    enterWith({kExample + QStringLiteral(".JPG")});
    const ui::TForm13& page = bench->martianTimePage();
    EXPECT_FALSE(page.isVisible());
    const std::pair<const char*, const char*> expected[] = {
        {"Label6", "2 Spirit"}, {"Label8", "14:24:15"}, {"Label63", "0"}, {"Label61", "2"},
        {"Label59", "15"},      {"Label57", "50"},      {"Label14", "0"}, {"Label15", "2"},
        {"Label16", "135"},     {"Label17", "8150"},    {"Label47", "16:40:05"},
    };
    for (const auto& [name, text] : expected) EXPECT_EQ(labelText(page, QString::fromLatin1(name)), QString::fromLatin1(text)) << name;

    // Showing it (twice) computes nothing.
    mainWindow().menuItem(QStringLiteral("MartianVariablesDisplay1"))->trigger();
    mainWindow().menuItem(QStringLiteral("MartianVariablesDisplay1"))->trigger();
    EXPECT_EQ(labelText(page, QStringLiteral("Label47")), QStringLiteral("16:40:05"));
}

TEST_F(DataAction, MartianTimePageShowsDesignTextsBeforeTheFirstImage) {
    const ui::TForm13& page = bench->martianTimePage();
    const std::pair<const char*, const char*> designs[] = {
        {"Label6", "Label6"}, {"Label8", "Label8"}, {"Label63", "TRMD"},      {"Label61", "TRMH"},
        {"Label59", "TRMM"},  {"Label57", "TRMS"},  {"Label14", "Label14"},   {"Label15", "Label15"},
        {"Label16", "Label16"}, {"Label17", "Label17"}, {"Label47", "Waiting"},
    };
    for (const auto& [name, text] : designs) EXPECT_EQ(labelText(page, QString::fromLatin1(name)), QString::fromLatin1(text)) << name;
}

TEST_F(DataAction, ANameThatIsNoIdentifierShowsInvalidAndKeepsTheClock) {
    enterWith({kExample + QStringLiteral(".JPG"), QStringLiteral("IMG_0001.jpg")});
    ASSERT_EQ(display(QStringLiteral("roverText")), QStringLiteral("2 Spirit"));
    showFile(1);
    for (const char* name : {"roverText", "solText", "locationText", "cameraText", "productTypeText", "site", "drive",
                             "categoryText", "sequence", "sequenceRangeText", "eyeText", "filterText", "producerText",
                             "versionText", "utcTimeText"})
        EXPECT_EQ(display(QString::fromLatin1(name)), QStringLiteral("Invalid")) << name;
    EXPECT_EQ(display(QStringLiteral("sequenceNumberDisplay")), QStringLiteral("0"));
    EXPECT_EQ(display(QStringLiteral("clockDisplay")), QStringLiteral("Invalid Spacecraft Clock Value"));
    EXPECT_EQ(state().clockValue(), 126471340);
    EXPECT_EQ(display(QStringLiteral("filePositionText")), QStringLiteral("Using File 2 of 3"));
    EXPECT_EQ(child<QLineEdit>(mainWindow(), QStringLiteral("Edit2")).text(), QStringLiteral("IMG_0001.jpg"));
    EXPECT_EQ(labelText(bench->largeImagePage(), QStringLiteral("Label2")), QStringLiteral("Invalid"));
}

// A name with no times of its own (not a product, or a clock that is no number) after a
// product: its times would be computed from the product's clock, which the state keeps.
TEST_F(DataAction, NoTimesOfThePreviousProductBesideANameWithoutItsOwn) {
    const struct {
        const char* name;
        bool stereoLine;  // its own: only a product has one
    } cases[] = {{"IMG_0001.jpg", false}, {"2P12647A340EDN0000P2303L5M1.JPG", true}};
    const char* times[] = {"utcTimeText",    "localTimeText",   "solText",           "marsTimeText",
                           "transpiredSols", "transpiredHours", "transpiredMinutes", "transpiredSeconds"};
    const QLabel& stereoLine = child<QLabel>(mainWindow(), QStringLiteral("stereoStatus"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString dir = makeDirectory(QString::fromLatin1(c.name) + QStringLiteral(".d"));
        for (const QString& name : {kExample + QStringLiteral(".JPG"), QString::fromLatin1(c.name)})
            writePicture(dir + QLatin1Char('/') + name, 8, 8);
        enter(dir);
        ASSERT_EQ(display(QStringLiteral("marsTimeText")), QStringLiteral("16:40:05"));
        ASSERT_FALSE(stereoLine.isHidden());

        showFile(1);
        for (const char* name : times) EXPECT_EQ(display(QString::fromLatin1(name)), QStringLiteral("Invalid")) << name;
        EXPECT_EQ(stereoLine.isHidden(), !c.stereoLine);
        EXPECT_EQ(state().clockValue(), 126471340);
        // The large-image page's copies, the Earth time page's local time too.
        for (const char* label : {"Label6", "Label27", "Label32", "Label4"})
            EXPECT_EQ(labelText(bench->largeImagePage(), QString::fromLatin1(label)), QStringLiteral("Invalid"))
                << label;
        EXPECT_EQ(labelText(bench->earthTimePage(), QStringLiteral("captureLocalText")), QStringLiteral("Invalid"));

        // The product again: its own times and line.
        showFile(0);
        EXPECT_EQ(display(QStringLiteral("localTimeText")), QStringLiteral("Sunday 4 of Jan 2004 06:54:35"));
        EXPECT_EQ(display(QStringLiteral("transpiredMinutes")), QStringLiteral("15"));
        EXPECT_FALSE(stereoLine.isHidden());
    }
}

TEST_F(DataAction, ACombinedProductShowsCombinedAndNoPartnerNames) {
    enterWith({QStringLiteral("2N126470000EFF0300P1512L0M1-B30C16M50-01.jpg")});
    EXPECT_EQ(display(QStringLiteral("eyeText")), QStringLiteral("COMBINED"));
    EXPECT_EQ(display(QStringLiteral("rightEyeNameText")), QString());
    EXPECT_EQ(display(QStringLiteral("leftEyeNameText")), QString());
    EXPECT_EQ(display(QStringLiteral("stereoStatus")), QStringLiteral("This image is a 3D anaglyph or colour composite"));
    EXPECT_EQ(child<QLabel>(mainWindow(), QStringLiteral("stereoStatus")).palette().color(QPalette::WindowText),
              QColor(0, 128, 0));
    EXPECT_EQ(display(QStringLiteral("identifierText")), QStringLiteral("2N126470000EFF0300P1512L0M1"));
    // The partner names themselves are still built from the first 27 characters.
    EXPECT_EQ(state().decoded.rightEyeName, "2N126470000EFF0300P1512R0M1");
}

TEST_F(DataAction, TwoRoversInTurnEachShowTheirOwnSol) {
    enterWith({kOpportunity + QStringLiteral(".JPG"), kExample + QStringLiteral(".JPG"),
               QStringLiteral("3N128367940EFF0100P1507L0M1.JPG")});
    showFile(0);
    EXPECT_EQ(display(QStringLiteral("roverText")), QStringLiteral("1 Opportunity"));
    EXPECT_EQ(display(QStringLiteral("solText")), QStringLiteral("2"));
    EXPECT_EQ(display(QStringLiteral("marsTimeText")), QStringLiteral("13:20:49"));
    EXPECT_EQ(labelText(bench->martianTimePage(), QStringLiteral("Label8")), QStringLiteral("13:20:49"));
    showFile(1);
    EXPECT_EQ(display(QStringLiteral("roverText")), QStringLiteral("2 Spirit"));
    EXPECT_EQ(display(QStringLiteral("solText")), QStringLiteral("1"));
    EXPECT_EQ(labelText(bench->martianTimePage(), QStringLiteral("Label8")), QStringLiteral("14:24:15"));
    showFile(0);
    EXPECT_EQ(display(QStringLiteral("solText")), QStringLiteral("2"));
    EXPECT_EQ(state().currentSol(), 1);

    // A rover digit of neither rover keeps the current sol while the display says "Invalid".
    showFile(2);
    EXPECT_EQ(display(QStringLiteral("solText")), QStringLiteral("Invalid"));
    EXPECT_EQ(state().currentSol(), 1);
}

TEST_F(DataAction, CodesWithoutATableRowLeaveTheirDisplaysAsTheyWere) {
    // Eye "Q" and producer "Q" have no row: those displays keep the previous image's texts.
    enterWith({kExample + QStringLiteral(".JPG"), QStringLiteral("2P126471340EDN0000P2303Q5Q1.JPG")});
    showFile(1);
    EXPECT_EQ(display(QStringLiteral("identifierText")), QStringLiteral("2P126471340EDN0000P2303Q5Q1"));
    EXPECT_EQ(display(QStringLiteral("eyeText")), QStringLiteral("Left Eye"));
    EXPECT_EQ(display(QStringLiteral("stereoStatus")), QStringLiteral("This image may be part of a Stereo pair"));
    EXPECT_EQ(display(QStringLiteral("producerText")), QStringLiteral("MIPL (OPGS) at JPL"));
    EXPECT_EQ(display(QStringLiteral("rightEyeNameText")), QStringLiteral("N/A"));
    EXPECT_EQ(display(QStringLiteral("leftEyeNameText")), QStringLiteral("N/A"));
    EXPECT_EQ(state().decoded.eyeLetter, "Q");
}

TEST_F(DataAction, LocalTimeFollowsTheUsersTimeZone) {
    const QByteArray savedZone = qgetenv("TZ");
    qputenv("TZ", "Europe/Paris");
    tzset();
    enterWith({kExample + QStringLiteral(".JPG")});
    qputenv("TZ", savedZone);
    tzset();
    EXPECT_EQ(display(QStringLiteral("utcTimeText")), QStringLiteral("Sunday 4 of Jan 2004 06:54:35"));
    EXPECT_EQ(display(QStringLiteral("localTimeText")), QStringLiteral("Sunday 4 of Jan 2004 07:54:35"));
    EXPECT_EQ(labelText(bench->largeImagePage(), QStringLiteral("Label27")), QStringLiteral("Sunday 4 of Jan 2004 07:54:35"));
}

}  // namespace
}  // namespace keldar::testing
