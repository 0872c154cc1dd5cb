// Any bytes as a file name, through everything the workbench computes for one selected
// image: the decoded fields, the Earth and Mars times, the Earth breakdown and the stereo
// partners, each partner decoded in turn and a second image computed from the carried state.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "core/decode/ProductIdentifier.h"
#include "core/time/EarthBreakdown.h"
#include "core/time/ImageData.h"

namespace {

using namespace keldar;

void computeAll(std::string_view name, const time::CarriedState& previous, const time::LocaleNames& names) {
    const time::ImageDataResult r = time::computeImageData(name, previous, names);
    const decode::DecodedIdentifier& d = r.decoded;
    FUZZ_CHECK(d.identifier.size() <= 27, "identifier longer than 27 characters");
    FUZZ_CHECK(decode::baseName(name).substr(0, d.identifier.size()) == d.identifier,
               "identifier is not the start of the base name");

    const time::EarthBreakdown e = time::breakDownClock(r.next.clockValue);
    FUZZ_CHECK(e.remainderSeconds >= 0 && e.remainderSeconds < 60, "seconds remainder out of range");
    FUZZ_CHECK(e.remainderMinutes >= 0 && e.remainderMinutes < 60, "minutes remainder out of range");
    FUZZ_CHECK(e.remainderHours >= 0 && e.remainderHours < 24, "hours remainder out of range");
    FUZZ_CHECK(!time::elapsedText(e).empty(), "empty elapsed text");
    FUZZ_CHECK(time::isoUtcText(r.captureTime).size() >= 24, "short ISO time");
    (void)time::wholeNumberText(r.mars.breakdown.totalSeconds);

    for (const char eye : {'L', 'R', d.eyeLetter.empty() ? 'X' : d.eyeLetter[0]}) {
        const std::string partner = decode::partnerName(d, eye);
        FUZZ_CHECK(partner.size() == d.identifier.size(), "partner name changed length");
        const decode::DecodedIdentifier p = decode::decodeProductIdentifier(partner);
        FUZZ_CHECK(p.identifier == partner, "partner name does not decode to itself");
    }

    // The next image inherits this one's clock, sol and rover text.
    (void)time::computeImageData(d.leftEyeName, r.next, names);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const time::LocaleNames names = time::LocaleNames::english();
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    computeAll(name, time::CarriedState{}, names);
    // Extreme carried values: the clock of a name that does not convert comes from here.
    time::CarriedState extreme;
    extreme.clockValue = size % 2 ? std::numeric_limits<std::int32_t>::min() : std::numeric_limits<std::int32_t>::max();
    extreme.currentSol = std::numeric_limits<std::int32_t>::max();
    extreme.roverTextDisplay = "2 Spirit";
    computeAll(name, extreme, names);
    return 0;
}
