#include "core/panorama/HuginProject.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <numeric>
#include <sstream>

namespace keldar::panorama {

namespace {

std::string number(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.10g", v);
    return buf;
}

// The words of one line; a name in quotes stays one word, quotes included.
std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        if (i >= line.size()) break;
        std::size_t j = i;
        while (j < line.size() && line[j] != ' ') {
            if (line[j] == '"') {
                const std::size_t close = line.find('"', j + 1);
                j = close == std::string::npos ? line.size() : close + 1;
            } else {
                ++j;
            }
        }
        out.push_back(line.substr(i, j - i));
        i = j;
    }
    return out;
}

// "Eev0" -> ("Eev", "0"); "v=0" -> ("v", "=0"); "n\"x\"" -> ("n", "\"x\"").
std::pair<std::string, std::string> codeOf(const std::string& word) {
    std::size_t k = 0;
    while (k < word.size() && std::isalpha(static_cast<unsigned char>(word[k]))) ++k;
    return {word.substr(0, k), word.substr(k)};
}

bool toDouble(const std::string& s, double& v) {
    if (s.empty()) return false;
    char* end = nullptr;
    v = std::strtod(s.c_str(), &end);
    return end == s.c_str() + s.size();
}

bool toInt(const std::string& s, int& v) {
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool nameWritable(const std::string& file) {
    for (char c : file)
        if (c == '"' || c == '\n' || c == '\r') return false;
    return !file.empty();
}

}  // namespace

std::string initialProject(const std::vector<ProjectImage>& images) {
    std::string t = "# hugin project file\n#hugin_ptoversion 2\n";
    t += "p f2 w3000 h1500 v360 k0 E0 R0 n\"TIFF_m c:NONE r:CROP\"\nm i0\n\n";
    for (const ProjectImage& im : images) {
        t += "i w" + std::to_string(im.width) + " h" + std::to_string(im.height) + " f0 v" + number(im.fieldOfView) +
             " Ra0 Rb0 Rc0 Rd0 Re0 Eev0 Er1 Eb1 r" + number(im.roll) + " p" + number(im.pitch) + " y" + number(im.yaw) +
             " TrX0 TrY0 TrZ0 Tpy0 Tpp0 j0 a0 b0 c0 d0 e0 g0 t0 Va1 Vb0 Vc0 Vd0 Vx0 Vy0 Vm5 n\"" + im.file + "\"\n";
    }
    t += "\n";
    for (std::size_t i = 1; i < images.size(); ++i) {
        const std::string n = std::to_string(i);
        t += "v y" + n + "\nv p" + n + "\nv r" + n + "\n";
    }
    t += "v\n";
    return t;
}

