#include "ui/pages/TraverseMapViewer.h"

#include <algorithm>
#include <cmath>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/imaging/ImageFile.h"
#include "platform/ActionGuard.h"
#include "platform/Platform.h"
#include "ui/app/Controls.h"
#include "ui/app/FileBrowser.h"
#include "ui/app/ImageConversion.h"
#include "ui/app/ImageView.h"
#include "ui/app/Workbench.h"
#include "ui/pages/OpportunityMapsUnit8.h"
#include "ui/pages/SpiritMapsUnit9.h"

namespace keldar::ui {

namespace {

// A small deterministic generator, so a page draws the same starting map every run.
class Dice {
public:
    explicit Dice(unsigned seed) : state_(seed * 2654435761u + 12345u) {}
    double next() {
        state_ = state_ * 1664525u + 1013904223u;
        return (state_ >> 8) / 16777216.0;
    }
    double between(double low, double high) { return low + (high - low) * next(); }

private:
    unsigned state_;
};

}  // namespace

QImage drawStartingMap(QSize size, const QString& rover, unsigned seed) {
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double w = size.width();
    const double h = size.height();
    QLinearGradient ground(0, 0, w, h);
    ground.setColorAt(0, QColor(186, 124, 84));
    ground.setColorAt(1, QColor(140, 88, 56));
    p.fillRect(image.rect(), ground);

    Dice dice(seed);
    for (int i = 0; i < 45; ++i) {
        const QPointF centre(dice.between(0, w), dice.between(0, h));
        const double r = std::pow(dice.next(), 3.0) * 40 + 3;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(110, 66, 40, 150));
        p.drawEllipse(centre, r, r);
        p.setPen(QPen(QColor(225, 175, 130, 170), std::max(1.0, r / 8)));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r), 200 * 16, 160 * 16);
    }

    // The route: a wandering drive from the landing site, with a marker every ten sols.
    QPainterPath route;
    QPointF at(w * dice.between(0.15, 0.3), h * dice.between(0.6, 0.8));
    const QPointF landing = at;
    route.moveTo(at);
    std::vector<QPointF> stops{at};
    double heading = dice.between(-0.8, 0.2);
    for (int sol = 1; sol <= 60; ++sol) {
        heading += dice.between(-0.35, 0.35);
        const double step = dice.between(0.004, 0.012) * w;
        at += QPointF(std::cos(heading) * step, std::sin(heading) * step);
        at.setX(std::clamp(at.x(), w * 0.05, w * 0.95));
        at.setY(std::clamp(at.y(), h * 0.15, h * 0.9));
        route.lineTo(at);
        stops.push_back(at);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 230, 60), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(route);
    QFont font = p.font();
    font.setPixelSize(std::max(9, size.height() / 45));
    p.setFont(font);
    for (std::size_t sol = 10; sol < stops.size(); sol += 10) {
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        p.drawEllipse(stops[sol], 3.5, 3.5);
        p.setPen(Qt::white);
        p.drawText(stops[sol] + QPointF(6, -6), QStringLiteral("SOL %1").arg(sol));
    }
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(QColor(0, 90, 200));
    p.drawEllipse(landing, 7, 7);
    p.drawText(landing + QPointF(10, 16), QStringLiteral("Landing site"));

    // Title band, north arrow, scale bar and a note on the real maps.
    p.fillRect(QRectF(0, 0, w, h * 0.09), QColor(0, 0, 0, 140));
    QFont title = font;
    title.setBold(true);
    title.setPixelSize(std::max(12, size.height() / 22));
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, w, h * 0.09), Qt::AlignCenter, rover.toUpper() + QStringLiteral(" TRAVERSE"));
    const QPointF north(w - 30, h * 0.2);
    p.setBrush(Qt::white);
    p.setPen(Qt::NoPen);
    p.drawPolygon(QPolygonF({north + QPointF(0, -22), north + QPointF(8, 4), north + QPointF(-8, 4)}));
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(north.x() - 10, north.y() + 6, 20, 16), Qt::AlignCenter, QStringLiteral("N"));
    const double bar = w * 0.2;
    const QPointF scale(16, h - 40);
    p.setPen(QPen(Qt::white, 3));
    p.drawLine(scale, scale + QPointF(bar, 0));
    p.drawText(scale + QPointF(0, -6), QStringLiteral("500 m"));
    p.drawText(QRectF(0, h - 24, w - 12, 20), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("Overview. Press >>>>> for the maps of the map directory."));
    return image;
}

