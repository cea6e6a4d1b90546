#include "explorer/tree/DirTree.h"
#include "explorer/filelist/FileListView.h"
#include "tests/explorer_tree/TreeOnFolder.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {
constexpr int patienceMs = 5000;

QStringList listedCaptions(const TZuFilelistView28 &list)
{
    QStringList captions;
    for (int i = 0; i < list.itemCount(); ++i)
        captions.append(list.item(i).caption);
    return captions;
}

// A tree linked with a file list, over a folder of music.
class TreeWithList : public TreeOnFolder {
public:
    TreeWithList()
        : TreeOnFolder({QStringLiteral("Music/Rock"), QStringLiteral("Music/Jazz")})
    {
        folder.write(QStringLiteral("Music/Rock/01 song.mp3"), "audio");
        folder.write(QStringLiteral("Music/Rock/02 song.mp3"), "audio");
        list.SetParentDirEnabled(false);
        list.SetDirTree(&tree);
    }

    void click(QTreeWidgetItem *node)
    {
        tree.scrollToItem(node);
        const QRect row = tree.visualItemRect(node);
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(row.left() + 28, row.center().y()));
    }

    TZuFilelistView28 list;
};
} // namespace

TEST(DirTreeFileListTest, AClickMovesTheListAfterOnDirChangeAndBeforeOnClick)
{
    TreeWithList fixture;
    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music")));
    EXPECT_EQ(fixture.list.Directory(), QStringLiteral("Drives")); // OpenPath does not tell the list
    QStringList seen;
    QObject::connect(&fixture.tree, &TZuDirTree21::OnDirChange,
                     [&](QObject *, const QString &path) { seen.append(QStringLiteral("change ") + path + QLatin1Char(' ') + fixture.list.Directory()); });
    QObject::connect(&fixture.tree, &TZuDirTree21::OnClick,
                     [&](QObject *) { seen.append(QStringLiteral("click ") + fixture.list.Directory()); });

    fixture.click(fixture.node(QStringLiteral("Music/Rock")));

    const QString rock = fixture.path(QStringLiteral("Music/Rock"));
    EXPECT_EQ(seen, (QStringList{QStringLiteral("change ") + rock + QStringLiteral(" Drives"),
                                 QStringLiteral("click ") + rock + QLatin1Char('\\')}));
    EXPECT_EQ(listedCaptions(fixture.list), (QStringList{QStringLiteral("01 song.mp3"), QStringLiteral("02 song.mp3")}));

    // The root gives "Drives" to both.
    seen.clear();
    fixture.click(fixture.tree.topLevelItem(0));
    EXPECT_EQ(fixture.tree.SelectedPath(), QStringLiteral("Drives"));
    EXPECT_EQ(fixture.list.Directory(), QStringLiteral("Drives"));
}

TEST(DirTreeFileListTest, LinkingShowsTheSelectedPathAndKeepsOneLinkEachWay)
{
    TreeWithList fixture;
    fixture.list.SetDirTree(nullptr);
    EXPECT_EQ(fixture.tree.FileList(), nullptr);
    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music/Rock")));

    fixture.tree.SetFileList(&fixture.list);
    EXPECT_EQ(fixture.list.DirTree(), &fixture.tree);
    EXPECT_EQ(fixture.list.Directory(), fixture.path(QStringLiteral("Music/Rock")) + QLatin1Char('\\'));

    TZuFilelistView28 other;
    other.SetDirTree(&fixture.tree);
    EXPECT_EQ(fixture.tree.FileList(), &other);
    EXPECT_EQ(fixture.list.DirTree(), nullptr);
    fixture.tree.SetFileList(&fixture.list);
    EXPECT_EQ(fixture.tree.FileList(), &fixture.list);
    EXPECT_EQ(fixture.list.DirTree(), &fixture.tree);
    EXPECT_EQ(other.DirTree(), nullptr);

    {
        TZuFilelistView28 shortLived;
        shortLived.SetDirTree(&fixture.tree);
    }
    EXPECT_EQ(fixture.tree.FileList(), nullptr);
}

