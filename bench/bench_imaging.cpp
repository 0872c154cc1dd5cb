// Benchmarks of the imaging core: pixel functions, JPEG decode/encode and the anaglyph
// pipeline against a plain memcpy of the same bytes.
//
// Build Release for meaningful figures (see bench/CMakeLists.txt). Byte counters give the
// throughput in bytes of output picture per second.

#include "core/imaging/AnaglyphPipeline.h"
#include "core/imaging/ColourComposite.h"
#include "core/imaging/ImageFile.h"
#include "core/imaging/PixelFunctions.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>

namespace {

using namespace keldar::imaging;

// A picture with photograph-like content (smooth gradients plus noise), so that JPEG timings
// resemble those of real frames rather than of pure noise or flat colour.
ImageBuffer testPicture(int side, std::uint32_t seed) {
    ImageBuffer img(side, side);
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> noise(-12, 12);
    for (int y = 0; y < side; ++y) {
        std::uint8_t* row = img.row(y);
        for (int x = 0; x < side; ++x) {
            const int base = (x * 255 / side + y * 255 / side) / 2 + ((x / 32 + y / 32) % 2) * 30;
            for (int c = 0; c < 3; ++c) row[3 * x + c] = static_cast<std::uint8_t>(std::clamp(base + 10 * c + noise(rng), 0, 255));
        }
    }
    return img;
}

void setBytes(benchmark::State& state, const ImageBuffer& img) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(img.byteCount()));
}

// ---- anaglyph pipeline vs memcpy ------------------------------------------------------------

void BM_Memcpy(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const ImageBuffer src = testPicture(side, 1);
    ImageBuffer dst(side, side);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), src.byteCount());
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    setBytes(state, dst);
}
BENCHMARK(BM_Memcpy)->Arg(1024)->Arg(4096)->Unit(benchmark::kMicrosecond);

void BM_AnaglyphPipeline(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const ImageBuffer right = testPicture(side, 1);
    const ImageBuffer left = testPicture(side, 2);
    ImageBuffer out;
    buildAnaglyph(right, left, {}, out);  // first touch of the output outside the timing
    int merge = 0;
    for (auto _ : state) {
        // A slider drag: a different position each time, same output buffer.
        buildAnaglyph(right, left, {merge, 20, 35}, out);
        merge = (merge + 1) % 101;
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    setBytes(state, out);
}
BENCHMARK(BM_AnaglyphPipeline)->Arg(1024)->Arg(4096)->Unit(benchmark::kMicrosecond);

void BM_AnaglyphFromLayers(benchmark::State& state) {
    const ImageBuffer cyan = makeCyan(testPicture(1024, 1));
    const ImageBuffer red = makeRed(testPicture(1024, 2));
    ImageBuffer out;
    buildAnaglyphFromLayers(cyan, red, {}, out);
    for (auto _ : state) {
        buildAnaglyphFromLayers(cyan, red, {60, 20, 35}, out);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    setBytes(state, out);
}
BENCHMARK(BM_AnaglyphFromLayers)->Unit(benchmark::kMicrosecond);

void BM_AnaglyphSequential(benchmark::State& state) {
    const ImageBuffer right = testPicture(1024, 1);
    const ImageBuffer left = testPicture(1024, 2);
    ImageBuffer cyan, red, merged, contrasted, out;
    for (auto _ : state) {
        makeCyan(right, cyan);
        makeRed(left, red);
        mergeBitmaps(cyan, red, percentFraction(60), merged);
        contrastFunction(merged, 20, contrasted);
        brightnessFunction(contrasted, brightnessFraction(35), out);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    setBytes(state, out);
}
BENCHMARK(BM_AnaglyphSequential)->Unit(benchmark::kMicrosecond);

// ---- single pixel functions at 1024 x 1024 (output buffers reused) ---------------------------

template <typename F>
void runOneInput(benchmark::State& state, F f) {
    const ImageBuffer in = testPicture(1024, 3);
    ImageBuffer out;
    f(in, out);
    for (auto _ : state) {
        f(in, out);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    setBytes(state, out);
}

void BM_MakeCyan(benchmark::State& s) { runOneInput(s, [](const ImageBuffer& i, ImageBuffer& o) { makeCyan(i, o); }); }
void BM_MakeRed(benchmark::State& s) { runOneInput(s, [](const ImageBuffer& i, ImageBuffer& o) { makeRed(i, o); }); }
void BM_ContrastFunction(benchmark::State& s) {
    runOneInput(s, [](const ImageBuffer& i, ImageBuffer& o) { contrastFunction(i, 23, o); });
}
void BM_BrightnessFunction(benchmark::State& s) {
    runOneInput(s, [](const ImageBuffer& i, ImageBuffer& o) { brightnessFunction(i, brightnessFraction(40), o); });
}
void BM_Invert(benchmark::State& s) { runOneInput(s, [](const ImageBuffer& i, ImageBuffer& o) { invert(i, o); }); }
void BM_Solarize(benchmark::State& s) { runOneInput(s, [](const ImageBuffer& i, ImageBuffer& o) { solarize(i, 128, o); }); }
void BM_ControlGreen(benchmark::State& s) {
    runOneInput(s, [](const ImageBuffer& i, ImageBuffer& o) { controlGreen(i, 1.0f, o); });
}
BENCHMARK(BM_MakeCyan)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MakeRed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ContrastFunction)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BrightnessFunction)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Invert)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Solarize)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ControlGreen)->Unit(benchmark::kMicrosecond);

