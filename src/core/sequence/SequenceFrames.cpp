#include "core/sequence/SequenceFrames.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace keldar::sequence {

namespace fs = std::filesystem;

namespace {

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool isPicture(const std::string& path) {
    const std::string ext = upper(fs::path(path).extension().string());
    return ext == ".JPG" || ext == ".JPEG" || ext == ".IMG" || ext == ".BMP";
}

char upperChar(const std::string& s) { return s.empty() ? 0 : static_cast<char>(std::toupper(static_cast<unsigned char>(s[0]))); }

bool together(const Picture& a, const Picture& b) {
    return a.rover == b.rover && a.camera == b.camera && a.sequence == b.sequence && a.eye == b.eye && a.filter == b.filter;
}

}  // namespace

std::vector<Picture> productPictures(const std::vector<std::string>& paths) {
    std::vector<Picture> out;
    for (const std::string& path : paths) {
        if (!isPicture(path)) continue;
        Picture p;
        // The archive volumes write names in lower case: a frame is a frame whatever the case.
        p.id = decode::decodeProductIdentifier(upper(fs::path(path).filename().string()));
        if (!p.id.validIdentifier || p.id.combinedProduct || !p.id.clockValid) continue;
        p.path = path;
        p.identifier = upper(p.id.identifier);
        p.rover = p.id.roverDigit.empty() ? 0 : p.id.roverDigit[0];
        p.camera = upperChar(p.id.cameraLetter);
        p.eye = upperChar(p.id.eyeLetter);
        p.filter = p.id.filterDigit.empty() ? '0' : p.id.filterDigit[0];
        p.sequence = upper(p.id.sequence);
        out.push_back(std::move(p));
    }
    return out;
}

const Picture* firstOfSequence(const std::vector<Picture>& pictures, const SequenceQuery& query) {
    const std::string wanted = upper(query.sequence);
    const char eye = static_cast<char>(std::toupper(static_cast<unsigned char>(query.eye)));
    const Picture* single = nullptr;
    for (const Picture& p : pictures) {
        if (p.eye != eye || (query.camera && p.camera != *query.camera)) continue;
        if (!wanted.empty()) {
            if (p.sequence == wanted) return &p;
            continue;
        }
        if (query.eligible && !query.eligible(p.camera)) continue;  // look on for one that is
        // Without a sequence named, a lone frame (one of a stereo pair) is no sequence.
        const bool more = std::any_of(pictures.begin(), pictures.end(),
                                      [&](const Picture& o) { return together(p, o) && o.identifier != p.identifier; });
        if (more) return &p;
        if (single == nullptr) single = &p;
    }
    return single;
}

std::vector<const Picture*> framesOf(const std::vector<Picture>& pictures, const Picture& first) {
    std::vector<const Picture*> chosen;
    for (const Picture& p : pictures)
        if (together(p, first)) chosen.push_back(&p);
    std::stable_sort(chosen.begin(), chosen.end(), [](const Picture* a, const Picture* b) {
        if (a->id.clockValue != b->id.clockValue) return a->id.clockValue < b->id.clockValue;
        return a->identifier < b->identifier;
    });
    chosen.erase(std::unique(chosen.begin(), chosen.end(),
                             [](const Picture* a, const Picture* b) { return a->identifier == b->identifier; }),
                 chosen.end());
    return chosen;
}

std::vector<std::string> directoryPictures(const std::string& directory, std::string& error) {
    error.clear();
    std::vector<std::string> out;
    std::error_code ec;
    fs::directory_iterator it(directory, ec);
    if (ec) {
        error = "cannot read the directory \"" + directory + "\": " + ec.message();
        return out;
    }
    for (const fs::directory_entry& e : it) {
        std::error_code fec;
        if (!e.is_regular_file(fec)) continue;
        if (isPicture(e.path().string())) out.push_back(e.path().string());
    }
    std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) { return upper(a) < upper(b); });
    return out;
}

std::optional<SequenceQuery> queryForFrame(const std::string& path) {
    const decode::DecodedIdentifier id = decode::decodeProductIdentifier(upper(fs::path(path).filename().string()));
    if (!id.validIdentifier || id.combinedProduct) return std::nullopt;
    SequenceQuery q;
    q.sequence = upper(id.sequence);
    q.eye = upperChar(id.eyeLetter) == 'R' ? 'R' : 'L';
    q.camera = upperChar(id.cameraLetter);
    return q;
}

const char* cameraWord(char cameraLetter) {
    switch (cameraLetter) {
        case 'N':
            return "NAVCAM";
        case 'P':
            return "PANCAM";
        case 'F':
            return "front HAZCAM";
        case 'R':
            return "rear HAZCAM";
        case 'M':
            return "Microscopic Imager";
        case 'E':
            return "descent camera";
        default:
            return "unknown camera";
    }
}

const char* eyeWord(char eye) { return eye == 'R' ? "right" : "left"; }

}  // namespace keldar::sequence
