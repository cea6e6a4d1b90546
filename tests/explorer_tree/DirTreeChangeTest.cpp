#include "explorer/tree/DirTree.h"
#include "explorer/filelist/FileListView.h"
#include "platform/FolderWatcher.h"
#include "tests/explorer/ScratchMount.h"
#include "tests/explorer_tree/TreeOnFolder.h"

#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using platform::FolderWatcher;

namespace {
constexpr int patienceMs = 5000;

// Runs a command as another process would change the folders.
void run(const QString &program, const QStringList &arguments)
{
    ASSERT_EQ(QProcess::execute(program, arguments), 0) << qPrintable(program);
}

// Another program making and removing a folder inside `folder` every 50 ms.
class FolderChurn {
public:
    FolderChurn(const QString &folder, int seconds)
    {
        m_process.start(QStringLiteral("sh"), {QStringLiteral("-c"),
                                              QStringLiteral("end=$(($(date +%s) + %1)); while [ $(date +%s) -lt $end ]; do "
                                                             "mkdir \"$1/churn\"; sleep 0.05; rmdir \"$1/churn\"; sleep 0.05; done")
                                                  .arg(seconds),
                                              QStringLiteral("churn"), folder});
    }
    ~FolderChurn() { m_process.waitForFinished(); }
    bool running() const { return m_process.state() != QProcess::NotRunning; }
    bool finish(int patience) { return QTest::qWaitFor([this] { return !running(); }, patience); }

private:
    QProcess m_process;
};

bool isDriveReport(const QList<QVariant> &report)
{
    const auto change = report.at(0).value<FolderWatcher::Change>();
    return change == FolderWatcher::Change::DriveAdded || change == FolderWatcher::Change::DriveRemoved;
}
} // namespace

TEST(DirTreeChangeTest, AFolderMadeByAnotherProgramAppearsAndTheSelectionStays)
{
    TreeOnFolder fixture({QStringLiteral("Music/Rock"), QStringLiteral("Music/Pop")});
    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music/Rock")));
    const QString selected = fixture.tree.SelectedPath();

    run(QStringLiteral("mkdir"), {fixture.nativePath(QStringLiteral("Music/Jazz")), fixture.nativePath(QStringLiteral("Music/Rock/Live"))});

    ASSERT_TRUE(QTest::qWaitFor([&] { return fixture.node(QStringLiteral("Music/Jazz")) != nullptr; }, patienceMs));
    EXPECT_EQ(childCaptions(fixture.node(QStringLiteral("Music"))),
              (QStringList{QStringLiteral("Jazz"), QStringLiteral("Pop"), QStringLiteral("Rock")}));
    EXPECT_EQ(childCaptions(fixture.node(QStringLiteral("Music/Rock"))), QStringList{QStringLiteral("Live")});
    EXPECT_EQ(fixture.tree.SelectedPath(), selected);
    EXPECT_EQ(fixture.selected(), fixture.node(QStringLiteral("Music/Rock")));

    // Renamed and removed folders are followed the same way.
    run(QStringLiteral("mv"), {fixture.nativePath(QStringLiteral("Music/Pop")), fixture.nativePath(QStringLiteral("Music/Soul"))});
    ASSERT_TRUE(QTest::qWaitFor([&] { return fixture.node(QStringLiteral("Music/Soul")) != nullptr; }, patienceMs));
    run(QStringLiteral("rmdir"), {fixture.nativePath(QStringLiteral("Music/Jazz"))});
    ASSERT_TRUE(QTest::qWaitFor([&] { return fixture.node(QStringLiteral("Music/Jazz")) == nullptr; }, patienceMs));
    EXPECT_EQ(childCaptions(fixture.node(QStringLiteral("Music"))), (QStringList{QStringLiteral("Rock"), QStringLiteral("Soul")}));
    EXPECT_EQ(fixture.tree.SelectedPath(), selected);
}

