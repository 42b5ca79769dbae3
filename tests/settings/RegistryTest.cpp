// The settings-store class over a real INI store in a temporary folder.
#include "settings/Registry.h"
#include "platform/QSettingsBackend.h"
#include "platform/RuntimeError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace pelto {
namespace {

class RegistryTest : public ::testing::Test {
protected:
    // A store object on `folder`, addressed like the program's goReg.
    static std::unique_ptr<Registry> openAt(const QString& folder,
                                            const QString& section = "Settings") {
        auto reg = std::make_unique<Registry>(std::make_unique<QSettingsBackend>(folder));
        reg->setApplicationName("Pelto");
        reg->setSection(section);
        return reg;
    }
    std::unique_ptr<Registry> open(const QString& section = "Settings") const {
        return openAt(folder_.path(), section);
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

TEST_F(RegistryTest, EmptyNamesLeaveTheirMessageInOrderAndTouchNothing) {
    Registry reg(std::make_unique<QSettingsBackend>(folder_.path()));
    const auto runAll = [&](const char* expected) {
        for (const auto operation : {&Registry::GetReg, &Registry::SaveReg, &Registry::DelReg}) {
            reg.setSettings("42");
            EXPECT_NO_THROW((reg.*operation)()); // no store operation, so no failure
            EXPECT_EQ(reg.Settings(), expected);
        }
    };
    // The application name is checked first, then the section, then the key.
    reg.setKey("TestProd");
    runAll(Registry::kNoApplicationName);
    reg.setApplicationName("Pelto");
    reg.setKey({});
    runAll(Registry::kNoSection);
    reg.setSection("Settings");
    runAll(Registry::kNoKey);
    EXPECT_TRUE(QDir(folder_.path()).isEmpty());
}

TEST_F(RegistryTest, SavedValuesReachTheFileAndReadBackInTheNextRun) {
    const QStringList values{"/home/user/My Documents/",
                             "C:\\Data\\VB60\\",
                             "a, b, c",
                             "\"quoted\" ; not a comment # either",
                             "key=value [section]",
                             "@Variant(not really)",
                             "  blanks kept  ",
                             "Ääkköset ja € merkki",
                             "line one\r\nline two",
                             QString()};
    {
        auto writer = open();
        save(*writer, "Value0", "replaced later");
        for (int i = 0; i < values.size(); ++i)
            save(*writer, QStringLiteral("Value%1").arg(i), values[i]);
    }
    // The file read afresh from another folder, as the next run of the program reads it.
    QTemporaryDir nextRun;
    ASSERT_TRUE(QFile::copy(folder_.filePath("Pelto.ini"), nextRun.filePath("Pelto.ini")));
    auto reader = openAt(nextRun.path());
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(get(*reader, QStringLiteral("Value%1").arg(i)), values[i]) << i;
    reader->setSettings("left over");
    EXPECT_EQ(get(*reader, "PathSource"), QString());

    QFile file(folder_.filePath("Pelto.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.startsWith("[Settings]")) << text.data();
    EXPECT_TRUE(text.contains("\nValue0=/home/user/My Documents/")) << text.data();
}

// Application, section and key stay in force between calls; sections and applications are
// apart; DelReg removes only its key, and a key not stored raises to the caller.
TEST_F(RegistryTest, PropertiesPersistSectionsAndApplicationsAreApartAndDelRegRemovesOneKey) {
    auto reg = open("Profile03");
    save(*reg, "TimesUsed", "7");
    save(*reg, "PathDest", "/dst/");
    EXPECT_EQ(get(*reg, "Description"), QString());
    EXPECT_EQ(get(*reg, "TimesUsed"), "7");
    reg->setSection("Profile02");
    EXPECT_EQ(get(*reg, "TimesUsed"), QString());
    reg->setApplicationName("Other");
    reg->setSection("Profile03");
    EXPECT_EQ(get(*reg, "TimesUsed"), QString());

    reg = open("Profile03");
    reg->setKey("TimesUsed");
    reg->DelReg();
    try {
        reg->DelReg();
        ADD_FAILURE() << "DelReg of a missing key returned normally";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), Registry::kKeyNotStored);
    }
    EXPECT_EQ(get(*open("Profile03"), "TimesUsed"), QString());
    EXPECT_EQ(get(*open("Profile03"), "PathDest"), "/dst/");
}

// The store is written in its folder only: an unwritable one raises on save, and an
// application name cannot lead out of it.
TEST_F(RegistryTest, UnwritableStoreRaisesOnSaveAndNamesCannotLeaveTheStoreFolder) {
    auto reg = open();
    reg->setApplicationName("../escape");
    save(*reg, "Key", "v");
    EXPECT_FALSE(QFile::exists(folder_.filePath("../escape.ini")));
    EXPECT_EQ(get(*reg, "Key"), "v");

    // A store folder below a plain file can never be created, whoever runs the test.
    QFile blocker(folder_.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    reg = openAt(blocker.fileName() + "/store");
    reg->setKey("TestProd");
    reg->setSettings("1");
    EXPECT_THROW(reg->SaveReg(), RuntimeError);
    EXPECT_EQ(get(*reg, "TestProd"), QString()) << "a value that was never stored reads back";
}

} // namespace
} // namespace pelto
