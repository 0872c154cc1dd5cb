// The frames of a movie: which frames make it (every camera, never one frame alone), the
// size they come to, and what the plain, difference and stretched looks do to their pixels.

#include "core/movie/MovieFrames.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <numeric>

#include "core/imaging/ImageFile.h"

namespace keldar::movie {
namespace {

namespace fs = std::filesystem;

class MovieFramesTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("keldar-movie-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A grey frame: `scene` everywhere, a bright square of `side` at (x, y) when side > 0.
    std::string frame(const std::string& name, int width, int height, const std::function<int(int, int)>& level) {
        imaging::ImageBuffer image(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const auto v = static_cast<std::uint8_t>(std::clamp(level(x, y), 0, 255));
                image.row(y)[3 * x] = image.row(y)[3 * x + 1] = image.row(y)[3 * x + 2] = v;
            }
        const std::string path = (dir_ / name).string();
        EXPECT_EQ(imaging::writeImageFile(image, path), "");
        return path;
    }
    // Every frame `makeFrames` hands over, as grey planes (the blue bytes).
    std::vector<std::vector<std::uint8_t>> made(const MoviePlan& plan, Look look, MovieShape& shape, std::string& error) {
        std::vector<std::vector<std::uint8_t>> frames;
        MovieOptions options;
        options.look = look;
        error = makeFrames(
            plan, options, [&](const MovieShape& s) { shape = s; return true; },
            [&](const std::uint8_t* pixels, int) {
                std::vector<std::uint8_t> grey(static_cast<std::size_t>(shape.width) * shape.height);
                for (std::size_t i = 0; i < grey.size(); ++i) grey[i] = pixels[3 * i];
                frames.push_back(std::move(grey));
                return true;
            });
        return frames;
    }
    static std::string id(char camera, int k, char eye = 'L') {
        return "2" + std::string(1, camera) + std::to_string(126471340 + 30 * k) + "EFF0000P1214" + eye + "0M1";
    }
    fs::path dir_;
};

TEST_F(MovieFramesTest, EveryCameraMakesAMovieButNeverOfOneFrame) {
    std::vector<std::string> paths;
    for (const char camera : {'F', 'E', 'M'})
        for (int k = 2; k >= 0; --k) paths.push_back(frame(id(camera, k) + ".BMP", 8, 8, [](int, int) { return 9; }));
    paths.push_back(frame(id('N', 0) + ".BMP", 8, 8, [](int, int) { return 9; }));
    for (const char camera : {'F', 'E', 'M'}) {
        MovieRequest request;
        request.camera = camera;
        const MoviePlan plan = planMovie(paths, request);
        ASSERT_TRUE(plan.ok()) << camera << ": " << plan.error;
        ASSERT_EQ(plan.frames.size(), 3u);
        EXPECT_EQ(plan.frames.front().identifier, id(camera, 0)) << "in clock order";
    }
    MovieRequest lone;
    lone.camera = 'N';
    EXPECT_EQ(planMovie(paths, lone).error, "only one left-eye frame of sequence P1214 is here: a movie needs two or more");
    lone.eye = 'R';
    EXPECT_EQ(planMovie(paths, lone).error, "no NAVCAM right-eye frames are here");
    EXPECT_EQ(captionFor("2N126471340EFF0000P1214L0M1").rfind("Sol ", 0), 0u);
    EXPECT_NE(captionFor("2N126471340EFF0000P1214L0M1").find(" LTST"), std::string::npos);
}

TEST_F(MovieFramesTest, SmallFramesAreScaledUpToTheLargestAndBrokenFramesAreNamed) {
    std::vector<std::string> paths = {frame(id('N', 0) + ".BMP", 64, 48, [](int x, int) { return x * 4; }),
                                      frame(id('N', 1) + ".BMP", 32, 24, [](int x, int) { return x * 8; }),
                                      frame(id('N', 2) + ".BMP", 63, 47, [](int, int) { return 50; })};
    MovieShape shape;
    std::string error;
    const auto frames = made(planMovie(paths, {}), Look::Plain, shape, error);
    ASSERT_EQ(error, "");
    EXPECT_EQ(shape.width, 64);
    EXPECT_EQ(shape.height, 48);
    EXPECT_EQ(shape.largestFrames, 1);
    ASSERT_EQ(frames.size(), 3u);
    // The half-size ramp, doubled, rises across the whole width as the full one does.
    EXPECT_NEAR(frames[1][10], frames[0][10], 6);
    EXPECT_NEAR(frames[1][60], frames[0][60], 6);
    EXPECT_EQ(frames[2][64 * 48 - 1], 50);

    std::ofstream(paths[1], std::ios::binary | std::ios::trunc) << "not a picture";
    made(planMovie(paths, {}), Look::Plain, shape, error);
    EXPECT_NE(error.find(paths[1] + ": "), std::string::npos) << error;
}

TEST_F(MovieFramesTest, TheDifferenceLeavesWhatMovesAndTheStretchLevelsTheExposure) {
    // A still scene of ramps, a bright blob crossing it, and a global exposure change per frame.
    const int frames = 9, side = 96;
    std::vector<std::string> paths;
    for (int k = 0; k < frames; ++k)
        paths.push_back(frame(id('N', k) + ".BMP", side, side, [&](int x, int y) {
            const int blobX = 10 + 9 * k, blobY = 48;
            const bool blob = std::abs(x - blobX) < 4 && std::abs(y - blobY) < 6;
            return static_cast<int>((40 + x + y / 2) * (1.0 + 0.02 * (k % 3))) + (blob ? 12 : 0);
        }));
    MovieShape shape;
    std::string error;
    const auto difference = made(planMovie(paths, {}), Look::Difference, shape, error);
    ASSERT_EQ(error, "");
    ASSERT_EQ(difference.size(), static_cast<std::size_t>(frames));
    for (int k = 0; k < frames; ++k) {
        const auto& f = difference[static_cast<std::size_t>(k)];
        const std::size_t brightest = static_cast<std::size_t>(std::max_element(f.begin(), f.end()) - f.begin());
        EXPECT_NEAR(static_cast<int>(brightest % side), 10 + 9 * k, 4) << "frame " << k;
        // Away from the blob the scene is gone, whatever the frame's exposure: mid-grey, and
        // little left of the rounding of the exposure.
        double still = 0, level = 0;
        int counted = 0;
        for (int y = 70; y < side; ++y)
            for (int x = 0; x < side; ++x, ++counted) {
                still += std::abs(f[static_cast<std::size_t>(y * side + x)] - 128);
                level += f[static_cast<std::size_t>(y * side + x)] - 128;
            }
        EXPECT_LT(std::abs(level / counted), 3.0) << "frame " << k;
        EXPECT_LT(still / counted, 5.0) << "frame " << k;
    }
    const auto stretched = made(planMovie(paths, {}), Look::Stretch, shape, error);
    ASSERT_EQ(error, "");
    const auto mean = [](const std::vector<std::uint8_t>& f) { return std::accumulate(f.begin(), f.end(), 0.0) / f.size(); };
    for (const auto& f : stretched) EXPECT_NEAR(mean(f), mean(stretched.front()), 2.0);
}

TEST(MoviePixelRules, MedianGainAndStretchRange) {
    const std::uint8_t a[] = {1, 50, 200}, b[] = {3, 40, 0}, c[] = {2, 60, 255}, d[] = {9, 45, 7};
    EXPECT_EQ(medianOf({a, b, c}, 3), (std::vector<std::uint8_t>{2, 50, 200}));
    EXPECT_EQ(medianOf({a, b, c, d}, 3, 2), (std::vector<std::uint8_t>{3, 50, 200})) << "the upper median of four";
    std::vector<std::uint32_t> histogram(256, 0);
    histogram[2] = 10000;
    histogram[20] = 100;
    histogram[200] = 1;  // a lone outlier does not set the gain
    EXPECT_DOUBLE_EQ(differenceGain(histogram), 127.0 / 20);
    std::vector<std::uint8_t> plane(1000);
    for (std::size_t i = 0; i < plane.size(); ++i) plane[i] = static_cast<std::uint8_t>(i / 4);
    EXPECT_EQ(stretchRange(plane.data(), plane.size()), std::make_pair(2, 247));
    std::vector<std::uint8_t> bright(plane.size());
    for (std::size_t i = 0; i < plane.size(); ++i) bright[i] = static_cast<std::uint8_t>(plane[i] * 0.8 + 10);
    const auto [gain, offset] = exposureFit(bright.data(), plane.data(), plane.size());
    EXPECT_NEAR(gain, 1.25, 0.01);
    EXPECT_NEAR(offset, -12.5, 1.5) << gain;
    EXPECT_EQ(formatFor("x/Dust.GIF"), Format::Gif);
    EXPECT_EQ(formatFor("x.avi"), std::nullopt);
}

}  // namespace
}  // namespace keldar::movie
