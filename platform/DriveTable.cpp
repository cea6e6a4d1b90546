#include "platform/DriveTable.h"

#include "platform/DrivePaths.h"
#include "platform/NativeNames.h"
#include "platform/Registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSet>
#include <algorithm>
#include <sys/statvfs.h>

namespace platform {

namespace {

const QString assignmentsKey = QStringLiteral("Software\\Kestrava\\Drives");
const QString mappingsKey = QStringLiteral("Software\\Kestrava\\Mapped Drives");
constexpr char firstVolumeLetter = 'D';
constexpr char lastLetter = 'Z';

bool isBelow(const QString &path, const QString &folder)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

bool isSystemPlace(const QString &root)
{
    static const QStringList places = {"/proc", "/sys", "/dev", "/boot", "/snap", "/run"};
    if (isBelow(root, QStringLiteral("/run/media")))
        return false;
    return std::any_of(places.begin(), places.end(), [&](const QString &place) { return isBelow(root, place); });
}

bool isUserPlace(const QString &root)
{
    static const QStringList places = {"/media", "/run/media", "/mnt"};
    return std::any_of(places.begin(), places.end(), [&](const QString &place) { return isBelow(root, place); });
}

bool isNetworkFileSystem(const QString &fsType)
{
    static const QSet<QString> types = {"nfs",  "nfs4",      "cifs",       "smb3",        "smbfs",
                                        "ncpfs", "afs",      "ceph",       "glusterfs",   "davfs",
                                        "fuse.sshfs", "fuse.rclone", "fuse.gvfsd-fuse", "fuse.davfs2"};
    return types.contains(fsType);
}

QString deviceName(const QString &device)
{
    const QString canonical = QFileInfo(device).canonicalFilePath();
    return QFileInfo(canonical.isEmpty() ? device : canonical).fileName();
}

bool isOptical(const MountEntry &mount)
{
    const QString name = deviceName(mount.device);
    return mount.fsType == QLatin1String("iso9660") || mount.fsType == QLatin1String("udf")
           || name.startsWith(QLatin1String("sr")) || name.startsWith(QLatin1String("scd"));
}

DriveKind kindOfMount(const MountEntry &mount, const std::function<bool(const QString &)> &isRemovable)
{
    if (isNetworkFileSystem(mount.fsType))
        return DriveKind::Network;
    if (mount.fsType == QLatin1String("tmpfs") || mount.fsType == QLatin1String("ramfs"))
        return DriveKind::RamDisk;
    if (isOptical(mount))
        return DriveKind::CdRom;
    if (!mount.device.startsWith(QLatin1String("/dev/")))
        return DriveKind::Unknown;
    return isRemovable(mount.device) ? DriveKind::Removable : DriveKind::Fixed;
}

QString decodeMountField(const QByteArray &field)
{
    QByteArray decoded;
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field.at(i) == '\\' && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                decoded.append(char(code));
                i += 3;
                continue;
            }
        }
        decoded.append(field.at(i));
    }
    return decodeNativeName(decoded);
}

QString readSysText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()).trimmed() : QString();
}

struct DriveState {
    QList<DriveInfo> drives;
    QSet<QChar> registered;
    // what the drives were made from
    QByteArray mountTable;
    QList<MappedDrive> mapped;
    QList<bool> mappedPresent;
    bool mappedRead = false;
};

DriveState &state()
{
    static DriveState current;
    return current;
}

QChar letterAt(int offset)
{
    return QLatin1Char(char(firstVolumeLetter + offset));
}

QMap<QChar, QString> storedAssignments(const RegistryKey &key)
{
    QMap<QChar, QString> stored;
    for (char c = firstVolumeLetter; c <= lastLetter; ++c) {
        const QString root = key.valueExists(QString(QLatin1Char(c))) ? key.readString(QString(QLatin1Char(c))) : QString();
        if (!root.isEmpty())
            stored.insert(QLatin1Char(c), root);
    }
    return stored;
}

