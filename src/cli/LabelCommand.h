#pragma once
#include <string>
#include <vector>

namespace keldar::cli {

// keldar-cli label FILE: prints the PDS3 label of a PDS image, then its VICAR label.
int runLabelCommand(const std::vector<std::string>& args);
const char* labelCommandUsage();

}  // namespace keldar::cli
