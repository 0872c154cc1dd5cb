#include "core/decode/StereoPartnerFile.h"

#include <filesystem>
#include <system_error>

namespace keldar::decode {

std::string findPartnerFile(std::string_view directory, std::string_view partnerName) {
    if (partnerName.empty()) return {};
    std::string stem(directory);
    if (stem.empty() || stem.back() != '/') stem += '/';
    stem += partnerName;
    for (const char* extension : {".jpg", ".JPG"}) {
        std::string candidate = stem + extension;
        std::error_code ec;  // an unreadable directory finds nothing rather than failing
        if (std::filesystem::is_regular_file(candidate, ec)) return candidate;
    }
    return {};
}

}  // namespace keldar::decode
