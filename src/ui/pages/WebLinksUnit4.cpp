#include "ui/pages/WebLinksUnit4.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/BrowserLaunch.h"
#include "platform/Platform.h"
#include "ui/app/Controls.h"
#include "ui/app/LinkLabel.h"
#include "ui/app/Workbench.h"
#include "ui/pages/MarsLinksUnit24.h"
#include "ui/pages/WebAddresses.h"

namespace keldar::ui {

namespace {

constexpr QSize kBadgeSize(104, 44);

// The page's pictures are drawn here rather than stored: a rounded badge with a word or two.
QPixmap drawBadge(const QString& words, const QColor& fill, const QColor& ink = Qt::white) {
    QPixmap badge(kBadgeSize);
    badge.fill(Qt::transparent);
    QPainter painter(&badge);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(fill.darker(150), 2));
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(badge.rect()).adjusted(1, 1, -1, -1), 9, 9);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(13);
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(badge.rect().adjusted(4, 2, -4, -2), Qt::AlignCenter | Qt::TextWordWrap, words);
    return badge;
}

QLabel* makeSeparator(QWidget* parent) {
    QLabel* separator = makeLabel(parent, {}, QString(120, QLatin1Char('_')));
    // The line runs to the edge of the page whatever its width, without widening it.
    separator->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    return separator;
}

QLabel* makeText(QWidget* parent, const QString& name, const QString& text) {
    QLabel* label = makeLabel(parent, name, text);
    label->setWordWrap(true);
    return label;
}

}  // namespace