TEST(DirTreeChangeTest, RenamingAFileInAShownFolderRebuildsNeitherTheTreeNorTheList)
{
    TreeOnFolder fixture({QStringLiteral("Music/Rock")});
    fixture.folder.write(QStringLiteral("Music/Rock/01 song.mp3"), "audio");
    fixture.folder.write(QStringLiteral("Music/Rock/02 song.mp3"), "audio");
    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music/Rock")));
    TZuFilelistView28 list;
    list.SetParentDirEnabled(false);
    list.SetDirTree(&fixture.tree);
    list.selectItem(1);
    auto *watcher = fixture.tree.findChild<FolderWatcher *>();
    ASSERT_TRUE(watcher);
    QSignalSpy reports(watcher, &FolderWatcher::changed);
    QSignalSpy rebuilds(fixture.tree.model(), &QAbstractItemModel::modelAboutToBeReset);
    // The sentinel lies outside what the tree shows.
    TempFolder sentinelFolder;
    FolderWatcher sentinel;
    sentinel.setFolders({sentinelFolder.drivePath()});
    QSignalSpy sentinelReports(&sentinel, &FolderWatcher::changed);

    run(QStringLiteral("mv"), {fixture.nativePath(QStringLiteral("Music/Rock/01 song.mp3")),
                               fixture.nativePath(QStringLiteral("Music/Rock/01 Song.mp3"))});
    fixture.folder.write(QStringLiteral("Music/Rock/01 Song.mp3"), "audio with a new tag");
    // Whatever the rename caused has been examined once a later change is reported.
    QDir(sentinelFolder.path()).mkdir(QStringLiteral("done"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sentinelReports.isEmpty(); }, patienceMs));
    QCoreApplication::processEvents();

    bool drivesChanged = false;
    for (const QList<QVariant> &report : reports) {
        drivesChanged = drivesChanged || isDriveReport(report);
        EXPECT_TRUE(isDriveReport(report)) << qPrintable(report.at(1).toString());
    }
    if (!drivesChanged) {
        EXPECT_TRUE(rebuilds.isEmpty());
        EXPECT_EQ(list.selectedIndex(), 1);
    }
    // The list follows its own folder: the renamed row changes in place.
    EXPECT_TRUE(QTest::qWaitFor([&] { return list.item(0).caption == QStringLiteral("01 Song.mp3"); }, patienceMs));
    EXPECT_EQ(list.selectedIndex(), 1);

    // A folder made in the same place adds its node alone.
    QDir(fixture.nativePath(QStringLiteral("Music/Rock"))).mkdir(QStringLiteral("Live"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return fixture.node(QStringLiteral("Music/Rock/Live")) != nullptr; }, patienceMs));
    EXPECT_TRUE(rebuilds.isEmpty());
}

TEST(DirTreeChangeTest, WhenTheSelectedFolderIsRemovedItsParentIsSelected)
{
    TreeOnFolder fixture({QStringLiteral("Music/Rock/Live")});
    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music/Rock/Live")));
    QSignalSpy changes(&fixture.tree, &TZuDirTree21::OnDirChange);

    run(QStringLiteral("rm"), {QStringLiteral("-r"), fixture.nativePath(QStringLiteral("Music/Rock"))});

    ASSERT_TRUE(QTest::qWaitFor([&] { return fixture.node(QStringLiteral("Music/Rock")) == nullptr; }, patienceMs));
    EXPECT_EQ(fixture.tree.SelectedPath(), fixture.path(QStringLiteral("Music")) + QLatin1Char('\\'));
    EXPECT_EQ(fixture.selected(), fixture.node(QStringLiteral("Music")));
    ASSERT_FALSE(changes.isEmpty());
    EXPECT_EQ(changes.back().at(1).toString(), fixture.tree.SelectedPath());
}

