#include <algorithm>
#include <new>

#include "core/imaging/PdsImageInternal.h"

namespace keldar::imaging {

namespace pds {

std::uint64_t rowOffset(const PdsImageLayout& L, int band, int line) {
    const std::uint64_t bps = static_cast<std::uint64_t>(L.bits / 8);
    const std::uint64_t bandLine = static_cast<std::uint64_t>(L.samples) * bps;
    const std::uint64_t bands = static_cast<std::uint64_t>(L.bands);
    const std::uint64_t b = static_cast<std::uint64_t>(band), y = static_cast<std::uint64_t>(line);
    switch (L.storage) {
    case PdsBandStorage::Sequential: {
        const std::uint64_t record = L.linePrefix + bandLine + L.lineSuffix;
        return L.offset + (b * static_cast<std::uint64_t>(L.lines) + y) * record + L.linePrefix;
    }
    case PdsBandStorage::LineInterleaved:
        return L.offset + y * (L.linePrefix + bandLine * bands + L.lineSuffix) + L.linePrefix + b * bandLine;
    case PdsBandStorage::SampleInterleaved:
        return L.offset + y * (L.linePrefix + bandLine * bands + L.lineSuffix) + L.linePrefix + b * bps;
    }
    return L.offset;
}

std::size_t sampleStep(const PdsImageLayout& L) {
    const std::size_t bps = static_cast<std::size_t>(L.bits / 8);
    return L.storage == PdsBandStorage::SampleInterleaved ? bps * static_cast<std::size_t>(L.bands) : bps;
}

}  // namespace pds

namespace {

using pds::forEachKey;
using pds::rowOffset;
using pds::sampleStep;

// ---- samples to grey ----------------------------------------------------------------------



// The bytes one band of one line spans, from its first sample to its last.
std::size_t rowSpan(const PdsImageLayout& L) {
    const std::size_t bps = static_cast<std::size_t>(L.bits / 8);
    return (static_cast<std::size_t>(L.samples) - 1) * sampleStep(L) + bps;
}

}  // namespace

// Two passes over the samples, a band line at a time: the first counts every sample for the
// stretch, the second maps each line to grey or colour. Only one line's bytes are held.
struct PdsRowDecoder::Impl {
    std::unique_ptr<PdsSource> ownSource;  // when opened by path
    const PdsSource* labelSource = nullptr;
    std::unique_ptr<PdsSource> dataSource;  // a file the label names, else the label's own
    PdsImageLayout layout;
    PdsStretch stretch;
    std::vector<std::uint8_t> lut;
    std::vector<std::uint8_t> buffer;
    int used = 1;
    int next = 0;
    std::string error;

    const PdsSource& data() const { return dataSource ? *dataSource : *labelSource; }

    const std::uint8_t* bandLine(int band, int line) {
        return data().fetch(rowOffset(layout, band, line), rowSpan(layout), buffer, error);
    }

    std::string start() {
        PdsLayoutResult lr = pds::layoutOf(*labelSource, true, &dataSource);
        if (!lr.ok()) return lr.error;
        layout = lr.layout;
        const PdsImageLayout& L = layout;
        used = L.bands == 3 ? 3 : 1;
        const std::size_t step = sampleStep(L);
        // Exact percentiles from a histogram of every sample used: one pass, no sorting.
        std::vector<std::uint64_t> histogram;
        try {
            histogram.assign(std::size_t{1} << L.bits, 0);
            lut.resize(histogram.size());
        } catch (const std::bad_alloc&) {
            return "out of memory for a " + std::to_string(L.samples) + " x " + std::to_string(L.lines) + " image";
        }
        for (int band = 0; band < used; ++band) {
            for (int y = 0; y < L.lines; ++y) {
                const std::uint8_t* p = bandLine(band, y);
                if (p == nullptr) return error;
                forEachKey(p, L.samples, step, L, [&histogram](int, unsigned key) { ++histogram[key]; });
            }
        }
        const std::uint64_t n = static_cast<std::uint64_t>(L.lines) * static_cast<std::uint64_t>(L.samples) * used;
        const auto [low, high] = pds::stretchLut(histogram, n, lut);
        const int bias = L.isSigned ? (L.bits == 8 ? 0x80 : 0x8000) : 0;
        stretch = {low - bias, high - bias};
        return {};
    }

