#pragma once
// The anaglyph builder's save dialog. Which file format is written follows the filter the
// user picked, but the platform's save dialog returns only the chosen path; until it can
// report the filter, the pick is read from the chosen name's extension (a name that matches
// no filter keeps the preselected one). A dialog that knows the pick answers through the
// same function type.

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

// The dialog of `platform`, with the pick read from the chosen name.
SaveDialog platformSaveDialog(platform::Platform& platform);

}  // namespace keldar::ui
