#include "movie/MovieEncoder.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace keldar::movie {

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;
double since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

std::vector<std::string> encoderArguments(const MovieOutput& output, const MovieShape& shape, const std::string& target) {
    std::vector<std::string> a = {"ffmpeg", "-hide_banner", "-nostats", "-loglevel", "error", "-y",
                                  "-f", "rawvideo", "-pix_fmt", shape.channels == 1 ? "gray" : "bgr24",
                                  "-s", std::to_string(shape.width) + "x" + std::to_string(shape.height),
                                  "-framerate", std::to_string(output.framesPerSecond), "-i", "pipe:0"};
    switch (output.format) {
        case Format::Mp4:
            // 4:2:0, which every player takes; the index in front, so it plays while it loads.
            a.insert(a.end(), {"-c:v", "libx264", "-preset", "superfast", "-crf", "18", "-pix_fmt", "yuv420p",
                               "-movflags", "+faststart", "-f", "mp4"});
            break;
        case Format::Gif:
            // Grey frames fit a palette of grey levels exactly, with no frame held back; colour
            // frames get a palette made from the frames themselves, which ffmpeg can only make
            // once it has seen them all.
            if (shape.channels == 1)
                a.insert(a.end(), {"-pix_fmt", "gray", "-loop", "0", "-f", "gif"});
            else
                a.insert(a.end(), {"-filter_complex", "split[a][b];[a]palettegen=stats_mode=full[p];[b][p]paletteuse",
                                   "-loop", "0", "-f", "gif"});
            break;
        case Format::Webm:
            a.insert(a.end(), {"-c:v", "libvpx-vp9", "-b:v", "0", "-crf", "32", "-deadline", "realtime", "-cpu-used",
                               "8", "-row-mt", "1", "-pix_fmt", "yuv420p", "-f", "webm"});
            break;
    }
    a.push_back(target);
    return a;
}

// Read, not set: umask() would change it for every thread for a moment.
mode_t processUmask() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    return 022;
}

}  // namespace

