#include "core/imaging/PdsImage.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <new>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/imaging/ImageFileInternal.h"

namespace keldar::imaging {

namespace {

// A label longer than this is not a label but a file without END.
constexpr std::size_t kMaxLabelBytes = std::size_t{4} * 1024 * 1024;
// Far beyond any real product; keeps every product of label numbers well inside 64 bits.
constexpr std::uint64_t kMaxBands = 4096;
constexpr std::uint64_t kMaxLineExtraBytes = std::uint64_t{1} << 24;
// Counts must fit an int; the image limits then refuse what is still too large.
constexpr std::uint64_t kMaxCount = 0x7fffffff;

}  // namespace

// Bytes in memory: nothing is copied.
class PdsMemorySource final : public PdsSource {
public:
    PdsMemorySource(const std::uint8_t* data, std::size_t size) : data_(data), size_(data ? size : 0) {}
    std::uint64_t size() const override { return size_; }
    const std::uint8_t* fetch(std::uint64_t offset, std::size_t n, std::vector<std::uint8_t>&, std::string& error) const override {
        if (offset > size_ || n > size_ - offset) {
            error = "truncated file: " + std::to_string(n) + " bytes at byte " + std::to_string(offset) + " are past its end";
            return nullptr;
        }
        return data_ + offset;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

PdsFileSource::~PdsFileSource() {
    if (fd_ >= 0) ::close(fd_);
}

std::string PdsFileSource::open(const std::string& path) {
    path_ = path;
    if (path.empty()) return "no file name given";
    // Non-blocking, and regular files only: a FIFO or a device would hang or never end.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd_ < 0) return "cannot open " + path + ": " + std::strerror(errno);
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return "cannot read " + path + ": " + std::strerror(errno);
    if (S_ISDIR(st.st_mode)) return "cannot read " + path + ": is a directory";
    if (!S_ISREG(st.st_mode)) return "cannot read " + path + ": " + detail::notRegularFileText(st.st_mode);
    if (st.st_size == 0) return "cannot read " + path + ": the file is empty (0 bytes)";
    size_ = static_cast<std::uint64_t>(st.st_size);
    return {};
}

const std::uint8_t* PdsFileSource::fetch(std::uint64_t offset, std::size_t n, std::vector<std::uint8_t>& buffer,
                                         std::string& error) const {
    if (offset > size_ || n > size_ - offset) {
        error = "truncated file: " + std::to_string(n) + " bytes at byte " + std::to_string(offset) + " are past its end";
        return nullptr;
    }
    try {
        if (buffer.size() < n) buffer.resize(n);
    } catch (const std::bad_alloc&) {
        error = "cannot read " + path_ + ": out of memory";
        return nullptr;
    }
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd_, buffer.data() + done, n - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = "cannot read " + path_ + ": " + std::strerror(errno);
            return nullptr;
        }
        if (got == 0) {
            error = "cannot read " + path_ + ": the file shrank while it was read";
            return nullptr;
        }
        done += static_cast<std::size_t>(got);
    }
    return buffer.data();
}

std::unique_ptr<PdsSource> PdsFileSource::sibling(const std::string& name, std::string& error) const {
    // The file a label names sits beside it; archive volumes write names in lower case while
    // labels print them in upper case, so the name is matched without regard to case.
    const std::size_t slash = path_.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : path_.substr(0, slash == 0 ? 1 : slash);
    const std::string own = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    if (name.find('/') != std::string::npos) {
        error = "^IMAGE points into " + name + ", which is not a file beside this one";
        return nullptr;
    }
    if (equalsNoCaseText(name, own)) return nullptr;  // this very file
    std::string found;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* entry = ::readdir(d)) {
            if (equalsNoCaseText(entry->d_name, name)) {
                found = entry->d_name;
                if (found == name) break;
            }
        }
        ::closedir(d);
    }
    if (found.empty()) {
        error = "^IMAGE points into " + name + ", which is not beside this file";
        return nullptr;
    }
    auto other = std::make_unique<PdsFileSource>();
    if (std::string problem = other->open(dir + "/" + found); !problem.empty()) {
        error = problem;
        return nullptr;
    }
    return other;
}

std::unique_ptr<PdsSource> PdsSource::sibling(const std::string& name, std::string& error) const {
    error = "^IMAGE points into a separate file, " + name + ", and no directory is known to find it in";
    return nullptr;
}

bool equalsNoCaseText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