std::string parseProject(const std::string& text, HuginProject& out) {
    out = HuginProject{};
    std::istringstream in(text);
    std::string line;
    bool sawCanvas = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() < 2 || line[1] != ' ') continue;
        const std::vector<std::string> w = words(line);
        if (line[0] == 'p') {
            sawCanvas = true;
            for (std::size_t k = 1; k < w.size(); ++k) {
                const auto [code, value] = codeOf(w[k]);
                if (code == "f")
                    toInt(value, out.canvas.projection);
                else if (code == "w")
                    toInt(value, out.canvas.width);
                else if (code == "h")
                    toInt(value, out.canvas.height);
                else if (code == "v")
                    toDouble(value, out.canvas.fieldOfView);
                else if (code == "S") {
                    int s[4] = {};
                    std::istringstream parts(value);
                    std::string part;
                    int n = 0;
                    while (n < 4 && std::getline(parts, part, ',') && toInt(part, s[n])) ++n;
                    if (n != 4) return "the panorama's crop cannot be read: " + w[k];
                    out.canvas.left = s[0];
                    out.canvas.right = s[1];
                    out.canvas.top = s[2];
                    out.canvas.bottom = s[3];
                }
            }
        } else if (line[0] == 'i') {
            ProjectImage im;
            for (std::size_t k = 1; k < w.size(); ++k) {
                const auto [code, value] = codeOf(w[k]);
                double* target = code == "v"   ? &im.fieldOfView
                                 : code == "y" ? &im.yaw
                                 : code == "p" ? &im.pitch
                                 : code == "r" ? &im.roll
                                               : nullptr;
                if (code == "w")
                    toInt(value, im.width);
                else if (code == "h")
                    toInt(value, im.height);
                else if (code == "n" && value.size() >= 2)
                    im.file = value.substr(1, value.size() - 2);
                else if (target != nullptr) {
                    int from = 0;
                    if (!value.empty() && value[0] == '=') {
                        // Linked: the value of an earlier image.
                        if (!toInt(value.substr(1), from) || from < 0 ||
                            static_cast<std::size_t>(from) >= out.images.size())
                            return "image " + std::to_string(out.images.size()) + " links to a missing image: " + w[k];
                        const ProjectImage& src = out.images[static_cast<std::size_t>(from)];
                        *target = code == "v"   ? src.fieldOfView
                                  : code == "y" ? src.yaw
                                  : code == "p" ? src.pitch
                                                : src.roll;
                    } else if (!toDouble(value, *target)) {
                        return "image " + std::to_string(out.images.size()) + " has an unreadable value: " + w[k];
                    }
                }
            }
            out.images.push_back(std::move(im));
        } else if (line[0] == 'c') {
            ControlPoint cp;
            for (std::size_t k = 1; k < w.size(); ++k) {
                const auto [code, value] = codeOf(w[k]);
                if (code == "n")
                    toInt(value, cp.first);
                else if (code == "N")
                    toInt(value, cp.second);
                else if (code == "x")
                    toDouble(value, cp.x1);
                else if (code == "y")
                    toDouble(value, cp.y1);
                else if (code == "X")
                    toDouble(value, cp.x2);
                else if (code == "Y")
                    toDouble(value, cp.y2);
            }
            out.points.push_back(cp);
        }
    }
    if (!sawCanvas) return "the project has no panorama line";
    const int count = static_cast<int>(out.images.size());
    for (const ControlPoint& cp : out.points)
        if (cp.first < 0 || cp.second < 0 || cp.first >= count || cp.second >= count)
            return "a control point names an image the project does not have";
    return "";
}

std::string replaceImageFiles(const std::string& text, const std::vector<std::string>& files, std::string& out) {
    out.clear();
    std::istringstream in(text);
    std::string line;
    std::size_t next = 0;
    while (std::getline(in, line)) {
        if (line.size() > 1 && line[0] == 'i' && line[1] == ' ') {
            if (next >= files.size()) return "the project has more images than the other eye has frames";
            if (!nameWritable(files[next])) return "a file name cannot be written into the project: " + files[next];
            const std::size_t at = line.find(" n\"");
            if (at == std::string::npos) return "an image line of the project names no file";
            const std::size_t close = line.find('"', at + 3);
            line = line.substr(0, at) + " n\"" + files[next] + "\"" +
                   (close == std::string::npos ? "" : line.substr(close + 1));
            ++next;
        }
        out += line;
        out += '\n';
    }
    if (next != files.size()) return "the other eye has more frames than the project has images";
    return "";
}

std::vector<std::vector<int>> connectedGroups(const HuginProject& project) {
    const int n = static_cast<int>(project.images.size());
    std::vector<int> parent(static_cast<std::size_t>(n));
    std::iota(parent.begin(), parent.end(), 0);
    auto root = [&](int a) {
        while (parent[static_cast<std::size_t>(a)] != a)
            a = parent[static_cast<std::size_t>(a)] =
                parent[static_cast<std::size_t>(parent[static_cast<std::size_t>(a)])];
        return a;
    };
    for (const ControlPoint& cp : project.points)
        if (cp.first != cp.second) parent[static_cast<std::size_t>(root(cp.first))] = root(cp.second);
    std::map<int, std::vector<int>> groups;
    for (int i = 0; i < n; ++i) groups[root(i)].push_back(i);
    std::vector<std::vector<int>> out;
    out.reserve(groups.size());
    for (auto& [r, members] : groups) out.push_back(std::move(members));
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace keldar::panorama
