#pragma once
// What the product identifier says beyond the classic decoding: the site and drive counters
// as numbers, names as the archive volumes write them (in lower case), and where the PDS
// imaging archive keeps a rover's products.

#include <cstdint>
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

// The PDS imaging archive of both rovers: one folder per rover ("opportunity" for MER-1,
// "spirit" for MER-2), in it one volume per camera (mer<1|2><p|n|h|m|d>o_0xxx), in each volume
// a browse folder per sol (browse/sol0001/edr/).
inline constexpr std::string_view kArchiveBase = "https://planetarydata.jpl.nasa.gov/img/data/mer/";

// "opportunity" for rover 1, "spirit" for rover 2, "" for any other.
std::string_view archiveRoverFolder(int rover);

// The volume of a rover's camera, by the identifier's camera letter (upper or lower case):
// P PANCAM, N NAVCAM, F and R the HAZCAMs, M the microscopic imager, E the descent camera.
// "" for a rover or letter the archive has no volume of.
std::string archiveVolume(int rover, char cameraLetter);

// The folder that "Find at NASA" opens: the browse folder of one rover, camera and sol
// (sol written with at least four digits). With a camera or sol the archive cannot have
// (an unknown letter, a sol below 0) it is the rover's folder, and with an unknown rover the
// archive's base.
std::string archiveBrowseAddress(int rover, char cameraLetter, std::int64_t sol);

// The rover's folder of the archive (the base for an unknown rover).
std::string archiveRoverAddress(int rover);

}  // namespace keldar::decode
