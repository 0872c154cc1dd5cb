#pragma once
// keldar-cli anaglyphs: the anaglyph of every stereo pair of a directory, built on all cores.

#include <string>
#include <vector>

namespace keldar::cli {

// Exit status when a signal stopped the batch.
inline constexpr int kExitStopped = 130;

// DIR OUTDIR [--merge N] [--contrast N] [--brightness N] [--jobs N]. Returns 0 when every
// pair was built or skipped, 1 when any failed (or DIR cannot be read, OUTDIR not made),
// 2 on a usage error, kExitStopped after SIGINT or SIGTERM.
int runAnaglyphsCommand(const std::vector<std::string>& args);

const char* anaglyphsCommandUsage();

}  // namespace keldar::cli
