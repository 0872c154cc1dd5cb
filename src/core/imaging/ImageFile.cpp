#include "core/imaging/ImageFile.h"
#include "core/imaging/ImageFileInternal.h"

#include "core/imaging/PdsImage.h"

#include <cerrno>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace keldar::imaging {

namespace {

std::string lowerCase(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

}  // namespace

namespace detail {

std::string notRegularFileText(unsigned mode) {
    if (S_ISFIFO(mode)) return "not a regular file but a FIFO (named pipe)";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "not a regular file but a device";
    if (S_ISSOCK(mode)) return "not a regular file but a socket";
    return "not a regular file";
}

std::string openImageFile(const std::string& path, int& fd, std::size_t& size) {
    // Non-blocking, so a FIFO in place of a picture cannot hang the open; only a regular file
    // is read (a FIFO, a device or a socket may never end).
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return "cannot open " + path + ": " + errnoText(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return "cannot read " + path + ": " + errnoText(err);
    }
    if (S_ISDIR(st.st_mode)) {
        ::close(fd);
        return "cannot read " + path + ": is a directory";
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return "cannot read " + path + ": " + notRegularFileText(st.st_mode);
    }
    if (st.st_size == 0) {
        ::close(fd);
        return "cannot read " + path + ": the file is empty (0 bytes)";
    }
    if (static_cast<std::uint64_t>(st.st_size) > kMaxImageFileBytes) {
        ::close(fd);
        return "cannot read " + path + ": file larger than " + std::to_string(kMaxImageFileBytes / (1024 * 1024)) + " MiB";
    }
    size = static_cast<std::size_t>(st.st_size);
    return {};
}

std::string readWholeFile(const std::string& path, FileBytes& out) {
    out = FileBytes{};
    int fd = -1;
    std::size_t capacity = 0;
    if (std::string error = openImageFile(path, fd, capacity); !error.empty()) return error;
    out.storage.reset(new (std::nothrow) std::uint8_t[capacity]);
    if (!out.storage) {
        ::close(fd);
        return "cannot read " + path + ": out of memory";
    }
    std::size_t got = 0;
    while (got < capacity) {
        const ssize_t n = ::read(fd, out.storage.get() + got, capacity - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            out = FileBytes{};
            return "cannot read " + path + ": " + errnoText(err);
        }
        if (n == 0) break;  // the file shrank while being read
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    out.size = got;
    if (got == 0) return "cannot read " + path + ": the file is empty (0 bytes)";
    return {};
}

}  // namespace detail

ImageFileKind imageFileKindFor(const std::string& path) {
    // The extension is taken from the last component only: a dot in a directory name counts not.
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return ImageFileKind::Bmp;
    const std::string ext = lowerCase(path.substr(dot));
    if (ext == ".jpg" || ext == ".jpeg") return ImageFileKind::Jpeg;
    return ext == ".img" ? ImageFileKind::Pds : ImageFileKind::Bmp;
}

std::string checkImageLimits(long long width, long long height) {
    if (width <= 0 || height <= 0) {
        return "invalid image dimensions " + std::to_string(width) + " x " + std::to_string(height);
    }
    if (width > kMaxImageSide || height > kMaxImageSide) {
        return "image dimensions " + std::to_string(width) + " x " + std::to_string(height) +
               " exceed the limit of " + std::to_string(kMaxImageSide) + " pixels per side";
    }
    const std::size_t bytes = ImageBuffer::strideFor(static_cast<int>(width)) * static_cast<std::size_t>(height);
    if (bytes > kMaxImageBytes) {
        return "image dimensions " + std::to_string(width) + " x " + std::to_string(height) +
               " exceed the limit of " + std::to_string(kMaxImageBytes / (1024 * 1024)) + " MiB of pixels";
    }
    return {};
}

ImageResult readImageFile(const std::string& path) {
    ImageResult result;
    if (path.empty()) {
        result.error = "no file name given";
        return result;
    }
    // A PDS product is read a line at a time; its file may be far larger than its picture.
    if (imageFileKindFor(path) == ImageFileKind::Pds) return readPdsImageFile(path);
    detail::FileBytes bytes;
    result.error = detail::readWholeFile(path, bytes);
    if (!result.ok()) return result;
    switch (imageFileKindFor(path)) {
    case ImageFileKind::Jpeg: result = decodeJpeg(bytes.data(), bytes.size); break;
    case ImageFileKind::Pds: break;
    case ImageFileKind::Bmp: result = decodeBmp(bytes.data(), bytes.size); break;
    }
    if (!result.ok()) result.error = path + ": " + result.error;
    return result;
}

std::string writeJpegFile(const ImageBuffer& image, const std::string& path, int quality, ExistingFile existing) {
    if (image.isEmpty()) return "cannot write " + path + ": cannot encode an empty image";
    JpegRowWriter writer;
    if (std::string error = writer.open(path, image.width(), image.height(), quality, existing); !error.empty()) {
        return error;
    }
    for (int y = 0; y < image.height(); ++y) {
        if (std::string error = writer.writeRow(image.row(y)); !error.empty()) return error;
    }
    return writer.commit();
}

std::string writeBmpFile(const ImageBuffer& image, const std::string& path, ExistingFile existing) {
    // Row by row: the whole file in memory would double the picture's footprint.
    if (image.isEmpty()) return "cannot write " + path + ": cannot encode an empty image";
    BmpRowWriter writer;
    if (std::string error = writer.open(path, image.width(), image.height(), existing); !error.empty()) return error;
    for (int y = 0; y < image.height(); ++y) {
        if (std::string error = writer.writeRow(image.row(y)); !error.empty()) return error;
    }
    return writer.commit();
}

std::string writeImageFile(const ImageBuffer& image, const std::string& path) {
    switch (imageFileKindFor(path)) {
    case ImageFileKind::Jpeg: return writeJpegFile(image, path, 100);
    case ImageFileKind::Pds: return refusePdsDestination(path);
    case ImageFileKind::Bmp: break;
    }
    return writeBmpFile(image, path);
}

std::string refusePdsDestination(const std::string& path) {
    if (imageFileKindFor(path) != ImageFileKind::Pds) return {};
    return "cannot write " + path + ": PDS .img files are read only; choose a .jpg or .bmp name";
}

std::string refuseOverwritingInput(const std::string& output, const std::vector<std::string>& inputs) {
    struct stat out {};
    const bool outExists = ::stat(output.c_str(), &out) == 0;
    for (const std::string& input : inputs) {
        struct stat in {};
        const bool same = input == output ||
                          (outExists && ::stat(input.c_str(), &in) == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino);
        if (same) return "cannot write " + output + ": it is the input " + input + "; choose another name";
    }
    return {};
}

}  // namespace keldar::imaging
