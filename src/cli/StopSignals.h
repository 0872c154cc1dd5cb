#pragma once
// SIGINT and SIGTERM ask the running command to stop, from construction to destruction: the
// command polls the flag between steps, cleans up and exits with 130, leaving nothing behind.

#include <atomic>
#include <csignal>

namespace keldar::cli {

class StopSignals {
public:
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Set by either signal; cleared when the handlers are installed.
    static std::atomic<bool>& flag();
    bool requested() const { return flag().load(); }

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

}  // namespace keldar::cli
