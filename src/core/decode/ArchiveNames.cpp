#include "core/decode/ArchiveNames.h"

#include <cctype>

namespace keldar::decode {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return c >= 'A' && c <= 'Z'; }

}  // namespace

std::optional<LocationCounter> decodeLocationCounter(std::string_view s) {
    if (s.size() != 2) return std::nullopt;
    const char a = s[0];
    const char b = s[1];
    if (s == "##" || s == "__") return LocationCounter{1296, true};
    if (isDigit(a) && isDigit(b)) return LocationCounter{(a - '0') * 10 + (b - '0'), false};
    if (isLetter(a) && (isDigit(b) || isLetter(b))) {
        const int second = isDigit(b) ? b - '0' : 10 + (b - 'A');
        return LocationCounter{100 + (a - 'A') * 36 + second, false};
    }
    if (isDigit(a) && isLetter(b)) return LocationCounter{1036 + (a - '0') * 26 + (b - 'A'), false};
    return std::nullopt;
}

std::string locationCounterText(const std::optional<LocationCounter>& counter) {
    if (!counter) return {};
    return std::to_string(counter->value) + (counter->atLeast ? " or more" : "");
}

std::string upperCaseArchiveName(std::string_view path) {
    std::string result(path);
    const std::size_t slash = result.find_last_of('/');
    for (std::size_t i = slash == std::string::npos ? 0 : slash + 1; i < result.size(); ++i) {
        if (result[i] >= 'a' && result[i] <= 'z') result[i] = static_cast<char>(result[i] - 'a' + 'A');
    }
    return result;
}

std::string_view archiveRoverFolder(int rover) {
    if (rover == 1) return "opportunity";
    if (rover == 2) return "spirit";
    return {};
}

std::string archiveVolume(int rover, char cameraLetter) {
    if (archiveRoverFolder(rover).empty()) return {};
    char instrument = 0;
    switch (std::toupper(static_cast<unsigned char>(cameraLetter))) {
    case 'P': instrument = 'p'; break;
    case 'N': instrument = 'n'; break;
    case 'F':
    case 'R': instrument = 'h'; break;
    case 'M': instrument = 'm'; break;
    case 'E': instrument = 'd'; break;
    default: return {};
    }
    return std::string("mer") + static_cast<char>('0' + rover) + instrument + "o_0xxx";
}

std::string archiveRoverAddress(int rover) {
    const std::string_view folder = archiveRoverFolder(rover);
    std::string address(kArchiveBase);
    if (!folder.empty()) address.append(folder).append("/");
    return address;
}

std::string archiveBrowseAddress(int rover, char cameraLetter, std::int64_t sol) {
    const std::string volume = archiveVolume(rover, cameraLetter);
    std::string address = archiveRoverAddress(rover);
    if (volume.empty() || sol < 0) return address;
    std::string digits = std::to_string(sol);
    if (digits.size() < 4) digits.insert(0, 4 - digits.size(), '0');
    return address + volume + "/browse/sol" + digits + "/edr/";
}

}  // namespace keldar::decode
