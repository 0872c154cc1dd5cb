#pragma once
// The PDS imaging archive's product index (index/edrindex.lbl and .tab of each volume): the
// label that says where each column lies in the fixed-length records, the records as typed
// values, the query "products of a rover, cameras, sols, eye and filter", where each product
// lies in the archive, and the search of a sol's records by their positions in the table.
// No network here: whatever reads records is handed in.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace keldar::archive {

enum class ColumnType { Character, Integer, Real, Time, Other };

struct IndexColumn {
    std::string name;      // upper case, as the label gives it
    std::string dataType;  // "CHARACTER", "ASCII_INTEGER", ...
    ColumnType type = ColumnType::Other;
    std::size_t startByte = 0;  // 1-based, as in the label
    std::size_t bytes = 0;
    // A column of several items (ROVER_MOTION_COUNTER: site, drive, IDD, PMA, HGA) holds each
    // item in a field of its own: itemBytes wide, itemOffset apart.
    std::size_t items = 1;
    std::size_t itemBytes = 0;
    std::size_t itemOffset = 0;
};

struct IndexTable {
    std::size_t rowBytes = 0;  // RECORD_BYTES (ROW_BYTES of the table when it has none)
    std::uint64_t rows = 0;    // FILE_RECORDS or ROWS; 0 when the label gives no usable count
    // What the label said of the count, as it said it ("" when it said nothing), for messages.
    std::string rowsText;
    bool rowsGiven = false;  // FILE_RECORDS or ROWS was a count
    // The distance from one record to the next in the table's own bytes: the label's length
    // plus the line end that the archive's tables carry beyond it. 0 until the table's first
    // bytes were seen (recordStride); records are then cut at this distance.
    std::size_t stride = 0;
    // ^INDEX_TABLE's file name in lower case, as the archive serves it ("" when not a plain name).
    std::string tableFile;
    std::vector<IndexColumn> columns;
    const IndexColumn* column(std::string_view name) const;
};

struct IndexTableResult {
    IndexTable table;
    std::string error;
    bool ok() const { return error.empty(); }
};

// Reads the label (a PDS3 label whose INDEX_TABLE object holds one COLUMN object per column);
// a column that does not fit the record, or a label without the columns a product needs
// (PLANET_DAY_NUMBER, and PRODUCT_ID or FILE_NAME), is refused with a message. PATH_NAME and
// FILE_NAME may be missing: the descent camera's index has neither.
IndexTableResult readIndexLabel(std::string_view labelText);

// The record length of a table, from its first bytes: up to and including the first line end
// (LF, or CR LF). The archive's tables end each record with CR LF beyond the label's
// RECORD_BYTES, so the label's length or one more is taken; anything else, or no line end
// where a record should end, is an error that names both numbers. Never guess past it.
struct RecordStride {
    std::size_t stride = 0;
    std::string error;
    bool ok() const { return error.empty(); }
};
RecordStride recordStride(std::size_t labelRecordBytes, std::string_view firstBytes);

// How many records a table of `tableBytes` holds, against what the label said: the label's
// count when it agrees, otherwise the table's own and a note saying why ("" when they agree).
struct RecordCount {
    std::uint64_t rows = 0;
    std::string note;
};
RecordCount recordCount(const IndexTable& table, std::uint64_t tableBytes);

// One record, cut at the label's positions. Text fields lose their quotes and padding; the
// items of a multi-item column are read one by one and kept as "(a, b, c)".
class IndexRow {
public:
    // nullopt, with `error` set, for a record shorter than the columns reach, or (with the
    // table's stride known) a record of that length whose line end is not where it must be.
    static std::optional<IndexRow> parse(const IndexTable& table, std::string_view record, std::string& error);

    // The field as text ("" when the table has no such column).
    std::string text(std::string_view name) const;
    bool has(std::string_view name) const;
    // The items of a multi-item column (one item for a plain column, none when absent).
    std::vector<std::string> items(std::string_view name) const;
    std::optional<long long> integer(std::string_view name) const;
    std::optional<double> real(std::string_view name) const;
    // Every field, in the table's order: (column, text). The row keeps its own copy of the
    // columns, so it outlives the table it was read with.
    const std::vector<std::pair<IndexColumn, std::string>>& fields() const { return fields_; }

    // The product identifier in upper case: PRODUCT_ID, or the file name without extension;
    // "" unless it is 27 letters, digits or "_" (an index row cannot name a path this way).
    std::string productId() const;
    // PLANET_DAY_NUMBER; nullopt when it is not a number.
    std::optional<int> sol() const;

private:
    std::vector<std::pair<IndexColumn, std::string>> fields_;
};

// What a user asks for. An empty camera list means every camera of the volumes searched.
struct ProductQuery {
    int rover = 2;                  // 1 Opportunity, 2 Spirit
    std::vector<char> cameras;      // identifier camera letters: P, N, F, R, M, E
    int firstSol = 1;
    int lastSol = 1;
    char eye = 0;                   // 'L', 'R', or 0 for both
    char filter = 0;                // filter digit '0'..'8', or 0 for any
};

// True when the row is a product of the query (by its identifier and its sol).
bool matches(const ProductQuery& query, const IndexRow& row);

// Where things are, relative to the archive base (".../img/data/mer/"):
// "spirit/mer2no_0xxx/index/edrindex.lbl", ".../edrindex.tab" (or the label's own table name
// in lower case), "spirit/mer2no_0xxx/browse/sol0100/edr/<id>.img.jpg" and the row's own data
// path (PATH_NAME + FILE_NAME under the rover folder; for an index without those columns, the
// archive's rule: "<volume>/data/sol0100/edr/<id>.img" in lower case). "" when the rover or
// camera has no volume, or the row's path would leave the archive.
std::string indexLabelPath(int rover, char camera);
std::string indexTablePath(int rover, char camera, const std::string& tableFile = {});
std::string browsePath(int rover, const IndexRow& row);
std::string dataPath(int rover, const IndexRow& row);
// The same path in the archive's second form, without the rover folder ("mer2no_0xxx/...").
std::string withoutRoverFolder(int rover, const std::string& path);
// The volume letters that hold a camera: F and R share the HAZCAM volume.
std::vector<char> volumeCameras(const std::vector<char>& cameras);

// The first record whose sol is at least `firstSol`, found by a binary search over the record
// positions with `solAt` (which reads one record; nullopt when it cannot): about log2(rows)
// reads. Every record read is checked against the others read, the first and the last record
// of the table among them: when the sols do not rise with the positions, or a record cannot be
// read, `orderHolds` is false and `first` means nothing. The records from `first` on are then
// read forward until a sol past the range, each checked again by the reader.
struct SolStart {
    bool orderHolds = true;
    std::uint64_t first = 0;  // `rows` when every sol lies before firstSol
    int reads = 0;
};
SolStart findSolStart(std::uint64_t rows, int firstSol, const std::function<std::optional<int>(std::uint64_t record)>& solAt);

// A detached PDS3 label for a fetched product: its index row as KEYWORD = value statements.
std::string detachedLabel(const IndexRow& row, const std::string& productFile);

}  // namespace keldar::archive
