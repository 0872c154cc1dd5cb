#include "cli/DecodeCommand.h"

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>

#include "core/decode/ArchiveNames.h"
#include "core/decode/Utf8.h"
#include "core/time/ImageData.h"
#include "core/time/MissionTime.h"

namespace keldar::cli {
namespace {

using decode::isValidUtf8;
using decode::utf8SequenceLength;
using time::ImageDataResult;

// A JSON string; bytes that are not UTF-8 (a file name may hold any bytes) become U+FFFD, so
// every line stays valid JSON.
std::string jsonString(const std::string& text)
{
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = utf8SequenceLength(text, i);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
            continue;
        }
        if (length > 1) {
            out.append(text, i, length);
            i += length;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(text[i++]);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

// The bytes of a text as lower-case hexadecimal digits, two per byte.
std::string hexBytes(const std::string& text)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char c : text) {
        out += digits[c >> 4];
        out += digits[c & 0xF];
    }
    return out;
}

std::string jsonString(const std::optional<std::string>& text)
{
    return text ? jsonString(*text) : "null";
}

// Writes one JSON object per line, keys in a fixed order.
class JsonLine {
public:
    template <typename T>
    JsonLine& add(const char* key, const T& value)
    {
        line_.push_back(line_.empty() ? '{' : ',');
        line_.append(jsonString(std::string(key)));
        line_.push_back(':');
        line_.append(encode(value));
        return *this;
    }
    // The raw bytes of a name that is not UTF-8 (shown with U+FFFD in "name"), so a reader
    // can still find the file.
    JsonLine& addNameBytes(const std::string& name)
    {
        if (!isValidUtf8(name)) add("name_bytes_hex", hexBytes(name));
        return *this;
    }
    // A JSON number or literal as it is.
    JsonLine& addRaw(const char* key, const std::string& raw)
    {
        line_.push_back(line_.empty() ? '{' : ',');
        line_.append(jsonString(std::string(key)));
        line_.push_back(':');
        line_.append(raw);
        return *this;
    }
    std::string finish() const { return line_ + "}"; }

private:
    static std::string encode(const std::string& v) { return jsonString(v); }
    static std::string encode(const std::optional<std::string>& v) { return jsonString(v); }
    static std::string encode(const char* v) { return jsonString(std::string(v)); }
    static std::string encode(bool v) { return v ? "true" : "false"; }
    static std::string encode(std::int32_t v) { return std::to_string(v); }
    static std::string encode(double v) { return time::wholeNumberText(v); }
    std::string line_;
};

std::optional<std::string> statusText(const ImageDataResult& r)
{
    return r.stereoStatus ? std::optional<std::string>(r.stereoStatus->text) : std::nullopt;
}

// The published mission times; null without a rover digit or a readable clock.
void addMissionTime(JsonLine& json, const decode::DecodedIdentifier& d)
{
    const std::optional<time::MissionTime> record = time::missionTimeOf(d);
    if (!record) {
        for (const char* key : {"mission_utc_iso", "mission_sol", "ltst", "lmst", "ls", "mission_within_record"})
            json.addRaw(key, "null");
        return;
    }
    const time::MissionTime& t = *record;
    char ls[32];
    std::snprintf(ls, sizeof ls, "%.3f", t.ls);
    json.add("mission_utc_iso", t.utcIso)
        .add("mission_sol", static_cast<std::int32_t>(t.sol))
        .add("ltst", time::formatSolarTime(t.ltstHours))
        .add("lmst", time::formatSolarTime(t.lmstHours))
        .addRaw("ls", ls)
        .add("mission_within_record", t.withinRecord);
}

void printJson(const std::string& name, const ImageDataResult& r, const std::string& timeZone)
{
    const auto& d = r.decoded;
    const auto& m = r.mars;
    std::optional<std::string> colour;
    if (r.stereoStatus)
        colour = r.stereoStatus->colour == decode::StatusColour::Green ? "green" : "red";
    JsonLine json;
    json.add("name", name)
        .addNameBytes(name)
        .add("valid", d.validIdentifier)
        .add("combined", d.combinedProduct)
        .add("rover_text", r.roverText)
        .add("location_text", r.locationText)
        .add("camera_text", r.cameraText)
        .add("clock_text", d.clockText)
        .add("clock_valid", d.clockValid)
        .add("clock_value", r.next.clockValue)
        .add("clock_display", r.clockDisplay)
        .add("product_type_text", r.productTypeText)
        .add("site", r.site)
        .add("drive", r.drive)
        .add("sequence", r.sequence)
        .add("category_text", r.categoryText)
        .add("sequence_number_display", r.sequenceNumberDisplay)
        .add("sequence_range_text", r.sequenceRangeText)
        .add("eye_text", r.eyeText)
        .add("stereo_status", statusText(r))
        .add("stereo_status_colour", colour)
        .add("filter_text", r.filterText)
        .add("producer_text", r.producerText)
        .add("version", r.versionText)
        .add("identifier", r.identifierText)
        .add("left_eye_name", r.leftEyeNameText)
        .add("right_eye_name", r.rightEyeNameText)
        .add("utc_text", r.utcTimeText)
        .add("utc_iso", time::isoUtcText(r.captureTime))
        .add("local_text", r.localTimeText)
        .add("timezone_text", timeZone)
        .add("sol_text", r.solText)
        .add("current_sol", r.next.currentSol)
        .add("sols_since_spirit_landing", m.solsSinceSpiritLanding)
        .add("sols_since_opportunity_landing", m.solsSinceOpportunityLanding)
        .add("seconds_since_spirit_landing", m.secondsSinceSpiritLanding)
        .add("seconds_since_opportunity_landing", m.secondsSinceOpportunityLanding)
        .add("mars_time_text", r.ownTimes ? m.marsTimeText : std::string(time::kInvalid))
        .add("landing_local_time_text", m.landingLocalTimeText)
        .add("transpired_sols", m.breakdown.sols)
        .add("transpired_hours", m.breakdown.remainderHours)
        .add("transpired_minutes", m.breakdown.remainderMinutes)
        .add("transpired_seconds", m.breakdown.remainderSeconds);
    for (const auto& [key, characters] : {std::pair{"site_number", d.site}, std::pair{"drive_number", d.drive}}) {
        const auto counter = decode::decodeLocationCounter(characters);
        json.addRaw(key, counter ? std::to_string(counter->value) : "null");
        json.addRaw((std::string(key) + "_is_minimum").c_str(), counter ? (counter->atLeast ? "true" : "false") : "null");
    }
    addMissionTime(json, d);
    std::cout << json.finish() << '\n';
}

// A display whose table had no row keeps what it showed before: for the first image of a run
// that is its design text.
std::string shown(const std::optional<std::string>& text, const char* designText)
{
    return text ? *text : designText;
}

// A file name may hold any byte but '/' and NUL: control characters (an escape sequence
// would drive the terminal) are shown as \xHH, and so is the backslash, so that what is shown
// reads back as the name.
std::string terminalSafe(const std::string& text)
{
    std::string safe;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        // C1 controls come as the UTF-8 pairs C2 80 .. C2 9F.
        const bool c1 = c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(text[i + 1]) <= 0x9F;
        if (c < 0x20 || c == 0x7F || c == '\\' || c1) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", c1 ? static_cast<unsigned char>(text[++i]) : c);
            safe += code;
        } else {
            safe += static_cast<char>(c);
        }
    }
    return safe;
}

