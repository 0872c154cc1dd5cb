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

PicturePrefetch::PicturePrefetch(Reader read) : read_(std::move(read)), worker_([this] { run(); }) {}

PicturePrefetch::~PicturePrefetch() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    worker_.join();
}

void PicturePrefetch::request(const std::string& path, const std::vector<ViewTarget>& views) {
    {
        const std::lock_guard lock(mutex_);
        const bool reading = running_ == path && runningGeneration_ == generation_;
        if ((done_ && done_->path == path) || reading || (pending_ && pending_->path == path)) return;
        dropLocked();
        pending_ = Job{path, views};
    }
    changed_.notify_all();
}

std::optional<PreparedPicture> PicturePrefetch::take(const std::string& path, const FileStamp& stamp) {
    std::unique_lock lock(mutex_);
    // A read not yet begun is quicker done by the caller than waited for; one under way is
    // waited for a while only, so a read that hangs (a slow or dead file system) cannot take
    // the caller with it: the caller then reads the file itself and meets the trouble there.
    const bool finished = changed_.wait_for(lock, kLongestWait, [&] {
        return running_ != path || runningGeneration_ != generation_;
    });
    std::optional<PreparedPicture> taken;
    if (!finished) {
        dropLocked();
        return taken;
    }
    if (done_ && done_->path == path && done_->stamp == stamp) taken = std::move(done_->prepared);
    dropLocked();
    return taken;
}

void PicturePrefetch::clear() {
    const std::lock_guard lock(mutex_);
    dropLocked();
}

void PicturePrefetch::waitIdle() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return running_.empty() && !pending_; });
}

void PicturePrefetch::dropLocked() {
    ++generation_;
    pending_.reset();
    done_.reset();
}

void PicturePrefetch::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return stopping_ || pending_.has_value(); });
        if (stopping_) return;
        const Job job = std::move(*pending_);
        pending_.reset();
        running_ = job.path;
        runningGeneration_ = generation_;
        lock.unlock();
        std::optional<Done> done;
        try {
            done = prepare(job);
        } catch (...) {
            // Out of memory or the like: the walk reads the file itself and meets the error there.
        }
        lock.lock();
        if (done && runningGeneration_ == generation_) done_ = std::move(done);
        running_.clear();
        changed_.notify_all();
    }
}

std::optional<PicturePrefetch::Done> PicturePrefetch::prepare(const Job& job) const {
    const std::optional<FileStamp> before = fileStampOf(job.path);
    if (!before) return std::nullopt;
    imaging::ImageResult result = read_(job.path);
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
