#include "core/gallery/ContactSheet.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <thread>

#include "core/imaging/BitmapText.h"
#include "core/imaging/ImageFile.h"
#include "core/imaging/Thumbnail.h"

namespace keldar::gallery {

namespace {

constexpr int kMargin = 12;
constexpr int kGap = 10;
constexpr std::uint8_t kGround = 40;
constexpr std::uint8_t kHeadingInk = 235;
constexpr std::uint8_t kCaptionInk = 200;
constexpr std::uint8_t kPlaceholder = 80;
constexpr int kHeadingScale = 2;
constexpr int kLine = imaging::kGlyphHeight + 3;  // a caption line at scale 1

// An identifier on two lines, so a caption is no wider than 14 characters.
std::pair<std::string, std::string> captionLines(const GalleryItem& item) {
    const std::string name =
        item.identifier.empty() ? std::filesystem::path(item.path).filename().string() : item.identifier;
    if (name.size() <= 14) return {name, {}};
    return {name.substr(0, 14), name.substr(14, 14)};
}

void fill(imaging::ImageBuffer& image, int x, int y, int w, int h, std::uint8_t value) {
    for (int yy = std::max(0, y); yy < std::min(image.height(), y + h); ++yy) {
        std::uint8_t* row = image.row(yy);
        for (int xx = std::max(0, x); xx < std::min(image.width(), x + w); ++xx)
            row[3 * xx] = row[3 * xx + 1] = row[3 * xx + 2] = value;
    }
}

void text(imaging::ImageBuffer& image, const std::string& s, int x, int bottom, int scale, std::uint8_t ink) {
    imaging::drawText(image.data(), image.width(), image.height(), image.stride(), 3, s, x, bottom, scale, ink, false);
}

}  // namespace

ContactSheet makeContactSheet(const std::vector<GalleryGroup>& groups, const SheetOptions& options,
                              const std::function<void(int, int)>& progress, const std::atomic<bool>* stop) {
    ContactSheet sheet;
    const int size = std::clamp(options.size, 16, 1024);
    std::vector<const GalleryItem*> items;
    for (const GalleryGroup& g : groups)
        for (const GalleryItem& i : g.items) items.push_back(&i);
    if (items.empty()) {
        sheet.error = "no pictures to show";
        return sheet;
    }
    // The thumbnails first, on every worker: the decoding is nearly all the work.
    std::vector<imaging::Thumbnail> thumbs(items.size());
    std::atomic<std::size_t> next{0};
    std::atomic<int> done{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < items.size(); i = next++) {
            if (stop != nullptr && stop->load()) return;
            thumbs[i] = imaging::readThumbnail(items[i]->path, size);
            ++done;
        }
    };
    std::vector<std::thread> workers;
    for (int j = 0; j < std::clamp(options.jobs, 1, 64); ++j) workers.emplace_back(work);
    const int total = static_cast<int>(items.size());
    while (progress && done.load() < total && !(stop != nullptr && stop->load())) {
        progress(done.load(), total);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    for (std::thread& t : workers) t.join();
    if (progress) progress(done.load(), total);
    if (stop != nullptr && stop->load()) {
        sheet.error = "stopped";
        return sheet;
    }
    int readable = 0;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (thumbs[i].ok())
            ++readable;
        else
            sheet.failures.push_back(items[i]->path + ": " + thumbs[i].error);
    }
    if (readable == 0) {
        sheet.error = "none of the " + std::to_string(items.size()) + " pictures could be read";
        return sheet;
    }

    // The layout: cells as wide as a thumbnail or a caption line, under each group's heading.
    const int cellWidth = std::max(size, imaging::textWidth(std::string(14, 'W'), 1));
    const int cellHeight = size + 4 + 3 * kLine;
    int columns = options.columns;
    if (columns <= 0) {
        const double area = static_cast<double>(items.size()) * (cellWidth + kGap) * (cellHeight + kGap);
        columns = static_cast<int>(std::ceil(std::sqrt(area * 1.5) / (cellWidth + kGap)));
    }
    columns = std::clamp(columns, 1, static_cast<int>(std::max<std::size_t>(items.size(), 1)));
    columns = std::max(columns, 1);
    const int headingHeight = imaging::kGlyphHeight * kHeadingScale + 10;
    const int width = 2 * kMargin + columns * cellWidth + (columns - 1) * kGap;
    long long height = kMargin;
    for (const GalleryGroup& g : groups) {
        if (g.items.empty()) continue;
        const long long rows = (static_cast<long long>(g.items.size()) + columns - 1) / columns;
        height += headingHeight + rows * (cellHeight + kGap) + kGap;
    }
    height += kMargin;
    if (const std::string limits = imaging::checkImageLimits(width, height); !limits.empty()) {
        sheet.error = "the sheet would be " + std::to_string(width) + " x " + std::to_string(height) +
                      " pixels, too large (" + limits + "): choose a smaller --size or another --columns";
        return sheet;
    }
    sheet.image = imaging::ImageBuffer(width, static_cast<int>(height));
    fill(sheet.image, 0, 0, width, static_cast<int>(height), kGround);

    int y = kMargin;
    std::size_t index = 0;
    for (const GalleryGroup& g : groups) {
        if (g.items.empty()) continue;
        ++sheet.groups;
        text(sheet.image, g.heading, kMargin, y + imaging::kGlyphHeight * kHeadingScale + 2, kHeadingScale,
             kHeadingInk);
        y += headingHeight;
        for (std::size_t k = 0; k < g.items.size(); ++k, ++index) {
            const int column = static_cast<int>(k % static_cast<std::size_t>(columns));
            if (column == 0 && k > 0) y += cellHeight + kGap;
            const int x = kMargin + column * (cellWidth + kGap);
            const imaging::Thumbnail& t = thumbs[index];
            if (t.ok()) {
                // Centred in its square, grey or colour as it came.
                const int ox = x + (cellWidth - t.width) / 2, oy = y + (size - t.height) / 2;
                for (int ty = 0; ty < t.height; ++ty) {
                    std::uint8_t* row = sheet.image.row(oy + ty) + 3 * ox;
                    const std::uint8_t* in = t.pixels.data() + static_cast<std::size_t>(ty) * t.width * t.channels;
                    for (int tx = 0; tx < t.width; ++tx, row += 3)
                        for (int c = 0; c < 3; ++c)
                            row[c] = in[static_cast<std::size_t>(tx) * t.channels + (t.channels == 3 ? c : 0)];
                }
            } else {
                fill(sheet.image, x + (cellWidth - size) / 2, y, size, size, kPlaceholder);
                text(sheet.image, "unreadable", x + (cellWidth - imaging::textWidth("unreadable", 1)) / 2,
                     y + size / 2 + 4, 1, kHeadingInk);
            }
            const auto [first, second] = captionLines(g.items[k]);
            int line = y + size + 4 + imaging::kGlyphHeight;
            for (const std::string& s :
                 {first, second, g.items[k].ltst.empty() ? std::string() : g.items[k].ltst + " LTST"}) {
                if (!s.empty())
                    text(sheet.image, s, x + (cellWidth - imaging::textWidth(s, 1)) / 2, line, 1, kCaptionInk);
                line += kLine;
            }
            ++sheet.pictures;
        }
        y += cellHeight + kGap + kGap;
    }
    return sheet;
}

}  // namespace keldar::gallery