void printPlain(const std::string& name, const ImageDataResult& r, const std::string& timeZone)
{
    const auto& m = r.mars;
    auto line = [](const char* caption, const std::string& value) {
        std::printf("  %-46s %s\n", caption, terminalSafe(value).c_str());
    };
    std::printf("%s\n", terminalSafe(name).c_str());
    line("Mars Exploration Rover No.", shown(r.roverText, "Waiting"));
    line("Spacecraft Location.", shown(r.locationText, "Waiting"));
    line("Imaging Camera.", shown(r.cameraText, "Waiting"));
    line("Spacecraft Clock.", r.clockDisplay);
    line("Image Product Type.", r.productTypeText);
    line("Site Number.", r.site);
    line("Drive Number Within Site.", r.drive);
    line("Command Sequence.", r.sequence);
    line("Sequence Category.", shown(r.categoryText, "37Waiting"));
    line("Sequence Code", r.sequenceNumberDisplay + " = " + r.sequenceRangeText);
    line("Camera Eye", shown(r.eyeText, "15Waiting"));
    // A name that is not a product has no stereo line; a table's none shows the design text.
    const bool product = r.decoded.validIdentifier || r.decoded.combinedProduct;
    line("", !product ? "" : r.stereoStatus ? r.stereoStatus->text : "This image may be part of a Stereo pair");
    line("Spectral Response (Filter)", r.filterText);
    line("Product Producer", shown(r.producerText, "23Waiting"));
    line("Product Version", r.versionText);
    line("Currently selected file name", r.identifierText);
    line("Right Eye File Name", r.rightEyeNameText);
    line("Left Eye File Name", r.leftEyeNameText);
    line("Earth Time. (UTC)         =", r.utcTimeText);
    line("Users Local Time Zone", timeZone);
    line("Earth Time (Local)        =", r.localTimeText);
    line("SOL", r.solText);
    // Times of the carried clock are not this name's, as in the main window.
    const auto own = [&r](const std::string& value) { return r.ownTimes ? value : std::string(time::kInvalid); };
    line("Martian local standard time of image capture", own(m.marsTimeText));
    line("Martian time transpired since landing",
         "Sols " + own(time::wholeNumberText(m.breakdown.sols)) + "  Mhrs " +
             own(time::wholeNumberText(m.breakdown.remainderHours)) + "  Mmins " +
             own(time::wholeNumberText(m.breakdown.remainderMinutes)) + "  Msecs " +
             own(time::wholeNumberText(m.breakdown.remainderSeconds)));
    std::printf("\n");
}

}  // namespace

