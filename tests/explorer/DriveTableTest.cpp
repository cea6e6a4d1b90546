#include "explorer/shared/DriveUtils.h"
#include "explorer/shared/ExplorerTexts.h"
#include "platform/DrivePaths.h"
#include "platform/DriveTable.h"
#include "platform/MessageBox.h"
#include "tests/common/TempFolder.h"
#include "tests/explorer/ScratchMount.h"

#include <gtest/gtest.h>

using platform::DriveKind;

namespace {

QChar letterOfRoot(const QString &root)
{
    for (const platform::DriveInfo &drive : platform::refreshDrives()) {
        if (drive.nativeRoot == root)
            return drive.letter;
    }
    return QChar();
}

class EnglishTexts {
public:
    EnglishTexts()
    {
        ListTextLanguage = lnEnglish;
        LoadListTexts();
    }
    ~EnglishTexts()
    {
        ExplorerTexts = m_texts;
        ListTextLanguage = m_language;
    }

private:
    TExplorerTexts m_texts = ExplorerTexts;
    TLanguage m_language = ListTextLanguage;
};

} // namespace

TEST(DriveTableTest, MountsThatAreDrivesAndTheirKinds)
{
    const QByteArray table = "/dev/vda / ext4 rw 0 0\n"
                             "proc /proc proc rw 0 0\n"
                             "tmpfs /tmp tmpfs rw 0 0\n"
                             "/dev/sda1 /boot/efi vfat rw 0 0\n"
                             "/dev/sdb1 /media/ann/USB\\040STICK vfat rw 0 0\n"
                             "/dev/sr0 /media/ann/CDROM iso9660 ro 0 0\n"
                             "//nas/music /home/ann/nas cifs rw 0 0\n"
                             "server:/export /mnt/nfs nfs4 rw 0 0\n"
                             "tmpfs /mnt/ram tmpfs rw 0 0\n"
                             "/dev/sda2 /mnt/data ext4 rw 0 0\n"
                             "/dev/sdc1 /run/media/ann/Stick exfat rw 0 0\n"
                             "/dev/sdd1 /srv/backup ext4 rw 0 0\n"
                             "/dev/sde1 /srv/usb ext4 rw 0 0\n"
                             "overlay /var/lib/docker/overlay2/x/merged overlay rw 0 0\n"
                             "gvfsd-fuse /run/user/1000/gvfs fuse.gvfsd-fuse rw 0 0\n"
                             "systemd-1 /mnt/auto autofs rw 0 0\n"
                             "/dev/sdf1 /media/again vfat rw 0 0\n"
                             "tmpfs /media/again tmpfs rw 0 0\n";
    const auto removable = [](const QString &device) {
        return device == "/dev/sdb1" || device == "/dev/sdc1" || device == "/dev/sde1" || device == "/dev/sdf1";
    };
    const QList<platform::DriveInfo> volumes = platform::volumesFromMounts(platform::parseMountTable(table), removable);
    const struct {
        const char *root;
        DriveKind kind;
    } expected[] = {
        {"/media/ann/USB STICK", DriveKind::Removable}, {"/media/ann/CDROM", DriveKind::CdRom},
        {"/home/ann/nas", DriveKind::Network},          {"/mnt/nfs", DriveKind::Network},
        {"/mnt/ram", DriveKind::RamDisk},               {"/mnt/data", DriveKind::Fixed},
        {"/run/media/ann/Stick", DriveKind::Removable}, {"/srv/usb", DriveKind::Removable},
        {"/media/again", DriveKind::RamDisk},
    };
    ASSERT_EQ(volumes.size(), std::size(expected));
    for (qsizetype i = 0; i < volumes.size(); ++i) {
        EXPECT_EQ(volumes.at(i).nativeRoot, QString(expected[i].root));
        EXPECT_EQ(volumes.at(i).kind, expected[i].kind) << expected[i].root;
    }
}

TEST(DriveTableTest, DriveCIsTheRootFileSystem)
{
    EnglishTexts english;
    platform::ScriptedMessageResponder boxes;
    EXPECT_TRUE(platform::presentDriveMask() & (1u << ('C' - 'A')));
    EXPECT_EQ(platform::driveKind('C'), DriveKind::Fixed);
    EXPECT_GT(DiskSizeKB("C:\\"), 0);
    EXPECT_LE(DiskFreeKB("c:\\"), DiskSizeKB("C:\\"));
    EXPECT_TRUE(DriveReady('c', true));
    EXPECT_TRUE(boxes.requests().isEmpty());
}