std::string findFfmpeg() {
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path != nullptr ? path : "");
    for (std::string dir; std::getline(dirs, dir, ':');) {
        if (dir.empty()) continue;
        const std::string candidate = dir + "/ffmpeg";
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

std::string FfmpegEncoder::start(const std::string& ffmpeg, const MovieOutput& output, const MovieShape& shape) {
    destination_ = output.path;
    keepExisting_ = output.keepExisting;
    frameBytes_ = static_cast<std::size_t>(shape.width) * shape.height * shape.channels;
    const fs::path dest(output.path);
    const fs::path dir = dest.parent_path().empty() ? fs::path(".") : dest.parent_path();
    std::string name = ".";
    name += dest.filename().string();
    name += ".keldar-XXXXXX";
    std::string temp = (dir / name).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) return "cannot write in " + dir.string() + ": " + std::strerror(errno);
    // A movie is for sharing: the mode a new file gets, not mkstemp's private one.
    ::fchmod(fd, 0666 & ~processUmask());
    ::close(fd);
    temp_ = temp;
    const char* tmpdir = std::getenv("TMPDIR");
    std::string log = std::string(tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp") + "/keldar-ffmpeg-XXXXXX";
    const int logFd = ::mkstemp(log.data());
    if (logFd < 0) return std::string("cannot make a temporary file: ") + std::strerror(errno);
    log_ = log;
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        ::close(logFd);
        return std::string("cannot make a pipe: ") + std::strerror(errno);
    }
    const std::vector<std::string> args = encoderArguments(output, shape, temp_);
    std::vector<char*> argv;
    for (const std::string& s : args) argv.push_back(const_cast<char*>(s.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, logFd, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, logFd, STDERR_FILENO);
    // Its own process group: a Ctrl-C meant for us is ours to pass on, after we have cleaned up.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int spawned = ::posix_spawn(&pid_, ffmpeg.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(pipeFds[0]);
    ::close(logFd);
    if (spawned != 0) {
        pid_ = -1;
        ::close(pipeFds[1]);
        return "cannot start " + ffmpeg + ": " + std::strerror(spawned);
    }
    pipe_ = pipeFds[1];
    return {};
}

bool FfmpegEncoder::write(const std::uint8_t* frame) {
    if (pipe_ < 0) return false;
    std::size_t done = 0;
    while (done < frameBytes_) {
        // MSG_NOSIGNAL needs a socket; a closed pipe is told by EPIPE once SIGPIPE is ignored.
        const ssize_t n = ::write(pipe_, frame + done, frameBytes_ - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::string FfmpegEncoder::lastLines() const {
    std::ifstream in(log_);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    std::string text;
    for (std::size_t i = lines.size() > 5 ? lines.size() - 5 : 0; i < lines.size(); ++i) text += "\n  " + lines[i];
    return text;
}

std::string FfmpegEncoder::finish() {
    if (pid_ < 0) return "ffmpeg is not running";
    ::close(pipe_);
    pipe_ = -1;
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    std::string error;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        error = "ffmpeg failed (" +
                (WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                                   : "signal " + std::to_string(WTERMSIG(status))) +
                ")" + lastLines();
    } else if (keepExisting_) {
        if (::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, destination_.c_str(), RENAME_NOREPLACE) != 0)
            error = errno == EEXIST ? destination_ + " appeared meanwhile; it is kept"
                                    : "cannot move the movie to " + destination_ + ": " + std::strerror(errno);
    } else if (::rename(temp_.c_str(), destination_.c_str()) != 0) {
        error = "cannot move the movie to " + destination_ + ": " + std::strerror(errno);
    }
    if (error.empty()) temp_.clear();
    abandon();
    return error;
}

void FfmpegEncoder::abandon() {
    if (pipe_ >= 0) ::close(pipe_);
    pipe_ = -1;
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
    }
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
    if (!log_.empty()) ::unlink(log_.c_str());
    log_.clear();
}

MovieResult makeMovie(const MoviePlan& plan, const MovieOptions& options, const MovieOutput& output,
                      const MovieProgress& progress, const std::atomic<bool>* stop) {
    MovieResult result;
    const Clock::time_point started = Clock::now();
    const std::string ffmpeg = findFfmpeg();
    if (ffmpeg.empty()) {
        result.error = kFfmpegMissing;
        return result;
    }
    // A pipe closed by a failing ffmpeg must come back as an error, not end this process.
    std::signal(SIGPIPE, SIG_IGN);
    FfmpegEncoder encoder;
    std::string startError;
    MovieOptions grey = options;
    grey.greyFrames = true;
    double inEncoder = 0;
    Clock::time_point medianFrom = started;
    const std::string error = makeFrames(
        plan, grey,
        [&](const MovieShape& shape) {
            result.shape = shape;
            startError = encoder.start(ffmpeg, output, shape);
            return startError.empty();
        },
        [&](const std::uint8_t* pixels, int) {
            const Clock::time_point t = Clock::now();
            const bool taken = encoder.write(pixels);
            inEncoder += since(t);
            ++result.frames;
            return taken;
        },
        [&](int done, int total, const char* stage) {
            if (std::strcmp(stage, "reading") == 0 && done == total) medianFrom = Clock::now();
            if (std::strcmp(stage, "median") == 0) result.medianSeconds = since(medianFrom);
            if (progress) progress(done, total, stage);
        },
        stop);
    if (stop != nullptr && stop->load()) {
        encoder.abandon();
        result.stopped = true;
        return result;
    }
    if (!startError.empty()) {
        result.error = startError;
        return result;
    }
    if (error == "stopped") {
        // ffmpeg took no more frames: what it said is the reason.
        result.error = encoder.finish();
        if (result.error.empty()) result.error = "ffmpeg stopped taking frames";
        return result;
    }
    if (!error.empty()) {
        encoder.abandon();
        result.error = error;
        return result;
    }
    if (progress) progress(result.frames, result.frames, "encoding");
    const Clock::time_point waiting = Clock::now();
    result.error = encoder.finish();
    inEncoder += since(waiting);
    result.seconds = since(started);
    result.encoderSeconds = inEncoder;
    result.preparingSeconds = result.seconds - inEncoder - result.medianSeconds;
    return result;
}

}  // namespace keldar::movie
