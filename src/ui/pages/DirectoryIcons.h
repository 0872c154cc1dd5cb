#pragma once
// The small pictures at the left of the directories page's rows, drawn in code so the page
// carries no picture files.

#include <QImage>

namespace keldar::ui {

enum class DirectoryIcon {
    Current,    // an open folder with an arrow: where the current image is
    Home,       // a house
    AllImages,  // the red planet
    Anaglyphs,  // red and cyan glasses
    Rgb,        // three overlapping red, green and blue discs
    Colour,     // a painter's palette
    Chosen,     // a folder with a question mark: nothing chosen yet
};

// The icon at `side` by `side` pixels on a transparent ground.
QImage drawDirectoryIcon(DirectoryIcon icon, int side);

}  // namespace keldar::ui
