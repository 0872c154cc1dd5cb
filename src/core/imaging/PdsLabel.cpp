#include <algorithm>

#include "core/imaging/PdsImageInternal.h"

namespace keldar::imaging {

namespace pds {

namespace {

// A label longer than this is not a label but a file without END.
constexpr std::size_t kMaxLabelBytes = std::size_t{4} * 1024 * 1024;

}  // namespace

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

bool equalsNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && upper(a) == upper(b); }

std::string_view unquote(std::string_view s) {
    s = trim(s);
    if (s.size() >= 2 && ((s.front() == '"' && s.back() == '"') || (s.front() == '\'' && s.back() == '\''))) {
        s = trim(s.substr(1, s.size() - 2));
    }
    return s;
}

// A plain decimal count; no sign, no fraction, at most 18 digits so it cannot overflow.
bool parseCount(std::string_view s, std::uint64_t& out) {
    s = unquote(s);
    if (!s.empty() && s.front() == '+') s.remove_prefix(1);
    if (s.empty() || s.size() > 18) return false;
    std::uint64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<std::uint64_t>(c - '0');
    }
    out = v;
    return true;
}

std::string shortened(std::string_view s) {
    s = trim(s);
    return s.size() > 60 ? std::string(s.substr(0, 60)) + "..." : std::string(s);
}

bool startsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

std::string_view skipLeadingBlanks(const std::uint8_t* data, std::size_t size) {
    std::string_view s(reinterpret_cast<const char*>(data), data ? size : 0);
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    return s;
}

