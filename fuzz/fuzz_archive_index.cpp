// Any bytes as an archive index label and one of its records, as a server might send them:
// the label and record readers return a message or values, an index row never names a path
// outside the archive or a file name with a path in it, and its detached label reads back.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "core/archive/ArchiveIndex.h"
#include "core/imaging/PdsImage.h"

using namespace keldar::archive;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string label = in.ConsumeRandomLengthString(4096);
    const std::string record = in.ConsumeRandomLengthString(8192);
    const IndexTableResult table = readIndexLabel(label);
    FUZZ_CHECK(table.ok() || !table.error.empty(), "label refused without a message");
    if (!table.ok()) return 0;
    for (const IndexColumn& c : table.table.columns) {
        FUZZ_CHECK(c.startByte >= 1 && c.startByte - 1 + c.bytes <= table.table.rowBytes, "a column outside the record");
        FUZZ_CHECK(c.items <= 1 || (c.items - 1) * c.itemOffset + c.itemBytes <= c.bytes, "an item outside its column");
    }
    // The record length the table's bytes give is the label's or one more, and ends in a line end.
    IndexTable cut = table.table;
    const RecordStride stride = recordStride(cut.rowBytes, record);
    FUZZ_CHECK(stride.ok() != !stride.error.empty(), "a stride both taken and refused");
    if (stride.ok()) {
        FUZZ_CHECK(stride.stride == cut.rowBytes || stride.stride == cut.rowBytes + 1, "a stride the label contradicts");
        FUZZ_CHECK(record[stride.stride - 1] == '\n', "a stride that does not end in a line end");
        cut.stride = stride.stride;
        const RecordCount counted = recordCount(cut, record.size());
        FUZZ_CHECK(counted.rows * cut.stride <= record.size(), "more records counted than the bytes hold");
        std::string cutError;
        const std::optional<IndexRow> first = IndexRow::parse(cut, std::string_view(record).substr(0, cut.stride), cutError);
        FUZZ_CHECK(first.has_value() || !cutError.empty(), "a cut record refused without a message");
    }
    std::string error;
    const std::optional<IndexRow> row = IndexRow::parse(table.table, record, error);
    FUZZ_CHECK(row.has_value() || !error.empty(), "record refused without a message");
    if (!row) return 0;
    const std::string id = row->productId();
    FUZZ_CHECK(id.empty() || (id.size() == 27 && id.find_first_of("/.") == std::string::npos), "an identifier a path could be made of");
    for (const int rover : {1, 2}) {
        for (const std::string& path : {browsePath(rover, *row), dataPath(rover, *row)}) {
            FUZZ_CHECK(path.find("/../") == std::string::npos && path.find("/./") == std::string::npos &&
                           path.find("//") == std::string::npos && path.rfind("../", 0) != 0,
                       "a path out of the archive");
            FUZZ_CHECK(path.empty() || path.front() != '/', "an absolute path");
        }
    }
    ProductQuery query;
    query.firstSol = 0;
    query.lastSol = 100000;
    if (matches(query, *row)) FUZZ_CHECK(!id.empty(), "a product without an identifier");
    const std::string detached = detachedLabel(*row, "X.JPG");
    const keldar::imaging::PdsLabelResult back = keldar::imaging::readPdsLabel(
        reinterpret_cast<const std::uint8_t*>(detached.data()), detached.size());
    FUZZ_CHECK(back.ok(), "the detached label does not read back");
    return 0;
}
