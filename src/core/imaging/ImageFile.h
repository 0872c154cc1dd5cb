#pragma once
// Reading and writing of image files into 24-bit image buffers.
//
// The file type follows the extension, compared without regard to case: ".jpg" and ".jpeg"
// are JPEG, ".img" is a PDS image (read only, see PdsImage.h), anything else is read as BMP. Every image read is converted to 24 bits per pixel.
// JPEG files are written at quality 100 without chroma subsampling (4:4:4), because an
// anaglyph or a colour composite carries most of its information in the chroma; BMP files
// are written as 24-bit bottom-up files.
//
// Failures never abort: readers return an ImageResult with an error text, writers return the
// error text ("" on success). Writers first write a temporary file in the destination's
// directory and rename it over the destination, so a failed write leaves no partial file.

#include "core/imaging/ImageBuffer.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace keldar::imaging {

// Decoded-size limits, checked from the file header before any pixel memory is allocated:
// at most kMaxImageSide pixels per side and at most kMaxImageBytes bytes of 24-bit buffer
// (stride × height). A 16384 × 5461 or 9000 × 9000 image fits; 16384 × 16384 does not.
inline constexpr int kMaxImageSide = 16384;
inline constexpr std::size_t kMaxImageBytes = std::size_t{256} * 1024 * 1024;

// Files larger than this are refused before they are read into memory.
inline constexpr std::size_t kMaxImageFileBytes = std::size_t{512} * 1024 * 1024;

struct ImageResult {
    ImageBuffer image;
    std::string error;  // empty on success
    bool ok() const { return error.empty(); }
};

enum class ImageFileKind { Jpeg, Bmp, Pds };

// ".jpg"/".jpeg" in any case is JPEG, ".img" is PDS; every other name, including one without
// extension, is BMP.
ImageFileKind imageFileKindFor(const std::string& path);

// Error text when a width × height image is outside the limits above, "" when it fits.
std::string checkImageLimits(long long width, long long height);

ImageResult readImageFile(const std::string& path);
ImageResult decodeJpeg(const std::uint8_t* data, std::size_t size);
ImageResult decodeBmp(const std::uint8_t* data, std::size_t size);

// A JPEG decoded to be shown: as 32-bit blue, green, red, 0xFF pixels (the form a screen
// takes them in, so no conversion pass follows), at 1/8, 1/4 or 1/2 of its size where that
// still covers the size asked for (libjpeg's reduced DCTs, far cheaper than a full decode),
// else in full. A reduced picture is never a substitute for the full one wherever its pixels
// are used; a full one has the very pixels readImageFile gives, in another byte layout.
struct DisplayDecode {
    int fullWidth = 0;  // the picture's own size
    int fullHeight = 0;
    int width = 0;  // as decoded
    int height = 0;
    std::unique_ptr<std::uint8_t[]> pixels;  // width * 4 bytes a row
    // False, without an error, for a JPEG that is neither plain grey nor colour: the caller
    // decodes it with readImageFile.
    bool decoded = false;
    std::string error;  // the file could not be read or does not decode
};
DisplayDecode readJpegForDisplay(const std::string& path, const std::function<std::pair<int, int>(int, int)>& needed);

// What a write does when its destination exists when the new file is moved into place. The
// workbench's saves keep it (a file that appeared after the dialog is never replaced); the
// command line replaces it, as command line tools do.
enum class ExistingFile { Replace, Keep };

// Returns "" on success, otherwise a message naming the path and the cause.
// Kind by extension; a ".img" name is refused, so a PDS product is never overwritten by a BMP.
std::string writeImageFile(const ImageBuffer& image, const std::string& path);
std::string writeJpegFile(const ImageBuffer& image, const std::string& path, int quality = 100,
                          ExistingFile existing = ExistingFile::Replace);
std::string writeBmpFile(const ImageBuffer& image, const std::string& path,
                         ExistingFile existing = ExistingFile::Replace);