namespace {

// ---- PDS3 label text -------------------------------------------------------------------

// Cuts the label out of the file: the lines up to the one that holds only END. Stops with an
// error at a NUL byte, which means the binary data began without an END line.
std::string extractLabelText(std::string_view bytes, std::string& error) {
    const std::size_t limit = std::min(bytes.size(), kMaxLabelBytes);
    std::string text;
    std::size_t pos = 0;
    while (pos < limit) {
        std::size_t eol = bytes.find('\n', pos);
        if (eol == std::string_view::npos || eol > limit) eol = limit;
        std::string_view line = bytes.substr(pos, eol - pos);
        if (line.find('\0') != std::string_view::npos) {
            error = "the PDS label has no END line before the binary data";
            return {};
        }
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        text.append(line).push_back('\n');
        if (trim(line) == "END") return text;
        pos = eol + 1;
    }
    error = bytes.size() > kMaxLabelBytes ? "the PDS label has no END line in its first " +
                                                std::to_string(kMaxLabelBytes / (1024 * 1024)) + " MiB"
                                          : "the PDS label has no END line (file ends first)";
    return {};
}

// Splits the label into statements, tracking OBJECT/GROUP nesting.
std::string parseStatements(std::string_view text, std::vector<PdsKeyword>& out) {
    std::vector<std::string> stack;
    std::size_t i = 0;
    int line = 1;
    const auto lineText = [&line] { return "PDS label line " + std::to_string(line) + ": "; };
    const auto skipSpace = [&](bool newlines) {
        while (i < text.size()) {
            const char c = text[i];
            if (c == '\n') {
                if (!newlines) return;
                ++line;
                ++i;
            } else if (isBlank(c)) {
                ++i;
            } else if (text.compare(i, 2, "/*") == 0) {
                const std::size_t end = text.find("*/", i + 2);
                const std::size_t stop = end == std::string_view::npos ? text.size() : end + 2;
                line += static_cast<int>(std::count(text.begin() + static_cast<std::ptrdiff_t>(i),
                                                    text.begin() + static_cast<std::ptrdiff_t>(stop), '\n'));
                i = stop;
            } else {
                return;
            }
        }
    };
    while (true) {
        skipSpace(true);
        if (i >= text.size()) break;
        const std::size_t nameStart = i;
        while (i < text.size() && !isBlank(text[i]) && text[i] != '=') ++i;
        const std::string name = upper(text.substr(nameStart, i - nameStart));
        if (name == "END") break;
        skipSpace(false);
        if (i >= text.size() || text[i] != '=') {
            if (name == "END_OBJECT" || name == "END_GROUP") {
                if (stack.empty()) return lineText() + name + " without a matching OBJECT or GROUP";
                stack.pop_back();
                continue;
            }
            return lineText() + "expected '=' after " + shortened(name);
        }
        ++i;
        skipSpace(true);  // a long value may start on the next line
        const std::size_t valueStart = i;
        const int statementLine = line;
        if (i < text.size() && (text[i] == '"' || text[i] == '(' || text[i] == '{')) {
            // Quoted strings and lists may span lines.
            int depth = 0;
            bool quoted = false;
            do {
                const char c = text[i];
                if (c == '\n') ++line;
                if (c == '"') quoted = !quoted;
                else if (!quoted && (c == '(' || c == '{')) ++depth;
                else if (!quoted && (c == ')' || c == '}')) --depth;
                ++i;
            } while (i < text.size() && (quoted || depth > 0));
            if (quoted || depth > 0) {
                line = statementLine;
                return lineText() + "unterminated value of " + name;
            }
        }
        // The rest of the line belongs to the value too (units such as <BYTES>), not a comment.
        while (i < text.size() && text[i] != '\n' && text.compare(i, 2, "/*") != 0) ++i;
        const std::string value(trim(text.substr(valueStart, i - valueStart)));
        if (name == "END_OBJECT" || name == "END_GROUP") {
            if (stack.empty()) return lineText() + name + " without a matching OBJECT or GROUP";
            stack.pop_back();
            continue;
        }
        out.push_back({stack.empty() ? std::string() : stack.back(), name, value});
        if (name == "OBJECT" || name == "GROUP") {
            if (value.empty()) return lineText() + name + " without a name";
            stack.push_back(upper(unquote(value)));
        }
    }
    if (!stack.empty()) return "PDS label: OBJECT or GROUP " + stack.back() + " is never closed";
    return {};
}

// ---- VICAR label --------------------------------------------------------------------------

// The VICAR label at `offset`: LBLSIZE gives its length, padding NULs and blanks are cut.
std::string readVicarText(const PdsSource& source, std::uint64_t offset, std::uint64_t& size, std::string& error) {
    if (offset >= source.size()) {
        error = "no VICAR label (LBLSIZE=) at byte " + std::to_string(offset);
        return {};
    }
    std::vector<std::uint8_t> buffer;
    const std::size_t peek = static_cast<std::size_t>(std::min<std::uint64_t>(64, source.size() - offset));
    const std::uint8_t* head = source.fetch(offset, peek, buffer, error);
    if (head == nullptr) return {};
    const std::string_view start(reinterpret_cast<const char*>(head), peek);
    if (!startsWith(start, "LBLSIZE=")) {
        error = "no VICAR label (LBLSIZE=) at byte " + std::to_string(offset);
        return {};
    }
    std::size_t digitsEnd = 8;
    while (digitsEnd < start.size() && start[digitsEnd] != ' ' && start[digitsEnd] != '\0') ++digitsEnd;
    size = 0;
    if (!parseCount(start.substr(8, digitsEnd - 8), size) || size == 0) {
        error = "the VICAR label has no readable LBLSIZE";
        return {};
    }
    const std::uint64_t rest = source.size() - offset;
    if (size > rest) {
        error = "the VICAR label claims " + std::to_string(size) + " bytes but only " + std::to_string(rest) + " follow";
        return {};
    }
    if (size > kMaxLabelBytes) {
        error = "the VICAR label claims " + std::to_string(size) + " bytes, more than a label can be";
        return {};
    }
    const std::uint8_t* bytes = source.fetch(offset, static_cast<std::size_t>(size), buffer, error);
    if (bytes == nullptr) return {};
    std::string_view text(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(size));
    if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

}  // namespace

std::string parsePointer(const PdsLabel& label, std::string_view pointerName, Pointer& out) {
    const std::string* value = label.find("", pointerName);
    if (!value) return "the PDS label has no " + std::string(pointerName) + " pointer";
    std::string bad = "cannot read " + std::string(pointerName) + " = " + shortened(*value);
    std::string_view v = trim(*value);
    if (!v.empty() && v.front() == '(') {
        if (v.back() != ')') return bad;
        v = v.substr(1, v.size() - 2);
        const std::size_t comma = v.rfind(',');
        out.file = std::string(unquote(trim(v.substr(0, comma))));
        if (comma == std::string_view::npos) return {};  // the file alone: its first byte
        v = v.substr(comma + 1);
    } else if (!v.empty() && v.front() == '"') {
        out.file = std::string(unquote(v));
        return {};
    }
    v = trim(v);
    if (const std::size_t unit = v.find('<'); unit != std::string_view::npos) {
        if (!equalsNoCase(trim(v.substr(unit)), "<BYTES>")) return bad;
        out.bytes = true;
        v = v.substr(0, unit);
    }
    if (!parseCount(v, out.count) || out.count == 0) return bad;
    return {};
}

std::string pointerOffset(const PdsLabel& label, std::string_view pointerName, const Pointer& pointer,
                          std::uint64_t fileSize, std::uint64_t& offset) {
    const std::string* value = label.find("", pointerName);
    const std::string shown = value ? shortened(*value) : std::string();
    const std::uint64_t n = pointer.count;
    if (pointer.bytes) {
        offset = n - 1;
    } else {
        const std::string* recordText = label.find("", "RECORD_BYTES");
        std::uint64_t recordBytes = 0;
        if (!recordText) return "the PDS label has no RECORD_BYTES, needed by " + std::string(pointerName);
        if (!parseCount(*recordText, recordBytes) || recordBytes == 0 || recordBytes > fileSize) {
            return "RECORD_BYTES = " + shortened(*recordText) + " is not a record size for this file";
        }
        if (n - 1 > fileSize / recordBytes) {
            return std::string(pointerName) + " = " + shown + " points past the end of the file";
        }
        offset = (n - 1) * recordBytes;
    }
    if (offset >= fileSize) {
        return std::string(pointerName) + " = " + shown + " points past the end of the file (" +
               std::to_string(fileSize) + " bytes)";
    }
    return {};
}

PdsLayoutResult layoutOf(const PdsSource& source, bool wantLayout, std::unique_ptr<PdsSource>* dataSource) {
    PdsLayoutResult result;
    const std::uint64_t size = source.size();
    if (size == 0) {
        result.error = "empty PDS data";
        return result;
    }
    // Only the head is read for the label: one byte more than a label may be tells a label
    // without END from a file that ends.
    std::vector<std::uint8_t> headBuffer;
    const std::size_t headSize = static_cast<std::size_t>(std::min<std::uint64_t>(size, kMaxLabelBytes + 1));
    const std::uint8_t* head = source.fetch(0, headSize, headBuffer, result.error);
    if (head == nullptr) return result;
    const std::string_view bytes(reinterpret_cast<const char*>(head), headSize);
    const std::string_view start = skipLeadingBlanks(head, headSize);
    if (startsWith(start, "LBLSIZE=")) {
        const std::uint64_t at = bytes.size() - start.size();
        std::uint64_t labelSize = 0;
        result.label.vicarText = readVicarText(source, at, labelSize, result.error);
        if (!result.ok() || !wantLayout) return result;
        const auto items = splitVicarLabel(result.label.vicarText);
        result.error = layoutFromVicar(size, at + labelSize, items, result.layout);
        return result;
    }
    if (!startsWith(start, "PDS_VERSION_ID") && !startsWith(start, "ODL_VERSION_ID")) {
        result.error = "not a PDS image: the file starts with neither PDS_VERSION_ID nor LBLSIZE=";
        return result;
    }
    result.label.text = extractLabelText(bytes, result.error);
    if (!result.ok()) return result;
    result.error = parseStatements(result.label.text, result.label.keywords);
    if (!result.ok()) return result;
    if (result.label.find("", "^IMAGE_HEADER")) {
        Pointer pointer;
        std::uint64_t at = 0;
        std::string problem = parsePointer(result.label, "^IMAGE_HEADER", pointer);
        if (problem.empty() && !pointer.file.empty()) problem = "^IMAGE_HEADER points into a separate file, " + pointer.file;
        if (problem.empty()) problem = pointerOffset(result.label, "^IMAGE_HEADER", pointer, size, at);
        std::uint64_t labelSize = 0;
        if (problem.empty()) result.label.vicarText = readVicarText(source, at, labelSize, problem);
        result.label.vicarProblem = problem;
    }
    if (wantLayout) {
        std::unique_ptr<PdsSource> data;
        result.error = layoutFromPds(result.label, source, result.layout, data);
        if (dataSource != nullptr) *dataSource = std::move(data);
    }
    return result;
}

}  // namespace pds

