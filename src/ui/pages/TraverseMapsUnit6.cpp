#include "ui/pages/TraverseMapsUnit6.h"

#include <functional>
#include <utility>

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ActionGuard.h"
#include "ui/app/Controls.h"
#include "ui/app/Workbench.h"
#include "ui/pages/OpportunityMapsUnit8.h"
#include "ui/pages/SpiritMapsUnit9.h"

namespace keldar::ui {

namespace {

// A rover's name that opens its maps when clicked.
class RoverName : public QLabel {
public:
    RoverName(const QString& name, const QString& text, QWidget* parent, std::function<void()> onClick)
        : QLabel(text, parent), onClick_(std::move(onClick)) {
        setObjectName(name);
        setCursor(Qt::PointingHandCursor);
        setAlignment(Qt::AlignCenter);
        QFont large = font();
        large.setPointSizeF(large.pointSizeF() * 2);
        large.setBold(true);
        setFont(large);
        setTextColour(this, QColor(0, 0, 160));
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) onClick_();
    }

private:
    std::function<void()> onClick_;
};

}  // namespace

TForm6::TForm6(Workbench& workbench, platform::Platform& platform)
    : Page(workbench, platform, QStringLiteral("TForm6"), QStringLiteral("Traverse Maps"), QSize(300, 230),
           ScreenFitMode::Full) {
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    setPalette(white);

    auto guarded = [this](void (TForm6::*command)()) {
        return [this, command] { platform::runGuarded(platform_, this, [this, command] { (this->*command)(); }); };
    };
    auto* layout = new QVBoxLayout(this);
    for (const auto& [name, text] : {std::pair{"Label1", "Click on the name of the rover,"},
                                     std::pair{"Label2", "whose groundtrack, you wish to view."}}) {
        QLabel* line = makeLabel(this, QString::fromLatin1(name), QString::fromLatin1(text));
        line->setAlignment(Qt::AlignCenter);
        layout->addWidget(line);
    }
    layout->addStretch();
    layout->addWidget(new RoverName(QStringLiteral("Label3"), QStringLiteral("Opportunity"), this,
                                    guarded(&TForm6::showOpportunityMaps)));
    layout->addSpacing(8);
    layout->addWidget(
        new RoverName(QStringLiteral("Label4"), QStringLiteral("Spirit"), this, guarded(&TForm6::showSpiritMaps)));
    layout->addStretch();
    QPushButton* close = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Close"));
    connect(close, &QPushButton::clicked, this, guarded(&TForm6::closePage));
    layout->addWidget(close, 0, Qt::AlignHCenter);

    fitToScreen();
    centreOnScreen();
}

void TForm6::showOpportunityMaps() { workbench_.opportunityMapsPage().showPage(); }

void TForm6::showSpiritMaps() { workbench_.spiritMapsPage().showPage(); }

void TForm6::closePage() { close(); }

}  // namespace keldar::ui
