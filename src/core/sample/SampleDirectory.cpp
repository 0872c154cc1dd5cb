#include "core/sample/SampleDirectory.h"

#include "core/time/ImageData.h"

#include "core/imaging/ImageFile.h"
#include "core/sample/Noise.h"
#include "core/sample/Raster.h"
#include "core/sample/Terrain.h"
#include "core/sample/TraverseMap.h"
#include "core/time/ImageData.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace keldar::sample {

namespace {

namespace fs = std::filesystem;
using imaging::ImageBuffer;

// Spacecraft clock values (seconds since 2000-01-01 11:58:55.816 UTC) of the two landings, and
// the length of a sol in seconds.
constexpr long long kSpiritLanding = 126462964;       // 2004-01-04 04:35 UTC
constexpr long long kOpportunityLanding = 128279164;  // 2004-01-25 05:05 UTC
constexpr long long kSolSeconds = 88775;

constexpr long long clockOnSol(long long landing, int sol, int secondsAfterLandingTime) {
    return landing + static_cast<long long>(sol - 1) * kSolSeconds + secondsAfterLandingTime;
}

// Identifier layout: rover, camera, 9-digit clock, product type, site, drive, sequence, eye,
// filter, producer, version.
std::string productId(char rover, char camera, long long clock, const char* type, const char* site,
                      const char* drive, const char* sequence, char eye, char filter) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%c%c%09lld%s%s%s%s%c%cM1", rover, camera, clock, type, site, drive, sequence, eye,
                  filter);
    return buf;
}

// ---- The products -------------------------------------------------------------------------

const long long kOppPairClock = clockOnSol(kOpportunityLanding, 3, 2900);
const long long kOppCruiseClock = 115800093;  // 2003-09-02, during the cruise to Mars
const long long kOppPancamClock = clockOnSol(kOpportunityLanding, 40, 4100);
const long long kOppRearClock = clockOnSol(kOpportunityLanding, 120, 3300);
const long long kSpiritPairClock = clockOnSol(kSpiritLanding, 13, 3012);
const long long kSpiritHazClock = clockOnSol(kSpiritLanding, 71, 5200);
const long long kSpiritMiClock = clockOnSol(kSpiritLanding, 150, 1800);
const long long kSpiritHillsClock = clockOnSol(kSpiritLanding, 512, 2400);

const std::string kOppPairL = productId('1', 'N', kOppPairClock, "EFF", "01", "00", "P1507", 'L', '0');
const std::string kOppPairR = productId('1', 'N', kOppPairClock, "EFF", "01", "00", "P1507", 'R', '0');
const std::string kOppCruise = productId('1', 'P', kOppCruiseClock, "EFF", "00", "00", "C0117", 'L', '1');
const std::string kOppPan4 = productId('1', 'P', kOppPancamClock, "EFF", "09", "00", "P2411", 'L', '4');
const std::string kOppPan5 = productId('1', 'P', kOppPancamClock, "EFF", "09", "00", "P2411", 'L', '5');
const std::string kOppPan6 = productId('1', 'P', kOppPancamClock, "EFF", "09", "00", "P2411", 'L', '6');
const std::string kOppRear = productId('1', 'R', kOppRearClock, "EFF", "23", "00", "P1312", 'L', '0');
const std::string kSpiritHazR = productId('2', 'F', kSpiritHazClock, "EFF", "16", "00", "P1214", 'R', '0');
const std::string kSpiritMi = productId('2', 'M', kSpiritMiClock, "EFF", "31", "00", "P2937", 'M', '2');
const std::string kSpiritPairL = productId('2', 'N', kSpiritPairClock, "EFF", "03", "00", "P1512", 'L', '0');
const std::string kSpiritPairR = productId('2', 'N', kSpiritPairClock, "EFF", "03", "00", "P1512", 'R', '0');
const std::string kSpiritHills = productId('2', 'N', kSpiritHillsClock, "EFF", "66", "00", "P1706", 'L', '0');

constexpr float kPanoramaFirstAzimuth = 70.0f;
constexpr float kPanoramaStep = 36.0f;  // a 45-degree frame overlaps the next by a fifth
constexpr float kPanoramaPitch = -10.0f;  // degrees: the mast looks a little down
// Spirit, sol 48: a NAVCAM stereo panorama, one frame of each eye every 36 degrees of azimuth.
const long long kSpiritPanoramaClock = clockOnSol(kSpiritLanding, 48, 2100);
constexpr int kPanoramaSeconds = 27;  // between frames of the sequence
std::string panoramaFrame(int i, char eye) {
    return productId('2', 'N', kSpiritPanoramaClock + i * kPanoramaSeconds, "EFF", "47", "00", "P0730", eye, '0');
}
// Pointing as the label reports it: the mast's azimuth and elevation come back within a few
// tenths of a degree of where the camera looked, as they do on the rover.
constexpr float kPanoramaAzimuthError[kPanoramaFrames] = {0.3f, -0.2f, 0.1f, -0.4f, 0.25f, -0.1f, 0.35f, -0.3f};
constexpr float kPanoramaElevationError[kPanoramaFrames] = {0.1f, -0.15f, 0.2f, 0.0f, -0.1f, 0.15f, -0.2f, 0.05f};
// Anaglyph settings suffix and counter as the workbench writes them when it saves one.
const std::string kSpiritAnaglyph = kSpiritPairL + "-B30C16M50-01";
const char* const kPictureName = "IMG_0001.jpg";

