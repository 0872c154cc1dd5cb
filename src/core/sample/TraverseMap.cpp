#include "core/sample/TraverseMap.h"

#include "core/sample/Noise.h"

#include <algorithm>
#include <cmath>

namespace keldar::sample {

namespace {

constexpr float kPi = 3.14159265358979f;

// Impact craters are what make a plain readable from orbit; the view terrain has none, so the
// map adds them as a relief of their own. Returns the gradient of the crater relief.
void craterGradient(float x, float y, std::uint32_t seed, float minRadius, float& gx, float& gy) {
    struct Scale {
        float cell, probability, rMin, rMax;
    };
    static constexpr Scale kScales[] = {{60.0f, 0.35f, 4.0f, 18.0f}, {400.0f, 0.45f, 25.0f, 150.0f}};
    gx = gy = 0.0f;
    for (int si = 0; si < 2; ++si) {
        const Scale& sc = kScales[si];
        if (sc.rMax < minRadius) continue;
        const std::int32_t cx0 = floorToInt(x / sc.cell);
        const std::int32_t cy0 = floorToInt(y / sc.cell);
        const std::uint32_t sd = seed * 17u + 101u * static_cast<std::uint32_t>(si + 1);
        // Craters may spill over their cell, so the neighbours are looked at too.
        for (std::int32_t j = cy0 - 1; j <= cy0 + 1; ++j) {
            for (std::int32_t i = cx0 - 1; i <= cx0 + 1; ++i) {
                if (hashUnit(i, j, sd) >= sc.probability) continue;
                const float u = hashUnit(i, j, sd + 1);
                const float r = sc.rMin + (sc.rMax - sc.rMin) * u * u * u;
                if (r < minRadius) continue;
                const float ccx = (static_cast<float>(i) + hashUnit(i, j, sd + 2)) * sc.cell;
                const float ccy = (static_cast<float>(j) + hashUnit(i, j, sd + 3)) * sc.cell;
                const float dx = x - ccx, dy = y - ccy;
                const float d = std::sqrt(dx * dx + dy * dy);
                const float q = d / r;
                if (q >= 2.2f || d < 1e-4f) continue;
                // Bowl inside (depth 0.2 r), raised rim at q = 1, ejecta apron decaying outside.
                float dhdq;
                if (q < 1.0f) dhdq = 0.2f * r * 2.0f * q + 0.04f * r * 3.0f * q * q;
                else dhdq = -0.04f * r * 3.0f * std::exp(-3.0f * (q - 1.0f));
                const float g = dhdq / r;
                gx += g * dx / d;
                gy += g * dy / d;
            }
        }
    }
}

float niceLength(float maxMetres) {
    const float steps[] = {1, 2, 5, 10, 20, 25, 50, 100, 200, 250, 500, 1000, 2000, 5000};
    float best = steps[0];
    for (float s : steps)
        if (s <= maxMetres) best = s;
    return best;
}

void outlinedText(Raster& r, int x, int y, const std::string& text, int scale, Rgb c) {
    const Rgb shadow{0.05f, 0.04f, 0.03f};
    for (int oy = -1; oy <= 1; ++oy)
        for (int ox = -1; ox <= 1; ++ox)
            if (ox != 0 || oy != 0) drawText(r, x + ox, y + oy, text, scale, shadow);
    drawText(r, x, y, text, scale, c);
}

}  // namespace

std::vector<MapPoint> traversePath(std::uint32_t seed, int sols) {
    std::vector<MapPoint> path;
    path.reserve(static_cast<std::size_t>(sols) + 1);
    Rng rng(0x5EED0000ULL + seed);
    MapPoint p;
    path.push_back(p);
    float heading = rng.uniform() * 2.0f * kPi;
    const float goal = heading;
    for (int sol = 1; sol <= sols; ++sol) {
        // Early sols are spent near the lander; later the rover drives on most sols, sometimes far.
        const float driveChance = sol < 12 ? 0.15f : 0.5f;
        if (rng.uniform() < driveChance) {
            const float u = rng.uniform();
            const float dist = 4.0f + (sol < 60 ? 25.0f : 90.0f) * u * u;
            heading += (rng.uniform() - 0.5f) * 1.2f;
            if (rng.uniform() < 0.06f) heading += (rng.uniform() - 0.5f) * 3.0f;  // a detour
            heading = lerp(heading, goal, 0.08f);  // the campaign keeps its general direction
            p.x += std::sin(heading) * dist;
            p.y += std::cos(heading) * dist;
        }
        path.push_back(p);
    }
    return path;
}

Raster renderTraverseMap(const Terrain& terrain, const std::vector<MapPoint>& path, int solFirst, int solLast,
                         const std::string& title, int width, int height) {
    const int last = std::clamp(solLast, 0, static_cast<int>(path.size()) - 1);
    const int first = std::clamp(solFirst, 0, last);
    float minX = path[static_cast<std::size_t>(first)].x, maxX = minX;
    float minY = path[static_cast<std::size_t>(first)].y, maxY = minY;
    for (int s = first; s <= last; ++s) {
        const MapPoint& q = path[static_cast<std::size_t>(s)];
        minX = std::min(minX, q.x); maxX = std::max(maxX, q.x);
        minY = std::min(minY, q.y); maxY = std::max(maxY, q.y);
    }
    // Leave room for the title band and the scale bar.
    const float mpp = std::max({(maxX - minX) / (static_cast<float>(width) * 0.75f),
                                (maxY - minY) / (static_cast<float>(height) * 0.62f), 0.25f});
    const float cx = 0.5f * (minX + maxX);
    const float cy = 0.5f * (minY + maxY) + 0.03f * static_cast<float>(height) * mpp;

    Raster map = renderMap(terrain, cx, cy, mpp, width, height);
    // Craters, lit from the upper left like the relief beneath.
    const std::uint32_t seed = terrain.params().seed;
    for (int row = 0; row < height; ++row) {
        for (int col = 0; col < width; ++col) {
            const float x = cx + (static_cast<float>(col) + 0.5f - static_cast<float>(width) * 0.5f) * mpp;
            const float y = cy - (static_cast<float>(row) + 0.5f - static_cast<float>(height) * 0.5f) * mpp;
            float gx, gy;
            craterGradient(x, y, seed, 1.5f * mpp, gx, gy);
            if (gx == 0.0f && gy == 0.0f) continue;
            const float k = std::clamp(1.0f + 1.6f * (gx * 0.5f - gy * 0.5f), 0.35f, 1.6f);
            Rgb& px = map.at(col, row);
            px = {std::min(px.r * k, 1.0f), std::min(px.g * k, 1.0f), std::min(px.b * k, 1.0f)};
        }
    }

    auto toPx = [&](const MapPoint& q, float& px, float& py) {
        px = (q.x - cx) / mpp + static_cast<float>(width) * 0.5f;
        py = (cy - q.y) / mpp + static_cast<float>(height) * 0.5f;
    };
    const Rgb dark{0.08f, 0.05f, 0.03f};
    const Rgb faint{0.95f, 0.92f, 0.85f};
    const Rgb track{1.0f, 0.86f, 0.15f};
    const Rgb white{1.0f, 1.0f, 1.0f};

    // The drive before this map's sols, faint.
    for (int s = 1; s <= first; ++s) {
        float x0, y0, x1, y1;
        toPx(path[static_cast<std::size_t>(s - 1)], x0, y0);
        toPx(path[static_cast<std::size_t>(s)], x1, y1);
        drawLine(map, x0, y0, x1, y1, 1.5f, faint, 0.55f);
    }
    for (int pass = 0; pass < 2; ++pass) {
        for (int s = first + 1; s <= last; ++s) {
            float x0, y0, x1, y1;
            toPx(path[static_cast<std::size_t>(s - 1)], x0, y0);
            toPx(path[static_cast<std::size_t>(s)], x1, y1);
            if (pass == 0) drawLine(map, x0, y0, x1, y1, 5.0f, dark, 0.8f);
            else drawLine(map, x0, y0, x1, y1, 2.5f, track);
        }
    }

    // Sol ticks: a mark across the track and the sol number beside it.
    const int span = last - first;
    const int tick = span <= 120 ? 10 : (span <= 400 ? 50 : 100);
    for (int s = (first / tick + 1) * tick; s <= last; s += tick) {
        const MapPoint& a = path[static_cast<std::size_t>(std::max(s - 1, 0))];
        const MapPoint& b = path[static_cast<std::size_t>(std::min(s + 1, last))];
        float px, py, ax, ay, bx, by;
        toPx(path[static_cast<std::size_t>(s)], px, py);
        toPx(a, ax, ay);
        toPx(b, bx, by);
        float nx = -(by - ay), ny = bx - ax;
        const float len = std::sqrt(nx * nx + ny * ny);
        if (len < 1e-3f) { nx = 1.0f; ny = 0.0f; } else { nx /= len; ny /= len; }
        drawLine(map, px - nx * 6.0f, py - ny * 6.0f, px + nx * 6.0f, py + ny * 6.0f, 2.0f, white);
        const std::string label = std::to_string(s);
        const int tx = static_cast<int>(px + nx * 10.0f) - (nx < 0.0f ? textWidth(label, 1) : 0);
        const int ty = static_cast<int>(py + ny * 10.0f) - 3;
        outlinedText(map, tx, ty, label, 1, white);
    }
    // Start and end of the stretch.
    {
        float sx, sy, ex, ey;
        toPx(path[static_cast<std::size_t>(first)], sx, sy);
        toPx(path[static_cast<std::size_t>(last)], ex, ey);
        drawDisc(map, sx, sy, 5.0f, dark);
        drawDisc(map, sx, sy, 3.5f, Rgb{0.3f, 0.85f, 0.35f});
        drawDisc(map, ex, ey, 5.0f, dark);
        drawDisc(map, ex, ey, 3.5f, Rgb{0.95f, 0.25f, 0.2f});
    }

    // Title band.
    for (int row = 0; row < 30 && row < height; ++row)
        for (int col = 0; col < width; ++col) map.blend(col, row, dark, 0.6f);
    outlinedText(map, 10, 8, title, 2, white);

    // Scale bar, bottom left.
    const float barMetres = niceLength(static_cast<float>(width) * 0.25f * mpp);
    const float barPx = barMetres / mpp;
    const float by = static_cast<float>(height) - 18.0f;
    drawLine(map, 12.0f, by, 12.0f + barPx, by, 6.0f, dark);
    drawLine(map, 12.0f, by, 12.0f + barPx, by, 3.0f, white);
    const int mLabel = static_cast<int>(std::lround(barMetres));
    const std::string scaleText = mLabel >= 1000 ? std::to_string(mLabel / 1000) + " KM" : std::to_string(mLabel) + " M";
    outlinedText(map, 14, static_cast<int>(by) - 14, scaleText, 1, white);

    // North arrow, bottom right.
    const float ax = static_cast<float>(width) - 24.0f, ay = static_cast<float>(height) - 16.0f;
    drawLine(map, ax, ay, ax, ay - 30.0f, 5.0f, dark);
    drawLine(map, ax, ay, ax, ay - 30.0f, 2.5f, white);
    drawLine(map, ax, ay - 32.0f, ax - 7.0f, ay - 20.0f, 2.5f, white);
    drawLine(map, ax, ay - 32.0f, ax + 7.0f, ay - 20.0f, 2.5f, white);
    outlinedText(map, static_cast<int>(ax) - 2, static_cast<int>(ay) - 48, "N", 1, white);
    return map;
}

}  // namespace keldar::sample
