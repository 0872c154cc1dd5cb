#pragma once
// Argument parsing shared by the image commands of keldar-cli: positionals and "--name N"
// options with ranges, and the messages and exit statuses of usage errors and failures.

#include "core/imaging/AnaglyphPipeline.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace keldar::cli {

struct ParsedArgs {
    std::vector<std::string> positional;
    std::map<std::string, int> numbers;  // option name -> value
    bool flags_mer2rgb = false;
    bool help = false;
};

// Parses positionals and "--name N" / "--name=N" options. `numeric` lists the options that
// take an integer in [lo, hi]; "--mer2rgb" is accepted only when allowMer2rgb is set. On
// false the message is already on stderr.
bool parseArgs(const char* command, const std::vector<std::string>& args,
               const std::map<std::string, std::pair<int, int>>& numeric, bool allowMer2rgb, ParsedArgs& out);

// Prints the message and the way to the usage text; returns the usage exit status.
int usageError(const char* command, const std::string& message);
// Prints the message; returns the failure exit status.
int failure(const char* command, const std::string& message);

int numberOr(const ParsedArgs& p, const std::string& name, int fallback);

// A whole number of at most three digits within [lo, hi], as options such as --jobs take.
bool wholeNumberIn(const std::string& text, int lo, int hi, int& out);

// The ranges of the anaglyph slider options, and the positions given, the workbench's
// defaults otherwise.
std::map<std::string, std::pair<int, int>> anaglyphOptionRanges();
imaging::AnaglyphSettings anaglyphSettingsFrom(const ParsedArgs& p);

}  // namespace keldar::cli
