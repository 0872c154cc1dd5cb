// The two link pages: pictures and labels open their addresses through the browser launch,
// the mail link opens a mail address, and the web links page leads to the Mars links page.

#include <QTest>

#include "support/UiTestSupport.h"
#include "ui/app/LinkLabel.h"
#include "ui/pages/MarsLinksUnit24.h"
#include "ui/pages/WebAddresses.h"
#include "ui/pages/WebLinksUnit4.h"

namespace keldar::testing {
namespace {

class LinkPages : public WorkbenchTest {
protected:
    void SetUp() override {
        WorkbenchTest::SetUp();
        mainWindow().menuItem(QStringLiteral("WebLinksAllMars1"))->trigger();
        ASSERT_TRUE(bench->webLinksPage().isVisible());
    }
    void click(const QWidget& page, const char* name) {
        QTest::mouseClick(&child<ui::LinkLabel>(page, QString::fromLatin1(name)), Qt::LeftButton);
    }
};

TEST_F(LinkPages, EachPictureOpensTheSameAddressAsItsLabel) {
    const struct {
        const char* picture;
        const char* label;
        QLatin1String address;
        const char* hint;
    } pairs[] = {
        {"Image1", "Label2", ui::web::kOpportunityGallery, "MER Opportunity homepage"},
        {"Image2", "Label4", ui::web::kSpiritGallery, "MER Spirit homepage"},
        {"Image3", "Label11", ui::web::kMissionHome, "MER NASA homepage"},
    };
    const ui::TForm4& page = bench->webLinksPage();
    for (const auto& pair : pairs) {
        platform.openedDocuments.clear();
        click(page, pair.picture);
        click(page, pair.label);
        EXPECT_EQ(platform.openedDocuments, (std::vector<QString>{pair.address, pair.address})) << pair.picture;
        for (const char* name : {pair.picture, pair.label})
            EXPECT_EQ(child<ui::LinkLabel>(page, QString::fromLatin1(name)).toolTip(), QString::fromLatin1(pair.hint));
    }

    // A registered browser command gets the same address as its only argument.
    platform.browserCommand = QStringLiteral(R"("/opt/web/view" "%1")");
    click(page, "Image1");
    ASSERT_EQ(platform.startedPrograms.size(), 1u);
    EXPECT_EQ(platform.startedPrograms[0], (QStringList{QStringLiteral("/opt/web/view"), ui::web::kOpportunityGallery}));
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(LinkPages, TheMailLinkOpensAMailAddressThroughTheShell) {
    click(bench->webLinksPage(), "Label7");
    ASSERT_EQ(platform.openedDocuments.size(), 1u);
    EXPECT_EQ(platform.openedDocuments[0], QStringLiteral("mailto:") + ui::web::kAuthorMail);
    EXPECT_TRUE(platform.startedPrograms.empty());
}

TEST_F(LinkPages, MoreMartianLinksShowsTheMarsLinksPage) {
    const ui::TForm4& links = bench->webLinksPage();
    EXPECT_FALSE(child<QLabel>(links, QStringLiteral("moreLinksNote")).isVisible());
    ui::TForm24& mars = bench->marsLinksPage();
    EXPECT_FALSE(mars.isVisible());
    child<QPushButton>(links, QStringLiteral("Button2")).click();
    EXPECT_TRUE(mars.isVisible());

    click(mars, "imageJLink");
    click(mars, "emailMeLink");  // drawn as a link, opens nothing
    EXPECT_EQ(platform.openedDocuments, std::vector<QString>{ui::web::kImageJ});
    EXPECT_EQ(labelText(mars, QStringLiteral("imageJLink")), QStringLiteral("imageJ at ") + ui::web::kImageJ);
    EXPECT_EQ(labelText(mars, QStringLiteral("stitcherLink")), QStringLiteral("Autostich"));

    // Every link shows the hand, except the geology site's two and the stitcher's.
    for (const ui::LinkLabel* link : mars.findChildren<ui::LinkLabel*>()) {
        const QString name = link->objectName();
        const bool arrow = name == QLatin1String("geologyLink") || name == QLatin1String("geologyLinksLink") ||
                           name == QLatin1String("stitcherLink");
        EXPECT_EQ(link->cursor().shape(), arrow ? Qt::ArrowCursor : Qt::PointingHandCursor) << name.toStdString();
    }
    child<QPushButton>(mars, QStringLiteral("closeButton")).click();
    EXPECT_FALSE(mars.isVisible());
    EXPECT_TRUE(links.isVisible());
}

}  // namespace
}  // namespace keldar::testing
