// The main window over a real SMB share mapped from its folder tree: the tree and the
// file list follow the mapping, Rinomina works on the share, the disconnection, and a
// server that stops answering while its drive is listed.

#include "tests/app/MainWindowFixture.h"

#include "app/KestravaApplication.h"

#include "explorer/filelist/FileListView.h"
#include "explorer/netdrive/NetworkDriveCommands.h"
#include "explorer/tree/DirTree.h"
#include "explorer/tree/TreeSizeDialog.h"
#include "options/dialog/uOpzioni.h"
#include "platform/DrivePaths.h"
#include "platform/DriveTable.h"
#include "platform/NetworkDrives.h"
#include "tags/TID3TagInfo.h"
#include "tags/TID3v2.h"
#include "tests/common/EventLoopPauses.h"
#include "tests/common/SambaShare.h"
#include "explorer/shared/DirTreeNodes.h"
#include "tests/netdrive/ModalAnswer.h"
#include "tests/tags/TagBytes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <iostream>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int networkPatienceMs = 60000;

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class MappedShareWindowTest : public MainWindowTest {
protected:
    static void SetUpTestSuite() { server = std::make_unique<SambaShare>(); }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override
    {
        MainWindowTest::SetUp();
        if (!server->failure().isEmpty())
            GTEST_SKIP() << "no SMB share on loopback: " << server->failure().toStdString();
    }

    void TearDown() override
    {
        window.reset();
        if (server->failure().isEmpty()) {
            for (const platform::MappedDrive &mapped : platform::mappedDrives())
                platform::unmapDrive(mapped.letter);
            forgetMount();
            platform::refreshDrives();
        }
        MainWindowTest::TearDown();
    }

    // The desktop forgets the share's mount, as it does when the session ends.
    static void forgetMount()
    {
        QProcess gio;
        gio.setStandardOutputFile(QProcess::nullDevice());
        gio.setStandardErrorFile(QProcess::nullDevice());
        gio.start(u"gio"_s, {u"mount"_s, u"-u"_s, server->guestAddress()});
        gio.waitForFinished();
    }

    // Maps the guest share from the tree's command, the dialog answered as a user does;
    // gives the drive ("E:\") once the tree shows it.
    QString mapFromTree(bool reconnect)
    {
        QString offered;
        answerMapDialog(server->guestAddress(), reconnect, &offered);
        tree()->MapNetworkDrive();
        if (offered.isEmpty())
            return QString();
        const QString drive = offered + u'\\';
        const bool shown = QTest::qWaitFor([&] { return tree()->SelectedPath() == drive; }, networkPatienceMs);
        EXPECT_TRUE(shown) << boxes->texts().join(u'\n').toStdString();
        return shown ? drive : QString();
    }

    QStringList driveNodes() const
    {
        QStringList paths;
        const QTreeWidgetItem *root = tree()->topLevelItem(0);
        for (int i = 0; root && i < root->childCount(); ++i)
            paths.append(tree()->GetNodePath(root->child(i)));
        return paths;
    }

    QStringList listed() const
    {
        QStringList captions;
        for (int i = 0; i < list()->itemCount(); ++i)
            captions.append(list()->item(i).caption);
        return captions;
    }

    // Re-lists as a key or a click does: from the event loop, whose handler shows what
    // the listing raises.
    void relistFromEventLoop()
    {
        bool done = false;
        QMetaObject::invokeMethod(list(), [&] {
            done = true;
            list()->RefreshList();
        }, Qt::QueuedConnection);
        QTest::qWaitFor([&] { return done; });
    }

    static std::unique_ptr<SambaShare> server;
};

std::unique_ptr<SambaShare> MappedShareWindowTest::server;

} // namespace

// Errors raised in the window's handlers reach the user as the program shows them.
std::unique_ptr<QApplication> createTestApplication(int &argc, char **argv)
{
    return std::make_unique<KestravaApplication>(argc, argv);
}

