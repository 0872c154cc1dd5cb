#include "core/imaging/AnaglyphNaming.h"

#include <algorithm>
#include <cctype>

namespace keldar::imaging {

namespace {

std::string_view lastComponent(std::string_view path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool endsWithIgnoringCase(std::string_view text, std::string_view ending) {
    if (ending.size() > text.size()) return false;
    const std::string_view tail = text.substr(text.size() - ending.size());
    return std::equal(tail.begin(), tail.end(), ending.begin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return parts;
}

}  // namespace

std::string anaglyphSettingsSuffix(int brightness, int contrast, int merge) {
    return "-B" + std::to_string(brightness) + "C" + std::to_string(contrast) + "M" + std::to_string(merge);
}

std::string anaglyphCounterEnding(int counter) { return "-0" + std::to_string(counter); }

bool isAnaglyphOutputName(std::string_view name) {
    // ... "-B" digits "C" digits "M" digits "-0" digits, then the extension.
    std::string_view stem = lastComponent(name);
    const std::string cut = pathStem(stem);
    stem = stem.substr(0, cut.size());
    auto digitsBefore = [&stem](std::size_t end) {
        std::size_t start = end;
        while (start > 0 && std::isdigit(static_cast<unsigned char>(stem[start - 1])) != 0) --start;
        return start;
    };
    // The counter's digits follow "-0", whose zero the digit run takes in too.
    std::size_t at = digitsBefore(stem.size());
    if (stem.size() - at < 2 || at == 0 || stem[at] != '0' || stem[at - 1] != '-') return false;
    at -= 1;
    for (const char marker : {'M', 'C', 'B'}) {
        const std::size_t start = digitsBefore(at);
        if (start == at || start == 0 || stem[start - 1] != marker) return false;
        at = start - 1;
    }
    return at > 0 && stem[at - 1] == '-';
}

std::string fileBaseName(std::string_view path) { return pathStem(lastComponent(path)); }

std::string pathStem(std::string_view path) {
    const std::string_view last = lastComponent(path);
    const std::size_t dot = last.find_last_of('.');
    if (dot == std::string_view::npos) return std::string(path);
    // Only a real extension goes: a few letters or digits. The dot of a proposed name such as
    // "X.v2-B30C16M50-01" is part of the name, not the start of an extension.
    const std::string_view extension = last.substr(dot + 1);
    const bool real = !extension.empty() && extension.size() <= kMaxExtensionLength &&
                      std::all_of(extension.begin(), extension.end(),
                                  [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
    if (!real) return std::string(path);
    return std::string(path.substr(0, path.size() - last.size() + dot));
}

std::string joinPath(std::string_view directory, std::string_view name) {
    std::string joined(directory);
    if (!joined.empty() && joined.back() != '/') joined += '/';
    joined += name;
    return joined;
}

std::optional<AnaglyphNameProposal> proposeAnaglyphName(std::string_view directory, std::string_view base,
                                                        std::string_view suffix,
                                                        const std::function<bool(const std::string&)>& exists,
                                                        int maxCounter) {
    return proposeCounterName(directory, base, suffix, "-0", exists, maxCounter);
}

std::optional<AnaglyphNameProposal> proposeCounterName(std::string_view directory, std::string_view base,
                                                       std::string_view suffix, std::string_view proposedMarker,
                                                       const std::function<bool(const std::string&)>& exists,
                                                       int maxCounter,
                                                       std::initializer_list<std::string_view> savedExtensions) {
    const std::string stemStart = std::string(base) + std::string(suffix);
    for (int counter = 1; counter <= maxCounter; ++counter) {
        const std::string relativeName = stemStart + anaglyphCounterEnding(counter) + ".jpg";
        if (exists(joinPath(directory, relativeName))) continue;
        const std::string proposed = joinPath(directory, stemStart + std::string(proposedMarker) + std::to_string(counter));
        bool taken = false;
        for (std::string_view extension : savedExtensions) taken = taken || exists(proposed + std::string(extension));
        if (taken) continue;
        return AnaglyphNameProposal{counter, relativeName, proposed};
    }
    return std::nullopt;
}

std::vector<SaveFilter> parseSaveFilters(std::string_view text) {
    const std::vector<std::string_view> parts = split(text, '|');
    std::vector<SaveFilter> filters;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2)
        filters.push_back({std::string(parts[i]), std::string(parts[i + 1])});
    return filters;
}

bool matchesSaveFilter(std::string_view fileName, const SaveFilter& filter) {
    for (std::string_view pattern : split(filter.patterns, ';')) {
        if (pattern.empty()) continue;
        if (pattern == "*" || pattern == "*.*") return true;
        if (pattern.substr(0, 1) == "*" && endsWithIgnoringCase(fileName, pattern.substr(1))) return true;
    }
    return false;
}

int filterIndexForName(std::string_view fileName, const std::vector<SaveFilter>& filters, int preselected) {
    const std::string_view name = lastComponent(fileName);
    if (preselected >= 1 && preselected <= static_cast<int>(filters.size()) &&
        matchesSaveFilter(name, filters[static_cast<std::size_t>(preselected - 1)]))
        return preselected;
    int best = 0;
    std::size_t bestCount = 0;
    for (std::size_t i = 0; i < filters.size(); ++i) {
        if (!matchesSaveFilter(name, filters[i])) continue;
        const std::size_t count = split(filters[i].patterns, ';').size();
        if (best == 0 || count < bestCount) {
            best = static_cast<int>(i) + 1;
            bestCount = count;
        }
    }
    return best != 0 ? best : preselected;
}

AnaglyphSaveTarget anaglyphSaveTarget(std::string_view chosenPath, int filterIndex) {
    const std::string stem = pathStem(chosenPath);
    if (filterIndex == kAnaglyphJpegFilter) return {AnaglyphFileFormat::Jpeg, stem + ".jpg"};
    return {AnaglyphFileFormat::Bmp, stem + ".bmp"};
}

}  // namespace keldar::imaging
