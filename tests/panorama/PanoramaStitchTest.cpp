// The panorama stitch with Hugin's tools, on the sample's stereo panorama sequence (rendered at
// known azimuths), and keldar-cli panorama as a user runs it.

#include "core/imaging/ImageFile.h"
#include "core/sample/SampleDirectory.h"
#include "panorama/PanoramaStitch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace keldar;
using panorama::PanoramaOptions;
using panorama::PanoramaResult;

namespace {

constexpr double kPi = 3.14159265358979323846;

fs::path sampleDirectory() {
    static const fs::path dir = [] {
        const fs::path d = fs::temp_directory_path() / ("keldar-panorama-sample-" + std::to_string(::getpid()));
        fs::remove_all(d);
        const std::string error = sample::writeSampleDirectory(d.string());
        EXPECT_EQ(error, "");
        return d;
    }();
    return dir;
}

std::vector<std::string> samplePictures() {
    std::string error;
    std::vector<std::string> pictures = panorama::directoryPictures(sampleDirectory().string(), error);
    EXPECT_EQ(error, "");
    return pictures;
}

class Stitch : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string missing = panorama::missingTools(); !missing.empty()) GTEST_SKIP() << missing;
        dir_ = fs::temp_directory_path() / ("keldar-panorama-test-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
};

// The vertical shifts at which textured patches of `b` match `a` best (searched 40 pixels
// across and 6 up and down), for the patches that match well. The patches lie between the
// horizon and the middle distance: the ground close under the mast is seen from the two eyes
// at truly different elevations toward the sides of a frame.
std::vector<int> verticalOffsets(const imaging::ImageBuffer& a, const imaging::ImageBuffer& b) {
    auto grey = [](const imaging::ImageBuffer& im, int x, int y) { return static_cast<double>(im.row(y)[3 * x + 1]); };
    constexpr int kPatch = 24, kAcross = 40, kUpDown = 6;
    std::vector<int> out;
    for (int y0 = a.height() * 35 / 100; y0 < a.height() * 60 / 100; y0 += 24)
        for (int x0 = kAcross; x0 + kPatch + kAcross < a.width(); x0 += 64) {
            double mean = 0, var = 0;
            for (int y = 0; y < kPatch; ++y)
                for (int x = 0; x < kPatch; ++x) mean += grey(a, x0 + x, y0 + y);
            mean /= kPatch * kPatch;
            for (int y = 0; y < kPatch; ++y)
                for (int x = 0; x < kPatch; ++x) var += std::pow(grey(a, x0 + x, y0 + y) - mean, 2);
            if (var / (kPatch * kPatch) < 60) continue;  // too plain to match
            double best = 1e300;
            int bestDy = 0;
            for (int dy = -kUpDown; dy <= kUpDown; ++dy)
                for (int dx = -kAcross; dx <= kAcross; ++dx) {
                    double ssd = 0;
                    for (int y = 0; y < kPatch && ssd < best; ++y)
                        for (int x = 0; x < kPatch; ++x)
                            ssd += std::pow(grey(a, x0 + x, y0 + y) - grey(b, x0 + x + dx, y0 + y + dy), 2);
                    if (ssd < best) {
                        best = ssd;
                        bestDy = dy;
                    }
                }
            if (best / (kPatch * kPatch) < 0.25 * var / (kPatch * kPatch)) out.push_back(bestDy);
        }
    return out;
}

}  // namespace