// The letter of a volume: its stored one, else a letter never used, else the letter
// of a volume that is not present now.
QChar letterFor(const QString &root, const QMap<QChar, QString> &stored, const QSet<QChar> &taken,
                const QSet<QString> &presentRoots)
{
    for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
        if (it.value() == root && !taken.contains(it.key()))
            return it.key();
    }
    for (int i = 0; i <= lastLetter - firstVolumeLetter; ++i) {
        if (!stored.contains(letterAt(i)) && !taken.contains(letterAt(i)))
            return letterAt(i);
    }
    for (int i = 0; i <= lastLetter - firstVolumeLetter; ++i) {
        if (!taken.contains(letterAt(i)) && !presentRoots.contains(stored.value(letterAt(i))))
            return letterAt(i);
    }
    return QChar();
}

QByteArray readMountTable()
{
    QFile file(QStringLiteral("/proc/self/mounts"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void registerRoots(const QList<DriveInfo> &drives)
{
    QSet<QChar> now;
    for (const DriveInfo &drive : drives) {
        registerDriveRoot(drive.letter, drive.nativeRoot);
        now.insert(drive.letter);
    }
    for (QChar letter : state().registered) {
        if (!now.contains(letter))
            unregisterDriveRoot(letter);
    }
    state().registered = now;
}

const DriveInfo *findDrive(QChar letter)
{
    refreshDrives();
    for (const DriveInfo &drive : state().drives) {
        if (drive.letter == letter)
            return &drive;
    }
    return nullptr;
}

qint64 fileSystemBytes(QChar letter, bool freeOnly)
{
    const DriveInfo *drive = findDrive(letter);
    struct statvfs info {};
    if (!drive || ::statvfs(encodeNativeName(drive->nativeRoot).constData(), &info) != 0)
        return -1;
    const qint64 blocks = freeOnly ? qint64(info.f_bavail) : qint64(info.f_blocks);
    return blocks * qint64(info.f_frsize);
}

} // namespace

QList<MountEntry> parseMountTable(const QByteArray &text)
{
    QList<MountEntry> entries;
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 3)
            continue;
        entries.append({decodeMountField(fields.at(0)), decodeMountField(fields.at(1)), decodeMountField(fields.at(2))});
    }
    return entries;
}

bool isRemovableBlockDevice(const QString &device)
{
    const QString name = deviceName(device);
    if (name.isEmpty())
        return false;
    QString blockFolder = QStringLiteral("/sys/class/block/") + name;
    if (QFileInfo::exists(blockFolder + QStringLiteral("/partition")))
        blockFolder = QFileInfo(blockFolder).canonicalFilePath() + QStringLiteral("/..");
    const QString disk = QFileInfo(QFileInfo(blockFolder).canonicalFilePath()).fileName();
    if (disk.isEmpty())
        return false;
    const QString diskFolder = QStringLiteral("/sys/block/") + disk;
    return readSysText(diskFolder + QStringLiteral("/removable")) == QLatin1String("1")
           || QFileInfo(diskFolder).canonicalFilePath().contains(QLatin1String("/usb"));
}

QList<DriveInfo> volumesFromMounts(const QList<MountEntry> &mounts,
                                   const std::function<bool(const QString &device)> &isRemovable)
{
    QList<DriveInfo> volumes;
    for (const MountEntry &mount : mounts) {
        const QString root = QDir::cleanPath(mount.root);
        auto previous = std::find_if(volumes.begin(), volumes.end(),
                                     [&](const DriveInfo &volume) { return volume.nativeRoot == root; });
        if (previous != volumes.end())
            volumes.erase(previous);
        if (root == QLatin1String("/") || isSystemPlace(root) || mount.fsType == QLatin1String("autofs"))
            continue;
        const DriveKind kind = kindOfMount(mount, isRemovable);
        const bool mediaOrShare = kind == DriveKind::Network || kind == DriveKind::Removable || kind == DriveKind::CdRom;
        if (isUserPlace(root) || mediaOrShare)
            volumes.append({QChar(), root, kind});
    }
    return volumes;
}

