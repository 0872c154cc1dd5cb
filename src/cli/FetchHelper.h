#pragma once
// How keldar-cli hands "fetch" to keldar-cli-fetch, the program that holds the network code.

namespace keldar::cli {

// Replaces this process by keldar-cli-fetch with the same arguments (argv[0] aside): looked for
// beside this program (a build tree), then where the install puts it. Returns only when it
// cannot be started, with the exit status after saying why on stderr.
int execFetchHelper(char** argv);

}  // namespace keldar::cli