const std::string* PdsLabel::find(std::string_view object, std::string_view name) const {
    const std::string o = pds::upper(object), n = pds::upper(name);
    for (const PdsKeyword& k : keywords) {
        if (k.object == o && k.name == n) return &k.value;
    }
    return nullptr;
}

bool looksLikePdsImage(const std::uint8_t* data, std::size_t size) {
    const std::string_view s = pds::skipLeadingBlanks(data, size);
    return pds::startsWith(s, "PDS_VERSION_ID") || pds::startsWith(s, "ODL_VERSION_ID") ||
           pds::startsWith(s, "LBLSIZE=");
}

PdsLabelResult readPdsLabel(const std::uint8_t* data, std::size_t size) {
    PdsLayoutResult r = pds::layoutOf(PdsMemorySource(data, size), false, nullptr);
    return {std::move(r.label), std::move(r.error)};
}

PdsLabelResult readPdsLabelFile(const std::string& path) {
    // Only the labels are read: a product of hundreds of megabytes costs its first few.
    PdsLabelResult result;
    PdsFileSource file;
    if (std::string error = file.open(path); !error.empty()) {
        result.error = error;
        return result;
    }
    PdsLayoutResult r = pds::layoutOf(file, false, nullptr);
    result = {std::move(r.label), std::move(r.error)};
    if (!result.ok()) result.error = path + ": " + result.error;
    return result;
}

