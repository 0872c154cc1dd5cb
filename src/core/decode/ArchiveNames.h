#pragma once
// What the product identifier says beyond the classic decoding: the site and drive counters
// as numbers, and names as the archive volumes write them (in lower case).

#include <optional>
#include <string>
#include <string_view>

namespace keldar::decode {

// A site or drive counter. Two characters count past 99 with letters: "00".."99" are 0..99,
// "A0".."ZZ" are 100..1035 (a letter, then a digit or letter), "0A".."9Z" are 1036..1295;
// "##" and "__" stand for any value of 1296 or more.
struct LocationCounter {
    int value = 0;
    bool atLeast = false;  // the value is a lower bound ("##", "__")
};

std::optional<LocationCounter> decodeLocationCounter(std::string_view characters);

// "1036", "1296 or more", or "" for characters that are no counter.
std::string locationCounterText(const std::optional<LocationCounter>& counter);

// The file name with its last path component's letters in upper case, as the identifier is
// printed on the products themselves; the directory part is left as it is.
std::string upperCaseArchiveName(std::string_view path);

}  // namespace keldar::decode
