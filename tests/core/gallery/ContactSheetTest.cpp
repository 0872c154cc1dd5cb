// The contact sheet: every picture of the groups placed under its heading at the size asked
// for, unreadable pictures as placeholders named among the failures, and keldar-cli gallery
// as a user runs it on the sample directory.

#include "core/gallery/ContactSheet.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

#include "core/imaging/ImageFile.h"
#include "core/sample/SampleDirectory.h"
#include "core/sequence/SequenceFrames.h"

namespace keldar::gallery {
namespace {

namespace fs = std::filesystem;

class Sheet : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("keldar-sheet-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string picture(const std::string& name, int width, int height, std::uint8_t level) {
        imaging::ImageBuffer image(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < 3 * width; ++x) image.row(y)[x] = level;
        const std::string path = (dir_ / name).string();
        EXPECT_EQ(imaging::writeImageFile(image, path), "");
        return path;
    }
    fs::path dir_;
};

TEST_F(Sheet, EveryPictureIsPlacedAndAnUnreadableOneIsAPlaceholderNamedAmongTheFailures) {
    const std::vector<std::string> paths = {picture("2N126471340EFF0000P1512L0M1.BMP", 256, 256, 250),
                                            picture("2N126471340EFF0000P1512R0M1.BMP", 256, 128, 250),
                                            picture("IMG_0001.bmp", 64, 64, 250)};
    std::ofstream((dir_ / "2N126471370EFF0000P1512L0M1.JPG").string()) << "not a picture";
    std::vector<std::string> all = paths;
    all.push_back((dir_ / "2N126471370EFF0000P1512L0M1.JPG").string());
    SheetOptions options;
    options.size = 64;
    options.columns = 2;
    const ContactSheet sheet = makeContactSheet(groupPictures(all), options);
    ASSERT_TRUE(sheet.ok()) << sheet.error;
    EXPECT_EQ(sheet.pictures, 4);
    EXPECT_EQ(sheet.groups, 2);
    ASSERT_EQ(sheet.failures.size(), 1u);
    EXPECT_NE(sheet.failures[0].find("2N126471370EFF0000P1512L0M1.JPG: "), std::string::npos);
    // Two columns of cells as wide as a caption line (14 characters of 6 pixels, less one).
    const int cell = 14 * 6 - 1;
    EXPECT_EQ(sheet.image.width(), 2 * 12 + 2 * cell + 10);
    // The bright pictures show as bright squares: count the pixels at their level.
    int bright = 0;
    for (int y = 0; y < sheet.image.height(); ++y)
        for (int x = 0; x < sheet.image.width(); ++x) bright += sheet.image.row(y)[3 * x] == 250 ? 1 : 0;
    EXPECT_EQ(bright, 64 * 64 + 64 * 32 + 64 * 64);

    const ContactSheet none = makeContactSheet(groupPictures({(dir_ / "2N126471370EFF0000P1512L0M1.JPG").string()}), options);
    EXPECT_EQ(none.error, "none of the 1 pictures could be read");
}

TEST_F(Sheet, KeldarCliGalleryWritesTheSampleAsOneSheet) {
    const fs::path sample = dir_ / "sample";
    ASSERT_EQ(sample::writeSampleDirectory(sample.string()), "");
    std::string error;
    const std::size_t pictures = sequence::directoryPictures(sample.string(), error).size();
    const auto run = [&](const std::string& arguments, std::string& out) {
        const std::string command = std::string("'") + KELDAR_CLI + "' gallery " + arguments + " 2>&1";
        FILE* pipe = ::popen(command.c_str(), "r");
        out.clear();
        for (char buffer[512]; std::fgets(buffer, sizeof buffer, pipe) != nullptr;) out += buffer;
        const int status = ::pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    std::string out;
    ASSERT_EQ(run("'" + sample.string() + "' '" + (dir_ / "sheet.jpg").string() + "' --size 96", out), 0) << out;
    EXPECT_NE(out.find("Contact sheet of " + std::to_string(pictures) + " pictures"), std::string::npos) << out;
    const imaging::ImageResult sheet = imaging::readImageFile((dir_ / "sheet.jpg").string());
    ASSERT_TRUE(sheet.ok()) << sheet.error;
    EXPECT_GT(sheet.image.width(), 96 * 4);
    // Refused: an input as OUT, a PDS product as OUT, a directory without pictures.
    const std::string input = sequence::directoryPictures(sample.string(), error).front();
    EXPECT_EQ(run("'" + sample.string() + "' '" + input + "'", out), 1) << out;
    EXPECT_EQ(run("'" + sample.string() + "' '" + (dir_ / "x.img").string() + "'", out), 1) << out;
    fs::create_directories(dir_ / "empty");
    EXPECT_EQ(run("'" + (dir_ / "empty").string() + "' '" + (dir_ / "e.jpg").string() + "'", out), 1) << out;
    EXPECT_NE(out.find("no pictures"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(dir_ / "e.jpg"));
    EXPECT_EQ(run("'" + sample.string() + "' '" + (dir_ / "s.jpg").string() + "' --size 8", out), 2) << out;
}

}  // namespace
}  // namespace keldar::gallery
