#include "options/Opzioni.h"
#include "platform/Registry.h"

#include <QFile>
#include <QDir>
#include <gtest/gtest.h>

using platform::RegistryKey;

namespace {
const QString key = QStringLiteral("\\Software\\Zerko");

void store(const char *name, const QString &value)
{
    RegistryKey registry;
    registry.openKey(key);
    registry.writeString(QString::fromLatin1(name), value);
}

QString stored(const char *name)
{
    RegistryKey registry;
    registry.openKey(key);
    return registry.readString(QString::fromLatin1(name));
}
} // namespace

class OptionsRecordTest : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(platform::hiveFilePath()); }
};

TEST_F(OptionsRecordTest, FirstStartWritesTheDefaults)
{
    TOpzioni options;
    EXPECT_EQ(stored("Zerko"), QStringLiteral("301102"));
    EXPECT_EQ(stored("Stringa"), QStringLiteral("[%1] - %2"));
    EXPECT_FALSE(options.Anteprima());
    EXPECT_TRUE(options.NomePulito());
    EXPECT_TRUE(options.Trascrivi());
    EXPECT_EQ(options.Maiuscole(), 0);
    EXPECT_EQ(options.Formato(), 2);
    EXPECT_EQ(options.StringaFormato(), QStringLiteral("[%1] - %2"));
}

TEST_F(OptionsRecordTest, ReadsEachPositionOfTheOptionsString)
{
    store("Zerko", QStringLiteral("X10114"));
    store("Stringa", QStringLiteral("%2"));
    TOpzioni options;
    EXPECT_TRUE(options.Anteprima());
    EXPECT_FALSE(options.NomePulito());
    EXPECT_TRUE(options.Trascrivi());
    EXPECT_EQ(options.Maiuscole(), 1);
    EXPECT_EQ(options.Formato(), 4);
    EXPECT_EQ(options.StringaFormato(), QStringLiteral("%2"));
    EXPECT_EQ(stored("Zerko"), QStringLiteral("X10114"));
}

TEST_F(OptionsRecordTest, BadOptionsStringsAreReplacedByTheDefault)
{
    const struct {
        QString storedValue;
        QString afterwards;
    } cases[] = {
        {QStringLiteral("30110"), QStringLiteral("301102")},
        {QString(), QStringLiteral("301102")},
        {QStringLiteral("3011x2"), QStringLiteral("301102")},
        {QStringLiteral("30110y"), QStringLiteral("301102")},
        {QStringLiteral("3011021"), QStringLiteral("3011021")}, // seventh character ignored, kept
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.storedValue.toStdString());
        store("Zerko", c.storedValue);
        store("Stringa", QStringLiteral("%1"));
        TOpzioni options;
        EXPECT_EQ(stored("Zerko"), c.afterwards);
        EXPECT_FALSE(options.Anteprima());
        EXPECT_TRUE(options.NomePulito());
        EXPECT_EQ(options.Formato(), 2);
    }
}

TEST_F(OptionsRecordTest, WrongTypeIsTreatedLikeABadString)
{
    {
        RegistryKey registry;
        registry.openKey(key);
        registry.writeInteger(QStringLiteral("Zerko"), 301102);
        registry.writeString(QStringLiteral("Stringa"), QStringLiteral("%1 - %2"));
    }
    TOpzioni options;
    EXPECT_EQ(stored("Zerko"), QStringLiteral("301102"));
    // The pattern was not read before the error, so it counts as empty.
    EXPECT_EQ(stored("Stringa"), QStringLiteral("[%1] - %2"));
    EXPECT_EQ(options.StringaFormato(), QStringLiteral("[%1] - %2"));
}

TEST_F(OptionsRecordTest, EmptyPatternRewritesOnlyThePattern)
{
    store("Zerko", QStringLiteral("310035"));
    store("Stringa", QString());
    TOpzioni options;
    EXPECT_EQ(stored("Zerko"), QStringLiteral("310035"));
    EXPECT_EQ(stored("Stringa"), QStringLiteral("[%1] - %2"));
    EXPECT_EQ(options.Maiuscole(), 3);
}

TEST_F(OptionsRecordTest, WrittenSettingsReadBackTheSame)
{
    const QString options = TOpzioni::optionsString(true, false, false, 3, 5);
    EXPECT_EQ(options, QStringLiteral("310035"));
    ASSERT_TRUE(TOpzioni::writeRegistry(options, QStringLiteral("Track %5")));
    TOpzioni record;
    EXPECT_TRUE(record.Anteprima());
    EXPECT_FALSE(record.NomePulito());
    EXPECT_FALSE(record.Trascrivi());
    EXPECT_EQ(record.Maiuscole(), 3);
    EXPECT_EQ(record.Formato(), 5);
    EXPECT_EQ(record.StringaFormato(), QStringLiteral("Track %5"));
}

TEST_F(OptionsRecordTest, UnusableHiveLeavesTheDefaultsInMemory)
{
    // A folder where the hive file should be: it can be neither read nor written.
    QDir().mkpath(platform::hiveFilePath());
    TOpzioni options;
    QDir(platform::hiveFilePath()).removeRecursively();
    EXPECT_TRUE(options.NomePulito());
    EXPECT_TRUE(options.Trascrivi());
    EXPECT_EQ(options.Formato(), 2);
    EXPECT_EQ(options.StringaFormato(), QStringLiteral("[%1] - %2"));
}
