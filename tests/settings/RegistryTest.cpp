// The settings-store class over a real INI store in a temporary folder, and the key names.
#include "settings/Registry.h"
#include "platform/QSettingsBackend.h"
#include "platform/RuntimeError.h"
#include "settings/SettingsKeys.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pelto {
namespace {

class RegistryTest : public ::testing::Test {
protected:
    std::unique_ptr<Registry> open(const QString& section = "Settings", QString folder = {}) const {
        auto reg = std::make_unique<Registry>(
            std::make_unique<QSettingsBackend>(folder.isEmpty() ? folder_.path() : folder));
        reg->setApplicationName("Pelto");
        reg->setSection(section);
        return reg;
    }
    static QString get(Registry& reg, const QString& key) {
        reg.setKey(key);
        reg.GetReg();
        return reg.Settings();
    }
    static void save(Registry& reg, const QString& key, const QString& value) {
        reg.setKey(key);
        reg.setSettings(value);
        reg.SaveReg();
    }

    QTemporaryDir folder_;
};

// Values with the store format's special characters read back from the file in the next run.
TEST_F(RegistryTest, SavedValuesReachTheFileAndReadBackInTheNextRun) {
    const QStringList values{"/home/user/My Documents/", "C:\\Data\\ \"q\", ; # [s] @Variant(x)",
                             "  blanks  ", "Äö €\r\nline two", QString()};
    for (int i = 0; i < values.size(); ++i)
        save(*open(), QStringLiteral("Value%1").arg(i), values[i]);
    QTemporaryDir nextRun;
    ASSERT_TRUE(QFile::copy(folder_.filePath("Pelto.ini"), nextRun.filePath("Pelto.ini")));
    auto reader = open("Settings", nextRun.path());
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(get(*reader, QStringLiteral("Value%1").arg(i)), values[i]) << i;
    reader->setSettings("left over");
    EXPECT_EQ(get(*reader, "PathSource"), QString());
    QFile file(folder_.filePath("Pelto.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("[Settings]\nValue0=/home/user/My Documents/\n"));
}

// Names stay in force between calls; sections and applications are apart; DelReg removes only
// its key, and a key not stored or an unwritable store raise to the caller.
TEST_F(RegistryTest, NamesPersistAreApartDelRegRemovesOneKeyFailuresRaise) {
    auto reg = open("Profile03");
    save(*reg, "PathDest", "/dst/");
    save(*reg, "TimesUsed", "7");
    reg->setSection("Profile02");
    EXPECT_EQ(get(*reg, "TimesUsed"), QString());
    reg->setApplicationName("Other");
    reg->setSection("Profile03");
    EXPECT_EQ(get(*reg, "TimesUsed"), QString());
    reg->setApplicationName("Pelto");
    reg->DelReg(); // of the section and key still set
    try {
        reg->DelReg();
        ADD_FAILURE() << "DelReg of a missing key returned normally";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), Registry::kKeyNotStored);
    }
    EXPECT_EQ(get(*open("Profile03"), "TimesUsed"), QString());
    EXPECT_EQ(get(*open("Profile03"), "PathDest"), "/dst/");

    reg = open("Settings", "/dev/null/store"); // a folder that can never be made
    EXPECT_THROW(save(*reg, "TestProd", "1"), RuntimeError);
}

} // namespace
} // namespace pelto
