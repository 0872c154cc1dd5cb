#pragma once
// What the image file readers, writers and row streams share: libjpeg glue, the BMP layout,
// file reading, the temporary file behind every write. Not part of the public interface.

#include "core/imaging/ImageFile.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstring>
#include <memory>
#include <string>

#include <jpeglib.h>

namespace keldar::imaging::detail {

inline std::string errnoText(int err) { return std::strerror(err); }

// ---------------------------------------------------------------------------------------------
// JPEG (JpegFile.cpp)

// libjpeg reports fatal errors through error_exit, whose default ends the process. This
// manager jumps back to the caller with the formatted message instead.
struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void initJpegErrors(JpegErrorManager& mgr);

// Adobe CMYK/YCCK JPEGs store inverted ink values; converting them keeps such files
// readable instead of refusing them.
void cmykRowToBgr(const std::uint8_t* in, std::uint8_t* out, int width, bool inverted);

// Reads the header from the source set on `cinfo`, checks the limits and starts decompression
// into blue, green, red rows (or CMYK rows for ink-based files). Must run inside a frame that
// has called setjmp on the error manager; no object with a destructor may live in this frame.
// Returns false, with `error` set, when the picture is outside the limits.
bool beginJpegDecompress(jpeg_decompress_struct& cinfo, std::string& error, bool& cmyk);

// Quality `quality`, blue-green-red input rows, every component at full resolution (4:4:4).
void configureJpegCompress(jpeg_compress_struct& cinfo, int width, int height, int quality);

// libjpeg destination that writes straight into a file descriptor, so an encoded picture is
// never held whole in memory. Write failures end the compression through the error manager.
struct FdDestination {
    jpeg_destination_mgr pub;
    int fd;
    int writeErrno;
    JOCTET* buffer;
};

void fdInitDestination(j_compress_ptr cinfo);
boolean fdEmptyOutputBuffer(j_compress_ptr cinfo);
void fdTermDestination(j_compress_ptr cinfo);

// libjpeg source that reads a file descriptor a buffer at a time, so that a JPEG decoded row
// by row never has its whole file in memory. The end of the file inside the picture is
// reported as libjpeg's memory source reports it (a premature end, which the error manager
// turns into an error); a read failure ends the decompression with its errno kept.
struct FdSource {
    jpeg_source_mgr pub;
    int fd;
    int readErrno;
    JOCTET* buffer;
    std::size_t capacity;
};

void fdInitSource(j_decompress_ptr);
void fdTermSource(j_decompress_ptr);
boolean fdFillInputBuffer(j_decompress_ptr cinfo);
void fdSkipInputData(j_decompress_ptr cinfo, long count);

constexpr std::size_t kSourceBufferBytes = 256 * 1024;

// ---------------------------------------------------------------------------------------------
// BMP (BmpFile.cpp)

// One colour channel described by a bit mask (16- and 32-bit BMPs): shift it down and widen
// it to 8 bits with rounding.
struct MaskChannel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit MaskChannel(std::uint32_t m) : mask(m) {
        if (mask == 0) return;
        while (((mask >> shift) & 1u) == 0) ++shift;
        max = mask >> shift;
    }
    std::uint8_t operator()(std::uint32_t px) const {
        if (max == 0) return 0;
        const std::uint64_t v = (px & mask) >> shift;
        return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
    }
};

// What a BMP file's headers say about its pixels: enough to decode any of its rows.
struct BmpLayout {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    bool topDown = false;
    std::uint32_t pixelOffset = 0;
    std::uint64_t rowBytes = 0;  // one file row, fill included
    MaskChannel red{0}, green{0}, blue{0};
    std::uint8_t palette[256][3] = {};

    std::uint64_t fileRowOffset(int y) const {
        return pixelOffset + rowBytes * static_cast<std::uint64_t>(topDown ? y : height - 1 - y);
    }
};

// Every header, palette and mask of a BMP lies within its first bytes up to this many.
constexpr std::size_t kBmpHeadersMaxBytes = 14 + 124 + 256 * 4;

// Checks and reads the headers of a BMP file of `size` bytes, of which `data` holds at least
// the first min(size, kBmpHeadersMaxBytes); "" or what is wrong with the file.
std::string parseBmpHeaders(const std::uint8_t* data, std::size_t size, BmpLayout& layout);

// Decodes one file row, `in` (layout.rowBytes bytes), into blue, green, red bytes.
void decodeBmpRow(const BmpLayout& layout, const std::uint8_t* in, std::uint8_t* out);

constexpr std::size_t kBmpHeaderBytes = 54;

// The file header and info header of a 24-bit bottom-up BMP; "" or why no such file can hold
// the picture.
std::string makeBmpHeader(int width, int height, std::uint8_t (&h)[kBmpHeaderBytes]);

// ---------------------------------------------------------------------------------------------
// Reading files (ImageFile.cpp)

// The bytes of a whole file. Left uninitialised before the read fills them: zeroing a
// buffer that is overwritten at once costs a pass over fresh memory.
struct FileBytes {
    std::unique_ptr<std::uint8_t[]> storage;
    std::size_t size = 0;
    const std::uint8_t* data() const { return storage.get(); }
};

// Opens an image file for reading after the checks every reader makes; on success `fd` is
// open and `size` is the file's size.
// Why a file that is not a regular one is not read ("not a regular file but a FIFO ...").
std::string notRegularFileText(unsigned mode);
std::string openImageFile(const std::string& path, int& fd, std::size_t& size);

std::string readWholeFile(const std::string& path, FileBytes& out);

// ---------------------------------------------------------------------------------------------
// Writing files (AtomicWrite.cpp)

// A temporary file next to a destination, renamed over it on commit and removed otherwise.
class TempFile {
public:
    TempFile() = default;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() { discard(); }

    std::string create(const std::string& path, ExistingFile existing = ExistingFile::Replace);
    int fd() const { return fd_; }
    std::string writeAll(const std::uint8_t* data, std::size_t size);
    std::string writeAllAt(const std::uint8_t* data, std::size_t size, std::uint64_t offset);
    // Sets the file to `size` bytes, claiming the disk space at once where the file system
    // can, so that a full disk is reported before any work is spent on the rows.
    std::string reserve(std::uint64_t size);
    // Makes the bytes durable, then moves them into place in one step.
    std::string commit();
    void discard();
    std::string failure(int err);

private:
    // The existence check and the move are one step, so a file that appears in between is
    // never replaced. File systems without that step get a hard link, and failing that a
    // check just before the rename.
    std::string moveIntoPlaceKeepingExisting();

    std::string destination_;
    std::string temp_;
    ExistingFile existing_ = ExistingFile::Replace;
    int fd_ = -1;
};

}  // namespace keldar::imaging::detail