TEST_F(MappedShareWindowTest, AMappedShareIsShownRenamedInAndDisconnected)
{
    writeMp3(u"01.mp3"_s, {u"Song"_s, u"Band"_s, u"Album"_s, u"Rock"_s, u"1990"_s, {}, {}, 3}, {u"Song"_s, u"Band"_s});
    const QByteArray original = folder->read(u"01.mp3"_s);
    ASSERT_TRUE(QFile::copy(folder->filePath(u"01.mp3"_s), server->guestFolder() + u"/01.mp3"_s));
    createWindow();
    const QStringList drivesBefore = driveNodes();

    const QString drive = mapFromTree(false);
    ASSERT_FALSE(drive.isEmpty());
    EXPECT_EQ(driveNodes(), drivesBefore + QStringList{drive});
    EXPECT_TRUE(tree()->topLevelItem(0)->isExpanded());
    EXPECT_EQ(tree()->GetNodePath(tree()->currentItem()), drive);
    EXPECT_EQ(list()->Directory(), drive);
    ASSERT_EQ(listed(), QStringList{u"01.mp3"_s});

    // Rinomina on the share: the new name and both tags, the audio kept.
    clickListItem(0);
    ASSERT_EQ(edit("edtNomeOriginale")->text(), u"01.mp3"_s);
    edit("edtAnno")->clear();
    type("edtAnno", u"2001"_s);
    press("btnRinomina");
    const QString renamed = platform::toNativePath(drive + u"[Band] - Song.mp3"_s);
    EXPECT_EQ(QDir(platform::toNativePath(drive)).entryList(QDir::Files | QDir::Hidden),
              QStringList{u"[Band] - Song.mp3"_s});
    TID3v2 v2;
    ASSERT_TRUE(v2.ReadFromFile(renamed));
    EXPECT_EQ(v2.Title(), u"Song"_s);
    EXPECT_EQ(v2.Year(), u"2001"_s);
    EXPECT_EQ(v2.Track(), 3);
    TID3TagInfo v1;
    v1.ReadFromFile(renamed);
    EXPECT_EQ(v1.GetYear(), u"2001"_s);
    EXPECT_EQ(tagbytes::afterTag(readFile(renamed)).chopped(128), tagbytes::afterTag(original).chopped(128));
    EXPECT_TRUE(QTest::qWaitFor([&] { return readFile(server->guestFolder() + u"/[Band] - Song.mp3"_s) == readFile(renamed); }, 5000))
        << "the server's copy differs from the mapped drive's";
    EXPECT_TRUE(boxes->requests().isEmpty()) << boxes->texts().join(u'\n').toStdString();

    // The disconnection: the computer's node is selected and the list shows the drives.
    answerDisconnectDialog(drive.at(0));
    tree()->DisconnectNetworkDrive();
    ASSERT_TRUE(QTest::qWaitFor([&] { return tree()->SelectedPath() == u"Drives"_s; }, networkPatienceMs))
        << tree()->SelectedPath().toStdString();
    EXPECT_EQ(driveNodes(), drivesBefore);
    EXPECT_EQ(tree()->currentItem(), tree()->topLevelItem(0));
    EXPECT_TRUE(tree()->topLevelItem(0)->isExpanded());
    EXPECT_EQ(list()->Directory(), u"Drives"_s);
    EXPECT_EQ(listed().size(), drivesBefore.size());
    EXPECT_TRUE(platform::mappedDrives().isEmpty());
    EXPECT_TRUE(boxes->requests().isEmpty()) << boxes->texts().join(u'\n').toStdString();
}

TEST_F(MappedShareWindowTest, AFrozenServerLeavesTheWindowAnsweringAndEndsTheListingWithAMessage)
{
    QFile seed(server->guestFolder() + u"/song.mp3"_s);
    ASSERT_TRUE(seed.open(QIODevice::WriteOnly));
    seed.close();
    createWindow();
    const QString drive = mapFromTree(false);
    ASSERT_FALSE(drive.isEmpty());
    list()->SetDirectory(drive);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !list()->isListing(); }, networkPatienceMs));
    ASSERT_EQ(list()->Directory(), drive);
    ASSERT_TRUE(listed().contains(u"song.mp3"_s)) << listed().join(u' ').toStdString();

    server->freezeServer();
    const auto thaw = qScopeGuard([] { server->thawServer(); });
    // Ticks of a timer while a listing waits: the event loop is answering.
    int ticksWhileListing = 0;
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        if (!list()->isListing())
            return;
        ++ticksWhileListing;
        longestGap = std::max(longestGap, sinceTick.restart());
    });
    ticker.start(20);

    // Re-listed while the server does not answer: the window goes on, the listing
    // ends with one message and an empty list.
    relistFromEventLoop();
    ASSERT_TRUE(list()->isListing());
    sinceTick.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !list()->isListing(); }, networkPatienceMs));
    EXPECT_GE(ticksWhileListing, 10);
    std::cout << "[          ] longest wait of the event loop while listing: " << longestGap << " ms\n";
    ASSERT_EQ(boxes->requests().size(), 1) << boxes->texts().join(u'\n').toStdString();
    EXPECT_TRUE(boxes->texts().constFirst().contains(u"non risponde"_s)) << boxes->texts().join(u'\n').toStdString();
    EXPECT_EQ(listed(), QStringList());
    boxes->clear();

    // Another folder chosen while the drive is being read is shown; nothing is reported.
    relistFromEventLoop();
    ASSERT_TRUE(list()->isListing());
    clickFolder(folder->path());
    const QString chosen = platform::toDrivePath(folder->path()) + u'\\';
    ASSERT_TRUE(QTest::qWaitFor([&] { return list()->Directory() == chosen && !list()->isListing(); }, networkPatienceMs))
        << list()->Directory().toStdString();
    QTest::qWait(200);
    EXPECT_TRUE(boxes->requests().isEmpty()) << boxes->texts().join(u'\n').toStdString();
}

