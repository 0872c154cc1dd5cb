#include "core/movie/MovieFrames.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <future>
#include <thread>

#include "core/imaging/BitmapText.h"
#include "core/imaging/ImageFile.h"
#include "core/sequence/SequenceFrames.h"
#include "core/time/MissionTime.h"

namespace keldar::movie {

namespace {

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::uint8_t clampToByte(double v) { return static_cast<std::uint8_t>(std::clamp(std::nearbyint(v), 0.0, 255.0)); }

// One frame as read: its own size, one byte a pixel when grey (the rovers' cameras are), else
// blue, green, red.
struct Raw {
    int width = 0, height = 0, channels = 1;
    std::vector<std::uint8_t> pixels;
    std::string error;
};

Raw readFrame(const std::string& path) {
    Raw raw;
    const imaging::ImageResult read = imaging::readImageFile(path);
    if (!read.ok()) {
        raw.error = read.error;
        return raw;
    }
    const imaging::ImageBuffer& image = read.image;
    raw.width = image.width();
    raw.height = image.height();
    bool grey = true;
    for (int y = 0; y < raw.height && grey; ++y) {
        const std::uint8_t* row = image.row(y);
        for (int x = 0; x < raw.width && grey; ++x) grey = row[3 * x] == row[3 * x + 1] && row[3 * x] == row[3 * x + 2];
    }
    raw.channels = grey ? 1 : 3;
    raw.pixels.resize(static_cast<std::size_t>(raw.width) * raw.height * raw.channels);
    std::uint8_t* out = raw.pixels.data();
    for (int y = 0; y < raw.height; ++y) {
        const std::uint8_t* row = image.row(y);
        if (grey) {
            for (int x = 0; x < raw.width; ++x) *out++ = row[3 * x];
        } else {
            out = std::copy(row, row + 3 * raw.width, out);
        }
    }
    return raw;
}

// Brings a frame to the movie's size (bilinear; only ever up, since the movie takes its
// largest frame's size) and to `channels`.
std::vector<std::uint8_t> fitted(const Raw& raw, int width, int height, int channels) {
    if (raw.width == width && raw.height == height && raw.channels == channels) return raw.pixels;
    std::vector<std::uint8_t> out(static_cast<std::size_t>(width) * height * channels);
    const bool same = raw.width == width && raw.height == height;
    const double sx = static_cast<double>(raw.width) / width, sy = static_cast<double>(raw.height) / height;
    std::uint8_t* o = out.data();
    for (int y = 0; y < height; ++y) {
        const double fy = std::clamp((y + 0.5) * sy - 0.5, 0.0, raw.height - 1.0);
        const int y0 = static_cast<int>(fy), y1 = std::min(y0 + 1, raw.height - 1);
        const double wy = fy - y0;
        for (int x = 0; x < width; ++x) {
            const double fx = std::clamp((x + 0.5) * sx - 0.5, 0.0, raw.width - 1.0);
            const int x0 = static_cast<int>(fx), x1 = std::min(x0 + 1, raw.width - 1);
            const double wx = fx - x0;
            for (int c = 0; c < channels; ++c) {
                const int rc = raw.channels == 1 ? 0 : c;
                const auto at = [&](int xx, int yy) {
                    return static_cast<double>(raw.pixels[(static_cast<std::size_t>(yy) * raw.width + xx) * raw.channels + rc]);
                };
                *o++ = same ? static_cast<std::uint8_t>(at(x, y))
                            : clampToByte((at(x0, y0) * (1 - wx) + at(x1, y0) * wx) * (1 - wy) +
                                          (at(x0, y1) * (1 - wx) + at(x1, y1) * wx) * wy);
            }
        }
    }
    return out;
}

// Frames read `jobs` at a time, handed over in order.
std::string readAll(const MoviePlan& plan, int jobs, const std::atomic<bool>* stop,
                    const std::function<void(int index, Raw& raw)>& take) {
    std::string errors;
    const int total = static_cast<int>(plan.frames.size());
    for (int start = 0; start < total; start += jobs) {
        if (stop != nullptr && stop->load()) return "stopped";
        std::vector<std::future<Raw>> batch;
        for (int i = start; i < std::min(total, start + jobs); ++i)
            batch.push_back(std::async(std::launch::async, [&plan, i] { return readFrame(plan.frames[i].path); }));
        for (int k = 0; k < static_cast<int>(batch.size()); ++k) {
            Raw raw = batch[k].get();
            if (!raw.error.empty()) {
                errors += (errors.empty() ? "" : "\n") + plan.frames[start + k].path + ": " + raw.error;
                continue;
            }
            if (errors.empty()) take(start + k, raw);
        }
    }
    return errors;
}

// A frame in the movie's pixel form: grey (one byte a pixel; colour by its luminance) or blue,
// green, red.
void toMovie(const std::vector<std::uint8_t>& plane, int channels, int movieChannels, std::vector<std::uint8_t>& out) {
    if (movieChannels == 3 || channels == 1) {
        if (movieChannels == channels) out = plane;
        else {
            out.resize(plane.size() * 3);
            for (std::size_t i = 0; i < plane.size(); ++i) out[3 * i] = out[3 * i + 1] = out[3 * i + 2] = plane[i];
        }
        return;
    }
    out.resize(plane.size() / 3);
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = clampToByte(0.114 * plane[3 * i] + 0.587 * plane[3 * i + 1] + 0.299 * plane[3 * i + 2]);
}

void toBgr(const std::vector<std::uint8_t>& plane, int channels, std::vector<std::uint8_t>& bgr) {
    if (channels == 3) {
        bgr = plane;
        return;
    }
    bgr.resize(plane.size() * 3);
    for (std::size_t i = 0; i < plane.size(); ++i) bgr[3 * i] = bgr[3 * i + 1] = bgr[3 * i + 2] = plane[i];
}

void captionInto(std::vector<std::uint8_t>& frame, const MovieShape& shape, const std::string& text) {
    if (text.empty()) return;
    const int scale = std::max(1, shape.height / 256);
    drawCaption(frame.data(), shape.width, shape.height, static_cast<std::size_t>(shape.width) * shape.channels, text,
                4 * scale, shape.height - 4 * scale, scale, shape.channels);
}

}  // namespace

std::optional<Format> formatFor(const std::string& path) {
    const std::string ext = lower(std::filesystem::path(path).extension().string());
    if (ext == ".mp4") return Format::Mp4;
    if (ext == ".gif") return Format::Gif;
    if (ext == ".webm") return Format::Webm;
    return std::nullopt;
}

const char* formatWord(Format format) {
    switch (format) {
        case Format::Mp4:
            return "mp4";
        case Format::Gif:
            return "gif";
        case Format::Webm:
            return "webm";
    }
    return "";
}

std::string captionFor(const std::string& identifier) {
    const std::optional<time::MissionTime> t = time::missionTimeOf(decode::decodeProductIdentifier(identifier));
    if (!t || !t->valid) return {};
    return "Sol " + std::to_string(t->sol) + "  " + time::formatSolarTime(t->ltstHours) + " LTST";
}

MoviePlan planMovie(const std::vector<std::string>& paths, const MovieRequest& request) {
    MoviePlan plan;
    const std::vector<sequence::Picture> all = sequence::productPictures(paths);
    sequence::SequenceQuery query;
    query.sequence = request.sequence;
    query.eye = request.eye;
    query.camera = request.camera;
    const sequence::Picture* first = sequence::firstOfSequence(all, query);
    const std::string eye = sequence::eyeWord(request.eye);
    if (first == nullptr) {
        plan.error = "no " + (request.camera ? std::string(sequence::cameraWord(*request.camera)) + " " : std::string()) + eye +
                     "-eye frames" + (request.sequence.empty() ? std::string() : " of sequence " + request.sequence) +
                     " are here";
        return plan;
    }
    plan.sequence = first->sequence;
    plan.camera = first->camera;
    plan.eye = first->eye;
    for (const sequence::Picture* p : sequence::framesOf(all, *first))
        plan.frames.push_back({p->path, p->identifier, captionFor(p->identifier)});
    if (plan.frames.size() < 2) {
        plan.error = "only one " + eye + "-eye frame of sequence " + plan.sequence + " is here: a movie needs two or more";
        plan.frames.clear();
    }
    return plan;
}

std::vector<std::uint8_t> medianOf(const std::vector<const std::uint8_t*>& planes, std::size_t size, int jobs) {
    std::vector<std::uint8_t> median(size);
    const std::size_t n = planes.size();
    if (n == 0) return median;
    const auto part = [&](std::size_t from, std::size_t to) {
        std::vector<std::uint8_t> values(n);
        for (std::size_t i = from; i < to; ++i) {
            for (std::size_t k = 0; k < n; ++k) values[k] = planes[k][i];
            std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(n / 2), values.end());
            median[i] = values[n / 2];
        }
    };
    const std::size_t parts = static_cast<std::size_t>(std::max(1, jobs));
    std::vector<std::thread> threads;
    for (std::size_t p = 1; p < parts; ++p) threads.emplace_back(part, size * p / parts, size * (p + 1) / parts);
    part(0, size / parts);
    for (std::thread& t : threads) t.join();
    return median;
}

