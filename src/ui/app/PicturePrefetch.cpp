#include "ui/app/PicturePrefetch.h"

#include <algorithm>

#include "ui/app/ImageView.h"

namespace keldar::ui {

FileStamp fileStampOf(const struct stat& info) {
    FileStamp stamp;
    stamp.device = static_cast<std::uint64_t>(info.st_dev);
    stamp.inode = static_cast<std::uint64_t>(info.st_ino);
    stamp.size = static_cast<std::int64_t>(info.st_size);
    stamp.modifiedSeconds = static_cast<std::int64_t>(info.st_mtim.tv_sec);
    stamp.modifiedNanoseconds = static_cast<std::int64_t>(info.st_mtim.tv_nsec);
    stamp.changedSeconds = static_cast<std::int64_t>(info.st_ctim.tv_sec);
    stamp.changedNanoseconds = static_cast<std::int64_t>(info.st_ctim.tv_nsec);
    return stamp;
}

std::optional<FileStamp> fileStampOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    return fileStampOf(info);
}

PicturePrefetch::PicturePrefetch()
    : shared_([] {
          auto shared = std::make_shared<Shared>();
          shared->read = imaging::readImageFile;
          shared->displayDecoding = true;
          return shared;
      }()),
      worker_([shared = shared_] { shared->run(); }) {}

PicturePrefetch::PicturePrefetch(Reader read)
    : shared_([&read] {
          auto shared = std::make_shared<Shared>();
          shared->read = std::move(read);
          return shared;
      }()),
      worker_([shared = shared_] { shared->run(); }) {}

PicturePrefetch::~PicturePrefetch() {
    Shared& s = *shared_;
    std::unique_lock lock(s.mutex);
    s.stopping = true;
    s.changed.notify_all();
    // A read under way is waited for a while only; a worker stuck in one is let go, and the
    // state it shares goes with it when it ends.
    const bool exited = s.changed.wait_for(lock, kLongestWait, [&] { return s.exited; });
    lock.unlock();
    if (exited) worker_.join();
    else worker_.detach();
}

void PicturePrefetch::request(const std::string& path, const std::vector<ViewTarget>& views) {
    Shared& s = *shared_;
    {
        const std::lock_guard lock(s.mutex);
        const bool reading = s.running == path && s.runningGeneration == s.generation;
        if ((s.done && s.done->path == path) || reading || (s.pending && s.pending->path == path)) return;
        s.dropLocked();
        s.pending = Job{path, views};
    }
    s.changed.notify_all();
}

std::optional<PreparedPicture> PicturePrefetch::take(const std::string& path, const FileStamp& stamp) {
    Shared& s = *shared_;
    std::unique_lock lock(s.mutex);
    // A read not yet begun is quicker done by the caller than waited for; one under way is
    // waited for a while only, so a read that hangs (a slow or dead file system) cannot take
    // the caller with it: the caller then reads the file itself and meets the trouble there.
    const bool finished = s.changed.wait_for(lock, kLongestWait, [&] {
        return s.running != path || s.runningGeneration != s.generation;
    });
    std::optional<PreparedPicture> taken;
    if (!finished) {
        s.dropLocked();
        return taken;
    }
    if (s.done && s.done->path == path && s.done->stamp == stamp) taken = std::move(s.done->prepared);
    s.dropLocked();
    return taken;
}

bool PicturePrefetch::holds(const std::string& path) const {
    Shared& s = *shared_;
    const std::lock_guard lock(s.mutex);
    return (s.done && s.done->path == path) || (s.running == path && s.runningGeneration == s.generation) ||
           (s.pending && s.pending->path == path);
}

std::optional<PreparedPicture> PicturePrefetch::readNow(const std::string& path, const std::vector<ViewTarget>& views) {
    Shared reader;
    reader.read = imaging::readImageFile;
    reader.displayDecoding = true;
    std::optional<Done> done = reader.prepare(Job{path, views});
    if (!done) return std::nullopt;
    return std::move(done->prepared);
}

void PicturePrefetch::clear() {
    const std::lock_guard lock(shared_->mutex);
    shared_->dropLocked();
}

void PicturePrefetch::waitIdle() {
    Shared& s = *shared_;
    std::unique_lock lock(s.mutex);
    s.changed.wait(lock, [&] { return s.running.empty() && !s.pending; });
}

void PicturePrefetch::Shared::dropLocked() {
    ++generation;
    pending.reset();
    done.reset();
}

void PicturePrefetch::Shared::run() {
    std::unique_lock lock(mutex);
    for (;;) {
        changed.wait(lock, [&] { return stopping || pending.has_value(); });
        if (stopping) break;
        const Job job = std::move(*pending);
        pending.reset();
        running = job.path;
        runningGeneration = generation;
        lock.unlock();
        std::optional<Done> prepared;
        try {
            prepared = prepare(job);
        } catch (...) {
            // Out of memory or the like: the walk reads the file itself and meets the error there.
        }
        lock.lock();
        if (prepared && runningGeneration == generation) done = std::move(prepared);
        running.clear();
        changed.notify_all();
    }
    exited = true;
    changed.notify_all();
}

