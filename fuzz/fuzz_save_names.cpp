// Save-name rules over arbitrary directories, base names, suffixes, filter lists and chosen
// paths, with an existence test driven by the input. The name proposed must never be one the
// test reported as taken, and no result may grow beyond what its parts account for.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "core/imaging/AnaglyphNaming.h"
#include "core/imaging/ColourNaming.h"

namespace {

using namespace keldar::imaging;

bool endsWith(std::string_view text, std::string_view ending) {
    return text.size() >= ending.size() && text.substr(text.size() - ending.size()) == ending;
}

void checkProposal(FuzzedDataProvider& in) {
    const std::string directory = in.ConsumeRandomLengthString(64);
    const std::string base = in.ConsumeRandomLengthString(64);
    const std::string suffix = in.ConsumeRandomLengthString(32);
    const int mode = in.ConsumeIntegralInRange(0, 2);  // anaglyph, colour, solarized colour
    const int maxCounter = in.ConsumeIntegralInRange(0, 300);
    // The first `taken` counters exist, then the bits of `pattern` say which others do.
    const int taken = in.ConsumeIntegralInRange(0, 310);
    const std::uint64_t pattern = in.ConsumeIntegral<std::uint64_t>();

    // Every name a counter stands for: the "-0" name with ".jpg" that the rules check, and for
    // a colour composite also the proposed name with each extension the dialog writes. A
    // counter is taken when the first `taken` ones are, or when its bit of `pattern` is set.
    const std::string stem = base + suffix;
    const std::string marker = mode == 2 ? "-Solarized0" : "-0";
    std::map<std::string, int> counterOf;
    for (int c = maxCounter; c >= 1; --c) {
        counterOf[joinPath(directory, stem + "-0" + std::to_string(c) + ".jpg")] = c;
        if (mode == 0) continue;
        for (const char* extension : {".jpg", ".bmp"})
            counterOf.emplace(joinPath(directory, stem + marker + std::to_string(c) + extension), c);
    }
    const auto isTaken = [&](int c) { return c <= taken || ((pattern >> (c % 64)) & 1u); };
    std::set<std::string> reportedTaken;
    std::set<int> askedCounters;
    const auto exists = [&](const std::string& path) {
        const auto known = counterOf.find(path);
        FUZZ_CHECK(known != counterOf.end(), "asked for a name no counter stands for");
        askedCounters.insert(known->second);
        const bool yes = isTaken(known->second);
        if (yes) reportedTaken.insert(path);
        return yes;
    };
    const std::optional<AnaglyphNameProposal> p =
        mode == 0 ? proposeAnaglyphName(directory, base, suffix, exists, maxCounter)
                  : proposeColourName(directory, base, suffix, mode == 2, exists, maxCounter);
    int firstFree = 0;
    for (int c = 1; c <= maxCounter && firstFree == 0; ++c)
        if (!isTaken(c)) firstFree = c;
    if (!p) {
        FUZZ_CHECK(firstFree == 0 && static_cast<int>(askedCounters.size()) == maxCounter,
                   "gave up while a counter was free");
        return;
    }
    FUZZ_CHECK(p->counter >= 1 && p->counter <= maxCounter, "counter out of range");
    FUZZ_CHECK(p->counter == firstFree, "proposal is not the first free counter");
    const std::string checked = joinPath(directory, p->relativeName);
    FUZZ_CHECK(!reportedTaken.contains(checked), "proposed a name reported as existing");
    // What the dialog saves when it adds the extension: never a taken name.
    const std::string saved = anaglyphSaveTarget(p->proposedPath + ".jpg", kAnaglyphJpegFilter).path;
    FUZZ_CHECK(!reportedTaken.contains(saved), "the saved name of the proposal was reported as existing");
    if (mode != 2) FUZZ_CHECK(saved == checked, "the name checked is not the name proposed");
    const std::size_t parts = base.size() + suffix.size() + 11 + 10;  // "-Solarized0" + counter
    FUZZ_CHECK(p->relativeName.size() <= parts + 4, "relative name too long");
    FUZZ_CHECK(p->proposedPath.size() <= directory.size() + 1 + parts, "proposed path too long");
    FUZZ_CHECK(endsWith(p->relativeName, ".jpg"), "relative name does not end in .jpg");
}

void checkFilters(FuzzedDataProvider& in) {
    const std::string text = in.ConsumeRandomLengthString(128);
    const std::string chosen = in.ConsumeRandomLengthString(96);
    const int preselected = in.ConsumeIntegralInRange(-1, 8);
    const std::vector<SaveFilter> filters = parseSaveFilters(text);
    FUZZ_CHECK(filters.size() <= text.size() / 2 + 1, "more filters than separators allow");
    const int index = filterIndexForName(chosen, filters, preselected);
    if (index != preselected) {
        FUZZ_CHECK(index >= 1 && index <= static_cast<int>(filters.size()), "filter index outside the list");
        const std::string lastComponent = chosen.substr(chosen.find_last_of('/') + 1);  // npos + 1 is 0
        FUZZ_CHECK(matchesSaveFilter(lastComponent, filters[static_cast<std::size_t>(index - 1)]),
                   "picked a filter the name does not match");
    }

    const AnaglyphSaveTarget target = anaglyphSaveTarget(chosen, index);
    const bool jpeg = index == kAnaglyphJpegFilter;
    FUZZ_CHECK((target.format == AnaglyphFileFormat::Jpeg) == jpeg, "format does not follow the filter");
    FUZZ_CHECK(endsWith(target.path, jpeg ? ".jpg" : ".bmp"), "target lacks its extension");
    FUZZ_CHECK(target.path.size() <= chosen.size() + 4, "target longer than the chosen name and extension");
    FUZZ_CHECK(anaglyphSaveTarget(target.path, index).path == target.path, "target rule not stable");
    FUZZ_CHECK(pathStem(chosen).size() <= chosen.size(), "stem longer than the path");
}

void checkBands(FuzzedDataProvider& in) {
    const std::string eyePrefix = in.ConsumeRandomLengthString(40);
    const std::string extension = in.ConsumeRandomLengthString(8);
    const std::string fileName = in.ConsumeRandomLengthString(40);
    for (const Band band : kAllBands) {
        const std::string name = derivedBandName(eyePrefix, band, extension);
        FUZZ_CHECK(name.size() == eyePrefix.size() + 3 + extension.size(), "derived band name length");
    }
    const std::string code = bandFilterCode(fileName);
    FUZZ_CHECK(code.size() <= 2, "filter code longer than two characters");
    const BandPicks picks = bandsPickedBy(code.substr(0, 1), code.size() > 1 ? code.substr(1) : std::string());
    int picked = 0;
    for (const Band band : kAllBands) picked += picks[band] ? 1 : 0;
    FUZZ_CHECK(picked <= 1, "one product fills more than one band");
    const std::string straight = straightFilterSuffix(code, eyePrefix, extension);
    FUZZ_CHECK(straight.size() == 1 + code.size() + eyePrefix.size() + extension.size(), "straight suffix length");
    const std::string blended = blendedFilterSuffix(code, eyePrefix, extension);
    FUZZ_CHECK(blended.size() == 1 + code.size() + 3 * eyePrefix.size() + extension.size(), "blended suffix length");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    checkProposal(in);
    checkFilters(in);
    checkBands(in);
    return 0;
}