PdsLayoutResult readPdsLayout(const std::uint8_t* data, std::size_t size) {
    return pds::layoutOf(PdsMemorySource(data, size), true, nullptr);
}

std::vector<std::pair<std::string, std::string>> splitVicarLabel(std::string_view text) {
    std::vector<std::pair<std::string, std::string>> items;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && pds::isBlank(text[i])) ++i;
        const std::size_t nameStart = i;
        while (i < text.size() && text[i] != '=' && !pds::isBlank(text[i])) ++i;
        if (i >= text.size() || text[i] != '=') continue;  // a stray word: skipped
        std::string name(text.substr(nameStart, i - nameStart));
        const std::size_t valueStart = ++i;
        int depth = 0;
        bool quoted = false;
        while (i < text.size()) {
            const char c = text[i];
            if (c == '\'') quoted = !quoted;  // '' inside a string toggles twice: stays quoted
            else if (!quoted && c == '(') ++depth;
            else if (!quoted && c == ')') --depth;
            else if (!quoted && depth <= 0 && pds::isBlank(c)) break;
            ++i;
        }
        items.emplace_back(std::move(name), std::string(text.substr(valueStart, i - valueStart)));
    }
    return items;
}

std::string pdsLabelDisplayText(const PdsLabel& label) {
    std::string text = label.text;
    if (!label.vicarText.empty()) {
        text += "--- VICAR label ---\n";
        for (const auto& [name, value] : splitVicarLabel(label.vicarText)) text += name + '=' + value + '\n';
    }
    return text;
}

}  // namespace keldar::imaging
