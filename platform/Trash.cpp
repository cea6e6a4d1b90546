#include "platform/Trash.h"

#include "platform/FileSystem.h"
#include "platform/NativeNames.h"
#include "platform/NativePaths.h"

#include <QDateTime>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
QByteArray parentOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

// Who else may use a trash folder.
enum class Sharing {
    Any,     // in the user's own home trash
    Private, // a folder of a shared volume: ours alone
};

// Creates the folder (mode 0700) when it is missing; true when it is a folder, not a
// link, and for a private one also owned by us and writable by nobody else, so that no
// other user can read, replace or remove what is trashed there.
bool makeFolder(const QByteArray &path, Sharing sharing = Sharing::Any)
{
    struct stat info {};
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    if (sharing == Sharing::Private && (info.st_uid != ::getuid() || (info.st_mode & (S_IWGRP | S_IWOTH)))) {
        errno = EACCES;
        return false;
    }
    return true;
}

// The highest folder above `path` on the same file system: the file system's top.
QByteArray topFolderOf(QByteArray path, dev_t device)
{
    struct stat info {};
    while (path != "/") {
        const QByteArray above = parentOf(path);
        if (::stat(above.constData(), &info) != 0 || info.st_dev != device)
            break;
        path = above;
    }
    return path;
}

// The trash folder of the file system whose top is `top`; empty when it has none
// that may be used. The administrator's $top/.Trash counts only as a real folder (not a
// link) with the sticky bit, and our $uid folder in it only when it is ours alone;
// otherwise $top/.Trash-$uid, again only when it is ours alone.
QByteArray topTrashOf(const QByteArray &top)
{
    const QByteArray base = top == "/" ? QByteArray() : top;
    const QByteArray uid = QByteArray::number(::getuid());
    struct stat info {};
    const QByteArray shared = base + "/.Trash";
    if (::lstat(shared.constData(), &info) == 0 && S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX)) {
        const QByteArray own = shared + '/' + uid;
        if (makeFolder(own, Sharing::Private))
            return own;
    }
    const QByteArray own = base + "/.Trash-" + uid;
    return makeFolder(own, Sharing::Private) ? own : QByteArray();
}

QByteArray homeTrash()
{
    return encodeNativeName(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) + "/Trash";
}

QByteArray infoRecord(const QByteArray &path)
{
    return "[Trash Info]\nPath=" + path.toPercentEncoding("/") + "\nDeletionDate="
           + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toLatin1() + '\n';
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += put;
    }
    return true;
}
} // namespace

bool moveNativeToTrash(const QString &native)
{
    const QByteArray path = encodeNativeName(absoluteNativePath(native));
    struct stat source {}, home {};
    if (::lstat(path.constData(), &source) != 0)
        return false;
    QByteArray trash = homeTrash();
    const bool onHome = makeNativeFolders(decodeNativeName(trash)) && ::stat(trash.constData(), &home) == 0
                        && home.st_dev == source.st_dev;
    QByteArray recordedPath = path;
    if (!onHome) {
        const QByteArray top = topFolderOf(path, source.st_dev);
        trash = topTrashOf(top);
        if (trash.isEmpty()) {
            errno = EXDEV;
            return false;
        }
        recordedPath = path.mid(top == "/" ? 1 : top.size() + 1);
    }
    const QByteArray files = trash + "/files";
    const QByteArray info = trash + "/info";
    const Sharing sharing = onHome ? Sharing::Any : Sharing::Private;
    if (!makeFolder(files, sharing) || !makeFolder(info, sharing))
        return false;

    // The record's name is taken first, exclusively: it reserves the name in files/.
    const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
    for (int number = 1;; ++number) {
        const QByteArray candidate = number == 1 ? name : name + '.' + QByteArray::number(number);
        const QByteArray record = info + '/' + candidate + ".trashinfo";
        const QByteArray target = files + '/' + candidate;
        struct stat unused {};
        if (::lstat(target.constData(), &unused) == 0)
            continue;
        const int fd = ::open(record.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        const bool written = writeAll(fd, infoRecord(recordedPath));
        const bool closed = ::close(fd) == 0;
        if (written && closed
            && renameNoReplace(decodeNativeName(path), decodeNativeName(target)) == RenameResult::Done)
            return true;
        const int error = errno;
        ::unlink(record.constData());
        errno = error;
        return false;
    }
}

} // namespace platform
