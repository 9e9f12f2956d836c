#include <gtest/gtest.h>

#include <QFileInfo>

#include "framework/settings.h"
#include "support/temp_settings.h"

namespace {

TEST(Settings, MissingValuesGiveTheDefaults) {
    testsupport::TempSettings settings;
    EXPECT_EQ(framework::GetProfileInt(QStringLiteral("Boot"), QStringLiteral("Radio"), 1), 1);
    EXPECT_EQ(framework::GetProfileString(QStringLiteral("Boot"), QStringLiteral("File")), QString());
    EXPECT_EQ(framework::GetProfileString(QStringLiteral("Boot"), QStringLiteral("File"),
                                          QStringLiteral("x")),
              QStringLiteral("x"));
}

TEST(Settings, ValuesPersistUnderTheApplicationKeyInTheChosenFolder) {
    testsupport::TempSettings settings;
    framework::WriteProfileInt(QStringLiteral("Boot"), QStringLiteral("Radio"), 2);
    framework::WriteProfileString(QStringLiteral("Boot"), QStringLiteral("File"),
                                  QStringLiteral("/tmp/a b.trw"));
    EXPECT_EQ(framework::GetProfileInt(QStringLiteral("Boot"), QStringLiteral("Radio"), 1), 2);
    EXPECT_EQ(framework::GetProfileString(QStringLiteral("Boot"), QStringLiteral("File")),
              QStringLiteral("/tmp/a b.trw"));
    EXPECT_TRUE(QFileInfo::exists(settings.Folder() + QStringLiteral("/") +
                                  QLatin1String(framework::kSettingsOrganization) +
                                  QStringLiteral("/Brindle.conf")));
}

TEST(Settings, ATextWhereAnIntegerBelongsGivesTheDefault) {
    testsupport::TempSettings settings;
    framework::WriteProfileString(QStringLiteral("Boot"), QStringLiteral("Radio"),
                                  QStringLiteral("two"));
    EXPECT_EQ(framework::GetProfileInt(QStringLiteral("Boot"), QStringLiteral("Radio"), 1), 1);
}

}  // namespace
