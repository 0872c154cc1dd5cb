#pragma once
// What the two rovers' traverse map pages share: a hidden list of the files of a map
// directory, read once, and arrows that step through it, one map shown at a time.

#include <QString>
#include <QStringList>

#include "ui/app/Page.h"

class QLabel;

namespace keldar::ui {

class ImageView;

// How one rover's page differs from the other's.
struct TraverseMapDesign {
    QString name;
    QString caption;
    QString rover;        // as the drawn starting map titles it
    QSize windowSize;
    QSize mapSize;
    bool printEnabled;    // the disabled "Print" of one page, the inert one of the other
    unsigned seed;        // the drawn starting map's route
};

// A page that shows the maps of one rover's map directory.
class TraverseMapViewer : public Page {
    Q_OBJECT
public:
    TraverseMapViewer(Workbench& workbench, platform::Platform& platform, const TraverseMapDesign& design);

    // Reads the names of the files in `directory` into the map list, in name order. A
    // directory that cannot be read leaves the list empty; the page says so when asked for a map.
    void setMapDirectory(const QString& directory);

    // --- The commands of the buttons ---
    void previousMap();   // "<<<<<": the previous map; the first map stays
    void nextMap();       // ">>>>>": the next map; the last map stays
    void showSelected();  // "P" (hidden): shows the selected map, the first when none is
    void closePage();     // "Close"

    const QString& mapDirectory() const { return mapDirectory_; }
    const QStringList& mapNames() const { return mapNames_; }
    int selectedIndex() const { return selected_; }
    const QString& currentMapPath() const { return currentMapPath_; }
    ImageView& mapView() const { return *map_; }

private:
    ImageView* map_ = nullptr;
    QString mapDirectory_;
    QString directoryProblem_;  // why the directory gave no list, "" when it was read
    QStringList mapNames_;
    int selected_ = -1;
    QString currentMapPath_;
};

// The startup tick's set-up: each rover's page reads its map directory under `directoryText`.
void pointTraverseMapPages(Workbench& workbench, const QString& directoryText);

// The map a page shows until the first arrow press: a drawn route over a plain of craters.
QImage drawStartingMap(QSize size, const QString& rover, unsigned seed);

}  // namespace keldar::ui
