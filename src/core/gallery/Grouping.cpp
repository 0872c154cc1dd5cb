#include "core/gallery/Grouping.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <string_view>
#include <tuple>
#include <utility>

#include "core/decode/ProductIdentifier.h"
#include "core/sequence/SequenceFrames.h"
#include "core/time/MissionTime.h"

namespace keldar::gallery {

namespace {

// PANCAM takes the filters of one pointing within a minute or two; the next pointing of a
// sequence comes back to the same filters, which is where one set ends and the next begins.
constexpr std::int32_t kFilterSetSeconds = 300;

char upperChar(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = upperChar(c);
    return out;
}

std::string lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool isPictureName(std::string_view upperName) {
    const auto dot = upperName.rfind('.');
    if (dot == std::string_view::npos) return false;
    const std::string_view ext = upperName.substr(dot);
    return ext == ".JPG" || ext == ".JPEG" || ext == ".IMG" || ext == ".BMP";
}

// One picture named by a product (or made from one), with what the grouping compares.
struct Entry {
    std::size_t input = 0;  // index into the paths given
    std::string identifier, sequence;
    std::string_view name;  // within the path given
    std::int32_t clock = 0;
    char rover = 0, camera = 0, eye = 0, filter = 0;
    int sol = 0;
    // Camera, sequence and rover in one number, in that order of significance, so that sorting
    // twenty thousand names does not compare strings.
    std::uint64_t slot = 0;
    std::string ltst, tooltip;
};

// The entry of a decoded upper-case name, or none when its clock gives no mission time.
std::optional<Entry> entryOf(decode::DecodedIdentifier& id, std::size_t input, std::string_view name, bool madeHere) {
    const std::optional<time::MissionTime> t = time::missionTimeOf(id);
    const std::optional<time::Rover> rover = time::roverForDigit(id.roverDigit);
    if (!t || !rover) return std::nullopt;
    Entry e;
    e.input = input;
    e.name = name;
    e.clock = id.clockValue;
    e.rover = id.roverDigit[0];
    e.camera = id.cameraLetter.empty() ? 0 : id.cameraLetter[0];
    e.eye = id.eyeLetter.empty() ? 0 : id.eyeLetter[0];
    e.filter = id.filterDigit.empty() ? '0' : id.filterDigit[0];
    e.sol = t->sol;
    e.slot = static_cast<unsigned char>(e.camera);
    for (const char c : id.sequence) e.slot = e.slot << 8 | static_cast<unsigned char>(c);
    e.slot = e.slot << 8 | static_cast<unsigned char>(e.rover);
    e.ltst = time::formatSolarTime(t->ltstHours);
    std::string& tip = e.tooltip;
    tip.reserve(200);
    if (madeHere) tip.append(name).append("\nmade here from ");
    tip.append(id.identifier).append("\n").append(time::roverName(*rover)).append(", ");
    tip.append(id.cameraText ? *id.cameraText : id.cameraLetter).append("\n");
    tip.append(id.eyeText ? *id.eyeText : id.eyeLetter).append(", ").append(id.filterText).append("\n");
    tip.append(t->utcIso).append(" UTC\nSol ").append(std::to_string(t->sol)).append(", ");
    tip.append(e.ltst).append(" LTST");
    e.identifier = std::move(id.identifier);
    e.sequence = std::move(id.sequence);
    return e;
}

GalleryItem itemOf(Entry& e, const std::vector<std::string>& paths) {
    GalleryItem item;
    item.path = paths[e.input];
    item.identifier = std::move(e.identifier);
    item.ltst = std::move(e.ltst);
    item.tooltip = std::move(e.tooltip);
    item.sol = e.sol;
    return item;
}

std::string count(int n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

// What marks a group of one sol, camera and sequence, and which of its items take part:
// `frames` holds each product once, in clock order.
struct Marks {
    std::vector<bool> stereo, filterSet;   // per frame
    std::vector<std::string> filterCodes;  // "L4", ... of the filter sets
    int filterSets = 0;
    bool sequenceOfFrames = false;
};

Marks markFrames(const std::vector<const Entry*>& frames) {
    Marks m;
    m.stereo.assign(frames.size(), false);
    m.filterSet.assign(frames.size(), false);
    // Stereo: a left and a right frame of one clock and filter; frames of one clock are adjacent.
    for (std::size_t i = 0; i < frames.size();) {
        std::size_t end = i;
        while (end < frames.size() && frames[end]->clock == frames[i]->clock) ++end;
        for (std::size_t a = i; a < end; ++a)
            for (std::size_t b = i; b < end; ++b)
                if (frames[a]->eye == 'L' && frames[b]->eye == 'R' && frames[a]->filter == frames[b]->filter)
                    m.stereo[a] = m.stereo[b] = true;
        i = end;
    }
    // A sequence: two or more frames of one eye and filter.
    std::vector<std::pair<std::pair<char, char>, int>> perLook;
    for (const Entry* f : frames) {
        const std::pair<char, char> look{f->eye, f->filter};
        auto at = std::find_if(perLook.begin(), perLook.end(), [&](const auto& p) { return p.first == look; });
        if (at == perLook.end()) {
            perLook.emplace_back(look, 1);
        } else if (++at->second >= 2) {
            m.sequenceOfFrames = true;
        }
    }
    // Filter sets: PANCAM frames of one eye through different filters within a few minutes.
    if (frames.empty() || frames.front()->camera != 'P') return m;
    std::string eyes;
    for (const Entry* f : frames)
        if (eyes.find(f->eye) == std::string::npos) eyes += f->eye;
    for (const char eye : eyes) {
        std::vector<std::size_t> set;
        std::string filters;
        const auto close = [&] {
            if (set.size() >= 2) {
                ++m.filterSets;
                for (const std::size_t k : set) {
                    m.filterSet[k] = true;
                    const std::string code{eye, frames[k]->filter};
                    if (std::find(m.filterCodes.begin(), m.filterCodes.end(), code) == m.filterCodes.end())
                        m.filterCodes.push_back(code);
                }
            }
            set.clear();
            filters.clear();
        };
        for (std::size_t k = 0; k < frames.size(); ++k) {
            if (frames[k]->eye != eye) continue;
            if (!set.empty() && (filters.find(frames[k]->filter) != std::string::npos ||
                                 frames[k]->clock - frames[set.front()]->clock > kFilterSetSeconds))
                close();
            set.push_back(k);
            filters += frames[k]->filter;
        }
        close();
    }
    std::sort(m.filterCodes.begin(), m.filterCodes.end());
    return m;
}

GalleryGroup productGroup(std::vector<Entry*>::iterator first, std::vector<Entry*>::iterator last,
                          const std::vector<std::string>& paths) {
    GalleryGroup g;
    const Entry& head = **first;
    g.sol = head.sol;
    g.rover = head.rover;
    g.camera = head.camera;
    g.sequence = head.sequence;
    // Entries are sorted by clock, then identifier: a product's pictures lie side by side.
    std::vector<const Entry*> frames;
    std::vector<std::size_t> frameOf;
    for (auto it = first; it != last; ++it) {
        if (frames.empty() || frames.back()->identifier != (*it)->identifier) frames.push_back(*it);
        frameOf.push_back(frames.size() - 1);
    }
    const Marks marks = markFrames(frames);
    g.frames = static_cast<int>(frames.size());
    g.stereo = std::find(marks.stereo.begin(), marks.stereo.end(), true) != marks.stereo.end();
    g.filterSet = marks.filterSets > 0;
    g.sequenceOfFrames = marks.sequenceOfFrames;
    std::size_t k = 0;
    for (auto it = first; it != last; ++it, ++k) {
        GalleryItem item = itemOf(**it, paths);
        item.stereoPaired = marks.stereo[frameOf[k]];
        item.inFilterSet = marks.filterSet[frameOf[k]];
        g.items.push_back(std::move(item));
    }
    // The heading, less the camera part, which depends on the neighbours.
    g.heading = " - " + g.sequence + " - " + count(g.frames, "frame", "frames");
    std::string what;
    if (g.stereo) what = "stereo";
    if (g.filterSet) {
        if (!what.empty()) what += ", ";
        what += marks.filterSets == 1 ? "filter set" : std::to_string(marks.filterSets) + " filter sets";
        for (const std::string& code : marks.filterCodes) what += " " + code;
    }
    if (what.empty() && g.sequenceOfFrames) what = "sequence";
    if (!what.empty()) g.heading += ", " + what;
    return g;
}

}  // namespace

std::vector<GalleryGroup> groupPictures(const std::vector<std::string>& paths) {
    std::vector<Entry> products, madeHere;
    std::vector<std::size_t> others;
    products.reserve(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string_view name = decode::baseName(paths[i]);
        const std::string upperName = upper(name);  // the archive writes names in lower case
        if (isPictureName(upperName)) {
            // The products are those sequence::productPictures takes, decoded here once and
            // without its copies, which would cost more than the decoding; a name cut short of a
            // whole identifier is none, whatever its first characters.
            decode::DecodedIdentifier id = decode::decodeProductIdentifier(upperName);
            if (id.validIdentifier && id.clockValid && id.identifier.size() == 27) {
                const bool made = id.combinedProduct;
                if (made || upperName[27] == '.') {
                    if (std::optional<Entry> e = entryOf(id, i, name, made)) {
                        (made ? madeHere : products).push_back(std::move(*e));
                        continue;
                    }
                }
            }
        }
        others.push_back(i);
    }

    std::vector<Entry*> order;
    order.reserve(products.size());
    for (Entry& e : products) order.push_back(&e);
    std::sort(order.begin(), order.end(), [](const Entry* a, const Entry* b) {
        return std::tie(a->sol, a->slot, a->clock, a->identifier, a->name) <
               std::tie(b->sol, b->slot, b->clock, b->identifier, b->name);
    });
    std::vector<GalleryGroup> groups;
    for (auto first = order.begin(); first != order.end();) {
        const Entry& h = **first;
        auto last =
            std::find_if(first, order.end(), [&](const Entry* e) { return e->sol != h.sol || e->slot != h.slot; });
        groups.push_back(productGroup(first, last, paths));
        first = last;
    }
    // Both rovers may have a sequence of one number on one sol: only then does the heading say whose.
    for (std::size_t i = 0; i < groups.size(); ++i) {
        GalleryGroup& g = groups[i];
        const auto sameSlot = [&](std::size_t j) {
            return j < groups.size() && groups[j].sol == g.sol && groups[j].camera == g.camera &&
                   groups[j].sequence == g.sequence;
        };
        std::string camera = sequence::cameraWord(g.camera);
        if ((i > 0 && sameSlot(i - 1)) || sameSlot(i + 1))
            camera = time::roverName(g.rover == '2' ? time::Rover::Spirit : time::Rover::Opportunity) + " " + camera;
        g.heading =
            (g.sol >= 1 ? "Sol " + std::to_string(g.sol) : std::string("Before landing")) + " - " + camera + g.heading;
    }

    if (!madeHere.empty()) {
        std::sort(madeHere.begin(), madeHere.end(), [](const Entry& a, const Entry& b) {
            return std::tie(a.clock, a.identifier, a.name) < std::tie(b.clock, b.identifier, b.name);
        });
        GalleryGroup g;
        g.kind = GroupKind::MadeHere;
        g.heading = "Made here";
        for (Entry& e : madeHere) g.items.push_back(itemOf(e, paths));
        groups.push_back(std::move(g));
    }
    if (!others.empty()) {
        std::vector<std::pair<std::string, std::size_t>> byName;
        byName.reserve(others.size());
        for (const std::size_t i : others) byName.emplace_back(lower(decode::baseName(paths[i])), i);
        std::sort(byName.begin(), byName.end());
        GalleryGroup g;
        g.kind = GroupKind::Other;
        g.heading = "Other pictures";
        for (const auto& [key, i] : byName) {
            GalleryItem item;
            item.path = paths[i];
            item.tooltip = std::string(decode::baseName(paths[i]));
            g.items.push_back(std::move(item));
        }
        groups.push_back(std::move(g));
    }
    return groups;
}

bool passes(const GalleryItem& item, const GalleryGroup& group, const GalleryFilter& filter) {
    const bool asksFields =
        filter.camera || filter.eye || !filter.productType.empty() || filter.firstSol || filter.lastSol;
    if (asksFields) {
        const std::string& id = item.identifier;
        if (group.kind == GroupKind::Other || id.size() != 27 || !item.sol) return false;
        if (filter.camera && id[1] != upperChar(*filter.camera)) return false;
        if (filter.eye && id[23] != upperChar(*filter.eye)) return false;
        if (!filter.productType.empty() && id.compare(11, 3, upper(filter.productType)) != 0) return false;
        if (filter.firstSol && *item.sol < *filter.firstSol) return false;
        if (filter.lastSol && *item.sol > *filter.lastSol) return false;
    }
    if (filter.text.empty()) return true;
    const std::string text = lower(filter.text);
    return lower(item.identifier).find(text) != std::string::npos ||
           lower(decode::baseName(item.path)).find(text) != std::string::npos;
}

}  // namespace keldar::gallery
