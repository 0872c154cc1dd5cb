#include "panorama/PanoramaStitch.h"

#include "core/imaging/ImageFile.h"
#include "panorama/ToolRunner.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace keldar::panorama {

namespace {

namespace fs = std::filesystem;

// The tools of a stitch and the Debian package each comes in.
struct Tool {
    const char* name;
    const char* package;
};
constexpr Tool kTools[] = {{"cpfind", "hugin-tools"},      {"cpclean", "hugin-tools"}, {"autooptimiser", "hugin-tools"},
                           {"pano_modify", "hugin-tools"}, {"nona", "hugin-tools"},    {"enblend", "enblend"}};

// cpfind keeps this many points per cell of its second sieve: the default of one leaves too
// few in the narrow overlaps of a rover panorama for cpclean to keep every frame tied.
constexpr const char* kPointsPerCell = "5";

// A private directory under the temporary directory, removed with everything in it at the end.
class WorkDirectory {
public:
    WorkDirectory() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/keldar-panorama-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~WorkDirectory() {
        std::error_code ec;
        if (!path_.empty()) fs::remove_all(path_, ec);
    }
    WorkDirectory(const WorkDirectory&) = delete;
    WorkDirectory& operator=(const WorkDirectory&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

double normalisedDegrees(double d) {
    d = std::fmod(d, 360.0);
    if (d > 180.0) d -= 360.0;
    if (d <= -180.0) d += 360.0;
    return d;
}

void frameName(char* buf, std::size_t size, char eye, std::size_t i, const char* ext) {
    std::snprintf(buf, size, "%c%03zu.%s", eye, i, ext);
}

class Stages {
public:
    Stages(PanoramaResult& result, const std::function<void(const PanoramaProgress&)>& progress)
        : result_(result), progress_(progress) {}
    ~Stages() { finish(); }
    void begin(const std::string& stage, int total = 0) {
        finish();
        stage_ = stage;
        total_ = total;
        start_ = std::chrono::steady_clock::now();
        report(0);
    }
    void report(int done) const {
        if (progress_) progress_({stage_, done, total_});
    }
    void finish() {
        if (stage_.empty()) return;
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        result_.times.push_back({stage_, s});
        stage_.clear();
    }

private:
    PanoramaResult& result_;
    const std::function<void(const PanoramaProgress&)>& progress_;
    std::string stage_;
    int total_ = 0;
    std::chrono::steady_clock::time_point start_;
};

// The frames as the tools read them: a JPEG by a link to it, any other picture (a PDS product,
// a BMP) converted to BMP. Every frame is decoded first, so a broken one is named here rather
// than failing deep inside a tool.
std::string prepareFrames(const std::vector<PanoramaFrame>& frames, char eye, const WorkDirectory& work,
                          std::vector<std::string>& names, int& width, int& height, const Stages& stages,
                          int doneBefore, const std::atomic<bool>* stop) {
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (stop != nullptr && stop->load()) return "";
        const PanoramaFrame& f = frames[i];
        const imaging::ImageResult read = imaging::readImageFile(f.path);
        if (!read.ok()) return read.error;
        if (width == 0) {
            width = read.image.width();
            height = read.image.height();
        } else if (read.image.width() != width || read.image.height() != height) {
            return "the frames are not all the same size: " + fs::path(f.path).filename().string() + " is " +
                   std::to_string(read.image.width()) + " x " + std::to_string(read.image.height()) + ", the first " +
                   std::to_string(width) + " x " + std::to_string(height);
        }
        const std::string ext = upper(fs::path(f.path).extension().string());
        char buf[32];
        std::error_code ec;
        if (ext == ".JPG" || ext == ".JPEG") {
            frameName(buf, sizeof buf, eye, i, "jpg");
            fs::create_symlink(fs::absolute(f.path, ec), work / buf, ec);
            if (ec) return "cannot link " + f.path + " into the work directory: " + ec.message();
        } else {
            frameName(buf, sizeof buf, eye, i, "bmp");
            if (std::string e = imaging::writeBmpFile(read.image, work / buf); !e.empty()) return e;
        }
        names.push_back(buf);
        stages.report(doneBefore + static_cast<int>(i) + 1);
    }
    return "";
}

std::string overlapMessage(const HuginProject& project, const FrameSelection& selection) {
    const std::vector<std::vector<int>> groups = connectedGroups(project);
    if (groups.size() <= 1) return "";
    // The group of the first frame holds every frame before the first one outside it.
    std::size_t k = 0;
    while (k < selection.frames.size() &&
           std::find(groups[0].begin(), groups[0].end(), static_cast<int>(k)) != groups[0].end())
        ++k;
    if (k >= selection.frames.size()) k = static_cast<std::size_t>(groups[1].front());
    return "the frames do not overlap: no common points join frame " + std::to_string(k + 1) + " (" +
           selection.frames[k].identifier + ") to the frames before it, so no panorama can be made of sequence " +
           selection.sequence;
}

}  // namespace

std::string missingTools() {
    std::vector<std::string> missing, packages;
    for (const Tool& t : kTools) {
        if (!findTool(t.name).empty()) continue;
        missing.push_back(t.name);
        if (std::find(packages.begin(), packages.end(), t.package) == packages.end()) packages.push_back(t.package);
    }
    if (missing.empty()) return "";
    auto join = [](const std::vector<std::string>& v, const char* last) {
        std::string s;
        for (std::size_t i = 0; i < v.size(); ++i) s += (i == 0 ? "" : i + 1 == v.size() ? last : ", ") + v[i];
        return s;
    };
    return "the panorama tools are not installed (" + join(missing, " and ") + " missing): install the Debian package" +
           (packages.size() > 1 ? "s " : " ") + join(packages, " and ") + ", for example with: sudo apt-get install " +
           join(packages, " ");
}

PanoramaResult stitchPanorama(const std::vector<std::string>& pictures, const PanoramaOptions& options,
                              const std::function<void(const PanoramaProgress&)>& progress,
                              const std::atomic<bool>* stop) {
    PanoramaResult r;
    Stages stages(r, progress);
    auto stopped = [&] {
        if (stop != nullptr && stop->load()) r.stopped = true;
        return r.stopped;
    };
    if (std::string m = missingTools(); !m.empty()) {
        r.error = m;
        return r;
    }
    r.selection = selectFrames(pictures, options.frames);
    const FrameSelection& sel = r.selection;
    if (!sel.ok()) {
        r.error = sel.error;
        return r;
    }
    if (options.anaglyph && sel.partners.empty()) {
        r.error = "an anaglyph panorama needs both eyes of every frame: " + sel.missingPartners.front() +
                  " is not here" +
                  (sel.missingPartners.size() > 1 ? " (nor " + std::to_string(sel.missingPartners.size() - 1) + " more)"
                                                  : "");
        return r;
    }
    const double fov = options.fieldOfView.value_or(sel.fieldOfView);
    if (!(fov > 0.0 && fov < 180.0)) {
        r.error = "the field of view must lie between 0 and 180 degrees";
        return r;
    }
    const int jobs =
        options.jobs > 0 ? options.jobs : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    const WorkDirectory work;
    if (work.path().empty()) {
        r.error = "cannot create a work directory under the temporary directory";
        return r;
    }

    // Frames.
    const bool stereo = options.anaglyph;
    const int frameCount = static_cast<int>(sel.frames.size());
    stages.begin("reading frames", stereo ? 2 * frameCount : frameCount);
    std::vector<std::string> leftNames, rightNames;
    int width = 0, height = 0;
    if (std::string e = prepareFrames(sel.frames, 'L', work, leftNames, width, height, stages, 0, stop); !e.empty()) {
        r.error = e;
        return r;
    }
    if (stereo && !stopped())
        if (std::string e = prepareFrames(sel.partners, 'R', work, rightNames, width, height, stages, frameCount, stop);
            !e.empty()) {
            r.error = e;
            return r;
        }
    if (stopped()) return r;

    // Where the frames look, as far as the labels tell: a start for the matching.
    const bool pointed =
        std::all_of(sel.frames.begin(), sel.frames.end(), [](const PanoramaFrame& f) { return f.azimuth.has_value(); });
    std::vector<ProjectImage> images;
    for (std::size_t i = 0; i < sel.frames.size(); ++i) {
        ProjectImage im;
        im.file = leftNames[i];
        im.width = width;
        im.height = height;
        im.fieldOfView = fov;
        if (pointed) {
            im.yaw = normalisedDegrees(*sel.frames[i].azimuth - *sel.frames.front().azimuth);
            im.pitch = sel.frames[i].elevation.value_or(0.0);
        }
        images.push_back(im);
    }
    if (!writeText(work / "start.pto", initialProject(images))) {
        r.error = "cannot write the project into the work directory";
        return r;
    }
    const std::string threads = std::to_string(jobs);
    const std::vector<std::string> env = {"OMP_NUM_THREADS=" + threads};
    // Takes a stop or a failure into the result; true when the tools did their work.
    auto settled = [&](const ToolOutcome& o) {
        if (o.stopped)
            r.stopped = true;
        else if (!o.ok())
            r.error = o.error;
        return o.ok();
    };
    auto run = [&](const std::string& stage, std::vector<std::string> argv) {
        stages.begin(stage);
        return settled(runTools({{std::move(argv), work / "tools.log"}}, work.path(), 1, env, stop));
    };
    if (!run("finding control points",
             {"cpfind", pointed ? "--prealigned" : "--multirow", std::string("--sieve2size=") + kPointsPerCell,
              "--ncores=" + threads, "-o", "points.pto", "start.pto"}))
        return r;
    if (!run("cleaning control points", {"cpclean", "-o", "clean.pto", "points.pto"})) return r;
    {
        HuginProject cleaned;
        if (std::string e = parseProject(readText(work / "clean.pto"), cleaned); !e.empty()) {
            r.error = "cpclean wrote a project that cannot be read: " + e;
            return r;
        }
        if (std::string m = overlapMessage(cleaned, sel); !m.empty()) {
            r.error = m;
            return r;
        }
    }
    // Positions pairwise from the first frame, then levelled; the canvas then fits the frames.
    if (!run("optimising positions", {"autooptimiser", "-p", "-l", "-o", "optimised.pto", "clean.pto"})) return r;
    if (!run("fitting the canvas", {"pano_modify", "--projection=2", "--center", "--fov=AUTO", "--canvas=AUTO",
                                    "--crop=AUTO", "-o", "left.pto", "optimised.pto"}))
        return r;
    const std::string leftProject = readText(work / "left.pto");
    if (std::string e = parseProject(leftProject, r.geometry); !e.empty()) {
        r.error = "pano_modify wrote a project that cannot be read: " + e;
        return r;
    }
    const ProjectCanvas& canvas = r.geometry.canvas;
    if (std::string e = imaging::checkImageLimits(canvas.croppedWidth(), canvas.croppedHeight()); !e.empty()) {
        r.error = "the panorama would be too large: " + e;
        return r;
    }
    if (stereo) {
        std::string rightProject;
        if (std::string e = replaceImageFiles(leftProject, rightNames, rightProject); !e.empty()) {
            r.error = e;
            return r;
        }
        if (!writeText(work / "right.pto", rightProject)) {
            r.error = "cannot write the project into the work directory";
            return r;
        }
    }

    // Every frame onto the canvas, several at once.
    std::vector<ToolCommand> remaps;
    for (char eye : stereo ? std::string("LR") : std::string("L"))
        for (int i = 0; i < frameCount; ++i)
            remaps.push_back({{"nona", "-m", "TIFF_m", "-z", "NONE", "-i", std::to_string(i), "-o",
                               std::string(1, eye) + "_", eye == 'L' ? "left.pto" : "right.pto"},
                              work / "tools.log"});
    stages.begin("remapping", static_cast<int>(remaps.size()));
    int remapped = 0;
    if (!settled(runTools(remaps, work.path(), jobs, {"OMP_NUM_THREADS=1"}, stop,
                          [&](std::size_t) { stages.report(++remapped); })))
        return r;

    // Blending: the two eyes at once, each with half the cores.
    std::vector<ToolCommand> blends;
    for (char eye : stereo ? std::string("LR") : std::string("L")) {
        ToolCommand c{{"enblend", "-o", eye == 'L' ? "left.bmp" : "right.bmp"}, work / "tools.log"};
        for (int i = 0; i < frameCount; ++i) {
            char buf[32];
            std::snprintf(buf, sizeof buf, "%c_%04d.tif", eye, i);
            c.argv.push_back(buf);
        }
        blends.push_back(std::move(c));
    }
    stages.begin("blending", static_cast<int>(blends.size()));
    int blended = 0;
    const int blendThreads = std::max(1, jobs / static_cast<int>(blends.size()));
    if (!settled(runTools(blends, work.path(), jobs, {"OMP_NUM_THREADS=" + std::to_string(blendThreads)}, stop,
                          [&](std::size_t) { stages.report(++blended); })))
        return r;

    stages.begin("reading the panorama");
    imaging::ImageResult left = imaging::readImageFile(work / "left.bmp");
    if (!left.ok()) {
        r.error = "the blended panorama cannot be read: " + left.error;
        return r;
    }
    if (!stereo) {
        r.image = std::move(left.image);
        stages.finish();
        return r;
    }
    const imaging::ImageResult right = imaging::readImageFile(work / "right.bmp");
    if (!right.ok()) {
        r.error = "the blended right-eye panorama cannot be read: " + right.error;
        return r;
    }
    if (right.image.width() != left.image.width() || right.image.height() != left.image.height()) {
        r.error = "the two eyes' panoramas came out of different sizes";
        return r;
    }
    stages.begin("anaglyph");
    imaging::buildAnaglyph(right.image, left.image, options.settings, r.image);
    r.left = std::move(left.image);
    r.right = right.image;
    stages.finish();
    return r;
}

}  // namespace keldar::panorama
