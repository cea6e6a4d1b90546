#include "explorer/tree/DirTree.h"
#include "explorer/filelist/FileListView.h"
#include "platform/FolderWatcher.h"
#include "tests/explorer/ScratchMount.h"
#include "tests/explorer_tree/TreeOnFolder.h"

#include <QProcess>
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
    TreeOnFolder fixture({QStringLiteral("Music/Rock"), QStringLiteral("Sentinel")});
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
    FolderWatcher sentinel;
    sentinel.setFolders({fixture.path(QStringLiteral("Sentinel"))});
    QSignalSpy sentinelReports(&sentinel, &FolderWatcher::changed);

    run(QStringLiteral("mv"), {fixture.nativePath(QStringLiteral("Music/Rock/01 song.mp3")),
                               fixture.nativePath(QStringLiteral("Music/Rock/01 Song.mp3"))});
    fixture.folder.write(QStringLiteral("Music/Rock/01 Song.mp3"), "audio with a new tag");
    // Whatever the rename caused has been examined once a later change is reported.
    QDir(fixture.nativePath(QStringLiteral("Sentinel"))).mkdir(QStringLiteral("done"));
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
        EXPECT_EQ(list.item(0).caption, QStringLiteral("01 song.mp3")); // not listed again
    }

    // A folder made in the same place does rebuild it.
    QDir(fixture.nativePath(QStringLiteral("Music/Rock"))).mkdir(QStringLiteral("Live"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !rebuilds.isEmpty(); }, patienceMs));
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
        GTEST_SKIP() << "mounting needs privileges this run does not have";
    ASSERT_TRUE(QTest::qWaitFor([&] { return driveCount() == before + 1; }, patienceMs));
    EXPECT_EQ(fixture.tree.SelectedPath(), fixture.path(QStringLiteral("Music")) + QLatin1Char('\\'));
    volume.unmount();
    ASSERT_TRUE(QTest::qWaitFor([&] { return driveCount() == before; }, patienceMs));
    EXPECT_EQ(fixture.selected(), fixture.node(QStringLiteral("Music")));
}