TEST_F(Stitch, TheSampleSequenceComesBackAtItsRenderedAzimuths) {
    const sample::SamplePanorama truth = sample::samplePanorama();
    PanoramaOptions options;
    std::vector<std::string> stages;
    const PanoramaResult r =
        panorama::stitchPanorama(samplePictures(), options, [&](const panorama::PanoramaProgress& p) {
            if (stages.empty() || stages.back() != p.stage) stages.push_back(p.stage);
        });
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.selection.sequence, truth.sequence);
    ASSERT_EQ(r.geometry.images.size(), truth.azimuths.size());
    double worstYaw = 0, worstPitch = 0;
    for (std::size_t i = 0; i < truth.azimuths.size(); ++i) {
        SCOPED_TRACE(i);
        worstYaw = std::max(worstYaw, std::fabs(r.geometry.images[i].yaw - r.geometry.images[0].yaw -
                                                truth.azimuths[i] + truth.azimuths[0]));
        worstPitch = std::max(worstPitch, std::fabs(r.geometry.images[i].pitch - truth.elevation));
        EXPECT_NEAR(r.geometry.images[i].yaw - r.geometry.images[0].yaw, truth.azimuths[i] - truth.azimuths[0], 0.5);
        EXPECT_NEAR(r.geometry.images[i].pitch, truth.elevation, 0.5);
    }
    // Across: the frames' span at the scale of a frame's centre.
    const double pixelsPerDegree = truth.frameSide / 2.0 / std::tan(truth.fieldOfView / 2 * kPi / 180) * kPi / 180;
    const double expected = (truth.azimuths.back() - truth.azimuths.front() + truth.fieldOfView) * pixelsPerDegree;
    EXPECT_NEAR(r.image.width(), expected, 0.02 * expected);
    std::printf("frames within %.3f degree across and %.3f up; %d pixels wide against %.0f\n", worstYaw, worstPitch,
                r.image.width(), expected);
    EXPECT_EQ(r.image.width(), r.geometry.canvas.croppedWidth());
    EXPECT_GT(r.image.height(), truth.frameSide * 0.8);
    EXPECT_EQ(stages, (std::vector<std::string>{"reading frames", "finding control points", "cleaning control points",
                                                "optimising positions", "fitting the canvas", "remapping", "blending",
                                                "reading the panorama"}));
    EXPECT_EQ(r.times.size(), stages.size());
}

TEST_F(Stitch, AnaglyphEyesShareOneCanvas) {
    PanoramaOptions options;
    options.anaglyph = true;
    const PanoramaResult r = panorama::stitchPanorama(samplePictures(), options);
    ASSERT_TRUE(r.ok()) << r.error;
    ASSERT_EQ(r.left.width(), r.right.width());
    ASSERT_EQ(r.left.height(), r.right.height());
    EXPECT_EQ(r.image.width(), r.left.width());
    // The same place in both eyes lies on the same row: the rows differ by parallax only across.
    const std::vector<int> dys = verticalOffsets(r.left, r.right);
    ASSERT_GE(dys.size(), 40u);
    std::vector<int> sorted = dys;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_LT(std::abs(sorted[sorted.size() / 2]), 2);
    const auto within = std::count_if(dys.begin(), dys.end(), [](int dy) { return std::abs(dy) < 2; });
    EXPECT_GE(within, static_cast<long>(dys.size() * 9 / 10));
    // The anaglyph is the anaglyph page's: red from the left eye, green and blue from the right.
    imaging::ImageBuffer expected;
    imaging::buildAnaglyph(r.right, r.left, options.settings, expected);
    EXPECT_TRUE(std::equal(r.image.row(0), r.image.row(0) + 3 * r.image.width(), expected.row(0)));
}

TEST_F(Stitch, FramesThatDoNotOverlapAreNamed) {
    const sample::SamplePanorama truth = sample::samplePanorama();
    // Frames 1 and 3: 72 degrees apart, 45 across.
    for (int i : {0, 2}) fs::copy_file(sampleDirectory() / truth.left[i], dir_ / truth.left[i]);
    std::string error;
    const PanoramaResult r = panorama::stitchPanorama(panorama::directoryPictures(dir_.string(), error), {});
    EXPECT_NE(r.error.find("the frames do not overlap"), std::string::npos) << r.error;
    EXPECT_NE(r.error.find(truth.left[2].substr(0, 27)), std::string::npos) << r.error;
}

