#pragma once
// Small pictures for a gallery of a directory, read as cheaply as each format allows, since a
// directory may hold thousands of pictures and the gallery wants them all soon.
//
// A JPEG is decoded at 1/8, 1/4 or 1/2 of its size where that still covers the thumbnail
// (libjpeg's reduced DCTs), a BMP and a PDS product have only a few rows of each thumbnail row
// read, and a PDS product's 2 %-98 % stretch is taken from those rows alone. What is read is
// then averaged down to the exact size. The result is close to, not equal to, the full
// picture scaled down: a thumbnail is never a substitute for the picture.
//
// readThumbnail keeps no state between calls and may run on any number of threads at once.

#include <cstdint>
#include <string>
#include <vector>

namespace keldar::imaging {

struct Thumbnail {
    int width = 0, height = 0;
    int channels = 1;                   // 1: grey (as the rovers' cameras give), 3: blue, green, red
    std::vector<std::uint8_t> pixels;   // packed rows, top down
    int fullWidth = 0, fullHeight = 0;  // the picture's own size
    std::string error;                  // why there is no thumbnail ("" when there is)
    bool ok() const { return error.empty(); }
};

// A thumbnail that fits within side x side, keeping the proportions (never larger than the
// picture, and at least one pixel each way). The kind of file follows its name as for
// readImageFile; a picture whose pixels are all grey gives one channel. Files that are not
// regular files are refused without being read, so a FIFO never blocks.
Thumbnail readThumbnail(const std::string& path, int side);

}  // namespace keldar::imaging
