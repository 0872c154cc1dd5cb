#include "panorama/ToolRunner.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <map>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace keldar::panorama {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(10);

std::vector<std::string> mergedEnvironment(const std::vector<std::string>& extra) {
    std::map<std::string, std::string> byName;
    std::vector<std::string> order;
    auto add = [&](const std::string& entry) {
        const std::string name = entry.substr(0, entry.find('='));
        if (byName.find(name) == byName.end()) order.push_back(name);
        byName[name] = entry;
    };
    for (char** e = environ; e != nullptr && *e != nullptr; ++e) add(*e);
    for (const std::string& e : extra) add(e);
    std::vector<std::string> out;
    for (const std::string& name : order) out.push_back(byName[name]);
    return out;
}

struct Child {
    pid_t pid = -1;
    std::size_t index = 0;
};

// Starts one command; "" or why it could not start.
std::string spawn(const ToolCommand& command, const std::string& directory, const std::vector<std::string>& env,
                  pid_t& pid) {
    const std::string program = findTool(command.argv.at(0));
    if (program.empty()) return command.argv[0] + " is not installed";
    std::vector<char*> argv;
    for (const std::string& a : command.argv) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, command.log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    // Its own process group, so a stop reaches everything it started; signals as by default.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    const int rc = posix_spawn(&pid, program.c_str(), &actions, &attr, argv.data(), envp.data());
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return "cannot start " + command.argv[0] + ": " + std::strerror(rc);
    return "";
}

void killAll(std::vector<Child>& running) {
    for (const Child& c : running) ::kill(-c.pid, SIGTERM);
    for (const Child& c : running) {
        // A tool that ignores SIGTERM gets SIGKILL after a second.
        int status = 0;
        bool gone = false;
        for (int i = 0; i < 100 && !gone; ++i) {
            gone = ::waitpid(c.pid, &status, WNOHANG) == c.pid;
            if (!gone) std::this_thread::sleep_for(kPollInterval);
        }
        if (!gone) {
            ::kill(-c.pid, SIGKILL);
            ::waitpid(c.pid, &status, 0);
        }
    }
    running.clear();
}

}  // namespace

std::string findTool(const std::string& name) {
    if (name.empty()) return "";
    if (name.find('/') != std::string::npos) return ::access(name.c_str(), X_OK) == 0 ? name : "";
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        // An empty entry is the current directory.
        const std::string dir = end > start ? dirs.substr(start, end - start) : std::string(".");
        const std::string candidate = dir + "/" + name;
        struct stat st {};
        if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return "";
}

std::string logTail(const std::string& path, int lines) {
    std::ifstream in(path);
    std::vector<std::string> all;
    std::string line;
    while (std::getline(in, line))
        if (!line.empty()) all.push_back(line);
    std::string out;
    for (std::size_t i = all.size() > static_cast<std::size_t>(lines) ? all.size() - static_cast<std::size_t>(lines)
                                                                      : 0;
         i < all.size(); ++i)
        out += (out.empty() ? "" : " / ") + all[i].substr(0, 200);
    return out;
}

ToolOutcome runTools(const std::vector<ToolCommand>& commands, const std::string& directory, int jobs,
                     const std::vector<std::string>& environment, const std::atomic<bool>* stop,
                     const std::function<void(std::size_t)>& finished) {
    ToolOutcome outcome;
    const std::vector<std::string> env = mergedEnvironment(environment);
    std::vector<Child> running;
    std::size_t next = 0;
    if (jobs < 1) jobs = 1;
    while (next < commands.size() || !running.empty()) {
        if (stop != nullptr && stop->load()) {
            killAll(running);
            outcome.stopped = true;
            return outcome;
        }
        while (outcome.error.empty() && next < commands.size() && static_cast<int>(running.size()) < jobs) {
            Child c;
            c.index = next;
            if (std::string e = spawn(commands[next], directory, env, c.pid); !e.empty()) {
                outcome.error = e;
                break;
            }
            running.push_back(c);
            ++next;
        }
        if (!outcome.error.empty()) next = commands.size();  // start nothing more, wait for the rest
        bool reaped = false;
        for (auto it = running.begin(); it != running.end();) {
            int status = 0;
            const pid_t r = ::waitpid(it->pid, &status, WNOHANG);
            if (r == 0 || (r < 0 && errno == EINTR)) {
                ++it;
                continue;
            }
            reaped = true;
            const ToolCommand& cmd = commands[it->index];
            if (r < 0) {
                if (outcome.error.empty()) outcome.error = cmd.argv[0] + " could not be waited for";
            } else if (WIFSIGNALED(status)) {
                if (outcome.error.empty())
                    outcome.error = cmd.argv[0] + " was killed by signal " + std::to_string(WTERMSIG(status)) +
                                    (logTail(cmd.log).empty() ? "" : ": " + logTail(cmd.log));
            } else if (WEXITSTATUS(status) != 0) {
                if (outcome.error.empty())
                    outcome.error = cmd.argv[0] + " failed (exit status " + std::to_string(WEXITSTATUS(status)) + ")" +
                                    (logTail(cmd.log).empty() ? "" : ": " + logTail(cmd.log));
            } else if (finished) {
                finished(it->index);
            }
            it = running.erase(it);
        }
        if (!reaped && !running.empty()) std::this_thread::sleep_for(kPollInterval);
    }
    return outcome;
}

}  // namespace keldar::panorama