constexpr int kSide = 512;  // the rover pictures: small, but real
constexpr int kPictureW = 640, kPictureH = 480;
constexpr int kMapW = 600, kMapH = 450;
constexpr int kJpegQuality = 85;  // keeps the directory to a couple of megabytes

// NAVCAM and HAZCAM see a broad red-weighted band; a grey picture is that sum.
const Rgb kBroadband{0.50f, 0.35f, 0.15f};

// Spirit, sol 486, early afternoon, when the plains below the hills raise dust devils: one NAVCAM
// left frame every half minute from one pointing, so the devils show by their motion.
const long long kSpiritDustDevilClock = clockOnSol(kSpiritLanding, 486, -10400);
constexpr int kDustDevilSeconds = 31;
std::string dustDevilFrame(int i) {
    return productId('2', 'N', kSpiritDustDevilClock + i * kDustDevilSeconds, "EFF", "63", "00", "P1853", 'L', '0');
}
constexpr float kDustDevilYaw = 135.0f;
constexpr float kDustDevilHorizon = 0.40f;  // fraction of the height: mostly plain, some sky
// Where the devil's brightest point, its dusty foot just beyond the near plain, is in frame i
// (pixel column c spans c..c+1): it drifts right, unevenly, and recedes a little, so its foot
// climbs toward the horizon.
void dustDevilPlace(int i, double& x, double& y) {
    const double t = static_cast<double>(i) / (kDustDevilFrames - 1);
    x = 80.0 + 350.0 * t + 8.0 * std::sin(6.283185307179586 * t);
    y = static_cast<double>(kDustDevilHorizon) * kSide + 4.0 - 5.0 * t;
}

// ---- Scenes -------------------------------------------------------------------------------

// Gusev plains: rocky, bright dust, hills on the horizon.
SceneParams gusev(std::uint32_t seed) {
    SceneParams p;
    p.seed = seed;
    p.hillAmplitude = 55.0f;
    p.hillWavelength = 350.0f;
    p.hillStart = 150.0f;
    p.hillEnd = 650.0f;
    p.undulationAmplitude = 0.45f;
    p.undulationWavelength = 28.0f;
    p.roughAmplitude = 0.03f;
    p.roughWavelength = 1.2f;
    p.rippleAmplitude = 0.03f;
    p.rippleWavelength = 2.2f;
    p.rippleCoverage = 0.25f;
    p.rockLayerCount = 4;
    p.rocks[0] = {0.14f, 0.40f, 0.006f, 0.022f, 0.55f, 2.0f, 0.5f, 1.0f, 0.3f};   // gravel
    p.rocks[1] = {0.55f, 0.38f, 0.02f, 0.09f, 0.6f, 2.0f, 0.6f, 1.0f, 0.3f};     // pebbles, cobbles
    p.rocks[2] = {2.2f, 0.40f, 0.08f, 0.38f, 0.62f, 2.0f, 0.6f, 1.0f, 0.3f};     // rocks
    p.rocks[3] = {7.5f, 0.30f, 0.30f, 1.05f, 0.55f, 2.0f, 0.65f, 0.95f, 0.25f};  // boulders
    p.soil = {0.30f, 0.16f, 0.085f};
    p.dust = {0.36f, 0.21f, 0.11f};
    p.rock = {0.15f, 0.11f, 0.09f};
    p.albedoVariation = 0.22f;
    p.sunAzimuthDeg = 250.0f;
    p.sunElevationDeg = 38.0f;
    p.clearRadius = 0.8f;
    return p;
}

// Meridiani plains: dark basaltic sand in ripples, few loose rocks, pale outcrop slabs and a
// lag of small dark spherules.
SceneParams meridiani(std::uint32_t seed) {
    SceneParams p;
    p.seed = seed;
    p.hillAmplitude = 6.0f;
    p.hillWavelength = 250.0f;
    p.hillStart = 250.0f;
    p.hillEnd = 700.0f;
    p.undulationAmplitude = 0.25f;
    p.undulationWavelength = 35.0f;
    p.roughWavelength = 0.8f;
    p.roughAmplitude = 0.015f;
    p.rippleAmplitude = 0.025f;
    p.rippleWavelength = 1.7f;
    p.rippleAzimuthDeg = 60.0f;
    p.rippleCoverage = 0.45f;
    p.rockLayerCount = 4;
    p.rocks[0] = {0.05f, 0.45f, 0.0025f, 0.006f, 0.8f, 1.0f, 0.0f, 0.7f, 0.05f};   // spherules
    p.rocks[1] = {0.6f, 0.22f, 0.015f, 0.05f, 0.55f, 2.0f, 0.6f, 1.0f, 0.3f};     // pebbles
    p.rocks[2] = {2.5f, 0.25f, 0.05f, 0.2f, 0.5f, 2.0f, 0.6f, 1.6f, 0.25f};       // loose outcrop pieces
    p.rocks[3] = {5.0f, 0.40f, 0.5f, 1.9f, 0.06f, 4.0f, 0.85f, 1.7f, 0.25f};      // outcrop slabs
    p.soil = {0.25f, 0.13f, 0.072f};
    p.dust = {0.34f, 0.20f, 0.10f};
    p.rock = {0.16f, 0.12f, 0.095f};
    p.albedoVariation = 0.2f;
    p.hazeDistance = 900.0f;
    p.sunAzimuthDeg = 285.0f;
    p.sunElevationDeg = 42.0f;
    p.clearRadius = 0.8f;
    return p;
}

