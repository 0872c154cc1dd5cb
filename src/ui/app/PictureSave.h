#pragma once
// The workbench's picture saves (anaglyphs, colour composites): the directory made ready,
// the file type taken from the dialog's filter, and never a file replaced.

#include "core/imaging/ImageBuffer.h"

#include <QString>

class QWidget;

namespace keldar::platform {
class Platform;
}

namespace keldar::ui {

// "" when `directory` exists (made if missing) and a file can be created in it; otherwise the
// message to show, naming it as "the <what> directory".
QString prepareSaveDirectory(const QString& directory, const QString& what);

// The first name `stem` + "01" + `extension`, `stem` + "02" + `extension` ... up to 99 that is not
// taken in `directory`; "" when every counter is. Made things are saved under names of their
// own: nothing is ever replaced.
QString firstFreeNumberedName(const QString& directory, const QString& stem, const QString& extension);

// Writes `picture` under the name the save dialog returned, as JPEG (quality 100) for the
// filter that asks for it and as a 24-bit bitmap otherwise. A file of the final name is never
// replaced, even one that appears while the picture is written. Every failure is shown in a
// warning beginning with `failureLead` ("The anaglyph was not saved"); returns whether the
// picture was written.
bool savePicture(platform::Platform& platform, QWidget* parent, const imaging::ImageBuffer& picture, const QString& chosenPath,
                 int filterIndex, const QString& failureLead);

}  // namespace keldar::ui
