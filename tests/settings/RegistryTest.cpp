// The settings-store class over a real INI store in a temporary folder: the empty-name guards,
// values persisting between store objects, deletion and its failure, sections kept apart.

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
    void SetUp() override { ASSERT_TRUE(folder_.isValid()); }

    // A store object on the test's folder, addressed like the program's goReg.
    std::unique_ptr<Registry> open(const QString& section = QStringLiteral("Settings")) const {
        auto reg = std::make_unique<Registry>(std::make_unique<QSettingsBackend>(folder_.path()));
        reg->setApplicationName(QStringLiteral("Pelto"));
        reg->setSection(section);
        return reg;
    }

    QString get(Registry& reg, const QString& key) const {
        reg.setKey(key);
        reg.GetReg();
        return reg.Settings();
    }

    void save(Registry& reg, const QString& key, const QString& value) const {
        reg.setKey(key);
        reg.setSettings(value);
        reg.SaveReg();
    }

    QTemporaryDir folder_;
};

TEST_F(RegistryTest, EmptyNamesLeaveTheirMessageInOrderAndTouchNothing) {
    Registry reg(std::make_unique<QSettingsBackend>(folder_.path()));
    const auto runAll = [&](const char* expected) {
        reg.setSettings(QStringLiteral("42"));
        reg.GetReg();
        EXPECT_EQ(reg.Settings(), QLatin1String(expected));
        reg.setSettings(QStringLiteral("42"));
        reg.SaveReg();
        EXPECT_EQ(reg.Settings(), QLatin1String(expected));
        reg.setSettings(QStringLiteral("42"));
        EXPECT_NO_THROW(reg.DelReg()); // no store operation, so no "not stored" failure
        EXPECT_EQ(reg.Settings(), QLatin1String(expected));
    };
    // The application name is checked first, then the section, then the key.
    reg.setKey(QStringLiteral("TestProd"));
    runAll(Registry::kNoApplicationName);
    reg.setApplicationName(QStringLiteral("Pelto"));
    reg.setKey({});
    runAll(Registry::kNoSection);
    reg.setSection(QStringLiteral("Settings"));
    runAll(Registry::kNoKey);
    // Nothing was written: the folder holds no store file.
    EXPECT_TRUE(QDir(folder_.path()).isEmpty());
}

TEST_F(RegistryTest, MissingKeyReadsEmptyAndReplacesOldSettings) {
    auto reg = open();
    reg->setSettings(QStringLiteral("left over"));
    EXPECT_EQ(get(*reg, QStringLiteral("PathSource")), QString());
}

TEST_F(RegistryTest, SavedValuesPersistIntoAnotherStoreObject) {
    // Values a real user can have: paths with blanks, separators, quotes, commas, INI syntax.
    const QStringList values{
        QStringLiteral("/home/user/My Documents/"),
        QStringLiteral("C:\\Data\\VB60\\"),
        QStringLiteral("a, b, c"),
        QStringLiteral("\"quoted\" ; not a comment # either"),
        QStringLiteral("key=value [section]"),
        QStringLiteral("@Variant(not really)"),
        QStringLiteral("  blanks kept  "),
        QStringLiteral("Ääkköset ja € merkki"),
        QStringLiteral("line one\r\nline two"),
        QString(),
    };
    {
        auto writer = open();
        for (int i = 0; i < values.size(); ++i)
            save(*writer, QStringLiteral("Value%1").arg(i), values[i]);
    }
    auto reader = open();
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(get(*reader, QStringLiteral("Value%1").arg(i)), values[i]) << i;

    // The same file read afresh from another folder, as the next run of the program reads it.
    QTemporaryDir copyFolder;
    ASSERT_TRUE(QFile::copy(folder_.filePath(QStringLiteral("Pelto.ini")),
                            copyFolder.filePath(QStringLiteral("Pelto.ini"))));
    Registry nextRun(std::make_unique<QSettingsBackend>(copyFolder.path()));
    nextRun.setApplicationName(QStringLiteral("Pelto"));
    nextRun.setSection(QStringLiteral("Settings"));
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(get(nextRun, QStringLiteral("Value%1").arg(i)), values[i]) << i;
}

TEST_F(RegistryTest, SaveReplacesAnOlderValue) {
    auto reg = open();
    save(*reg, QStringLiteral("Instances"), QStringLiteral("1"));
    save(*reg, QStringLiteral("Instances"), QStringLiteral("2"));
    EXPECT_EQ(get(*open(), QStringLiteral("Instances")), QStringLiteral("2"));
}

