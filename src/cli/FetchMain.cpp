// keldar-cli-fetch: the fetch command of keldar-cli in a program of its own. It alone links
// the network libraries, so every other command starts without loading them; keldar-cli runs
// it in its own place for "keldar-cli fetch ...".
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/FetchCommand.h"

int main(int argc, char** argv) {
    // Called as keldar-cli-fetch fetch ARGUMENTS, the words keldar-cli was given.
    const int first = argc > 1 && std::string(argv[1]) == "fetch" ? 2 : 1;
    const std::vector<std::string> args(argv + first, argv + argc);
    try {
        return keldar::cli::runFetchCommand(args);
    } catch (const std::exception& error) {
        std::cerr << "keldar-cli fetch: " << error.what() << '\n';
        return 1;
    }
}
