// keldar-cli fetch against a local stand-in for the archive (archive_server.py on 127.0.0.1):
// the index search, the products and their labels, resumed and retried transfers, what is
// refused and kept, and a stop by SIGINT.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "core/imaging/ImageBuffer.h"
#include "core/imaging/ImageFile.h"

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string padded(std::string text, std::size_t width) {
    text.resize(width, ' ');
    return text;
}

// The columns of the generated index: name, type, width (quotes included for text).
struct Column {
    const char* name;
    const char* type;
    std::size_t bytes;
};
const Column kColumns[] = {{"PATH_NAME", "CHARACTER", 40},
                           {"FILE_NAME", "CHARACTER", 36},
                           {"PRODUCT_ID", "CHARACTER", 29},
                           {"PLANET_DAY_NUMBER", "ASCII_INTEGER", 5},
                           {"FILTER_NAME", "CHARACTER", 14}};

std::string indexLabel(std::size_t rows) {
    std::size_t start = 1, recordBytes = 2;  // CR LF
    for (const Column& c : kColumns) recordBytes += c.bytes + 1;
    std::string text = "PDS_VERSION_ID = PDS3\r\nRECORD_TYPE = FIXED_LENGTH\r\nRECORD_BYTES = " +
                       std::to_string(recordBytes) + "\r\nFILE_RECORDS = " + std::to_string(rows) +
                       "\r\n^INDEX_TABLE = \"EDRINDEX.TAB\"\r\nOBJECT = INDEX_TABLE\r\n";
    for (const Column& c : kColumns) {
        text += std::string("  OBJECT = COLUMN\r\n    NAME = ") + c.name + "\r\n    DATA_TYPE = " + c.type +
                "\r\n    START_BYTE = " + std::to_string(start) + "\r\n    BYTES = " + std::to_string(c.bytes) +
                "\r\n  END_OBJECT = COLUMN\r\n";
        start += c.bytes + 1;
    }
    return text + "END_OBJECT = INDEX_TABLE\r\nEND\r\n";
}

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A record of the generated index: every field padded to its width, separated by commas.
std::string record(const std::string& volume, const std::string& id, int sol) {
    char folder[16];
    std::snprintf(folder, sizeof folder, "sol%04d", sol);
    const std::string values[] = {"\"/" + volume + "/data/" + folder + "/edr/\"", "\"" + lower(id) + ".img\"",
                                  "\"" + id + "\"", std::to_string(sol), "\"" + std::string("CAM_") + id[24] + "\""};
    std::string r;
    for (std::size_t i = 0; i < std::size(kColumns); ++i) r += padded(values[i], kColumns[i].bytes) + (i + 1 < std::size(kColumns) ? "," : "");
    return r + " \r\n";
}

std::string idFor(char camera, int sol, int k) {
    const char eye = k % 2 == 0 ? 'L' : 'R';
    return "2" + std::string(1, camera) + std::to_string(126400000 + sol * 88775 + k / 2 * 40) + "EFF0300P1512" + eye +
           (camera == 'P' ? "2" : "0") + "M1";
}

std::string jpegOf(int seed) {
    keldar::imaging::ImageBuffer image(48, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48 * 3; ++x) image.row(y)[x] = static_cast<std::uint8_t>(x * 5 + y * 3 + seed * 17);
    const std::vector<std::uint8_t> bytes = keldar::imaging::encodeJpeg(image);
    return std::string(bytes.begin(), bytes.end());
}

std::string pdsOf(int seed) {
    std::string label = "PDS_VERSION_ID = PDS3\r\nRECORD_TYPE = FIXED_LENGTH\r\nRECORD_BYTES = 512\r\n^IMAGE = 2\r\n"
                        "OBJECT = IMAGE\r\n  LINES = 8\r\n  LINE_SAMPLES = 8\r\n  SAMPLE_TYPE = MSB_UNSIGNED_INTEGER\r\n"
                        "  SAMPLE_BITS = 16\r\nEND_OBJECT = IMAGE\r\nEND\r\n";
    label.resize(512, ' ');
    for (int i = 0; i < 64; ++i) {
        const int v = (i * 37 + seed * 11) % 4096;
        label += static_cast<char>(v >> 8);
        label += static_cast<char>(v & 0xFF);
    }
    return label;
}