TEST_F(RegistryTest, PropertiesPersistBetweenCalls) {
    auto reg = open(QStringLiteral("Profile03"));
    save(*reg, QStringLiteral("TimesUsed"), QStringLiteral("7"));
    EXPECT_EQ(get(*reg, QStringLiteral("Description")), QString());
    // Only the key changed: the same application and section are still in force.
    EXPECT_EQ(reg->ApplicationName(), QStringLiteral("Pelto"));
    EXPECT_EQ(reg->Section(), QStringLiteral("Profile03"));
    EXPECT_EQ(get(*reg, QStringLiteral("TimesUsed")), QStringLiteral("7"));
    EXPECT_EQ(reg->Key(), QStringLiteral("TimesUsed"));
}

TEST_F(RegistryTest, SectionsAndApplicationsAreKeptApart) {
    auto reg = open();
    save(*reg, QStringLiteral("Line01"), QStringLiteral("settings"));
    reg->setSection(QStringLiteral("Profile01"));
    save(*reg, QStringLiteral("Line01"), QStringLiteral("profile one"));
    reg->setSection(QStringLiteral("Profile02"));
    EXPECT_EQ(get(*reg, QStringLiteral("Line01")), QString());
    reg->setApplicationName(QStringLiteral("Other"));
    reg->setSection(QStringLiteral("Settings"));
    EXPECT_EQ(get(*reg, QStringLiteral("Line01")), QString());

    auto again = open();
    EXPECT_EQ(get(*again, QStringLiteral("Line01")), QStringLiteral("settings"));
    again->setSection(QStringLiteral("Profile01"));
    EXPECT_EQ(get(*again, QStringLiteral("Line01")), QStringLiteral("profile one"));
}

TEST_F(RegistryTest, DelRegRemovesOnlyThatKey) {
    auto reg = open();
    save(*reg, QStringLiteral("PathSource"), QStringLiteral("/src/"));
    save(*reg, QStringLiteral("PathDest"), QStringLiteral("/dst/"));
    reg->setKey(QStringLiteral("PathSource"));
    reg->DelReg();

    auto other = open();
    EXPECT_EQ(get(*other, QStringLiteral("PathSource")), QString());
    EXPECT_EQ(get(*other, QStringLiteral("PathDest")), QStringLiteral("/dst/"));
}

TEST_F(RegistryTest, DelRegOfAKeyNotStoredRaisesToTheCaller) {
    auto reg = open();
    reg->setKey(QStringLiteral("NeverStored"));
    try {
        reg->DelReg();
        FAIL() << "DelReg of a missing key returned normally";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), Registry::kKeyNotStored);
    }
    // Deleting the same key twice: the second call fails.
    save(*reg, QStringLiteral("Once"), QStringLiteral("x"));
    EXPECT_NO_THROW(reg->DelReg());
    EXPECT_THROW(reg->DelReg(), RuntimeError);
}

TEST_F(RegistryTest, UnwritableStoreRaisesOnSave) {
    // A store folder below a plain file can never be created, whoever runs the test.
    const QString blocker = folder_.filePath(QStringLiteral("blocker"));
    QFile file(blocker);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    Registry reg(std::make_unique<QSettingsBackend>(blocker + QStringLiteral("/store")));
    reg.setApplicationName(QStringLiteral("Pelto"));
    reg.setSection(QStringLiteral("Settings"));
    reg.setKey(QStringLiteral("TestProd"));
    reg.setSettings(QStringLiteral("1"));
    EXPECT_THROW(reg.SaveReg(), RuntimeError);
    reg.GetReg();
    EXPECT_EQ(reg.Settings(), QString()) << "a value that was never stored reads back";
}

TEST_F(RegistryTest, StoreIsOneReadableIniFilePerApplication) {
    auto reg = open();
    save(*reg, QStringLiteral("SyncDelete"), QStringLiteral("Sync"));
    QFile file(folder_.filePath(QStringLiteral("Pelto.ini")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("[Settings]"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("SyncDelete=Sync"))) << text.toStdString();
}

TEST_F(RegistryTest, ApplicationNameCannotLeaveTheStoreFolder) {
    auto reg = open();
    reg->setApplicationName(QStringLiteral("../escape"));
    save(*reg, QStringLiteral("Key"), QStringLiteral("v"));
    EXPECT_FALSE(QFile::exists(folder_.filePath(QStringLiteral("../escape.ini"))));
    EXPECT_EQ(get(*reg, QStringLiteral("Key")), QStringLiteral("v"));
}

} // namespace
} // namespace pelto
