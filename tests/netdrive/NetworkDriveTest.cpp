#include "explorer/netdrive/NetworkDriveCommands.h"
#include "explorer/shared/ShellUtils.h"
#include "platform/DrivePaths.h"
#include "platform/DriveSpaceQuery.h"
#include "platform/DriveTable.h"
#include "platform/FileOperation.h"
#include "tests/common/EnglishTexts.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "platform/NetworkDrives.h"
#include "tests/common/TempFolder.h"
#include "tests/netdrive/ModalAnswer.h"
#include "tests/common/SambaShare.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QTreeWidget>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using platform::NetworkResult;

namespace {

constexpr int networkPatienceMs = 60000;

// The desktop forgets a mount, as it does when the session ends.
void unmount(const QString &address)
{
    QProcess gio;
    gio.setStandardOutputFile(QProcess::nullDevice());
    gio.setStandardErrorFile(QProcess::nullDevice());
    gio.start("gio", {"mount", "-u", address});
    gio.waitForFinished();
}


class NetworkDriveTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server = std::make_unique<SambaShare>(); }
    static void TearDownTestSuite() { server.reset(); }

    void SetUp() override
    {
        if (!server->failure().isEmpty())
            GTEST_SKIP() << "no SMB share on loopback: " << server->failure().toStdString();
        if (!server->isServing() && !server->startServer())
            GTEST_SKIP() << "the SMB server does not start again: " << server->failure().toStdString();
    }

    void TearDown() override
    {
        if (!server || !server->failure().isEmpty())
            return;
        server->thawServer();
        for (const platform::MappedDrive &mapped : platform::mappedDrives())
            platform::unmapDrive(mapped.letter);
        for (const QString &address : {server->guestAddress(), server->secureAddress()})
            unmount(address);
        platform::refreshDrives();
    }

    // Runs the map command with the dialog answered as a user would: the path typed,
    // OK pressed; and the credentials dialog, when the share asks, answered.
    NetworkResult map(const QString &path, bool reconnect = false, const QString &password = QString())
    {
        NetworkDriveCommands commands(nullptr);
        QSignalSpy finished(&commands, &NetworkDriveCommands::finished);
        answerMapDialog(path, reconnect, &offered);
        if (!password.isNull()) {
            whenModalShows("NetCredentialsDlg", [&](QWidget *form) {
                form->findChild<QLineEdit *>("edtUser")->setText(server->user());
                form->findChild<QLineEdit *>("edtPassword")->setText(password);
                form->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
            });
        }
        EXPECT_TRUE(commands.MapNetworkDrive());
        EXPECT_TRUE(finished.wait(networkPatienceMs));
        return finished.isEmpty() ? NetworkResult{-1, QChar(), QString(), QString()} : finished.constFirst().at(0).value<NetworkResult>();
    }

    NetworkResult disconnect(QChar letter)
    {
        NetworkDriveCommands commands(nullptr);
        QSignalSpy finished(&commands, &NetworkDriveCommands::finished);
        answerDisconnectDialog(letter);
        EXPECT_TRUE(commands.DisconnectNetworkDrive());
        EXPECT_TRUE(finished.wait(networkPatienceMs));
        return finished.isEmpty() ? NetworkResult{-1, QChar(), QString(), QString()} : finished.constFirst().at(0).value<NetworkResult>();
    }

    static std::unique_ptr<SambaShare> server;
    platform::ScriptedMessageResponder boxes;
    QString offered;
};

std::unique_ptr<SambaShare> NetworkDriveTest::server;

QString uncOf(const QString &address)
{
    QString unc = address.mid(int(qstrlen("smb:")));
    return unc.replace('/', '\\');
}

QStringList namesIn(const QString &drivePath)
{
    return QDir(platform::toNativePath(drivePath)).entryList(QDir::Files, QDir::Name);
}

} // namespace

