#include "platform/DriveTable.h"

#include "platform/DrivePaths.h"
#include "platform/MountTable.h"
#include "platform/NativeNames.h"
#include "platform/NetworkThreads.h"
#include "platform/Registry.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFuture>
#include <QThread>
#include <QtConcurrent/QtConcurrentRun>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QMutex>
#include <QRecursiveMutex>
#include <QSet>
#include <algorithm>
#include <optional>
#include <dirent.h>
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

// The desktop's mount folder of its own shares: each share in it is a drive only when
// a letter is mapped to it.
const QString desktopSharesType = QStringLiteral("fuse.gvfsd-fuse");

bool isBlockDevice(const QString &device)
{
    return device.startsWith(QLatin1String("/dev/"));
}

// Real storage: a block-device file system or a network share. Not RAM, overlay,
// pseudo or automount file systems, and not a folder of a file system bound
// somewhere else.
bool isRealStorage(const MountEntry &mount)
{
    if (mount.fsRoot != QLatin1String("/") || mount.fsType == desktopSharesType)
        return false;
    return isNetworkFileSystem(mount.fsType) || (isBlockDevice(mount.device) && mount.fsType != QLatin1String("autofs"));
}

DriveKind kindOfMount(const MountEntry &mount, const std::function<bool(const QString &)> &isRemovable)
{
    if (isNetworkFileSystem(mount.fsType))
        return DriveKind::Network;
    if (isOptical(mount))
        return DriveKind::CdRom;
    return isRemovable(mount.device) ? DriveKind::Removable : DriveKind::Fixed;
}

// A file system's UUID as the desktop's device links give it; empty without them.
QString fileSystemUuid(const QString &device)
{
    const QString canonical = QFileInfo(device).canonicalFilePath();
    QDir links(QStringLiteral("/dev/disk/by-uuid"));
    for (const QFileInfo &link : links.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
        if (!canonical.isEmpty() && link.canonicalFilePath() == canonical)
            return link.fileName();
    }
    return QString();
}

QString identityOf(const MountEntry &mount, DriveKind kind)
{
    if (kind == DriveKind::Network)
        return QStringLiteral("share:") + mount.device;
    const QString uuid = fileSystemUuid(mount.device);
    return uuid.isEmpty() ? QStringLiteral("device:") + mount.device : QStringLiteral("uuid:") + uuid;
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
    // Refreshes and look-ups come from the window thread and from listing workers.
    QRecursiveMutex lock;
    QList<DriveInfo> drives;
    bool built = false;
    QSet<QChar> registered;
    // what the drives were made from
    QByteArray mountTable;
    quint64 mountGeneration = 0;
    QList<MappedDrive> mapped;
    QList<bool> mappedPresent;
    // per mapped drive: whether its presence is known from a desktop share listing
    // (looked at by a refresh only) rather than from its folder
    QList<bool> mappedInShares;
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

constexpr int volumeLetterCount = lastLetter - firstVolumeLetter + 1;

QString seenName(QChar letter)
{
    return QString(letter) + QStringLiteral(" Seen");
}

LetterRecords storedLetters(const RegistryKey &key)
{
    LetterRecords stored;
    for (int i = 0; i < volumeLetterCount; ++i) {
        const QString letter(letterAt(i));
        const QString identity = key.valueExists(letter) ? key.readString(letter) : QString();
        if (!identity.isEmpty())
            stored.insert(letterAt(i), {identity, key.valueExists(seenName(letterAt(i))) ? key.readInteger(seenName(letterAt(i))) : 0});
    }
    return stored;
}

void storeLetters(RegistryKey &key, const LetterRecords &before, const LetterRecords &after)
{
    for (int i = 0; i < volumeLetterCount; ++i) {
        const QChar letter = letterAt(i);
        const LetterRecord old = before.value(letter);
        const LetterRecord now = after.value(letter);
        if (old.identity != now.identity)
            key.writeString(QString(letter), now.identity);
        if (old.lastSeenDay != now.lastSeenDay)
            key.writeInteger(seenName(letter), now.lastSeenDay);
    }
}

int daysSinceEpoch()
{
    return int(QDateTime::currentSecsSinceEpoch() / (24 * 60 * 60));
}

QByteArray readMountTable()
{
    return MountTable::instance().text();
}

// The names in a folder, without looking at the entries themselves.
QSet<QString> namesIn(const QString &folder)
{
    QSet<QString> names;
    DIR *dir = ::opendir(encodeNativeName(folder).constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir))
        names.insert(decodeNativeName(entry->d_name));
    ::closedir(dir);
    return names;
}

