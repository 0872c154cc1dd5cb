#pragma once
// UTF-8 as file names and identifiers meet it: bytes that may or may not be UTF-8.

#include <cstddef>
#include <string_view>

namespace keldar::decode {

// Length of the well-formed UTF-8 sequence at text[i] (1 to 4), or 0 when the bytes there are
// not one: overlong forms, surrogates, code points past U+10FFFF and cut sequences are not.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i);

bool isValidUtf8(std::string_view text);

}  // namespace keldar::decode
