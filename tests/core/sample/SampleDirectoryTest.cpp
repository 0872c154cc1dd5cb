// The generated sample directory: names, layout, pictures and their stereo and colour content,
// determinism and failure reporting.

#include "core/decode/ProductIdentifier.h"
#include "core/imaging/ImageFile.h"
#include "core/sample/SampleDirectory.h"
#include "core/time/MissionTime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;
using keldar::imaging::ImageBuffer;
using keldar::imaging::readImageFile;
using keldar::sample::SampleEntry;

namespace {

// A fresh directory under the system temp directory, removed again at the end.
class TempDir {
public:
    explicit TempDir(const std::string& tag) {
        static int counter = 0;
        path_ = fs::temp_directory_path() /
                ("keldar-sample-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        fs::remove_all(path_);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string baseOf(const std::string& name) { return name.substr(0, name.find('.')); }

std::string readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> readBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint64_t fnv1a(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t h = 1469598103934665603ULL;
    for (std::uint8_t b : bytes) {
        h ^= b;
        h *= 1099511628211ULL;
    }
    return h;
}

// Relative path -> content hash of every regular file under root; directories map to 0.
std::map<std::string, std::uint64_t> treeHashes(const fs::path& root) {
    std::map<std::string, std::uint64_t> out;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string rel = fs::relative(e.path(), root).generic_string();
        out[rel] = e.is_regular_file() ? fnv1a(readBytes(e.path())) : 0;
    }
    return out;
}

int grey(const ImageBuffer& img, int x, int y) { return img.row(y)[3 * x + 1]; }

// Horizontal shift s (right image content at x - s matches the left at x) that best matches rows
// [y0, y1) of a stereo pair, by least mean absolute difference.
int bestShift(const ImageBuffer& left, const ImageBuffer& right, int y0, int y1, int maxShift) {
    int best = 0;
    double bestCost = 1e30;
    const int w = left.width();
    for (int s = -8; s <= maxShift; ++s) {
        double cost = 0.0;
        long n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = maxShift + 8; x < w - 8; ++x) {
                cost += std::abs(grey(left, x, y) - grey(right, x - s, y));
                ++n;
            }
        cost /= static_cast<double>(n);
        if (cost < bestCost) {
            bestCost = cost;
            best = s;
        }
    }
    return best;
}

double meanGrey(const ImageBuffer& img) {
    double sum = 0.0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) sum += grey(img, x, y);
    return sum / (static_cast<double>(img.width()) * img.height());
}

double meanAbsDiff(const ImageBuffer& a, int channelA, const ImageBuffer& b, int channelB) {
    double sum = 0.0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) sum += std::abs(a.row(y)[3 * x + channelA] - b.row(y)[3 * x + channelB]);
    return sum / (static_cast<double>(a.width()) * a.height());
}

bool isGrey(const ImageBuffer& img) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const std::uint8_t* p = img.row(y) + 3 * x;
            if (p[0] != p[1] || p[1] != p[2]) return false;
        }
    return true;
}

// Fraction of pixels whose channels differ by more than a few steps.
double colouredFraction(const ImageBuffer& img) {
    long n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const std::uint8_t* p = img.row(y) + 3 * x;
            if (std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}) > 12) ++n;
        }
    return static_cast<double>(n) / (static_cast<double>(img.width()) * img.height());
}

double standardDeviation(const ImageBuffer& img) {
    const double m = meanGrey(img);
    double s = 0.0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) s += (grey(img, x, y) - m) * (grey(img, x, y) - m);
    return std::sqrt(s / (static_cast<double>(img.width()) * img.height()));
}

const SampleEntry* findEntry(const std::vector<SampleEntry>& entries, const std::string& name) {
    for (const SampleEntry& e : entries)
        if (e.name == name) return &e;
    return nullptr;
}

constexpr long long kSpiritLandingClock = 126462964;
constexpr long long kOpportunityLandingClock = 128279164;

}  // namespace

// ---- Names, without writing anything ------------------------------------------------------

