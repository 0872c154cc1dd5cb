#include "cli/Arguments.h"

#include "cli/ImageCommands.h"

#include <charconv>
#include <iostream>
#include <optional>
#include <string_view>

namespace keldar::cli {

namespace {

std::optional<int> parseInt(std::string_view text) {
    int value = 0;
    if (text.empty()) return std::nullopt;
    const char* begin = text.data();
    const char* end = text.data() + text.size();
    if (*begin == '+') ++begin;  // from_chars takes no leading plus
    if (begin == end) return std::nullopt;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

}  // namespace

bool parseArgs(const char* command, const std::vector<std::string>& args,
               const std::map<std::string, std::pair<int, int>>& numeric, bool allowMer2rgb, ParsedArgs& out) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out.help = true;
            continue;
        }
        if (arg == "--") {
            for (++i; i < args.size(); ++i) out.positional.push_back(args[i]);
            break;
        }
        if (arg.size() < 2 || arg[0] != '-' || arg == "-") {
            out.positional.push_back(arg);
            continue;
        }
        if (allowMer2rgb && arg == "--mer2rgb") {
            out.flags_mer2rgb = true;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> value;
        if (const auto eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        const auto spec = numeric.find(name);
        if (spec == numeric.end()) {
            std::cerr << "keldar-cli " << command << ": unknown option '" << name << "'\n";
            return false;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                std::cerr << "keldar-cli " << command << ": option " << name << " needs a number\n";
                return false;
            }
            value = args[++i];
        }
        const std::optional<int> number = parseInt(*value);
        const auto [lo, hi] = spec->second;
        if (!number) {
            std::cerr << "keldar-cli " << command << ": " << name << " expects a whole number from " << lo << " to "
                      << hi << ", got '" << *value << "'\n";
            return false;
        }
        if (*number < lo || *number > hi) {
            std::cerr << "keldar-cli " << command << ": " << name << " " << *number << " is outside " << lo << ".."
                      << hi << "\n";
            return false;
        }
        if (out.numbers.count(name) != 0) {
            std::cerr << "keldar-cli " << command << ": option " << name << " given twice\n";
            return false;
        }
        out.numbers[name] = *number;
    }
    return true;
}

int usageError(const char* command, const std::string& message) {
    std::cerr << "keldar-cli " << command << ": " << message << "\n"
              << "Run 'keldar-cli --help' or 'keldar-cli " << command << " --help' for usage.\n";
    return kExitUsage;
}

int failure(const char* command, const std::string& message) {
    std::cerr << "keldar-cli " << command << ": " << message << "\n";
    return kExitFailure;
}

bool wholeNumberIn(const std::string& text, int lo, int hi, int& out) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    out = std::stoi(text);
    return out >= lo && out <= hi;
}

int numberOr(const ParsedArgs& p, const std::string& name, int fallback) {
    const auto it = p.numbers.find(name);
    return it == p.numbers.end() ? fallback : it->second;
}

std::map<std::string, std::pair<int, int>> anaglyphOptionRanges() {
    return {{"--merge", {0, 100}}, {"--contrast", {0, 100}}, {"--brightness", {0, 100}}};
}

imaging::AnaglyphSettings anaglyphSettingsFrom(const ParsedArgs& p) {
    imaging::AnaglyphSettings settings;
    settings.merge = numberOr(p, "--merge", 50);
    settings.contrast = numberOr(p, "--contrast", 16);
    settings.brightness = numberOr(p, "--brightness", 30);
    return settings;
}

}  // namespace keldar::cli
