#include "core/archive/ProductSelection.h"

#include <algorithm>
#include <cctype>
#include <set>
#include <tuple>

namespace keldar::archive {

namespace {

bool isTypeWord(const std::string& t) {
    return t.size() == 3 && std::all_of(t.begin(), t.end(), [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

// Identifier positions: rover 0, camera 1, clock 2-10, type 11-13, eye 23, filter 24.
std::string typeOf(const std::string& id) { return id.substr(11, 3); }
std::string imageOf(const std::string& id) { return id.substr(0, 11) + id[23] + id[24]; }
bool notAPicture(const std::string& type) { return type == "ERP" || type == "EHG"; }

}  // namespace

std::optional<TypeChoice> parseTypeChoice(std::string_view text, std::string& error) {
    std::string s;
    for (char c : text) s += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    TypeChoice choice;
    if (s == "ALL") {
        choice.all = true;
        return choice;
    }
    std::size_t start = 0;
    while (start <= s.size()) {
        const std::size_t comma = std::min(s.find(',', start), s.size());
        std::string word = s.substr(start, comma - start);
        word.erase(0, word.find_first_not_of(' '));
        word.erase(word.find_last_not_of(' ') + 1);
        if (!isTypeWord(word)) {
            error = "a product type is three letters, such as EFF or EDN, or the word all; not \"" + word + "\"";
            return std::nullopt;
        }
        if (std::find(choice.types.begin(), choice.types.end(), word) == choice.types.end()) choice.types.push_back(word);
        start = comma + 1;
    }
    return choice;
}

int ProductSelection::leftOut() const {
    int n = 0;
    for (const auto& [type, count] : leftOutByType) n += count;
    return n;
}

ProductSelection selectProducts(int rover, const std::vector<IndexRow>& candidates, const TypeChoice& choice, bool edr) {
    ProductSelection s;
    // The images that have a larger picture among the rows than their thumbnail.
    std::set<std::string> shownLarger;
    for (const IndexRow& row : candidates) {
        const std::string id = row.productId();
        if (id.empty()) continue;
        const std::string type = typeOf(id);
        if (type != "ETH" && !notAPicture(type)) shownLarger.insert(imageOf(id));
    }
    std::set<std::string> taken;
    for (const IndexRow& row : candidates) {
        const std::string id = row.productId();
        if (id.empty()) {
            std::string said = row.text("PRODUCT_ID");
            if (said.empty()) said = row.text("FILE_NAME");
            s.dropped.push_back("an index row whose PRODUCT_ID \"" + said.substr(0, 64) + "\" is not 27 letters and digits");
            continue;
        }
        if ((edr ? dataPath(rover, row) : browsePath(rover, row)).empty()) {
            s.dropped.push_back(id + ": its index row gives a path outside the archive (\"" +
                                (row.text("PATH_NAME") + row.text("FILE_NAME")).substr(0, 120) + "\")");
            continue;
        }
        const std::string type = typeOf(id);
        bool wanted = true;
        if (choice.all) wanted = true;
        else if (!choice.types.empty()) wanted = std::find(choice.types.begin(), choice.types.end(), type) != choice.types.end();
        else if (notAPicture(type)) wanted = false;
        else if (type == "ETH") wanted = shownLarger.count(imageOf(id)) == 0;
        if (!wanted) {
            ++s.leftOutByType[type];
            continue;
        }
        if (!taken.insert(id).second) {
            ++s.duplicates;
            continue;
        }
        s.rows.push_back(row);
    }
    return s;
}

std::string leftOutText(const ProductSelection& selection) {
    std::string text;
    for (const auto& [type, count] : selection.leftOutByType)
        text += (text.empty() ? "" : ", ") + std::to_string(count) + " " + type;
    return text;
}

std::string cameraWord(char camera) {
    switch (camera) {
    case 'N': return "NAVCAM";
    case 'P': return "PANCAM";
    case 'F':
    case 'R': return "HAZCAM";
    case 'M': return "MI";
    case 'E': return "descent camera";
    default: return {};
    }
}

std::string nothingListedText(int rover, const std::vector<char>& cameras, int firstSol, int lastSol) {
    std::vector<std::string> words;
    for (char c : cameras) {
        const std::string w = cameraWord(c);
        if (!w.empty() && std::find(words.begin(), words.end(), w) == words.end()) words.push_back(w);
    }
    std::string which;
    for (std::size_t i = 0; i < words.size(); ++i)
        which += (i == 0 ? "" : i + 1 == words.size() ? " or " : ", ") + words[i];
    const std::string sols = firstSol == lastSol ? "sol " + std::to_string(firstSol)
                                                 : "sols " + std::to_string(firstSol) + "-" + std::to_string(lastSol);
    return "The archive lists no " + (which.empty() ? std::string() : which + " ") + "products of " +
           (rover == 1 ? "Opportunity" : "Spirit") + " for " + sols + ".";
}

}  // namespace keldar::archive
