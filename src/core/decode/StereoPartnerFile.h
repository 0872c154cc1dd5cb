#pragma once
// Where the stereo partner of an image is looked for: the directory, "/", the partner's name
// and ".jpg". Linux file names respect case and the archive publishes upper-case extensions,
// so ".JPG" is tried as well. A partner kept as a bitmap is not looked for. The workbench and
// the command line's batch share this one rule.

#include <string>
#include <string_view>

namespace keldar::decode {

// The partner file that exists as a regular file (or a link to one), ".jpg" first, then
// ".JPG": the directory and the file name joined with one "/". "" when neither exists or
// the name is empty.
std::string findPartnerFile(std::string_view directory, std::string_view partnerName);

}  // namespace keldar::decode
