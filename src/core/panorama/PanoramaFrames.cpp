#include "core/panorama/PanoramaFrames.h"

#include "core/decode/ProductIdentifier.h"
#include "core/imaging/PdsImage.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace keldar::panorama {

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

// "144.003 <deg>", "\"45.0\"": the leading number, when there is one and it is finite.
std::optional<double> numberIn(const std::string* value) {
    if (value == nullptr) return std::nullopt;
    std::string text = *value;
    text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
    const char* start = text.c_str();
    char* end = nullptr;
    const double v = std::strtod(start, &end);
    if (end == start || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<double> firstOf(const imaging::PdsLabel& label,
                              std::initializer_list<std::pair<const char*, const char*>> places) {
    for (const auto& [object, name] : places)
        if (auto v = numberIn(label.find(object, name))) return v;
    return std::nullopt;
}

// The archive volumes write names in lower case ("2n292280938effb100p0703l0m1.img.jpg", and
// fetch --archive-names keeps them): a frame is a frame whatever the case of its name.
decode::DecodedIdentifier decodedName(const std::string& path) {
    return decode::decodeProductIdentifier(upper(fs::path(path).filename().string()));
}

struct Candidate {
    std::string path;
    decode::DecodedIdentifier id;
    char camera = 0, eye = 0, filter = 0, rover = 0;
    std::string sequence;
};

}  // namespace

const char* eyeWord(PanoramaEye eye) { return eye == PanoramaEye::Left ? "left" : "right"; }

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

void readPointing(PanoramaFrame& frame) {
    const fs::path picture(frame.path);
    std::vector<fs::path> labels;
    if (upper(picture.extension().string()) == ".IMG") {
        labels.push_back(picture);
    } else {
        const std::string stem = picture.stem().string();
        std::string lowerStem = stem;
        for (char& c : lowerStem) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        for (const std::string& name : {stem + ".LBL", stem + ".lbl", lowerStem + ".lbl", upper(stem) + ".LBL"})
            labels.push_back(picture.parent_path() / name);
    }
    for (const fs::path& path : labels) {
        std::error_code ec;
        if (!fs::is_regular_file(path, ec)) continue;
        const imaging::PdsLabelResult read = imaging::readPdsLabelFile(path.string());
        if (!read.ok()) continue;
        const imaging::PdsLabel& l = read.label;
        // The site frame is levelled, the rover frame tilts with the rover: the site's first.
        frame.azimuth = firstOf(l, {{"", "SITE_INSTRUMENT_AZIMUTH"},
                                    {"SITE_DERIVED_GEOMETRY_PARMS", "INSTRUMENT_AZIMUTH"},
                                    {"", "ROVER_INSTRUMENT_AZIMUTH"},
                                    {"ROVER_DERIVED_GEOMETRY_PARMS", "INSTRUMENT_AZIMUTH"}});
        frame.elevation = firstOf(l, {{"", "SITE_INSTRUMENT_ELEVATION"},
                                      {"SITE_DERIVED_GEOMETRY_PARMS", "INSTRUMENT_ELEVATION"},
                                      {"", "ROVER_INSTRUMENT_ELEVATION"},
                                      {"ROVER_DERIVED_GEOMETRY_PARMS", "INSTRUMENT_ELEVATION"}});
        frame.fieldOfView = firstOf(l, {{"", "AZIMUTH_FOV"}, {"INSTRUMENT_STATE_PARMS", "AZIMUTH_FOV"}});
        if (frame.fieldOfView && (*frame.fieldOfView <= 0.0 || *frame.fieldOfView >= 180.0)) frame.fieldOfView.reset();
        if (frame.elevation && std::fabs(*frame.elevation) > 90.0) frame.elevation.reset();
        return;
    }
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
        const std::string ext = upper(e.path().extension().string());
        if (ext == ".JPG" || ext == ".JPEG" || ext == ".IMG" || ext == ".BMP") out.push_back(e.path().string());
    }
    std::sort(out.begin(), out.end(), [](const std::string& a, const std::string& b) { return upper(a) < upper(b); });
    return out;
}

std::optional<FrameRequest> requestForFrame(const std::string& path) {
    const decode::DecodedIdentifier id = decodedName(path);
    if (!id.validIdentifier || id.combinedProduct) return std::nullopt;
    FrameRequest r;
    r.sequence = upper(id.sequence);
    r.eye = std::toupper(static_cast<unsigned char>(id.eyeLetter[0])) == 'R' ? PanoramaEye::Right : PanoramaEye::Left;
    const char camera = static_cast<char>(std::toupper(static_cast<unsigned char>(id.cameraLetter[0])));
    if (camera == 'N') r.camera = PanoramaCamera::Navcam;
    if (camera == 'P') r.camera = PanoramaCamera::Pancam;
    return r;
}