// A mapped folder inside the desktop's share folder is there while its share is
// mounted, which the share folder's listing tells without asking the server; any
// other mapped folder while it exists.
const MountEntry *desktopSharesMountOf(const QString &nativeRoot, const QList<MountEntry> &mounts)
{
    for (const MountEntry &mount : mounts) {
        if (mount.fsType == desktopSharesType && isBelow(nativeRoot, mount.root) && nativeRoot != mount.root)
            return &mount;
    }
    return nullptr;
}

bool isMappedFolderPresent(const QString &nativeRoot, const QList<MountEntry> &mounts)
{
    if (const MountEntry *mount = desktopSharesMountOf(nativeRoot, mounts)) {
        const QString share = nativeRoot.mid(mount->root.size() + 1).section(QLatin1Char('/'), 0, 0);
        return namesIn(mount->root).contains(share);
    }
    return QFileInfo(nativeRoot).isDir();
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

// Whether a mapped folder outside the desktop's shares has come or gone since the last
// refresh: a look at the folder itself, nothing listed.
bool mappedFolderCameOrWent(const DriveState &current)
{
    for (qsizetype i = 0; i < current.mapped.size() && i < current.mappedInShares.size(); ++i) {
        if (!current.mappedInShares.at(i) && QFileInfo(current.mapped.at(i).nativeRoot).isDir() != current.mappedPresent.value(i))
            return true;
    }
    return false;
}

// The drive of a letter in the table as last built: a look-up. The table is made again
// only when the mount table has changed (which costs a poll to know) or a drive has
// been mapped or unmapped; a mapped share's folder is looked at by refreshDrives().
std::optional<DriveInfo> findDrive(QChar letter)
{
    DriveState &current = state();
    QMutexLocker locker(&current.lock);
    if (!current.built || !current.mappedRead || MountTable::instance().generation() != current.mountGeneration
        || mappedFolderCameOrWent(current))
        refreshDrives();
    for (const DriveInfo &drive : current.drives) {
        if (drive.letter == letter)
            return drive;
    }
    return std::nullopt;
}

// A network drive is asked on a thread of its own, and one that has not answered
// within networkAnswerMs counts as not ready: a dead server holds the caller that
// long at most, not for the network's own timeout.
constexpr int networkAnswerMs = 3000;

qint64 fileSystemBytes(QChar letter, bool freeOnly)
{
    const std::optional<DriveInfo> drive = findDrive(letter);
    if (!drive)
        return -1;
    FileSystemSpace space;
    if (drive->kind != DriveKind::Network) {
        space = fileSystemSpace(encodeNativeName(drive->nativeRoot));
    } else {
        QFuture<FileSystemSpace> answer =
            QtConcurrent::run(networkThreadPool(), fileSystemSpace, encodeNativeName(drive->nativeRoot));
        QElapsedTimer clock;
        clock.start();
        while (!answer.isFinished() && clock.elapsed() < networkAnswerMs)
            QThread::msleep(2);
        if (answer.isFinished())
            space = answer.result();
    }
    return freeOnly ? space.freeBytes : space.totalBytes;
}

} // namespace

FileSystemSpace fileSystemSpace(const QByteArray &nativeRoot)
{
    struct statvfs info {};
    if (::statvfs(nativeRoot.constData(), &info) != 0)
        return {};
    return {qint64(info.f_blocks) * qint64(info.f_frsize), qint64(info.f_bavail) * qint64(info.f_frsize)};
}

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

QList<MountEntry> parseMountInfo(const QByteArray &text)
{
    // id parent major:minor root mount-point options [optional fields] - type source options
    QList<MountEntry> entries;
    for (const QByteArray &line : text.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        const qsizetype separator = fields.indexOf("-");
        if (separator < 5 || separator + 2 >= fields.size())
            continue;
        entries.append({decodeMountField(fields.at(separator + 2)), decodeMountField(fields.at(4)),
                        decodeMountField(fields.at(separator + 1)), decodeMountField(fields.at(3))});
    }
    return entries;
}

