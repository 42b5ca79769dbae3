// The key table: names as the store holds them and the composed key names.

#include "settings/SettingsKeys.h"

#include <QSet>
#include <gtest/gtest.h>

namespace pelto::settings {
namespace {

TEST(SettingsKeysTest, SettingsSectionNamesAreDistinctAndExact) {
    QSet<QString> names;
    for (const SettingKey& key : settingsSectionKeys())
        names.insert(keyName(key));
    EXPECT_EQ(names.size(), static_cast<qsizetype>(settingsSectionKeys().size()));
    // The two keys whose case differs from the rest must keep it.
    EXPECT_TRUE(names.contains(QStringLiteral("useArchive")));
    EXPECT_TRUE(names.contains(QStringLiteral("resetArchive")));
    EXPECT_EQ(names.size(), 18);
}

TEST(SettingsKeysTest, ComposedNames) {
    EXPECT_EQ(topKey(QStringLiteral("Instance1"), QString::fromLatin1(kMainWindowId)),
              QStringLiteral("Instance1Top"));
    EXPECT_EQ(leftKey(QStringLiteral("Instance1"), QString::fromLatin1(kMainWindowId)),
              QStringLiteral("Instance1Left"));
    EXPECT_EQ(
        leftKey(QStringLiteral("Instance12"), QString::fromLatin1(kCopyAutomaticallyWindowId)),
        QStringLiteral("Instance12Left2"));
    EXPECT_EQ(profileSection(1), QStringLiteral("Profile01"));
    EXPECT_EQ(profileSection(10), QStringLiteral("Profile10"));
    EXPECT_EQ(profileSection(100), QStringLiteral("Profile100"));
    EXPECT_EQ(profileLineKey(9), QStringLiteral("Line09"));
    EXPECT_EQ(profileLineKey(10), QStringLiteral("Line10"));
}

TEST(SettingsKeysTest, DeveloperResetDeletesOptionsPlacementAndFolders) {
    EXPECT_EQ(developerResetKeys(QStringLiteral("Instance2")),
              (QStringList{"TestProd", "useArchive", "resetArchive", "Instance2Top",
                           "Instance2Left", "PathSource", "PathDest"}));
}

} // namespace
} // namespace pelto::settings