TEST_F(Stitch, StopKillsTheToolsAndLeavesNoWorkDirectory) {
    const std::vector<std::string> pictures = samplePictures();  // the sample lies outside
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old != nullptr ? old : "";
    ::setenv("TMPDIR", dir_.c_str(), 1);
    std::atomic<bool> stop{false};
    const PanoramaResult r = panorama::stitchPanorama(
        pictures, {},
        [&](const panorama::PanoramaProgress& p) {
            if (p.stage == "finding control points") stop = true;
        },
        &stop);
    if (old != nullptr)
        ::setenv("TMPDIR", saved.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    EXPECT_TRUE(r.stopped);
    EXPECT_TRUE(r.image.isEmpty());
    EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(Stitch, TwoRealNavcamFramesInTheArchivesLowerCaseNames) {
    const fs::path real = fs::path(KELDAR_REALDATA_DIR) / "images";
    const char* names[] = {"2n292280938effb100p0703l0m1.img.jpg", "2n292280989effb100p0703l0m1.img.jpg"};
    for (const char* name : names) {
        if (!fs::exists(real / name)) GTEST_SKIP() << "real MER images not present in " << real.string();
        fs::copy_file(real / name, dir_ / name);
    }
    std::string error;
    const PanoramaResult r = panorama::stitchPanorama(panorama::directoryPictures(dir_.string(), error), {});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.selection.sequence, "P0703");
    // Two frames of 1024 that overlap: wider than one, narrower than both side by side.
    EXPECT_GT(r.image.width(), 1200);
    EXPECT_LT(r.image.width(), 2048);
}

TEST(StitchTools, MissingToolsNameTheirPackages) {
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    ::setenv("PATH", "/nonexistent", 1);
    const std::string missing = panorama::missingTools();
    const PanoramaResult r = panorama::stitchPanorama(samplePictures(), {});
    ::setenv("PATH", path.c_str(), 1);
    EXPECT_NE(missing.find("cpfind"), std::string::npos) << missing;
    EXPECT_NE(missing.find("hugin-tools and enblend"), std::string::npos) << missing;
    EXPECT_EQ(r.error, missing);
}

// ---- keldar-cli panorama -----------------------------------------------------------------

namespace {

struct CliRun {
    int status = -1;
    std::string out, err;
};

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

CliRun cli(const fs::path& dir, const std::string& arguments, const std::string& env = "") {
    const std::string command = "env " + env + " '" + std::string(KELDAR_CLI) + "' panorama " + arguments + " >'" +
                                (dir / "out.txt").string() + "' 2>'" + (dir / "err.txt").string() + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(dir / "out.txt"), readFile(dir / "err.txt")};
}

}  // namespace

TEST_F(Stitch, CommandWritesThePanoramaAndRefusesWhatItCannotStitch) {
    const std::string sampleDir = "'" + sampleDirectory().string() + "'";
    const fs::path out = dir_ / "pano.bmp";
    CliRun r = cli(dir_, sampleDir + " '" + out.string() + "' --sequence p0730 --eye right --jobs 2");
    ASSERT_EQ(r.status, 0) << r.err;
    const imaging::ImageResult written = imaging::readImageFile(out.string());
    ASSERT_TRUE(written.ok()) << written.error;
    EXPECT_NE(r.out.find("Panorama of 8 frames of sequence P0730 (right eye), " +
                         std::to_string(written.image.width()) + " x " + std::to_string(written.image.height())),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.err.find("remapping, 8 of 8"), std::string::npos) << r.err;

    // A HAZCAM sequence, and tools that are not there: exit 1, a message, nothing written.
    const fs::path haz = dir_ / "haz";
    fs::create_directories(haz);
    const std::string hazFrame = "2F132682414EFF1600P1214R0M1.JPG";
    fs::copy_file(sampleDirectory() / hazFrame, haz / hazFrame);
    fs::copy_file(sampleDirectory() / hazFrame, haz / "2F132682441EFF1600P1214R0M1.JPG");
    r = cli(dir_, "'" + haz.string() + "' '" + (dir_ / "haz.jpg").string() + "' --eye right");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("HAZCAM frames are fisheye"), std::string::npos) << r.err;
    r = cli(dir_, sampleDir + " '" + (dir_ / "none.jpg").string() + "'", "PATH=/nonexistent");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("hugin-tools"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "haz.jpg"));
    EXPECT_FALSE(fs::exists(dir_ / "none.jpg"));

    for (const char* usage : {"", "d", "d o --eye up", "d o --jobs 0", "d o --fov 0", "d o --merge 50",
                              "d o --camera hazcam", "d o --sequence P07"}) {
        EXPECT_EQ(cli(dir_, usage).status, 2) << usage;
    }
}

TEST_F(Stitch, SigintLeavesNothingHalfWritten) {
    const fs::path out = dir_ / "stopped.jpg", tmp = dir_ / "tmp", sample = sampleDirectory();
    fs::create_directories(tmp);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("TMPDIR", tmp.c_str(), 1);
        std::freopen((dir_ / "err.txt").c_str(), "w", stderr);
        ::execl(KELDAR_CLI, KELDAR_CLI, "panorama", sample.c_str(), out.c_str(), "--anaglyph",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int i = 0; i < 600 && readFile(dir_ / "err.txt").find("finding control points") == std::string::npos; ++i)
        ::usleep(20000);
    ::kill(child, SIGINT);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_FALSE(fs::exists(out));
    EXPECT_TRUE(fs::is_empty(tmp));
    for (const fs::directory_entry& e : fs::directory_iterator(dir_))
        EXPECT_EQ(e.path().filename().string().find("stopped"), std::string::npos);
}
