#include "core/imaging/ImageFile.h"
#include "core/imaging/ImageFileInternal.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace keldar::imaging {

namespace detail {

namespace {

// The longest file name (one path component) Linux file systems take.
constexpr std::size_t kNameMax = 255;

}  // namespace

std::string TempFile::create(const std::string& path, ExistingFile existing) {
    discard();
    destination_ = path;
    existing_ = existing;
    if (path.empty()) return "no file name given";
    const std::size_t slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty()) return "cannot write " + path + ": not a file name";
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string suffix = ".tmp-" + std::to_string(::getpid()) + "-" +
                                   std::to_string(counter.fetch_add(1)) + "-" + std::to_string(rd() % 100000);
        // The temporary name must itself be a legal name: a destination of up to NAME_MAX
        // bytes keeps only as much of its own name as leaves room for the suffix.
        const std::size_t room = kNameMax - 1 - suffix.size();
        temp_ = dir + "." + base.substr(0, std::min(base.size(), room)) + suffix;
        // 0666 lets the umask decide the final permissions, as for any newly created file.
        fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) return {};
        if (errno != EEXIST) return failure(errno);
    }
    return "cannot write " + path + ": no free temporary name";
}

std::string TempFile::writeAll(const std::uint8_t* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd_, data + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return failure(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    return {};
}

std::string TempFile::writeAllAt(const std::uint8_t* data, std::size_t size, std::uint64_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return failure(errno);
        }
        done += static_cast<std::size_t>(n);
    }
    return {};
}

std::string TempFile::reserve(std::uint64_t size) {
    const int err = ::posix_fallocate(fd_, 0, static_cast<off_t>(size));
    if (err != 0 && err != EINVAL && err != EOPNOTSUPP) return failure(err);
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) return failure(errno);
    return {};
}

std::string TempFile::commit() {
    if (::fsync(fd_) != 0 && errno != EINVAL) return failure(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return failure(errno);
    if (existing_ == ExistingFile::Keep) {
        if (std::string error = moveIntoPlaceKeepingExisting(); !error.empty()) return error;
    } else if (::rename(temp_.c_str(), destination_.c_str()) != 0) {
        return failure(errno);
    }
    temp_.clear();
    return {};
}

void TempFile::discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
}

std::string TempFile::failure(int err) {
    std::string message = "cannot write " + destination_ + ": " + errnoText(err);
    discard();
    return message;
}

std::string TempFile::moveIntoPlaceKeepingExisting() {
    if (::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, destination_.c_str(), RENAME_NOREPLACE) == 0) return {};
    int err = errno;
    if (err == EINVAL || err == ENOSYS || err == ENOTSUP) {
        if (::link(temp_.c_str(), destination_.c_str()) == 0) {
            ::unlink(temp_.c_str());
            return {};
        }
        err = errno;
        if (err != EEXIST) {
            struct stat st{};
            if (::lstat(destination_.c_str(), &st) == 0) {
                err = EEXIST;
            } else if (::rename(temp_.c_str(), destination_.c_str()) == 0) {
                return {};
            } else {
                err = errno;
            }
        }
    }
    if (err == EEXIST) {
        std::string message = "cannot write " + destination_ + ": a file of that name already exists";
        discard();
        return message;
    }
    return failure(err);
}

}  // namespace detail

int removeStaleTemporaryFiles(const std::string& directory) {
    // ".NAME.tmp-PID-COUNTER-RANDOM", as TempFile::create names them.
    DIR* dir = ::opendir(directory.empty() ? "." : directory.c_str());
    if (dir == nullptr) return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        const std::size_t tmp = name.rfind(".tmp-");
        if (name.size() < 2 || name[0] != '.' || tmp == std::string::npos || tmp == 0) continue;
        // PID, counter and random part: three runs of digits separated by '-'.
        std::size_t at = tmp + 5;
        long long pid = 0;
        int parts = 0;
        bool digitsOnly = true;
        while (at <= name.size() && digitsOnly) {
            const std::size_t dash = std::min(name.find('-', at), name.size());
            if (dash == at) digitsOnly = false;
            for (std::size_t i = at; i < dash && digitsOnly; ++i)
                digitsOnly = name[i] >= '0' && name[i] <= '9' && (parts > 0 || i - at < 9);
            if (digitsOnly && parts == 0) pid = std::stoll(name.substr(at, dash - at));
            ++parts;
            at = dash + 1;
        }
        if (!digitsOnly || parts != 3 || pid <= 0) continue;
        // Still being written by a live process (or one of another user): left alone.
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        const std::string path = (directory.empty() ? std::string() : directory + "/") + name;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(path.c_str()) == 0) ++removed;
    }
    ::closedir(dir);
    return removed;
}

std::string writeFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size,
                                ExistingFile existing) {
    detail::TempFile file;
    if (std::string error = file.create(path, existing); !error.empty()) return error;
    if (std::string error = file.writeAll(data, size); !error.empty()) return error;
    return file.commit();
}

}  // namespace keldar::imaging
