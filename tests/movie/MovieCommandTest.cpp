// keldar-cli movie as a user runs it, on the sample's dust-devil sequence, read back with
// ffmpeg: the frames, size and rate of what it wrote, a dust devil made visible by the
// difference from the still scene, and the failures that leave nothing behind.

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

#include "core/imaging/ImageFile.h"
#include "core/sample/SampleDirectory.h"
#include "movie/MovieEncoder.h"

namespace fs = std::filesystem;
using namespace keldar;

namespace {

fs::path sampleDirectory() {
    static const fs::path dir = [] {
        const fs::path d = fs::temp_directory_path() / ("keldar-movie-sample-" + std::to_string(::getpid()));
        fs::remove_all(d);
        EXPECT_EQ(sample::writeSampleDirectory(d.string()), "");
        return d;
    }();
    return dir;
}

std::string output(const std::string& command) {
    std::string text;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return text;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    ::pclose(pipe);
    return text;
}

// The frames of a movie as grey planes, decoded by ffmpeg.
std::vector<std::vector<std::uint8_t>> greyFrames(const fs::path& movie, int width, int height) {
    const std::string raw = output("ffmpeg -v error -i '" + movie.string() + "' -vsync passthrough -f rawvideo -pix_fmt gray -");
    const std::size_t size = static_cast<std::size_t>(width) * height;
    std::vector<std::vector<std::uint8_t>> frames;
    for (std::size_t at = 0; at + size <= raw.size(); at += size) frames.emplace_back(raw.begin() + at, raw.begin() + at + size);
    return frames;
}

class Movie : public ::testing::Test {
protected:
    void SetUp() override {
        if (movie::findFfmpeg().empty()) GTEST_SKIP() << movie::kFfmpegMissing;
        dir_ = fs::temp_directory_path() / ("keldar-movie-test-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    struct Run {
        int status = -1;
        std::string out, err;
    };
    Run movie(const std::string& arguments, const std::string& environment = {}) {
        const fs::path out = dir_ / "stdout.txt", err = dir_ / "stderr.txt";
        const std::string command = environment + " '" + KELDAR_CLI + "' movie " + arguments + " >'" + out.string() +
                                    "' 2>'" + err.string() + "'";
        Run r;
        const int raw = std::system(command.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        std::stringstream o, e;
        o << std::ifstream(out).rdbuf();
        e << std::ifstream(err).rdbuf();
        r.out = o.str();
        r.err = e.str();
        return r;
    }
    fs::path dir_;
};

TEST_F(Movie, TheDustDevilSequenceAsMp4GifAndWebmHasItsFramesSizeAndRate) {
    const sample::SampleDustDevil devil = sample::sampleDustDevil();
    for (const char* name : {"devil.mp4", "devil.gif", "devil.webm"}) {
        const fs::path out = dir_ / name;
        const Run r = movie("'" + sampleDirectory().string() + "' '" + out.string() + "' --sequence " + devil.sequence +
                            " --fps 8 --caption");
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string probe = output("ffprobe -v error -count_frames -show_entries stream=width,height,nb_read_frames,"
                                         "r_frame_rate -of default=noprint_wrappers=1 '" + out.string() + "'");
        EXPECT_NE(probe.find("width=" + std::to_string(devil.frameSide)), std::string::npos) << probe;
        EXPECT_NE(probe.find("height=" + std::to_string(devil.frameSide)), std::string::npos) << probe;
        EXPECT_NE(probe.find("nb_read_frames=" + std::to_string(devil.frames.size())), std::string::npos) << probe;
        EXPECT_NE(probe.find("r_frame_rate=8/1"), std::string::npos) << probe;
    }
}

TEST_F(Movie, TheDifferenceMakesTheDustDevilTheBrightestThingAndTheStretchLevelsTheFrames) {
    const sample::SampleDustDevil devil = sample::sampleDustDevil();
    const int side = devil.frameSide;
    const fs::path difference = dir_ / "difference.gif";
    ASSERT_EQ(movie("'" + sampleDirectory().string() + "' '" + difference.string() + "' --sequence " + devil.sequence +
                    " --difference").status, 0);
    const auto frames = greyFrames(difference, side, side);
    ASSERT_EQ(frames.size(), devil.frames.size());
    for (std::size_t k = 0; k < frames.size(); ++k) {
        // The brightest blob: the column whose 9-pixel-wide band is brightest over all rows.
        std::vector<double> columns(static_cast<std::size_t>(side), 0);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x) columns[static_cast<std::size_t>(x)] += frames[k][static_cast<std::size_t>(y * side + x)];
        int best = 0;
        double bestSum = -1;
        for (int x = 4; x < side - 4; ++x) {
            const double band = std::accumulate(columns.begin() + x - 4, columns.begin() + x + 5, 0.0);
            if (band > bestSum) {
                bestSum = band;
                best = x;
            }
        }
        EXPECT_NEAR(best, devil.x[k], 10.0) << "frame " << k;
        // Far from the devil the still scene is gone: mid-grey on average.
        double level = 0;
        int counted = 0;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                if (std::abs(x - devil.x[k]) > 80) {
                    level += frames[k][static_cast<std::size_t>(y * side + x)] - 128.0;
                    ++counted;
                }
        EXPECT_LT(std::abs(level / counted), 3.0) << "frame " << k;
    }
    const fs::path stretched = dir_ / "stretched.mp4";
    ASSERT_EQ(movie("'" + sampleDirectory().string() + "' '" + stretched.string() + "' --sequence " + devil.sequence +
                    " --stretch").status, 0);
    const auto levelled = greyFrames(stretched, side, side);
    ASSERT_EQ(levelled.size(), devil.frames.size());
    const auto mean = [](const std::vector<std::uint8_t>& f) { return std::accumulate(f.begin(), f.end(), 0.0) / f.size(); };
    for (const auto& f : levelled) EXPECT_NEAR(mean(f), mean(levelled.front()), 2.0);
}

TEST_F(Movie, FailuresAreSaidAndLeaveNothingAtTheOutput) {
    const auto write = [&](const std::string& name, int side) {
        imaging::ImageBuffer image(side, side);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < 3 * side; ++x) image.row(y)[x] = static_cast<std::uint8_t>(x + y);
        EXPECT_EQ(imaging::writeImageFile(image, (dir_ / "frames" / name).string()), "");
    };
    fs::create_directories(dir_ / "frames");
    write("1F128287181EFF0000P1214L0M1.JPG", 64);
    write("1F128287211EFF0000P1214L0M1.JPG", 32);  // a thumbnail among full frames is scaled up
    write("1R128287181EFF0000P1999L0M1.JPG", 64);  // a sequence of one
    const std::string frames = "'" + (dir_ / "frames").string() + "' ";
    const Run mixed = movie(frames + "'" + (dir_ / "m.mp4").string() + "' --camera fhaz");
    ASSERT_EQ(mixed.status, 0) << mixed.err;
    EXPECT_NE(mixed.out.find("64 x 64 pixels"), std::string::npos) << mixed.out;