TEST(DirTreeChangeTest, AVolumeMountedOrUnmountedAddsOrRemovesItsDrive)
{
    TreeOnFolder fixture({QStringLiteral("Music")});
    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music")));
    const auto driveCount = [&] { return fixture.tree.topLevelItem(0)->childCount(); };
    const int before = driveCount();

    ScratchMount volume(QStringLiteral("tree"), 4096, ScratchMount::Kind::Disk);
    if (!volume.mounted())
        GTEST_SKIP() << volume.whyNotMounted().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return driveCount() == before + 1; }, patienceMs));
    EXPECT_EQ(fixture.tree.SelectedPath(), fixture.path(QStringLiteral("Music")) + QLatin1Char('\\'));
    volume.unmount();
    ASSERT_TRUE(QTest::qWaitFor([&] { return driveCount() == before; }, patienceMs));
    EXPECT_EQ(fixture.selected(), fixture.node(QStringLiteral("Music")));
}

TEST(DirTreeChangeTest, AFolderNotExpandedYetFollowsSubfoldersMadeAndRemovedInside)
{
    TreeOnFolder fixture({QStringLiteral("Music/Rock/Live"), QStringLiteral("Music/Pop")});
    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music")));
    QTreeWidgetItem *pop = fixture.node(QStringLiteral("Music/Pop"));
    ASSERT_TRUE(pop);
    ASSERT_FALSE(hasChildren(pop));
    ASSERT_FALSE(pop->isExpanded());
    // Every shown folder once: the loaded ones and those only shown.
    auto *watcher = fixture.tree.findChild<FolderWatcher *>();
    ASSERT_TRUE(watcher);
    QStringList watched = watcher->folders();
    watched.sort();
    EXPECT_EQ(watched, (QStringList{fixture.path(), fixture.path(QStringLiteral("Music")), fixture.path(QStringLiteral("Music\\Pop")),
                                    fixture.path(QStringLiteral("Music\\Rock"))}));

    run(QStringLiteral("mkdir"), {fixture.nativePath(QStringLiteral("Music/Pop/Singles"))});
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const QTreeWidgetItem *node = fixture.node(QStringLiteral("Music/Pop"));
        return node && hasChildren(node);
    }, patienceMs));

    run(QStringLiteral("rmdir"), {fixture.nativePath(QStringLiteral("Music/Rock/Live"))});
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const QTreeWidgetItem *node = fixture.node(QStringLiteral("Music/Rock"));
        return node && !hasChildren(node);
    }, patienceMs));
    EXPECT_EQ(fixture.tree.SelectedPath(), fixture.path(QStringLiteral("Music")) + QLatin1Char('\\'));
}

