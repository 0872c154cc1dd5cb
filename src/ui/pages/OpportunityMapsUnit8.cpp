#include "ui/pages/OpportunityMapsUnit8.h"

namespace keldar::ui {

TForm8::TForm8(Workbench& workbench, platform::Platform& platform)
    : TraverseMapViewer(workbench, platform,
                        {QStringLiteral("TForm8"), QStringLiteral("Opportunity Traverse Maps"),
                         QStringLiteral("Opportunity"), QSize(540, 560), QSize(513, 497), false, 1u}) {}

}  // namespace keldar::ui
