#include "core/panorama/PanoramaFrames.h"

#include "core/decode/ProductIdentifier.h"
#include "core/imaging/PdsImage.h"
#include "core/sequence/SequenceFrames.h"

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

}  // namespace

const char* eyeWord(PanoramaEye eye) { return eye == PanoramaEye::Left ? "left" : "right"; }

const char* cameraWord(char cameraLetter) { return sequence::cameraWord(cameraLetter); }

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
    return sequence::directoryPictures(directory, error);
}

std::optional<FrameRequest> requestForFrame(const std::string& path) {
    const std::optional<sequence::SequenceQuery> q = sequence::queryForFrame(path);
    if (!q) return std::nullopt;
    FrameRequest r;
    r.sequence = q->sequence;
    r.eye = q->eye == 'R' ? PanoramaEye::Right : PanoramaEye::Left;
    if (q->camera == 'N') r.camera = PanoramaCamera::Navcam;
    if (q->camera == 'P') r.camera = PanoramaCamera::Pancam;
    return r;
}

FrameSelection selectFrames(const std::vector<std::string>& paths, const FrameRequest& request) {
    FrameSelection out;
    const char wantedEye = request.eye == PanoramaEye::Left ? 'L' : 'R';
    const std::string wantedSequence = upper(request.sequence);
    const std::vector<sequence::Picture> all = sequence::productPictures(paths);
    const auto stitchable = [](char camera) { return camera == 'N' || camera == 'P'; };
    sequence::SequenceQuery query;
    query.sequence = wantedSequence;
    query.eye = wantedEye;
    if (request.camera) query.camera = *request.camera == PanoramaCamera::Navcam ? 'N' : 'P';
    query.eligible = stitchable;
    const sequence::Picture* first = sequence::firstOfSequence(all, query);
    const std::string asked = wantedSequence.empty() ? std::string() : " of sequence " + wantedSequence;
    if (first == nullptr) {
        const bool hazards = std::any_of(all.begin(), all.end(), [&](const sequence::Picture& c) {
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

    const std::vector<const sequence::Picture*> chosen = sequence::framesOf(all, *first);
    if (chosen.size() < 2) {
        out.error = "only one " + std::string(eyeWord(request.eye)) + "-eye frame of sequence " + out.sequence +
                    " is here: a panorama needs two or more";
        return out;
    }

    for (const sequence::Picture* c : chosen) {
        PanoramaFrame f;
        f.path = c->path;
        f.identifier = c->identifier;
        f.clock = c->id.clockValue;
        readPointing(f);
        out.frames.push_back(std::move(f));
    }
    // The other eye, matched by identifier: the same exposure from the other camera.
    const char otherEye = wantedEye == 'L' ? 'R' : 'L';
    for (const PanoramaFrame& f : out.frames) {
        std::string partner = f.identifier;
        partner[23] = otherEye;
        auto it = std::find_if(all.begin(), all.end(), [&](const sequence::Picture& c) { return c.identifier == partner; });
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
