#include "cli/WhenCommand.h"

#include <cmath>
#include <iostream>
#include <string>

#include "core/time/MissionTime.h"

namespace keldar::cli {
namespace {

// Whole seconds: the span comes from a model good to a few seconds, not to milliseconds.
std::string utcText(double utcSeconds)
{
    return time::formatUtcIso(std::round(utcSeconds)).substr(0, 19) + " UTC";
}

// A sol as typed: decimal digits only, so "12abc", "+3" or "1e3" are refused, not guessed at.
bool parseSol(const std::string& text, int& sol)
{
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    sol = std::stoi(text);
    return true;
}

}  // namespace

const char* whenCommandUsage()
{
    return "  keldar-cli when ROVER SOL\n"
           "      Prints the UTC span of a sol at the rover's landing site, local true midnight to\n"
           "      midnight (sol 1 is the landing sol). ROVER: spirit, opportunity, 2 or 1, any case.\n";
}

int runWhenCommand(const std::vector<std::string>& args)
{
    if (args.size() != 2) {
        std::cerr << "keldar-cli when: expected a rover and a sol\n" << whenCommandUsage();
        return 2;
    }
    const auto rover = time::roverForName(args[0]);
    if (!rover) {
        std::cerr << "keldar-cli when: unknown rover '" << args[0]
                  << "' (expected spirit, opportunity, 2 or 1)\n";
        return 2;
    }
    int sol = 0;
    const auto span = parseSol(args[1], sol) ? time::solSpan(*rover, sol) : std::nullopt;
    if (!span) {
        std::cerr << "keldar-cli when: '" << args[1] << "' is not a sol number from 1 to "
                  << time::kMaximumSol << '\n';
        return 2;
    }
    std::cout << time::roverName(*rover) << " sol " << sol << ": " << utcText(span->startUtcSeconds) << " to "
              << utcText(span->endUtcSeconds);
    if (!span->withinRecord)
        std::cout << " (after the last recorded sol, " << time::lastRecordedSol(*rover) << ")";
    std::cout << '\n';
    return 0;
}

}  // namespace keldar::cli
