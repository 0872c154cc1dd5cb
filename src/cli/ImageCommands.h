#pragma once
// The image subcommands of keldar-cli: anaglyph, composite and sunset.
//
// Each takes the arguments that follow its own word and returns the process exit status:
// 0 on success, 1 when reading, processing or writing fails, 2 on a usage error. Messages go
// to stderr. The output file is written through a temporary file and a rename, so a failed
// run leaves nothing at OUT.

#include <string>
#include <vector>

namespace keldar::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// RIGHT LEFT OUT [--merge N] [--contrast N] [--brightness N]; positions 0..100, defaults 50, 16, 30.
int runAnaglyphCommand(const std::vector<std::string>& args);

// RED GREEN BLUE OUT [--mer2rgb [--red N] [--blue N]]; straight combination unless --mer2rgb,
// whose red and blue positions default to 70.
int runCompositeCommand(const std::vector<std::string>& args);

// IN OUT [--passes K]; K passes of the sunset fade, 0..256, default 256.
int runSunsetCommand(const std::vector<std::string>& args);

// Usage text of the three commands, for the --help of the main program.
const char* imageCommandsUsage();

}  // namespace keldar::cli
