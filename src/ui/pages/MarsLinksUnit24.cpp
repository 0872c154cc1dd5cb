#include "ui/pages/MarsLinksUnit24.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/BrowserLaunch.h"
#include "ui/app/Controls.h"
#include "ui/app/LinkLabel.h"
#include "ui/pages/WebAddresses.h"

namespace keldar::ui {

namespace {

// One entry of the list: a description directly above its link.
struct MarsLink {
    const char* name;  // the labels are `name`Text and `name`Link
    QString description;
    QLatin1String address;
    QString linkText;  // empty: the address itself
    bool handCursor = true;
};

}  // namespace

TForm24::TForm24(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm24"), QStringLiteral("Martian and Mars related links"),
           QSize(760, 480), ScreenFitMode::Full) {
    const QString geologySite = web::kGeologySiteName;
    const MarsLink left[] = {
        {"pancam", QStringLiteral("JPL PANCAM page"), web::kPancamImages, {}},
        {"pdsSoftware", QStringLiteral("NASA software downloads"), web::kPdsSoftware, {}},
        {"maestro", QStringLiteral("NASA Maestro MER software"), web::kMaestro, {}},
        {"imageJ", QStringLiteral("Scientific image manipulation software"), web::kImageJ,
         QStringLiteral("imageJ at ") + web::kImageJ},
        {"geology", geologySite, web::kGeologyHome, {}, false},
        {"roverBlog", QStringLiteral("The Mars Rover Blog"), web::kRoverBlog, {}},
        {"news", web::kNewsSiteName + QStringLiteral(" Martian News"), web::kNewsSite, {}},
        {"colourDatabase", QStringLiteral("Click the link below to visit an online database of colour MER images"),
         web::kColourImageDatabase, {}},
        {"coinNews", QStringLiteral("Martian coinage link 1"), web::kCoinNews, {}},
        {"coinShop", QStringLiteral("Martian coinage link 2"), web::kSpaceCoinShop, {}},
        {"stamps", QStringLiteral("Some Mars postage stamps"), web::kAuthorStamps, {}},
        {"fanSite", QStringLiteral("An archive of panoramas and an online MER filename decoder"), web::kRoverFanSite,
         {}},
    };
    const MarsLink right[] = {
        {"stitcher", QStringLiteral("Panorama creation software"), web::kStitcher, QStringLiteral("Autostich"), false},
        {"hirise", QStringLiteral("JPEG2000 IAS viewer at HiRise"), web::kHiriseViewer, {}},
        {"geologyLinks", QStringLiteral("LINKS RELATED TO MARS EXPLORATION:"), web::kGeologyLinks, {}, false},
        {"exploratorium", QStringLiteral("Exploratorium"), web::kExploratoriumMars, {}},
    };

    auto addLinks = [this](QVBoxLayout* column, const auto& links) {
        for (const MarsLink& entry : links) {
            const QString name = QString::fromLatin1(entry.name);
            QLabel* description = makeLabel(this, name + QStringLiteral("Text"), entry.description);
            description->setWordWrap(true);
            const QString text = entry.linkText.isEmpty() ? QString(entry.address) : entry.linkText;
            LinkLabel* link = makeLinkLabel(this, name + QStringLiteral("Link"), text, {}, entry.handCursor);
            const QLatin1String address = entry.address;
            connect(link, &LinkLabel::clicked, this, [this, address] { openAddress(address); });
            auto* pair = new QVBoxLayout;
            pair->setSpacing(0);
            pair->addWidget(description);
            pair->addWidget(link);
            column->addLayout(pair);
        }
    };
    auto* leftColumn = new QVBoxLayout;
    leftColumn->setSpacing(5);
    addLinks(leftColumn, left);
    leftColumn->addStretch(1);

    auto* rightColumn = new QVBoxLayout;
    rightColumn->setSpacing(5);
    addLinks(rightColumn, right);
    rightColumn->addSpacing(12);
    QLabel* invitation = makeLabel(this, QStringLiteral("suggestionText"),
                                   QStringLiteral("If you think something should be on this list for the benefit of "
                                                  "others,"));
    invitation->setWordWrap(true);
    rightColumn->addWidget(invitation);
    // Drawn as a link, but it opens nothing.
    rightColumn->addWidget(makeLinkLabel(this, QStringLiteral("emailMeLink"), QStringLiteral("Please email me.")));
    rightColumn->addStretch(1);
    QPushButton* close = makeButton(this, QStringLiteral("closeButton"), QStringLiteral("Close"));
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    rightColumn->addWidget(close, 0, Qt::AlignRight);

    auto* columns = new QHBoxLayout(this);
    columns->setSpacing(24);
    columns->addLayout(leftColumn, 1);
    columns->addLayout(rightColumn, 1);

    fitToScreen();
}

void TForm24::openAddress(const QString& address) { platform::launchBrowser(platform_, address); }

void TForm24::showEvent(QShowEvent* event) {
    Page::showEvent(event);
    centreOnScreen();
}

}  // namespace keldar::ui