// Soil under the microscopic imager: sand grains and a few coarse grains, in metres.
SceneParams gusevSoilCloseUp(std::uint32_t seed) {
    SceneParams p;
    p.seed = seed;
    p.undulationAmplitude = 0.0006f;
    p.undulationWavelength = 0.02f;
    p.roughAmplitude = 0.0002f;
    p.roughWavelength = 0.0025f;
    p.rockLayerCount = 3;
    p.rocks[2] = {0.0007f, 0.5f, 0.00008f, 0.00022f, 0.7f, 1.5f, 0.5f, 1.0f, 0.3f};  // sand
    p.rocks[0] = {0.0022f, 0.55f, 0.0002f, 0.0007f, 0.7f, 1.5f, 0.5f, 1.0f, 0.25f};  // coarse sand
    p.rocks[1] = {0.009f, 0.35f, 0.0008f, 0.0026f, 0.6f, 2.0f, 0.6f, 0.9f, 0.3f};    // granules
    p.clearRadius = 0.0f;
    p.albedoVariation = 0.15f;
    // From the upper left of the frame, so grains read as bumps rather than pits.
    p.sunAzimuthDeg = 315.0f;
    p.sunElevationDeg = 40.0f;
    return p;
}

CameraParams navcam(float yawDeg, float horizonRow) {
    CameraParams c;
    c.yawDeg = yawDeg;
    c.horizonRow = horizonRow;
    c.hfovDeg = 45.0f;
    c.mastHeight = 1.54f;
    c.width = kSide;
    c.height = kSide;
    c.supersample = 1;
    return c;
}

// The hazard cameras sit low on the body and look down over a wide field. The renderer's image
// plane stays vertical, and a steep view through it stretches the ground near the bottom edge,
// so the view is kept moderately wide and the horizon near the top.
CameraParams hazcam(float yawDeg) {
    CameraParams c = navcam(yawDeg, 0.12f);
    c.hfovDeg = 80.0f;
    c.mastHeight = 0.52f;
    return c;
}

constexpr float kNavcamBaseline = 0.20f;  // metres between the two NAVCAM eyes
constexpr float kHazcamBaseline = 0.10f;

// ---- Special frames -----------------------------------------------------------------------

// A cruise calibration frame of a rich star field: bias with a stray-light gradient, stars and a
// few hot pixels.
Raster starField(std::uint32_t seed, int w, int h) {
    Raster r(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const float v = 0.03f + 0.09f * static_cast<float>(x + y) / static_cast<float>(w + h);
            r.at(x, y) = {v, v, v};
        }
    Rng rng(seed);
    for (int i = 0; i < 700; ++i) {
        const float x = rng.range(0.0f, static_cast<float>(w));
        const float y = rng.range(0.0f, static_cast<float>(h));
        const float u = rng.uniform();
        const float peak = 0.08f + 0.9f * u * u * u * u;
        const float sigma = 0.7f + 0.8f * peak;
        const int rad = static_cast<int>(std::ceil(sigma * 3.0f));
        for (int dy = -rad; dy <= rad; ++dy) {
            for (int dx = -rad; dx <= rad; ++dx) {
                const int px = static_cast<int>(x) + dx, py = static_cast<int>(y) + dy;
                if (px < 0 || py < 0 || px >= w || py >= h) continue;
                const float ex = static_cast<float>(px) + 0.5f - x, ey = static_cast<float>(py) + 0.5f - y;
                const float v = peak * std::exp(-(ex * ex + ey * ey) / (2.0f * sigma * sigma));
                Rgb& p = r.at(px, py);
                p.r = std::min(p.r + v, 1.0f);
                p.g = p.r;
                p.b = p.r;
            }
        }
    }
    for (int i = 0; i < 12; ++i) {
        const int x = rng.below(w), y = rng.below(h);
        const float v = rng.range(0.3f, 0.9f);
        r.at(x, y) = {v, v, v};
    }
    return r;
}

// Red/cyan anaglyph: the left eye in red, the right eye in green and blue.
ImageBuffer anaglyph(const ImageBuffer& left, const ImageBuffer& right) {
    const int w = std::min(left.width(), right.width());
    const int h = std::min(left.height(), right.height());
    ImageBuffer out(w, h);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* l = left.row(y);
        const std::uint8_t* r = right.row(y);
        std::uint8_t* o = out.row(y);
        for (int x = 0; x < w; ++x) {
            o[3 * x + 0] = r[3 * x + 0];
            o[3 * x + 1] = r[3 * x + 1];
            o[3 * x + 2] = l[3 * x + 2];
        }
    }
    return out;
}

