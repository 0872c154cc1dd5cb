#pragma once
// Decimal text to a 32-bit integer, accepting what a platform string-to-integer routine
// accepts: optional sign, then decimal digits. Blanks, letters, an empty text and values
// outside the 32-bit range are refused.

#include <cstdint>
#include <optional>
#include <string_view>

namespace keldar::decode {

std::optional<std::int32_t> parseDecimalInt32(std::string_view text);

}  // namespace keldar::decode
