// The stereo pages' tests run headless, in English, in UTC, with a home of their own.

#include <cstdlib>
#include <ctime>

#include <QApplication>
#include <QDir>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/keldar-stereo-home-XXXXXX"));
    if (!home.isValid()) return EXIT_FAILURE;
    const QByteArray root = QFile::encodeName(home.path());
    qputenv("HOME", root);
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_STATE_HOME"}) {
        const QByteArray dir = root + '/' + QByteArray(name).toLower();
        QDir().mkpath(QFile::decodeName(dir));
        qputenv(name, dir);
    }
    const QByteArray runtime = root + "/runtime";
    QDir().mkpath(QFile::decodeName(runtime));
    QFile::setPermissions(QFile::decodeName(runtime), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime);
    qputenv("TZ", "UTC");
    tzset();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