TEST(SampleNames, ProductNamesAreWellFormedIdentifiers) {
    const auto entries = keldar::sample::sampleEntries();
    ASSERT_FALSE(entries.empty());
    int products = 0;
    for (const SampleEntry& e : entries) {
        if (e.kind != SampleEntry::Kind::Product && e.kind != SampleEntry::Kind::Combined) continue;
        ++products;
        SCOPED_TRACE(e.name);
        ASSERT_GE(e.name.size(), 28u);
        const std::string id = e.name.substr(0, 27);
        EXPECT_TRUE(id[0] == '1' || id[0] == '2');
        EXPECT_NE(std::string("FRNPME").find(id[1]), std::string::npos);
        for (int i = 2; i < 11; ++i) EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(id[i]))) << "clock digit " << i;
        EXPECT_NE(std::string("CDEFGKMNPRSTWXYZ").find(id[18]), std::string::npos) << "sequence category";
        for (int i = 19; i < 23; ++i) EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(id[i]))) << "sequence digit " << i;
        EXPECT_NE(std::string("LRMN").find(id[23]), std::string::npos);
        EXPECT_EQ(id[25], 'M');
        EXPECT_EQ(id[26], '1');
        if (e.kind == SampleEntry::Kind::Product) {
            EXPECT_EQ(e.name.size(), 31u);
            EXPECT_EQ(lower(e.name.substr(27)), ".jpg");
        } else {
            EXPECT_EQ(e.name[27], '-');
            EXPECT_EQ(lower(e.name.substr(e.name.size() - 4)), ".jpg");
        }
    }
    EXPECT_GE(products, 10);
}

TEST(SampleNames, ListIsInCaseInsensitiveOrderAndStartsWithAProduct) {
    const auto entries = keldar::sample::sampleEntries();
    const auto names = keldar::sample::sampleImageNames();
    ASSERT_EQ(names.size(), entries.size());
    for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(names[i], entries[i].name);
    for (std::size_t i = 1; i < names.size(); ++i) EXPECT_LT(lower(names[i - 1]), lower(names[i]));
    EXPECT_EQ(entries.front().kind, SampleEntry::Kind::Product);
    // The labels and the plain picture are not at the start.
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].kind == SampleEntry::Kind::Label || entries[i].kind == SampleEntry::Kind::Picture) {
            EXPECT_GE(i, 10u) << entries[i].name;
        }
    EXPECT_NE(std::find(names.begin(), names.end(), "IMG_0001.jpg"), names.end());
    // The sol 13 pair's label and one beside each frame of the panorama sequence.
    EXPECT_EQ(std::count_if(entries.begin(), entries.end(), [](const SampleEntry& e) { return e.kind == SampleEntry::Kind::Label; }),
              1 + 2 * keldar::sample::kPanoramaFrames);
}

TEST(SampleNames, StereoPairsDifferOnlyInTheEyeLetter) {
    const auto entries = keldar::sample::sampleEntries();
    std::set<std::string> ids;
    for (const SampleEntry& e : entries)
        if (e.kind == SampleEntry::Kind::Product) ids.insert(e.name.substr(0, 27));
    int navcamPairs = 0;
    int lonelyRight = 0;
    for (const std::string& id : ids) {
        if (id[23] == 'L') {
            std::string partner = id;
            partner[23] = 'R';
            if (ids.count(partner)) {
                for (std::size_t i = 0; i < 27; ++i) {
                    if (i != 23) {
                        EXPECT_EQ(id[i], partner[i]) << id << " position " << i;
                    }
                }
                if (id[1] == 'N') ++navcamPairs;
            }
        } else if (id[23] == 'R') {
            std::string partner = id;
            partner[23] = 'L';
            if (!ids.count(partner)) ++lonelyRight;
        }
    }
    EXPECT_GE(navcamPairs, 2);
    EXPECT_GE(lonelyRight, 1);
}

TEST(SampleNames, PancamFilterSetSharesOneExposure) {
    const auto entries = keldar::sample::sampleEntries();
    // Group left PANCAM names by everything except the filter digit.
    std::map<std::string, std::set<char>> sets;
    for (const SampleEntry& e : entries) {
        if (e.kind != SampleEntry::Kind::Product) continue;
        const std::string id = e.name.substr(0, 27);
        if (id[1] != 'P' || id[23] != 'L') continue;
        std::string key = id;
        key[24] = '?';
        sets[key].insert(id[24]);
    }
    bool found = false;
    for (const auto& [key, filters] : sets)
        if (filters.count('4') && filters.count('5') && filters.count('6')) found = true;
    EXPECT_TRUE(found);
}