namespace {

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

// ^NAME = n | n <BYTES> | "file" | ("file", n) | ("file", n <BYTES>) -> the file it names ("" for
// this one) and the byte offset in it, checked against that file's size.
struct Pointer {
    std::string file;
    std::uint64_t count = 1;
    bool bytes = false;
};

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

// ---- VICAR label --------------------------------------------------------------------------

const std::string* findItem(const std::vector<std::pair<std::string, std::string>>& items, std::string_view name) {
    for (const auto& item : items) {
        if (item.first == name) return &item.second;
    }
    return nullptr;
}

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

std::uint64_t checkedProduct(std::uint64_t a, std::uint64_t b, bool& overflow) {
    std::uint64_t r = 0;
    if (__builtin_mul_overflow(a, b, &r)) overflow = true;
    return r;
}

// Completes the layout's byte count and checks it against limits and the bytes present.
std::string finishLayout(PdsImageLayout& L, std::uint64_t fileSize) {
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

// `data` becomes the file the samples lie in when the label names another than `own`.
std::string layoutFromPds(const PdsLabel& label, const PdsSource& own, PdsImageLayout& L,
                          std::unique_ptr<PdsSource>& data) {
    bool hasImage = false;
    for (const PdsKeyword& k : label.keywords) {
        if (k.object.empty() && k.name == "OBJECT" && upper(unquote(k.value)) == "IMAGE") hasImage = true;
    }
    if (!hasImage) return "the PDS label has no OBJECT = IMAGE";
    Pointer pointer;
    if (std::string error = parsePointer(label, "^IMAGE", pointer); !error.empty()) return error;
    if (!pointer.file.empty()) {
        std::string error;
        data = own.sibling(pointer.file, error);
        if (!error.empty()) return error;
    }
    const std::uint64_t fileSize = data ? data->size() : own.size();
    if (std::string error = pointerOffset(label, "^IMAGE", pointer, fileSize, L.offset); !error.empty()) return error;

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
    if (s == "LINE_INTERLEAVED") L.storage = PdsBandStorage::LineInterleaved;
    else if (s == "SAMPLE_INTERLEAVED") L.storage = PdsBandStorage::SampleInterleaved;
    // With one band the order is irrelevant, whatever the label calls it.
    else if (s == "BAND_SEQUENTIAL" || L.bands == 1) L.storage = PdsBandStorage::Sequential;
    else return "BAND_STORAGE_TYPE = " + shortened(s) + " is not supported";
    return finishLayout(L, fileSize);
}

std::string layoutFromVicar(std::uint64_t fileSize, std::uint64_t labelSize,
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
    if (overflow || L.offset > fileSize) return "the VICAR binary header lies past the end of the file";
    return finishLayout(L, fileSize);
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

// ---- samples to grey ----------------------------------------------------------------------

// Where band `band`'s samples of `line` begin, as a byte offset from the image's first byte.
std::uint64_t rowOffset(const PdsImageLayout& L, int band, int line) {
    const std::uint64_t bps = static_cast<std::uint64_t>(L.bits / 8);
    const std::uint64_t bandLine = static_cast<std::uint64_t>(L.samples) * bps;
    const std::uint64_t bands = static_cast<std::uint64_t>(L.bands);
    const std::uint64_t b = static_cast<std::uint64_t>(band), y = static_cast<std::uint64_t>(line);
    switch (L.storage) {
    case PdsBandStorage::Sequential: {
        const std::uint64_t record = L.linePrefix + bandLine + L.lineSuffix;
        return L.offset + (b * static_cast<std::uint64_t>(L.lines) + y) * record + L.linePrefix;
    }
    case PdsBandStorage::LineInterleaved:
        return L.offset + y * (L.linePrefix + bandLine * bands + L.lineSuffix) + L.linePrefix + b * bandLine;
    case PdsBandStorage::SampleInterleaved:
        return L.offset + y * (L.linePrefix + bandLine * bands + L.lineSuffix) + L.linePrefix + b * bps;
    }
    return L.offset;
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


// The bytes one band of one line spans, from its first sample to its last.
std::size_t rowSpan(const PdsImageLayout& L) {
    const std::size_t bps = static_cast<std::size_t>(L.bits / 8);
    return (static_cast<std::size_t>(L.samples) - 1) * sampleStep(L) + bps;
}

}  // namespace

// Two passes over the samples, a band line at a time: the first counts every sample for the
// stretch, the second maps each line to grey or colour. Only one line's bytes are held.
struct PdsRowDecoder::Impl {
    std::unique_ptr<PdsSource> ownSource;  // when opened by path
    const PdsSource* labelSource = nullptr;
    std::unique_ptr<PdsSource> dataSource;  // a file the label names, else the label's own
    PdsImageLayout layout;
    PdsStretch stretch;
    std::vector<std::uint8_t> lut;
    std::vector<std::uint8_t> buffer;
    int used = 1;
    int next = 0;
    std::string error;

    const PdsSource& data() const { return dataSource ? *dataSource : *labelSource; }

    const std::uint8_t* bandLine(int band, int line) {
        return data().fetch(rowOffset(layout, band, line), rowSpan(layout), buffer, error);
    }

    std::string start() {
        PdsLayoutResult lr = layoutOf(*labelSource, true, &dataSource);
        if (!lr.ok()) return lr.error;
        layout = lr.layout;
        const PdsImageLayout& L = layout;
        used = L.bands == 3 ? 3 : 1;
        const std::size_t step = sampleStep(L);
        // Exact percentiles from a histogram of every sample used: one pass, no sorting.
        std::vector<std::uint64_t> histogram;
        try {
            histogram.assign(std::size_t{1} << L.bits, 0);
            lut.resize(histogram.size());
        } catch (const std::bad_alloc&) {
            return "out of memory for a " + std::to_string(L.samples) + " x " + std::to_string(L.lines) + " image";
        }
        for (int band = 0; band < used; ++band) {
            for (int y = 0; y < L.lines; ++y) {
                const std::uint8_t* p = bandLine(band, y);
                if (p == nullptr) return error;
                forEachKey(p, L.samples, step, L, [&histogram](int, unsigned key) { ++histogram[key]; });
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
        const int bias = L.isSigned ? (L.bits == 8 ? 0x80 : 0x8000) : 0;
        stretch = {low - bias, high - bias};
        return {};
    }

    bool row(std::uint8_t* out) {
        const PdsImageLayout& L = layout;
        const std::size_t step = sampleStep(L);
        const int y = next++;
        if (used == 1) {
            const std::uint8_t* p = bandLine(0, y);
            if (p == nullptr) return false;
            forEachKey(p, L.samples, step, L, [out, this](int x, unsigned key) {
                std::uint8_t* q = out + 3 * x;
                q[0] = q[1] = q[2] = lut[key];
            });
            return true;
        }
        // Bands are red, green, blue; the buffer holds blue, green, red.
        for (int band = 0; band < 3; ++band) {
            const std::uint8_t* p = bandLine(band, y);
            if (p == nullptr) return false;
            std::uint8_t* o = out + (2 - band);
            forEachKey(p, L.samples, step, L, [o, this](int x, unsigned key) { o[3 * x] = lut[key]; });
        }
        return true;
    }
};

PdsRowDecoder::PdsRowDecoder() : impl_(std::make_unique<Impl>()) {}
PdsRowDecoder::~PdsRowDecoder() = default;

std::string PdsRowDecoder::open(const std::string& path) {
    impl_ = std::make_unique<Impl>();
    auto file = std::make_unique<PdsFileSource>();
    if (std::string error = file->open(path); !error.empty()) return impl_->error = error;
    impl_->ownSource = std::move(file);
    impl_->labelSource = impl_->ownSource.get();
    if (std::string error = impl_->start(); !error.empty()) return impl_->error = path + ": " + error;
    return {};
}

std::string PdsRowDecoder::openSource(const PdsSource& source) {
    impl_ = std::make_unique<Impl>();
    impl_->labelSource = &source;
    if (std::string error = impl_->start(); !error.empty()) return impl_->error = error;
    return {};
}

int PdsRowDecoder::width() const { return impl_->layout.samples; }
int PdsRowDecoder::height() const { return impl_->layout.lines; }
const PdsStretch& PdsRowDecoder::stretch() const { return impl_->stretch; }
const std::string& PdsRowDecoder::error() const { return impl_->error; }

bool PdsRowDecoder::nextRow(std::uint8_t* out) {
    if (!impl_->error.empty() || impl_->next >= impl_->layout.lines) return false;
    return impl_->row(out);
}

namespace {

ImageResult decodeAll(PdsRowDecoder& decoder, const std::string& opened, PdsStretch* stretch) {
    ImageResult result;
    if (!opened.empty()) {
        result.error = opened;
        return result;
    }
    try {
        result.image = ImageBuffer(decoder.width(), decoder.height());
    } catch (const std::bad_alloc&) {
        result.error = "out of memory for a " + std::to_string(decoder.width()) + " x " + std::to_string(decoder.height()) +
                       " image";
        return result;
    }
    for (int y = 0; y < decoder.height(); ++y) {
        if (!decoder.nextRow(result.image.row(y))) {
            result.error = decoder.error();
            result.image = ImageBuffer();
            return result;
        }
    }
    if (stretch) *stretch = decoder.stretch();
    return result;
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
    PdsLayoutResult r = layoutOf(PdsMemorySource(data, size), false, nullptr);
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
    PdsLayoutResult r = layoutOf(file, false, nullptr);
    result = {std::move(r.label), std::move(r.error)};
    if (!result.ok()) result.error = path + ": " + result.error;
    return result;
}

PdsLayoutResult readPdsLayout(const std::uint8_t* data, std::size_t size) {
    return layoutOf(PdsMemorySource(data, size), true, nullptr);
}

ImageResult decodePdsImage(const std::uint8_t* data, std::size_t size, PdsStretch* stretch) {
    const PdsMemorySource source(data, size);
    PdsRowDecoder decoder;
    const std::string opened = decoder.openSource(source);
    return decodeAll(decoder, opened, stretch);
}

ImageResult readPdsImageFile(const std::string& path, PdsStretch* stretch) {
    PdsRowDecoder decoder;
    const std::string opened = decoder.open(path);
    ImageResult result = decodeAll(decoder, opened, stretch);
    if (!result.ok() && result.error.compare(0, path.size(), path) != 0) result.error = path + ": " + result.error;
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