double differenceGain(const std::vector<std::uint32_t>& histogram) {
    std::uint64_t total = 0;
    for (std::uint32_t c : histogram) total += c;
    const double allowed = 0.0005 * static_cast<double>(total);
    std::uint64_t above = 0;
    int level = static_cast<int>(histogram.size()) - 1;
    // The smallest level that no more than the allowed share of differences exceeds.
    while (level > 1 && static_cast<double>(above + histogram[static_cast<std::size_t>(level)]) <= allowed) {
        above += histogram[static_cast<std::size_t>(level)];
        --level;
    }
    return 127.0 / std::max(1, level);
}

std::pair<double, double> exposureFit(const std::uint8_t* plane, const std::uint8_t* reference, std::size_t size) {
    double sp = 0, sr = 0, spp = 0, spr = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const double p = plane[i], r = reference[i];
        sp += p;
        sr += r;
        spp += p * p;
        spr += p * r;
    }
    const double n = static_cast<double>(std::max<std::size_t>(size, 1));
    const double variance = spp / n - (sp / n) * (sp / n), covariance = spr / n - (sp / n) * (sr / n);
    // A flat frame has no exposure to fit but its level.
    const double a = variance > 1e-6 ? std::clamp(covariance / variance, 0.5, 2.0) : 1.0;
    return {a, sr / n - a * sp / n};
}

