#pragma once
// The save dialog of the anaglyph builder and the colour composer. It opens on the
// preselected filter, and the file format written follows the filter the user picked there,
// not the extension typed. Tests answer through the same function type.

#include <functional>
#include <vector>

#include <QString>

#include "core/imaging/AnaglyphNaming.h"

class QWidget;

namespace keldar::platform {
class Platform;
}

namespace keldar::ui {

struct SaveDialogRequest {
    QString caption;
    QString proposedPath;
    std::vector<imaging::SaveFilter> filters;
    int preselectedFilter = 1;  // 1-based
};

struct SaveDialogAnswer {
    QString path;         // empty: the user cancelled
    int filterIndex = 0;  // 1-based index of the filter the user picked
};

using SaveDialog = std::function<SaveDialogAnswer(QWidget* parent, const SaveDialogRequest& request)>;

// The filter list in the toolkit's "Description (*.a *.b);;..." form; each description keeps
// its words and lists its patterns in parentheses.
QString toolkitFilter(const std::vector<imaging::SaveFilter>& filters);

// The dialog of `platform`; the pick is read from the name only when the dialog names no
// entry of the list.
SaveDialog platformSaveDialog(platform::Platform& platform);

}  // namespace keldar::ui