TEST(SampleNames, BothRoversOnSeveralSolsAndACruiseFrame) {
    std::set<long long> spiritSols, opportunitySols;
    bool cruise = false;
    for (const SampleEntry& e : keldar::sample::sampleEntries()) {
        if (e.kind != SampleEntry::Kind::Product) continue;
        const long long clock = std::stoll(e.name.substr(2, 9));
        const long long landing = e.name[0] == '2' ? kSpiritLandingClock : kOpportunityLandingClock;
        if (clock < landing) {
            cruise = true;
            EXPECT_EQ(e.name[18], 'C') << e.name << ": a frame before landing belongs to a cruise sequence";
            EXPECT_GT(clock, 110'000'000) << "after launch";
            continue;
        }
        const long long sol = (clock - landing) / 88775 + 1;
        (e.name[0] == '2' ? spiritSols : opportunitySols).insert(sol);
    }
    EXPECT_TRUE(cruise);
    EXPECT_GE(spiritSols.size(), 3u);
    EXPECT_GE(opportunitySols.size(), 3u);
}

TEST(SampleNames, DustDevilFramesAreOneSpiritNavcamLeftSequenceOfSol486) {
    const keldar::sample::SampleDustDevil devil = keldar::sample::sampleDustDevil();
    ASSERT_EQ(devil.frames.size(), static_cast<std::size_t>(keldar::sample::kDustDevilFrames));
    ASSERT_EQ(devil.x.size(), devil.frames.size());
    ASSERT_EQ(devil.y.size(), devil.frames.size());
    const auto entries = keldar::sample::sampleEntries();
    long long previousClock = 0;
    for (const std::string& name : devil.frames) {
        SCOPED_TRACE(name);
        const SampleEntry* e = findEntry(entries, name);
        ASSERT_NE(e, nullptr) << "listed with the other files";
        EXPECT_EQ(e->kind, SampleEntry::Kind::Product);
        EXPECT_EQ(e->width, devil.frameSide);
        EXPECT_EQ(e->height, devil.frameSide);
        const auto d = keldar::decode::decodeProductIdentifier(name);
        ASSERT_TRUE(d.validIdentifier && d.clockValid);
        EXPECT_EQ(d.roverDigit + d.cameraLetter + d.eyeLetter, "2NL");
        EXPECT_EQ(d.sequence, devil.sequence);
        // Nothing but the clock changes within the sequence.
        EXPECT_EQ(name.substr(11), devil.frames.front().substr(11));
        if (previousClock != 0) {
            EXPECT_GE(d.clockValue - previousClock, 10);
            EXPECT_LE(d.clockValue - previousClock, 60);
        }
        previousClock = d.clockValue;
        const auto t = keldar::time::missionTimeOf(d);
        ASSERT_TRUE(t.has_value());
        EXPECT_EQ(t->sol, 486);
        EXPECT_GT(t->ltstHours, 11.0) << "dust devils rise in the warm hours of the day";
        EXPECT_LT(t->ltstHours, 16.0);
    }
    for (const SampleEntry& e : entries) {
        if (e.name.size() > 23 && e.name.substr(19, 5) == devil.sequence) {
            EXPECT_NE(std::find(devil.frames.begin(), devil.frames.end(), e.name), devil.frames.end())
                << e.name << " shares the dust devil's sequence";
        }
    }
}

TEST(SampleNames, MapsAndDirectoriesAreListed) {
    const auto dirs = keldar::sample::sampleDirectories();
    for (const char* d : {"Traverse-Maps/Opportunity", "Traverse-Maps/Spirit", "ImageCategories/Anaglyphs",
                          "ImageCategories/Colour/456_RGB", "All-MER-Images"})
        EXPECT_NE(std::find(dirs.begin(), dirs.end(), d), dirs.end()) << d;
    int opportunity = 0, spirit = 0;
    for (const std::string& m : keldar::sample::sampleMapNames()) {
        if (m.rfind("Traverse-Maps/Opportunity/", 0) == 0) ++opportunity;
        if (m.rfind("Traverse-Maps/Spirit/", 0) == 0) ++spirit;
    }
    EXPECT_GE(opportunity, 3);
    EXPECT_GE(spirit, 3);
}

