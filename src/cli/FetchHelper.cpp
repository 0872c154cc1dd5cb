#include "cli/FetchHelper.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace keldar::cli {

namespace {

// The directory of the running program, from the kernel rather than argv[0], which a shell
// may give as a bare name found on PATH.
std::string programDirectory() {
    std::vector<char> buffer(4096);
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) return {};
    const std::string path(buffer.data(), static_cast<std::size_t>(n));
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

int execFetchHelper(char** argv) {
    const std::string directory = programDirectory();
    if (directory.empty()) {
        std::cerr << "keldar-cli fetch: cannot find where keldar-cli lies: " << std::strerror(errno) << '\n';
        return 1;
    }
    const std::vector<std::string> candidates = {directory + "/keldar-cli-fetch",
                                                 directory + "/" + KELDAR_FETCH_HELPER_FROM_BIN};
    for (const std::string& helper : candidates) {
        if (::access(helper.c_str(), X_OK) != 0) continue;
        argv[0] = const_cast<char*>(helper.c_str());
        ::execv(helper.c_str(), argv);
        std::cerr << "keldar-cli fetch: cannot start " << helper << ": " << std::strerror(errno) << '\n';
        return 1;
    }
    std::cerr << "keldar-cli fetch: keldar-cli-fetch is not installed (looked for " << candidates[0] << " and "
              << candidates[1] << ")\n";
    return 1;
}

}  // namespace keldar::cli