QList<MappedDrive> mappedDrives()
{
    QList<MappedDrive> drives;
    RegistryKey key;
    if (!key.openKey(mappingsKey))
        return drives;
    for (char c = firstVolumeLetter; c <= lastLetter; ++c) {
        const QString letter = QString(QLatin1Char(c));
        const QString root = key.valueExists(letter) ? key.readString(letter) : QString();
        if (root.isEmpty())
            continue;
        drives.append({QLatin1Char(c), root, key.readString(letter + QStringLiteral(" Remote")),
                       key.readInteger(letter + QStringLiteral(" Reconnect")) != 0});
    }
    return drives;
}

bool mapDrive(const MappedDrive &drive)
{
    state().mappedRead = false;
    RegistryKey key;
    const QString letter(drive.letter);
    return key.openKey(mappingsKey) && key.writeString(letter, drive.nativeRoot)
           && key.writeString(letter + QStringLiteral(" Remote"), drive.remote)
           && key.writeInteger(letter + QStringLiteral(" Reconnect"), drive.reconnect ? 1 : 0);
}

bool unmapDrive(QChar letter)
{
    state().mappedRead = false;
    RegistryKey key;
    return key.openKey(mappingsKey) && key.writeString(QString(letter), QString());
}

QList<DriveInfo> refreshDrives()
{
    DriveState &current = state();
    if (!current.mappedRead) {
        current.mapped = mappedDrives();
        current.mappedRead = true;
        current.drives.clear();
    }
    QList<bool> mappedPresent;
    for (const MappedDrive &mapped : current.mapped)
        mappedPresent.append(QFileInfo(mapped.nativeRoot).isDir());
    const QByteArray mountTable = readMountTable();
    // made again only when the mounts or the mapped folders have changed
    if (!current.drives.isEmpty() && mountTable == current.mountTable && mappedPresent == current.mappedPresent)
        return current.drives;

    QList<DriveInfo> drives{{QLatin1Char('C'), QStringLiteral("/"), DriveKind::Fixed}};
    QSet<QChar> taken;
    for (qsizetype i = 0; i < current.mapped.size(); ++i) {
        const MappedDrive &mapped = current.mapped.at(i);
        taken.insert(mapped.letter);
        if (mappedPresent.at(i)) {
            const DriveKind kind = mapped.remote.isEmpty() ? DriveKind::Fixed : DriveKind::Network;
            drives.append({mapped.letter, mapped.nativeRoot, kind});
        }
    }
    const QList<DriveInfo> volumes = volumesFromMounts(parseMountTable(mountTable), isRemovableBlockDevice);
    QSet<QString> presentRoots;
    for (const DriveInfo &volume : volumes)
        presentRoots.insert(volume.nativeRoot);

    RegistryKey key;
    const bool hiveOpen = key.openKey(assignmentsKey);
    QMap<QChar, QString> stored = hiveOpen ? storedAssignments(key) : QMap<QChar, QString>();
    for (DriveInfo volume : volumes) {
        volume.letter = letterFor(volume.nativeRoot, stored, taken, presentRoots);
        if (volume.letter.isNull())
            continue;
        if (stored.value(volume.letter) != volume.nativeRoot) {
            stored.insert(volume.letter, volume.nativeRoot);
            if (hiveOpen)
                key.writeString(QString(volume.letter), volume.nativeRoot);
        }
        taken.insert(volume.letter);
        drives.append(volume);
    }
    std::sort(drives.begin(), drives.end(), [](const DriveInfo &a, const DriveInfo &b) { return a.letter < b.letter; });
    registerRoots(drives);
    current.drives = drives;
    current.mountTable = mountTable;
    current.mappedPresent = mappedPresent;
    return drives;
}

quint32 presentDriveMask()
{
    quint32 mask = 0;
    for (const DriveInfo &drive : refreshDrives())
        mask |= 1u << (drive.letter.unicode() - 'A');
    return mask;
}

DriveKind driveKind(QChar letter)
{
    const DriveInfo *drive = findDrive(letter);
    return drive ? drive->kind : DriveKind::NotPresent;
}

qint64 driveTotalBytes(QChar letter)
{
    return fileSystemBytes(letter, false);
}

qint64 driveFreeBytes(QChar letter)
{
    return fileSystemBytes(letter, true);
}

} // namespace platform
