#pragma once
// Which of the index rows a query found become files. A sol's rows hold, besides the pictures,
// reference-pixel strips (ERP) and histograms (EHG), which are not pictures, and 64 x 64
// thumbnails (ETH) of frames that are also there in full. By default every type but ERP and
// EHG is taken, and a thumbnail only when no larger product of its image is among the rows:
// for some sequences the thumbnails are all that came down. Rows that cannot name a file
// safely are dropped and named; a product listed twice is taken once.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/archive/ArchiveIndex.h"

namespace keldar::archive {

struct TypeChoice {
    bool all = false;                // every product type
    std::vector<std::string> types;  // these three-letter types only; none: the default rule
    bool isDefault() const { return !all && types.empty(); }
};

// "all", or three-letter product types separated by commas ("EFF,EDN"); case does not matter.
// nullopt with `error` set for anything else.
std::optional<TypeChoice> parseTypeChoice(std::string_view text, std::string& error);

struct ProductSelection {
    std::vector<IndexRow> rows;                 // to fetch, in the index's order
    std::vector<std::string> dropped;           // one line per row that names no safe file
    int duplicates = 0;                         // rows of a product already taken
    std::map<std::string, int> leftOutByType;   // rows left out by the type choice
    int leftOut() const;
};

// `candidates` are the query's rows, and the rows of its sols whose PRODUCT_ID is no
// identifier (they are dropped). `edr` chooses the data path, else the browse path, which
// must lie within the archive.
ProductSelection selectProducts(int rover, const std::vector<IndexRow>& candidates, const TypeChoice& choice, bool edr);

// "3 ERP, 3 ETH": the types left out and their counts.
std::string leftOutText(const ProductSelection& selection);

// "The archive lists no NAVCAM products of Spirit for sol 400." (sols 400-410 for a range).
std::string nothingListedText(int rover, const std::vector<char>& cameras, int firstSol, int lastSol);

// "NAVCAM", "PANCAM", "HAZCAM", "MI", "descent camera" for an identifier's camera letter.
std::string cameraWord(char camera);

}  // namespace keldar::archive