FrameSelection selectFrames(const std::vector<std::string>& paths, const FrameRequest& request) {
    FrameSelection out;
    const char wantedEye = request.eye == PanoramaEye::Left ? 'L' : 'R';
    const std::string wantedSequence = upper(request.sequence);

    std::vector<Candidate> all;
    for (const std::string& path : paths) {
        if (!isPicture(path)) continue;
        Candidate c;
        c.id = decodedName(path);
        if (!c.id.validIdentifier || c.id.combinedProduct || !c.id.clockValid) continue;
        c.path = path;
        c.rover = c.id.roverDigit[0];
        c.camera = static_cast<char>(std::toupper(static_cast<unsigned char>(c.id.cameraLetter[0])));
        c.eye = static_cast<char>(std::toupper(static_cast<unsigned char>(c.id.eyeLetter[0])));
        c.filter = c.id.filterDigit.empty() ? '0' : c.id.filterDigit[0];
        c.sequence = upper(c.id.sequence);
        all.push_back(std::move(c));
    }
    auto cameraMatches = [&](char camera) {
        if (!request.camera) return true;
        return camera == (*request.camera == PanoramaCamera::Navcam ? 'N' : 'P');
    };
    auto stitchable = [](char camera) { return camera == 'N' || camera == 'P'; };

    // Frames of the same panorama as `c`: rover, camera, sequence, eye and filter.
    auto together = [](const Candidate& a, const Candidate& b) {
        return a.rover == b.rover && a.camera == b.camera && a.sequence == b.sequence && a.eye == b.eye &&
               a.filter == b.filter && upper(a.id.identifier) != upper(b.id.identifier);
    };
    const Candidate* first = nullptr;
    const Candidate* single = nullptr;
    for (const Candidate& c : all) {
        if (c.eye != wantedEye || !cameraMatches(c.camera)) continue;
        if (!wantedSequence.empty() && c.sequence != wantedSequence) continue;
        if (wantedSequence.empty()) {
            if (!stitchable(c.camera)) continue;  // look on for one that is
            // Without a sequence named, a lone frame (one of a stereo pair) is no panorama.
            if (std::none_of(all.begin(), all.end(), [&](const Candidate& o) { return together(c, o); })) {
                if (single == nullptr) single = &c;
                continue;
            }
        }
        first = &c;
        break;
    }
    if (first == nullptr) first = single;
    const std::string asked = wantedSequence.empty() ? std::string() : " of sequence " + wantedSequence;
    if (first == nullptr) {
        const bool hazards = std::any_of(all.begin(), all.end(), [&](const Candidate& c) {
            return c.eye == wantedEye && (c.camera == 'F' || c.camera == 'R') &&
                   (wantedSequence.empty() || c.sequence == wantedSequence);
        });
        if (hazards && !request.camera)
            out.error =
                "HAZCAM frames are fisheye views and cannot be stitched into a panorama: "
                "choose a NAVCAM or PANCAM sequence";
        else
            out.error = std::string("no ") +
                        (request.camera ? (*request.camera == PanoramaCamera::Navcam ? "NAVCAM " : "PANCAM ")
                                        : "NAVCAM or PANCAM ") +
                        eyeWord(request.eye) + "-eye frames" + asked + " are here";
        return out;
    }
    if (first->camera == 'F' || first->camera == 'R') {
        out.error =
            "HAZCAM frames are fisheye views and cannot be stitched into a panorama: "
            "choose a NAVCAM or PANCAM sequence";
        return out;
    }
    if (!stitchable(first->camera)) {
        out.error =
            std::string("the ") + cameraWord(first->camera) + " takes no panoramas: choose a NAVCAM or PANCAM sequence";
        return out;
    }
    out.rover = first->rover;
    out.camera = first->camera;
    out.filter = first->filter;
    out.sequence = first->sequence;

    std::vector<const Candidate*> chosen;
    for (const Candidate& c : all)
        if (c.rover == out.rover && c.camera == out.camera && c.sequence == out.sequence && c.eye == wantedEye &&
            c.filter == out.filter)
            chosen.push_back(&c);
    std::stable_sort(chosen.begin(), chosen.end(), [](const Candidate* a, const Candidate* b) {
        if (a->id.clockValue != b->id.clockValue) return a->id.clockValue < b->id.clockValue;
        return upper(a->id.identifier) < upper(b->id.identifier);
    });
    // One picture per product: a JPEG beside the PDS product of the same identifier is the same frame.
    chosen.erase(std::unique(chosen.begin(), chosen.end(),
                             [](const Candidate* a, const Candidate* b) {
                                 return upper(a->id.identifier) == upper(b->id.identifier);
                             }),
                 chosen.end());
    if (chosen.size() < 2) {
        out.error = "only one " + std::string(eyeWord(request.eye)) + "-eye frame of sequence " + out.sequence +
                    " is here: a panorama needs two or more";
        return out;
    }

    for (const Candidate* c : chosen) {
        PanoramaFrame f;
        f.path = c->path;
        f.identifier = upper(c->id.identifier);
        f.clock = c->id.clockValue;
        readPointing(f);
        out.frames.push_back(std::move(f));
    }
    // The other eye, matched by identifier: the same exposure from the other camera.
    const char otherEye = wantedEye == 'L' ? 'R' : 'L';
    for (const PanoramaFrame& f : out.frames) {
        std::string partner = f.identifier;
        partner[23] = otherEye;
        auto it =
            std::find_if(all.begin(), all.end(), [&](const Candidate& c) { return upper(c.id.identifier) == partner; });
        if (it == all.end()) {
            out.missingPartners.push_back(partner);
            continue;
        }
        PanoramaFrame p;
        p.path = it->path;
        p.identifier = partner;
        p.clock = it->id.clockValue;
        readPointing(p);
        out.partners.push_back(std::move(p));
    }
    if (!out.missingPartners.empty()) out.partners.clear();

    out.fieldOfView = out.camera == 'N' ? kNavcamFieldOfView : kPancamFieldOfView;
    const std::optional<double> labelled = out.frames.front().fieldOfView;
    if (labelled && std::all_of(out.frames.begin(), out.frames.end(), [&](const PanoramaFrame& f) {
            return f.fieldOfView && std::fabs(*f.fieldOfView - *labelled) < 1e-6;
        }))
        out.fieldOfView = *labelled;
    return out;
}

}  // namespace keldar::panorama
