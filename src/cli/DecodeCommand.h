#pragma once
#include <string>
#include <vector>

namespace keldar::cli {

// keldar-cli decode [--json] NAME...
int runDecodeCommand(const std::vector<std::string>& args);
const char* decodeCommandUsage();

}  // namespace keldar::cli
