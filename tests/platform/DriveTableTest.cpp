#include "platform/DriveTable.h"
#include "platform/FolderWatcher.h"
#include "tests/common/Confinement.h"
#include "tests/common/TempFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

using platform::DriveInfo;
using platform::DriveKind;
using platform::LetterRecords;

namespace {

QChar letterOfRoot(const QString &root)
{
    for (const DriveInfo &drive : platform::refreshDrives()) {
        if (drive.nativeRoot == root)
            return drive.letter;
    }
    return QChar();
}

DriveInfo volume(const char *identity)
{
    return {QChar(), QStringLiteral("/mnt/") + identity, DriveKind::Fixed, identity};
}

QString lettersOf(const QList<DriveInfo> &volumes)
{
    QString letters;
    for (const DriveInfo &drive : volumes)
        letters += drive.letter.isNull() ? QLatin1Char('-') : drive.letter;
    return letters;
}

// Runs the checks in a child process with a mount namespace of its own, so that its
// mounts are seen by nobody else. The child's exit code: 0, the number of the failed
// check, or `noMount`.
constexpr int noMount = 77;

template <typename Body>
int inPrivateMountNamespace(Body body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            ::_exit(noMount);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

bool run(const QByteArray &command)
{
    return std::system((command + " >/dev/null 2>&1").constData()) == 0;
}

} // namespace

TEST(DriveTableTest, OnlyRealStorageIsADrive)
{
    const QByteArray table = "20 1 8:1 / / rw - ext4 /dev/vda rw\n"
                             "21 20 0:21 / /proc rw - proc proc rw\n"
                             "22 20 0:22 / /sys rw - sysfs sysfs rw\n"
                             "23 22 0:23 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
                             "24 20 0:24 / /tmp rw - tmpfs tmpfs rw\n"
                             "25 20 8:2 / /boot/efi rw - vfat /dev/sda1 rw\n"
                             "26 20 8:17 / /media/ann/USB\\040STICK rw - vfat /dev/sdb1 rw\n"
                             "27 20 11:0 / /media/ann/CDROM ro - iso9660 /dev/sr0 ro\n"
                             "28 20 0:40 / /home/ann/nas rw - cifs //nas/music rw\n"
                             "29 20 0:41 / /mnt/nfs rw shared:5 - nfs4 server:/export rw\n"
                             "30 20 0:42 / /mnt/ram rw - tmpfs tmpfs rw\n"
                             "31 20 8:3 / /mnt/data rw - ext4 /dev/sda3 rw\n"
                             "32 20 8:33 / /run/media/ann/Stick rw - exfat /dev/sdc1 rw\n"
                             "33 20 8:49 / /srv/backup rw - ext4 /dev/sdd1 rw\n"
                             "34 20 8:65 / /srv/usb rw - ext4 /dev/sde1 rw\n"
                             "35 20 0:50 / /mnt/docker rw - overlay overlay rw\n"
                             "36 20 0:51 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
                             "37 20 0:52 / /mnt/auto rw - autofs systemd-1 rw\n"
                             "38 20 8:81 / /media/again rw - vfat /dev/sdf1 rw\n"
                             "39 38 0:53 / /media/again rw - tmpfs tmpfs rw\n"
                             "40 20 8:1 /home/ann/Music /mnt/music rw - ext4 /dev/vda rw\n"
                             "41 20 0:54 / /mnt/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
                             "42 20 0:55 / /mnt/proc rw - proc proc rw\n";
    const auto removable = [](const QString &device) {
        return device == "/dev/sdb1" || device == "/dev/sdc1" || device == "/dev/sde1" || device == "/dev/sdf1";
    };
    const QList<DriveInfo> volumes = platform::volumesFromMounts(platform::parseMountInfo(table), removable);
    const struct {
        const char *root;
        DriveKind kind;
        const char *identity;
    } expected[] = {
        {"/media/ann/USB STICK", DriveKind::Removable, "device:/dev/sdb1"},
        {"/media/ann/CDROM", DriveKind::CdRom, "device:/dev/sr0"},
        {"/home/ann/nas", DriveKind::Network, "share://nas/music"},
        {"/mnt/nfs", DriveKind::Network, "share:server:/export"},
        {"/mnt/data", DriveKind::Fixed, "device:/dev/sda3"},
        {"/run/media/ann/Stick", DriveKind::Removable, "device:/dev/sdc1"},
        {"/srv/usb", DriveKind::Removable, "device:/dev/sde1"},
    };
    ASSERT_EQ(volumes.size(), std::size(expected));
    for (qsizetype i = 0; i < volumes.size(); ++i) {
        EXPECT_EQ(volumes.at(i).nativeRoot, QString(expected[i].root));
        EXPECT_EQ(volumes.at(i).kind, expected[i].kind) << expected[i].root;
        EXPECT_EQ(volumes.at(i).identity, QString(expected[i].identity)) << expected[i].root;
    }
}

TEST(DriveTableTest, ALetterIsRememberedByIdentityAndGivenBackWhenItsVolumeIsLongGone)
{
    const int today = 20000;
    const int longAgo = today - platform::letterRetentionDays;
    const LetterRecords records = {{'D', {"usb", today - 1}}, {'E', {"old", longAgo}}, {'F', {"nas", today - 3}}};
    const struct {
        const char *what;
        QList<DriveInfo> volumes;
        QSet<QChar> taken;
        const char *letters;
        const char *keptLetters;
    } cases[] = {
        {"each volume its own letter", {volume("nas"), volume("usb")}, {}, "FD", "DF"},
        {"a letter long unused is given back", {volume("new"), volume("other")}, {}, "EG", "DEFG"},
        {"a letter recently used is kept", {volume("new")}, {'E'}, "G", "DFG"},
        {"a mapped letter is not given", {volume("usb")}, {'D'}, "E", "EF"},
    };
    for (const auto &test : cases) {
        QList<DriveInfo> volumes = test.volumes;
        const LetterRecords kept = platform::assignVolumeLetters(volumes, records, test.taken, today);
        EXPECT_EQ(lettersOf(volumes), test.letters) << test.what;
        QString keptLetters;
        for (QChar letter : kept.keys())
            keptLetters += letter;
        EXPECT_EQ(keptLetters, test.keptLetters) << test.what;
        for (const DriveInfo &drive : volumes)
            EXPECT_EQ(kept.value(drive.letter).lastSeenDay, today) << test.what;
    }

    // every letter taken by volumes seen recently: the one gone the longest is given
    LetterRecords full;
    for (char c = 'D'; c <= 'Z'; ++c)
        full.insert(QLatin1Char(c), {QString(QLatin1Char(c)), today - 1 - (c == 'K' ? 5 : 0)});
    QList<DriveInfo> one{volume("new")};
    platform::assignVolumeLetters(one, full, {}, today);
    EXPECT_EQ(lettersOf(one), "K");
}

TEST(DriveTableTest, RamAndBoundFoldersAreNotDrivesAndADiskKeepsItsLetter)
{
    if (!confinement::scratchDrivesAllowed())
        GTEST_SKIP() << confinement::scratchDrivesRefusal();
    TempFolder folder(false);
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QString ram = "/mnt/kestrava-ram-" + pid, disk = "/mnt/kestrava-disk-" + pid, bound = "/mnt/kestrava-bound-" + pid;
    const QString image = folder.filePath("disk.img");
    const int failed = inPrivateMountNamespace([&] {
        for (const QString &root : {ram, disk, bound})
            QDir().mkpath(root);
        const auto cleanUp = [&] {
            for (const QString &root : {ram, disk, bound}) {
                ::umount2(QFile::encodeName(root).constData(), MNT_DETACH);
                QDir().rmdir(root);
            }
        };
        const QByteArray diskMount = "mount -o loop " + QFile::encodeName(image) + " " + QFile::encodeName(disk);
        if (::mount("tmpfs", QFile::encodeName(ram).constData(), "tmpfs", 0, "size=4k") != 0
            || ::mount(QFile::encodeName(folder.path()).constData(), QFile::encodeName(bound).constData(), nullptr,
                       MS_BIND, nullptr) != 0
            || !run("truncate -s 4M " + QFile::encodeName(image)) || !run("mkfs.ext4 -q -F " + QFile::encodeName(image))
            || !run(diskMount)) {
            cleanUp();
            return noMount;
        }
        int check = 0;
        const QChar letter = letterOfRoot(disk);
        const bool ok = (++check, letterOfRoot(ram).isNull()) && (++check, letterOfRoot(bound).isNull())
                        && (++check, letter >= QLatin1Char('D')) && (++check, platform::driveKind(letter) == DriveKind::Fixed)
                        && (++check, platform::driveTotalBytes(letter) > 0)
                        && (++check, ::umount2(QFile::encodeName(disk).constData(), 0) == 0)
                        && (++check, platform::driveKind(letter) == DriveKind::NotPresent)
                        && (++check, run(diskMount)) && (++check, letterOfRoot(disk) == letter);
        cleanUp();
        return ok ? 0 : check;
    });
    if (failed == noMount)
        GTEST_SKIP() << "no private mount namespace with a loop device here (needs root)";
    EXPECT_EQ(failed, 0) << "check " << failed << " failed";
}

TEST(DriveTableTest, OnlyADriveComingOrGoingIsReported)
{
    if (!confinement::scratchDrivesAllowed())
        GTEST_SKIP() << confinement::scratchDrivesRefusal();
    TempFolder folder(false);
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QString ram = "/mnt/kestrava-wram-" + pid, disk = "/mnt/kestrava-wdisk-" + pid;
    const QString image = folder.filePath("disk.img");
    const int failed = inPrivateMountNamespace([&] {
        for (const QString &root : {ram, disk})
            QDir().mkpath(root);
        const auto cleanUp = [&] {
            for (const QString &root : {ram, disk}) {
                ::umount2(QFile::encodeName(root).constData(), MNT_DETACH);
                QDir().rmdir(root);
            }
        };
        if (!run("truncate -s 4M " + QFile::encodeName(image)) || !run("mkfs.ext4 -q -F " + QFile::encodeName(image))) {
            cleanUp();
            return noMount;
        }
        platform::FolderWatcher watcher;
        QSignalSpy changes(&watcher, &platform::FolderWatcher::changed);
        int check = 0;
        const bool ok =
            (++check, ::mount("tmpfs", QFile::encodeName(ram).constData(), "tmpfs", 0, "size=4k") == 0)
            && (++check, !changes.wait(300))
            && (++check, run("mount -o loop " + QFile::encodeName(image) + " " + QFile::encodeName(disk)))
            && (++check, changes.wait(5000))
            && (++check, changes.constFirst().at(0).value<platform::FolderWatcher::Change>()
                             == platform::FolderWatcher::Change::DriveAdded);
        cleanUp();
        return ok ? 0 : check;
    });
    if (failed == noMount)
        GTEST_SKIP() << "no private mount namespace with a loop device here (needs root)";
    EXPECT_EQ(failed, 0) << "check " << failed << " failed";
}
