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
    imaging::ImageResult result = read(job.path);
    // Changed while it was read: what was read may be neither version.
    if (fileStampOf(job.path) != before) return std::nullopt;
    Done done{job.path, *before, {}};
    if (!result.ok()) return done;
    done.prepared.picture = std::make_shared<const imaging::ImageBuffer>(std::move(result.image));
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

}  // namespace keldar::ui
