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
    IndexColumn* current = nullptr;
    std::vector<IndexColumn> columns;
    for (const imaging::PdsKeyword& k : parsed.label.keywords) {
        if (k.name == "OBJECT" && upper(unquoted(k.value)) == "COLUMN") {
            columns.emplace_back();
            current = &columns.back();
            continue;
        }
        if (k.object.empty() && k.name == "RECORD_BYTES") recordBytes = count(k.value);
        if (k.object.empty() && k.name == "FILE_RECORDS") fileRecords = count(k.value);
        if (k.object == "INDEX_TABLE" && k.name == "ROW_BYTES") rowBytes = count(k.value);
        if (k.object == "INDEX_TABLE" && k.name == "ROWS") rows = count(k.value);
        if (k.object != "COLUMN" || current == nullptr) continue;
        if (k.name == "NAME") current->name = upper(unquoted(k.value));
        if (k.name == "DATA_TYPE") current->dataType = upper(unquoted(k.value));
        if (k.name == "START_BYTE") current->startByte = static_cast<std::size_t>(count(k.value).value_or(0));
        if (k.name == "BYTES") current->bytes = static_cast<std::size_t>(count(k.value).value_or(0));
    }
    const std::optional<unsigned long long> size = recordBytes ? recordBytes : rowBytes;
    if (!size || *size == 0 || *size > (1u << 20)) {
        result.error = "the index label gives no usable RECORD_BYTES or ROW_BYTES";
        return result;
    }
    t.rowBytes = static_cast<std::size_t>(*size);
    t.rows = fileRecords ? *fileRecords : rows.value_or(0);
    for (IndexColumn& c : columns) {
        c.type = typeOf(c.dataType);
        if (c.name.empty() || c.startByte == 0 || c.bytes == 0 || c.startByte - 1 + c.bytes > t.rowBytes) {
            result.error = "the index label's column " + (c.name.empty() ? std::string("(unnamed)") : c.name) +
                           " does not lie within a record of " + std::to_string(t.rowBytes) + " bytes";
            return result;
        }
    }
    t.columns = std::move(columns);
    for (const char* needed : {"FILE_NAME", "PATH_NAME", "PLANET_DAY_NUMBER"}) {
        if (t.column(needed) == nullptr) {
            result.error = std::string("the index label has no column ") + needed;
            return result;
        }
    }
    return result;
}

std::optional<IndexRow> IndexRow::parse(const IndexTable& table, std::string_view record, std::string& error) {
    IndexRow row;
    for (const IndexColumn& c : table.columns) {
        // A record whose trailing padding was cut keeps what it has of its last fields.
        if (c.startByte > record.size()) {
            error = "an index record of " + std::to_string(record.size()) + " bytes ends before its column " + c.name;
            return std::nullopt;
        }
        row.fields_.emplace_back(c, unquoted(record.substr(c.startByte - 1, c.bytes)));
    }
    return row;
}

std::string IndexRow::text(std::string_view name) const {
    for (const auto& [column, value] : fields_)
        if (column.name == name) return value;
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

}  // namespace

std::string indexLabelPath(int rover, char camera) {
    const std::string volume = volumeFolder(rover, camera);
    return volume.empty() ? volume : volume + "index/edrindex.lbl";
}

std::string indexTablePath(int rover, char camera) {
    const std::string volume = volumeFolder(rover, camera);
    return volume.empty() ? volume : volume + "index/edrindex.tab";
}

std::string browsePath(int rover, const IndexRow& row) {
    const std::string id = row.productId();
    const std::optional<int> sol = row.sol();
    if (id.size() < 2 || !sol) return {};
    const std::string volume = volumeFolder(rover, id[1]);
    if (volume.empty()) return {};
    std::string digits = std::to_string(*sol);
    if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
    return volume + "browse/sol" + digits + "/edr/" + lower(id) + ".img.jpg";
}

std::string dataPath(int rover, const IndexRow& row) {
    const std::string_view roverFolder = decode::archiveRoverFolder(rover);
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
        const bool quote = column.type == ColumnType::Character || column.type == ColumnType::Other || !plain;
        text += name + " = " + (quote ? "\"" + shown + "\"" : shown) + "\r\n";
    }
    text += "END\r\n";
    return text;
}

}  // namespace keldar::archive
