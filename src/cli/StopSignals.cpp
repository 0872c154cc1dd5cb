#include "cli/StopSignals.h"

namespace keldar::cli {

namespace {

extern "C" void requestCommandStop(int) { StopSignals::flag().store(true, std::memory_order_relaxed); }

}  // namespace

std::atomic<bool>& StopSignals::flag() {
    static std::atomic<bool> stop{false};
    return stop;
}

StopSignals::StopSignals() {
    flag().store(false);
    struct sigaction action {};
    action.sa_handler = requestCommandStop;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &oldInt_);
    ::sigaction(SIGTERM, &action, &oldTerm_);
}

StopSignals::~StopSignals() {
    ::sigaction(SIGINT, &oldInt_, nullptr);
    ::sigaction(SIGTERM, &oldTerm_, nullptr);
}

}  // namespace keldar::cli
