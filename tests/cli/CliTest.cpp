// keldar-cli as a user runs it: a separate process, its output, its exit status and its files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct CliRun {
    int status = -1;
    std::string out, err;
};

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("keldar-cli-test-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // English names and a zone with daylight saving, as a user in Berlin would have.
    CliRun run(const std::string& arguments)
    {
        const fs::path out = dir_ / "stdout.txt", err = dir_ / "stderr.txt";
        const std::string command = "env TZ=Europe/Berlin LC_ALL=en_US.UTF-8 LANG=en_US.UTF-8 '" +
                                    std::string(KELDAR_CLI) + "' " + arguments + " >'" + out.string() +
                                    "' 2>'" + err.string() + "'";
        CliRun r;
        const int raw = std::system(command.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = readFile(out);
        r.err = readFile(err);
        return r;
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST_F(Cli, DecodeJsonOfTheExampleIdentifier)
{
    const CliRun r = run("decode --json 2P126471340EDN0000P2303L5M1.JPG");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string& j = r.out;
    EXPECT_EQ(std::count(j.begin(), j.end(), '\n'), 1);
    for (const char* field : {
             R"j("name":"2P126471340EDN0000P2303L5M1.JPG")j", R"j("valid":true)j", R"j("combined":false)j",
             R"j("rover_text":"2 Spirit")j", R"j("location_text":"Gusev  Crater")j",
             R"j("camera_text":"PANCAM Panoramic Camera")j", R"j("clock_text":"126471340")j", R"j("clock_valid":true)j",
             R"j("clock_value":126471340)j", R"j("clock_display":"126471340")j",
             R"j("product_type_text":"EDN Downsampled EDR")j", R"j("site":"00")j", R"j("drive":"00")j",
             R"j("sequence":"P2303")j", R"j("category_text":"PMA and Remote Sensing instrument.")j",
             R"j("sequence_number_display":"2303")j", R"j("sequence_range_text":"PANCAM sequences.")j",
             R"j("eye_text":"Left Eye")j", R"j("stereo_status":"This image may be part of a Stereo pair")j",
             R"j("filter_text":"Filter 5 535nm (20nm bandpass)")j", R"j("producer_text":"MIPL (OPGS) at JPL")j",
             R"j("version":"1")j", R"j("identifier":"2P126471340EDN0000P2303L5M1")j",
             R"j("left_eye_name":"2P126471340EDN0000P2303L5M1")j", R"j("right_eye_name":"2P126471340EDN0000P2303R5M1")j",
             R"j("utc_text":"Sunday 4 of Jan 2004 06:54:35")j", R"j("utc_iso":"2004-01-04T06:54:35.816Z")j",
             R"j("local_text":"Sunday 4 of Jan 2004 07:54:35")j", R"j("sol_text":"1")j",
             R"j("sols_since_spirit_landing":0)j", R"j("mars_time_text":"16:40:05")j", R"j("transpired_sols":0)j",
             R"j("transpired_hours":2)j", R"j("transpired_minutes":15)j", R"j("transpired_seconds":50)j"})
        EXPECT_TRUE(contains(j, field)) << field << "\nin " << j;
    EXPECT_TRUE(contains(j, R"j("timezone_text":"CET")j")) << j;
}

TEST_F(Cli, DecodeJsonOfANameThatIsNotUtf8StaysValidUtf8WithTheRawBytesBeside)
{
    // 0xFF cannot occur in UTF-8; 0xC3 0x28 is a broken two-byte sequence.
    const CliRun r = run("decode --json \"$(printf '2P126471340EDN0000P2303L5M1\\377\\303(.JPG')\"");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.find('\xFF'), std::string::npos);
    EXPECT_EQ(r.out.find("\xC3("), std::string::npos);
    EXPECT_TRUE(contains(r.out, "\"name\":\"2P126471340EDN0000P2303L5M1\xEF\xBF\xBD\xEF\xBF\xBD(.JPG\""))
        << r.out;
    EXPECT_TRUE(contains(r.out, R"j("name_bytes_hex":"325031323634373133343045444e3030303050323330334c354d31ffc3282e4a5047")j")) << r.out;
}

TEST_F(Cli, DecodeJsonOfNamesThatAreNotIdentifiers)
{
    const CliRun r = run("decode --json /some/dir/IMG_0001.jpg 2P126471340EDN0000P2303L5M1-B30C16M50-01.jpg");
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream lines(r.out);
    std::string first, second;
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_TRUE(contains(first, R"j("name":"/some/dir/IMG_0001.jpg")j"));
    EXPECT_TRUE(contains(first, R"j("valid":false)j"));
    EXPECT_TRUE(contains(first, R"j("rover_text":"Invalid")j"));
    EXPECT_TRUE(contains(first, R"j("utc_text":"Invalid")j"));
    EXPECT_TRUE(contains(first, R"j("sequence_number_display":"0")j"));
    EXPECT_TRUE(contains(first, R"j("clock_display":"Invalid Spacecraft Clock Value")j"));
    EXPECT_TRUE(contains(first, R"j("clock_value":0)j"));
    EXPECT_TRUE(contains(first, R"j("stereo_status":null)j"));  // a table's none
    // Its times would be those of a clock it does not have.
    EXPECT_TRUE(contains(first, R"j("local_text":"Invalid")j"));
    EXPECT_TRUE(contains(first, R"j("mars_time_text":"Invalid")j"));
    EXPECT_TRUE(contains(first, R"j("left_eye_name":"N/A")j"));
    // Each name is decoded on its own: the second does not inherit the first's state.
    EXPECT_TRUE(contains(second, R"j("combined":true)j"));
    EXPECT_TRUE(contains(second, R"j("eye_text":"COMBINED")j"));
    EXPECT_TRUE(contains(second, R"j("left_eye_name":"")j"));
    EXPECT_TRUE(contains(second, R"j("sol_text":"1")j"));
}

TEST_F(Cli, DecodePlainShowsTheMainWindowCaptions)
{
    const CliRun r = run("decode 1N128287181EFF0000P2303L2M1.JPG");
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* part : {"Mars Exploration Rover No.", "1 Opportunity", "Meridiani  Planum",
                             "Earth Time. (UTC)         =", "Sunday 25 of Jan 2004", "SOL", "NAVCAM", "Mhrs"})
        EXPECT_TRUE(contains(r.out, part)) << part << "\nin " << r.out;

    // A name that is not a product: no stereo line and no Mars times, as in the main window.
    const CliRun photo = run("decode IMG_0001.jpg");
    ASSERT_EQ(photo.status, 0) << photo.err;
    EXPECT_FALSE(contains(photo.out, "Stereo")) << photo.out;
    EXPECT_TRUE(contains(photo.out, "Sols Invalid  Mhrs Invalid  Mmins Invalid  Msecs Invalid")) << photo.out;
}

TEST_F(Cli, UsageErrorsAndHelp)
{
    const CliRun help = run("--help");
    EXPECT_EQ(help.status, 0);
    for (const char* command : {"decode", "anaglyph", "composite", "sunset", "label", "make-sample"})
        EXPECT_TRUE(contains(help.out, command)) << command;
    const CliRun version = run("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(contains(version.out, "keldar-cli "));

    const CliRun unknown = run("frobnicate");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(contains(unknown.err, "frobnicate"));
    EXPECT_EQ(run("").status, 2);
    EXPECT_EQ(run("decode").status, 2);
    EXPECT_EQ(run("decode --yaml X").status, 2);
}

TEST_F(Cli, SampleThenImagePipelines)
{
    const std::string sample = path("sample");
    const CliRun made = run("make-sample '" + sample + "'");
    ASSERT_EQ(made.status, 0) << made.err;
    std::vector<std::string> lefts;
    for (const auto& entry : fs::directory_iterator(sample)) {
        const std::string name = entry.path().filename().string();
        if (name.size() == 31 && name.substr(27) == ".JPG" && name[1] == 'N' && name[23] == 'L' && fs::exists(fs::path(sample) / [&] {
                std::string right = name;
                right[23] = 'R';
                return right;
            }()))
            lefts.push_back(name);
    }
    ASSERT_FALSE(lefts.empty()) << "the sample has no NAVCAM stereo pair";
    std::string right = lefts.front();
    right[23] = 'R';

    const std::string anaglyph = path("pair-B30C16M50.jpg");
    const CliRun a = run("anaglyph '" + sample + "/" + right + "' '" + sample + "/" + lefts.front() + "' '" +
                      anaglyph + "' --merge 50 --contrast 16 --brightness 30");
    EXPECT_EQ(a.status, 0) << a.err;
    EXPECT_GT(fs::file_size(anaglyph), 1000u);

    // A BMP holds every row: 54 header bytes and 4-byte aligned rows of the pair's size.
    const std::string rightPath = sample + "/" + right, leftPath = sample + "/" + lefts.front();
    const std::string bmp = path("blend.bmp");
    const CliRun c = run("composite '" + rightPath + "' '" + leftPath + "' '" + rightPath + "' '" + bmp + "' --mer2rgb");
    ASSERT_EQ(c.status, 0) << c.err;
    const std::string written = readFile(bmp);
    ASSERT_GT(written.size(), 54u);
    const auto le32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(written[at])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(written[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(written[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(written[at + 3])) << 24;
    };
    EXPECT_EQ(written.substr(0, 2), "BM");
    EXPECT_EQ(written.size(), 54 + (le32(18) * 3 + 3) / 4 * 4 * le32(22));
    // A failing run over it leaves it as it was, and nothing beside it.
    std::ofstream(path("cut.jpg"), std::ios::binary) << readFile(leftPath).substr(0, 4000);
    const CliRun failed = run("anaglyph '" + rightPath + "' '" + path("cut.jpg") + "' '" + bmp + "'");
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(contains(failed.err, "cut.jpg")) << failed.err;
    EXPECT_EQ(readFile(bmp), written);
    for (const auto& entry : fs::directory_iterator(dir_))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();

    // Every name decodes; the sample's products are valid identifiers.
    const CliRun decoded = run("decode --json '" + sample + "/" + lefts.front() + "'");
    EXPECT_TRUE(contains(decoded.out, R"j("valid":true)j"));
}

TEST_F(Cli, FailuresLeaveNothingAtTheOutput)
{
    std::ofstream(path("corrupt.jpg")) << "not a jpeg at all";
    const std::string out = path("out.jpg");
    const CliRun missing = run("anaglyph '" + path("nope-R.jpg") + "' '" + path("nope-L.jpg") + "' '" + out + "'");
    EXPECT_EQ(missing.status, 1);
    EXPECT_FALSE(missing.err.empty());
    EXPECT_FALSE(fs::exists(out));

    const CliRun corrupt = run("composite '" + path("corrupt.jpg") + "' '" + path("corrupt.jpg") + "' '" +
                            path("corrupt.jpg") + "' '" + out + "'");
    EXPECT_NE(corrupt.status, 0);
    EXPECT_FALSE(fs::exists(out));

    const CliRun badNumber = run("anaglyph a b '" + out + "' --merge fifty");
    EXPECT_EQ(badNumber.status, 2);
    EXPECT_FALSE(fs::exists(out));

    const CliRun badSample = run("make-sample '" + path("corrupt.jpg") + "/inside'");
    EXPECT_EQ(badSample.status, 1);
    EXPECT_FALSE(badSample.err.empty());
    // Nothing stray beside the output either (no temporary files left behind).
    for (const auto& entry : fs::directory_iterator(dir_)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "corrupt.jpg" || name == "stdout.txt" || name == "stderr.txt") << name;
    }
}

TEST_F(Cli, DecodeJsonAddsThePublishedMissionTimeAfterTheClassicKeys)
{
    // Opportunity's first Pancam image in the EDR index: 2004-01-25T07:18:28Z, sol 1, LTST 15:32:30.
    const CliRun r = run("decode --json 1P128287181EFF0000P2303L2M1.IMG 2P12647A340EDN0000P2303L5M1.JPG");
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string first = r.out.substr(0, r.out.find('\n'));
    const std::string second = r.out.substr(first.size() + 1);
    const auto classicEnd = first.find(R"("transpired_seconds":)");
    ASSERT_NE(classicEnd, std::string::npos) << first;
    for (const char* field : {R"("mission_utc_iso":"2004-01-25T07:18:2)", R"("mission_sol":1,)",
                              R"("ltst":"15:32:3)", R"("lmst":"16:22:)", R"("ls":339.1)",
                              R"("mission_within_record":true})"}) {
        const auto at = first.find(field);
        EXPECT_NE(at, std::string::npos) << field << " in " << first;
        EXPECT_GT(at, classicEnd) << field;
    }
    // A clock with a letter in it has no mission time.
    EXPECT_TRUE(contains(second, R"("mission_utc_iso":null,"mission_sol":null,"ltst":null)")) << second;
}

TEST_F(Cli, DecodeReadsLowerCaseArchiveNamesOnRequestAndCountsSitesPast99)
{
    const std::string name = "2n292280938effb100p0703l0m1.img";
    const CliRun asIs = run("decode --json " + name);
    const CliRun upper = run("decode --json --accept-lower-case " + name + " 2N292280938EFF##__P0703L0M1.IMG");
    ASSERT_EQ(upper.status, 0) << upper.err;
    EXPECT_FALSE(contains(asIs.out, "NAVCAM")) << asIs.out;
    const std::string first = upper.out.substr(0, upper.out.find('\n'));
    for (const char* field : {R"("name":"2n292280938effb100p0703l0m1.img")", R"("camera_text":"NAVCAM Navigational Camera")",
                              R"("site":"B1")", R"("site_number":137,"site_number_is_minimum":false,"drive_number":0,)"})
        EXPECT_TRUE(contains(first, field)) << field << " in " << first;
    EXPECT_TRUE(contains(upper.out, R"("site_number":1296,"site_number_is_minimum":true,"drive_number":1296,)"))
        << upper.out;
}

TEST_F(Cli, WhenPrintsTheUtcSpanOfASol)
{
    // Each span holds that sol's published noon (timetables: Spirit sol 100 at 2004-04-14 19:01:09,
    // Opportunity sol 1 at 2004-01-25 03:40:08).
    struct Case { const char* arguments; const char* text; };
    for (const Case& c : {Case{"when spirit 100", "Spirit sol 100: 2004-04-14T06:4"},
                          Case{"when SPIRIT 100", "Spirit sol 100: 2004-04-14T06:4"},
                          Case{"when 1 1", "Opportunity sol 1: 2004-01-24T15:"},
                          Case{"when Opportunity 1", "Opportunity sol 1: 2004-01-24T15:"}}) {
        const CliRun r = run(c.arguments);
        EXPECT_EQ(r.status, 0) << c.arguments << ": " << r.err;
        EXPECT_EQ(r.out.rfind(c.text, 0), 0u) << c.arguments << ": " << r.out;
        EXPECT_TRUE(contains(r.out, " UTC to 2004-")) << r.out;
    }
    EXPECT_TRUE(contains(run("when spirit 3000").out, "after the last recorded sol, 2209"));

    for (const char* bad : {"when", "when spirit", "when mars 5", "when spirit 0", "when spirit -1",
                            "when spirit 1e3", "when spirit 12abc", "when spirit 100000", "when 3 5",
                            "when spirit 1 2"}) {
        const CliRun r = run(bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_TRUE(r.out.empty()) << bad << ": " << r.out;
        EXPECT_TRUE(contains(r.err, "keldar-cli when: ")) << bad << ": " << r.err;
    }
    EXPECT_TRUE(contains(run("--help").out, "keldar-cli when ROVER SOL"));
}

TEST_F(Cli, LabelPrintsThePdsLabelThenTheVicarLabel)
{
    // Two 128-byte records of PDS label, the VICAR label in record 3, one 8-bit pixel in record 4.
    std::string label = "PDS_VERSION_ID = PDS3\r\nRECORD_BYTES = 128\r\n^IMAGE_HEADER = 3\r\n^IMAGE = 4\r\n"
                        "OBJECT = IMAGE\r\n LINES = 1\r\n LINE_SAMPLES = 1\r\n SAMPLE_BITS = 8\r\nEND_OBJECT = IMAGE\r\nEND\r\n";
    label.resize(256, ' ');
    std::string vicar = "LBLSIZE=128  FORMAT='BYTE'  NL=1  NS=1";
    vicar.resize(128, '\0');
    std::ofstream(path("p.IMG"), std::ios::binary) << label << vicar << '\x7f';
    const CliRun r = run("label '" + path("p.IMG") + "'");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("PDS_VERSION_ID = PDS3\nRECORD_BYTES = 128\n", 0), 0u) << r.out;
    EXPECT_TRUE(contains(r.out, "END_OBJECT = IMAGE\nEND\n--- VICAR label ---\nLBLSIZE=128\nFORMAT='BYTE'\nNL=1\nNS=1\n"))
        << r.out;
    EXPECT_FALSE(contains(r.out, "\x7f"));
    EXPECT_TRUE(r.err.empty()) << r.err;

    std::ofstream(path("plain.img")) << "just some text\n";
    for (const std::string& file : {path("plain.img"), path("missing.img")}) {
        const CliRun bad = run("label '" + file + "'");
        EXPECT_EQ(bad.status, 1) << file;
        EXPECT_TRUE(bad.out.empty());
        EXPECT_TRUE(contains(bad.err, file)) << bad.err;
    }
    EXPECT_TRUE(contains(run("label '" + path("plain.img") + "'").err, "not a PDS image"));
    EXPECT_EQ(run("label").status, 2);
}

namespace {

void copyAs(const fs::path& from, const fs::path& to) { fs::copy_file(from, to, fs::copy_options::overwrite_existing); }

std::size_t occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// Names in a directory, sorted.
std::vector<std::string> listing(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST_F(Cli, AnaglyphsBuildsEveryPairUnderTheProposedNameSkipsAndReportsFailures)
{
    const fs::path sample = path("sample"), in = path("in"), out = path("out");
    ASSERT_EQ(run("make-sample '" + sample.string() + "'").status, 0);
    const fs::path left = sample / "2N127531276EFF0300P1512L0M1.JPG", right = sample / "2N127531276EFF0300P1512R0M1.JPG";
    fs::create_directories(in);
    std::ofstream(in / "corrupt.jpg") << "not a jpeg";

    // Partner found with ".JPG" beside a left with ".jpg".
    copyAs(left, in / "1N128459614EFF0100P1507L0M1.jpg");
    copyAs(right, in / "1N128459614EFF0100P1507R0M1.JPG");
    // ".jpg" is preferred: the corrupt ".JPG" beside it is never read.
    copyAs(left, in / "2N127531276EFF0300P1512L0M1.JPG");
    copyAs(right, in / "2N127531276EFF0300P1512R0M1.jpg");
    copyAs(in / "corrupt.jpg", in / "2N127531276EFF0300P1512R0M1.JPG");
    // A corrupt eye fails its pair only.
    copyAs(left, in / "1P131745489EFF0900P2411L4M1.JPG");
    copyAs(in / "corrupt.jpg", in / "1P131745489EFF0900P2411R4M1.JPG");
    // An output that exists already is kept.
    copyAs(left, in / "2N171829389EFF6600P1706L0M1.JPG");
    copyAs(right, in / "2N171829389EFF6600P1706R0M1.JPG");
    fs::create_directories(out);
    std::ofstream(out / "2N171829389EFF6600P1706L0M1-B40C20M70-01.jpg") << "keep me";
    // Not pairs: no partner, a partner in another case or type, an earlier anaglyph, a right eye alone.
    copyAs(left, in / "1R138846689EFF2300P1312L0M1.JPG");
    copyAs(left, in / "2F132682414EFF1600P1214L0M1.JPG");
    copyAs(right, in / "2F132682414EFF1600P1214R0M1.Jpg");
    copyAs(left, in / "2P126471340EDN0000P2303L5M1.JPG");
    copyAs(right, in / "2P126471340EDN0000P2303R5M1.bmp");
    copyAs(left, in / "2N127531276EFF0300P1512L0M1-B40C20M70-01.jpg");
    copyAs(right, in / "2N127531276EFF0300P1512R0M1-B40C20M70-01.jpg");
    copyAs(right, in / "1F128459614EFF0100P1507R0M1.JPG");

    const std::string options = " --merge 70 --contrast 20 --brightness 40";
    const CliRun first = run("anaglyphs '" + in.string() + "' '" + out.string() + "'" + options);
    EXPECT_EQ(first.status, 1) << first.err;
    EXPECT_EQ(first.out.rfind("2 built, 1 skipped, 1 failed in ", 0), 0u) << first.out;
    EXPECT_TRUE(contains(first.out, "3 left-eye images without a right-eye partner")) << first.out;
    EXPECT_EQ(occurrences(first.err, "1P131745489EFF0900P2411L4M1.JPG"), 1u) << first.err;
    EXPECT_EQ(occurrences(first.err, "\n"), 1u) << first.err;
    EXPECT_EQ(listing(out), (std::vector<std::string>{"1N128459614EFF0100P1507L0M1-B40C20M70-01.jpg",
                                                      "2N127531276EFF0300P1512L0M1-B40C20M70-01.jpg",
                                                      "2N171829389EFF6600P1706L0M1-B40C20M70-01.jpg"}));
    EXPECT_EQ(readFile(out / "2N171829389EFF6600P1706L0M1-B40C20M70-01.jpg"), "keep me");

    // Byte for byte the single command's file, so the same pixels.
    const CliRun single = run("anaglyph '" + right.string() + "' '" + left.string() + "' '" + path("single.jpg") + "'" + options);
    ASSERT_EQ(single.status, 0) << single.err;
    for (const char* built : {"1N128459614EFF0100P1507L0M1-B40C20M70-01.jpg", "2N127531276EFF0300P1512L0M1-B40C20M70-01.jpg"})
        EXPECT_TRUE(readFile(out / built) == readFile(path("single.jpg"))) << built;

    // A second run on one thread finds everything in place; default settings give other names.
    const CliRun again = run("anaglyphs '" + in.string() + "' '" + out.string() + "' --jobs 1" + options);
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.out.rfind("0 built, 3 skipped, 1 failed in ", 0), 0u) << again.out;
    std::filesystem::remove(in / "1P131745489EFF0900P2411L4M1.JPG");
    const CliRun defaults = run("anaglyphs '" + in.string() + "' '" + out.string() + "'");
    EXPECT_EQ(defaults.status, 0) << defaults.err;
    EXPECT_EQ(defaults.out.rfind("3 built, 0 skipped, 0 failed in ", 0), 0u) << defaults.out;
    EXPECT_TRUE(fs::exists(out / "2N171829389EFF6600P1706L0M1-B30C16M50-01.jpg"));
    EXPECT_EQ(listing(out).size(), 6u);
}

TEST_F(Cli, AnaglyphsUsageAndDirectoryErrors)
{
    std::ofstream(path("file")) << "x";
    fs::create_directories(path("empty"));
    struct Case { std::string arguments; int status; const char* message; };
    for (const Case& c : {Case{"anaglyphs", 2, "expected DIR OUTDIR"},
                          Case{"anaglyphs '" + path("empty") + "'", 2, "expected DIR OUTDIR"},
                          Case{"anaglyphs '" + path("empty") + "' o --jobs 0", 2, "--jobs 0 is outside 1..256"},
                          Case{"anaglyphs '" + path("empty") + "' o --jobs x", 2, "--jobs expects"},
                          Case{"anaglyphs '" + path("empty") + "' o --merge 101", 2, "--merge 101"},
                          Case{"anaglyphs '" + path("empty") + "' o --overwrite", 2, "unknown option"},
                          Case{"anaglyphs '" + path("missing") + "' '" + path("o") + "'", 1, "is not a directory"},
                          Case{"anaglyphs '" + path("empty") + "' '" + path("file/o") + "'", 1,
                               "cannot create the output directory"}}) {
        const CliRun r = run(c.arguments);
        EXPECT_EQ(r.status, c.status) << c.arguments << ": " << r.err;
        EXPECT_TRUE(contains(r.err, c.message)) << c.arguments << ": " << r.err;
        EXPECT_TRUE(r.out.empty()) << c.arguments << ": " << r.out;
    }
    EXPECT_FALSE(fs::exists(path("o")));
    const CliRun none = run("anaglyphs '" + path("empty") + "' '" + path("made/deeper") + "'");
    EXPECT_EQ(none.status, 0) << none.err;
    EXPECT_EQ(none.out.rfind("0 built, 0 skipped, 0 failed in ", 0), 0u) << none.out;
    EXPECT_TRUE(fs::is_directory(path("made/deeper")));
    EXPECT_TRUE(contains(run("--help").out, "keldar-cli anaglyphs DIR OUTDIR"));
}

TEST_F(Cli, AnaglyphsStopsOnSigintAndLeavesNoPartialFile)
{
    // A 2400 x 2400 BMP of busy content, made a JPEG by the CLI: a pair takes long enough that
    // the signal lands while a file is being written.
    constexpr int side = 2400;
    {
        std::ofstream bmp(path("big.bmp"), std::ios::binary);
        const auto le = [&](std::uint32_t v, int bytes) {
            for (int i = 0; i < bytes; ++i) bmp.put(static_cast<char>(v >> (8 * i) & 0xFF));
        };
        bmp << "BM";
        le(54 + side * side * 3, 4), le(0, 4), le(54, 4), le(40, 4), le(side, 4), le(side, 4), le(1, 2), le(24, 2);
        le(0, 4), le(side * side * 3, 4), le(2835, 4), le(2835, 4), le(0, 4), le(0, 4);
        std::string row(side * 3, '\0');
        for (int y = 0; y < side; ++y) {
            for (int i = 0; i < side * 3; ++i) row[i] = static_cast<char>((i * 7 + y * 13) ^ (i * y >> 5));
            bmp << row;
        }
    }
    ASSERT_EQ(run("sunset '" + path("big.bmp") + "' '" + path("big.jpg") + "' --passes 0").status, 0);
    const fs::path in = path("in"), out = path("out");
    fs::create_directories(in);
    for (int i = 0; i < 8; ++i) {
        const std::string id = "2N12753127" + std::to_string(i) + "EFF0300P1512";
        copyAs(path("big.jpg"), in / (id + "L0M1.JPG"));
        copyAs(path("big.jpg"), in / (id + "R0M1.JPG"));
    }

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (!std::freopen(path("stdout.txt").c_str(), "w", stdout) || !std::freopen(path("stderr.txt").c_str(), "w", stderr))
            ::_exit(127);
        ::execl(KELDAR_CLI, KELDAR_CLI, "anaglyphs", in.c_str(), out.c_str(), "--jobs", "1", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Signal once a temporary file is there, that is while a pair is being written.
    const auto writing = [&] {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(out, ec))
            if (entry.path().filename().string().front() == '.') return true;
        return false;
    };
    bool sawTemporary = false;
    for (int i = 0; i < 20000 && !sawTemporary; ++i) {
        sawTemporary = writing();
        if (!sawTemporary) ::usleep(500);
    }
    ::kill(child, SIGINT);
    int raw = 0;
    ASSERT_EQ(::waitpid(child, &raw, 0), child);
    EXPECT_TRUE(sawTemporary);
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 130) << readFile(path("stderr.txt"));
    EXPECT_EQ(readFile(path("stdout.txt")).rfind("stopped: ", 0), 0u) << readFile(path("stdout.txt"));
    const std::vector<std::string> left = listing(out);
    EXPECT_LT(left.size(), 8u);
    for (const std::string& name : left) {
        EXPECT_NE(name.front(), '.') << name;
        const std::string bytes = readFile(out / name);
        EXPECT_EQ(bytes.substr(bytes.size() - 2), "\xFF\xD9") << name << " is cut short";
    }
}

TEST_F(Cli, NoOutputReplacesAPdsProductOrAnInput)
{
    const std::string sample = path("sample");
    ASSERT_EQ(run("make-sample '" + sample + "'").status, 0);
    std::vector<std::string> jpegs;
    for (const auto& entry : fs::directory_iterator(sample))
        if (entry.path().extension() == ".JPG") jpegs.push_back(entry.path().string());
    ASSERT_GE(jpegs.size(), 3u);
    std::sort(jpegs.begin(), jpegs.end());
    const std::string a = jpegs[0], b = jpegs[1], c = jpegs[2];
    const std::string product = path("1N128459614EFF0100P1507L0M1.IMG");
    std::ofstream(product, std::ios::binary) << "PDS_VERSION_ID = PDS3\r\nEND\r\n";
    const std::string hardLink = path("same-as-a.jpg");
    fs::create_hard_link(a, hardLink);
    const std::map<std::string, std::string> before = {
        {a, readFile(a)}, {b, readFile(b)}, {product, readFile(product)}};

    const struct {
        std::string arguments;
        std::string said;
    } cases[] = {
        {"anaglyph '" + a + "' '" + b + "' '" + product + "'", "read only"},
        {"anaglyph '" + a + "' '" + b + "' '" + path("lower.img") + "'", "read only"},
        {"composite '" + a + "' '" + b + "' '" + c + "' '" + product + "'", "read only"},
        {"composite '" + a + "' '" + b + "' '" + c + "' '" + product + "' --mer2rgb", "read only"},
        {"sunset '" + a + "' '" + product + "'", "read only"},
        {"anaglyph '" + a + "' '" + b + "' '" + a + "'", "is the input"},
        {"anaglyph '" + a + "' '" + b + "' '" + hardLink + "'", "is the input"},
        {"composite '" + a + "' '" + b + "' '" + c + "' '" + b + "' --mer2rgb", "is the input"},
        {"sunset '" + b + "' '" + b + "'", "is the input"},
    };
    for (const auto& c : cases) {
        const CliRun r = run(c.arguments);
        EXPECT_EQ(r.status, 1) << c.arguments;
        EXPECT_TRUE(contains(r.err, c.said)) << c.arguments << ": " << r.err;
    }
    for (const auto& [file, bytes] : before) EXPECT_EQ(readFile(file), bytes) << file;
    EXPECT_FALSE(fs::exists(path("lower.img")));
}

TEST_F(Cli, AnaglyphsOfDottedNamesKeepTheirWholeStemAndAreNotTakenForEyes)
{
    const fs::path sample = path("sample"), in = path("in");
    ASSERT_EQ(run("make-sample '" + sample.string() + "'").status, 0);
    const std::string id = "2N127531276EFF0300P1512";
    fs::create_directories(in);
    copyAs(sample / (id + "R0M1.JPG"), in / (id + "R0M1.JPG"));
    copyAs(sample / (id + "L0M1.JPG"), in / (id + "L0M1.JPG"));  // the user's original
    copyAs(sample / (id + "L0M1.JPG"), in / (id + "L0M1.v2.JPG"));
    copyAs(sample / (id + "L0M1.JPG"), in / (id + "L0M1.IMG.JPG"));
    const std::string original = readFile(in / (id + "L0M1.JPG"));

    const CliRun first = run("anaglyphs '" + in.string() + "' '" + in.string() + "'");
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out.rfind("3 built, 0 skipped, 0 failed in ", 0), 0u) << first.out;
    for (const std::string stem : {"L0M1", "L0M1.v2", "L0M1.IMG"})
        EXPECT_TRUE(fs::exists(in / (id + stem + "-B30C16M50-01.jpg"))) << stem;
    EXPECT_EQ(readFile(in / (id + "L0M1.JPG")), original);
    // A second run takes none of the anaglyphs for a left eye.
    const CliRun again = run("anaglyphs '" + in.string() + "' '" + in.string() + "'");
    EXPECT_EQ(again.out.rfind("0 built, 3 skipped, 0 failed in ", 0), 0u) << again.out;
}

TEST_F(Cli, LeftoversBrokenLinksAndControlCharactersAreDealtWith)
{
    // An output directory that is a broken link is called one.
    fs::create_directories(path("in"));
    fs::create_symlink(path("nowhere"), path("dangling"));
    const CliRun dangling = run("anaglyphs '" + path("in") + "' '" + path("dangling") + "'");
    EXPECT_EQ(dangling.status, 1);
    EXPECT_TRUE(contains(dangling.err, "broken symbolic link")) << dangling.err;

    // Temporary files of a killed run go; those of a live process stay.
    pid_t gone = 4000000;
    while (::kill(gone, 0) == 0 || errno != ESRCH) --gone;
    fs::create_directories(path("out"));
    const std::string stale = ".2N127531276EFF0300P1512L0M1-B30C16M50-01.jpg.tmp-" + std::to_string(gone) + "-0-4711";
    const std::string live = ".other.jpg.tmp-" + std::to_string(::getpid()) + "-3-99";
    std::ofstream(path("out/" + stale)) << "half";
    std::ofstream(path("out/" + live)) << "being written";
    EXPECT_EQ(run("anaglyphs '" + path("in") + "' '" + path("out") + "'").status, 0);
    EXPECT_FALSE(fs::exists(path("out/" + stale)));
    EXPECT_TRUE(fs::exists(path("out/" + live)));

    // A name with an escape sequence is shown, not obeyed.
    const CliRun decoded = run("decode \"$(printf '2N127531276EFF0300P1512L0M1\\033[2J\\\\x.JPG')\"");
    EXPECT_EQ(decoded.status, 0);
    EXPECT_EQ(decoded.out.find('\033'), std::string::npos);
    EXPECT_TRUE(contains(decoded.out, "2N127531276EFF0300P1512L0M1\\x1B[2J\\x5Cx.JPG")) << decoded.out;
}
