#include "cli/LabelCommand.h"

#include "cli/ImageCommands.h"
#include "core/imaging/PdsImage.h"

#include <iostream>

namespace keldar::cli {

namespace {

const char kUsage[] =
    "  keldar-cli label FILE\n"
    "      Prints the label attached to a PDS image file (.IMG): the PDS3 label through its\n"
    "      END line, then, after a line \"--- VICAR label ---\", the VICAR label one item per\n"
    "      line. Exit status 1 when the file cannot be read or has no label.\n";

}  // namespace

const char* labelCommandUsage() { return kUsage; }

int runLabelCommand(const std::vector<std::string>& args) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kUsage;
        return kExitOk;
    }
    if (args.size() != 1) {
        std::cerr << "keldar-cli label: expected one FILE\n"
                  << "Run 'keldar-cli --help' for usage.\n";
        return kExitUsage;
    }
    const imaging::PdsLabelResult r = imaging::readPdsLabelFile(args[0]);
    if (!r.ok()) {
        std::cerr << "keldar-cli label: " << r.error << '\n';
        return kExitFailure;
    }
    std::cout << imaging::pdsLabelDisplayText(r.label);
    if (!r.label.vicarProblem.empty()) std::cerr << "keldar-cli label: " << args[0] << ": " << r.label.vicarProblem << '\n';
    return kExitOk;
}

}  // namespace keldar::cli