TEST_F(NetworkDriveTest, AShareMapsToTheNextLetterAndFilesGoOnItAndBack)
{
    QFile::copy("/proc/self/cmdline", server->guestFolder() + "/seed.txt");
    QDir().mkpath(server->guestFolder() + "/Rock");
    {
        QFile song(server->guestFolder() + "/Rock/song.mp3");
        ASSERT_TRUE(song.open(QIODevice::WriteOnly));
        song.write("ID3 and audio");
    }
    const QSet<QChar> lettersBefore = [] {
        QSet<QChar> letters;
        for (const platform::DriveInfo &drive : platform::refreshDrives())
            letters.insert(drive.letter);
        return letters;
    }();

    // typed as \\server:port\share\folder
    const NetworkResult mapped = map(uncOf(server->guestAddress()) + "\\Rock");
    ASSERT_EQ(mapped.code, 0) << networkResultMessage(mapped).toStdString();
    EXPECT_TRUE(boxes.requests().isEmpty());
    EXPECT_EQ(QString(mapped.letter) + ":", offered);
    EXPECT_EQ(platform::driveKind(mapped.letter), platform::DriveKind::Network);
    const QString drive = QString(mapped.letter) + ":\\";
    EXPECT_EQ(namesIn(drive), QStringList{"song.mp3"});

    TempFolder local(false);
    local.write("new.mp3", "fresh bytes");
    using platform::FileOperationKind;
    ASSERT_TRUE(platform::performFileOperation(FileOperationKind::Copy, {local.filePath("new.mp3")}, {drive}, nullptr, englishFileOperationTexts()).succeeded)
        << boxes.texts().join("\n").toStdString();
    EXPECT_EQ(namesIn(drive), QStringList({"new.mp3", "song.mp3"}));
    ASSERT_TRUE(platform::performFileOperation(FileOperationKind::Copy, {drive + "song.mp3"}, {local.path() + "/"}, nullptr, englishFileOperationTexts())
                    .succeeded);
    EXPECT_EQ(local.read("song.mp3"), "ID3 and audio");
    // a move keeps the permissions where the file system keeps any; a share keeps none
    local.write("moved.mp3", "moved bytes");
    ASSERT_TRUE(platform::performFileOperation(FileOperationKind::Move, {local.filePath("moved.mp3")}, {drive}, nullptr, englishFileOperationTexts())
                    .succeeded)
        << boxes.texts().join("\n").toStdString();
    EXPECT_FALSE(local.exists("moved.mp3"));
    EXPECT_EQ(namesIn(drive), QStringList({"moved.mp3", "new.mp3", "song.mp3"}));
    ASSERT_TRUE(QTest::qWaitFor([] { return QFile(server->guestFolder() + "/Rock/new.mp3").size() == 11; }, networkPatienceMs))
        << QFile(server->guestFolder() + "/Rock/new.mp3").size();

    const NetworkResult disconnected = disconnect(mapped.letter);
    EXPECT_EQ(disconnected.code, 0) << networkResultMessage(disconnected).toStdString();
    EXPECT_EQ(platform::driveKind(mapped.letter), platform::DriveKind::NotPresent);
    EXPECT_TRUE(platform::mappedDrives().isEmpty());
    EXPECT_FALSE(lettersBefore.contains(mapped.letter));
    EXPECT_TRUE(boxes.requests().isEmpty());
}

TEST_F(NetworkDriveTest, AShareWithAPasswordAsksForItAndRefusesAWrongOne)
{
    const NetworkResult wrong = map(server->secureAddress(), false, "not the password");
    EXPECT_EQ(wrong.code, platform::netLogonFailure) << wrong.detail.toStdString();
    const NetworkResult right = map(server->secureAddress(), false, server->password());
    ASSERT_EQ(right.code, 0) << networkResultMessage(right).toStdString();
    EXPECT_TRUE(QFileInfo(platform::toNativePath(QString(right.letter) + ":\\")).isDir());
    ASSERT_EQ(boxes.requests().size(), 1);
    EXPECT_EQ(boxes.requests().at(0).caption, "Error while connecting!");
    EXPECT_EQ(boxes.texts().at(0), "An error occured while connecting:\r\nThe user name or password is incorrect.");
}

TEST_F(NetworkDriveTest, AFailedConnectionTellsWhyAndChangesNothing)
{
    const quint32 drivesBefore = platform::presentDriveMask();
    const NetworkResult missing = map(server->missingAddress());
    EXPECT_EQ(missing.code, platform::netBadNetName);
    server->stopServer();
    const NetworkResult stopped = map(server->guestAddress());
    EXPECT_EQ(stopped.code, platform::netBadNetPath);
    EXPECT_EQ(boxes.texts(), QStringList({"An error occured while connecting:\r\nThe network name cannot be found.",
                                          "An error occured while connecting:\r\nThe network path was not found."}));
    for (const platform::MessageRequest &box : boxes.requests())
        EXPECT_EQ(box.caption, "Error while connecting!");
    EXPECT_TRUE(platform::mappedDrives().isEmpty());
    EXPECT_EQ(platform::presentDriveMask(), drivesBefore);
}

