#pragma once
#include <string>
#include <vector>

namespace keldar::cli {

// keldar-cli when ROVER SOL
int runWhenCommand(const std::vector<std::string>& args);
const char* whenCommandUsage();

}  // namespace keldar::cli
