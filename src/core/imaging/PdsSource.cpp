#include <cerrno>
#include <cstring>
#include <new>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/imaging/ImageFileInternal.h"
#include "core/imaging/PdsImage.h"

namespace keldar::imaging {

PdsFileSource::~PdsFileSource() {
    if (fd_ >= 0) ::close(fd_);
}

std::string PdsFileSource::open(const std::string& path) {
    path_ = path;
    if (path.empty()) return "no file name given";
    // Non-blocking, and regular files only: a FIFO or a device would hang or never end.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd_ < 0) return "cannot open " + path + ": " + std::strerror(errno);
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return "cannot read " + path + ": " + std::strerror(errno);
    if (S_ISDIR(st.st_mode)) return "cannot read " + path + ": is a directory";
    if (!S_ISREG(st.st_mode)) return "cannot read " + path + ": " + detail::notRegularFileText(st.st_mode);
    if (st.st_size == 0) return "cannot read " + path + ": the file is empty (0 bytes)";
    size_ = static_cast<std::uint64_t>(st.st_size);
    return {};
}

const std::uint8_t* PdsFileSource::fetch(std::uint64_t offset, std::size_t n, std::vector<std::uint8_t>& buffer,
                                         std::string& error) const {
    if (offset > size_ || n > size_ - offset) {
        error = "truncated file: " + std::to_string(n) + " bytes at byte " + std::to_string(offset) + " are past its end";
        return nullptr;
    }
    try {
        if (buffer.size() < n) buffer.resize(n);
    } catch (const std::bad_alloc&) {
        error = "cannot read " + path_ + ": out of memory";
        return nullptr;
    }
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd_, buffer.data() + done, n - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = "cannot read " + path_ + ": " + std::strerror(errno);
            return nullptr;
        }
        if (got == 0) {
            error = "cannot read " + path_ + ": the file shrank while it was read";
            return nullptr;
        }
        done += static_cast<std::size_t>(got);
    }
    return buffer.data();
}

std::unique_ptr<PdsSource> PdsFileSource::sibling(const std::string& name, std::string& error) const {
    // The file a label names sits beside it; archive volumes write names in lower case while
    // labels print them in upper case, so the name is matched without regard to case.
    const std::size_t slash = path_.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string(".") : path_.substr(0, slash == 0 ? 1 : slash);
    const std::string own = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    if (name.find('/') != std::string::npos) {
        error = "^IMAGE points into " + name + ", which is not a file beside this one";
        return nullptr;
    }
    if (equalsNoCaseText(name, own)) return nullptr;  // this very file
    std::string found;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* entry = ::readdir(d)) {
            if (equalsNoCaseText(entry->d_name, name)) {
                found = entry->d_name;
                if (found == name) break;
            }
        }
        ::closedir(d);
    }
    if (found.empty()) {
        error = "^IMAGE points into " + name + ", which is not beside this file";
        return nullptr;
    }
    auto other = std::make_unique<PdsFileSource>();
    if (std::string problem = other->open(dir + "/" + found); !problem.empty()) {
        error = problem;
        return nullptr;
    }
    return other;
}

std::unique_ptr<PdsSource> PdsSource::sibling(const std::string& name, std::string& error) const {
    error = "^IMAGE points into a separate file, " + name + ", and no directory is known to find it in";
    return nullptr;
}

bool equalsNoCaseText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace keldar::imaging