    const struct {
        std::string arguments, environment, said;
        int status;
    } cases[] = {
        {"--camera rhaz", "", "only one left-eye frame of sequence P1999 is here: a movie needs two or more", 1},
        {"--camera fhaz", "PATH=/nonexistent", "Debian package ffmpeg", 1},
        {"--camera fhaz --fps 0", "", "--fps takes 1 to 60", 2},
    };
    for (const auto& c : cases) {
        const Run r = movie(frames + "'" + (dir_ / "x.mp4").string() + "' " + c.arguments, c.environment);
        EXPECT_EQ(r.status, c.status) << c.arguments;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(dir_ / "x.mp4"));
    }
    std::ofstream(dir_ / "frames" / "1F128287211EFF0000P1214L0M1.JPG", std::ios::trunc) << "no picture";
    const Run broken = movie(frames + "'" + (dir_ / "x.gif").string() + "' --camera fhaz");
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.err.find("1F128287211EFF0000P1214L0M1.JPG: "), std::string::npos) << broken.err;
    EXPECT_FALSE(fs::exists(dir_ / "x.gif"));
    const Run input = movie(frames + "'" + (dir_ / "frames" / "1F128287181EFF0000P1214L0M1.JPG").string() + "'");
    EXPECT_EQ(input.status, 2) << "not a movie's name";
}

TEST_F(Movie, SigintLeavesNothingAtTheOutput) {
    // Many frames, so that the run is under way when it is stopped: the sample's, linked again
    // under later clocks.
    const sample::SampleDustDevil devil = sample::sampleDustDevil();
    fs::create_directories(dir_ / "many");
    for (int copy = 0; copy < 6; ++copy)
        for (std::size_t k = 0; k < devil.frames.size(); ++k) {
            std::string name = devil.frames[k];
            const long clock = std::stol(name.substr(2, 9)) + copy * 1000;
            name.replace(2, 9, std::to_string(clock));
            fs::create_hard_link(sampleDirectory() / devil.frames[k], dir_ / "many" / name);
        }
    const fs::path out = dir_ / "stopped.gif";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::freopen((dir_ / "stderr.txt").c_str(), "w", stderr);
        ::execl(KELDAR_CLI, KELDAR_CLI, "movie", (dir_ / "many").c_str(), out.c_str(), "--difference", "--jobs", "1",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    for (int i = 0; i < 400; ++i) {
        std::stringstream e;
        e << std::ifstream(dir_ / "stderr.txt").rdbuf();
        if (e.str().find("reading frame 2 ") != std::string::npos) break;
        ::usleep(10000);
    }
    ::kill(child, SIGINT);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_FALSE(fs::exists(out));
    for (const auto& e : fs::directory_iterator(dir_)) EXPECT_EQ(e.path().filename().string().find(".stopped"), std::string::npos);
}

}  // namespace
