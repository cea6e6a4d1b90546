#include "platform/DrivePaths.h"
#include "platform/FolderWatcher.h"
#include "platform/NativeNames.h"
#include "tests/explorer/ScratchMount.h"
#include "tests/common/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using platform::FolderWatcher;
using Change = FolderWatcher::Change;

namespace {
constexpr int patienceMs = 5000;

struct Report {
    Change change;
    QString where;
};

std::vector<Report> reportsOf(const QSignalSpy &spy)
{
    std::vector<Report> reports;
    for (const QList<QVariant> &arguments : spy)
        reports.push_back({arguments.at(0).value<Change>(), arguments.at(1).toString()});
    return reports;
}

// Runs `action`, then creates a folder in a second watched folder as a sentinel and waits
// for its report: whatever `action` caused has been examined by then.
std::vector<Report> reportsAfter(const TempFolder &folder, const std::function<void()> &action)
{
    FolderWatcher watcher;
    watcher.setFolders({folder.drivePath() + QStringLiteral("\\Music"), folder.drivePath() + QStringLiteral("\\Sentinel")});
    QSignalSpy spy(&watcher, &FolderWatcher::changed);
    action();
    QDir(folder.filePath(QStringLiteral("Sentinel"))).mkdir(QStringLiteral("done"));
    const QString sentinel = folder.drivePath() + QStringLiteral("\\Sentinel");
    const bool sentinelSeen = QTest::qWaitFor([&] {
        for (const Report &report : reportsOf(spy)) {
            if (report.where == sentinel)
                return true;
        }
        return false;
    }, patienceMs);
    EXPECT_TRUE(sentinelSeen);
    std::vector<Report> reports;
    for (const Report &report : reportsOf(spy)) {
        if (report.where != sentinel)
            reports.push_back(report);
    }
    return reports;
}
} // namespace

TEST(FolderWatcherTest, ReportsFolderChangesAndIgnoresFileChanges)
{
    struct Case {
        const char *what;
        std::function<void(const QString &music)> action;
        std::optional<Change> expected;
    };
    const std::vector<Case> cases = {
        {"folder created", [](const QString &music) { QDir(music).mkdir(QStringLiteral("Jazz")); }, Change::FolderCreated},
        {"folder removed", [](const QString &music) { QDir(music).rmdir(QStringLiteral("Rock")); }, Change::FolderRemoved},
        {"folder renamed", [](const QString &music) { QDir(music).rename(QStringLiteral("Rock"), QStringLiteral("Pop")); },
         Change::FolderRenamed},
        {"hidden folder created", [](const QString &music) { QDir(music).mkdir(QStringLiteral(".cache")); },
         Change::FolderCreated},
        {"file renamed", [](const QString &music) { QDir(music).rename(QStringLiteral("a.mp3"), QStringLiteral("b.mp3")); },
         std::nullopt},
        {"file rewritten through a temporary copy",
         [](const QString &music) {
             QFile temporary(music + QStringLiteral("/a.mp3~"));
             ASSERT_TRUE(temporary.open(QIODevice::WriteOnly));
             temporary.write("new tag and audio");
             temporary.close();
             QFile::remove(music + QStringLiteral("/a.mp3"));
             QFile::rename(temporary.fileName(), music + QStringLiteral("/a.mp3"));
         },
         std::nullopt},
        {"file appended in place",
         [](const QString &music) {
             QFile file(music + QStringLiteral("/a.mp3"));
             ASSERT_TRUE(file.open(QIODevice::Append));
             file.write("more");
         },
         std::nullopt},
    };
    for (const Case &testCase : cases) {
        SCOPED_TRACE(testCase.what);
        TempFolder folder;
        folder.write(QStringLiteral("Music/a.mp3"), "audio");
        QDir(folder.path()).mkpath(QStringLiteral("Music/Rock"));
        QDir(folder.path()).mkpath(QStringLiteral("Sentinel"));
        const QString music = folder.filePath(QStringLiteral("Music"));

        const std::vector<Report> reports = reportsAfter(folder, [&] { testCase.action(music); });

        if (testCase.expected) {
            ASSERT_EQ(reports.size(), 1u);
            EXPECT_EQ(reports.front().change, *testCase.expected);
            EXPECT_EQ(reports.front().where, folder.drivePath() + QStringLiteral("\\Music"));
        } else {
            EXPECT_TRUE(reports.empty());
        }
    }
}