// One band of a colour rendering as a grey picture, as a filter camera records it.
ImageBuffer band(const Raster& colour, int channel, unsigned noiseSeed) {
    const Rgb w{channel == 0 ? 1.0f : 0.0f, channel == 1 ? 1.0f : 0.0f, channel == 2 ? 1.0f : 0.0f};
    return toGreyImage(colour, w, 2.0f, noiseSeed);
}

// ---- Label --------------------------------------------------------------------------------

// UTC of a clock value, "YYYY-MM-DDThh:mm:ss.sss", as a label gives START_TIME.
std::string clockToUtc(long long clock) {
    std::string iso = keldar::time::isoUtcText(keldar::time::clockToCaptureTime(clock));
    iso.pop_back();  // labels of this kind carry no "Z"
    return iso;
}

std::string labelText() {
    const std::string id = kSpiritPairL;
    const int sol = static_cast<int>((kSpiritPairClock - kSpiritLanding) / kSolSeconds) + 1;
    std::string t;
    auto line = [&t](const std::string& s) { t += s + "\r\n"; };
    line("PDS_VERSION_ID               = PDS3");
    line("/* Synthetic sample label: the picture it describes was rendered by Keldar */");
    line("");
    line("/* FILE DATA ELEMENTS */");
    line("RECORD_TYPE                  = UNDEFINED");
    line("^IMAGE                       = \"" + id + ".JPG\"");
    line("");
    line("/* IDENTIFICATION DATA ELEMENTS */");
    line("DATA_SET_ID                  = \"MER2-M-NAVCAM-2-EDR-OPS-V1.0\"");
    line("PRODUCT_ID                   = \"" + id + "\"");
    line("PRODUCT_TYPE                 = \"EDR\"");
    line("INSTRUMENT_HOST_ID           = \"MER2\"");
    line("INSTRUMENT_HOST_NAME         = \"MARS EXPLORATION ROVER 2\"");
    line("INSTRUMENT_ID                = \"NAVCAM_LEFT\"");
    line("INSTRUMENT_NAME              = \"NAVIGATION CAMERA LEFT\"");
    line("MISSION_NAME                 = \"MARS EXPLORATION ROVER\"");
    line("TARGET_NAME                  = \"MARS\"");
    line("PLANET_DAY_NUMBER            = " + std::to_string(sol));
    line("SPACECRAFT_CLOCK_START_COUNT = \"" + std::to_string(kSpiritPairClock) + ".000\"");
    line("START_TIME                   = " + clockToUtc(kSpiritPairClock));
    line("SEQUENCE_ID                  = \"P1512\"");
    line("ROVER_MOTION_COUNTER         = (3, 0)");
    line("");
    line("/* INSTRUMENT STATE */");
    line("FILTER_NAME                  = \"NAVCAM, 400-1100NM\"");
    line("EXPOSURE_DURATION            = 42.0 <MS>");
    line("");
    line("OBJECT                       = IMAGE");
    line("  INTERCHANGE_FORMAT         = JPEG");
    line("  LINES                      = " + std::to_string(kSide));
    line("  LINE_SAMPLES               = " + std::to_string(kSide));
    line("  SAMPLE_TYPE                = UNSIGNED_INTEGER");
    line("  SAMPLE_BITS                = 8");
    line("  BANDS                      = 1");
    line("END_OBJECT                   = IMAGE");
    line("END");
    return t;
}

float panoramaElevation() { return kPanoramaPitch; }

// A detached label as the archive fetch writes it: the product's row of the index.
std::string panoramaLabelText(int i, char eye) {
    const std::string id = panoramaFrame(i, eye);
    const long long clock = kSpiritPanoramaClock + i * kPanoramaSeconds;
    char az[32], el[32];
    std::snprintf(az, sizeof az, "%.3f", static_cast<double>(kPanoramaFirstAzimuth + kPanoramaStep * static_cast<float>(i) +
                                                            kPanoramaAzimuthError[i]));
    std::snprintf(el, sizeof el, "%.3f", static_cast<double>(panoramaElevation() + kPanoramaElevationError[i]));
    std::string t;
    auto line = [&t](const std::string& key, const std::string& value) {
        std::string k = key;
        k.resize(std::max<std::size_t>(k.size(), 29), ' ');
        t += k + " = " + value + "\r\n";
    };
    t += "PDS_VERSION_ID                = PDS3\r\n";
    t += "/* Synthetic sample label: the picture it describes was rendered by Keldar */\r\n";
    line("^PRODUCT", "\"" + id + ".JPG\"");
    line("INSTRUMENT_HOST_ID", "\"MER2\"");
    line("INSTRUMENT_ID", eye == 'L' ? "\"NAVCAM_LEFT\"" : "\"NAVCAM_RIGHT\"");
    line("PRODUCT_ID", "\"" + id + "\"");
    line("PLANET_DAY_NUMBER", "48");
    line("START_TIME", clockToUtc(clock));
    line("SPACECRAFT_CLOCK_START_COUNT", "\"" + std::to_string(clock) + ".000\"");
    line("SEQUENCE_ID", "\"P0730\"");
    line("LINES", std::to_string(kSide));
    line("LINE_SAMPLES", std::to_string(kSide));
    line("FRAME_ID", eye == 'L' ? "\"LEFT\"" : "\"RIGHT\"");
    line("AZIMUTH_FOV", "45.000");
    line("ELEVATION_FOV", "45.000");
    line("SITE_INSTRUMENT_AZIMUTH", az);
    line("SITE_INSTRUMENT_ELEVATION", el);
    t += "END\r\n";
    return t;
}

