#pragma once
// The drives the program shows: "C:" is the root of the file system; other letters,
// from "D:" up, are the volumes of real storage a user sees as drives (removable and
// optical media, network shares, block-device file systems under /media, /run/media
// and /mnt) and the folders mapped to a letter (network shares). RAM and pseudo file
// systems and folders bound elsewhere are not drives.
// A volume keeps its letter across runs by its identity (file-system UUID, device or
// share address), kept in the hive with the day it was last seen; a letter whose
// volume has been gone for letterRetentionDays is free again. Every refresh
// registers the present drives' roots for the drive-path conversion (DrivePaths.h).

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <functional>

namespace platform {

// Drive kinds with their classic numbers.
enum class DriveKind { Unknown = 0, NotPresent = 1, Removable = 2, Fixed = 3, Network = 4, CdRom = 5, RamDisk = 6 };

struct MountEntry {
    QString device;
    QString root;   // native mount folder
    QString fsType;
    QString fsRoot = QStringLiteral("/"); // the folder of the file system mounted there
};

struct DriveInfo {
    QChar letter;
    QString nativeRoot;
    DriveKind kind = DriveKind::Unknown;
    QString identity; // what the letter is remembered by
};

// Entries of a mount table in the /proc/self/mounts form (octal escapes decoded).
QList<MountEntry> parseMountTable(const QByteArray &text);
// Entries of a table in the /proc/self/mountinfo form, with the mounted folder.
QList<MountEntry> parseMountInfo(const QByteArray &text);

// True when the block device (or the disk holding the partition) is removable or
// attached through USB, by /sys/block.
bool isRemovableBlockDevice(const QString &device);

// The mounts that are drives other than C:, with their kinds, in mount-table order
// (a folder mounted twice counts once, with its last mount).
QList<DriveInfo> volumesFromMounts(const QList<MountEntry> &mounts,
                                   const std::function<bool(const QString &device)> &isRemovable);

inline constexpr int letterRetentionDays = 30;

// A letter given to a volume: its identity and the day (since 1970) it was last seen.
struct LetterRecord {
    QString identity;
    int lastSeenDay = 0;
};
using LetterRecords = QMap<QChar, LetterRecord>;

// Gives each volume a letter from D: up, not in `taken`: the letter remembered for its
// identity, else one never given, else the one of the volume gone the longest. Records
// of volumes gone for letterRetentionDays are dropped. Returns the records to keep;
// volumes left without a letter (all taken) keep a null one.
LetterRecords assignVolumeLetters(QList<DriveInfo> &volumes, LetterRecords records, const QSet<QChar> &taken,
                                  int today);

// Reads the mount table and the mapped folders, gives every volume its letter
// (stored in the hive) and registers the roots. Drives are in letter order.
QList<DriveInfo> refreshDrives();
// Bit n set for each present letter ('A' + n), after a refresh.
quint32 presentDriveMask();
// The kind of a drive: a look-up in the table as last built, made again only when the
// mount table has changed or a drive was mapped or unmapped (the mount table is read
// once per change); NotPresent for a letter with no drive.
DriveKind driveKind(QChar letter);
// Total and free (available to the user) bytes of the file system holding a folder;
// -1 for both on failure. It may wait on the network: see DriveSpaceQuery.h.
struct FileSystemSpace {
    qint64 totalBytes = -1;
    qint64 freeBytes = -1;
};
FileSystemSpace fileSystemSpace(const QByteArray &nativeRoot);

// Total and free (available to the user) bytes of a present drive; -1 on failure.
// A network drive that does not answer within a few seconds counts as a failure
// (DriveSpaceQuery.h asks without waiting).
qint64 driveTotalBytes(QChar letter);
qint64 driveFreeBytes(QChar letter);

// A folder mapped to an upper-case letter (a connected network share or a local
// folder): kept in the hive, shown as a drive while the folder exists.
struct MappedDrive {
    QChar letter;
    QString nativeRoot;
    QString remote;   // the share as typed, empty for a local folder
    bool reconnect = false;
};
QList<MappedDrive> mappedDrives();
bool mapDrive(const MappedDrive &drive);
bool unmapDrive(QChar letter);

} // namespace platform
