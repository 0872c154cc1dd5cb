// make_panorama_frames DIR [FRAMES] [SIDE]: a NAVCAM-style panorama sequence for the panorama
// benchmark, rendered like the sample's (a tilted pinhole 45 degrees across, 10 degrees down)
// but larger: FRAMES frames (default 16) of SIDE x SIDE pixels (default 1024) spaced evenly
// round the full circle, each with a detached label giving its pointing.
#include "core/imaging/ImageFile.h"
#include "core/sample/Raster.h"
#include "core/sample/Terrain.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

using namespace keldar;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_panorama_frames DIR [FRAMES] [SIDE]\n");
        return 2;
    }
    const std::string dir = argv[1];
    const int frames = argc > 2 ? std::atoi(argv[2]) : 16;
    const int side = argc > 3 ? std::atoi(argv[3]) : 1024;
    if (frames < 2 || frames > 64 || side < 64 || side > 4096) {
        std::fprintf(stderr, "make_panorama_frames: FRAMES 2..64, SIDE 64..4096\n");
        return 2;
    }
    std::filesystem::create_directories(dir);
    sample::SceneParams scene;
    scene.seed = 916;
    scene.hillAmplitude = 40.0f;
    scene.hillStart = 40.0f;
    scene.hillEnd = 220.0f;
    scene.rockLayerCount = 3;
    scene.rocks[0] = {0.55f, 0.38f, 0.02f, 0.09f, 0.6f, 2.0f, 0.6f, 1.0f, 0.3f};
    scene.rocks[1] = {2.2f, 0.40f, 0.08f, 0.38f, 0.62f, 2.0f, 0.6f, 1.0f, 0.3f};
    scene.rocks[2] = {7.5f, 0.30f, 0.30f, 1.05f, 0.55f, 2.0f, 0.65f, 0.95f, 0.25f};
    scene.rippleAmplitude = 0.03f;
    scene.rippleWavelength = 2.2f;
    scene.rippleCoverage = 0.25f;
    const sample::Terrain terrain(scene);
    const sample::Rgb broadband{0.50f, 0.35f, 0.15f};
    for (int i = 0; i < frames; ++i) {
        sample::CameraParams cam;
        cam.yawDeg = 360.0f * static_cast<float>(i) / static_cast<float>(frames);
        cam.width = cam.height = side;
        cam.supersample = 1;
        sample::Raster r = sample::renderTiltedView(terrain, cam, -10.0f);
        sample::stretch(r, broadband, 0.003f, 0.997f);
        char id[40];
        std::snprintf(id, sizeof id, "2N%09dEFF4700P0731L0M1", 130640000 + 27 * i);
        const std::string error = imaging::writeJpegFile(
            sample::toGreyImage(r, broadband, 1.5f, 100u + static_cast<unsigned>(i)), dir + "/" + id + ".JPG", 90);
        if (!error.empty()) {
            std::fprintf(stderr, "make_panorama_frames: %s\n", error.c_str());
            return 1;
        }
        std::ofstream(dir + "/" + id + ".LBL")
            << "PDS_VERSION_ID = PDS3\r\nAZIMUTH_FOV = 45.0\r\nSITE_INSTRUMENT_AZIMUTH = " << cam.yawDeg
            << "\r\nSITE_INSTRUMENT_ELEVATION = -10.0\r\nEND\r\n";
    }
    return 0;
}