// ---- Writing ------------------------------------------------------------------------------

// A directory of the sample must be a real one: a symbolic link would let the files
// meant for it land somewhere else.
std::string ensureDirectory(const fs::path& p, bool linkAllowed) {
    std::error_code ec;
    if (!linkAllowed && fs::is_symlink(p, ec))
        return "will not write into \"" + p.string() + "\": it is a symbolic link, not a directory";
    fs::create_directories(p, ec);
    if (ec || !fs::is_directory(p, ec))
        return "cannot create directory \"" + p.string() + "\": " + (ec ? ec.message() : "not a directory");
    return "";
}

bool holdsExactly(const fs::path& path, const void* data, std::size_t size) {
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(path, ec)) || fs::file_size(path, ec) != size || ec) return false;
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes(size);
    return in.read(bytes.data(), static_cast<std::streamsize>(size)) && std::memcmp(bytes.data(), data, size) == 0;
}

// A file already there is never replaced: one with the sample's own bytes (an earlier run
// wrote it) is left as it is, anything else (the user's file, a link) is kept and named in
// `kept`. New files go in through a temporary name and a rename that refuses to replace.
std::string writeBytes(const fs::path& path, const void* data, std::size_t size, std::vector<std::string>& kept) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec))) {
        if (!holdsExactly(path, data, size)) kept.push_back(path.string());
        return "";
    }
    std::string error = imaging::writeFileAtomically(path.string(), static_cast<const std::uint8_t*>(data), size,
                                                     imaging::ExistingFile::Keep);
    if (error.find("already exists") != std::string::npos) {
        kept.push_back(path.string());  // appeared while it was written
        return "";
    }
    return error;
}

std::string writeJpeg(const ImageBuffer& img, const fs::path& path, std::vector<std::string>& kept) {
    std::vector<std::uint8_t> bytes;
    const std::string err = imaging::encodeJpegTo(img, bytes, kJpegQuality);
    if (!err.empty()) return "cannot encode \"" + path.string() + "\": " + err;
    return writeBytes(path, bytes.data(), bytes.size(), kept);
}

// A rover camera frame: stretched like a raw product, grey, with a trace of sensor noise.
ImageBuffer roverFrame(Raster r, unsigned noiseSeed) {
    stretch(r, kBroadband, 0.003f, 0.997f);
    return toGreyImage(r, kBroadband, 1.5f, noiseSeed);
}

// The dust-devil scene as grey levels (0..255), rendered once for every frame of the sequence.
std::vector<float> dustDevilScene() {
    SceneParams s = gusev(486);
    s.hillAmplitude = 25.0f;
    s.hillStart = 400.0f;
    s.hillEnd = 1500.0f;
    const Terrain t(s);
    Raster r = renderView(t, navcam(kDustDevilYaw, kDustDevilHorizon));
    // Exposed for the bright sky, which keeps the devil against it clear of saturation.
    stretch(r, kBroadband, 0.003f, 0.997f, 0.04f, 0.85f);
    std::vector<float> grey(static_cast<std::size_t>(kSide) * kSide);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const Rgb& p = r.at(x, y);
            grey[static_cast<std::size_t>(y) * kSide + static_cast<std::size_t>(x)] =
                255.0f * (p.r * kBroadband.r + p.g * kBroadband.g + p.b * kBroadband.b);
        }
    return grey;
}