TEST_F(MappedShareWindowTest, ATreeFolderOfAFrozenShareIsReadInTheBackgroundAndGivenUp)
{
    QDir(server->guestFolder()).mkpath(u"Album/CD1"_s);
    QDir(server->guestFolder()).mkpath(u"Other"_s);
    createWindow();
    const QString drive = mapFromTree(false);
    ASSERT_FALSE(drive.isEmpty());
    QTreeWidgetItem *driveNode = tree()->currentItem();
    ASSERT_TRUE(driveNode);
    driveNode->setExpanded(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return driveNode->childCount() == 2; }, networkPatienceMs));
    QTreeWidgetItem *album = childWithKey(driveNode, u"Album"_s);
    ASSERT_TRUE(album);

    server->freezeServer();
    const auto thaw = qScopeGuard([] { server->thawServer(); });
    tree()->setNetworkLimit(2000);
    QSignalSpy givenUp(tree(), &FolderTree::folderGivenUp);
    EventLoopPauses pauses;
    album->setExpanded(true);
    ASSERT_TRUE(givenUp.wait(networkPatienceMs));
    std::cout << "[          ] longest wait of the event loop while the tree read the silent share: "
              << pauses.longestMs() << " ms\n";
    EXPECT_LT(pauses.longestMs(), 1000);
    EXPECT_FALSE(album->isExpanded());
    EXPECT_TRUE(hasChildren(album)); // tried again on the next expansion
    ASSERT_EQ(boxes->requests().size(), 1) << boxes->texts().join(u'\n').toStdString();
    EXPECT_TRUE(boxes->texts().constFirst().contains(u"non risponde"_s)) << boxes->texts().join(u'\n').toStdString();
}

TEST_F(MappedShareWindowTest, TreeSizeOfAFrozenShareEndsAtCancel)
{
    for (int i = 0; i < 20; ++i) {
        QDir(server->guestFolder()).mkpath(u"album %1"_s.arg(i));
        QFile file(server->guestFolder() + u"/album %1/track.mp3"_s.arg(i));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(1000, 'x'));
    }
    createWindow();
    const QString drive = mapFromTree(false);
    ASSERT_FALSE(drive.isEmpty());
    TreeSizeDialog dialog(tree(), drive, lnItalian);
    const QString native = platform::toNativePath(drive);
    EXPECT_EQ(dialog.count(native).bytes, 20000u);

    server->freezeServer();
    const auto thaw = qScopeGuard([] { server->thawServer(); });
    dialog.setShowDelay(0);
    QTimer::singleShot(500, &dialog, [&dialog] { dialog.cancelButton()->click(); });
    QElapsedTimer clock;
    clock.start();
    const platform::FolderSizeResult result = dialog.count(native);
    EXPECT_TRUE(result.cancelled);
    // The worker may still wait on the server: the window does not.
    EXPECT_LT(clock.elapsed(), 5000);
}

TEST_F(MappedShareWindowTest, AKeptDriveAppearsInTheTreeWhenItIsMountedAgainAtStart)
{
    createWindow();
    const QString drive = mapFromTree(true);
    ASSERT_FALSE(drive.isEmpty());

    // A new session: the desktop has no mount, the hive keeps the mapping.
    window.reset();
    forgetMount();
    platform::refreshDrives();
    createWindow();
    ASSERT_FALSE(driveNodes().contains(drive));
    auto *commands = tree()->findChild<NetworkDriveCommands *>();
    ASSERT_NE(commands, nullptr);
    QSignalSpy restored(commands, &NetworkDriveCommands::drivesRestored);
    tree()->restoreNetworkDrives();
    ASSERT_TRUE(restored.wait(networkPatienceMs));
    // the tree is rebuilt once the events of the restoration are handled
    QCoreApplication::processEvents();
    EXPECT_TRUE(driveNodes().contains(drive));
    EXPECT_TRUE(boxes->requests().isEmpty()) << boxes->texts().join(u'\n').toStdString();
}