template <typename F>
void runTwoInputs(benchmark::State& state, F f) {
    const ImageBuffer a = testPicture(1024, 4);
    const ImageBuffer b = testPicture(1024, 5);
    ImageBuffer out;
    f(a, b, out);
    for (auto _ : state) {
        f(a, b, out);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    setBytes(state, out);
}

void BM_MergeBitmaps(benchmark::State& s) {
    runTwoInputs(s, [](const ImageBuffer& a, const ImageBuffer& b, ImageBuffer& o) { mergeBitmaps(a, b, 0.5f, o); });
}
void BM_MergeGreenRed(benchmark::State& s) {
    runTwoInputs(s, [](const ImageBuffer& a, const ImageBuffer& b, ImageBuffer& o) { mergeGreenRed(a, b, 179, o); });
}
void BM_CombineAllChannels(benchmark::State& s) {
    runTwoInputs(s, [](const ImageBuffer& a, const ImageBuffer& b, ImageBuffer& o) { combineAllChannels(a, b, a, o); });
}
void BM_CombineAllSliders(benchmark::State& s) {
    runTwoInputs(s, [](const ImageBuffer& a, const ImageBuffer& b, ImageBuffer& o) { combineAllSliders(b, a, b, o); });
}
BENCHMARK(BM_MergeBitmaps)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MergeGreenRed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CombineAllChannels)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CombineAllSliders)->Unit(benchmark::kMicrosecond);

void BM_SunsetFadePass(benchmark::State& state) {
    ImageBuffer img = testPicture(1024, 6);
    for (auto _ : state) {
        sunsetFadePass(img);
        benchmark::DoNotOptimize(img.data());
        benchmark::ClobberMemory();
    }
    setBytes(state, img);
}
BENCHMARK(BM_SunsetFadePass)->Unit(benchmark::kMicrosecond);

void BM_Mer2RgbCombination(benchmark::State& state) {
    const ImageBuffer r = testPicture(1024, 7), g = testPicture(1024, 8), b = testPicture(1024, 9);
    Mer2RgbImages images;
    for (auto _ : state) {
        if (!mer2rgbCombination(r, g, b, 70, 70, images).empty()) state.SkipWithError("mer2rgb failed");
        benchmark::DoNotOptimize(images.composite.data());
    }
    setBytes(state, images.composite);
}
BENCHMARK(BM_Mer2RgbCombination)->Unit(benchmark::kMillisecond);

// ---- JPEG --------------------------------------------------------------------------------

void BM_JpegDecode(benchmark::State& state) {
    const ImageBuffer img = testPicture(static_cast<int>(state.range(0)), 10);
    const std::vector<std::uint8_t> bytes = encodeJpeg(img, 100);
    ImageResult r;
    for (auto _ : state) {
        r = decodeJpeg(bytes.data(), bytes.size());
        if (!r.ok()) state.SkipWithError(r.error.c_str());
        benchmark::DoNotOptimize(r.image.data());
    }
    setBytes(state, img);
}
BENCHMARK(BM_JpegDecode)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);

void BM_JpegEncode(benchmark::State& state) {
    const ImageBuffer img = testPicture(static_cast<int>(state.range(0)), 11);
    std::vector<std::uint8_t> bytes;
    for (auto _ : state) {
        if (!encodeJpegTo(img, bytes, 100).empty()) state.SkipWithError("encode failed");
        benchmark::DoNotOptimize(bytes.data());
    }
    setBytes(state, img);
}
BENCHMARK(BM_JpegEncode)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);

void BM_BmpDecode(benchmark::State& state) {
    const ImageBuffer img = testPicture(1024, 12);
    std::vector<std::uint8_t> bytes;
    encodeBmpTo(img, bytes);
    for (auto _ : state) {
        ImageResult r = decodeBmp(bytes.data(), bytes.size());
        benchmark::DoNotOptimize(r.image.data());
    }
    setBytes(state, img);
}
BENCHMARK(BM_BmpDecode)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
