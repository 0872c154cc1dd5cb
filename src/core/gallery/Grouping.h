#pragma once
// The pictures of one directory grouped the way a user looks for them, for the gallery (a
// grid of thumbnails under group headings) and the contact sheet: by sol, camera and command
// sequence, with stereo pairs, PANCAM filter sets and sequences of frames marked. Pure and
// fast: names only, each decoded once, nothing opened.

#include <optional>
#include <string>
#include <vector>

namespace keldar::gallery {

struct GalleryItem {
    std::string path;
    std::string identifier;  // the 27 characters, upper case; "" for a non-product
    std::string ltst;        // "14:02:17", "" when none
    std::string tooltip;     // decoded rover, camera, eye, filter and UTC, several lines
    std::optional<int> sol;  // the mission sol of the clock; none for a non-product
    bool stereoPaired = false;
    bool inFilterSet = false;
};

enum class GroupKind {
    Products,  // one sol, camera and sequence of one rover
    MadeHere,  // anaglyphs and composites made from products, by their source's clock
    Other,     // names that are no product identifier
};

struct GalleryGroup {
    std::string heading;  // "Sol 100 - NAVCAM - P0703 - 12 frames, stereo"
    GroupKind kind = GroupKind::Products;
    int sol = -1;     // -1 for the made-here and other groups; 0 or less before landing
    char rover = 0;   // '1' or '2'; 0 for the made-here and other groups
    char camera = 0;  // identifier camera letter
    std::string sequence;
    std::vector<GalleryItem> items;
    int frames = 0;  // distinct products: a JPEG beside the PDS product of one identifier is one
    bool stereo = false;
    bool filterSet = false;
    bool sequenceOfFrames = false;  // two or more frames of one eye and filter
};

// The groups of `paths` (names as on disk, either case), ordered by sol, camera, sequence and
// rover, then the made-here group and the other pictures, each left out when empty. Items
// within a group are in clock order, then by name.
std::vector<GalleryGroup> groupPictures(const std::vector<std::string>& paths);

// The gallery's filter fields; an empty field lets everything through.
struct GalleryFilter {
    std::optional<char> camera;  // identifier camera letter, either case
    std::optional<char> eye;     // 'L', 'R', 'M', 'N', either case
    std::string productType;     // "EFF" etc., either case; "" any
    std::optional<int> firstSol, lastSol;
    std::string text;  // a part of the identifier or the file name, without regard to case
};

// Whether `item` of `group` shows under `filter`. A picture that is no product passes only a
// filter that asks for nothing but text.
bool passes(const GalleryItem& item, const GalleryGroup& group, const GalleryFilter& filter);

}  // namespace keldar::gallery
