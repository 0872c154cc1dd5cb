#include "cli/FetchCommand.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>

#include <unistd.h>

#include <QCoreApplication>
#include <QTimer>

#include "cli/Arguments.h"
#include "cli/ImageCommands.h"
#include "cli/StopSignals.h"
#include "fetch/ArchiveFetcher.h"

namespace keldar::cli {

namespace {

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
        } else if (a == "--types") {
            std::string error;
            const std::optional<archive::TypeChoice> types = value(v) ? archive::parseTypeChoice(v, error) : std::nullopt;
            if (!types) return usageError(cmd, "--types takes all or product types such as EFF,EDN" + (error.empty() ? "" : ": " + error));
            request.types = *types;
        } else if (a == "--stall-seconds") {
            if (!value(v) || v.empty() || v.size() > 4 || v.find_first_not_of("0123456789") != std::string::npos || std::stoi(v) < 1)
                return usageError(cmd, "--stall-seconds takes 1 to 9999");
            request.stallWindowMilliseconds = std::stoi(v) * 1000;
        } else if (a == "--give-up-seconds") {
            if (!value(v) || v.empty() || v.size() > 5 || v.find_first_not_of("0123456789") != std::string::npos || std::stoi(v) < 1)
                return usageError(cmd, "--give-up-seconds takes 1 to 99999");
            request.productMilliseconds = std::stoi(v) * 1000;
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
    std::optional<StopSignals> stopSignals(std::in_place);
    // A file size limit is a disk fault to report, not a signal that ends the run.
    ::signal(SIGXFSZ, SIG_IGN);

    fetch::ArchiveFetcher fetcher(request);
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&fetcher] {
        if (StopSignals::flag().load()) fetcher.stop();
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
    stopSignals.reset();
    if (showProgress) std::cerr << "\r\033[K";
    const auto say = [](const QString& line) { std::cerr << "keldar-cli fetch: " << line.toStdString() << '\n'; };
    for (const QString& problem : summary.problems) say(problem);
    for (const QString& failure : summary.failures) say(failure);
    for (const QString& row : summary.droppedRows) say(QStringLiteral("dropped ") + row);
    for (const QString& note : summary.notes) say(note);
    if (summary.duplicates > 0) say(QStringLiteral("%1 index rows repeat a product listed before; each product was fetched once").arg(summary.duplicates));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("%s in %.2f s (%d index requests in %.2f s%s)\n", summary.countsText().toStdString().c_str(), seconds,
                summary.indexRequests, summary.indexSeconds, summary.indexStreamed ? ", the index read whole" : "");
    if (!summary.nothingListed.isEmpty()) std::printf("%s\n", summary.nothingListed.toStdString().c_str());
    if (!summary.problems.isEmpty() && summary.fetched + summary.skipped == 0 && summary.failed == 0)
        std::printf("Nothing was fetched: %s\n", summary.problems.first().toStdString().c_str());
    if (summary.stopped) return 130;
    return summary.ok() ? kExitOk : 1;
}

}  // namespace keldar::cli