TEST(DriveTableTest, DriveReadyReportsBadLettersAndMissingDrives)
{
    EnglishTexts english;
    platform::ScriptedMessageResponder boxes;
    EXPECT_FALSE(DriveReady('1', true)); // reported, and still queried
    EXPECT_FALSE(DriveReady('Y', false));
    EXPECT_FALSE(DriveReady('y', true));
    EXPECT_EQ(boxes.texts(), QStringList({"Not a valid Drive ID", "There is no disk in Drive or Drive is not ready",
                                          "There is no disk in Drive or Drive is not ready"}));
    EXPECT_EQ(boxes.requests().at(0).kind, platform::MessageKind::Error);
    EXPECT_EQ(boxes.requests().at(1).kind, platform::MessageKind::Warning);
    EXPECT_EQ(DiskSizeKB("Y:\\"), 0);
    EXPECT_EQ(DiskFreeKB(""), 0);
}

TEST(DriveTableTest, AMountedVolumeKeepsItsLetter)
{
    ScratchMount first("first", 4096);
    if (!first.mounted())
        GTEST_SKIP() << "mounting needs root";
    ScratchMount second("second", 2048);
    const QChar letter = letterOfRoot(first.root());
    ASSERT_FALSE(letter.isNull());
    EXPECT_GE(letter, QLatin1Char('D'));
    EXPECT_EQ(platform::driveKind(letter), DriveKind::RamDisk);
    EXPECT_EQ(DiskSizeKB(QString(letter) + ":\\"), 4096);
    EXPECT_EQ(DiskFreeKB(QString(letter) + ":\\"), 4096);
    EXPECT_EQ(platform::toNativePath(QString(letter) + ":\\Rock"), first.root() + "/Rock");
    EXPECT_TRUE(DriveReady(letter, true));
    const QChar secondLetter = letterOfRoot(second.root());
    EXPECT_NE(secondLetter, letter);
    EXPECT_FALSE(secondLetter.isNull());

    first.unmount();
    EXPECT_TRUE(letterOfRoot(first.root()).isNull());
    EXPECT_EQ(platform::driveKind(letter), DriveKind::NotPresent);
    EXPECT_EQ(DiskSizeKB(QString(letter) + ":\\"), 0);
    EXPECT_TRUE(platform::toNativePath(QString(letter) + ":\\Rock").isEmpty());

    ASSERT_TRUE(first.remount());
    EXPECT_EQ(letterOfRoot(first.root()), letter);
    EXPECT_EQ(letterOfRoot(second.root()), secondLetter);
}

TEST(DriveTableTest, AMappedFolderIsADriveWhileItExists)
{
    auto folder = std::make_unique<TempFolder>(false);
    folder->write("Rock/a.mp3", "x");
    ASSERT_TRUE(platform::mapDrive({QLatin1Char('Q'), folder->path(), "\\\\nas\\music", true}));
    EXPECT_EQ(platform::driveKind('Q'), DriveKind::Network);
    EXPECT_EQ(platform::toNativePath("Q:\\Rock\\a.mp3"), folder->path() + "/Rock/a.mp3");
    EXPECT_GT(DiskSizeKB("Q:"), 0);
    const QList<platform::MappedDrive> mapped = platform::mappedDrives();
    ASSERT_EQ(mapped.size(), 1);
    EXPECT_EQ(mapped.at(0).remote, "\\\\nas\\music");
    EXPECT_TRUE(mapped.at(0).reconnect);

    const QString root = folder->path();
    folder.reset();
    EXPECT_EQ(platform::driveKind('Q'), DriveKind::NotPresent);
    QDir().mkpath(root);
    EXPECT_EQ(platform::driveKind('Q'), DriveKind::Network);
    QDir().rmdir(root);
    ASSERT_TRUE(platform::unmapDrive('Q'));
    EXPECT_TRUE(platform::mappedDrives().isEmpty());
}
