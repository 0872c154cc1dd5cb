#pragma once
// A small stand-in for the PDS imaging archive, for the fetch tests of the command line and of
// the workbench: Spirit's NAVCAM volume with four products a sol from sol 1 to 300 (none on
// sol 150; files for sols 1, 77 and 300 only), and a PANCAM volume whose index is out of order
// at its end, served by archive_server.py on 127.0.0.1.

#include <algorithm>
#include <cctype>
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

namespace keldar::testing::archive {

namespace fs = std::filesystem;

inline std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void writeFile(const fs::path& path, const std::string& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string padded(std::string text, std::size_t width) {
    text.resize(width, ' ');
    return text;
}

// The columns of the generated index, laid out as the archive's real tables are: text in
// quotes and padded inside them, numbers left-justified, one TAB between fields, CR LF after
// the last; START_BYTE and BYTES name what lies inside the quotes, and RECORD_BYTES counts one
// byte past the last column, so the records are one byte longer than the label says.
struct Column {
    const char* name;
    const char* type;
    std::size_t bytes;
};
inline const Column kColumns[] = {{"PATH_NAME", "CHARACTER", 38},   {"FILE_NAME", "CHARACTER", 34},
                                  {"PRODUCT_ID", "CHARACTER", 27},  {"PLANET_DAY_NUMBER", "ASCII_INTEGER", 5},
                                  {"FILTER_NAME", "CHARACTER", 12}, {"LINES", "ASCII_INTEGER", 4},
                                  {"LINE_SAMPLES", "ASCII_INTEGER", 4}};

inline bool quoted(const Column& c) { return std::string(c.type) == "CHARACTER"; }

inline std::size_t recordLength() {
    std::size_t n = 0;
    for (const Column& c : kColumns) n += c.bytes + (quoted(c) ? 2 : 0) + 1;  // the last "+ 1" is the CR
    return n + 1;                                                               // and the LF
}

inline std::string indexLabel(std::size_t rows, const std::string& fileRecords = {}) {
    std::string columns;
    std::size_t at = 1;
    for (const Column& c : kColumns) {
        if (quoted(c)) ++at;
        columns += std::string("  OBJECT = COLUMN\r\n    NAME = ") + c.name + "\r\n    DATA_TYPE = " + c.type +
                   "\r\n    START_BYTE = " + std::to_string(at) + "\r\n    BYTES = " + std::to_string(c.bytes) +
                   "\r\n  END_OBJECT = COLUMN\r\n";
        at += c.bytes + (quoted(c) ? 1 : 0) + 1;
    }
    const std::string recordBytes = std::to_string(recordLength() - 1);
    return "PDS_VERSION_ID = PDS3\r\nRECORD_TYPE = FIXED_LENGTH\r\nRECORD_BYTES = " + recordBytes +
           "\r\nFILE_RECORDS = " + (fileRecords.empty() ? std::to_string(rows) : fileRecords) +
           "\r\n^INDEX_TABLE = \"EDRINDEX.TAB\"\r\nOBJECT = INDEX_TABLE\r\n  ROW_BYTES = " + recordBytes + "\r\n" + columns +
           "END_OBJECT = INDEX_TABLE\r\nEND\r\n";
}

inline std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// A record of the generated index, in the real layout.
inline std::string record(const std::string& volume, const std::string& id, int sol) {
    char folder[16];
    std::snprintf(folder, sizeof folder, "sol%04d", sol);
    const std::string values[] = {"/" + volume + "/data/" + folder + "/edr/", lower(id) + ".img", id, std::to_string(sol),
                                  std::string("CAM_") + id[24], "32", "48"};
    std::string r;
    for (std::size_t i = 0; i < std::size(kColumns); ++i) {
        const std::string field = padded(values[i], kColumns[i].bytes);
        r += (quoted(kColumns[i]) ? "\"" + field + "\"" : field) + (i + 1 < std::size(kColumns) ? "\t" : "\r\n");
    }
    return r;
}

inline std::string idFor(char camera, int sol, int k) {
    const char eye = k % 2 == 0 ? 'L' : 'R';
    return "2" + std::string(1, camera) + std::to_string(126400000 + sol * 88775 + k / 2 * 40) + "EFF0300P1512" + eye +
           (camera == 'P' ? "2" : "0") + "M1";
}

inline std::string jpegOf(int seed) {
    keldar::imaging::ImageBuffer image(48, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 48 * 3; ++x) image.row(y)[x] = static_cast<std::uint8_t>(x * 5 + y * 3 + seed * 17);
    const std::vector<std::uint8_t> bytes = keldar::imaging::encodeJpeg(image);
    return std::string(bytes.begin(), bytes.end());
}

inline std::string pdsOf(int seed) {
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

// The archive's files under `root`, and the server that serves them.
class LocalArchive {
public:
    explicit LocalArchive(fs::path root) : archive_(std::move(root)) {
        makeVolume("mer2no_0xxx", 'N', true);
        makeVolume("mer2po_0xxx", 'P', false);
        startServer();
    }
    ~LocalArchive() {
        if (server_ > 0) {
            ::kill(server_, SIGTERM);
            ::waitpid(server_, nullptr, 0);
        }
    }
    LocalArchive(const LocalArchive&) = delete;
    LocalArchive& operator=(const LocalArchive&) = delete;

    const std::string& base() const { return base_; }
    const fs::path& root() const { return archive_; }
    std::string browse(const std::string& volume, int sol, const std::string& id) const {
        char folder[16];
        std::snprintf(folder, sizeof folder, "sol%04d", sol);
        return (archive_ / "spirit" / volume / "browse" / folder / "edr" / (lower(id) + ".img.jpg")).string();
    }
    void faults(const std::string& json) const { writeFile(archive_ / ".faults.json", json); }
    std::string requests() const { return readFile(archive_ / ".requests.log"); }

    // Opportunity's descent camera volume, its index the real archive's bytes as they are
    // (in `realIndex`: mer1do_0xxx-edrindex.lbl and .tab), with made pictures for its rows.
    // False when the real index is not there.
    bool addRealDescentVolume(const fs::path& realIndex) {
        const std::string label = readFile(realIndex / "mer1do_0xxx-edrindex.lbl");
        const std::string table = readFile(realIndex / "mer1do_0xxx-edrindex.tab");
        if (label.empty() || table.empty()) return false;
        const fs::path volume = archive_ / "opportunity" / "mer1do_0xxx";
        writeFile(volume / "index" / "edrindex.lbl", label);
        writeFile(volume / "index" / "edrindex.tab", table);
        int seed = 0;
        for (std::size_t at = 0; (at = table.find("\"1E", at)) != std::string::npos; at += 28) {
            const std::string id = table.substr(at + 1, 27);
            writeFile(volume / "browse" / "sol0001" / "edr" / (lower(id) + ".img.jpg"), jpegOf(++seed));
            writeFile(volume / "data" / "sol0001" / "edr" / (lower(id) + ".img"), pdsOf(seed));
        }
        return true;
    }
    std::string urlPath(const std::string& file) const { return file.substr(archive_.string().size()); }

private:
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
        if (::pipe(out) != 0) return;
        server_ = ::fork();
        if (server_ < 0) return;
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
        if (line.rfind("PORT ", 0) != 0) return;
        base_ = "http://127.0.0.1:" + line.substr(5) + "/";
    }

    fs::path archive_;
    std::string base_;
    pid_t server_ = -1;
};

}  // namespace keldar::testing::archive
