#include "core/archive/ArchiveIndex.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iterator>
#include <map>

#include "core/decode/ArchiveNames.h"
#include "core/decode/ProductIdentifier.h"
#include "core/imaging/PdsImage.h"

namespace keldar::archive {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (std::isspace(static_cast<unsigned char>(s.front())) != 0 || s.front() == '\0')) s.remove_prefix(1);
    while (!s.empty() && (std::isspace(static_cast<unsigned char>(s.back())) != 0 || s.back() == '\0')) s.remove_suffix(1);
    return s;
}

std::string unquoted(std::string_view s) {
    s = trimmed(s);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = trimmed(s.substr(1, s.size() - 2));
    return std::string(s);
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::optional<unsigned long long> count(std::string_view text) {
    const std::string s = unquoted(text);
    if (s.empty() || s.size() > 18 || !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    return std::stoull(s);
}

ColumnType typeOf(const std::string& dataType) {
    if (dataType == "CHARACTER") return ColumnType::Character;
    if (dataType == "ASCII_INTEGER" || dataType == "INTEGER" || dataType == "MSB_INTEGER") return ColumnType::Integer;
    if (dataType == "ASCII_REAL" || dataType == "REAL") return ColumnType::Real;
    if (dataType == "TIME" || dataType == "DATE") return ColumnType::Time;
    return ColumnType::Other;
}

}  // namespace

const IndexColumn* IndexTable::column(std::string_view name) const {
    for (const IndexColumn& c : columns)
        if (c.name == name) return &c;
    return nullptr;
}

IndexTableResult readIndexLabel(std::string_view labelText) {
    IndexTableResult result;
    const imaging::PdsLabelResult parsed =
        imaging::readPdsLabel(reinterpret_cast<const std::uint8_t*>(labelText.data()), labelText.size());
    if (!parsed.ok()) {
        result.error = "the index label cannot be read: " + parsed.error;
        return result;
    }
    IndexTable& t = result.table;
    std::optional<unsigned long long> recordBytes, rowBytes, fileRecords, rows;
    std::string fileRecordsText, rowsText;
    IndexColumn* current = nullptr;
    std::vector<IndexColumn> columns;
    for (const imaging::PdsKeyword& k : parsed.label.keywords) {
        if (k.name == "OBJECT" && upper(unquoted(k.value)) == "COLUMN") {
            columns.emplace_back();
            current = &columns.back();
            continue;
        }
        if (k.object.empty() && k.name == "RECORD_BYTES") recordBytes = count(k.value);
        if (k.object.empty() && k.name == "FILE_RECORDS") {
            fileRecords = count(k.value);
            fileRecordsText = unquoted(k.value);
        }
        if (k.object.empty() && k.name == "^INDEX_TABLE") {
            const std::string name = lower(unquoted(k.value));
            const bool plain = !name.empty() && name.size() < 64 && name.front() != '.' &&
                               std::all_of(name.begin(), name.end(), [](char c) {
                                   return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '.' || c == '-';
                               });
            if (plain) t.tableFile = name;
        }
        if (k.object == "INDEX_TABLE" && k.name == "ROW_BYTES") rowBytes = count(k.value);
        if (k.object == "INDEX_TABLE" && k.name == "ROWS") {
            rows = count(k.value);
            rowsText = unquoted(k.value);
        }
        if (k.object != "COLUMN" || current == nullptr) continue;
        if (k.name == "NAME") current->name = upper(unquoted(k.value));
        if (k.name == "DATA_TYPE") current->dataType = upper(unquoted(k.value));
        if (k.name == "START_BYTE") current->startByte = static_cast<std::size_t>(count(k.value).value_or(0));
        if (k.name == "BYTES") current->bytes = static_cast<std::size_t>(count(k.value).value_or(0));
        if (k.name == "ITEMS") current->items = static_cast<std::size_t>(std::min<unsigned long long>(count(k.value).value_or(0), 1000));
        if (k.name == "ITEM_BYTES") current->itemBytes = static_cast<std::size_t>(count(k.value).value_or(0));
        if (k.name == "ITEM_OFFSET") current->itemOffset = static_cast<std::size_t>(count(k.value).value_or(0));
    }
    const std::optional<unsigned long long> size = recordBytes ? recordBytes : rowBytes;
    if (!size || *size == 0 || *size > (1u << 20)) {
        result.error = "the index label gives no usable RECORD_BYTES or ROW_BYTES";
        return result;
    }
    t.rowBytes = static_cast<std::size_t>(*size);
    // FILE_RECORDS counts the file's records; ROWS the table's, the same in an index.
    t.rowsGiven = fileRecords.has_value() || (fileRecordsText.empty() && rows.has_value());
    t.rows = fileRecords ? *fileRecords : fileRecordsText.empty() ? rows.value_or(0) : 0;
    t.rowsText = !fileRecordsText.empty() ? fileRecordsText : rowsText;
    for (IndexColumn& c : columns) {
        c.type = typeOf(c.dataType);
        if (c.name.empty() || c.startByte == 0 || c.bytes == 0 || c.startByte - 1 + c.bytes > t.rowBytes) {
            result.error = "the index label's column " + (c.name.empty() ? std::string("(unnamed)") : c.name) +
                           " does not lie within a record of " + std::to_string(t.rowBytes) + " bytes";
            return result;
        }
        if (c.items == 0) c.items = 1;
        if (c.items > 1) {
            // Items must lie within their column, each after the one before.
            if (c.itemBytes == 0) c.itemBytes = c.bytes / c.items;
            if (c.itemOffset == 0) c.itemOffset = c.itemBytes;
            if (c.itemBytes == 0 || c.itemOffset < c.itemBytes || (c.items - 1) * c.itemOffset + c.itemBytes > c.bytes) {
                result.error = "the index label's column " + c.name + " does not hold its " + std::to_string(c.items) +
                               " items within its " + std::to_string(c.bytes) + " bytes";
                return result;
            }
        }
    }
    t.columns = std::move(columns);
    if (t.column("PLANET_DAY_NUMBER") == nullptr) {
        result.error = "the index label has no column PLANET_DAY_NUMBER";
        return result;
    }
    if (t.column("PRODUCT_ID") == nullptr && t.column("FILE_NAME") == nullptr) {
        result.error = "the index label has no column PRODUCT_ID or FILE_NAME";
        return result;
    }
    return result;
}

RecordStride recordStride(std::size_t labelRecordBytes, std::string_view firstBytes) {
    RecordStride r;
    const std::size_t newline = firstBytes.find('\n');
    if (newline == std::string_view::npos) {
        r.error = firstBytes.size() > labelRecordBytes + 1
                      ? "the index table has no line end within its first " + std::to_string(firstBytes.size()) +
                            " bytes, where the label says records of " + std::to_string(labelRecordBytes) + " bytes"
                      : "the index table ends within its first record (" + std::to_string(firstBytes.size()) +
                            " bytes; the label says records of " + std::to_string(labelRecordBytes) + " bytes)";
        return r;
    }
    const std::size_t stride = newline + 1;
    if (stride != labelRecordBytes && stride != labelRecordBytes + 1) {
        r.error = "the index label says records of " + std::to_string(labelRecordBytes) +
                  " bytes, but the table's first record is " + std::to_string(stride) + " bytes long";
        return r;
    }
    r.stride = stride;
    return r;
}

RecordCount recordCount(const IndexTable& table, std::uint64_t tableBytes) {
    RecordCount c;
    const std::size_t stride = table.stride != 0 ? table.stride : table.rowBytes;
    const std::uint64_t held = stride == 0 ? 0 : tableBytes / stride;
    c.rows = held;
    const std::string said = table.rowsText.empty() ? "no FILE_RECORDS" : "FILE_RECORDS = " + table.rowsText;
    const std::string holds = "the table's " + std::to_string(tableBytes) + " bytes hold " + std::to_string(held) +
                              " records of " + std::to_string(stride);
    if (!table.rowsGiven || table.rows == 0 || table.rows != held) {
        c.note = "the index label gives " + said + ", but " + holds;
    } else {
        c.rows = table.rows;
    }
    if (c.note.empty() && stride != 0 && tableBytes % stride != 0)
        c.note = "the index table's " + std::to_string(tableBytes) + " bytes end within a record of " + std::to_string(stride);
    return c;
}

std::optional<IndexRow> IndexRow::parse(const IndexTable& table, std::string_view record, std::string& error) {
    if (table.stride != 0 && record.size() == table.stride && record.find('\n') != table.stride - 1) {
        error = "an index record of " + std::to_string(record.size()) + " bytes does not end in its line end";
        return std::nullopt;
    }
    IndexRow row;
    for (const IndexColumn& c : table.columns) {
        // A record whose trailing padding was cut keeps what it has of its last fields.
        if (c.startByte > record.size()) {
            error = "an index record of " + std::to_string(record.size()) + " bytes ends before its column " + c.name;
            return std::nullopt;
        }
        if (c.items <= 1) {
            row.fields_.emplace_back(c, unquoted(record.substr(c.startByte - 1, c.bytes)));
            continue;
        }
        std::string value = "(";
        for (std::size_t i = 0; i < c.items; ++i) {
            const std::size_t at = c.startByte - 1 + i * c.itemOffset;
            value += (i > 0 ? ", " : "") + unquoted(at < record.size() ? record.substr(at, c.itemBytes) : std::string_view());
        }
        row.fields_.emplace_back(c, value + ")");
    }
    return row;
}

std::string IndexRow::text(std::string_view name) const {
    for (const auto& [column, value] : fields_)
        if (column.name == name) return value;
    return {};
}

bool IndexRow::has(std::string_view name) const {
    return std::any_of(fields_.begin(), fields_.end(), [&](const auto& f) { return f.first.name == name; });
}

std::vector<std::string> IndexRow::items(std::string_view name) const {
    for (const auto& [column, value] : fields_) {
        if (column.name != name) continue;
        if (column.items <= 1) return {value};
        std::vector<std::string> out;
        std::string_view rest = std::string_view(value).substr(1, value.size() - 2);
        while (true) {
            const std::size_t comma = rest.find(", ");
            out.emplace_back(rest.substr(0, comma));
            if (comma == std::string_view::npos) break;
            rest.remove_prefix(comma + 2);
        }
        return out;
    }
    return {};
}

std::optional<long long> IndexRow::integer(std::string_view name) const {
    const std::string t = text(name);
    if (t.empty()) return std::nullopt;
    char* end = nullptr;
    const long long v = std::strtoll(t.c_str(), &end, 10);
    if (end == t.c_str() || *end != '\0') return std::nullopt;
    return v;
}

std::optional<double> IndexRow::real(std::string_view name) const {
    const std::string t = text(name);
    if (t.empty()) return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    if (end == t.c_str() || *end != '\0') return std::nullopt;
    return v;
}

std::string IndexRow::productId() const {
    std::string id = text("PRODUCT_ID");
    if (id.empty()) {
        id = text("FILE_NAME");
        if (const std::size_t dot = id.find('.'); dot != std::string::npos) id.resize(dot);
    }
    id = upper(id);
    // The identifier names files here and there: 27 letters, digits or "_", nothing else (no
    // "/", no "..", nothing a path could be made of).
    const bool valid = id.size() == 27 && std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
    return valid ? id : std::string();
}

std::optional<int> IndexRow::sol() const {
    const std::optional<long long> v = integer("PLANET_DAY_NUMBER");
    if (!v || *v < 0 || *v > 100000) return std::nullopt;
    return static_cast<int>(*v);
}

bool matches(const ProductQuery& query, const IndexRow& row) {
    const std::string id = row.productId();
    if (id.empty()) return false;
    const decode::DecodedIdentifier d = decode::decodeProductIdentifier(id);
    const std::optional<int> sol = row.sol();
    if (!sol || *sol < query.firstSol || *sol > query.lastSol) return false;
    if (d.roverDigit != std::to_string(query.rover)) return false;
    if (!query.cameras.empty() && std::find(query.cameras.begin(), query.cameras.end(),
                                            d.cameraLetter.empty() ? '?' : d.cameraLetter[0]) == query.cameras.end())
        return false;
    if (query.eye != 0 && d.eyeLetter != std::string(1, query.eye)) return false;
    if (query.filter != 0 && d.filterDigit != std::string(1, query.filter)) return false;
    return true;
}

namespace {

std::string volumeFolder(int rover, char camera) {
    const std::string_view roverFolder = decode::archiveRoverFolder(rover);
    const std::string volume = decode::archiveVolume(rover, camera);
    if (roverFolder.empty() || volume.empty()) return {};
    return std::string(roverFolder) + "/" + volume + "/";
}

// "sol0100": the sol's folder, four digits at least.
std::string solFolder(int sol) {
    std::string digits = std::to_string(sol);
    if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
    return "sol" + digits;
}

}  // namespace

std::string indexLabelPath(int rover, char camera) {
    const std::string volume = volumeFolder(rover, camera);
    return volume.empty() ? volume : volume + "index/edrindex.lbl";
}

std::string indexTablePath(int rover, char camera, const std::string& tableFile) {
    const std::string volume = volumeFolder(rover, camera);
    return volume.empty() ? volume : volume + "index/" + (tableFile.empty() ? std::string("edrindex.tab") : lower(tableFile));
}

std::string browsePath(int rover, const IndexRow& row) {
    const std::string id = row.productId();
    const std::optional<int> sol = row.sol();
    if (id.size() < 2 || !sol) return {};
    const std::string volume = volumeFolder(rover, id[1]);
    if (volume.empty()) return {};
    return volume + "browse/" + solFolder(*sol) + "/edr/" + lower(id) + ".img.jpg";
}

std::string dataPath(int rover, const IndexRow& row) {
    const std::string_view roverFolder = decode::archiveRoverFolder(rover);
    if (!row.has("PATH_NAME") && !row.has("FILE_NAME")) {
        // The archive's own rule, for an index that does not say.
        const std::string id = row.productId();
        const std::optional<int> sol = row.sol();
        if (id.size() < 2 || !sol) return {};
        const std::string volume = volumeFolder(rover, id[1]);
        if (volume.empty()) return {};
        return volume + "data/" + solFolder(*sol) + "/edr/" + lower(id) + ".img";
    }
    std::string path = row.text("PATH_NAME");
    const std::string file = row.text("FILE_NAME");
    if (roverFolder.empty() || path.empty() || file.empty() || file.find('/') != std::string::npos) return {};
    while (!path.empty() && path.front() == '/') path.erase(0, 1);
    if (!path.empty() && path.back() != '/') path += '/';
    // The path must stay inside the archive: plain names only, no "." or ".." steps.
    const std::string whole = path + file;
    std::size_t start = 0;
    while (start <= whole.size()) {
        const std::size_t end = std::min(whole.find('/', start), whole.size());
        const std::string_view step(whole.data() + start, end - start);
        const bool plain = !step.empty() && step != "." && step != ".." &&
                           std::all_of(step.begin(), step.end(), [](char c) {
                               return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '-' || c == '.';
                           });
        if (!plain) return {};
        start = end + 1;
    }
    return std::string(roverFolder) + "/" + whole;
}

std::string withoutRoverFolder(int rover, const std::string& path) {
    const std::string folder = std::string(decode::archiveRoverFolder(rover)) + "/";
    return path.rfind(folder, 0) == 0 ? path.substr(folder.size()) : path;
}

std::vector<char> volumeCameras(const std::vector<char>& cameras) {
    std::vector<char> volumes;
    for (char c : cameras) {
        const char volume = c == 'R' ? 'F' : c;  // both HAZCAMs live in one volume
        if (std::find(volumes.begin(), volumes.end(), volume) == volumes.end()) volumes.push_back(volume);
    }
    return volumes;
}

SolStart findSolStart(std::uint64_t rows, int firstSol, const std::function<std::optional<int>(std::uint64_t)>& solAt) {
    SolStart start;
    std::map<std::uint64_t, int> seen;
    // Reads a record once, and checks it against the nearest records read before it.
    const auto read = [&](std::uint64_t i) -> std::optional<int> {
        if (const auto hit = seen.find(i); hit != seen.end()) return hit->second;
        ++start.reads;
        const std::optional<int> sol = solAt(i);
        if (!sol) {
            start.orderHolds = false;
            return std::nullopt;
        }
        const auto after = seen.lower_bound(i);
        if (after != seen.end() && after->second < *sol) start.orderHolds = false;
        if (after != seen.begin() && std::prev(after)->second > *sol) start.orderHolds = false;
        seen.emplace(i, *sol);
        return sol;
    };
    if (rows == 0) return start;
    // The first and the last record bound every other: a table that ends below where it
    // starts, or a record beyond either, shows at once.
    read(0);
    read(rows - 1);
    std::uint64_t low = 0, high = rows;
    while (low < high && start.orderHolds) {
        const std::uint64_t mid = low + (high - low) / 2;
        const std::optional<int> at = read(mid);
        if (!at) break;
        if (*at < firstSol) low = mid + 1;
        else high = mid;
    }
    start.first = low;
    // The record before the start is below the range, the start itself not: both are read.
    if (start.orderHolds && low > 0) read(low - 1);
    if (start.orderHolds && low < rows) read(low);
    return start;
}

std::string detachedLabel(const IndexRow& row, const std::string& productFile) {
    std::string text = "PDS_VERSION_ID                = PDS3\r\n";
    text += "/* The product's row of the archive index (edrindex.tab), as fetched. */\r\n";
    text += "^PRODUCT                     = \"" + productFile + "\"\r\n";
    for (const auto& [column, value] : row.fields()) {
        // A keyword is letters, digits and "_"; whatever else a label gave its column goes.
        std::string name = column.name;
        for (char& c : name)
            if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) c = '_';
        const bool reserved = name == "OBJECT" || name == "END_OBJECT" || name == "GROUP" || name == "END_GROUP" ||
                              name == "END";  // words that shape a label
        if (name.empty() || name.front() < 'A' || name.front() > 'Z' || reserved) name.insert(0, "COLUMN_");
        name.resize(std::max<std::size_t>(name.size(), 29), ' ');
        // Text is quoted, and so is any value that is not a plain number or time.
        std::string shown = value;
        std::replace(shown.begin(), shown.end(), '"', '\'');
        for (char& c : shown)
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
        const bool plain = !shown.empty() && std::all_of(shown.begin(), shown.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '+' || c == '-' || c == ':' || c == '_';
        });
        if (column.items > 1) {
            // A sequence of items, each plain: "(0, 0, 1, 34, 0)".
            const bool sequence = shown.size() >= 2 && shown.front() == '(' && shown.back() == ')' &&
                                  std::all_of(shown.begin() + 1, shown.end() - 1, [](char c) {
                                      return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '.' || c == '+' ||
                                             c == '-' || c == ',' || c == ' ' || c == '_';
                                  });
            if (sequence) {
                text += name + " = " + shown + "\r\n";
                continue;
            }
        }
        const bool quote = column.type == ColumnType::Character || column.type == ColumnType::Other || !plain;
        text += name + " = " + (quote ? "\"" + shown + "\"" : shown) + "\r\n";
    }
    text += "END\r\n";
    return text;
}

}  // namespace keldar::archive
