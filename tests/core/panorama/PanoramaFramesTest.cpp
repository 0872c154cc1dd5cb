// The frames of a panorama sequence, their pointing from labels, and Hugin's project files.

#include "core/panorama/HuginProject.h"
#include "core/panorama/PanoramaFrames.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;
using namespace keldar::panorama;

namespace {

// Spirit NAVCAM left frames of sequence P0730, clock 130637489 + 27 i.
std::string frame(int i, char eye = 'L', const char* sequence = "P0730", char camera = 'N', char filter = '0') {
    return "2" + std::string(1, camera) + std::to_string(130637489 + 27 * i) + "EFF4700" + sequence + eye + filter +
           "M1.JPG";
}

PanoramaFrame at(const std::string& path) {
    PanoramaFrame f;
    f.path = path;
    return f;
}

std::vector<std::string> ids(const FrameSelection& s) {
    std::vector<std::string> out;
    for (const PanoramaFrame& f : s.frames) out.push_back(f.path);
    return out;
}

}  // namespace

TEST(PanoramaFrames, SelectionBySequenceEyeAndCamera) {
    const std::string lonePair = "1N128459614EFF0100P1507L0M1.JPG";
    // The listing order is not the order of taking: the frames come back by their clock.
    const std::vector<std::string> dir = {lonePair,
                                          "1N128459614EFF0100P1507R0M1.JPG",
                                          frame(2),
                                          frame(0),
                                          frame(1),
                                          frame(0, 'R'),
                                          frame(1, 'R'),
                                          frame(2, 'R'),
                                          frame(3, 'L', "P0731"),  // a stray frame of another sequence
                                          frame(4, 'L', "P2411", 'P', '4'),
                                          frame(5, 'L', "P2411", 'P', '4'),
                                          frame(5, 'L', "P2411", 'P', '5'),  // another filter of that sequence
                                          "IMG_0001.jpg",
                                          frame(0) + "-B30C16M50-01.jpg" /* a made anaglyph */};
    struct Case {
        const char* what;
        FrameRequest request;
        std::vector<std::string> frames;
        bool stereo;
    };
    const std::vector<Case> cases = {
        {"default: the first sequence of two or more", {}, {frame(0), frame(1), frame(2)}, true},
        {"named sequence, right eye",
         {"p0730", PanoramaEye::Right, std::nullopt},
         {frame(0, 'R'), frame(1, 'R'), frame(2, 'R')},
         true},
        {"PANCAM: one filter",
         {"", PanoramaEye::Left, PanoramaCamera::Pancam},
         {frame(4, 'L', "P2411", 'P', '4'), frame(5, 'L', "P2411", 'P', '4')},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const FrameSelection s = selectFrames(dir, c.request);
        ASSERT_TRUE(s.ok()) << s.error;
        EXPECT_EQ(ids(s), c.frames);
        EXPECT_EQ(s.partners.size(), c.stereo ? c.frames.size() : 0u);
    }
    // Names as the archive writes them, in lower case.
    const FrameSelection lower = selectFrames({"2n292280989effb100p0703l0m1.img.jpg", "2n292280938effb100p0703l0m1.img.jpg"}, {});
    ASSERT_TRUE(lower.ok()) << lower.error;
    EXPECT_EQ(ids(lower).front(), "2n292280938effb100p0703l0m1.img.jpg");
    EXPECT_EQ(lower.sequence, "P0703");
    const FrameSelection nav = selectFrames(dir, {});
    EXPECT_EQ(nav.partners.front().path, frame(0, 'R'));
    EXPECT_DOUBLE_EQ(nav.fieldOfView, kNavcamFieldOfView);
    EXPECT_EQ(nav.sequence, "P0730");
    EXPECT_DOUBLE_EQ(selectFrames(dir, {"", PanoramaEye::Left, PanoramaCamera::Pancam}).fieldOfView,
                     kPancamFieldOfView);
}

TEST(PanoramaFrames, RefusalsNameTheReason) {
    const std::vector<std::string> hazcams = {"2F130637489EFF4700P1214L0M1.JPG", "2F130637516EFF4700P1214L0M1.JPG"};
    const struct {
        std::vector<std::string> dir;
        FrameRequest request;
        const char* expected;
    } cases[] = {
        {hazcams, {}, "HAZCAM frames are fisheye"},
        {hazcams, {"P1214", PanoramaEye::Left, std::nullopt}, "HAZCAM frames are fisheye"},
        {{frame(0), frame(1, 'L', "P0731")}, {}, "only one left-eye frame of sequence P0730"},
        {{frame(0), frame(1)},
         {"P0999", PanoramaEye::Left, std::nullopt},
         "no NAVCAM or PANCAM left-eye frames of sequence P0999"},
        {{"2M139692239EFF3100P2937M2M1.JPG", "2M139692300EFF3100P2937M2M1.JPG"},
         {"P2937", PanoramaEye::Left, std::nullopt},
         "no NAVCAM or PANCAM left-eye frames"},
    };
    for (const auto& c : cases) {
        const FrameSelection s = selectFrames(c.dir, c.request);
        EXPECT_NE(s.error.find(c.expected), std::string::npos) << s.error;
    }
    // A missing other eye is named, and the stereo offer goes.
    const FrameSelection half = selectFrames({frame(0), frame(1), frame(0, 'R')}, {});
    ASSERT_TRUE(half.ok());
    EXPECT_TRUE(half.partners.empty());
    ASSERT_EQ(half.missingPartners.size(), 1u);
    EXPECT_EQ(half.missingPartners[0], frame(1, 'R').substr(0, 27));
}

TEST(PanoramaFrames, PointingFromDetachedAndAttachedLabels) {
    const fs::path dir = fs::temp_directory_path() / ("keldar-frames-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    {
        std::ofstream(dir / "2N130637489EFF4700P0730L0M1.LBL")
            << "PDS_VERSION_ID = PDS3\r\nAZIMUTH_FOV = 45.1766\r\nSITE_INSTRUMENT_AZIMUTH = 70.300\r\n"
               "SITE_INSTRUMENT_ELEVATION = -9.900\r\nROVER_INSTRUMENT_AZIMUTH = 10.0\r\nEND\r\n";
        // The archive's lower-case name: the label of the second frame, with the rover frame only.
        std::ofstream(dir / "2n130637516eff4700p0730l0m1.lbl")
            << "PDS_VERSION_ID = PDS3\nGROUP = ROVER_DERIVED_GEOMETRY_PARMS\n  INSTRUMENT_AZIMUTH = 106.5 <deg>\n"
               "  INSTRUMENT_ELEVATION = -10.25 <deg>\nEND_GROUP = ROVER_DERIVED_GEOMETRY_PARMS\nEND\n";
    }
    PanoramaFrame a = at((dir / frame(0)).string()), b = at((dir / "2n130637516eff4700p0730l0m1.jpg").string()),
                  none = at((dir / frame(2)).string());
    for (PanoramaFrame* f : {&a, &b, &none}) readPointing(*f);
    EXPECT_DOUBLE_EQ(a.azimuth.value_or(0), 70.3);  // the site frame before the rover's
    EXPECT_DOUBLE_EQ(a.elevation.value_or(0), -9.9);
    EXPECT_DOUBLE_EQ(a.fieldOfView.value_or(0), 45.1766);
    EXPECT_DOUBLE_EQ(b.azimuth.value_or(0), 106.5);
    EXPECT_DOUBLE_EQ(b.elevation.value_or(0), -10.25);
    EXPECT_FALSE(b.fieldOfView.has_value());
    EXPECT_FALSE(none.azimuth.has_value());
    fs::remove_all(dir);

    // A real EDR carries its pointing in its own label.
    PanoramaFrame real = at(std::string(KELDAR_REALDATA_DIR) + "/images/2n292280938effb100p0703l0m1.img");
    if (!fs::exists(real.path)) GTEST_SKIP() << "real PDS images not present in " << KELDAR_REALDATA_DIR;
    readPointing(real);
    EXPECT_DOUBLE_EQ(real.azimuth.value_or(0), 144.003);
    EXPECT_DOUBLE_EQ(real.elevation.value_or(0), -16.9835);
    EXPECT_DOUBLE_EQ(real.fieldOfView.value_or(0), 45.1766);
}

TEST(HuginProject, InitialProjectForKnownFrames) {
    const std::string text =
        initialProject({{"L000.jpg", 512, 512, 45, 0, -10, 0}, {"L001.jpg", 512, 512, 45, 36.5, -9.75, 0}});
    EXPECT_EQ(
        text,
        "# hugin project file\n#hugin_ptoversion 2\n"
        "p f2 w3000 h1500 v360 k0 E0 R0 n\"TIFF_m c:NONE r:CROP\"\nm i0\n\n"
        "i w512 h512 f0 v45 Ra0 Rb0 Rc0 Rd0 Re0 Eev0 Er1 Eb1 r0 p-10 y0 TrX0 TrY0 TrZ0 Tpy0 Tpp0 j0 a0 b0 c0 d0 e0 g0 "
        "t0 Va1 Vb0 Vc0 Vd0 Vx0 Vy0 Vm5 n\"L000.jpg\"\n"
        "i w512 h512 f0 v45 Ra0 Rb0 Rc0 Rd0 Re0 Eev0 Er1 Eb1 r0 p-9.75 y36.5 TrX0 TrY0 TrZ0 Tpy0 Tpp0 j0 a0 b0 c0 d0 "
        "e0 g0 "
        "t0 Va1 Vb0 Vc0 Vd0 Vx0 Vy0 Vm5 n\"L001.jpg\"\n\n"
        "v y1\nv p1\nv r1\nv\n");
    // It reads back as written.
    HuginProject p;
    ASSERT_EQ(parseProject(text, p), "");
    ASSERT_EQ(p.images.size(), 2u);
    EXPECT_DOUBLE_EQ(p.images[1].yaw, 36.5);
    EXPECT_DOUBLE_EQ(p.images[1].pitch, -9.75);
    EXPECT_EQ(p.images[1].file, "L001.jpg");
}

TEST(HuginProject, ReadsWhatTheToolsWriteAndSwapsTheEye) {
    // As autooptimiser and pano_modify leave it: linked lens values, a crop, control points.
    const std::string text =
        "p f2 w3248 h691 v301  k0 E0 R0 S34,3214,218,676 n\"TIFF_m c:LZW r:CROP\"\n"
        "i w512 h512 f0 v45 Ra0 r-0.06 p-9.9 y-125.99 TrX0 b0.01 Vm5 n\"L000.jpg\"\n"
        "i w512 h512 f0 v=0 Ra=0 r0.01 p-9.89 y-89.97 TrX0 b=0 Vm5 n\"L001.jpg\"\n"
        "i w512 h512 f0 v=0 Ra=0 r0 p-9.9 y-54 TrX0 b=0 Vm5 n\"L002.jpg\"\n"
        "c n0 N1 x500.5 y100 X20.25 Y101 t0\nc n0 N1 x480 y300 X2 Y299 t0\n";
    HuginProject p;
    ASSERT_EQ(parseProject(text, p), "");
    EXPECT_EQ(p.canvas.width, 3248);
    EXPECT_EQ(p.canvas.croppedWidth(), 3180);
    EXPECT_EQ(p.canvas.croppedHeight(), 458);
    ASSERT_EQ(p.images.size(), 3u);
    EXPECT_DOUBLE_EQ(p.images[2].fieldOfView, 45);  // "v=0": the first image's
    EXPECT_DOUBLE_EQ(p.images[1].yaw, -89.97);
    ASSERT_EQ(p.points.size(), 2u);
    EXPECT_DOUBLE_EQ(p.points[0].x2, 20.25);
    // Frame 2 is tied to nothing.
    EXPECT_EQ(connectedGroups(p), (std::vector<std::vector<int>>{{0, 1}, {2}}));

    std::string right;
    ASSERT_EQ(replaceImageFiles(text, {"R000.jpg", "R001.jpg", "R002.jpg"}, right), "");
    HuginProject r;
    ASSERT_EQ(parseProject(right, r), "");
    EXPECT_EQ(r.images[1].file, "R001.jpg");
    EXPECT_DOUBLE_EQ(r.images[1].yaw, -89.97);
    EXPECT_EQ(r.canvas.croppedWidth(), 3180);
    EXPECT_NE(replaceImageFiles(text, {"R000.jpg"}, right), "");
    EXPECT_NE(replaceImageFiles(text, {"a\".jpg", "b", "c"}, right), "");

    const char* broken[] = {"i w512 n\"x\"\n", "p f2 w10 h10 S1,2\n", "p f2\ni v=3 n\"x\"\n", "p f2\nc n0 N5\n"};
    for (const char* b : broken) EXPECT_NE(parseProject(b, p), "") << b;
}
