// Where the stereo partner file is looked for.

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "support/UiTestSupport.h"
#include "ui/app/StereoPartner.h"

namespace keldar::ui {
namespace {

TEST(StereoPartner, PathIsDirectorySlashNameDotJpg) {
    EXPECT_EQ(partnerFilePath(QStringLiteral("/data/sol13"), QStringLiteral("2N126471340EFF0300P1512R0M1")),
              QStringLiteral("/data/sol13/2N126471340EFF0300P1512R0M1.jpg"));
    EXPECT_EQ(partnerFilePath(QStringLiteral("/"), QStringLiteral("x")), QStringLiteral("/x.jpg"));
}

TEST(StereoPartner, FindsLowerAndUpperCaseExtensionsButNoBitmap) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    testing::writeText(dir.path() + QStringLiteral("/LOWER.jpg"));
    testing::writeText(dir.path() + QStringLiteral("/UPPER.JPG"));
    testing::writeText(dir.path() + QStringLiteral("/BITMAP.bmp"));
    testing::writeText(dir.path() + QStringLiteral("/MIXED.Jpg"));
    EXPECT_EQ(findPartnerFile(dir.path(), QStringLiteral("LOWER")), dir.path() + QStringLiteral("/LOWER.jpg"));
    EXPECT_EQ(findPartnerFile(dir.path(), QStringLiteral("UPPER")), dir.path() + QStringLiteral("/UPPER.JPG"));
    EXPECT_EQ(findPartnerFile(dir.path(), QStringLiteral("BITMAP")), QString());
    EXPECT_EQ(findPartnerFile(dir.path(), QStringLiteral("MIXED")), QString());
    EXPECT_EQ(findPartnerFile(dir.path(), QStringLiteral("N/A")), QString());
    EXPECT_EQ(findPartnerFile(dir.path(), QString()), QString());
}

TEST(StereoPartner, BothExtensionsPresentPrefersTheLowerCaseOne) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    testing::writeText(dir.path() + QStringLiteral("/PAIR.jpg"));
    testing::writeText(dir.path() + QStringLiteral("/PAIR.JPG"));
    EXPECT_EQ(findPartnerFile(dir.path(), QStringLiteral("PAIR")), dir.path() + QStringLiteral("/PAIR.jpg"));
}

}  // namespace
}  // namespace keldar::ui
