// The mission's own record beside the classic figures, names as the archive volumes write
// them, and PDS products with their labels, as a user meets them in the workbench.

#include <QAction>
#include <QFile>
#include <QPlainTextEdit>

#include "support/UiTestSupport.h"
#include "ui/app/ImageView.h"
#include "ui/pages/LabelUnit32.h"
#include "ui/pages/LargeImageUnit7.h"
#include "ui/time/EarthTimeUnit3.h"
#include "ui/time/MartianTimeUnit13.h"

namespace keldar::testing {
namespace {

// A 4 x 3 8-bit PDS product: one 256-byte label record, then the samples.
QByteArray pdsProduct() {
    QByteArray label = "PDS_VERSION_ID = PDS3\r\nRECORD_BYTES = 256\r\n^IMAGE = 2\r\nOBJECT = IMAGE\r\n LINES = 3\r\n"
                       " LINE_SAMPLES = 4\r\n SAMPLE_BITS = 8\r\nEND_OBJECT = IMAGE\r\nEND\r\n";
    label.resize(256, ' ');
    return label + QByteArray("\x00\x10\x20\x30\x40\x50\x60\x70\x80\x90\xa0\xb0", 12);
}

class MissionRecord : public WorkbenchTest {};

TEST_F(MissionRecord, LowerCaseArchiveNamesAreReadOnRequestAndEveryPageShowsTheRecord) {
    const QString directory = makeDirectory(QStringLiteral("archive"));
    writePicture(directory + QStringLiteral("/2n292280938effb100p0703l0m1.img.jpg"), 12, 8);
    enter(directory);
    QAction* option = mainWindow().menuItem(QStringLiteral("Acceptlowercasearchivenames1"));
    ASSERT_NE(option, nullptr);
    EXPECT_FALSE(option->isChecked());
    // As the classic rule reads it: 'n' is no camera letter, but the clock is digits either way.
    EXPECT_NE(state().displays.cameraText, QStringLiteral("NAVCAM Navigational Camera"));

    option->trigger();
    EXPECT_TRUE(option->isChecked());
    EXPECT_EQ(state().displays.cameraText, QStringLiteral("NAVCAM Navigational Camera"));
    // The classic clock rule stands beside the published time, twenty minutes apart by 2009.
    EXPECT_TRUE(state().displays.utcTimeText.endsWith(QStringLiteral("6 of Apr 2009 09:07:53")));
    EXPECT_EQ(state().displays.site, QStringLiteral("B1"));

    // Published: START_TIME 2009-04-06T08:48:13.468, sol 1869, LTST 11:23:54 (clock 292280938.xxx).
    const ui::TForm7& large = bench->largeImagePage();
    EXPECT_TRUE(labelText(large, QStringLiteral("MissionUtc")).startsWith(QStringLiteral("2009-04-06 08:48:1")));
    for (const QWidget* page : std::initializer_list<const QWidget*>{&large, &bench->earthTimePage(),
                                                                     &bench->martianTimePage()}) {
        EXPECT_EQ(labelText(*page, QStringLiteral("MissionSol")), QStringLiteral("1869")) << page->objectName().toStdString();
        EXPECT_EQ(labelText(*page, QStringLiteral("MissionLtst")), QStringLiteral("11:23:54")) << page->objectName().toStdString();
    }
    EXPECT_EQ(labelText(large, QStringLiteral("Label14")), QStringLiteral("B1"));
    EXPECT_EQ(labelText(large, QStringLiteral("SiteNumber")), QStringLiteral("= 137"));
    EXPECT_EQ(labelText(large, QStringLiteral("DriveNumber")), QStringLiteral("= 0"));
    EXPECT_TRUE(takeBoxes().empty());
}

TEST_F(MissionRecord, APdsProductIsShownStretchedAndItsLabelCanBeRead) {
    const QString directory = makeDirectory(QStringLiteral("pds"));
    QFile product(directory + QStringLiteral("/1F483288473EFFCMUFP1214L0M1.IMG"));
    ASSERT_TRUE(product.open(QIODevice::WriteOnly));
    product.write(pdsProduct());
    product.close();
    writePicture(directory + QStringLiteral("/2P295043688FFLB1DNP2380L2M1.JPG"), 10, 6);
    writePicture(directory + QStringLiteral("/2P295043688FFLB1DNP2380R2M1.JPG"), 11, 6);
    enter(directory);
    clickFile(0);
    ASSERT_EQ(state().displays.fileNameField, QStringLiteral("1F483288473EFFCMUFP1214L0M1.IMG"));
    ASSERT_EQ(shownWidth(), 4);
    EXPECT_EQ(labelText(bench->largeImagePage(), QStringLiteral("MissionSol")), QStringLiteral("4000"));

    mainWindow().menuItem(QStringLiteral("PDSLabel1"))->trigger();
    const ui::TForm32& page = bench->labelPage();
    ASSERT_TRUE(page.isVisible());
    EXPECT_TRUE(child<QPlainTextEdit>(page, QStringLiteral("Memo1"))
                    .toPlainText()
                    .startsWith(QStringLiteral("PDS_VERSION_ID = PDS3\nRECORD_BYTES = 256\n")));
    // The open page follows the main window to a product without a label.
    clickFile(1);
    EXPECT_TRUE(page.labelText().startsWith(QStringLiteral("This file carries no label")));
    EXPECT_TRUE(takeBoxes().empty());
}

}  // namespace
}  // namespace keldar::testing
