#include "platform/Errors.h"
#include "platform/Registry.h"

#include <QFile>
#include <gtest/gtest.h>

using platform::RegistryKey;

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(platform::hiveFilePath()); }
};

TEST_F(RegistryTest, ValuesSurviveReopeningTheHive)
{
    {
        RegistryKey key;
        ASSERT_TRUE(key.openKey(QStringLiteral("\\Software\\Test")));
        EXPECT_TRUE(key.writeString(QStringLiteral("Name"), QStringLiteral("àè value")));
        EXPECT_TRUE(key.writeInteger(QStringLiteral("Count"), 42));
        EXPECT_TRUE(key.writeString(QStringLiteral("Tricky"), QStringLiteral("dword:0000002a")));
    }
    RegistryKey key;
    ASSERT_TRUE(key.openKey(QStringLiteral("Software/Test")));
    EXPECT_EQ(key.readString(QStringLiteral("Name")), QStringLiteral("àè value"));
    EXPECT_EQ(key.readInteger(QStringLiteral("Count")), 42);
    EXPECT_EQ(key.readString(QStringLiteral("Tricky")), QStringLiteral("dword:0000002a"));
    EXPECT_TRUE(key.valueExists(QStringLiteral("Count")));
    EXPECT_FALSE(key.valueExists(QStringLiteral("Missing")));
    EXPECT_EQ(key.readString(QStringLiteral("Missing")), QString());
}

TEST_F(RegistryTest, ReadingAValueOfTheOtherTypeRaisesARegistryError)
{
    RegistryKey key;
    ASSERT_TRUE(key.openKey(QStringLiteral("\\Software\\Test")));
    key.writeInteger(QStringLiteral("Number"), 7);
    key.writeString(QStringLiteral("Text"), QStringLiteral("7"));
    EXPECT_THROW(key.readString(QStringLiteral("Number")), platform::RegistryError);
    EXPECT_THROW(key.readInteger(QStringLiteral("Text")), platform::RegistryError);
}

TEST_F(RegistryTest, HiveFileFollowsXdgConfigHome)
{
    EXPECT_TRUE(platform::hiveFilePath().startsWith(QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"))));
    EXPECT_TRUE(platform::hiveFilePath().endsWith(QStringLiteral("/kestrava/registry.ini")));
}