// Frame i of the dust-devil sequence. The exposure of each frame is a little off (gain within
// 1.5 %, offset within 2 levels) and its noise is its own. Taking the frames' median away leaves
// the gain as a shift that grows with the scene's brightness, so it is kept small enough for the
// devil to stay the brightest thing left, by a few levels, whichever way a frame's gain went.
ImageBuffer dustDevilFrameImage(const std::vector<float>& scene, int i) {
    Rng rng(600u + static_cast<unsigned>(i));
    const float gain = 1.0f + rng.range(-0.015f, 0.015f);
    const float offset = rng.range(-2.0f, 2.0f);
    double px = 0.0, py = 0.0;
    dustDevilPlace(i, px, py);
    const auto cx = static_cast<float>(px), cy = static_cast<float>(py);
    const float peak = 9.0f + std::sin(1.3f * static_cast<float>(i));  // grey levels, the devil pulses
    const float phase = 0.9f * static_cast<float>(i);
    ImageBuffer img(kSide, kSide);
    for (int y = 0; y < kSide; ++y) {
        // Height above the brightest point: the column leans downwind, sways, widens and fades
        // upward, and ends quickly below where its foot meets the ground.
        const float h = cy - (static_cast<float>(y) + 0.5f);
        const float along = h >= 0.0f ? std::exp(-h / 65.0f) : std::exp(-(h * h) / 49.0f);
        const float axis = cx + 0.12f * h + 3.0f * (std::sin(h / 23.0f + phase) - std::sin(phase));
        const float width = 7.0f + 0.06f * std::max(h, 0.0f);
        const float strength = h > 260.0f || h < -30.0f ? 0.0f : peak * along;
        std::uint8_t* row = img.row(y);
        for (int x = 0; x < kSide; ++x) {
            float v = gain * scene[static_cast<std::size_t>(y) * kSide + static_cast<std::size_t>(x)] + offset;
            if (strength > 0.0f) {
                const float d = (static_cast<float>(x) + 0.5f - axis) / width;
                if (d > -5.0f && d < 5.0f) v += strength * std::exp(-0.5f * d * d);
            }
            v += 4.0f * (rng.uniform() + rng.uniform() - 1.0f);  // about 1.6 levels rms
            const std::uint8_t b = v <= 0.0f ? 0 : v >= 254.5f ? 255 : static_cast<std::uint8_t>(v + 0.5f);
            row[3 * x + 0] = b;
            row[3 * x + 1] = b;
            row[3 * x + 2] = b;
        }
    }
    return img;
}

struct MapSet {
    const char* rover;
    std::uint32_t seed;
    int sols;
    int ranges[3][2];
};

constexpr MapSet kMapSets[] = {
    {"Opportunity", 1, 1000, {{1, 90}, {90, 400}, {400, 1000}}},
    {"Spirit", 2, 1200, {{1, 150}, {150, 600}, {600, 1200}}},
};

std::string mapFileName(const MapSet& m, int i) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "%s-Traverse-%02d-Sols-%04d-%04d.jpg", m.rover, i + 1, m.ranges[i][0],
                  m.ranges[i][1]);
    return buf;
}

}  // namespace

std::vector<SampleEntry> sampleEntries() {
    using K = SampleEntry::Kind;
    std::vector<SampleEntry> e = {
        {kOppPairL + ".JPG", K::Product, kSide, kSide, false, "Opportunity NAVCAM left eye, sol 3; stereo pair with the next"},
        {kOppPairR + ".JPG", K::Product, kSide, kSide, false, "Opportunity NAVCAM right eye, sol 3"},
        {kOppCruise + ".JPG", K::Product, kSide, kSide, false, "Opportunity PANCAM calibration star frame during the cruise"},
        {kOppPan4 + ".JPG", K::Product, kSide, kSide, false, "Opportunity PANCAM left, filter 4 (red), sol 40"},
        {kOppPan5 + ".JPG", K::Product, kSide, kSide, false, "Opportunity PANCAM left, filter 5 (green), same exposure"},
        {kOppPan6 + ".JPG", K::Product, kSide, kSide, false, "Opportunity PANCAM left, filter 6 (blue), same exposure"},
        {kOppRear + ".JPG", K::Product, kSide, kSide, false, "Opportunity rear HAZCAM left eye, sol 120"},
        {kSpiritHazR + ".JPG", K::Product, kSide, kSide, false, "Spirit front HAZCAM right eye without its left partner, sol 71"},
        {kSpiritMi + ".JPG", K::Product, kSide, kSide, false, "Spirit Microscopic Imager, soil close-up, sol 150"},
        {kSpiritAnaglyph + ".jpg", K::Combined, kSide, kSide, true, "red/cyan anaglyph of the Spirit sol 13 NAVCAM pair"},
        {kSpiritPairL + ".JPG", K::Product, kSide, kSide, false, "Spirit NAVCAM left eye, sol 13; stereo pair with the right eye"},
        {kSpiritPairL + ".LBL", K::Label, 0, 0, false, "text label of the Spirit sol 13 NAVCAM left image"},
        {kSpiritPairR + ".JPG", K::Product, kSide, kSide, false, "Spirit NAVCAM right eye, sol 13"},
        {kSpiritHills + ".JPG", K::Product, kSide, kSide, false, "Spirit NAVCAM left eye in the hills, sol 512"},
        {kPictureName, K::Picture, kPictureW, kPictureH, true, "a colour picture whose name is not a product identifier"},
    };
    // The panorama frames follow the sol 13 pair in the listing (their clock is later).
    auto at = std::find_if(e.begin(), e.end(), [](const SampleEntry& x) { return x.name == kSpiritHills + ".JPG"; });
    std::vector<SampleEntry> pano;
    for (int i = 0; i < kPanoramaFrames; ++i)
        for (char eye : {'L', 'R'}) {
            const std::string what = std::string("Spirit NAVCAM ") + (eye == 'L' ? "left" : "right") +
                                     " eye, sol 48, frame " + std::to_string(i + 1) + " of the stereo panorama P0730";
            pano.push_back({panoramaFrame(i, eye) + ".JPG", K::Product, kSide, kSide, false, what});
            pano.push_back({panoramaFrame(i, eye) + ".LBL", K::Label, 0, 0, false, "detached label of " + what});
        }
    e.insert(at, pano.begin(), pano.end());
    // So do the dust-devil frames, of sol 486.
    at = std::find_if(e.begin(), e.end(), [](const SampleEntry& x) { return x.name == kSpiritHills + ".JPG"; });
    std::vector<SampleEntry> devil;
    for (int i = 0; i < kDustDevilFrames; ++i)
        devil.push_back(
            {dustDevilFrame(i) + ".JPG", K::Product, kSide, kSide, false,
             "Spirit NAVCAM left eye, sol 486, frame " + std::to_string(i + 1) + " of the dust-devil sequence P1853"});
    e.insert(at, devil.begin(), devil.end());
    return e;
}

