// The UTF-8 check against a reference written from the well-formed byte sequences table of
// the Unicode standard, in another shape (code point decoded, then range-tested).

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "core/decode/Utf8.h"

namespace {

// Length of the well-formed sequence at text[i], or 0.
std::size_t referenceLength(std::string_view text, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<std::uint32_t>(static_cast<unsigned char>(text[k])); };
    const std::uint32_t lead = b(i);
    std::size_t length;
    std::uint32_t cp;
    if (lead < 0x80) return 1;
    if ((lead & 0xE0) == 0xC0) { length = 2; cp = lead & 0x1F; }
    else if ((lead & 0xF0) == 0xE0) { length = 3; cp = lead & 0x0F; }
    else if ((lead & 0xF8) == 0xF0) { length = 4; cp = lead & 0x07; }
    else return 0;
    if (text.size() - i < length) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    static constexpr std::uint32_t smallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < smallest[length]) return 0;              // overlong
    if (cp >= 0xD800 && cp <= 0xDFFF) return 0;       // surrogate
    if (cp > 0x10FFFF) return 0;
    return length;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    bool valid = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t got = keldar::decode::utf8SequenceLength(text, i);
        FUZZ_CHECK(got == referenceLength(text, i), "sequence length differs from the reference");
    }
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = referenceLength(text, i);
        if (length == 0) {
            valid = false;
            break;
        }
        i += length;
    }
    FUZZ_CHECK(keldar::decode::isValidUtf8(text) == valid, "validity differs from the reference");
    return 0;
}
