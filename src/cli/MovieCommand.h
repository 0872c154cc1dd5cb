#pragma once
// keldar-cli movie: a movie of one sequence of a directory, encoded by ffmpeg.

#include <string>
#include <vector>

namespace keldar::cli {

// DIR OUT [--sequence S] [--eye left|right] [--camera C] [--fps N] [--difference] [--stretch]
// [--caption] [--jobs N]
int runMovieCommand(const std::vector<std::string>& args);
const char* movieCommandUsage();

}  // namespace keldar::cli
