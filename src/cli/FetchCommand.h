#pragma once
// keldar-cli fetch: a sol's products from the PDS imaging archive.

#include <string>
#include <vector>

namespace keldar::cli {

const char* fetchCommandUsage();
int runFetchCommand(const std::vector<std::string>& args);

}  // namespace keldar::cli
