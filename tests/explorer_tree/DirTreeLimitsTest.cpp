#include "explorer/tree/DirTree.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "tests/explorer_filelist/OtherUser.h"
#include "tests/explorer_tree/TreeOnFolder.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

TEST(DirTreeLimitsTest, UnreadableFoldersGetNoChildrenAndNoMessage)
{
    TreeOnFolder fixture({QStringLiteral("Music/Locked/Inner/Deeper"), QStringLiteral("Music/Open/Inner")});
    // The folders must be reachable for an ordinary user; "Locked" may be passed
    // through but not listed.
    ::chmod(QFile::encodeName(fixture.folder.path()).constData(), 0755);
    ::chmod(QFile::encodeName(fixture.nativePath(QStringLiteral("Music/Locked"))).constData(), 0311);
    fixture.tree.OpenPath(fixture.path());
    platform::ScriptedMessageResponder boxes;
    QTreeWidgetItem *music = nullptr;
    {
        // Root reads every folder whatever its permissions: the tree works as an ordinary user.
        ActAsOrdinaryUser ordinaryUser;
        if (::geteuid() == 0)
            GTEST_SKIP() << "cannot act as an ordinary user here";
        fixture.tree.OpenPath(fixture.path(QStringLiteral("Music")));
        music = fixture.selected();
        fixture.tree.OpenPath(fixture.path(QStringLiteral("Music/Locked/Inner/Deeper")));
    }
    ASSERT_EQ(childCaptions(music), (QStringList{QStringLiteral("Locked"), QStringLiteral("Open")}));
    EXPECT_FALSE(hasChildren(music->child(0)));
    EXPECT_TRUE(hasChildren(music->child(1)));
    // The walk stops at the folder it cannot list.
    EXPECT_EQ(fixture.selected(), music->child(0));
    EXPECT_EQ(fixture.selected()->childCount(), 0);
    EXPECT_EQ(fixture.tree.SelectedPath(), fixture.path(QStringLiteral("Music")) + QLatin1Char('\\'));
    EXPECT_TRUE(boxes.requests().isEmpty());
}

TEST(DirTreeLimitsTest, AVeryDeepPathOpensAndReadsBack)
{
    QStringList levels;
    for (int level = 0; level < 400; ++level)
        levels.append(QStringLiteral("d%1").arg(level));
    const QString relative = levels.join(QLatin1Char('/'));
    TreeOnFolder fixture({relative});

    fixture.tree.OpenPath(fixture.path(relative));

    EXPECT_EQ(fixture.tree.SelectedPath(), fixture.path(relative) + QLatin1Char('\\'));
    ASSERT_TRUE(fixture.selected());
    EXPECT_EQ(fixture.tree.GetNodePath(fixture.selected()), fixture.path(relative));
    EXPECT_EQ(nodeLevel(fixture.selected()), fixture.path(relative).count(QLatin1Char('\\')) + 1);
    EXPECT_FALSE(hasChildren(fixture.selected()));
}

TEST(DirTreeLimitsTest, AFolderOfThousandsOfSubfoldersListsThemAll)
{
    constexpr int count = 2000;
    QStringList folders;
    for (int i = 0; i < count; ++i)
        folders.append(i % 3 == 0 ? QStringLiteral("Wide/Album %1/CD1").arg(i) : QStringLiteral("Wide/Album %1").arg(i));
    TreeOnFolder fixture(folders);

    fixture.tree.OpenPath(fixture.path(QStringLiteral("Wide/Album 1999")));

    EXPECT_EQ(fixture.tree.SelectedPath(), fixture.path(QStringLiteral("Wide/Album 1999")) + QLatin1Char('\\'));
    QTreeWidgetItem *wide = fixture.node(QStringLiteral("Wide"));
    ASSERT_EQ(wide->childCount(), count);
    EXPECT_EQ(wide->child(0)->text(0), QStringLiteral("Album 0"));
    EXPECT_EQ(wide->child(1)->text(0), QStringLiteral("Album 1"));
    EXPECT_EQ(wide->child(2)->text(0), QStringLiteral("Album 10"));
    int withButton = 0;
    for (int i = 0; i < count; ++i)
        withButton += hasChildren(wide->child(i)) ? 1 : 0;
    EXPECT_EQ(withButton, (count + 2) / 3);
    EXPECT_TRUE(fixture.tree.viewport()->rect().intersects(fixture.tree.visualItemRect(fixture.selected())));
}
