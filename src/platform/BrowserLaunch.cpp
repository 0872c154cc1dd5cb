#include "platform/BrowserLaunch.h"

#include "platform/Platform.h"

namespace keldar::platform {

QString browserProgramFromCommand(const QString& command) {
    const qsizetype open = command.indexOf(QLatin1Char('"'));
    const QString afterQuote = open < 0 ? command : command.mid(open + 1);
    const qsizetype close = afterQuote.indexOf(QLatin1Char('"'));
    return close < 0 ? QString() : afterQuote.left(close);
}

bool launchBrowser(Platform& platform, const QString& address) {
    const QString command = platform.registeredBrowserCommand();
    if (command.isEmpty()) {
        platform.openDocument(address);
        return true;
    }
    const QString program = browserProgramFromCommand(command);
    if (!program.isEmpty()) platform.startProgram(program, {address});
    return true;
}

}  // namespace keldar::platform