LetterRecords assignVolumeLetters(QList<DriveInfo> &volumes, LetterRecords records, const QSet<QChar> &taken,
                                  int today)
{
    QSet<QString> present;
    for (const DriveInfo &volume : volumes)
        present.insert(volume.identity);
    for (auto it = records.begin(); it != records.end();) {
        const bool gone = !present.contains(it->identity) && today - it->lastSeenDay >= letterRetentionDays;
        it = gone ? records.erase(it) : std::next(it);
    }
    QSet<QChar> used = taken;
    const auto freeLetter = [&](DriveInfo &volume) {
        for (auto it = records.cbegin(); it != records.cend(); ++it) {
            if (it->identity == volume.identity && !used.contains(it.key()))
                return it.key();
        }
        for (int i = 0; i < volumeLetterCount; ++i) {
            if (!records.contains(letterAt(i)) && !used.contains(letterAt(i)))
                return letterAt(i);
        }
        QChar oldest;
        for (auto it = records.cbegin(); it != records.cend(); ++it) {
            if (!used.contains(it.key()) && !present.contains(it->identity)
                && (oldest.isNull() || it->lastSeenDay < records.value(oldest).lastSeenDay))
                oldest = it.key();
        }
        return oldest;
    };
    for (DriveInfo &volume : volumes) {
        volume.letter = freeLetter(volume);
        if (volume.letter.isNull())
            continue;
        used.insert(volume.letter);
        records.removeIf([&](const auto &record) { return record.value().identity == volume.identity; });
        records.insert(volume.letter, {volume.identity, today});
    }
    return records;
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
        if (root == QLatin1String("/") || isSystemPlace(root) || !isRealStorage(mount))
            continue;
        const DriveKind kind = kindOfMount(mount, isRemovable);
        const bool mediaOrShare = kind == DriveKind::Network || kind == DriveKind::Removable || kind == DriveKind::CdRom;
        if (isUserPlace(root) || mediaOrShare)
            volumes.append({QChar(), root, kind, identityOf(mount, kind)});
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
    QMutexLocker locker(&state().lock);
    state().mappedRead = false;
    RegistryKey key;
    const QString letter(drive.letter);
    return key.openKey(mappingsKey) && key.writeString(letter, drive.nativeRoot)
           && key.writeString(letter + QStringLiteral(" Remote"), drive.remote)
           && key.writeInteger(letter + QStringLiteral(" Reconnect"), drive.reconnect ? 1 : 0);
}

bool unmapDrive(QChar letter)
{
    QMutexLocker locker(&state().lock);
    state().mappedRead = false;
    RegistryKey key;
    return key.openKey(mappingsKey) && key.writeString(QString(letter), QString());
}

QList<DriveInfo> refreshDrives()
{
    DriveState &current = state();
    QMutexLocker locker(&current.lock);
    if (!current.mappedRead) {
        current.mapped = mappedDrives();
        current.mappedRead = true;
        current.built = false;
    }
    const quint64 mountGeneration = MountTable::instance().generation();
    const QByteArray mountTable = readMountTable();
    const QList<MountEntry> mounts = parseMountInfo(mountTable);
    QList<bool> mappedPresent;
    current.mappedInShares.clear();
    for (const MappedDrive &mapped : current.mapped) {
        mappedPresent.append(isMappedFolderPresent(mapped.nativeRoot, mounts));
        current.mappedInShares.append(desktopSharesMountOf(mapped.nativeRoot, mounts) != nullptr);
    }
    // made again only when the mounts or the mapped folders have changed
    current.mountGeneration = mountGeneration;
    if (current.built && mountTable == current.mountTable && mappedPresent == current.mappedPresent)
        return current.drives;

    QList<DriveInfo> drives{{QLatin1Char('C'), QStringLiteral("/"), DriveKind::Fixed, QStringLiteral("/")}};
    QSet<QChar> taken;
    for (qsizetype i = 0; i < current.mapped.size(); ++i) {
        const MappedDrive &mapped = current.mapped.at(i);
        taken.insert(mapped.letter);
        if (mappedPresent.at(i)) {
            const DriveKind kind = mapped.remote.isEmpty() ? DriveKind::Fixed : DriveKind::Network;
            drives.append({mapped.letter, mapped.nativeRoot, kind, mapped.remote.isEmpty() ? mapped.nativeRoot : mapped.remote});
        }
    }
    QList<DriveInfo> volumes = volumesFromMounts(mounts, isRemovableBlockDevice);
    RegistryKey key;
    const bool hiveOpen = key.openKey(assignmentsKey);
    const LetterRecords stored = hiveOpen ? storedLetters(key) : LetterRecords();
    const LetterRecords kept = assignVolumeLetters(volumes, stored, taken, daysSinceEpoch());
    if (hiveOpen)
        storeLetters(key, stored, kept);
    for (const DriveInfo &volume : volumes) {
        if (!volume.letter.isNull())
            drives.append(volume);
    }
    std::sort(drives.begin(), drives.end(), [](const DriveInfo &a, const DriveInfo &b) { return a.letter < b.letter; });
    registerRoots(drives);
    current.drives = drives;
    current.built = true;
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
    const std::optional<DriveInfo> drive = findDrive(letter);
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
