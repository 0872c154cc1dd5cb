// Opening web addresses: the program cut from a registered command line, or the desktop's
// default mechanism where none is registered.

#include <gtest/gtest.h>

#include "platform/BrowserLaunch.h"
#include "platform/FakePlatform.h"

inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace keldar::platform {
namespace {

TEST(BrowserLaunch, TheProgramIsTheTextBetweenTheFirstTwoQuotes) {
    const struct {
        const char* command;
        const char* program;
    } cases[] = {
        {R"("C:/Browser/browser.exe" -nohome)", "C:/Browser/browser.exe"},
        {R"("C:/Web/view.exe" "%1")", "C:/Web/view.exe"},
        {"C:/Web/view.exe %1", ""},                  // no quote at all
        {R"(C:/Web/view.exe "%1)", ""},              // one quote: nothing after it closes
        {R"(x "/usr/bin/browser" --new "%u")", "/usr/bin/browser"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(browserProgramFromCommand(QString::fromUtf8(c.command)), QString::fromUtf8(c.program)) << c.command;
}

TEST(BrowserLaunch, ARegisteredCommandStartsItsProgramWithTheAddressOnly) {
    FakePlatform desktop;
    desktop.browserCommand = QStringLiteral(R"("/opt/web/view" "%1")");
    EXPECT_TRUE(launchBrowser(desktop, QStringLiteral("https://example.org/a.html")));
    ASSERT_EQ(desktop.startedPrograms.size(), 1u);
    EXPECT_EQ(desktop.startedPrograms[0], (QStringList{QStringLiteral("/opt/web/view"), QStringLiteral("https://example.org/a.html")}));
    EXPECT_TRUE(desktop.openedDocuments.empty());

    desktop.startedPrograms.clear();
    desktop.browserCommand = QStringLiteral("/opt/web/view %1");  // unquoted: nothing opens, nothing said
    launchBrowser(desktop, QStringLiteral("https://example.org/a.html"));
    EXPECT_TRUE(desktop.startedPrograms.empty());
    EXPECT_TRUE(desktop.openedDocuments.empty());
    EXPECT_TRUE(desktop.boxes.empty());
}

TEST(BrowserLaunch, WithoutARegisteredCommandTheDesktopOpensTheAddressQuietlyEvenWhenItFails) {
    FakePlatform desktop;
    desktop.openSucceeds = false;
    launchBrowser(desktop, QStringLiteral("https://example.org/b.html"));
    EXPECT_EQ(desktop.openedDocuments, std::vector<QString>{QStringLiteral("https://example.org/b.html")});
    EXPECT_TRUE(desktop.boxes.empty());
}

}  // namespace
}  // namespace keldar::platform
