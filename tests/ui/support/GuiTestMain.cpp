// The main of every GUI test binary: a headless screen, an English locale, UTC, and a home
// and XDG directories of its own, so nothing of the machine running the tests leaks in.

#include <cstdlib>
#include <ctime>

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "platform/KeldarApplication.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("LC_ALL", "C.UTF-8");
    qputenv("LANG", "C.UTF-8");
    qputenv("TZ", "UTC");
    tzset();

    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/keldar-ui-test-XXXXXX"));
    if (!home.isValid()) return 2;
    const QByteArray root = home.path().toLocal8Bit();
    qputenv("HOME", root);
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"}) {
        const QByteArray path = root + "/" + name;
        QDir().mkpath(QString::fromLocal8Bit(path));
        qputenv(name, path);
    }
    const QByteArray runtime = root + "/runtime";
    QDir().mkpath(QString::fromLocal8Bit(runtime));
    QFile::setPermissions(QString::fromLocal8Bit(runtime), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                               QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime);
    QDir::setCurrent(home.path());

    keldar::platform::KeldarApplication application(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    QDir::setCurrent(QDir::tempPath());
    return result;
}