TEST_F(NetworkDriveTest, AKeptDriveIsMountedAgainAtStartAndAFailureIsToldOnce)
{
    QDir().mkpath(server->guestFolder() + "/Rock");
    const NetworkResult kept = map(server->guestAddress(), true);
    ASSERT_EQ(kept.code, 0) << networkResultMessage(kept).toStdString();
    const NetworkResult forgotten = map(uncOf(server->guestAddress()) + "\\Rock", false);
    ASSERT_EQ(forgotten.code, 0);

    // a new session: the desktop has no mounts, the hive has the mappings
    unmount(server->guestAddress());
    platform::refreshDrives();
    EXPECT_EQ(platform::driveKind(kept.letter), platform::DriveKind::NotPresent);
    NetworkDriveCommands commands(nullptr);
    QSignalSpy restored(&commands, &NetworkDriveCommands::drivesRestored);
    commands.restoreAtStart();
    ASSERT_TRUE(restored.wait(networkPatienceMs));
    EXPECT_EQ(platform::driveKind(kept.letter), platform::DriveKind::Network);
    EXPECT_EQ(platform::driveKind(forgotten.letter), platform::DriveKind::NotPresent);
    ASSERT_EQ(platform::mappedDrives().size(), 1);
    EXPECT_TRUE(boxes.requests().isEmpty());

    unmount(server->guestAddress());
    server->stopServer();
    commands.restoreAtStart();
    ASSERT_TRUE(restored.wait(networkPatienceMs));
    EXPECT_EQ(platform::driveKind(kept.letter), platform::DriveKind::NotPresent);
    ASSERT_EQ(boxes.requests().size(), 1);
    EXPECT_EQ(boxes.texts().at(0), "An error occured while connecting:\r\n" + QString(kept.letter) + ": "
                                       + server->guestAddress() + " - The network path was not found.");
    // the mapping stays for the next start
    EXPECT_EQ(platform::mappedDrives().size(), 1);
}

TEST_F(NetworkDriveTest, AServerThatStopsAnsweringLeavesTheWindowResponsive)
{
    const NetworkResult mapped = map(server->guestAddress());
    ASSERT_EQ(mapped.code, 0) << networkResultMessage(mapped).toStdString();
    platform::DriveSpaceQuery sizes;
    QSignalSpy answered(&sizes, &platform::DriveSpaceQuery::answered);
    sizes.query(mapped.letter);
    ASSERT_TRUE(answered.wait(networkPatienceMs));
    EXPECT_GT(answered.takeFirst().at(1).toLongLong(), 0);

    server->freezeServer();
    // A timer ticking every 10 ms ticks about 300 times while the query waits 3 s for
    // the silent server, and at most once or twice if the wait blocked the event loop.
    int ticks = 0;
    int ticksWhenAnswered = -1;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    QObject::connect(&sizes, &platform::DriveSpaceQuery::answered, [&] { ticksWhenAnswered = ticks; });
    ticker.start(10);
    sizes.setTimeout(3000);
    sizes.query(mapped.letter);
    ASSERT_TRUE(answered.wait(networkPatienceMs));
    EXPECT_GT(ticksWhenAnswered, 10) << "the event loop did not run while the server was silent";
    EXPECT_EQ(answered.constFirst().at(1).toLongLong(), -1);
    EXPECT_EQ(answered.constFirst().at(2).toLongLong(), -1);
    // the waiting form gives up too, instead of waiting for the network's own timeout
    EXPECT_EQ(platform::driveTotalBytes(mapped.letter), -1);

    // connecting to the silent server shows its progress, and Cancel ends it quietly
    QProgressDialog *progress = nullptr;
    auto *cancelWhenShown = new QTimer(&sizes);
    QObject::connect(cancelWhenShown, &QTimer::timeout, [&] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == "NetProgress" && widget->isVisible() && !progress) {
                progress = qobject_cast<QProgressDialog *>(widget);
                progress->findChild<QPushButton *>()->click();
            }
        }
    });
    cancelWhenShown->start(20);
    const NetworkResult cancelled = map(server->secureAddress());
    EXPECT_NE(progress, nullptr);
    EXPECT_EQ(cancelled.code, platform::netCancelled);
    EXPECT_TRUE(boxes.requests().isEmpty());
    EXPECT_EQ(platform::mappedDrives().size(), 1);
    server->thawServer();
}
