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
};

struct IndexTable {
    std::size_t rowBytes = 0;  // RECORD_BYTES (ROW_BYTES of the table when it has none)
    std::uint64_t rows = 0;    // FILE_RECORDS or ROWS
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
// (FILE_NAME, PATH_NAME, PLANET_DAY_NUMBER), is refused with a message.
IndexTableResult readIndexLabel(std::string_view labelText);

// One record, cut at the label's positions. Text fields lose their quotes and padding.
class IndexRow {
public:
    // nullopt, with `error` set, for a record shorter than the columns reach.
    static std::optional<IndexRow> parse(const IndexTable& table, std::string_view record, std::string& error);

    // The field as text ("" when the table has no such column).
    std::string text(std::string_view name) const;
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
// "spirit/mer2no_0xxx/index/edrindex.lbl", ".../edrindex.tab",
// "spirit/mer2no_0xxx/browse/sol0100/edr/<id>.img.jpg" and the row's own data path
// (PATH_NAME + FILE_NAME under the rover folder). "" when the rover or camera has no volume.
std::string indexLabelPath(int rover, char camera);
std::string indexTablePath(int rover, char camera);
std::string browsePath(int rover, const IndexRow& row);
std::string dataPath(int rover, const IndexRow& row);
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