// In-memory encoders. encodeJpegTo/encodeBmpTo return "" on success and fill `out`;
// encodeJpeg returns an empty vector on failure (empty image, quality outside 1..100).
std::string encodeJpegTo(const ImageBuffer& image, std::vector<std::uint8_t>& out, int quality = 100);
std::vector<std::uint8_t> encodeJpeg(const ImageBuffer& image, int quality = 100);
std::string encodeBmpTo(const ImageBuffer& image, std::vector<std::uint8_t>& out);

// "" unless `path` names a PDS product (".img"), which no writer replaces: then the refusal.
std::string refusePdsDestination(const std::string& path);
// "" unless `output` is one of `inputs` (the same name, or the same file by device and inode):
// then the refusal, since writing it would destroy the picture being read.
std::string refuseOverwritingInput(const std::string& output, const std::vector<std::string>& inputs);

// Removes the temporary files of writes in `directory` whose process is gone (killed before
// its rename); those of a live process are left alone. Returns how many went.
int removeStaleTemporaryFiles(const std::string& directory);

// Writes bytes to `path` through a temporary file in the same directory and a rename.
std::string writeFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size,
                                ExistingFile existing = ExistingFile::Replace);

// Row-by-row reading, for work that needs one row of each input at a time: rows are read
// from the file and decoded as they are asked for, so neither the picture nor the file is
// held whole (a BMP's rows are read from wherever they lie; most files store them bottom-up).
// A PDS image is read whole first, since its stretch needs every sample.
// Rows come from the top, as blue, green, red bytes.
class ImageRowReader {
public:
    ImageRowReader();
    ~ImageRowReader();
    ImageRowReader(const ImageRowReader&) = delete;
    ImageRowReader& operator=(const ImageRowReader&) = delete;

    // Reads the file and its header (same kinds, limits and messages as readImageFile).
    std::string open(const std::string& path);
    // The same over bytes already in memory (copied); `name` prefixes the error texts.
    std::string openBytes(const std::uint8_t* data, std::size_t size, ImageFileKind kind, const std::string& name);
    int width() const;
    int height() const;
    // The next row, valid until the following call; nullptr on a decoding error (see error())
    // or after the last row.
    const std::uint8_t* nextRow();
    // The same row written into `target` (width × 3 bytes), which spares a copy; false where
    // nextRow() gives nullptr.
    bool nextRowInto(std::uint8_t* target);
    // Decodes the rows not asked for, so that damage anywhere in the file is reported, and
    // returns the first error met, or "".
    std::string finish();
    const std::string& error() const;

private:
    std::string start(ImageFileKind kind, std::size_t size);
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Row-by-row JPEG writing (quality as writeJpegFile, 4:4:4) into a temporary file next to the
// destination; commit() renames it into place. A writer destroyed without a successful
// commit removes its temporary file, so an abandoned or failed write leaves nothing behind.
class JpegRowWriter {
public:
    JpegRowWriter();
    ~JpegRowWriter();
    JpegRowWriter(const JpegRowWriter&) = delete;
    JpegRowWriter& operator=(const JpegRowWriter&) = delete;

    std::string open(const std::string& path, int width, int height, int quality = 100,
                     ExistingFile existing = ExistingFile::Replace);
    // Rows from the top, width × 3 bytes of blue, green, red each.
    std::string writeRow(const std::uint8_t* row);
    // After the last row: completes the file and moves it to the destination.
    std::string commit();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Row-by-row writing of a 24-bit BMP, byte for byte the file writeBmpFile writes, through a
// temporary file next to the destination like JpegRowWriter. The file is bottom-up, so each
// row goes straight to its place in a file of known size; nothing but one row is held.
class BmpRowWriter {
public:
    BmpRowWriter();
    ~BmpRowWriter();
    BmpRowWriter(const BmpRowWriter&) = delete;
    BmpRowWriter& operator=(const BmpRowWriter&) = delete;

    std::string open(const std::string& path, int width, int height, ExistingFile existing = ExistingFile::Replace);
    // Rows from the top, width × 3 bytes of blue, green, red each.
    std::string writeRow(const std::uint8_t* row);
    // After the last row: moves the file to the destination.
    std::string commit();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace keldar::imaging