// ---- The written directory ----------------------------------------------------------------

class SampleDirectoryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir("main");
        error_ = new std::string(keldar::sample::writeSampleDirectory(dir_->path().string()));
    }
    static void TearDownTestSuite() {
        delete dir_;
        delete error_;
        dir_ = nullptr;
        error_ = nullptr;
    }
    void SetUp() override { ASSERT_EQ(*error_, ""); }

    static fs::path path(const std::string& rel) { return dir_->path() / rel; }
    static ImageBuffer load(const std::string& rel) {
        auto r = readImageFile(path(rel).string());
        EXPECT_TRUE(r.ok()) << rel << ": " << r.error;
        return r.image;
    }
    static std::string findName(char rover, char camera, char eye) {
        for (const SampleEntry& e : keldar::sample::sampleEntries())
            if (e.kind == SampleEntry::Kind::Product && e.name[0] == rover && e.name[1] == camera && e.name[23] == eye) {
                std::string partner = e.name;
                partner[23] = eye == 'L' ? 'R' : 'L';
                if (findEntry(keldar::sample::sampleEntries(), partner)) return e.name;
            }
        return "";
    }

    static TempDir* dir_;
    static std::string* error_;
};

TempDir* SampleDirectoryTest::dir_ = nullptr;
std::string* SampleDirectoryTest::error_ = nullptr;

TEST_F(SampleDirectoryTest, EveryListedPictureLoadsWithItsSizeAndKind) {
    for (const SampleEntry& e : keldar::sample::sampleEntries()) {
        SCOPED_TRACE(e.name);
        ASSERT_TRUE(fs::is_regular_file(path(e.name)));
        if (e.kind == SampleEntry::Kind::Label) continue;
        const ImageBuffer img = load(e.name);
        EXPECT_EQ(img.width(), e.width);
        EXPECT_EQ(img.height(), e.height);
        EXPECT_EQ(isGrey(img), !e.colour);
        // A colour rendering is coloured nearly everywhere; an anaglyph only where the eyes differ.
        if (e.kind == SampleEntry::Kind::Picture) {
            EXPECT_GT(colouredFraction(img), 0.5);
        } else if (e.colour) {
            EXPECT_GT(colouredFraction(img), 0.01);
        }
        EXPECT_GT(standardDeviation(img), 8.0) << "a picture, not a flat frame";
    }
}

TEST_F(SampleDirectoryTest, FirstFileOfTheListingIsADecodablePicture) {
    std::vector<std::string> files;
    for (const auto& e : fs::directory_iterator(dir_->path()))
        if (e.is_regular_file()) files.push_back(e.path().filename().string());
    ASSERT_FALSE(files.empty());
    std::sort(files.begin(), files.end(), [](const std::string& a, const std::string& b) { return lower(a) < lower(b); });
    const std::vector<std::string> listed = keldar::sample::sampleImageNames();
    EXPECT_EQ(files, listed) << "the top level holds exactly the listed files";
    const auto entries = keldar::sample::sampleEntries();  // kept alive: findEntry points into it
    const SampleEntry* first = findEntry(entries, files.front());
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->kind, SampleEntry::Kind::Product);
    EXPECT_TRUE(load(files.front()).width() > 0);
}

TEST_F(SampleDirectoryTest, LayoutDirectoriesExistAndCategoryOnesAreEmpty) {
    for (const std::string& d : keldar::sample::sampleDirectories()) EXPECT_TRUE(fs::is_directory(path(d))) << d;
    EXPECT_TRUE(fs::is_empty(path("ImageCategories/Anaglyphs")));
    EXPECT_TRUE(fs::is_empty(path("ImageCategories/Colour/456_RGB")));
}

TEST_F(SampleDirectoryTest, TraverseMapsAreColourPicturesWithDifferentContent) {
    std::set<std::uint64_t> hashes;
    for (const std::string& m : keldar::sample::sampleMapNames()) {
        SCOPED_TRACE(m);
        const ImageBuffer img = load(m);
        EXPECT_EQ(img.width(), 600);
        EXPECT_EQ(img.height(), 450);
        EXPECT_FALSE(isGrey(img));
        hashes.insert(fnv1a(readBytes(path(m))));
    }
    EXPECT_EQ(hashes.size(), keldar::sample::sampleMapNames().size());
}

