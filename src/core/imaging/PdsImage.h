#pragma once
// Reading of PDS image files (.IMG), the raw and reduced camera products of the rovers.
//
// A file starts with a PDS3 label: plain text "KEYWORD = value" statements up to a line
// "END". The label says where the image lies (^IMAGE: a record number, a byte offset with
// <BYTES>, or either inside "(file, n)") and how its samples are stored (OBJECT = IMAGE:
// LINES, LINE_SAMPLES, SAMPLE_TYPE, SAMPLE_BITS, BANDS, BAND_STORAGE_TYPE, LINE_PREFIX_BYTES,
// LINE_SUFFIX_BYTES). The rover products also carry a VICAR label (^IMAGE_HEADER, text
// starting with LBLSIZE=). A file that holds only a VICAR label is read as well.
//
// Samples of 8 or 16 bits, signed or unsigned, in either byte order, become an 8-bit grey
// picture by a linear stretch between the 2nd and 98th percentiles of all samples; a file
// with exactly three bands becomes a colour picture, the bands taken as red, green, blue with
// one stretch for all three so the colour balance stays. Other multi-band files show their
// first band.
//
// All functions work on bytes and never abort: every size the label gives is checked
// against the image limits of ImageFile.h and against the bytes actually present before any
// pixel memory is allocated, and a malformed label yields an error text.

#include "core/imaging/ImageFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace keldar::imaging {

// One statement of a PDS3 label. `object` is the name of the innermost OBJECT or GROUP the
// statement lies in ("" at the top level); names are upper case; `value` is the text after
// '=', trimmed, quotes kept, comments removed.
struct PdsKeyword {
    std::string object;
    std::string name;
    std::string value;
};

struct PdsLabel {
    // The PDS3 label from the first byte through the END line, with line ends as '\n';
    // empty for a file with only a VICAR label.
    std::string text;
    // The VICAR label without its padding; empty when the file has none.
    std::string vicarText;
    // Why a VICAR label the PDS3 label points at could not be read ("" when all is well);
    // it does not stop the image from being read.
    std::string vicarProblem;
    std::vector<PdsKeyword> keywords;

    // The value of `name` directly inside `object` ("" = top level); nullptr when absent.
    const std::string* find(std::string_view object, std::string_view name) const;
};

// The label as it is shown to a reader: the PDS3 text, then after a line "--- VICAR label ---"
// the VICAR label one item per line.
std::string pdsLabelDisplayText(const PdsLabel& label);

struct PdsLabelResult {
    PdsLabel label;
    std::string error;  // empty on success
    bool ok() const { return error.empty(); }
};

enum class PdsBandStorage { Sequential, LineInterleaved, SampleInterleaved };

// Where and how the samples lie, as read from the label and checked against the data size.
struct PdsImageLayout {
    std::uint64_t offset = 0;  // byte offset of the first image byte (line prefix included)
    int lines = 0;
    int samples = 0;  // per line
    int bands = 1;
    int bits = 8;  // 8 or 16
    bool isSigned = false;
    bool bigEndian = true;
    PdsBandStorage storage = PdsBandStorage::Sequential;
    std::uint64_t linePrefix = 0;
    std::uint64_t lineSuffix = 0;
    std::uint64_t dataBytes = 0;  // every band with prefixes and suffixes
};

struct PdsLayoutResult {
    PdsLabel label;
    PdsImageLayout layout;
    std::string error;
    bool ok() const { return error.empty(); }
};

// The two samples between which the grey ramp runs: `low` maps to 0, `high` to 255.
// They are the sample values at ranks ceil(2 % × n) and ceil(98 % × n) of all n samples.
// When they are equal the picture is mid-grey (128), darker and lighter samples 0 and 255.
struct PdsStretch {
    int low = 0;
    int high = 0;
};

// Where a product's bytes come from: memory, or a file read a piece at a time, so that a
// label or a line is read without the rest of a product of hundreds of megabytes.
class PdsSource {
public:
    virtual ~PdsSource() = default;
    virtual std::uint64_t size() const = 0;
    // The `n` bytes at `offset`, in `buffer` or straight from memory; nullptr, with `error`
    // set, when they are not all there or cannot be read.
    virtual const std::uint8_t* fetch(std::uint64_t offset, std::size_t n, std::vector<std::uint8_t>& buffer,
                                      std::string& error) const = 0;
    // The file `name` that a label's pointer names, beside this one; nullptr with `error` ""
    // when `name` is this file itself. Bytes in memory have no place beside them.
    virtual std::unique_ptr<PdsSource> sibling(const std::string& name, std::string& error) const;
};

// A product file: opened without blocking, regular files only (a FIFO or a device is
// refused with a message), read with pread.
class PdsFileSource final : public PdsSource {
public:
    PdsFileSource() = default;
    ~PdsFileSource() override;
    PdsFileSource(const PdsFileSource&) = delete;
    PdsFileSource& operator=(const PdsFileSource&) = delete;
    std::string open(const std::string& path);
    std::uint64_t size() const override { return size_; }
    const std::uint8_t* fetch(std::uint64_t offset, std::size_t n, std::vector<std::uint8_t>& buffer,
                              std::string& error) const override;
    // Found in the same directory, the name compared without regard to case (archive volumes
    // write names in lower case, labels print them in upper case).
    std::unique_ptr<PdsSource> sibling(const std::string& name, std::string& error) const override;

private:
    std::string path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

bool equalsNoCaseText(std::string_view a, std::string_view b);

// Rows of a PDS picture as 24-bit blue, green, red rows from the top. Opening reads the
// samples once for the stretch; each row then reads its line again. No more than a line of
// the file is held, whatever its size.
class PdsRowDecoder {
public:
    PdsRowDecoder();
    ~PdsRowDecoder();
    PdsRowDecoder(const PdsRowDecoder&) = delete;
    PdsRowDecoder& operator=(const PdsRowDecoder&) = delete;

    std::string open(const std::string& path);  // errors name the path
    // Over a source that outlives the decoder.
    std::string openSource(const PdsSource& source);
    int width() const;
    int height() const;
    const PdsStretch& stretch() const;
    // Fills the next row (width × 3 bytes); false after the last row or on an error.
    bool nextRow(std::uint8_t* out);
    const std::string& error() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// True when the bytes begin like a PDS3 label (PDS_VERSION_ID or ODL_VERSION_ID) or a
// VICAR label (LBLSIZE=); leading blanks are allowed.
bool looksLikePdsImage(const std::uint8_t* data, std::size_t size);

PdsLabelResult readPdsLabel(const std::uint8_t* data, std::size_t size);
// Reads the labels of the file, and nothing past them; errors name the path.
PdsLabelResult readPdsLabelFile(const std::string& path);

PdsLayoutResult readPdsLayout(const std::uint8_t* data, std::size_t size);

// Safe on any bytes; fills `stretch` (when given) on success. Bytes in memory cannot name
// another file for their samples: a label that does is refused.
ImageResult decodePdsImage(const std::uint8_t* data, std::size_t size, PdsStretch* stretch = nullptr);
// The same from a file, a line at a time, so the file is never held whole; samples in the
// file a label names (^IMAGE = ("OTHER.IMG", n)) are read from it when it lies beside.
ImageResult readPdsImageFile(const std::string& path, PdsStretch* stretch = nullptr);

// The items of a VICAR label in order, as (name, value) with quotes kept: "LBLSIZE", "14336".
std::vector<std::pair<std::string, std::string>> splitVicarLabel(std::string_view text);

}  // namespace keldar::imaging