const char* decodeCommandUsage()
{
    return "  keldar-cli decode [--json] [--accept-lower-case] NAME...\n"
           "      Decodes each product file name (a path or a bare name; only the part after the\n"
           "      last '/' counts) as the first image of a run, and prints what the main window\n"
           "      shows for it: one block per name, or with --json one JSON object per line.\n"
           "      The JSON also gives the published mission time: mission_utc_iso (UTC by the\n"
           "      rovers' clock correlation), mission_sol, ltst and lmst (local true and mean\n"
           "      solar time at the site), ls (solar longitude, degrees) and mission_within_record\n"
           "      (false when the clock lies outside the correlated sols and was extrapolated),\n"
           "      site_number and drive_number (the counters as numbers: A0 = 100 ... ZZ = 1035,\n"
           "      0A = 1036 ...; for \"##\" and \"__\" 1296 with *_is_minimum true).\n"
           "      --accept-lower-case reads each name as if it were in upper case, as the\n"
           "      archive volumes write them (2n292280938effb100p0703l0m1.img).\n";
}

int runDecodeCommand(const std::vector<std::string>& args)
{
    bool json = false;
    bool acceptLowerCase = false;
    std::vector<std::string> names;
    bool optionsEnded = false;
    for (const auto& arg : args) {
        if (!optionsEnded && arg == "--json")
            json = true;
        else if (!optionsEnded && arg == "--accept-lower-case")
            acceptLowerCase = true;
        else if (!optionsEnded && arg == "--")
            optionsEnded = true;
        else if (!optionsEnded && arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            std::cerr << "keldar-cli decode: unknown option '" << arg << "'\n" << decodeCommandUsage();
            return 2;
        } else
            names.push_back(arg);
    }
    if (names.empty()) {
        std::cerr << "keldar-cli decode: no file name given\n" << decodeCommandUsage();
        return 2;
    }
    const auto localeNames = time::LocaleNames::current();
    const std::string timeZone = time::timeZoneName();
    for (const auto& name : names) {
        // Each name on its own, as the first image of a run.
        const auto result = time::computeImageData(acceptLowerCase ? decode::upperCaseArchiveName(name) : name,
                                                   time::CarriedState{}, localeNames);
        if (json)
            printJson(name, result, timeZone);
        else
            printPlain(name, result, timeZone);
    }
    return 0;
}

}  // namespace keldar::cli
