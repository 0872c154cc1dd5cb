#include "core/imaging/PdsImage.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <new>

#include <sys/stat.h>

namespace keldar::imaging {

namespace {

// A label longer than this is not a label but a file without END.
constexpr std::size_t kMaxLabelBytes = std::size_t{4} * 1024 * 1024;
// Far beyond any real product; keeps every product of label numbers well inside 64 bits.
constexpr std::uint64_t kMaxBands = 4096;
constexpr std::uint64_t kMaxLineExtraBytes = std::uint64_t{1} << 24;
// Counts must fit an int; the image limits then refuse what is still too large.
constexpr std::uint64_t kMaxCount = 0x7fffffff;

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

// ^NAME = n | n <BYTES> | ("file", n) | ("file", n <BYTES>) -> byte offset in this file.
std::string resolvePointer(const PdsLabel& label, std::string_view pointerName, std::size_t fileSize,
                           std::uint64_t& offset) {
    const std::string* value = label.find("", pointerName);
    if (!value) return "the PDS label has no " + std::string(pointerName) + " pointer";
    const std::string bad = "cannot read " + std::string(pointerName) + " = " + shortened(*value);
    std::string_view v = trim(*value);
    if (!v.empty() && v.front() == '(') {
        if (v.back() != ')') return bad;
        v = v.substr(1, v.size() - 2);
        const std::size_t comma = v.rfind(',');
        // A file name alone (or one-element list) means the data lie in a separate file.
        if (comma == std::string_view::npos) return std::string(pointerName) + " points into a separate file, " + shortened(v);
        v = v.substr(comma + 1);
    } else if (!v.empty() && v.front() == '"') {
        return std::string(pointerName) + " points into a separate file, " + shortened(v);
    }
    v = trim(v);
    bool bytes = false;
    if (const std::size_t unit = v.find('<'); unit != std::string_view::npos) {
        if (!equalsNoCase(trim(v.substr(unit)), "<BYTES>")) return bad;
        bytes = true;
        v = v.substr(0, unit);
    }
    std::uint64_t n = 0;
    if (!parseCount(v, n) || n == 0) return bad;
    if (bytes) {
        offset = n - 1;
    } else {
        const std::string* recordText = label.find("", "RECORD_BYTES");
        std::uint64_t recordBytes = 0;
        if (!recordText) return "the PDS label has no RECORD_BYTES, needed by " + std::string(pointerName);
        if (!parseCount(*recordText, recordBytes) || recordBytes == 0 || recordBytes > fileSize) {
            return "RECORD_BYTES = " + shortened(*recordText) + " is not a record size for this file";
        }
        if (n - 1 > fileSize / recordBytes) {
            return std::string(pointerName) + " = " + shortened(*value) + " points past the end of the file";
        }
        offset = (n - 1) * recordBytes;
    }
    if (offset >= fileSize) {
        return std::string(pointerName) + " = " + shortened(*value) + " points past the end of the file (" +
               std::to_string(fileSize) + " bytes)";
    }
    return {};
}

// ---- VICAR label --------------------------------------------------------------------------

const std::string* findItem(const std::vector<std::pair<std::string, std::string>>& items, std::string_view name) {
    for (const auto& item : items) {
        if (item.first == name) return &item.second;
    }
    return nullptr;
}

// The VICAR label at `offset`: LBLSIZE gives its length, padding NULs and blanks are cut.
std::string readVicarText(std::string_view bytes, std::uint64_t offset, std::uint64_t& size, std::string& error) {
    std::string_view rest = bytes.substr(static_cast<std::size_t>(offset));
    if (!startsWith(rest, "LBLSIZE=")) {
        error = "no VICAR label (LBLSIZE=) at byte " + std::to_string(offset);
        return {};
    }
    std::size_t digitsEnd = 8;
    while (digitsEnd < rest.size() && rest[digitsEnd] != ' ' && rest[digitsEnd] != '\0') ++digitsEnd;
    size = 0;
    if (!parseCount(rest.substr(8, digitsEnd - 8), size) || size == 0) {
        error = "the VICAR label has no readable LBLSIZE";
        return {};
    }
    if (size > rest.size()) {
        error = "the VICAR label claims " + std::to_string(size) + " bytes but only " + std::to_string(rest.size()) +
                " follow";
        return {};
    }
    std::string_view text = rest.substr(0, static_cast<std::size_t>(size));
    if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) text = text.substr(0, nul);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

std::uint64_t checkedProduct(std::uint64_t a, std::uint64_t b, bool& overflow) {
    std::uint64_t r = 0;
    if (__builtin_mul_overflow(a, b, &r)) overflow = true;
    return r;
}

// Completes the layout's byte count and checks it against limits and the bytes present.
std::string finishLayout(PdsImageLayout& L, std::size_t fileSize) {
    if (std::string error = checkImageLimits(L.samples, L.lines); !error.empty()) return error;
    if (L.linePrefix > kMaxLineExtraBytes || L.lineSuffix > kMaxLineExtraBytes) return "line prefix or suffix too large";
    bool overflow = false;
    const std::uint64_t bytesPerSample = static_cast<std::uint64_t>(L.bits / 8);
    const std::uint64_t bandLine = checkedProduct(static_cast<std::uint64_t>(L.samples), bytesPerSample, overflow);
    const std::uint64_t bands = static_cast<std::uint64_t>(L.bands);
    std::uint64_t record = 0;
    if (L.storage == PdsBandStorage::Sequential) {
        record = L.linePrefix + bandLine + L.lineSuffix;
        L.dataBytes = checkedProduct(checkedProduct(record, static_cast<std::uint64_t>(L.lines), overflow), bands, overflow);
    } else {
        record = L.linePrefix + checkedProduct(bandLine, bands, overflow) + L.lineSuffix;
        L.dataBytes = checkedProduct(record, static_cast<std::uint64_t>(L.lines), overflow);
    }
    if (overflow || L.dataBytes > kMaxImageFileBytes) {
        return "the image data would exceed the limit of " + std::to_string(kMaxImageFileBytes / (1024 * 1024)) + " MiB";
    }
    if (L.offset > fileSize || L.dataBytes > fileSize - L.offset) {
        return "truncated file: the image needs " + std::to_string(L.dataBytes) + " bytes from byte " +
               std::to_string(L.offset) + " but the file has " + std::to_string(fileSize) + " bytes";
    }
    return {};
}

std::string countKeyword(const PdsLabel& label, std::string_view object, std::string_view name, bool required,
                         std::uint64_t fallback, std::uint64_t max, std::uint64_t& out) {
    const std::string* v = label.find(object, name);
    if (!v) {
        if (required) return "the PDS label's IMAGE object has no " + std::string(name);
        out = fallback;
        return {};
    }
    if (!parseCount(*v, out) || out > max) return std::string(name) + " = " + shortened(*v) + " is not a usable count";
    return {};
}

std::string layoutFromPds(const PdsLabel& label, std::size_t fileSize, PdsImageLayout& L) {
    bool hasImage = false;
    for (const PdsKeyword& k : label.keywords) {
        if (k.object.empty() && k.name == "OBJECT" && upper(unquote(k.value)) == "IMAGE") hasImage = true;
    }
    if (!hasImage) return "the PDS label has no OBJECT = IMAGE";
    if (std::string error = resolvePointer(label, "^IMAGE", fileSize, L.offset); !error.empty()) return error;

    std::uint64_t lines = 0, samples = 0, bits = 0, bands = 0;
    const std::uint64_t bigCount = kMaxCount;
    for (std::string error : {countKeyword(label, "IMAGE", "LINES", true, 0, bigCount, lines),
                              countKeyword(label, "IMAGE", "LINE_SAMPLES", true, 0, bigCount, samples),
                              countKeyword(label, "IMAGE", "SAMPLE_BITS", true, 0, bigCount, bits),
                              countKeyword(label, "IMAGE", "BANDS", false, 1, bigCount, bands),
                              countKeyword(label, "IMAGE", "LINE_PREFIX_BYTES", false, 0, bigCount, L.linePrefix),
                              countKeyword(label, "IMAGE", "LINE_SUFFIX_BYTES", false, 0, bigCount, L.lineSuffix)}) {
        if (!error.empty()) return error;
    }
    if (bits != 8 && bits != 16) return "SAMPLE_BITS = " + std::to_string(bits) + " is not supported (8 or 16)";
    if (bands == 0 || bands > kMaxBands) return "BANDS = " + std::to_string(bands) + " is not a usable band count";
    L.lines = static_cast<int>(lines);
    L.samples = static_cast<int>(samples);
    L.bits = static_cast<int>(bits);
    L.bands = static_cast<int>(bands);

    const std::string* type = label.find("IMAGE", "SAMPLE_TYPE");
    const std::string t = type ? upper(unquote(*type)) : std::string();
    if (t.empty()) {
        if (bits != 8) return "the PDS label's IMAGE object has no SAMPLE_TYPE";
        L.isSigned = false;  // a byte needs no byte order; unsigned is the usual meaning
    } else {
        struct TypeName {
            const char* name;
            bool isSigned, bigEndian;
        };
        static constexpr TypeName kTypes[] = {
            {"UNSIGNED_INTEGER", false, true},     {"MSB_UNSIGNED_INTEGER", false, true},
            {"SUN_UNSIGNED_INTEGER", false, true}, {"MAC_UNSIGNED_INTEGER", false, true},
            {"LSB_UNSIGNED_INTEGER", false, false}, {"PC_UNSIGNED_INTEGER", false, false},
            {"VAX_UNSIGNED_INTEGER", false, false}, {"INTEGER", true, true},
            {"MSB_INTEGER", true, true},           {"SUN_INTEGER", true, true},
            {"MAC_INTEGER", true, true},           {"LSB_INTEGER", true, false},
            {"PC_INTEGER", true, false},           {"VAX_INTEGER", true, false},
        };
        const auto* found = std::find_if(std::begin(kTypes), std::end(kTypes), [&t](const TypeName& n) { return t == n.name; });
        if (found == std::end(kTypes)) return "SAMPLE_TYPE = " + shortened(t) + " is not supported (integer samples only)";
        L.isSigned = found->isSigned;
        L.bigEndian = found->bigEndian;
    }

    const std::string* storage = label.find("IMAGE", "BAND_STORAGE_TYPE");
    const std::string s = storage ? upper(unquote(*storage)) : std::string("BAND_SEQUENTIAL");
    if (s == "BAND_SEQUENTIAL") L.storage = PdsBandStorage::Sequential;
    else if (s == "LINE_INTERLEAVED") L.storage = PdsBandStorage::LineInterleaved;
    else if (s == "SAMPLE_INTERLEAVED") L.storage = PdsBandStorage::SampleInterleaved;
    else if (L.bands == 1) L.storage = PdsBandStorage::Sequential;  // irrelevant with one band
    else return "BAND_STORAGE_TYPE = " + shortened(s) + " is not supported";
    return finishLayout(L, fileSize);
}

std::string layoutFromVicar(std::string_view bytes, std::uint64_t labelSize,
                            const std::vector<std::pair<std::string, std::string>>& items, PdsImageLayout& L) {
    const auto count = [&items](std::string_view name, std::uint64_t fallback, std::uint64_t& out) -> std::string {
        const std::string* v = findItem(items, name);
        if (!v) {
            if (fallback == ~std::uint64_t{0}) return "the VICAR label has no " + std::string(name);
            out = fallback;
            return {};
        }
        if (!parseCount(*v, out) || out > kMaxCount) {
            return "VICAR " + std::string(name) + "=" + shortened(*v) + " is not a usable count";
        }
        return {};
    };
    const std::uint64_t required = ~std::uint64_t{0};
    std::uint64_t nl = 0, ns = 0, nb = 0, nbb = 0, nlb = 0, recsize = 0;
    for (std::string error : {count("NL", required, nl), count("NS", required, ns), count("NB", 1, nb),
                              count("NBB", 0, nbb), count("NLB", 0, nlb), count("RECSIZE", 0, recsize)}) {
        if (!error.empty()) return error;
    }
    const std::string* format = findItem(items, "FORMAT");
    const std::string f = format ? upper(unquote(*format)) : std::string();
    if (f == "BYTE") {
        L.bits = 8;
        L.isSigned = false;
    } else if (f == "HALF" || f == "WORD") {
        L.bits = 16;
        L.isSigned = true;
    } else {
        return "VICAR FORMAT=" + shortened(format ? *format : "(missing)") + " is not supported (BYTE or HALF)";
    }
    const std::string* intfmt = findItem(items, "INTFMT");
    L.bigEndian = intfmt && upper(unquote(*intfmt)) == "HIGH";
    const std::string* org = findItem(items, "ORG");
    const std::string o = org ? upper(unquote(*org)) : std::string("BSQ");
    if (o == "BSQ") L.storage = PdsBandStorage::Sequential;
    else if (o == "BIL") L.storage = PdsBandStorage::LineInterleaved;
    else if (o == "BIP") L.storage = PdsBandStorage::SampleInterleaved;
    else return "VICAR ORG=" + shortened(*org) + " is not supported";
    if (nb == 0 || nb > kMaxBands) return "VICAR NB=" + std::to_string(nb) + " is not a usable band count";
    L.lines = static_cast<int>(nl);
    L.samples = static_cast<int>(ns);
    L.bands = static_cast<int>(nb);
    L.linePrefix = nbb;
    L.lineSuffix = 0;
    // Binary header lines (NLB) of RECSIZE bytes each sit between the label and the image.
    bool overflow = false;
    L.offset = labelSize + checkedProduct(nlb, recsize, overflow);
    if (overflow || L.offset > bytes.size()) return "the VICAR binary header lies past the end of the file";
    return finishLayout(L, bytes.size());
}

PdsLayoutResult layoutOf(const std::uint8_t* data, std::size_t size, bool wantLayout) {
    PdsLayoutResult result;
    if (data == nullptr || size == 0) {
        result.error = "empty PDS data";
        return result;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string_view start = skipLeadingBlanks(data, size);
    if (startsWith(start, "LBLSIZE=")) {
        const std::uint64_t at = bytes.size() - start.size();
        std::uint64_t labelSize = 0;
        result.label.vicarText = readVicarText(bytes, at, labelSize, result.error);
        if (!result.ok() || !wantLayout) return result;
        const auto items = splitVicarLabel(result.label.vicarText);
        result.error = layoutFromVicar(bytes, at + labelSize, items, result.layout);
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
        std::uint64_t at = 0;
        std::string problem = resolvePointer(result.label, "^IMAGE_HEADER", size, at);
        std::uint64_t labelSize = 0;
        if (problem.empty()) result.label.vicarText = readVicarText(bytes, at, labelSize, problem);
        result.label.vicarProblem = problem;
    }
    if (wantLayout) result.error = layoutFromPds(result.label, size, result.layout);
    return result;
}

// ---- samples to grey ----------------------------------------------------------------------

// Start of band `band`'s samples of `line`, and the distance between neighbouring samples.
const std::uint8_t* rowStart(const std::uint8_t* data, const PdsImageLayout& L, int band, int line) {
    const std::uint64_t bps = static_cast<std::uint64_t>(L.bits / 8);
    const std::uint64_t bandLine = static_cast<std::uint64_t>(L.samples) * bps;
    const std::uint64_t bands = static_cast<std::uint64_t>(L.bands);
    const std::uint64_t b = static_cast<std::uint64_t>(band), y = static_cast<std::uint64_t>(line);
    std::uint64_t at = 0;
    switch (L.storage) {
    case PdsBandStorage::Sequential: {
        const std::uint64_t record = L.linePrefix + bandLine + L.lineSuffix;
        at = (b * static_cast<std::uint64_t>(L.lines) + y) * record + L.linePrefix;
        break;
    }
    case PdsBandStorage::LineInterleaved:
        at = y * (L.linePrefix + bandLine * bands + L.lineSuffix) + L.linePrefix + b * bandLine;
        break;
    case PdsBandStorage::SampleInterleaved:
        at = y * (L.linePrefix + bandLine * bands + L.lineSuffix) + L.linePrefix + b * bps;
        break;
    }
    return data + L.offset + at;
}

std::size_t sampleStep(const PdsImageLayout& L) {
    const std::size_t bps = static_cast<std::size_t>(L.bits / 8);
    return L.storage == PdsBandStorage::SampleInterleaved ? bps * static_cast<std::size_t>(L.bands) : bps;
}

// Every sample type is turned into an unsigned "key" that sorts like the value: flipping the
// top bit of a two's-complement number gives offset binary.
template <typename F>
void forEachKey(const std::uint8_t* p, int count, std::size_t step, const PdsImageLayout& L, F&& f) {
    if (L.bits == 8) {
        const unsigned flip = L.isSigned ? 0x80u : 0u;
        for (int x = 0; x < count; ++x, p += step) f(x, p[0] ^ flip);
    } else {
        const unsigned flip = L.isSigned ? 0x8000u : 0u;
        if (L.bigEndian) {
            for (int x = 0; x < count; ++x, p += step) f(x, ((unsigned{p[0]} << 8) | p[1]) ^ flip);
        } else {
            for (int x = 0; x < count; ++x, p += step) f(x, ((unsigned{p[1]} << 8) | p[0]) ^ flip);
        }
    }
}

}  // namespace

const std::string* PdsLabel::find(std::string_view object, std::string_view name) const {
    const std::string o = upper(object), n = upper(name);
    for (const PdsKeyword& k : keywords) {
        if (k.object == o && k.name == n) return &k.value;
    }
    return nullptr;
}

bool looksLikePdsImage(const std::uint8_t* data, std::size_t size) {
    const std::string_view s = skipLeadingBlanks(data, size);
    return startsWith(s, "PDS_VERSION_ID") || startsWith(s, "ODL_VERSION_ID") || startsWith(s, "LBLSIZE=");
}

PdsLabelResult readPdsLabel(const std::uint8_t* data, std::size_t size) {
    PdsLayoutResult r = layoutOf(data, size, false);
    return {std::move(r.label), std::move(r.error)};
}

PdsLabelResult readPdsLabelFile(const std::string& path) {
    PdsLabelResult result;
    if (path.empty()) {
        result.error = "no file name given";
        return result;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        result.error = "cannot open " + path + ": " + std::strerror(errno);
        return result;
    }
    if (S_ISDIR(st.st_mode)) {
        result.error = "cannot read " + path + ": is a directory";
        return result;
    }
    if (static_cast<std::uint64_t>(st.st_size) > kMaxImageFileBytes) {
        result.error = "cannot read " + path + ": file larger than " + std::to_string(kMaxImageFileBytes / (1024 * 1024)) + " MiB";
        return result;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        result.error = "cannot open " + path + ": " + std::strerror(errno);
        return result;
    }
    std::vector<std::uint8_t> bytes;
    try {
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::bad_alloc&) {
        result.error = "cannot read " + path + ": out of memory";
        return result;
    }
    if (bytes.empty()) {
        result.error = "cannot read " + path + ": the file is empty (0 bytes)";
        return result;
    }
    result = readPdsLabel(bytes.data(), bytes.size());
    if (!result.ok()) result.error = path + ": " + result.error;
    return result;
}

PdsLayoutResult readPdsLayout(const std::uint8_t* data, std::size_t size) { return layoutOf(data, size, true); }

ImageResult decodePdsImage(const std::uint8_t* data, std::size_t size, PdsStretch* stretch) {
    ImageResult result;
    const PdsLayoutResult lr = readPdsLayout(data, size);
    if (!lr.ok()) {
        result.error = lr.error;
        return result;
    }
    const PdsImageLayout& L = lr.layout;
    const int used = L.bands == 3 ? 3 : 1;
    const std::size_t step = sampleStep(L);

    // Exact percentiles from a histogram of every sample used: one pass, no sorting.
    std::vector<std::uint64_t> histogram;
    std::vector<std::uint8_t> lut;
    try {
        histogram.assign(std::size_t{1} << L.bits, 0);
        lut.resize(histogram.size());
        result.image = ImageBuffer(L.samples, L.lines);
    } catch (const std::bad_alloc&) {
        result.error = "out of memory for a " + std::to_string(L.samples) + " x " + std::to_string(L.lines) + " image";
        result.image = ImageBuffer();
        return result;
    }
    for (int band = 0; band < used; ++band) {
        for (int y = 0; y < L.lines; ++y) {
            forEachKey(rowStart(data, L, band, y), L.samples, step, L, [&histogram](int, unsigned key) { ++histogram[key]; });
        }
    }
    const std::uint64_t n = static_cast<std::uint64_t>(L.lines) * static_cast<std::uint64_t>(L.samples) * used;
    const auto keyAtRank = [&histogram](std::uint64_t rank) {
        std::uint64_t seen = 0;
        for (std::size_t k = 0; k < histogram.size(); ++k) {
            seen += histogram[k];
            if (seen >= rank) return static_cast<int>(k);
        }
        return static_cast<int>(histogram.size()) - 1;
    };
    const int low = keyAtRank(std::max<std::uint64_t>(1, (2 * n + 99) / 100));
    const int high = keyAtRank(std::max<std::uint64_t>(1, (98 * n + 99) / 100));
    for (int k = 0; k < static_cast<int>(lut.size()); ++k) {
        if (k <= low && k < high) lut[k] = 0;
        else if (k >= high && k > low) lut[k] = 255;
        else if (low == high) lut[k] = 128;  // k == low == high: a flat picture, not a division by zero
        else lut[k] = static_cast<std::uint8_t>(((k - low) * 255 + (high - low) / 2) / (high - low));
    }
    if (stretch) {
        const int bias = L.isSigned ? (L.bits == 8 ? 0x80 : 0x8000) : 0;
        *stretch = {low - bias, high - bias};
    }

    for (int y = 0; y < L.lines; ++y) {
        std::uint8_t* out = result.image.row(y);
        if (used == 1) {
            forEachKey(rowStart(data, L, 0, y), L.samples, step, L, [out, &lut](int x, unsigned key) {
                std::uint8_t* p = out + 3 * x;
                p[0] = p[1] = p[2] = lut[key];
            });
        } else {
            // Bands are red, green, blue; the buffer holds blue, green, red.
            for (int band = 0; band < 3; ++band) {
                std::uint8_t* o = out + (2 - band);
                forEachKey(rowStart(data, L, band, y), L.samples, step, L,
                           [o, &lut](int x, unsigned key) { o[3 * x] = lut[key]; });
            }
        }
    }
    return result;
}

std::vector<std::pair<std::string, std::string>> splitVicarLabel(std::string_view text) {
    std::vector<std::pair<std::string, std::string>> items;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isBlank(text[i])) ++i;
        const std::size_t nameStart = i;
        while (i < text.size() && text[i] != '=' && !isBlank(text[i])) ++i;
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
            else if (!quoted && depth <= 0 && isBlank(c)) break;
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
