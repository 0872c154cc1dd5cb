#pragma once
// What the PDS reading files share: bytes in memory as a source, the label's text helpers and
// pointers, and the layout read from a label. Not part of the public interface.

#include "core/imaging/PdsImage.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace keldar::imaging {

// Bytes in memory: nothing is copied.
class PdsMemorySource final : public PdsSource {
public:
    PdsMemorySource(const std::uint8_t* data, std::size_t size) : data_(data), size_(data ? size : 0) {}
    std::uint64_t size() const override { return size_; }
    const std::uint8_t* fetch(std::uint64_t offset, std::size_t n, std::vector<std::uint8_t>&, std::string& error) const override {
        if (offset > size_ || n > size_ - offset) {
            error = "truncated file: " + std::to_string(n) + " bytes at byte " + std::to_string(offset) + " are past its end";
            return nullptr;
        }
        return data_ + offset;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

namespace pds {

// ---------------------------------------------------------------------------------------------
// Label text (PdsLabel.cpp)

bool isBlank(char c);
std::string_view trim(std::string_view s);
std::string upper(std::string_view s);
bool equalsNoCase(std::string_view a, std::string_view b);
std::string_view unquote(std::string_view s);
bool parseCount(std::string_view s, std::uint64_t& out);
std::string shortened(std::string_view s);
bool startsWith(std::string_view s, std::string_view prefix);
std::string_view skipLeadingBlanks(const std::uint8_t* data, std::size_t size);

// ^NAME = n | n <BYTES> | "file" | ("file", n) | ("file", n <BYTES>) -> the file it names ("" for
// this one) and the byte offset in it, checked against that file's size.
struct Pointer {
    std::string file;
    std::uint64_t count = 1;
    bool bytes = false;
};

std::string parsePointer(const PdsLabel& label, std::string_view pointerName, Pointer& out);
std::string pointerOffset(const PdsLabel& label, std::string_view pointerName, const Pointer& pointer,
                          std::uint64_t fileSize, std::uint64_t& offset);

// The labels of `source` and, with `wantLayout`, where its samples lie; `dataSource` (when
// given) receives the file the label names for them, if it is another.
PdsLayoutResult layoutOf(const PdsSource& source, bool wantLayout, std::unique_ptr<PdsSource>* dataSource);

// ---------------------------------------------------------------------------------------------
// Layout from a label (PdsLayout.cpp)

std::string layoutFromPds(const PdsLabel& label, const PdsSource& own, PdsImageLayout& L,
                          std::unique_ptr<PdsSource>& data);
// `labelSize` is where the VICAR label ends, counted from the first byte of the file.
std::string layoutFromVicar(std::uint64_t fileSize, std::uint64_t labelSize,
                            const std::vector<std::pair<std::string, std::string>>& items, PdsImageLayout& L);

// Where band `band`'s samples of `line` begin, as a byte offset from the image's first byte,
// and the bytes from one sample of a band to the next.
std::uint64_t rowOffset(const PdsImageLayout& L, int band, int line);
std::size_t sampleStep(const PdsImageLayout& L);

// Every sample type is turned into an unsigned "key" that sorts like the value: flipping the
// top bit of a two's-complement number gives offset binary. `f(x, key)` for each of `count`
// samples `step` bytes apart.
template <typename F>
void forEachKey(const std::uint8_t* p, int count, std::size_t step, const PdsImageLayout& L, F&& f) {
    if (L.bits == 8) {
        const unsigned flip = L.isSigned ? 0x80u : 0u;
        for (int x = 0; x < count; ++x, p += step) f(x, p[0] ^ flip);
    } else {
        const unsigned flip = L.isSigned ? 0x8000u : 0u;
        if (L.bigEndian) {
            for (int x = 0; x < count; ++x, p += step) f(x, ((unsigned{p[0]} << 8) | p[1]) ^ flip);
        } else {
            for (int x = 0; x < count; ++x, p += step) f(x, ((unsigned{p[1]} << 8) | p[0]) ^ flip);
        }
    }
}

// The linear 2 %-98 % stretch of `n` keys counted in `histogram`: the grey level of every key
// into `lut` (resized to the histogram), and the low and high keys it maps to 0 and 255.
template <typename Count>
std::pair<int, int> stretchLut(const std::vector<Count>& histogram, std::uint64_t n, std::vector<std::uint8_t>& lut) {
    const auto keyAtRank = [&histogram](std::uint64_t rank) {
        std::uint64_t seen = 0;
        for (std::size_t k = 0; k < histogram.size(); ++k) {
            seen += histogram[k];
            if (seen >= rank) return static_cast<int>(k);
        }
        return static_cast<int>(histogram.size()) - 1;
    };
    const int low = keyAtRank(std::max<std::uint64_t>(1, (2 * n + 99) / 100));
    const int high = keyAtRank(std::max<std::uint64_t>(1, (98 * n + 99) / 100));
    lut.resize(histogram.size());
    for (int k = 0; k < static_cast<int>(lut.size()); ++k) {
        if (k <= low && k < high) lut[k] = 0;
        else if (k >= high && k > low) lut[k] = 255;
        else if (low == high) lut[k] = 128;  // k == low == high: a flat picture, not a division by zero
        else lut[k] = static_cast<std::uint8_t>(((k - low) * 255 + (high - low) / 2) / (high - low));
    }
    return {low, high};
}

}  // namespace pds

}  // namespace keldar::imaging