std::pair<int, int> stretchRange(const std::uint8_t* plane, std::size_t size, int step) {
    std::uint64_t histogram[256] = {};
    std::uint64_t counted = 0;
    for (std::size_t i = 0; i < size; i += static_cast<std::size_t>(std::max(1, step))) {
        ++histogram[plane[i]];
        ++counted;
    }
    const auto level = [&](double share) {
        const double wanted = share * static_cast<double>(counted);
        std::uint64_t sum = 0;
        for (int v = 0; v < 256; ++v) {
            sum += histogram[v];
            if (static_cast<double>(sum) > wanted) return v;
        }
        return 255;
    };
    return {level(0.01), level(0.99)};
}

void drawCaption(std::uint8_t* pixels, int width, int height, std::size_t stride, const std::string& text, int x, int y,
                 int scale, int channels) {
    imaging::drawText(pixels, width, height, stride, channels, text, x, y, scale);
}

std::string makeFrames(const MoviePlan& plan, const MovieOptions& options, const std::function<bool(const MovieShape&)>& ready,
                       const MovieSink& sink, const MovieProgress& progress, const std::atomic<bool>* stop) {
    if (!plan.ok()) return plan.error;
    const int total = static_cast<int>(plan.frames.size());
    const int jobs = std::clamp(options.jobs, 1, 16);
    // The movie's size is its largest frame's: headers only.
    MovieShape shape;
    std::string errors;
    std::vector<std::pair<int, int>> sizes;
    for (const MovieFrame& f : plan.frames) {
        imaging::ImageRowReader header;
        if (const std::string error = header.open(f.path); !error.empty()) {
            errors += (errors.empty() ? "" : "\n") + f.path + ": " + error;
            continue;
        }
        sizes.emplace_back(header.width(), header.height());
        if (static_cast<long long>(header.width()) * header.height() > static_cast<long long>(shape.width) * shape.height) {
            shape.width = header.width();
            shape.height = header.height();
        }
    }
    if (!errors.empty()) return errors;
    // Encoders of 4:2:0 video want even sides: a last row or column is repeated.
    shape.width += shape.width % 2;
    shape.height += shape.height % 2;
    shape.largestFrames = static_cast<int>(std::count(sizes.begin(), sizes.end(), std::make_pair(shape.width, shape.height)));
    // The movie is grey when its first frame is (the rovers' cameras are), where that is asked
    // for: a third of the bytes to the encoder.
    bool started = false;
    const auto begin = [&](int firstChannels) {
        if (started) return true;
        started = true;
        shape.channels = options.greyFrames && firstChannels == 1 ? 1 : 3;
        return !ready || ready(shape);
    };
    const std::size_t pixels = static_cast<std::size_t>(shape.width) * shape.height;
    std::vector<std::uint8_t> bgr;
    const auto emit = [&](std::vector<std::uint8_t>& frame, int index) {
        captionInto(frame, shape, options.caption ? plan.frames[static_cast<std::size_t>(index)].caption : std::string());
        if (progress) progress(index + 1, total, "frames");
        return sink(frame.data(), index);
    };

    if (options.look != Look::Difference) {
        bool going = true;
        errors = readAll(plan, jobs, stop, [&](int index, Raw& raw) {
            if (!going) return;
            if (!begin(raw.channels)) {
                going = false;
                return;
            }
            std::vector<std::uint8_t> plane = fitted(raw, shape.width, shape.height, raw.channels);
            if (options.look == Look::Stretch) {
                // Each frame to its own 1 %-99 % range: the exposure's flicker goes.
                const auto [lo, hi] = stretchRange(plane.data(), plane.size(), 1);
                if (hi > lo)
                    for (std::uint8_t& v : plane) v = clampToByte((v - lo) * 255.0 / (hi - lo));
            }
            toMovie(plane, raw.channels, shape.channels, bgr);
            going = emit(bgr, index);
        });
        if (errors.empty() && !going) return "stopped";
        return errors;
    }

    // The still scene is the median of every frame: each frame is held once.
    std::vector<std::vector<std::uint8_t>> planes(static_cast<std::size_t>(total));
    std::vector<int> channels(static_cast<std::size_t>(total), 1);
    errors = readAll(plan, jobs, stop, [&](int index, Raw& raw) {
        planes[static_cast<std::size_t>(index)] = fitted(raw, shape.width, shape.height, raw.channels);
        channels[static_cast<std::size_t>(index)] = raw.channels;
        if (progress) progress(index + 1, total, "reading");
    });
    if (!errors.empty()) return errors;
    const int c = *std::max_element(channels.begin(), channels.end());
    for (int i = 0; i < total; ++i)
        if (channels[static_cast<std::size_t>(i)] != c) {
            std::vector<std::uint8_t> colour;
            toBgr(planes[static_cast<std::size_t>(i)], 1, colour);
            planes[static_cast<std::size_t>(i)] = std::move(colour);
        }
    if (stop != nullptr && stop->load()) return "stopped";
    if (!begin(c)) return "stopped";
    std::vector<const std::uint8_t*> pointers;
    for (const auto& p : planes) pointers.push_back(p.data());
    const std::size_t size = pixels * static_cast<std::size_t>(c);
    const std::vector<std::uint8_t> median = medianOf(pointers, size, jobs);
    if (progress) progress(total, total, "median");
    // Each frame's exposure matched to the still scene's first (the rovers' exposures differ a
    // little from frame to frame): a gain and offset fitted over all its pixels, which the few
    // that move barely sway. What is left is what moved.
    std::vector<std::pair<double, double>> exposure(static_cast<std::size_t>(total));
    for (int i = 0; i < total; ++i)
        exposure[static_cast<std::size_t>(i)] = exposureFit(planes[static_cast<std::size_t>(i)].data(), median.data(), size);
    // One gain for the whole movie, so that a level means the same in every frame.
    std::vector<std::uint32_t> histogram(256, 0);
    for (int i = 0; i < total; ++i) {
        const auto [a, b] = exposure[static_cast<std::size_t>(i)];
        const std::uint8_t* p = planes[static_cast<std::size_t>(i)].data();
        for (std::size_t k = 0; k < size; ++k)
            ++histogram[static_cast<std::size_t>(std::min(255.0, std::fabs(std::nearbyint(a * p[k] + b - median[k]))))];
    }
    const double gain = differenceGain(histogram);
    for (int i = 0; i < total; ++i) {
        if (stop != nullptr && stop->load()) return "stopped";
        std::vector<std::uint8_t>& p = planes[static_cast<std::size_t>(i)];
        const auto [a, b] = exposure[static_cast<std::size_t>(i)];
        for (std::size_t k = 0; k < size; ++k) p[k] = clampToByte(128.0 + gain * (a * p[k] + b - median[k]));
        toMovie(p, c, shape.channels, bgr);
        std::vector<std::uint8_t>().swap(p);  // given back as soon as it is sent
        if (!emit(bgr, i)) return "stopped";
    }
    return {};
}

}  // namespace keldar::movie
