#pragma once
// A directory's pictures as one contact sheet: the gallery's thumbnails under its group
// headings, each with its identifier and local solar time, to share a sol's overview.

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "core/gallery/Grouping.h"
#include "core/imaging/ImageBuffer.h"

namespace keldar::gallery {

struct SheetOptions {
    int size = 128;   // thumbnails fit within size x size
    int columns = 0;  // 0: as many as make the sheet about half again as wide as it is high
    int jobs = 2;     // thumbnails made at once
};

struct ContactSheet {
    imaging::ImageBuffer image;
    int pictures = 0;
    int groups = 0;
    std::vector<std::string> failures;  // "path: reason" for each picture shown as a placeholder
    std::string error;                  // no sheet at all
    bool ok() const { return error.empty(); }
};

// The sheet of `groups`; `progress` is told thumbnails made of all. A picture that cannot be
// read is a placeholder with its reason among the failures; none readable is an error.
ContactSheet makeContactSheet(const std::vector<GalleryGroup>& groups, const SheetOptions& options,
                              const std::function<void(int done, int total)>& progress = {},
                              const std::atomic<bool>* stop = nullptr);

}  // namespace keldar::gallery