TEST_F(SampleDirectoryTest, StereoPairsShowDepthDependentDisparity) {
    for (char rover : {'1', '2'}) {
        const std::string leftName = findName(rover, 'N', 'L');
        ASSERT_FALSE(leftName.empty()) << "NAVCAM pair of rover " << rover;
        std::string rightName = leftName;
        rightName[23] = 'R';
        SCOPED_TRACE(leftName);
        const ImageBuffer l = load(leftName);
        const ImageBuffer r = load(rightName);
        ASSERT_EQ(l.width(), r.width());
        EXPECT_GT(meanAbsDiff(l, 1, r, 1), 1.0) << "the two eyes see different pictures";
        const int h = l.height();
        // Ground near the rover (bottom rows) against ground farther off (middle rows).
        const int nearShift = bestShift(l, r, h - 60, h - 10, 90);
        const int midShift = bestShift(l, r, h / 2 - 10, h / 2 + 20, 90);
        EXPECT_GT(nearShift, 20);
        EXPECT_GT(midShift, 0);
        EXPECT_GT(nearShift, 2 * midShift);
    }
}

TEST_F(SampleDirectoryTest, PancamBandsDifferAndRedIsBrightest) {
    std::vector<std::string> names;
    for (const SampleEntry& e : keldar::sample::sampleEntries())
        if (e.kind == SampleEntry::Kind::Product && e.name[1] == 'P' && e.name[23] == 'L' &&
            (e.name[24] == '4' || e.name[24] == '5' || e.name[24] == '6') && e.name[18] == 'P')
            names.push_back(e.name);
    ASSERT_EQ(names.size(), 3u);
    std::sort(names.begin(), names.end());  // filters 4, 5, 6
    const ImageBuffer b4 = load(names[0]), b5 = load(names[1]), b6 = load(names[2]);
    EXPECT_GT(meanAbsDiff(b4, 1, b5, 1), 5.0);
    EXPECT_GT(meanAbsDiff(b5, 1, b6, 1), 5.0);
    // Mars is red: the 601 nm band is brighter than the 535 nm one, which beats 482 nm.
    EXPECT_GT(meanGrey(b4), meanGrey(b5) + 5.0);
    EXPECT_GT(meanGrey(b5), meanGrey(b6) + 5.0);
}

TEST_F(SampleDirectoryTest, AnaglyphCombinesItsPair) {
    const auto entries = keldar::sample::sampleEntries();
    const SampleEntry* ana = nullptr;
    for (const SampleEntry& e : entries)
        if (e.kind == SampleEntry::Kind::Combined) ana = &e;
    ASSERT_NE(ana, nullptr);
    std::string left = ana->name.substr(0, 27) + ".JPG";
    std::string right = left;
    right[23] = 'R';
    ASSERT_EQ(left[23], 'L');
    const ImageBuffer a = load(ana->name), l = load(left), r = load(right);
    // Red from the left eye, green and blue from the right, allowing for JPEG rounding. The near
    // ground at the bottom, where the eyes differ most, tells which eye went where.
    const int y0 = a.height() - 120;
    auto diff = [&](const ImageBuffer& x, int cx, const ImageBuffer& y, int cy) {
        double sum = 0.0;
        for (int row = y0; row < a.height(); ++row)
            for (int col = 0; col < a.width(); ++col) sum += std::abs(x.row(row)[3 * col + cx] - y.row(row)[3 * col + cy]);
        return sum / (120.0 * a.width());
    };
    EXPECT_LT(diff(a, 2, l, 2), 5.0);
    EXPECT_LT(diff(a, 1, r, 1), 5.0);
    EXPECT_LT(diff(a, 0, r, 0), 5.0);
    EXPECT_GT(diff(a, 2, r, 2), diff(a, 2, l, 2) + 3.0);
    EXPECT_GT(diff(a, 1, l, 1), diff(a, 1, r, 1) + 3.0);
}

