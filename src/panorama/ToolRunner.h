#pragma once
// Outside command-line tools run as child processes: each in its own process group (so that
// stopping it takes whatever it started with it), its output kept in a log file, never a
// shell between. Waiting looks at a stop flag every few milliseconds.

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace keldar::panorama {

// The program's path through PATH, "" when it is not there.
std::string findTool(const std::string& name);

struct ToolCommand {
    std::vector<std::string> argv;  // argv[0] is looked up in PATH
    std::string log;                // stdout and stderr are appended here
};

struct ToolOutcome {
    bool stopped = false;  // the stop flag was set: every child was killed
    std::string error;     // "" when every command exited 0; else the first failure, with its log's end
    bool ok() const { return error.empty() && !stopped; }
};

// Runs the commands in `directory`, at most `jobs` at a time, in order; the first failure stops
// the rest from starting. `environment` entries ("NAME=value") are added to the inherited ones.
// `started` is told the index of each command as it starts; `finished` as it ends well.
ToolOutcome runTools(const std::vector<ToolCommand>& commands, const std::string& directory, int jobs,
                     const std::vector<std::string>& environment, const std::atomic<bool>* stop,
                     const std::function<void(std::size_t)>& finished = {});

// The last `lines` lines of a log file, for a message.
std::string logTail(const std::string& path, int lines = 4);

}  // namespace keldar::panorama