TEST(FolderWatcherTest, RemovingAWatchedFolderItselfIsReportedAndFoldersCanBeReplaced)
{
    TempFolder folder;
    QDir(folder.path()).mkpath(QStringLiteral("Music/Rock"));
    QDir(folder.path()).mkpath(QStringLiteral("Sentinel"));
    const QString rock = folder.drivePath() + QStringLiteral("\\Music\\Rock");

    FolderWatcher watcher;
    watcher.setFolders({rock});
    EXPECT_EQ(watcher.folders(), QStringList{rock});
    QSignalSpy spy(&watcher, &FolderWatcher::changed);
    QDir(folder.filePath(QStringLiteral("Music"))).rmdir(QStringLiteral("Rock"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !spy.isEmpty(); }, patienceMs));
    EXPECT_EQ(reportsOf(spy).front().change, Change::FolderRemoved);
    EXPECT_EQ(reportsOf(spy).front().where, rock);
    EXPECT_TRUE(watcher.folders().isEmpty());

    // A folder that cannot be read is not watched; the others are replaced as asked.
    watcher.setFolders({rock, folder.drivePath() + QStringLiteral("\\Sentinel")});
    EXPECT_EQ(watcher.folders(), QStringList{folder.drivePath() + QStringLiteral("\\Sentinel")});
}

TEST(FolderWatcherTest, ReportsVolumesMountedAndUnmounted)
{
    FolderWatcher watcher;
    QSignalSpy spy(&watcher, &FolderWatcher::changed);
    ScratchMount volume(QStringLiteral("watch"), 4096, ScratchMount::Kind::Disk);
    if (!volume.mounted())
        GTEST_SKIP() << volume.whyNotMounted().toStdString();

    const bool added = QTest::qWaitFor([&] { return !spy.isEmpty(); }, patienceMs);
    const QString where = platform::toDrivePath(volume.root());
    volume.unmount();
    ASSERT_TRUE(added);
    EXPECT_EQ(reportsOf(spy).front().change, Change::DriveAdded);
    EXPECT_EQ(reportsOf(spy).front().where, where);
    ASSERT_TRUE(QTest::qWaitFor([&] { return spy.size() == 2; }, patienceMs));
    EXPECT_EQ(reportsOf(spy).back().change, Change::DriveRemoved);
    EXPECT_EQ(reportsOf(spy).back().where, where);
}

TEST(FolderWatcherTest, WatchesFoldersWhoseNamesAreNotUtf8)
{
    TempFolder folder;
    const QByteArray latin1 = QFile::encodeName(folder.path()) + "/Caf\xe9";
    const QByteArray utf8Twin = QFile::encodeName(folder.path()) + "/Caf\xc3\xa9";
    ASSERT_EQ(::mkdir(latin1.constData(), 0755), 0);
    ASSERT_EQ(::mkdir(utf8Twin.constData(), 0755), 0);
    const QString cafe = folder.drivePath() + QLatin1Char('\\') + platform::decodeNativeName("Caf\xe9");

    FolderWatcher watcher;
    watcher.setFolders({cafe});
    EXPECT_EQ(watcher.folders(), QStringList{cafe});
    QSignalSpy spy(&watcher, &FolderWatcher::changed);
    ASSERT_EQ(::mkdir(utf8Twin + "/elsewhere", 0755), 0); // not watched
    ASSERT_EQ(::mkdir(latin1 + "/Disco 1", 0755), 0);
    // Volumes that other programs mount meanwhile are reported too: only folders count here.
    const auto folderReports = [&] {
        std::vector<Report> reports;
        for (const Report &report : reportsOf(spy)) {
            if (report.change != Change::DriveAdded && report.change != Change::DriveRemoved)
                reports.push_back(report);
        }
        return reports;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return !folderReports().empty(); }, patienceMs));
    QTest::qWait(100);
    ASSERT_EQ(folderReports().size(), 1u);
    EXPECT_EQ(folderReports().front().change, Change::FolderCreated);
    EXPECT_EQ(folderReports().front().where, cafe);

    ::rmdir((latin1 + "/Disco 1").constData());
    ::rmdir(latin1.constData());
}
