#include "cli/ImageCommands.h"

#include "core/imaging/AnaglyphPipeline.h"
#include "core/imaging/ColourComposite.h"
#include "core/imaging/ImageFile.h"
#include "core/imaging/PixelFunctions.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace keldar::cli {
namespace {

using imaging::ImageBuffer;
using imaging::readImageFile;
using imaging::testing::randomImage;
using imaging::testing::ScratchDir;
using imaging::testing::writeBytes;

class ImageCommandsTest : public ::testing::Test {
protected:
    ScratchDir dir;

    std::string save(const std::string& name, const ImageBuffer& img) {
        const std::string path = dir.file(name);
        EXPECT_EQ(imaging::writeImageFile(img, path), "");
        return path;
    }

    // Runs a command, capturing stderr.
    int run(int (*cmd)(const std::vector<std::string>&), const std::vector<std::string>& args, std::string* err = nullptr) {
        ::testing::internal::CaptureStderr();
        const int rc = cmd(args);
        const std::string text = ::testing::internal::GetCapturedStderr();
        if (err) *err = text;
        return rc;
    }

    bool exists(const std::string& name) const { return std::filesystem::exists(dir.file(name)); }
};

TEST_F(ImageCommandsTest, AnaglyphMatchesThePipeline) {
    const ImageBuffer right = randomImage(20, 14, 1), left = randomImage(17, 16, 2);
    const std::string r = save("r.bmp", right), l = save("l.bmp", left);
    const struct {
        std::vector<std::string> options;
        imaging::AnaglyphSettings settings;
    } cases[] = {
        {{}, {50, 16, 30}},
        {{"--merge", "0"}, {0, 16, 30}},
        {{"--merge=100", "--contrast", "32", "--brightness", "45"}, {100, 32, 45}},
        {{"--brightness", "0", "--contrast", "+7"}, {50, 7, 0}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {r, l, dir.file("out.bmp")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ASSERT_EQ(run(runAnaglyphCommand, args), kExitOk);
        ImageBuffer expected;
        imaging::buildAnaglyph(right, left, c.settings, expected);
        EXPECT_TRUE(readImageFile(dir.file("out.bmp")).image == expected);
    }
    // Options may precede the file names; JPEG output by extension.
    ASSERT_EQ(run(runAnaglyphCommand, {"--merge", "60", r, l, dir.file("out.JPG")}), kExitOk);
    const imaging::ImageResult jpeg = readImageFile(dir.file("out.JPG"));
    ASSERT_TRUE(jpeg.ok());
    EXPECT_EQ(jpeg.image.width(), 17);
    EXPECT_EQ(jpeg.image.height(), 14);
}

TEST_F(ImageCommandsTest, JpegOutputIsTheEncodedPipelineResult) {
    // JPEG inputs and output take the row-streaming path; its file must equal the one written
    // from the whole-picture result.
    const ImageBuffer right = randomImage(40, 30, 5), left = randomImage(36, 33, 6);
    const std::string r = save("r.jpg", right), l = save("l.JPG", left);
    ASSERT_EQ(run(runAnaglyphCommand, {r, l, dir.file("a.jpg"), "--merge", "35", "--contrast", "21", "--brightness", "40"}), kExitOk);
    ImageBuffer expected;
    imaging::buildAnaglyph(readImageFile(r).image, readImageFile(l).image, {35, 21, 40}, expected);
    EXPECT_EQ(imaging::testing::readBytes(dir.file("a.jpg")), imaging::encodeJpeg(expected, 100));

    const std::string g = save("g.bmp", randomImage(38, 31, 7));
    ASSERT_EQ(run(runCompositeCommand, {r, g, l, dir.file("c.jpeg")}), kExitOk);
    const ImageBuffer composite =
        imaging::combineAllChannels(readImageFile(r).image, readImageFile(g).image, readImageFile(l).image);
    EXPECT_EQ(imaging::testing::readBytes(dir.file("c.jpeg")), imaging::encodeJpeg(composite, 100));
}

TEST_F(ImageCommandsTest, StreamedOutputsAreTheFilesOfTheWholePictureResults) {
    // Sizes that span several strips of the blended composite, with the green band larger.
    const std::string r = save("r.jpg", randomImage(37, 66, 1)), g = save("g.bmp", randomImage(45, 75, 2)),
                      b = save("b.jpg", randomImage(39, 70, 3));
    const ImageBuffer rb = readImageFile(r).image, gb = readImageFile(g).image, bb = readImageFile(b).image;
    ImageBuffer anaglyph, blended;
    imaging::buildAnaglyph(rb, bb, {35, 21, 40}, anaglyph);
    ASSERT_EQ(imaging::mer2rgbCombination(rb, gb, bb, 20, 90, blended), "");
    const struct {
        int (*command)(const std::vector<std::string>&);
        std::vector<std::string> args;
        const ImageBuffer& expected;
    } cases[] = {
        {runAnaglyphCommand, {r, b, "OUT", "--merge", "35", "--contrast", "21", "--brightness", "40"}, anaglyph},
        {runCompositeCommand, {r, g, b, "OUT", "--mer2rgb", "--red", "20", "--blue", "90"}, blended},
    };
    for (const auto& c : cases) {
        for (const char* name : {"out.bmp", "out.jpg"}) {
            SCOPED_TRACE(name);
            std::vector<std::string> args = c.args;
            std::replace(args.begin(), args.end(), std::string("OUT"), dir.file(name));
            ASSERT_EQ(run(c.command, args), kExitOk);
            std::vector<std::uint8_t> expected;
            if (imaging::imageFileKindFor(name) == imaging::ImageFileKind::Jpeg) {
                expected = imaging::encodeJpeg(c.expected, 100);
            } else {
                ASSERT_EQ(imaging::encodeBmpTo(c.expected, expected), "");
            }
            EXPECT_EQ(imaging::testing::readBytes(dir.file(name)), expected);
        }
    }
}

TEST_F(ImageCommandsTest, DamagedInputBeyondTheUsedRowsStillFails) {
    // The left image is taller than the right one and cut off near its end, past the rows
    // that the anaglyph uses.
    const std::string r = save("r.jpg", randomImage(32, 16, 1));
    std::vector<std::uint8_t> tall = imaging::encodeJpeg(randomImage(32, 256, 2));
    tall.resize(tall.size() * 95 / 100);
    writeBytes(dir.file("tall.jpg"), tall);
    std::string err;
    EXPECT_EQ(run(runAnaglyphCommand, {r, dir.file("tall.jpg"), dir.file("out.jpg")}, &err), kExitFailure);
    EXPECT_NE(err.find("tall.jpg"), std::string::npos) << err;
    EXPECT_EQ(run(runCompositeCommand, {r, r, dir.file("tall.jpg"), dir.file("out.jpg")}), kExitFailure);
    EXPECT_FALSE(exists("out.jpg"));
    for (const auto& name : dir.entries()) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
}

TEST_F(ImageCommandsTest, TallInputsWrapTheRowRingAndDamageMidwayNamesItsFile) {
    // Many times the rows the decoders hand over at once, so both threads decode each input
    // and the ring of rows wraps round; then each input in turn cut off halfway down.
    const ImageBuffer right = randomImage(24, 1500, 8), left = randomImage(24, 1500, 9);
    const std::string r = save("r.jpg", right), l = save("l.jpg", left);
    ASSERT_EQ(run(runAnaglyphCommand, {r, l, dir.file("a.jpg")}), kExitOk);
    ImageBuffer expected;
    imaging::buildAnaglyph(readImageFile(r).image, readImageFile(l).image, {50, 16, 30}, expected);
    EXPECT_EQ(imaging::testing::readBytes(dir.file("a.jpg")), imaging::encodeJpeg(expected, 100));

    std::vector<std::uint8_t> cut = imaging::encodeJpeg(left);
    cut.resize(cut.size() / 2);
    writeBytes(dir.file("cut.jpg"), cut);
    const struct {
        int (*command)(const std::vector<std::string>&);
        std::vector<std::string> inputs;
    } cases[] = {
        {runAnaglyphCommand, {dir.file("cut.jpg"), l}},
        {runAnaglyphCommand, {r, dir.file("cut.jpg")}},
        {runCompositeCommand, {r, l, dir.file("cut.jpg")}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.inputs;
        args.push_back(dir.file("out.jpg"));
        std::string err;
        EXPECT_EQ(run(c.command, args, &err), kExitFailure);
        EXPECT_NE(err.find("cut.jpg"), std::string::npos) << err;
        EXPECT_FALSE(exists("out.jpg"));
    }
}

TEST_F(ImageCommandsTest, UsageErrorsReturnTwoAndWriteNothing) {
    const std::string r = save("r.bmp", randomImage(4, 4, 1)), l = save("l.bmp", randomImage(4, 4, 2));
    const std::string out = dir.file("out.jpg");
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{}, "expected RIGHT LEFT OUT"},
        {{r, l}, "expected RIGHT LEFT OUT"},
        {{r, l, out, "extra"}, "expected RIGHT LEFT OUT"},
        {{r, l, out, "--merge", "101"}, "outside 0..100"},
        {{r, l, out, "--contrast", "-1"}, "outside 0..100"},
        {{r, l, out, "--brightness", "1.5"}, "whole number"},
        {{r, l, out, "--merge", "abc"}, "whole number"},
        {{r, l, out, "--merge", ""}, "whole number"},
        {{r, l, out, "--merge"}, "needs a number"},
        {{r, l, out, "--merge", "5", "--merge", "6"}, "given twice"},
        {{r, l, out, "--speed", "3"}, "unknown option"},
        {{r, l, out, "--mer2rgb"}, "unknown option"},
    };
    for (const auto& c : cases) {
        std::string err;
        EXPECT_EQ(run(runAnaglyphCommand, c.args, &err), kExitUsage) << c.message;
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_FALSE(exists("out.jpg"));
    }
}

TEST_F(ImageCommandsTest, ProcessingFailuresReturnOneAndLeaveNothing) {
    const std::string good = save("good.bmp", randomImage(4, 4, 1));
    writeBytes(dir.file("broken.jpg"), {0xFF, 0xD8, 0xFF});
    std::string err;
    EXPECT_EQ(run(runAnaglyphCommand, {good, dir.file("missing.jpg"), dir.file("out.jpg")}, &err), kExitFailure);
    EXPECT_NE(err.find("missing.jpg"), std::string::npos) << err;
    EXPECT_EQ(run(runAnaglyphCommand, {dir.file("broken.jpg"), good, dir.file("out.jpg")}, &err), kExitFailure);
    EXPECT_NE(err.find("broken.jpg"), std::string::npos) << err;
    EXPECT_EQ(run(runAnaglyphCommand, {good, good, dir.file("nodir/out.jpg")}, &err), kExitFailure);
    EXPECT_NE(err.find("nodir/out.jpg"), std::string::npos) << err;
    EXPECT_FALSE(exists("out.jpg"));
    EXPECT_EQ(run(runCompositeCommand, {good, dir.file("missing.bmp"), good, dir.file("out.jpg")}), kExitFailure);
    EXPECT_EQ(run(runSunsetCommand, {dir.file("missing.bmp"), dir.file("out.jpg")}), kExitFailure);
    EXPECT_FALSE(exists("out.jpg"));
}

TEST_F(ImageCommandsTest, CompositeStraightAndBlended) {
    const ImageBuffer r = randomImage(9, 7, 1), g = randomImage(8, 8, 2), b = randomImage(10, 6, 3);
    const std::string rp = save("r.bmp", r), gp = save("g.bmp", g), bp = save("b.bmp", b);

    ASSERT_EQ(run(runCompositeCommand, {rp, gp, bp, dir.file("straight.bmp")}), kExitOk);
    EXPECT_TRUE(readImageFile(dir.file("straight.bmp")).image == imaging::combineAllChannels(r, g, b));

    const struct {
        std::vector<std::string> options;
        int red, blue;
    } cases[] = {{{"--mer2rgb"}, 70, 70}, {{"--mer2rgb", "--red", "20"}, 20, 70}, {{"--blue=0", "--mer2rgb", "--red", "100"}, 100, 0}};
    for (const auto& c : cases) {
        std::vector<std::string> args = {rp, gp, bp, dir.file("blend.bmp")};
        args.insert(args.end(), c.options.begin(), c.options.end());
        ASSERT_EQ(run(runCompositeCommand, args), kExitOk);
        ImageBuffer expected;
        ASSERT_EQ(imaging::mer2rgbCombination(r, g, b, c.red, c.blue, expected), "");
        EXPECT_TRUE(readImageFile(dir.file("blend.bmp")).image == expected) << c.red << "/" << c.blue;
    }

    std::string err;
    EXPECT_EQ(run(runCompositeCommand, {rp, gp, bp, dir.file("x.bmp"), "--red", "20"}, &err), kExitUsage);
    EXPECT_NE(err.find("need --mer2rgb"), std::string::npos) << err;
    EXPECT_EQ(run(runCompositeCommand, {rp, gp, dir.file("x.bmp")}), kExitUsage);
    EXPECT_EQ(run(runCompositeCommand, {rp, gp, bp, dir.file("x.bmp"), "--mer2rgb", "--blue", "200"}), kExitUsage);
    EXPECT_FALSE(exists("x.bmp"));
}

TEST_F(ImageCommandsTest, SunsetPasses) {
    const ImageBuffer in = randomImage(6, 5, 9);
    const std::string ip = save("in.bmp", in);
    for (int passes : {0, 1, 10, 256}) {
        ASSERT_EQ(run(runSunsetCommand, {ip, dir.file("out.bmp"), "--passes", std::to_string(passes)}), kExitOk);
        const ImageBuffer out = readImageFile(dir.file("out.bmp")).image;
        ASSERT_EQ(out.width(), 6);
        for (int y = 0; y < 5; ++y) {
            for (int i = 0; i < 18; ++i) ASSERT_EQ(out.row(y)[i], std::max(in.row(y)[i] - passes, 0)) << passes;
        }
    }
    std::string err;
    const std::string oneRow = save("row.bmp", randomImage(8, 1, 3));
    EXPECT_EQ(run(runSunsetCommand, {oneRow, dir.file("o.bmp")}, &err), kExitFailure);
    EXPECT_NE(err.find("Bitmap Error"), std::string::npos) << err;
    EXPECT_EQ(run(runSunsetCommand, {ip, dir.file("o.bmp"), "--passes", "257"}), kExitUsage);
    EXPECT_EQ(run(runSunsetCommand, {ip, dir.file("o.bmp"), "--passes", "x"}), kExitUsage);
    EXPECT_EQ(run(runSunsetCommand, {ip}), kExitUsage);
    EXPECT_FALSE(exists("o.bmp"));
}

TEST_F(ImageCommandsTest, HelpAndUsageText) {
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(runAnaglyphCommand({"--help"}), kExitOk);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("anaglyph RIGHT LEFT OUT"), std::string::npos);
    const std::string usage = imageCommandsUsage();
    for (const char* word : {"anaglyph RIGHT LEFT OUT", "composite RED GREEN BLUE OUT", "--mer2rgb", "sunset IN OUT", "--passes"}) {
        EXPECT_NE(usage.find(word), std::string::npos) << word;
    }
}

}  // namespace
}  // namespace keldar::cli
