#pragma once
// keldar-cli gallery: a directory's pictures as one contact sheet under the gallery's headings.

#include <string>
#include <vector>

namespace keldar::cli {

// DIR OUT [--size N] [--columns N] [--jobs N]
int runGalleryCommand(const std::vector<std::string>& args);
const char* galleryCommandUsage();

}  // namespace keldar::cli
