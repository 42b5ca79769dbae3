// The key table: distinct names and the composed key names.
#include "settings/SettingsKeys.h"

#include <QSet>
#include <gtest/gtest.h>

namespace pelto::settings {
namespace {

TEST(SettingsKeysTest, SectionNamesAreDistinctAndComposedNamesExact) {
    QSet<QString> names;
    for (const SettingKey& key : settingsSectionKeys())
        names.insert(keyName(key));
    EXPECT_EQ(names.size(), static_cast<qsizetype>(settingsSectionKeys().size()));

    const QString main = QString::fromLatin1(kMainWindowId);
    EXPECT_EQ(topKey("Instance1", main), "Instance1Top");
    EXPECT_EQ(leftKey("Instance1", main), "Instance1Left");
    EXPECT_EQ(leftKey("Instance12", QString::fromLatin1(kCopyAutomaticallyWindowId)),
              "Instance12Left2");
    EXPECT_EQ(profileSection(1), "Profile01");
    EXPECT_EQ(profileSection(100), "Profile100");
    EXPECT_EQ(profileLineKey(9), "Line09");
    EXPECT_EQ(developerResetKeys("Instance2"),
              (QStringList{"TestProd", "useArchive", "resetArchive", "Instance2Top",
                           "Instance2Left", "PathSource", "PathDest"}));
}

} // namespace
} // namespace pelto::settings
