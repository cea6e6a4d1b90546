#include "naming/TKestrava.h"

#include <gtest/gtest.h>

TEST(NameModelTest, SplitsNamesIntoBareNameAndLowerCaseExtension)
{
    const struct {
        const char *name, *extension, *bareName;
    } cases[] = {
        {"Song.MP3", ".mp3", "Song"},       {"photo.jpeg", ".jpeg", "photo"},
        {"a.b", ".b", "a"},                 {"archive.tar.gz", ".gz", "archive.tar"},
        {"README", "", "README"},           {".hidden", ".hidden", ""},
        {"name.", ".", "name"},             {"", "", ""},
        {"dir.v2\\file", "", "dir.v2\\file"}, {"C:.x:y", "", "C:.x:y"},
        {"Città.ÀB", ".Àb", "Città"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TKestrava engine;
        engine.SetFileName(QString::fromUtf8(c.name));
        EXPECT_EQ(engine.OriginalName(), QString::fromUtf8(c.name));
        EXPECT_EQ(engine.Extension(), QString::fromUtf8(c.extension));
        EXPECT_EQ(engine.BareName(), QString::fromUtf8(c.bareName));
    }
}

TEST(NameModelTest, SetFileNameLeavesNewNameAlone)
{
    TKestrava engine;
    engine.SetNewName(QStringLiteral("kept"));
    engine.SetFileName(QStringLiteral("other.mp3"));
    EXPECT_EQ(engine.NewName(), QStringLiteral("kept"));
}

TEST(NameModelTest, SetNewNameReplacesTheNineInvalidCharacters)
{
    const struct {
        const char *given, *stored;
    } cases[] = {
        {"AC/DC: Live?", "AC_DC_ Live_"},
        {"a<b>|c", "a_b__c"},
        {"\"x\"*\\", "_x___"},
        {"Perché. sì - ok", "Perché. sì - ok"},
    };
    for (const auto &c : cases) {
        TKestrava engine;
        engine.SetNewName(QString::fromUtf8(c.given));
        EXPECT_EQ(engine.NewName(), QString::fromUtf8(c.stored));
    }
}
