#pragma once
// Hugin's project files (.pto), as the panorama stitch writes and reads them: the project a
// stitch starts from, the positions and canvas the tools settle on, the control points they
// found, and the same geometry with other pictures (the other eye of a stereo sequence).

#include <string>
#include <vector>

namespace keldar::panorama {

// One rectilinear frame: degrees across, and where it looks (Hugin's yaw to the right, pitch
// up, roll clockwise).
struct ProjectImage {
    std::string file;
    int width = 0;
    int height = 0;
    double fieldOfView = 0.0;
    double yaw = 0.0;
    double pitch = 0.0;
    double roll = 0.0;
};

struct ProjectCanvas {
    int projection = 2;  // 2: equirectangular
    int width = 0;
    int height = 0;
    double fieldOfView = 0.0;
    // The crop (Hugin's S): left, right, top, bottom in canvas pixels; right == 0 when none.
    int left = 0, right = 0, top = 0, bottom = 0;
    int croppedWidth() const { return right > left ? right - left : width; }
    int croppedHeight() const { return bottom > top ? bottom - top : height; }
};

struct ControlPoint {
    int first = 0, second = 0;  // image numbers
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

struct HuginProject {
    ProjectCanvas canvas;
    std::vector<ProjectImage> images;
    std::vector<ControlPoint> points;
};

// The project a stitch starts from: every frame as given, one lens without distortion, the
// yaw, pitch and roll of every frame but the first free for the optimiser, an
// equirectangular canvas written as 8-bit cropped TIFF layers.
std::string initialProject(const std::vector<ProjectImage>& images);

// Reads what the tools wrote: the panorama line, the image lines (a value "=N" taken from
// image N) and the control points. "" on success, else why not.
std::string parseProject(const std::string& text, HuginProject& out);

// The same project with the image files replaced, in order: the geometry found for one eye
// applied to the other. Fails when the counts differ or a name cannot be written.
std::string replaceImageFiles(const std::string& text, const std::vector<std::string>& files, std::string& out);

// The images linked by control points, as groups of image numbers; one group when every
// frame is tied to the rest.
std::vector<std::vector<int>> connectedGroups(const HuginProject& project);

}  // namespace keldar::panorama
