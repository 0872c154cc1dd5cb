#include "ui/pages/SpiritMapsUnit9.h"

namespace keldar::ui {

// Its "Print" button is enabled but does nothing.
TForm9::TForm9(Workbench& workbench, platform::Platform& platform)
    : TraverseMapViewer(workbench, platform,
                        {QStringLiteral("TForm9"), QStringLiteral("Spirit Traverse Maps"), QStringLiteral("Spirit"),
                         QSize(740, 555), QSize(713, 489), true, 2u}) {}

}  // namespace keldar::ui