TForm4::TForm4(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm4"), QStringLiteral("Web Links"), QSize(720, 480),
           ScreenFitMode::Full) {
    auto link = [this](const QString& name, QLatin1String address, const QString& hint = {}) {
        LinkLabel* label = makeLinkLabel(this, name, address, hint);
        connect(label, &LinkLabel::clicked, this, [this, address] { openAddress(address); });
        return label;
    };
    auto picture = [this](const QString& name, const QPixmap& badge, QLatin1String address, const QString& hint) {
        LinkLabel* label = makePictureLink(this, name, badge, hint);
        connect(label, &LinkLabel::clicked, this, [this, address] { openAddress(address); });
        return label;
    };
    const QString opportunityHint = QStringLiteral("MER Opportunity homepage");
    const QString spiritHint = QStringLiteral("MER Spirit homepage");
    const QString missionHint = QStringLiteral("MER NASA homepage");
    const QColor marsRed(178, 64, 32);
    const QColor nasaBlue(16, 56, 140);
    const QColor societyPurple(88, 40, 120);

    // The rovers' galleries and the mission, each link beside its picture.
    auto* galleries = new QGridLayout;
    galleries->setVerticalSpacing(6);
    auto galleryRow = [&](int row, QLabel* text, QLabel* address, QLabel* badge) {
        auto* pair = new QVBoxLayout;
        pair->setSpacing(1);
        pair->addWidget(text);
        pair->addWidget(address);
        galleries->addLayout(pair, row, 0);
        galleries->addWidget(badge, row, 1, Qt::AlignRight);
    };
    galleryRow(0, makeText(this, QStringLiteral("Label1"),
                           QStringLiteral("Click the link below to visit the Opportunity MER 1 images webpage")),
               link(QStringLiteral("Label2"), web::kOpportunityGallery, opportunityHint),
               picture(QStringLiteral("Image1"), drawBadge(QStringLiteral("Opportunity"), marsRed),
                       web::kOpportunityGallery, opportunityHint));
    galleryRow(1, makeText(this, QStringLiteral("Label3"),
                           QStringLiteral("Click the link below to visit the Spirit MER 2 images webpage")),
               link(QStringLiteral("Label4"), web::kSpiritGallery, spiritHint),
               picture(QStringLiteral("Image2"), drawBadge(QStringLiteral("Spirit"), marsRed), web::kSpiritGallery,
                       spiritHint));
    galleryRow(2, makeText(this, QStringLiteral("Label10"),
                           QStringLiteral("Click the link below to visit the Mars Exploration Rovers homepage")),
               link(QStringLiteral("Label11"), web::kMissionHome, missionHint),
               picture(QStringLiteral("Image3"), drawBadge(QStringLiteral("MER mission"), nasaBlue),
                       web::kMissionHome, missionHint));
    galleries->setColumnStretch(0, 1);

    // The author, beside the two student organisations.
    auto* author = new QVBoxLayout;
    author->setSpacing(1);
    author->addWidget(makeText(this, QStringLiteral("Label5"),
                               QStringLiteral("Click the link below to visit the author's own web site.")));
    author->addWidget(link(QStringLiteral("Label6"), web::kAuthorHome));
    author->addSpacing(6);
    LinkLabel* mail = makeLinkLabel(this, QStringLiteral("Label7"),
                                    QStringLiteral("Click this link to Email the author with any problems or questions."));
    mail->setWordWrap(true);
    connect(mail, &LinkLabel::clicked, this, &TForm4::mailAuthor);
    author->addWidget(mail);
    auto* students = new QHBoxLayout;
    students->addLayout(author, 1);
    students->addWidget(picture(QStringLiteral("Image4"), drawBadge(QStringLiteral("SSETI"), nasaBlue),
                                web::kStudentInitiative,
                                QStringLiteral("Student Space Exploration and Technology Initiative")));
    students->addWidget(picture(QStringLiteral("Image5"), drawBadge(QStringLiteral("SEDS"), QColor(24, 110, 60)),
                                web::kStudentSociety,
                                QStringLiteral("Students for the Exploration and Development of Space")));

    // The toy rovers that flew with the mission.
    auto* toys = new QHBoxLayout;
    toys->addWidget(makeText(this, QStringLiteral("Label14"),
                             QStringLiteral("LEGO on Mars, one of my favourite toys is now on Mars with the rovers "
                                            "holding onto The Planetary Society DVD. ")),
                    1);
    toys->addWidget(picture(QStringLiteral("Image6"), drawBadge(QStringLiteral("Red Rovers"), QColor(200, 30, 30)),
                            web::kToyRoverProject, QStringLiteral("Lego Red Rovers Project")));
    toys->addWidget(picture(QStringLiteral("Image7"), drawBadge(QStringLiteral("LEGO"), QColor(235, 190, 20), Qt::black),
                            web::kToyMakerHome, QStringLiteral("Lego home")));

    // The Planetary Society, and the page's buttons.
    QPushButton* more = makeButton(this, QStringLiteral("Button2"), QStringLiteral("More Martian Links"));
    QPushButton* close = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Close"));
    connect(more, &QPushButton::clicked, this, &TForm4::showMarsLinks);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* society = new QHBoxLayout;
    society->addWidget(picture(QStringLiteral("Image8"), drawBadge(QStringLiteral("Explore"), societyPurple),
                               web::kPlanetaryExplore, QStringLiteral("Explore Planetary Society ")));
    society->addWidget(picture(QStringLiteral("Image9"), drawBadge(QStringLiteral("Red Rover Project"), societyPurple),
                               web::kPlanetaryRedRover, QStringLiteral("Planetary Society Red Rover Project")));
    society->addWidget(picture(QStringLiteral("Image10"), drawBadge(QStringLiteral("Planetary Society"), societyPurple),
                               web::kPlanetaryHome, QStringLiteral("Planetary Society Home")));
    society->addStretch(1);
    society->addWidget(more, 0, Qt::AlignBottom);
    society->addWidget(close, 0, Qt::AlignBottom);

    // Part of the page, never shown.
    QLabel* hidden = makeLabel(this, QStringLiteral("moreLinksNote"),
                               QStringLiteral("For a look at other complimentary martian software, click the More "
                                              "Martian Links button."));
    hidden->hide();

    auto* column = new QVBoxLayout(this);
    column->setSpacing(4);
    column->addWidget(makeText(this, QStringLiteral("Label12"),
                               QStringLiteral("Keldar2007 is a tool that can assist in your research.")));
    column->addWidget(makeText(this, QStringLiteral("Label8"),
                               QStringLiteral("To obtain more MER images of the Martian surface,")));
    column->addLayout(galleries);
    column->addWidget(makeSeparator(this));
    column->addLayout(students);
    column->addWidget(makeSeparator(this));
    column->addLayout(toys);
    column->addWidget(makeSeparator(this));
    column->addStretch(1);
    column->addLayout(society);

    fitToScreen();
}

void TForm4::openAddress(const QString& address) { platform::launchBrowser(platform_, address); }

void TForm4::mailAuthor() { platform_.openDocument(QStringLiteral("mailto:") + web::kAuthorMail); }

void TForm4::showMarsLinks() { workbench_.marsLinksPage().showPage(); }

void TForm4::showEvent(QShowEvent* event) {
    Page::showEvent(event);
    centreOnScreen();
}

}  // namespace keldar::ui
