// Mission time against the published record: the per-sol timetables, products.csv and the
// labels of the two real images, within 2 s of UTC, 1 minute of local true solar time and the
// exact sol; and the Mars24 arithmetic against its published worked example.
#include "core/time/MissionTime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace keldar::time;

namespace {

const fs::path kRealData = KELDAR_REALDATA_DIR;

// "2004-01-25T07:18:28.123Z", "2009-04-06T08:48:13.468" or the timetables' "2004-01-04 02.05.34"
// to POSIX seconds.
double parseUtc(const std::string& text)
{
    int y, mo, d, h, mi;
    double s;
    if (std::sscanf(text.c_str(), "%d-%d-%d%*c%d%*c%d%*c%lf", &y, &mo, &d, &h, &mi, &s) != 6)
        throw std::runtime_error("bad UTC: " + text);
    return static_cast<double>(daysFromCivil(y, mo, d) - daysFromCivil(1970, 1, 1)) * 86400.0 + h * 3600.0 +
           mi * 60.0 + s;
}

double hoursOf(const std::string& hhmmss)
{
    int h, m, s;
    if (std::sscanf(hhmmss.c_str(), "%d:%d:%d", &h, &m, &s) != 3)
        throw std::runtime_error("bad time: " + hhmmss);
    return h + m / 60.0 + s / 3600.0;
}

// Signed difference of two times of day in minutes, across midnight.
double minutesApart(double hoursA, double hoursB)
{
    return std::remainder(hoursA - hoursB, 24.0) * 60.0;
}

std::vector<std::string> split(const std::string& line, char sep)
{
    std::vector<std::string> out;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, sep);)
        out.push_back(field);
    return out;
}

struct Timetable {
    const char* file;
    Rover rover;
};

}  // namespace

TEST(MissionTime, Mars24WorkedExample)
{
    // 2000-01-06T00:00:00 UTC at longitude 0.
    const MarsSolarTime t = marsSolarTime(947116800.0, 0.0);
    EXPECT_NEAR(t.marsSolDate, 44795.99976, 1e-5);
    EXPECT_NEAR(t.ls, 277.18758, 1e-4);
    EXPECT_NEAR(t.equationOfTime, -5.18774, 1e-4);
    EXPECT_EQ(formatSolarTime(t.coordinatedMarsTime).substr(0, 6), "23:59:");
    EXPECT_NEAR(t.lmstHours, t.coordinatedMarsTime, 1e-12);
}

TEST(MissionTime, TerrestrialTimeFollowsTheLeapSeconds)
{
    struct Case { double utc; double ttMinusUtc; };
    for (const Case& c : std::vector<Case>{{947116800.0, 64.184},   // 2000
                                          {1136073599.0, 64.184},  // the last second of 2005
                                          {1136073600.0, 65.184},  // 2006-01-01
                                          {1230768000.0, 66.184},  // 2009-01-01
                                          {1341100799.0, 66.184},
                                          {1341100800.0, 67.184},  // 2012-07-01
                                          {1435708800.0, 68.184},  // 2015-07-01
                                          {1483228800.0, 69.184}}) // 2017-01-01
        EXPECT_DOUBLE_EQ(terrestrialMinusUtcSeconds(c.utc), c.ttMinusUtc) << formatUtcIso(c.utc);
}

