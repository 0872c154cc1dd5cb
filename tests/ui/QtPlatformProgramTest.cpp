// The desktop's program start: outside programs get file names by their real bytes.

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "platform/FileNames.h"
#include "platform/QtPlatform.h"

namespace keldar::platform {
namespace {

TEST(QtPlatformPrograms, ArgumentsReachTheProgramByTheirRealBytes) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray source = QFile::encodeName(dir.path()) + "/name\xff.txt";
    FILE* raw = std::fopen(source.constData(), "w");
    ASSERT_NE(raw, nullptr);
    std::fputs("bytes", raw);
    std::fclose(raw);

    QtPlatform desktop;
    const QString copy = dir.path() + QStringLiteral("/copy.txt");
    ASSERT_TRUE(desktop.startProgram(QStringLiteral("cp"), {fileNameFromBytes(source), copy}));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(copy) && QFile(copy).size() == 5, 10000);
    EXPECT_FALSE(desktop.startProgram(QStringLiteral("/no/such/program"), {}));
}

}  // namespace
}  // namespace keldar::platform
