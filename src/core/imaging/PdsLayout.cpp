#include <algorithm>

#include "core/imaging/PdsImageInternal.h"

namespace keldar::imaging::pds {

namespace {

// Far beyond any real product; keeps every product of label numbers well inside 64 bits.
constexpr std::uint64_t kMaxBands = 4096;
constexpr std::uint64_t kMaxLineExtraBytes = std::uint64_t{1} << 24;
// Counts must fit an int; the image limits then refuse what is still too large.
constexpr std::uint64_t kMaxCount = 0x7fffffff;

const std::string* findItem(const std::vector<std::pair<std::string, std::string>>& items, std::string_view name) {
    for (const auto& item : items) {
        if (item.first == name) return &item.second;
    }
    return nullptr;
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

}  // namespace

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

}  // namespace keldar::imaging::pds