    bool row(std::uint8_t* out) {
        const PdsImageLayout& L = layout;
        const std::size_t step = sampleStep(L);
        const int y = next++;
        if (used == 1) {
            const std::uint8_t* p = bandLine(0, y);
            if (p == nullptr) return false;
            forEachKey(p, L.samples, step, L, [out, this](int x, unsigned key) {
                std::uint8_t* q = out + 3 * x;
                q[0] = q[1] = q[2] = lut[key];
            });
            return true;
        }
        // Bands are red, green, blue; the buffer holds blue, green, red.
        for (int band = 0; band < 3; ++band) {
            const std::uint8_t* p = bandLine(band, y);
            if (p == nullptr) return false;
            std::uint8_t* o = out + (2 - band);
            forEachKey(p, L.samples, step, L, [o, this](int x, unsigned key) { o[3 * x] = lut[key]; });
        }
        return true;
    }
};

PdsRowDecoder::PdsRowDecoder() : impl_(std::make_unique<Impl>()) {}
PdsRowDecoder::~PdsRowDecoder() = default;

std::string PdsRowDecoder::open(const std::string& path) {
    impl_ = std::make_unique<Impl>();
    auto file = std::make_unique<PdsFileSource>();
    if (std::string error = file->open(path); !error.empty()) return impl_->error = error;
    impl_->ownSource = std::move(file);
    impl_->labelSource = impl_->ownSource.get();
    if (std::string error = impl_->start(); !error.empty()) return impl_->error = path + ": " + error;
    return {};
}

std::string PdsRowDecoder::openSource(const PdsSource& source) {
    impl_ = std::make_unique<Impl>();
    impl_->labelSource = &source;
    if (std::string error = impl_->start(); !error.empty()) return impl_->error = error;
    return {};
}

int PdsRowDecoder::width() const { return impl_->layout.samples; }
int PdsRowDecoder::height() const { return impl_->layout.lines; }
const PdsStretch& PdsRowDecoder::stretch() const { return impl_->stretch; }
const std::string& PdsRowDecoder::error() const { return impl_->error; }

bool PdsRowDecoder::nextRow(std::uint8_t* out) {
    if (!impl_->error.empty() || impl_->next >= impl_->layout.lines) return false;
    return impl_->row(out);
}

namespace {

ImageResult decodeAll(PdsRowDecoder& decoder, const std::string& opened, PdsStretch* stretch) {
    ImageResult result;
    if (!opened.empty()) {
        result.error = opened;
        return result;
    }
    try {
        result.image = ImageBuffer(decoder.width(), decoder.height());
    } catch (const std::bad_alloc&) {
        result.error = "out of memory for a " + std::to_string(decoder.width()) + " x " + std::to_string(decoder.height()) +
                       " image";
        return result;
    }
    for (int y = 0; y < decoder.height(); ++y) {
        if (!decoder.nextRow(result.image.row(y))) {
            result.error = decoder.error();
            result.image = ImageBuffer();
            return result;
        }
    }
    if (stretch) *stretch = decoder.stretch();
    return result;
}

}  // namespace

ImageResult decodePdsImage(const std::uint8_t* data, std::size_t size, PdsStretch* stretch) {
    const PdsMemorySource source(data, size);
    PdsRowDecoder decoder;
    const std::string opened = decoder.openSource(source);
    return decodeAll(decoder, opened, stretch);
}

ImageResult readPdsImageFile(const std::string& path, PdsStretch* stretch) {
    PdsRowDecoder decoder;
    const std::string opened = decoder.open(path);
    ImageResult result = decodeAll(decoder, opened, stretch);
    if (!result.ok() && result.error.compare(0, path.size(), path) != 0) result.error = path + ": " + result.error;
    return result;
}

}  // namespace keldar::imaging