std::vector<std::string> sampleImageNames() {
    std::vector<std::string> names;
    for (const SampleEntry& e : sampleEntries()) names.push_back(e.name);
    return names;
}

SamplePanorama samplePanorama() {
    SamplePanorama p;
    p.sequence = "P0730";
    for (int i = 0; i < kPanoramaFrames; ++i) {
        p.left.push_back(panoramaFrame(i, 'L') + ".JPG");
        p.right.push_back(panoramaFrame(i, 'R') + ".JPG");
        p.azimuths.push_back(static_cast<double>(kPanoramaFirstAzimuth + kPanoramaStep * static_cast<float>(i)));
    }
    p.elevation = static_cast<double>(panoramaElevation());
    p.fieldOfView = 45.0;
    p.frameSide = kSide;
    return p;
}

SampleDustDevil sampleDustDevil() {
    SampleDustDevil d;
    d.sequence = "P1853";
    for (int i = 0; i < kDustDevilFrames; ++i) {
        d.frames.push_back(dustDevilFrame(i) + ".JPG");
        double x = 0.0, y = 0.0;
        dustDevilPlace(i, x, y);
        d.x.push_back(x);
        d.y.push_back(y);
    }
    d.frameSide = kSide;
    return d;
}

std::vector<std::string> sampleDirectories() {
    return {"All-MER-Images",          "ImageCategories",         "ImageCategories/Anaglyphs",
            "ImageCategories/Colour",  "ImageCategories/Colour/456_RGB", "Traverse-Maps",
            "Traverse-Maps/Opportunity", "Traverse-Maps/Spirit"};
}

std::vector<std::string> sampleMapNames() {
    std::vector<std::string> names;
    for (const MapSet& m : kMapSets)
        for (int i = 0; i < 3; ++i) names.push_back(std::string("Traverse-Maps/") + m.rover + "/" + mapFileName(m, i));
    return names;
}

