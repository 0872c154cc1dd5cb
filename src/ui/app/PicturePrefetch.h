#pragma once
// Reading ahead: the picture the walk will most likely show next is decoded, and scaled for
// the views that will draw it, on a worker thread while the current one is shown. One slot:
// a new request drops the one before. A picture read ahead is handed over only for the same
// path, and only when the file still has the identity, size and times it had before and after
// it was read, so a file replaced meanwhile is read again. Files that do not decode are
// remembered as such, so the walk skips them as it would after reading them itself.

#include <sys/stat.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <QImage>

#include "core/imaging/ImageFile.h"
#include "ui/app/ImageConversion.h"

namespace keldar::ui {

// What tells one version of a file from another without reading it.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::int64_t changedSeconds = 0;
    std::int64_t changedNanoseconds = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};
FileStamp fileStampOf(const struct stat& info);
// nullopt when the file cannot be examined.
std::optional<FileStamp> fileStampOf(const std::string& path);

// A view the picture will be drawn in.
struct ViewTarget {
    QSize view;
    bool stretch = false;
};

struct PreparedPicture {
    SharedPicture picture;       // null: the file does not decode
    std::vector<QImage> scaled;  // display images for the views asked for
};

class PicturePrefetch {
public:
    // How long take() waits for a read under way before it gives up on it.
    static constexpr std::chrono::milliseconds kLongestWait{2000};

    using Reader = std::function<imaging::ImageResult(const std::string& path)>;
    // The workbench's own reader. A JPEG is decoded straight into the screen's pixel form, at
    // a reduced size when the views show it small enough; its 24-bit pixels are made when
    // first used.
    PicturePrefetch();
    // `read` decodes every file in full (a test putting a reader of its own in between).
    explicit PicturePrefetch(Reader read);
    ~PicturePrefetch();
    PicturePrefetch(const PicturePrefetch&) = delete;
    PicturePrefetch& operator=(const PicturePrefetch&) = delete;

    // Starts reading `path` (file-system bytes) for `views`; nothing when it is already read
    // or being read.
    void request(const std::string& path, const std::vector<ViewTarget>& views);
    // The picture read ahead for `path` when the file is still as `stamp` says, waiting for a
    // read of that file already under way (at most kLongestWait); nullopt otherwise, and
    // whatever else was read or asked for is dropped.
    std::optional<PreparedPicture> take(const std::string& path, const FileStamp& stamp);
    // Whether `path` is read ahead, being read or waiting to be.
    bool holds(const std::string& path) const;
    void clear();
    // `path` read now on the calling thread, as a worker of the workbench's own would read it;
    // nullopt when the file changed while it was read (or cannot be examined).
    static std::optional<PreparedPicture> readNow(const std::string& path, const std::vector<ViewTarget>& views);
    // Waits until nothing is being read or waiting to be.
    void waitIdle();

private:
    struct Job {
        std::string path;
        std::vector<ViewTarget> views;
    };
    struct Done {
        std::string path;
        FileStamp stamp;
        PreparedPicture prepared;
    };
    // What the worker shares with the object: held by both, so that a worker still stuck in a
    // read when the object goes (a file system that never answers) can be let go with it.
    struct Shared {
        Reader read;
        bool displayDecoding = false;
        std::mutex mutex;
        std::condition_variable changed;
        std::optional<Job> pending;
        std::string running;  // the path being read, "" when none
        std::uint64_t runningGeneration = 0;
        std::uint64_t generation = 0;  // a read started in an older one is not kept
        std::optional<Done> done;
        bool stopping = false;
        bool exited = false;
        void run();
        std::optional<Done> prepare(const Job& job) const;
        std::optional<Done> prepareForDisplay(const Job& job, const FileStamp& before) const;
        void dropLocked();
    };
    std::shared_ptr<Shared> shared_;
    std::thread worker_;  // last: started once everything it uses is there
};

}  // namespace keldar::ui
