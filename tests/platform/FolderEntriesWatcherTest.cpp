// The watch on one folder's entries over a real folder: what counts as a change, one
// report per burst, and what is left out.

#include "platform/FolderEntriesWatcher.h"
#include "tests/common/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using platform::FolderEntriesWatcher;

namespace {
// Quiet time after which a burst has surely been reported.
constexpr int settledMs = 400;

struct ChangeCase {
    const char *name;
    std::function<void(const TempFolder &)> change;
    int reports;
};

class FolderEntriesWatcherTest : public ::testing::Test {
protected:
    FolderEntriesWatcherTest()
    {
        folder.write(u"watched/song.mp3"_s, "audio");
        folder.write(u"watched/sub/deep.txt"_s, "deep");
        folder.write(u"elsewhere/other.txt"_s, "other");
        watcher.setFolder(folder.drivePath() + u"\\watched"_s);
    }
    TempFolder folder;
    FolderEntriesWatcher watcher;
};
} // namespace

TEST_F(FolderEntriesWatcherTest, EachKindOfChangeIsReportedAndReadsAreNot)
{
    ASSERT_TRUE(watcher.isWatching());
    const QString watched = folder.filePath(u"watched"_s);
    const ChangeCase cases[] = {
        {"file written", [](const TempFolder &f) { f.write(u"watched/song.mp3"_s, "longer audio"); }, 1},
        {"file created", [](const TempFolder &f) { f.write(u"watched/new.txt"_s, "n"); }, 1},
        {"renamed", [&](const TempFolder &) { QFile::rename(watched + u"/new.txt"_s, watched + u"/renamed.txt"_s); }, 1},
        {"attributes", [&](const TempFolder &) { QFile::setPermissions(watched + u"/renamed.txt"_s, QFile::ReadOwner); }, 1},
        {"removed", [&](const TempFolder &) { QFile::remove(watched + u"/renamed.txt"_s); }, 1},
        {"folder made", [&](const TempFolder &) { QDir(watched).mkdir(u"made"_s); }, 1},
        {"read only", [&](const TempFolder &f) {
             f.read(u"watched/song.mp3"_s);
             QDir(watched).entryList();
         }, 0},
        {"inside a subfolder", [](const TempFolder &f) { f.write(u"watched/sub/deep.txt"_s, "changed"); }, 0},
        {"another folder", [](const TempFolder &f) { f.write(u"elsewhere/other.txt"_s, "changed"); }, 0},
    };
    for (const ChangeCase &c : cases) {
        SCOPED_TRACE(c.name);
        QSignalSpy reports(&watcher, &FolderEntriesWatcher::changed);
        c.change(folder);
        QTest::qWait(settledMs);
        EXPECT_EQ(reports.size(), c.reports);
    }
}

TEST_F(FolderEntriesWatcherTest, ABurstIsReportedOnceAndALongOneAtLeastEverySecond)
{
    QSignalSpy reports(&watcher, &FolderEntriesWatcher::changed);
    for (int i = 0; i < 200; ++i)
        folder.write(u"watched/burst %1.txt"_s.arg(i), "b");
    QTest::qWait(settledMs);
    EXPECT_EQ(reports.size(), 1);

    // A change every 50 ms for 2.5 s: reported while it goes on, not once per change.
    reports.clear();
    for (int i = 0; i < 50; ++i) {
        folder.write(u"watched/slow %1.txt"_s.arg(i), "s");
        QTest::qWait(50);
    }
    const qsizetype during = reports.size();
    QTest::qWait(settledMs);
    EXPECT_GE(during, 2);
    EXPECT_LE(reports.size(), 5);
}

TEST_F(FolderEntriesWatcherTest, TheFolderGoingIsReportedAndAnotherFolderReplacesTheWatch)
{
    QSignalSpy reports(&watcher, &FolderEntriesWatcher::changed);
    watcher.setFolder(folder.drivePath() + u"\\elsewhere"_s);
    folder.write(u"watched/song.mp3"_s, "not watched now");
    QTest::qWait(settledMs);
    EXPECT_EQ(reports.size(), 0);
    ASSERT_TRUE(QDir(folder.filePath(u"elsewhere"_s)).removeRecursively());
    ASSERT_TRUE(reports.wait(2000));
    EXPECT_FALSE(watcher.isWatching());

    watcher.setFolder(QString());
    EXPECT_FALSE(watcher.isWatching());
    watcher.setFolder(folder.drivePath() + u"\\missing"_s);
    EXPECT_FALSE(watcher.isWatching());
}