TEST_F(SampleDirectoryTest, LabelIsTextNamingItsImage) {
    const auto entries = keldar::sample::sampleEntries();
    const SampleEntry* label = nullptr;
    for (const SampleEntry& e : entries)
        if (e.kind == SampleEntry::Kind::Label && label == nullptr) label = &e;  // the sol 13 pair's
    ASSERT_NE(label, nullptr);
    const std::vector<std::uint8_t> bytes = readBytes(path(label->name));
    const std::string text(bytes.begin(), bytes.end());
    const std::string id = baseOf(label->name);
    EXPECT_EQ(text.rfind("PDS_VERSION_ID", 0), 0u);
    EXPECT_NE(text.find("PRODUCT_ID                   = \"" + id + "\""), std::string::npos);
    EXPECT_NE(text.find("^IMAGE                       = \"" + id + ".JPG\""), std::string::npos);
    EXPECT_NE(text.find("SPACECRAFT_CLOCK_START_COUNT = \"" + id.substr(2, 9)), std::string::npos);
    EXPECT_NE(text.find("\r\nEND\r\n"), std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(path(id + ".JPG"))) << "the image it describes is there";
    // 2004-01-16 for the sol 13 clock of this label: the clock converts to a date after landing.
    EXPECT_NE(text.find("START_TIME                   = 2004-01-16T"), std::string::npos);
    for (std::uint8_t b : bytes) EXPECT_TRUE(b == '\r' || b == '\n' || (b >= 0x20 && b < 0x7F)) << int(b);
}

TEST_F(SampleDirectoryTest, WritingAgainGivesIdenticalBytes) {
    TempDir other("again");
    ASSERT_EQ(keldar::sample::writeSampleDirectory(other.path().string()), "");
    const auto a = treeHashes(dir_->path());
    const auto b = treeHashes(other.path());
    EXPECT_EQ(a.size(), b.size());
    for (const auto& [rel, h] : a) {
        auto it = b.find(rel);
        ASSERT_NE(it, b.end()) << rel;
        EXPECT_EQ(h, it->second) << rel;
    }
    // Over an existing sample its files are left as they are, and nothing is added.
    ASSERT_EQ(keldar::sample::writeSampleDirectory(other.path().string()), "");
    EXPECT_EQ(treeHashes(other.path()), b);
}

TEST_F(SampleDirectoryTest, DustDevilIsFaintInAFrameAndBrightestOnceTheMedianIsTakenAway) {
    const keldar::sample::SampleDustDevil devil = keldar::sample::sampleDustDevil();
    const int side = devil.frameSide;
    const auto n = static_cast<std::size_t>(side) * static_cast<std::size_t>(side);
    std::vector<std::vector<int>> frames;
    for (const std::string& name : devil.frames) {
        const ImageBuffer img = load(name);
        ASSERT_EQ(img.width(), side);
        ASSERT_EQ(img.height(), side);
        std::vector<int> g(n);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) g[static_cast<std::size_t>(y * side + x)] = grey(img, x, y);
        frames.push_back(std::move(g));
    }
    std::vector<double> median(n);
    std::vector<int> values(frames.size());
    for (std::size_t p = 0; p < n; ++p) {
        for (std::size_t f = 0; f < frames.size(); ++f) values[f] = frames[f][p];
        std::sort(values.begin(), values.end());
        median[p] = 0.5 * (values[values.size() / 2 - 1] + values[values.size() / 2]);
    }
    for (std::size_t f = 0; f < frames.size(); ++f) {
        SCOPED_TRACE(devil.frames[f]);
        std::vector<double> diff(n);
        for (std::size_t p = 0; p < n; ++p) diff[p] = frames[f][p] - median[p];
        auto at = [&](const std::vector<double>& v, int x, int y) { return v[static_cast<std::size_t>(y * side + x)]; };
        // The brightest 9 x 9 mean of the difference: sensor noise averages out, the devil does not.
        constexpr int r = 4;
        std::vector<double> rows(n, 0.0);
        for (int y = 0; y < side; ++y)
            for (int x = r; x < side - r; ++x)
                for (int i = x - r; i <= x + r; ++i) rows[static_cast<std::size_t>(y * side + x)] += at(diff, i, y);
        int bestX = -1, bestY = -1;
        double best = -1e9;
        for (int y = r; y < side - r; ++y)
            for (int x = r; x < side - r; ++x) {
                double sum = 0.0;
                for (int j = y - r; j <= y + r; ++j) sum += at(rows, x, j);
                if (sum > best) {
                    best = sum;
                    bestX = x;
                    bestY = y;
                }
            }
        EXPECT_NEAR(bestX, devil.x[f], 10.0) << "the brightest thing of the difference is the devil";
        EXPECT_NEAR(bestY, devil.y[f], 15.0);

        // In the frame itself it is only a few percent above the scene behind it. The frame's
        // own exposure shift is the median of its difference, nearly all of it devil-free.
        std::vector<double> sorted = diff;
        std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(n / 2), sorted.end());
        const int cx = static_cast<int>(std::lround(devil.x[f])), cy = static_cast<int>(std::lround(devil.y[f]));
        double excess = 0.0, scene = 0.0;
        for (int y = cy - 2; y <= cy + 2; ++y)
            for (int x = cx - 2; x <= cx + 2; ++x) {
                excess += (at(diff, x, y) - sorted[n / 2]) / 25.0;
                scene += at(median, x, y) / 25.0;
            }
        EXPECT_GT(excess, 4.0);
        EXPECT_LT(excess / scene, 0.08);
    }
}

