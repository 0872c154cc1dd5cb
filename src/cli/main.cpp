// keldar-cli: the product decoder, the time conversions and the image pipelines of Keldar
// from the command line, for batch work over many files and for benchmarks.
#include <iostream>
#include <string>
#include <vector>

#include "cli/AnaglyphsCommand.h"
#include "cli/DecodeCommand.h"
#include "cli/FetchCommand.h"
#include "cli/FetchHelper.h"
#include "cli/ImageCommands.h"
#include "cli/LabelCommand.h"
#include "cli/PanoramaCommand.h"
#include "cli/MovieCommand.h"
#include "cli/GalleryCommand.h"
#include "cli/WhenCommand.h"
#include "core/sample/SampleDirectory.h"

namespace {

void printUsage(std::ostream& out)
{
    out << "Usage: keldar-cli COMMAND [ARGUMENTS]\n\n"
           "Decodes Mars Exploration Rover product file names, processes their images and prints\n"
           "the labels of their PDS image files.\n\n"
           "Commands:\n"
        << keldar::cli::decodeCommandUsage() << keldar::cli::whenCommandUsage()
        << keldar::cli::imageCommandsUsage() << keldar::cli::anaglyphsCommandUsage() << keldar::cli::labelCommandUsage() << keldar::cli::fetchCommandUsage() << keldar::cli::panoramaCommandUsage() << keldar::cli::movieCommandUsage() << keldar::cli::galleryCommandUsage()
        << "  keldar-cli make-sample DIR\n"
           "      Writes a generated sample directory of MER-style images into DIR.\n\n"
           "  keldar-cli --help | --version\n";
}

int makeSample(const std::vector<std::string>& args)
{
    if (args.size() != 1) {
        std::cerr << "keldar-cli make-sample: expected one directory\n";
        return 2;
    }
    std::vector<std::string> kept;
    const std::string error = keldar::sample::writeSampleDirectory(args[0], &kept);
    for (const std::string& file : kept)
        std::cerr << "keldar-cli make-sample: kept " << file << ": a file of that name is already there\n";
    if (!error.empty()) {
        std::cerr << "keldar-cli make-sample: " << error << '\n';
        return 1;
    }
    std::cout << "Sample directory written to " << args[0] << '\n';
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        printUsage(std::cerr);
        return 2;
    }
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    try {
        if (command == "--help" || command == "-h" || command == "help") {
            printUsage(std::cout);
            return 0;
        }
        if (command == "--version") {
            std::cout << "keldar-cli " << KELDAR_VERSION << '\n';
            return 0;
        }
        if (command == "decode")
            return keldar::cli::runDecodeCommand(args);
        if (command == "when")
            return keldar::cli::runWhenCommand(args);
        if (command == "anaglyph")
            return keldar::cli::runAnaglyphCommand(args);
        if (command == "anaglyphs")
            return keldar::cli::runAnaglyphsCommand(args);
        if (command == "composite")
            return keldar::cli::runCompositeCommand(args);
        if (command == "sunset")
            return keldar::cli::runSunsetCommand(args);
        if (command == "panorama")
            return keldar::cli::runPanoramaCommand(args);
        if (command == "gallery")
            return keldar::cli::runGalleryCommand(args);
        if (command == "movie")
            return keldar::cli::runMovieCommand(args);
        if (command == "label")
            return keldar::cli::runLabelCommand(args);
        if (command == "make-sample")
            return makeSample(args);
        if (command == "fetch") return keldar::cli::execFetchHelper(argv);
    } catch (const std::exception& error) {
        std::cerr << "keldar-cli " << command << ": " << error.what() << '\n';
        return 1;
    }
    std::cerr << "keldar-cli: unknown command '" << command << "'\n";
    printUsage(std::cerr);
    return 2;
}