TEST(DirTreeFileListTest, F5AndFolderChangesReReadTheList)
{
    TreeWithList fixture;
    fixture.click(fixture.tree.topLevelItem(0));
    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music")));
    fixture.click(fixture.node(QStringLiteral("Music/Rock")));
    fixture.tree.setFocus();

    fixture.folder.write(QStringLiteral("Music/Rock/03 song.mp3"), "audio");
    QTest::keyClick(&fixture.tree, Qt::Key_F5);
    EXPECT_EQ(listedCaptions(fixture.list).size(), 3);

    ASSERT_EQ(QProcess::execute(QStringLiteral("mkdir"), {fixture.nativePath(QStringLiteral("Music/Rock/Live"))}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return listedCaptions(fixture.list).contains(QStringLiteral("Live")); }, patienceMs));
    EXPECT_EQ(fixture.list.Directory(), fixture.path(QStringLiteral("Music/Rock")) + QLatin1Char('\\'));
    EXPECT_EQ(fixture.selected(), fixture.node(QStringLiteral("Music/Rock")));
    EXPECT_TRUE(fixture.node(QStringLiteral("Music/Rock/Live")));
}

TEST(DirTreeFileListTest, AFolderChangeReadsTheShownFolderOnce)
{
    TreeWithList fixture;
    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music")));
    fixture.click(fixture.node(QStringLiteral("Music/Rock")));
    QSignalSpy resets(fixture.list.model(), &QAbstractItemModel::modelReset);
    QSignalSpy inserted(fixture.list.model(), &QAbstractItemModel::rowsInserted);
    const quint64 readsBefore = fixture.list.readsStarted();

    ASSERT_EQ(QProcess::execute(QStringLiteral("mkdir"), {fixture.nativePath(QStringLiteral("Music/Rock/Live"))}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return listedCaptions(fixture.list).contains(QStringLiteral("Live")); }, patienceMs));
    QTest::qWait(200);
    EXPECT_EQ(fixture.list.readsStarted() - readsBefore, 1u);
    // The new row comes in by itself: the list is not reset.
    EXPECT_EQ(resets.size(), 0);
    EXPECT_EQ(inserted.size(), 1);
    EXPECT_EQ(fixture.list.Directory(), fixture.path(QStringLiteral("Music/Rock")) + QLatin1Char('\\'));
}

TEST(DirTreeFileListTest, AListNavigationMeetingAFolderChangeLeavesBothOnTheNewFolder)
{
    TreeWithList fixture;
    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music")));
    fixture.click(fixture.node(QStringLiteral("Music")));
    auto *watcher = fixture.tree.findChild<platform::FolderWatcher *>();
    ASSERT_TRUE(watcher);
    // The user opens Jazz in the list just as the tree learns of a new folder.
    bool opened = false;
    QObject::connect(watcher, &platform::FolderWatcher::changed, [&] {
        if (std::exchange(opened, true))
            return;
        const int jazz = int(listedCaptions(fixture.list).indexOf(QStringLiteral("Jazz")));
        fixture.list.selectItem(jazz);
        fixture.list.OpenSelected();
    });

    ASSERT_EQ(QProcess::execute(QStringLiteral("mkdir"), {fixture.nativePath(QStringLiteral("Music/Pop"))}), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return opened; }, patienceMs));
    QTest::qWait(200);
    const QString jazz = fixture.path(QStringLiteral("Music/Jazz")) + QLatin1Char('\\');
    EXPECT_EQ(fixture.list.Directory(), jazz);
    EXPECT_EQ(fixture.tree.SelectedPath(), jazz);
    EXPECT_EQ(fixture.selected(), fixture.node(QStringLiteral("Music/Jazz")));
}

TEST(DirTreeFileListTest, TypeAheadSelectsLikeTheArrowKeys)
{
    TreeWithList fixture;
    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music")));
    fixture.list.SetDirectory(fixture.path(QStringLiteral("Music")));
    fixture.tree.setFocus();
    QSignalSpy changes(&fixture.tree, &TZuDirTree21::OnDirChange);

    QTest::keyClicks(&fixture.tree, QStringLiteral("ro"));

    const QString rock = fixture.path(QStringLiteral("Music/Rock"));
    EXPECT_EQ(fixture.selected(), fixture.node(QStringLiteral("Music/Rock")));
    EXPECT_EQ(fixture.tree.SelectedPath(), rock);
    ASSERT_EQ(changes.size(), 1); // the second letter keeps the node
    EXPECT_EQ(changes.front().at(1).toString(), rock);
    EXPECT_EQ(fixture.list.Directory(), rock + QLatin1Char('\\'));
    EXPECT_EQ(listedCaptions(fixture.list), (QStringList{QStringLiteral("01 song.mp3"), QStringLiteral("02 song.mp3")}));
}
