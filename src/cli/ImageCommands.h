#pragma once
// The image subcommands of keldar-cli: anaglyph, composite and sunset.
//
// Each takes the arguments that follow its own word and returns the process exit status:
// 0 on success, 1 when reading, processing or writing fails, 2 on a usage error. Messages go
// to stderr. The output file is written through a temporary file and a rename, so a failed
// run leaves nothing at OUT.

#include "core/imaging/AnaglyphPipeline.h"
#include "core/imaging/ImageFile.h"

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace keldar::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// How one output is streamed from its inputs.
struct StreamOptions {
    imaging::ExistingFile existing = imaging::ExistingFile::Replace;
    // Decodes the inputs on a helper thread too while the calling thread encodes; a caller that
    // already keeps every core busy turns it off.
    bool helperThread = true;
    // Checked between rows: once set, the output is abandoned (its temporary file removed)
    // and kStoppedError is returned.
    const std::atomic<bool>* stop = nullptr;
};
inline constexpr std::string_view kStoppedError = "stopped";

// The anaglyph of one pair written to `out` (JPEG or BMP by its name), row by row as the
// anaglyph command builds it. Returns "" or the first error.
std::string writeAnaglyphFile(const std::string& right, const std::string& left, const std::string& out,
                              const imaging::AnaglyphSettings& settings, const StreamOptions& options);

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
