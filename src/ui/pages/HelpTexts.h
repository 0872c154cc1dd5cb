#pragma once
// The prose of the help pages, kept apart from the windows that show it. Each text is Qt rich
// text (a small subset of HTML).

#include <QString>

namespace keldar::ui {

QString quickStartHelpText();
QString colourHelpText();
QString anaglyphHelpText();
// "Usage." and its 26 numbered points.
QString usageHelpText();

}  // namespace keldar::ui