std::optional<PicturePrefetch::Done> PicturePrefetch::Shared::prepare(const Job& job) const {
    const std::optional<FileStamp> before = fileStampOf(job.path);
    if (!before) return std::nullopt;
    if (displayDecoding && !job.views.empty() && imaging::imageFileKindFor(job.path) == imaging::ImageFileKind::Jpeg) {
        if (std::optional<Done> done = prepareForDisplay(job, *before)) return done;
    }
    imaging::ImageResult result = read(job.path);
    // Changed while it was read: what was read may be neither version.
    if (fileStampOf(job.path) != before) return std::nullopt;
    Done done{job.path, *before, {}};
    if (!result.ok()) return done;
    done.prepared.picture = makePicture(std::move(result.image));
    const QImage image = sharedQImage(done.prepared.picture);
    std::vector<QImage>& scaled = done.prepared.scaled;
    for (const ViewTarget& target : job.views) {
        const QSize size = fitPictureRect(image.size(), target.view, target.stretch).size();
        if (size.isEmpty() ||
            std::any_of(scaled.begin(), scaled.end(), [&](const QImage& made) { return made.size() == size; }))
            continue;
        // The whole picture in display form, when made, spares the other sizes a conversion.
        const auto whole = std::find_if(scaled.begin(), scaled.end(),
                                        [&](const QImage& made) { return made.size() == image.size(); });
        scaled.push_back(displayImage(whole != scaled.end() ? *whole : image, size));
    }
    return done;
}

// A JPEG decoded straight into the screen's pixel form, at half, a quarter or an eighth of its
// size when that covers every view; nullopt when it is to be read in full instead (a JPEG
// neither plain grey nor colour). A picture decoded in full makes its 24-bit pixels from
// the same decode when first asked for; a reduced one reads its file again then.
std::optional<PicturePrefetch::Done> PicturePrefetch::Shared::prepareForDisplay(const Job& job,
                                                                                const FileStamp& before) const {
    imaging::DisplayDecode shown = imaging::readJpegForDisplay(job.path, [&](int width, int height) {
        QSize needed;
        for (const ViewTarget& target : job.views)
            needed = needed.expandedTo(fitPictureRect(QSize(width, height), target.view, target.stretch).size());
        return std::pair<int, int>(needed.width(), needed.height());
    });
    if (shown.error.empty() && !shown.decoded) return std::nullopt;
    // Changed while it was read: what was read may be neither version.
    if (fileStampOf(job.path) != before) return std::nullopt;
    Done done{job.path, before, {}};
    if (!shown.error.empty()) return done;  // does not decode, at any size
    std::uint8_t* bytes = shown.pixels.release();
    const QImage decoded(
        bytes, shown.width, shown.height, static_cast<qsizetype>(shown.width) * 4, QImage::Format_RGB32,
        [](void* held) { delete[] static_cast<std::uint8_t*>(held); }, bytes);
    if (decoded.isNull()) {
        delete[] bytes;
        return std::nullopt;
    }
    const QSize full(shown.fullWidth, shown.fullHeight);
    if (decoded.size() == full) {
        done.prepared.picture = std::make_shared<const Picture>(full, [decoded] { return fromQImage(decoded); });
    } else {
        done.prepared.picture = std::make_shared<const Picture>(full, [read = read, path = job.path] {
            imaging::ImageResult result = read(path);
            return result.ok() ? std::move(result.image) : imaging::ImageBuffer();
        });
    }
    // The largest view first; each smaller one is scaled from the least picture made so far
    // that covers it, which costs a fraction of scaling the whole decode again.
    std::vector<QSize> sizes;
    for (const ViewTarget& target : job.views) {
        const QSize size = fitPictureRect(full, target.view, target.stretch).size();
        if (!size.isEmpty() && std::find(sizes.begin(), sizes.end(), size) == sizes.end()) sizes.push_back(size);
    }
    std::vector<QSize> largestFirst = sizes;
    std::sort(largestFirst.begin(), largestFirst.end(),
              [](QSize a, QSize b) { return qint64(a.width()) * a.height() > qint64(b.width()) * b.height(); });
    std::vector<QImage> made;
    for (const QSize size : largestFirst) {
        const QImage* source = &decoded;
        for (const QImage& image : made)
            if (image.width() >= size.width() && image.height() >= size.height()) source = &image;
        made.push_back(displayImage(*source, size));
    }
    // Handed over in the order of the views.
    for (const QSize size : sizes)
        done.prepared.scaled.push_back(
            *std::find_if(made.begin(), made.end(), [&](const QImage& image) { return image.size() == size; }));
    return done;
}

}  // namespace keldar::ui
