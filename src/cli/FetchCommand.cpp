#include "cli/FetchCommand.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>

#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>

#include "cli/Arguments.h"
#include "cli/ImageCommands.h"
#include "fetch/ArchiveFetcher.h"

namespace keldar::cli {

namespace {

std::atomic<bool> gStop{false};
extern "C" void requestFetchStop(int) { gStop.store(true, std::memory_order_relaxed); }

bool cameraLetters(const std::string& name, std::vector<char>& out) {
    if (name == "navcam") out.push_back('N');
    else if (name == "pancam") out.push_back('P');
    else if (name == "hazcam") out.insert(out.end(), {'F', 'R'});
    else if (name == "mi") out.push_back('M');
    else if (name == "descent") out.push_back('E');
    else return false;
    return true;
}

bool parseSols(const std::string& text, int& first, int& last) {
    const std::size_t dots = text.find("..");
    const std::string a = text.substr(0, dots), b = dots == std::string::npos ? a : text.substr(dots + 2);
    const auto number = [](const std::string& s, int& out) {
        if (s.empty() || s.size() > 6 || s.find_first_not_of("0123456789") != std::string::npos) return false;
        out = std::stoi(s);
        return true;
    };
    return number(a, first) && number(b, last) && first <= last;
}

}  // namespace

int runFetchCommand(const std::vector<std::string>& args) {
    const char* cmd = "fetch";
    fetch::FetchRequest request;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            std::cout << fetchCommandUsage();
            return kExitOk;
        } else if (a == "--edr") {
            request.edr = true;
        } else if (a == "--archive-names") {
            request.archiveNames = true;
        } else if (a == "--camera") {
            if (!value(v) || !cameraLetters(v, request.query.cameras))
                return usageError(cmd, "--camera takes navcam, pancam, hazcam, mi or descent");
        } else if (a == "--eye") {
            if (!value(v) || (v != "left" && v != "right" && v != "both"))
                return usageError(cmd, "--eye takes left, right or both");
            request.query.eye = v == "left" ? 'L' : v == "right" ? 'R' : 0;
        } else if (a == "--filter") {
            if (!value(v) || v.size() != 1 || v[0] < '0' || v[0] > '8') return usageError(cmd, "--filter takes 0 to 8");
            request.query.filter = v[0];
        } else if (a == "--jobs") {
            if (!value(v) || v.empty() || v.find_first_not_of("0123456789") != std::string::npos || v.size() > 2 ||
                std::stoi(v) < 1 || std::stoi(v) > 16)
                return usageError(cmd, "--jobs takes 1 to 16");
            request.jobs = std::stoi(v);
        } else if (a == "--base") {
            if (!value(v) || (v.rfind("http://", 0) != 0 && v.rfind("https://", 0) != 0))
                return usageError(cmd, "--base takes an http:// or https:// address");
            request.base = QString::fromStdString(v);
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            return usageError(cmd, "unknown option " + a);
        } else {
            positional.push_back(a);
        }
    }
    if (positional.size() != 3) return usageError(cmd, "expected ROVER SOL[..SOL] DIR");
    const std::string& rover = positional[0];
    if (rover == "opportunity" || rover == "1") request.query.rover = 1;
    else if (rover == "spirit" || rover == "2") request.query.rover = 2;
    else return usageError(cmd, "ROVER is spirit or opportunity");
    if (!parseSols(positional[1], request.query.firstSol, request.query.lastSol))
        return usageError(cmd, "SOL is a sol number or a range FIRST..LAST");
    request.directory = QString::fromStdString(positional[2]);

    int argc = 1;
    char name[] = "keldar-cli";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    gStop.store(false);
    struct sigaction action {}, oldInt {}, oldTerm {};
    action.sa_handler = requestFetchStop;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &oldInt);
    ::sigaction(SIGTERM, &action, &oldTerm);

    fetch::ArchiveFetcher fetcher(request);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&fetcher] {
        if (gStop.load()) fetcher.stop();
    });
    watch.start(50);
    const bool showProgress = ::isatty(STDERR_FILENO) == 1;
    const auto started = std::chrono::steady_clock::now();
    QObject::connect(&fetcher, &fetch::ArchiveFetcher::progress, [&](const fetch::FetchProgress& p) {
        if (!showProgress) return;
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        const double rate = seconds > 0 ? p.bytes / seconds : 0;
        std::string line;
        if (p.stage == QLatin1String("index")) {
            line = "searching the index (" + std::to_string(p.indexRequests) + " requests)";
        } else {
            line = std::to_string(p.productsDone) + " of " + std::to_string(p.productsTotal) + " products, " +
                   fetch::byteSizeText(static_cast<double>(p.bytes)).toStdString() + ", " + fetch::byteSizeText(rate).toStdString() + "/s";
            if (p.productsDone > 0 && p.productsDone < p.productsTotal)
                line += ", about " + std::to_string(static_cast<int>(seconds / p.productsDone *
                                                                    (p.productsTotal - p.productsDone))) + " s left";
        }
        std::cerr << "\r\033[K" << line << std::flush;
    });
    const fetch::FetchSummary summary = fetcher.run();
    ::sigaction(SIGINT, &oldInt, nullptr);
    ::sigaction(SIGTERM, &oldTerm, nullptr);
    if (showProgress) std::cerr << "\r\033[K";
    for (const QString& failure : summary.failures) std::cerr << "keldar-cli fetch: " << failure.toStdString() << '\n';
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%d fetched, %d skipped, %d failed in %.2f s (%d index requests in %.2f s%s)\n", summary.fetched,
                summary.skipped, summary.failed, seconds, summary.indexRequests, summary.indexSeconds,
                summary.indexStreamed ? ", the index read whole" : "");
    if (summary.stopped) return 130;
    return summary.ok() ? kExitOk : 1;
}

}  // namespace keldar::cli