class Fetch : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("keldar-fetch-test-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        archive_ = dir_ / "archive";
        // Spirit's NAVCAM volume: four products a sol from sol 1 to 300, none on sol 150. Files
        // exist for sols 1, 77 and 300 only.
        makeVolume("mer2no_0xxx", 'N', true);
        // The PANCAM volume's index ends with a record of sol 1: its order does not hold.
        makeVolume("mer2po_0xxx", 'P', false);
        startServer();
    }
    void TearDown() override {
        if (server_ > 0) {
            ::kill(server_, SIGTERM);
            ::waitpid(server_, nullptr, 0);
        }
        fs::remove_all(dir_);
    }

    void makeVolume(const std::string& volume, char camera, bool ordered) {
        std::string table;
        std::size_t rows = 0;
        for (int sol = 1; sol <= 300; ++sol) {
            if (sol == 150) continue;
            for (int k = 0; k < 4; ++k) {
                const std::string id = idFor(camera, sol, k);
                table += record(volume, id, sol);
                ++rows;
                if (sol != 1 && sol != 77 && sol != 300) continue;
                char folder[16];
                std::snprintf(folder, sizeof folder, "sol%04d", sol);
                writeFile(archive_ / "spirit" / volume / "browse" / folder / "edr" / (lower(id) + ".img.jpg"),
                          jpegOf(sol + k));
                writeFile(archive_ / "spirit" / volume / "data" / folder / "edr" / (lower(id) + ".img"), pdsOf(sol + k));
            }
        }
        if (!ordered) {
            table += record(volume, idFor(camera, 1, 6), 1);
            ++rows;
        }
        writeFile(archive_ / "spirit" / volume / "index" / "edrindex.lbl", indexLabel(rows));
        writeFile(archive_ / "spirit" / volume / "index" / "edrindex.tab", table);
    }

    void startServer() {
        int out[2];
        ASSERT_EQ(::pipe(out), 0);
        server_ = ::fork();
        ASSERT_GE(server_, 0);
        if (server_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::execl(PYTHON, PYTHON, ARCHIVE_SERVER, archive_.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(out[1]);
        std::string line;
        char c = 0;
        while (::read(out[0], &c, 1) == 1 && c != '\n') line += c;
        ::close(out[0]);
        ASSERT_EQ(line.rfind("PORT ", 0), 0u) << line;
        base_ = "http://127.0.0.1:" + line.substr(5) + "/";
    }

    struct Run {
        int status = -1;
        std::string out, err;
    };
    Run fetch(const std::string& arguments) {
        const fs::path out = dir_ / "stdout.txt", err = dir_ / "stderr.txt";
        const std::string command = std::string("'") + KELDAR_CLI + "' fetch " + arguments + " --base " + base_ + " >'" +
                                    out.string() + "' 2>'" + err.string() + "'";
        Run r;
        const int raw = std::system(command.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = readFile(out);
        r.err = readFile(err);
        return r;
    }
    std::vector<std::string> listing(const fs::path& d) const {
        std::vector<std::string> names;
        if (!fs::exists(d)) return names;
        for (const auto& e : fs::directory_iterator(d)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string browse(const std::string& volume, int sol, const std::string& id) const {
        char folder[16];
        std::snprintf(folder, sizeof folder, "sol%04d", sol);
        return (archive_ / "spirit" / volume / "browse" / folder / "edr" / (lower(id) + ".img.jpg")).string();
    }
    void faults(const std::string& json) const { writeFile(archive_ / ".faults.json", json); }
    std::string urlPath(const std::string& file) const { return file.substr(archive_.string().size()); }

    fs::path dir_, archive_;
    std::string base_;
    pid_t server_ = -1;
};

int indexRequests(const std::string& summary) {
    const std::size_t open = summary.find('(');
    return open == std::string::npos ? -1 : std::stoi(summary.substr(open + 1));
}

TEST_F(Fetch, ASolAtTheStartMiddleAndEndIsFoundByRangeRequestsAndFetchedWithLabels) {
    for (const int sol : {1, 77, 300}) {
        SCOPED_TRACE(sol);
        const fs::path out = dir_ / ("sol" + std::to_string(sol));
        const Run r = fetch("spirit " + std::to_string(sol) + " '" + out.string() + "' --camera navcam");
        ASSERT_EQ(r.status, 0) << r.err << r.out;
        EXPECT_EQ(r.out.rfind("4 fetched, 0 skipped, 0 failed", 0), 0u) << r.out;
        EXPECT_LE(indexRequests(r.out), 30) << r.out;
        EXPECT_EQ(r.out.find("read whole"), std::string::npos);
        std::vector<std::string> expected;
        for (int k = 0; k < 4; ++k) {
            const std::string id = idFor('N', sol, k);
            expected.push_back(id + ".JPG");
            expected.push_back(id + ".LBL");
            EXPECT_EQ(readFile(out / (id + ".JPG")), readFile(browse("mer2no_0xxx", sol, id)));
            const std::string label = readFile(out / (id + ".LBL"));
            EXPECT_NE(label.find("PLANET_DAY_NUMBER             = " + std::to_string(sol)), std::string::npos) << label;
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(listing(out), expected);
    }
    // The label shows through keldar-cli label, as the workbench's label page reads it.
    const std::string id = idFor('N', 77, 0);
    const std::string shown = std::string("'") + KELDAR_CLI + "' label '" + (dir_ / "sol77" / (id + ".LBL")).string() + "'";
    FILE* pipe = ::popen(shown.c_str(), "r");
    std::string text;
    for (char buffer[512]; std::fgets(buffer, sizeof buffer, pipe) != nullptr;) text += buffer;
    EXPECT_EQ(::pclose(pipe), 0);
    EXPECT_NE(text.find(id), std::string::npos) << text;

    // A sol without products, and a second run that finds everything in place.
    const Run none = fetch("spirit 150 '" + (dir_ / "none").string() + "' --camera navcam");
    EXPECT_EQ(none.status, 0) << none.err;
    EXPECT_EQ(none.out.rfind("0 fetched, 0 skipped, 0 failed", 0), 0u) << none.out;
    const Run again = fetch("spirit 77 '" + (dir_ / "sol77").string() + "' --camera navcam");
    EXPECT_EQ(again.out.rfind("0 fetched, 4 skipped, 0 failed", 0), 0u) << again.out;
}

TEST_F(Fetch, AnIndexOutOfOrderIsReadWholeAndEdrsAndArchiveNamesAreKept) {
    const fs::path out = dir_ / "pancam";
    const Run r = fetch("spirit 77 '" + out.string() + "' --camera pancam --eye left --edr --archive-names");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("the index read whole"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.rfind("2 fetched, 0 skipped, 0 failed", 0), 0u) << r.out;
    const std::string id = idFor('P', 77, 0);
    EXPECT_TRUE(fs::exists(out / (lower(id) + ".img")));
    EXPECT_TRUE(fs::exists(out / (lower(id) + ".lbl")));
    EXPECT_FALSE(fs::exists(out / (lower(idFor('P', 77, 1)) + ".img"))) << "a right eye";
}

TEST_F(Fetch, ABrokenTransferResumesAndPassingFailuresAreRetried) {
    const std::string id = idFor('N', 77, 0), other = idFor('N', 77, 2);
    faults("{\"drop\": {\"" + urlPath(browse("mer2no_0xxx", 77, id)) + "\": 300}, \"fail\": {\"" +
           urlPath(browse("mer2no_0xxx", 77, other)) + "\": 3}}");
    const fs::path out = dir_ / "retried";
    const Run r = fetch("spirit 77 '" + out.string() + "' --camera navcam --jobs 1");
    ASSERT_EQ(r.status, 0) << r.err << r.out;
    EXPECT_EQ(readFile(out / (id + ".JPG")), readFile(browse("mer2no_0xxx", 77, id)));
    EXPECT_EQ(readFile(out / (other + ".JPG")), readFile(browse("mer2no_0xxx", 77, other)));
    const std::string log = readFile(archive_ / ".requests.log");
    EXPECT_NE(log.find("GET " + urlPath(browse("mer2no_0xxx", 77, id)) + " bytes=300-"), std::string::npos) << log;
}

TEST_F(Fetch, FailuresAreNamedAndNothingIsLeftUnderAFinalNameOrReplaced) {
    const std::string failing = idFor('N', 77, 0), cut = idFor('N', 77, 1), mine = idFor('N', 77, 2);
    faults("{\"fail\": {\"" + urlPath(browse("mer2no_0xxx", 77, failing)) + "\": 100}}");
    const std::string whole = readFile(browse("mer2no_0xxx", 77, cut));
    writeFile(browse("mer2no_0xxx", 77, cut), whole.substr(0, whole.size() / 2));
    const fs::path out = dir_ / "failed";
    writeFile(out / (mine + ".JPG"), "my own file");
    const Run r = fetch("spirit 77 '" + out.string() + "' --camera navcam");
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_EQ(r.out.rfind("1 fetched, 1 skipped, 2 failed", 0), 0u) << r.out;
    EXPECT_NE(r.err.find(failing + ".JPG: HTTP 500"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(cut + ".JPG: not a whole JPEG"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(out / (failing + ".JPG")));
    EXPECT_FALSE(fs::exists(out / (cut + ".JPG")));
    EXPECT_EQ(readFile(out / (mine + ".JPG")), "my own file");
}

TEST_F(Fetch, SigintStopsWithNoPartialFileUnderItsFinalName) {
    faults("{\"latency_ms\": 400}");
    const fs::path out = dir_ / "stopped";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::freopen((dir_ / "stdout.txt").c_str(), "w", stdout);
        std::freopen((dir_ / "stderr.txt").c_str(), "w", stderr);
        ::execl(KELDAR_CLI, KELDAR_CLI, "fetch", "spirit", "77", out.c_str(), "--camera", "navcam", "--base",
                base_.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // Stopped once it has asked for a product.
    for (int i = 0; i < 400 && readFile(archive_ / ".requests.log").find("/browse/") == std::string::npos; ++i)
        ::usleep(25000);
    ::kill(child, SIGINT);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    for (const std::string& name : listing(out)) EXPECT_EQ(name.front(), '.') << name;
}

TEST_F(Fetch, UsageErrors) {
    for (const char* arguments : {"mars 1 d", "spirit x d", "spirit 5..2 d", "spirit 1 d --camera zoom", "spirit 1"}) {
        const Run r = fetch(arguments);
        EXPECT_EQ(r.status, 2) << arguments;
    }
}

}  // namespace