std::string writeSampleDirectory(const std::string& dir, std::vector<std::string>* keptFiles) {
    if (dir.empty()) return "no sample directory given";
    const fs::path root(dir);
    if (std::string err = ensureDirectory(root, true); !err.empty()) return err;
    for (const std::string& sub : sampleDirectories())
        if (std::string err = ensureDirectory(root / sub, false); !err.empty()) return err;
    // Half-written files of a run that was killed go before the files are looked at.
    imaging::removeStaleTemporaryFiles(root.string());
    for (const std::string& sub : sampleDirectories()) imaging::removeStaleTemporaryFiles((root / sub).string());

    std::vector<std::string> kept;
    std::string err;
    auto put = [&](const ImageBuffer& img, const std::string& name) {
        if (err.empty()) err = writeJpeg(img, root / name, kept);
    };

    // Opportunity, sol 3: NAVCAM stereo pair on the ripple plain.
    {
        const Terrain t(meridiani(301));
        CameraParams c = navcam(200.0f, 0.30f);
        const Raster l = renderView(t, c);
        c.baseline = kNavcamBaseline;
        const Raster r = renderView(t, c);
        put(roverFrame(l, 11), kOppPairL + ".JPG");
        put(roverFrame(r, 12), kOppPairR + ".JPG");
    }
    // Opportunity cruise: a star calibration frame.
    put(toGreyImage(starField(115, kSide, kSide), kBroadband, 3.0f, 13), kOppCruise + ".JPG");
    // Opportunity, sol 40: one PANCAM exposure through filters 4, 5 and 6.
    {
        const Terrain t(meridiani(402));
        CameraParams c = navcam(75.0f, 0.16f);
        c.hfovDeg = 16.0f;
        Raster colour = renderView(t, c);
        // One gain for all three bands keeps their ratios, hence the colour of a composite.
        stretch(colour, Rgb{1.0f, 0.0f, 0.0f}, -1.0f, 0.997f, 0.0f, 0.96f);
        put(band(colour, 0, 14), kOppPan4 + ".JPG");
        put(band(colour, 1, 15), kOppPan5 + ".JPG");
        put(band(colour, 2, 16), kOppPan6 + ".JPG");
    }
    // Opportunity, sol 120: rear HAZCAM.
    {
        const Terrain t(meridiani(512));
        put(roverFrame(renderView(t, hazcam(160.0f)), 17), kOppRear + ".JPG");
    }
    // Spirit, sol 71: front HAZCAM right eye only.
    {
        const Terrain t(gusev(171));
        CameraParams c = hazcam(20.0f);
        c.baseline = kHazcamBaseline;
        put(roverFrame(renderView(t, c), 18), kSpiritHazR + ".JPG");
    }
    // Spirit, sol 150: Microscopic Imager frame, 31 mm across.
    {
        const Terrain t(gusevSoilCloseUp(150));
        const Raster mi = renderOrtho(t, 0.0f, 0.0f, 0.031f / static_cast<float>(kSide), kSide, kSide, 1.0f);
        put(roverFrame(mi, 19), kSpiritMi + ".JPG");
    }
    // Spirit, sol 13: NAVCAM stereo pair, its anaglyph and a colour picture of the same plain.
    ImageBuffer spiritLeft;
    {
        const Terrain t(gusev(113));
        CameraParams c = navcam(40.0f, 0.26f);
        const Raster l = renderView(t, c);
        c.baseline = kNavcamBaseline;
        const Raster r = renderView(t, c);
        spiritLeft = roverFrame(l, 20);
        const ImageBuffer right = roverFrame(r, 21);
        put(spiritLeft, kSpiritPairL + ".JPG");
        put(right, kSpiritPairR + ".JPG");
        put(anaglyph(spiritLeft, right), kSpiritAnaglyph + ".jpg");

        CameraParams p = navcam(230.0f, 0.36f);
        p.width = kPictureW;
        p.height = kPictureH;
        p.hfovDeg = 60.0f;
        put(toImage(renderView(t, p), 1.0f, 22), kPictureName);
    }
    // Spirit, sol 512: among the hills.
    ImageBuffer hills;
    {
        SceneParams s = gusev(512);
        s.hillAmplitude = 30.0f;
        s.hillStart = 25.0f;
        s.hillEnd = 160.0f;
        s.hillWavelength = 160.0f;
        const Terrain t(s);
        hills = roverFrame(renderView(t, navcam(300.0f, 0.22f)), 23);
        put(hills, kSpiritHills + ".JPG");
    }
    // Spirit, sol 48: the stereo panorama, frames rendered from one mast position.
    {
        SceneParams s = gusev(748);
        s.hillAmplitude = 40.0f;
        s.hillStart = 40.0f;
        s.hillEnd = 220.0f;
        const Terrain t(s);
        for (int i = 0; i < kPanoramaFrames && err.empty(); ++i) {
            CameraParams c = navcam(kPanoramaFirstAzimuth + kPanoramaStep * static_cast<float>(i), 0.5f);
            put(roverFrame(renderTiltedView(t, c, kPanoramaPitch), 40u + 2u * static_cast<unsigned>(i)),
                panoramaFrame(i, 'L') + ".JPG");
            c.baseline = kNavcamBaseline;
            put(roverFrame(renderTiltedView(t, c, kPanoramaPitch), 41u + 2u * static_cast<unsigned>(i)),
                panoramaFrame(i, 'R') + ".JPG");
            for (char eye : {'L', 'R'}) {
                const std::string text = panoramaLabelText(i, eye);
                if (err.empty()) err = writeBytes(root / (panoramaFrame(i, eye) + ".LBL"), text.data(), text.size(), kept);
            }
        }
    }
    // Spirit, sol 486: the dust-devil watch, one rendering of the scene under every frame.
    {
        const std::vector<float> scene = dustDevilScene();
        for (int i = 0; i < kDustDevilFrames && err.empty(); ++i)
            put(dustDevilFrameImage(scene, i), dustDevilFrame(i) + ".JPG");
    }
    if (!err.empty()) return err;

    // The label is plain text beside its picture.
    {
        const std::string text = labelText();
        const fs::path p = root / (kSpiritPairL + ".LBL");
        if (std::string e = writeBytes(p, text.data(), text.size(), kept); !e.empty()) return e;
    }

    // A couple of images in the main image store.
    put(spiritLeft, "All-MER-Images/" + kSpiritPairL + ".JPG");
    put(hills, "All-MER-Images/" + kSpiritHills + ".JPG");

    // Traverse maps.
    for (const MapSet& m : kMapSets) {
        SceneParams s = m.seed == 1 ? meridiani(9001) : gusev(9002);
        s.hillStart = 0.0f;
        s.hillEnd = 1.0f;
        const Terrain t(s);
        const std::vector<MapPoint> path = traversePath(m.seed, m.sols);
        for (int i = 0; i < 3; ++i) {
            std::string upper = m.rover;
            for (char& ch : upper) ch = static_cast<char>(ch >= 'a' && ch <= 'z' ? ch - 'a' + 'A' : ch);
            const std::string title =
                upper + " TRAVERSE  SOLS " + std::to_string(m.ranges[i][0]) + "-" + std::to_string(m.ranges[i][1]);
            const Raster map = renderTraverseMap(t, path, m.ranges[i][0], m.ranges[i][1], title, kMapW, kMapH);
            put(toImage(map, 1.0f, 30u + static_cast<unsigned>(i)),
                std::string("Traverse-Maps/") + m.rover + "/" + mapFileName(m, i));
        }
    }
    if (keptFiles != nullptr) *keptFiles = std::move(kept);
    return err;
}

}  // namespace keldar::sample
