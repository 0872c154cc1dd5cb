#pragma once
// Opening a web address in the user's web browser. Every web link of the program goes
// through launchBrowser(): the SOL searcher's gallery button and the link pages.

#include <QString>

namespace keldar::platform {

class Platform;

// The program path of a registered browser command line: the text between its first and its
// second double quote. `"C:/Web/view.exe" "%1"` gives C:/Web/view.exe; a command with no pair
// of quotes around the program gives "".
QString browserProgramFromCommand(const QString& command);

// Where the desktop names a browser command, the program cut from it is started with the
// address as its only argument (nothing opens when no program can be cut from it); otherwise
// the desktop's default-application mechanism opens the address. Nothing is reported to the
// user either way; the result says only that a launch was attempted.
bool launchBrowser(Platform& platform, const QString& address);

}  // namespace keldar::platform