// Build folders, caches and temporary folders change all day in folders the tree shows
// collapsed: nothing the user sees may move because of it.
TEST(DirTreeChangeTest, ChurnInACollapsedShownFolderMovesNothingAndLeavesTheEditorAlone)
{
    QStringList folders{QStringLiteral("Music/Rock"), QStringLiteral("Music/Busy")};
    for (int i = 0; i < 40; ++i)
        folders.append(QStringLiteral("Music/Album %1").arg(i, 2, 10, QLatin1Char('0')));
    TreeOnFolder fixture(folders);
    fixture.tree.resize(300, 240);
    for (const char *name : {"01 a.mp3", "02 b.mp3", "03 c.mp3"})
        fixture.folder.write(QStringLiteral("Music/Rock/") + QLatin1String(name), "audio");
    TZuFilelistView28 list;
    list.SetParentDirEnabled(false);
    list.SetDirTree(&fixture.tree);
    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music/Rock")));
    fixture.tree.tellFileList(fixture.tree.SelectedPath());
    ASSERT_TRUE(QTest::qWaitFor([&] { return list.model()->rowCount() == 3; }, patienceMs));
    list.selectItem(1);
    QTreeWidgetItem *rock = fixture.node(QStringLiteral("Music/Rock"));
    const int scroll = fixture.tree.verticalScrollBar()->value();
    ASSERT_GT(scroll, 0);
    QSignalSpy treeRebuilds(fixture.tree.model(), &QAbstractItemModel::modelAboutToBeReset);
    QSignalSpy listReads(list.model(), &QAbstractItemModel::modelAboutToBeReset);
    // A volume mounted meanwhile by another program (or test) rebuilds the tree rightly.
    QSignalSpy driveChanges(&fixture.tree, &FolderTree::drivesChanged);

    {
        FolderChurn churn(fixture.nativePath(QStringLiteral("Music/Busy")), 5);
        ASSERT_TRUE(churn.finish(10000));
    }
    // The churn's last change (Busy empty again) is taken in once its burst ends: late on
    // a loaded machine, never lost.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !hasChildren(fixture.node(QStringLiteral("Music/Busy"))); }, patienceMs))
        << "the last change of the churn was lost";
    if (!driveChanges.isEmpty())
        GTEST_SKIP() << "a volume came or went during the churn";
    EXPECT_TRUE(treeRebuilds.isEmpty());
    EXPECT_LE(listReads.size(), 1);
    EXPECT_EQ(fixture.selected(), rock);
    EXPECT_EQ(fixture.tree.verticalScrollBar()->value(), scroll);
    EXPECT_EQ(list.selectedIndex(), 1);

    // An editor opened before the churn keeps its text and caret through it.
    fixture.tree.setFocus();
    QTest::keyClick(&fixture.tree, Qt::Key_F2);
    QPointer<QLineEdit> editor = fixture.tree.viewport()->findChild<QLineEdit *>();
    ASSERT_TRUE(editor);
    {
        FolderChurn churn(fixture.nativePath(QStringLiteral("Music/Busy")), 2);
        QTest::qWait(500);
        ASSERT_TRUE(editor);
        QTest::keyClick(editor, Qt::Key_Home);
        QTest::qWait(800);
        ASSERT_TRUE(editor);
        QTest::keyClicks(editor, QStringLiteral("X"));
        ASSERT_TRUE(churn.finish(10000));
    }
    QTest::qWait(300);
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->text(), QStringLiteral("XRock"));
    EXPECT_EQ(editor->cursorPosition(), 1);
    QTest::keyClick(editor, Qt::Key_Escape);
    if (!driveChanges.isEmpty())
        GTEST_SKIP() << "a volume came or went during the churn";
    EXPECT_TRUE(treeRebuilds.isEmpty());
    EXPECT_EQ(fixture.tree.verticalScrollBar()->value(), scroll);
}

TEST(DirTreeChangeTest, ANewFolderNamedDuringChurnIsMadeWithThatName)
{
    TreeOnFolder fixture({QStringLiteral("Music/Busy"), QStringLiteral("Music/Rock")});
    fixture.tree.SetLanguage(lnItalian);
    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music")));
    FolderChurn churn(fixture.nativePath(QStringLiteral("Music/Busy")), 2);
    QTest::qWait(300);
    fixture.tree.setFocus();
    QTest::keyClick(&fixture.tree, Qt::Key_N, Qt::ControlModifier);
    QLineEdit *editor = fixture.tree.viewport()->findChild<QLineEdit *>();
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->selectedText(), QStringLiteral("Nuova cartella"));
    QTest::qWait(400);
    QTest::keyClicks(editor, QStringLiteral("Dischi"));
    QTest::qWait(400);
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(churn.finish(10000));
    QTest::qWait(300);
    EXPECT_TRUE(QFileInfo::exists(fixture.nativePath(QStringLiteral("Music/Dischi"))));
    EXPECT_FALSE(QFileInfo::exists(fixture.nativePath(QStringLiteral("Music/Nuova cartella"))));
    EXPECT_TRUE(QFileInfo::exists(fixture.nativePath(QStringLiteral("Music/Rock"))));
    EXPECT_EQ(childCaptions(fixture.node(QStringLiteral("Music"))),
              (QStringList{QStringLiteral("Busy"), QStringLiteral("Dischi"), QStringLiteral("Rock")}));
    EXPECT_EQ(fixture.tree.SelectedPath(), fixture.path(QStringLiteral("Music\\Dischi\\")));
}
