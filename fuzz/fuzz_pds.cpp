// Any bytes as a PDS product (.IMG): the label parser and the image decoder must return with a
// message or a picture inside the limits, and the row reader must give the same rows.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "FuzzCheck.h"
#include "core/imaging/ImageFile.h"
#include "core/imaging/PdsImage.h"

using namespace keldar::imaging;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const PdsLabelResult label = readPdsLabel(data, size);
    FUZZ_CHECK(label.ok() || !label.error.empty(), "label failure without a message");
    if (label.ok()) (void)pdsLabelDisplayText(label.label);

    const ImageResult whole = decodePdsImage(data, size);
    FUZZ_CHECK(whole.ok() || !whole.error.empty(), "failure without a message");
    FUZZ_CHECK(whole.ok() || whole.image.isEmpty(), "failed decode kept pixels");
    if (!whole.ok()) return 0;
    FUZZ_CHECK(checkImageLimits(whole.image.width(), whole.image.height()).empty(), "picture outside the limits");

    ImageRowReader reader;
    FUZZ_CHECK(reader.openBytes(data, size, ImageFileKind::Pds, "input").empty(), "row reader refused a decoded picture");
    FUZZ_CHECK(reader.width() == whole.image.width() && reader.height() == whole.image.height(), "sizes differ");
    const std::size_t rowBytes = static_cast<std::size_t>(whole.image.width()) * 3;
    for (int y = 0; y < whole.image.height(); ++y) {
        const std::uint8_t* row = reader.nextRow();
        FUZZ_CHECK(row != nullptr && std::memcmp(row, whole.image.row(y), rowBytes) == 0, "rows differ");
    }
    FUZZ_CHECK(reader.nextRow() == nullptr, "a row past the last");

    // The same bytes as a file, read a line at a time, give the same rows.
    static const int fd = ::memfd_create("fuzz-pds", MFD_CLOEXEC);
    FUZZ_CHECK(fd >= 0, "no in-memory file");
    FUZZ_CHECK(::ftruncate(fd, 0) == 0 && ::pwrite(fd, data, size, 0) == static_cast<ssize_t>(size), "write failed");
    PdsRowDecoder file;
    FUZZ_CHECK(file.open("/proc/self/fd/" + std::to_string(fd)).empty(), "the file decoder refused a decoded picture");
    FUZZ_CHECK(file.width() == whole.image.width() && file.height() == whole.image.height(), "file sizes differ");
    std::vector<std::uint8_t> row(rowBytes);
    for (int y = 0; y < whole.image.height(); ++y)
        FUZZ_CHECK(file.nextRow(row.data()) && std::memcmp(row.data(), whole.image.row(y), rowBytes) == 0, "file rows differ");
    FUZZ_CHECK(!file.nextRow(row.data()), "a file row past the last");
    return 0;
}
