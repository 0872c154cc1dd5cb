#pragma once
// How a saved anaglyph is named: the settings suffix that records the three slider
// positions, the "-0" counter that keeps a second save of the same settings from proposing
// the first one's name, the save filters with the rule that picks JPEG or BMP, and the stem
// rule that keeps "pair.jpg" from becoming "pair.jpg.jpg". No file is touched here: the
// existence test is handed in, so every rule runs without a disk.

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace keldar::imaging {

// "-B" + brightness + "C" + contrast + "M" + merge, positions in decimal: -B30C16M50.
std::string anaglyphSettingsSuffix(int brightness, int contrast, int merge);

// The counter ending: "-0" followed by the counter without leading zeros (1 gives "-01",
// 12 gives "-012").
std::string anaglyphCounterEnding(int counter);

// True for a name the anaglyph saves give: stem + "-B" n "C" n "M" n + "-0" n + extension.
bool isAnaglyphOutputName(std::string_view name);

// A file name without its directory and without its extension: "/data/2P1...M1.JPG" gives
// "2P1...M1", "X.IMG.JPG" gives "X.IMG".
std::string fileBaseName(std::string_view path);

// A path without the extension of its last component, where an extension is the part after
// the last dot when it is 1 to kMaxExtensionLength letters or digits; otherwise the path is
// returned unchanged. "/a/pair.jpg" gives "/a/pair", "/a.b/pair" stays "/a.b/pair", and
// "X.v2-B30C16M50-01" stays as it is.
inline constexpr std::size_t kMaxExtensionLength = 5;
std::string pathStem(std::string_view path);

// Joins a directory and a name with exactly one "/" between them.
std::string joinPath(std::string_view directory, std::string_view name);

struct AnaglyphNameProposal {
    int counter = 0;
    std::string relativeName;  // base + suffix + ending + ".jpg": what the existence test checks
    std::string proposedPath;  // directory + base + suffix + ending, without extension
};

// The first counter from 1 up whose relative name does not exist in `directory` (the test
// always asks for ".jpg", whatever format is saved later). Gives up after `maxCounter`
// tries, so a directory that answers "exists" for everything cannot hang the window.
inline constexpr int kMaxAnaglyphCounter = 9999;
std::optional<AnaglyphNameProposal> proposeAnaglyphName(
    std::string_view directory, std::string_view base, std::string_view suffix,
    const std::function<bool(const std::string& path)>& exists, int maxCounter = kMaxAnaglyphCounter);
// The same search with the proposed path ending in `proposedMarker` + counter instead of
// "-0" + counter; the existence test still asks for the "-0" name with ".jpg". With
// `savedExtensions` a counter is also taken when the proposed name exists with any of them,
// so the name proposed is free whichever of those formats is saved.
std::optional<AnaglyphNameProposal> proposeCounterName(
    std::string_view directory, std::string_view base, std::string_view suffix, std::string_view proposedMarker,
    const std::function<bool(const std::string& path)>& exists, int maxCounter = kMaxAnaglyphCounter,
    std::initializer_list<std::string_view> savedExtensions = {});

// One entry of a save dialog's filter list: what the user reads and the patterns it stands
// for, separated by ";" (as in "*.jpg;*.jpeg;*.bmp").
struct SaveFilter {
    std::string description;
    std::string patterns;
};

// The anaglyph save dialog's filter list, in the "description|patterns|..." form, and the
// 1-based index of the entry chosen when the dialog opens.
inline constexpr std::string_view kAnaglyphSaveFilterText =
    "All (*.jpg;*.jpeg;*.bmp;)|*.jpg;*.jpeg;*.bmp|JPEG Image File (*.jpg)|*.jpg|"
    "JPEG Image File (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp";
inline constexpr int kAnaglyphPreselectedFilter = 2;
// The one entry that writes JPEG; every other entry writes a 24-bit BMP file.
inline constexpr int kAnaglyphJpegFilter = 2;

// Splits "description|patterns|description|patterns". A trailing description without
// patterns is dropped.
std::vector<SaveFilter> parseSaveFilters(std::string_view text);

// Whether a file name matches one of the ";"-separated "*.ext" patterns (case ignored: the
// archive publishes ".JPG").
bool matchesSaveFilter(std::string_view fileName, const SaveFilter& filter);

// The filter a chosen name stands for when the dialog could not say which one the user
// picked: the preselected entry when the name matches it, otherwise the entry with the
// fewest patterns that matches (the most specific), otherwise the preselected entry.
int filterIndexForName(std::string_view fileName, const std::vector<SaveFilter>& filters, int preselected);

enum class AnaglyphFileFormat { Jpeg, Bmp };

// Filter index 2 writes JPEG (quality 100) to stem + ".jpg"; any other index a 24-bit BMP
// file to stem + ".bmp".
struct AnaglyphSaveTarget {
    AnaglyphFileFormat format = AnaglyphFileFormat::Jpeg;
    std::string path;
};
AnaglyphSaveTarget anaglyphSaveTarget(std::string_view chosenPath, int filterIndex);

}  // namespace keldar::imaging
