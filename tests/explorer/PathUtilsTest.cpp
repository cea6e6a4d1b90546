#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/PathUtils.h"
#include "explorer/shared/PlatformVersion.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

namespace {
const QChar nul(0);
}

TEST(PathUtilsTest, SlashesAndJoins)
{
    const struct {
        QString path;
        QString added;
        QString deleted;
    } slashes[] = {
        {"C:", "C:\\", "C:"},
        {"C:\\", "C:\\", "C:"},
        {"C:\\Music", "C:\\Music\\", "C:\\Music"},
        {"C:\\Music\\\\", "C:\\Music\\\\", "C:\\Music\\"},
        {"", "", ""},
    };
    for (const auto &c : slashes) {
        EXPECT_EQ(AddSlash(c.path), c.added) << c.path.toStdString();
        EXPECT_EQ(DelSlash(c.path), c.deleted) << c.path.toStdString();
    }
    EXPECT_EQ(JoinPath("C:\\Music", "a.mp3"), "C:\\Music\\a.mp3");
    EXPECT_EQ(JoinPath("C:\\Music\\", "a.mp3"), "C:\\Music\\a.mp3");
    EXPECT_EQ(JoinPath("", "a.mp3"), "");
    EXPECT_EQ(JoinPath("C:\\Music", ""), "");
}

TEST(PathUtilsTest, NullsCharactersAndNames)
{
    EXPECT_EQ(DoubleNull("a"), QString("a") + nul);
    EXPECT_EQ(DoubleNull(QString("C:\\a") + nul), QString("C:\\a") + nul);
    EXPECT_EQ(DoubleNull(""), "");

    EXPECT_TRUE(HasAnyChar("Rock:Live", "\\*?/=\"<>|:,;+^"));
    EXPECT_FALSE(HasAnyChar("Rock Live", "\\*?/=\"<>|:,;+^"));
    EXPECT_FALSE(HasAnyChar("", "abc"));

    const struct {
        QString path;
        QString bare;
    } names[] = {
        {"C:\\a\\song.mp3", "song"},
        {"C:\\a\\README", "README"},
        {"C:\\a\\my.song.mp3", "my.song"},
        {"C:\\a\\a.txtb.txt", "a.txtb"}, // the extension is taken off the end only
        {"C:\\a\\.profile", ""},
        {"song.mp3", "song"},
    };
    for (const auto &c : names)
        EXPECT_EQ(FileNameNoExt(c.path), c.bare) << c.path.toStdString();

    // Only a leading "X:" is a drive; every other colon belongs to the name.
    const struct {
        QString path;
        QString folder;
        QString name;
    } splits[] = {
        {"C:\\d\\x:y.txt", "C:\\d\\", "x:y.txt"},
        {"C:\\d\\C:x", "C:\\d\\", "C:x"},
        {"C:\\d\\:lead", "C:\\d\\", ":lead"},
        {"C:\\trail:", "C:\\", "trail:"},
        {"C:\\", "C:\\", ""},
        {"C:", "C:", ""},
        {"x:y.txt", "", "x:y.txt"},
        {"C:x", "", "C:x"},
    };
    for (const auto &c : splits) {
        EXPECT_EQ(folderPart(c.path), c.folder) << c.path.toStdString();
        EXPECT_EQ(fileNamePart(c.path), c.name) << c.path.toStdString();
        EXPECT_EQ(JoinPath(c.folder, c.name), c.folder.isEmpty() || c.name.isEmpty() ? QString() : c.path);
    }
}

TEST(PathUtilsTest, DirExistsOnRealFolders)
{
    TempFolder folder;
    folder.write("Album/a.mp3", "x");
    EXPECT_TRUE(DirExists(folder.drivePath()));
    EXPECT_TRUE(DirExists(folder.drivePath() + "\\Album\\"));
    EXPECT_FALSE(DirExists(folder.drivePath() + "\\Album\\a.mp3"));
    EXPECT_FALSE(DirExists(folder.drivePath() + "\\Missing"));
    EXPECT_FALSE(DirExists(""));
}

TEST(PathUtilsTest, TargetExistsShowsTheQuotedName)
{
    const TExplorerTexts saved = ExplorerTexts;
    const TLanguage savedLanguage = ListTextLanguage;
    TempFolder folder;
    folder.write("New Folder/x", "x");
    folder.write("a.mp3", "x");
    const QString base = folder.drivePath() + "\\";
    platform::ScriptedMessageResponder boxes;

    ListTextLanguage = lnEnglish;
    LoadListTexts();
    EXPECT_TRUE(TargetExists(base + "New Folder\\"));
    EXPECT_TRUE(TargetExists(base + "a.mp3" + nul));
    ListTextLanguage = lnItalian;
    LoadListTexts();
    EXPECT_TRUE(TargetExists(base + "a.mp3"));
    EXPECT_FALSE(TargetExists(base + "b.mp3"));
    EXPECT_EQ(boxes.texts(), QStringList({"\"New Folder\" already exists !", "\"a.mp3\" already exists !",
                                          "\"a.mp3\" già esistente !"}));
    EXPECT_EQ(boxes.requests().at(0).kind, platform::MessageKind::Error);

    ExplorerTexts = saved;
    ListTextLanguage = savedLanguage;
}

TEST(PlatformVersionTest, NTAbove50ByVersion)
{
    EXPECT_FALSE(isNTAbove50(true, 5, 0));
    EXPECT_TRUE(isNTAbove50(true, 5, 1));
    EXPECT_FALSE(isNTAbove50(true, 4, 10));
    EXPECT_FALSE(isNTAbove50(false, 5, 1));
    EXPECT_FALSE(IsNTAbove50());
}
