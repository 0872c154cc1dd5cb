// Any bytes as a JPEG (when they start with 0xFF) or a BMP file, read two ways: the whole-image
// decoder and the row reader must agree on success, size and pixels; a decoded picture must
// survive our own BMP encoder unchanged and our JPEG encoder at its size.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "core/imaging/ImageFile.h"

namespace {

using namespace keldar::imaging;

// Larger pictures are legal but make an execution take milliseconds (a short file may
// declare a huge JPEG whose missing rows are only found row by row); the decoders' size
// checks themselves run on every input, since the header is read before this cap applies.
constexpr long long kMaxFuzzPixels = 512 * 512;

bool samePixels(const ImageBuffer& a, const ImageBuffer& b) { return a == b; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ImageFileKind kind = size > 0 && data[0] == 0xFF ? ImageFileKind::Jpeg : ImageFileKind::Bmp;

    ImageRowReader reader;
    const std::string openError = reader.openBytes(data, size, kind, "input");
    if (openError.empty()) {
        FUZZ_CHECK(reader.width() > 0 && reader.height() > 0, "row reader opened an empty picture");
        if (static_cast<long long>(reader.width()) * reader.height() > kMaxFuzzPixels) return 0;
    }

    const ImageResult whole = kind == ImageFileKind::Jpeg ? decodeJpeg(data, size) : decodeBmp(data, size);
    FUZZ_CHECK(whole.ok() || !whole.error.empty(), "failure without a message");
    FUZZ_CHECK(whole.ok() || whole.image.isEmpty(), "failed decode kept pixels");

    bool rowsOk = openError.empty();
    ImageBuffer rows;
    if (rowsOk) {
        rows.resize(reader.width(), reader.height());
        for (int y = 0; y < reader.height(); ++y) {
            const std::uint8_t* row = reader.nextRow();
            if (row == nullptr) {
                FUZZ_CHECK(!reader.error().empty(), "row reader stopped early without a message");
                rowsOk = false;
                break;
            }
            std::memcpy(rows.row(y), row, static_cast<std::size_t>(reader.width()) * 3);
        }
        if (rowsOk) FUZZ_CHECK(reader.nextRow() == nullptr, "row reader gave a row past the last one");
        if (!reader.finish().empty()) rowsOk = false;
    }
    FUZZ_CHECK(whole.ok() == rowsOk, "whole-image decode and row reader disagree on success");
    if (!whole.ok()) return 0;
    FUZZ_CHECK(whole.image.width() == rows.width() && whole.image.height() == rows.height(),
               "whole-image decode and row reader disagree on size");
    FUZZ_CHECK(samePixels(whole.image, rows), "whole-image decode and row reader disagree on pixels");

    std::vector<std::uint8_t> bmp;
    FUZZ_CHECK(encodeBmpTo(whole.image, bmp).empty(), "BMP encoder refused a decoded picture");
    const ImageResult bmpBack = decodeBmp(bmp.data(), bmp.size());
    FUZZ_CHECK(bmpBack.ok(), "our own BMP does not decode");
    FUZZ_CHECK(samePixels(bmpBack.image, whole.image), "BMP round trip changed pixels");

    std::vector<std::uint8_t> jpeg;
    FUZZ_CHECK(encodeJpegTo(whole.image, jpeg, 90).empty(), "JPEG encoder refused a decoded picture");
    const ImageResult jpegBack = decodeJpeg(jpeg.data(), jpeg.size());
    FUZZ_CHECK(jpegBack.ok(), "our own JPEG does not decode");
    FUZZ_CHECK(jpegBack.image.width() == whole.image.width() && jpegBack.image.height() == whole.image.height(),
               "JPEG round trip changed the size");
    return 0;
}