TraverseMapViewer::TraverseMapViewer(Workbench& workbench, platform::Platform& platform,
                                     const TraverseMapDesign& design)
    : Page(workbench, platform, design.name, design.caption, design.windowSize, ScreenFitMode::Full) {
    map_ = new ImageView(this);
    map_->setObjectName(QStringLiteral("Image1"));
    map_->setDesignSize(design.mapSize);
    map_->setStretch(true);
    map_->setPicture(fromQImage(drawStartingMap(design.mapSize, design.rover, design.seed)));

    QPushButton* close = makeButton(this, QStringLiteral("Button1"), QStringLiteral("Close"));
    QPushButton* previous = makeButton(this, QStringLiteral("Button2"), QStringLiteral("<<<<<"));
    QPushButton* next = makeButton(this, QStringLiteral("Button3"), QStringLiteral(">>>>>"));
    QPushButton* print = makeButton(this, QStringLiteral("Button4"), QStringLiteral("Print"));
    print->setEnabled(design.printEnabled);
    QPushButton* show = makeButton(this, QStringLiteral("Button5"), QStringLiteral("P"));
    show->hide();
    auto guarded = [this](QPushButton* button, void (TraverseMapViewer::*command)()) {
        connect(button, &QPushButton::clicked, this,
                [this, command] { platform::runGuarded(platform_, this, [this, command] { (this->*command)(); }); });
    };
    guarded(close, &TraverseMapViewer::closePage);
    guarded(previous, &TraverseMapViewer::previousMap);
    guarded(next, &TraverseMapViewer::nextMap);
    guarded(show, &TraverseMapViewer::showSelected);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(makeLabel(this, {}, QStringLiteral("NASA / Planetary Data System")));
    buttons->addStretch();
    for (QPushButton* button : {previous, next, print, show, close}) buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(map_, 1);
    layout->addLayout(buttons);

    fitToScreen();
    centreOnScreen();
}

void TraverseMapViewer::setMapDirectory(const QString& directory) {
    mapDirectory_ = directory;
    const QFileInfo info(directory);
    if (!info.isDir())
        directoryProblem_ = QStringLiteral("The map directory \"%1\" does not exist.").arg(directory);
    else if (!info.isReadable() || !info.isExecutable())
        directoryProblem_ = QStringLiteral("The map directory \"%1\" cannot be read.").arg(directory);
    else
        directoryProblem_.clear();
    mapNames_ = directoryProblem_.isEmpty() ? listImageDirectoryFiles(directory) : QStringList();
    selected_ = -1;
}

void TraverseMapViewer::previousMap() {
    --selected_;
    showSelected();
}

void TraverseMapViewer::nextMap() {
    // Past the last map the selection stays on it.
    selected_ = std::min<int>(selected_ + 1, static_cast<int>(mapNames_.size()) - 1);
    showSelected();
}

void TraverseMapViewer::showSelected() {
    if (mapNames_.isEmpty()) {
        // Nothing to load: said in a box, and the page keeps the map it shows.
        selected_ = -1;
        if (!directoryProblem_.isEmpty())
            platform_.error(this, directoryProblem_ + QStringLiteral(" No maps can be shown."));
        else if (mapDirectory_.isEmpty())
            platform_.error(this, QStringLiteral("The map directory is read two seconds after start; try again then."));
        else
            platform_.error(this, QStringLiteral("The map directory \"%1\" holds no maps.").arg(mapDirectory_));
        return;
    }
    if (selected_ < 1) selected_ = 0;
    const QString path = QDir(mapDirectory_).filePath(mapNames_.at(selected_));
    currentMapPath_ = path;
    imaging::ImageResult read = imaging::readImageFile(QFile::encodeName(path).toStdString());
    if (!read.ok()) {
        // The page keeps the picture it had.
        platform_.error(this, QString::fromStdString(read.error));
        return;
    }
    map_->setPicture(read.image);
}

void TraverseMapViewer::closePage() { close(); }

void pointTraverseMapPages(Workbench& workbench, const QString& directoryText) {
    const QDir base(directoryText);
    workbench.opportunityMapsPage().setMapDirectory(base.filePath(QStringLiteral("Traverse-Maps/Opportunity")));
    workbench.spiritMapsPage().setMapDirectory(base.filePath(QStringLiteral("Traverse-Maps/Spirit")));
}

}  // namespace keldar::ui