TEST(MissionTime, EveryTimetableNoonIsItsOwnSol)
{
    int rows = 0;
    for (const Timetable& table : {Timetable{"timetable-spirit.tsv", Rover::Spirit},
                                   Timetable{"timetable-opportunity.tsv", Rover::Opportunity}}) {
        const fs::path path = kRealData / "timetables" / table.file;
        if (!fs::exists(path))
            GTEST_SKIP() << "real MER data not found at " << path;
        std::ifstream in(path);
        std::string line;
        std::getline(in, line);
        double worstUtc = 0, sumSquares = 0, worstNoon = 0;
        int count = 0;
        while (std::getline(in, line)) {
            const auto f = split(line, '\t');
            if (f.size() < 5)
                continue;
            const int sol = std::stoi(f[0]);
            std::string ls = f[4];
            std::replace(ls.begin(), ls.end(), ',', '.');
            const MissionTime t = missionTime(table.rover, std::stod(f[2]));
            const double utcError = t.utcSeconds - parseUtc(f[3]);
            worstUtc = std::max(worstUtc, std::fabs(utcError));
            sumSquares += utcError * utcError;
            worstNoon = std::max(worstNoon, std::fabs(minutesApart(t.ltstHours, 12.0)));
            ++count;
            ASSERT_TRUE(t.withinRecord) << table.file << " sol " << sol;
            EXPECT_EQ(t.sol, sol) << table.file;
            EXPECT_NEAR(std::remainder(t.ls - std::stod(ls), 360.0), 0.0, 0.05) << table.file << " sol " << sol;
            // The published UTC itself is noon too, whatever the clock correlation says.
            const double noon = marsSolarTime(parseUtc(f[3]), siteEastLongitude(table.rover)).ltstHours;
            EXPECT_LT(std::fabs(minutesApart(noon, 12.0)), 1.0) << table.file << " sol " << sol;
            const auto span = solSpan(table.rover, sol);
            ASSERT_TRUE(span);
            EXPECT_LT(span->startUtcSeconds, t.utcSeconds) << table.file << " sol " << sol;
            EXPECT_GT(span->endUtcSeconds, t.utcSeconds) << table.file << " sol " << sol;
        }
        EXPECT_LE(worstUtc, 2.0) << table.file;
        EXPECT_LT(worstNoon, 1.0) << table.file;
        std::cout << table.file << ": " << count << " sols, UTC max " << worstUtc << " s, RMS "
                  << std::sqrt(sumSquares / count) << " s; LTST at noon worst " << worstNoon * 60 << " s\n";
        rows += count;
    }
    EXPECT_GT(rows, 7500);
}

TEST(MissionTime, ProductsGiveTheirPublishedSolTimeAndUtc)
{
    const fs::path path = kRealData / "products.csv";
    if (!fs::exists(path))
        GTEST_SKIP() << "real MER data not found at " << path;
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    int rows = 0, timed = 0;
    while (std::getline(in, line)) {
        const auto f = split(line, ',');  // only the last column may hold commas
        ASSERT_GE(f.size(), 7u) << line;
        const std::string& id = f[0];
        const Rover rover = f[1] == "2" ? Rover::Spirit : Rover::Opportunity;
        const double clock = f[2].empty() ? std::stod(id.substr(2, 9)) : std::stod(f[2]);
        const MissionTime t = missionTime(rover, clock);
        EXPECT_TRUE(t.withinRecord) << id;
        EXPECT_EQ(t.sol, std::stoi(f[4])) << id;
        if (!f[3].empty()) {
            EXPECT_NEAR(t.utcSeconds, parseUtc(f[3]), 2.0) << id << " " << t.utcIso;
            ++timed;
        }
        if (!f[6].empty()) {
            EXPECT_LT(std::fabs(minutesApart(t.ltstHours, hoursOf(f[6]))), 1.0) << id;
        }
        ++rows;
    }
    EXPECT_GE(rows, 56);
    EXPECT_GE(timed, 1);
}

TEST(MissionTime, ImageLabelsAgree)
{
    struct Label { const char* file; Rover rover; };
    for (const Label& label : {Label{"1F483288473EFFCMUFP1214L0M1.IMG", Rover::Opportunity},
                               Label{"2n292280938effb100p0703l0m1.img", Rover::Spirit}}) {
        const fs::path path = kRealData / "images" / label.file;
        if (!fs::exists(path))
            GTEST_SKIP() << "real MER data not found at " << path;
        std::ifstream in(path, std::ios::binary);
        std::string head(32768, '\0');
        in.read(head.data(), static_cast<std::streamsize>(head.size()));
        head.resize(static_cast<std::size_t>(in.gcount()));
        const auto value = [&](const std::string& key) {
            std::smatch m;
            const std::regex pattern("\\n\\s*" + key + "\\s*=\\s*\"?([^\"\\r\\n]+?)\"?\\s*\\r?\\n");
            if (!std::regex_search(head, m, pattern))
                throw std::runtime_error(std::string(label.file) + ": no " + key);
            return m[1].str();
        };
        const MissionTime t = missionTime(label.rover, std::stod(value("SPACECRAFT_CLOCK_START_COUNT")));
        EXPECT_TRUE(t.withinRecord) << label.file;
        EXPECT_NEAR(t.utcSeconds, parseUtc(value("START_TIME")), 2.0) << label.file << " " << t.utcIso;
        EXPECT_LT(std::fabs(minutesApart(t.ltstHours, hoursOf(value("LOCAL_TRUE_SOLAR_TIME")))), 1.0)
            << label.file << " " << formatSolarTime(t.ltstHours);
        EXPECT_EQ(t.sol, std::stoi(value("PLANET_DAY_NUMBER"))) << label.file;
        EXPECT_NEAR(t.ls, std::stod(value("SOLAR_LONGITUDE")), 0.05) << label.file;
    }
}