// ---- Failures -----------------------------------------------------------------------------

TEST(SampleDirectoryErrors, PathUnderARegularFileIsReported) {
    TempDir tmp("err");
    fs::create_directories(tmp.path());
    const fs::path file = tmp.path() / "plain-file";
    std::ofstream(file) << "not a directory";
    const std::string err = keldar::sample::writeSampleDirectory((file / "sample").string());
    EXPECT_FALSE(err.empty());
    EXPECT_NE(err.find((file / "sample").string()), std::string::npos) << err;
    const std::string err2 = keldar::sample::writeSampleDirectory(file.string());
    EXPECT_FALSE(err2.empty());
    EXPECT_TRUE(fs::is_regular_file(file)) << "the file is left alone";
}

TEST(SampleDirectoryErrors, FilesAlreadyThereAreKeptAndLinksNeverWrittenThrough) {
    TempDir tmp("kept");
    fs::create_directories(tmp.path());
    const fs::path dir = tmp.path() / "sample", outside = tmp.path() / "outside.txt";
    fs::create_directories(dir);
    std::ofstream(outside) << "outside";
    const std::vector<std::string> names = keldar::sample::sampleImageNames();
    std::string label, product;
    for (const std::string& name : names) {
        if (name.size() > 4 && name.substr(name.size() - 4) == ".LBL") label = name;
        if (product.empty() && name.size() == 31) product = name;
    }
    ASSERT_FALSE(label.empty());
    std::ofstream(dir / "IMG_0001.jpg") << "my holiday";
    std::ofstream(dir / label) << "my notes";
    fs::create_symlink(outside, dir / product);

    std::vector<std::string> kept;
    ASSERT_EQ(keldar::sample::writeSampleDirectory(dir.string(), &kept), "");
    std::sort(kept.begin(), kept.end());
    std::vector<std::string> expected = {(dir / "IMG_0001.jpg").string(), (dir / label).string(),
                                         (dir / product).string()};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(kept, expected);
    EXPECT_EQ(readAll(dir / "IMG_0001.jpg"), "my holiday");
    EXPECT_EQ(readAll(dir / label), "my notes");
    EXPECT_EQ(readAll(outside), "outside");
    EXPECT_TRUE(fs::is_symlink(dir / product));
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();

    // Written again, only what is still not the sample's is named.
    ASSERT_EQ(keldar::sample::writeSampleDirectory(dir.string(), &kept), "");
    EXPECT_EQ(kept.size(), 3u);

    // A linked subdirectory would take the maps elsewhere: refused, and nothing lands there.
    const fs::path elsewhere = tmp.path() / "elsewhere", other = tmp.path() / "other";
    fs::create_directories(elsewhere);
    fs::create_directories(other);
    fs::create_directory_symlink(elsewhere, other / "Traverse-Maps");
    const std::string err = keldar::sample::writeSampleDirectory(other.string());
    EXPECT_NE(err.find("symbolic link"), std::string::npos) << err;
    EXPECT_TRUE(fs::is_empty(elsewhere));
}

TEST(SampleDirectoryErrors, EmptyPathIsReported) { EXPECT_FALSE(keldar::sample::writeSampleDirectory("").empty()); }