TEST(MissionTime, ClocksOutsideTheRecordAreExtrapolatedAndFlagged)
{
    for (const Rover rover : {Rover::Spirit, Rover::Opportunity}) {
        const MissionTime before = missionTime(rover, 100000000.0);  // in cruise, 2003
        EXPECT_TRUE(before.valid);
        EXPECT_FALSE(before.withinRecord);
        EXPECT_LT(before.sol, 1);
        EXPECT_EQ(before.utcIso.substr(0, 5), "2003-");

        const MissionTime after = missionTime(rover, 999999999.0);
        EXPECT_FALSE(after.withinRecord);
        EXPECT_GT(after.sol, lastRecordedSol(rover));
        EXPECT_EQ(after.utcIso.size(), 24u) << after.utcIso;

        for (const double nonsense : {std::nan(""), std::numeric_limits<double>::infinity(), -1e300}) {
            const MissionTime none = missionTime(rover, nonsense);
            EXPECT_FALSE(none.valid);
            EXPECT_FALSE(none.withinRecord);
            EXPECT_TRUE(none.utcIso.empty());
        }
    }
}

TEST(MissionTime, SolSpansAbutAndStartAtLocalMidnight)
{
    for (const Rover rover : {Rover::Spirit, Rover::Opportunity}) {
        EXPECT_FALSE(solSpan(rover, 0));
        EXPECT_FALSE(solSpan(rover, -3));
        EXPECT_FALSE(solSpan(rover, kMaximumSol + 1));
        for (const int sol : {1, 100, 2209, 5352, 9000}) {
            const auto span = solSpan(rover, sol);
            const auto next = solSpan(rover, sol + 1);
            ASSERT_TRUE(span && next);
            EXPECT_EQ(span->withinRecord, sol <= lastRecordedSol(rover));
            EXPECT_DOUBLE_EQ(span->endUtcSeconds, next->startUtcSeconds);
            // A true solar sol is the mean sol give or take under a minute.
            EXPECT_NEAR(span->endUtcSeconds - span->startUtcSeconds, 88775.244, 60.0) << sol;
            const double hours =
                marsSolarTime(span->startUtcSeconds + 0.01, siteEastLongitude(rover)).ltstHours;
            EXPECT_LT(std::fabs(minutesApart(hours, 0.0)), 0.01) << sol;
        }
    }
}

TEST(MissionTime, Formats)
{
    struct Case { double hours; const char* text; };
    for (const Case& c : std::vector<Case>{{0.0, "00:00:00"},
                                          {15.0 + 32.0 / 60 + 30.0 / 3600, "15:32:30"},
                                          {23.99999, "23:59:59"},
                                          {24.5, "00:30:00"},
                                          {-0.5, "23:30:00"},
                                          {std::nan(""), "--:--:--"}})
        EXPECT_EQ(formatSolarTime(c.hours), c.text) << c.hours;
    EXPECT_EQ(formatUtcIso(947116800.0), "2000-01-06T00:00:00.000Z");
    EXPECT_EQ(formatUtcIso(1080000000.9996), "2004-03-23T00:00:01.000Z");
    EXPECT_EQ(formatUtcIso(-0.25), "1969-12-31T23:59:59.750Z");

    struct Name { const char* text; std::optional<Rover> rover; };
    for (const Name& n : std::vector<Name>{{"spirit", Rover::Spirit}, {"SPIRIT", Rover::Spirit},
                                          {"2", Rover::Spirit}, {"Opportunity", Rover::Opportunity},
                                          {"1", Rover::Opportunity}, {"3", std::nullopt},
                                          {"", std::nullopt}, {"spirits", std::nullopt}})
        EXPECT_EQ(roverForName(n.text), n.rover) << n.text;
}
