#include "platform/FileSystem.h"

#include "platform/DrivePaths.h"
#include "platform/NativeNames.h"
#include "platform/NativePaths.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
QByteArray nativeBytes(const QString &path)
{
    return encodeNativeName(toNativePath(path));
}

QString baseName(const QString &native)
{
    const qsizetype slash = native.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? native : native.mid(slash + 1);
}

RenameResult resultFromErrno(int error)
{
    switch (error) {
    case EEXIST:
    case ENOTEMPTY:
        return RenameResult::TargetExists;
    case ENOENT:
        return RenameResult::SourceMissing;
    case ENAMETOOLONG:
        return RenameResult::NameTooLong;
    case EACCES:
    case EPERM:
    case EROFS:
        return RenameResult::AccessDenied;
    case EBUSY:
    case ETXTBSY:
        return RenameResult::Busy;
    default:
        return RenameResult::Failed;
    }
}
} // namespace

int attributesFromMode(const QString &name, unsigned mode, bool linkTargetIsDirectory)
{
    int attributes = 0;
    if (S_ISDIR(mode) || linkTargetIsDirectory)
        attributes |= faDirectory;
    else if (S_ISREG(mode))
        attributes |= faArchive;
    else
        attributes |= faSystem;
    if (!(mode & S_IWUSR))
        attributes |= faReadOnly;
    if (name.startsWith(QLatin1Char('.')) && name != QLatin1String(".") && name != QLatin1String(".."))
        attributes |= faHidden;
    return attributes == 0 ? faNormal : attributes;
}

int fileAttributes(const QString &path)
{
    const QByteArray native = nativeBytes(path);
    struct stat info {};
    if (native.isEmpty() || ::stat(native.constData(), &info) != 0)
        return invalidFileAttributes;
    return attributesFromMode(baseName(decodeNativeName(native)), info.st_mode, false);
}

bool fileExists(const QString &path)
{
    const int attributes = fileAttributes(path);
    return attributes != invalidFileAttributes && !(attributes & faDirectory);
}

bool folderExists(const QString &path)
{
    const int attributes = fileAttributes(path);
    return attributes != invalidFileAttributes && (attributes & faDirectory);
}

bool setAttributesNormal(const QString &path)
{
    // Only a regular file itself: a link is not followed, so no folder or other file
    // behind a name is ever made writable.
    const QByteArray native = nativeBytes(path);
    const int fd = ::open(native.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info {};
    bool done = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (done && !(info.st_mode & S_IWUSR)) {
        // The descriptor's own inode, whatever the name holds meanwhile.
        const QByteArray opened = "/proc/self/fd/" + QByteArray::number(fd);
        done = ::chmod(opened.constData(), (info.st_mode & 07777) | S_IWUSR) == 0;
    }
    ::close(fd);
    return done;
}

bool isSameFile(const QString &first, const QString &second)
{
    const QByteArray a = nativeBytes(first), b = nativeBytes(second);
    struct stat info {};
    if (::lstat(a.constData(), &info) != 0 || ::lstat(b.constData(), &info) != 0)
        return false;
    if (a == b)
        return true;
    const qsizetype slashA = a.lastIndexOf('/'), slashB = b.lastIndexOf('/');
    const QByteArray folder = slashA < 0 ? QByteArray(".") : slashA == 0 ? QByteArray("/") : a.left(slashA);
    const QByteArray nameA = a.mid(slashA + 1), nameB = b.mid(slashB + 1);
    const auto asciiLower = [](QByteArray name) {
        for (char &c : name)
            c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
        return name;
    };
    if (a.left(slashA + 1) != b.left(slashB + 1) || asciiLower(nameA) != asciiLower(nameB))
        return false;
    DIR *listing = ::opendir(folder.constData());
    if (!listing)
        return false;
    bool listsFirst = false, listsSecond = false;
    while (const dirent *entry = ::readdir(listing)) {
        listsFirst = listsFirst || nameA == entry->d_name;
        listsSecond = listsSecond || nameB == entry->d_name;
    }
    ::closedir(listing);
    return listsFirst && !listsSecond;
}

int maxNameBytes(const QString &folder)
{
    QByteArray native = nativeBytes(folder.isEmpty() ? QStringLiteral(".") : folder);
    if (native.isEmpty())
        native = ".";
    const long limit = ::pathconf(native.constData(), _PC_NAME_MAX);
    return limit > 0 ? int(limit) : 255;
}

bool nameFitsFileSystem(const QString &folder, const QString &name)
{
    return encodeNativeName(name).size() <= maxNameBytes(folder);
}

RenameResult renameNoReplace(const QString &from, const QString &to)
{
    const QByteArray source = nativeBytes(from);
    const QByteArray target = nativeBytes(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return RenameResult::Done;
    if (errno != EINVAL && errno != ENOSYS)
        return resultFromErrno(errno);
    // EINVAL also means a name the file system refuses: a share then refuses the
    // fallback as well.
    const auto failed = [&to](int error) {
        return characterRefusedByShares(baseName(toNativePath(to))).isNull() ? resultFromErrno(error)
                                                                             : RenameResult::NameRefused;
    };
    // The file system lacks RENAME_NOREPLACE: link refuses an existing target.
    // Folders cannot be linked; for them the check and the rename are two steps.
    struct stat info {};
    if (::stat(source.constData(), &info) == 0 && S_ISDIR(info.st_mode)) {
        if (::lstat(target.constData(), &info) == 0)
            return RenameResult::TargetExists;
        return ::rename(source.constData(), target.constData()) == 0 ? RenameResult::Done : failed(errno);
    }
    if (::link(source.constData(), target.constData()) != 0)
        return failed(errno);
    if (::unlink(source.constData()) != 0) {
        const int error = errno;
        ::unlink(target.constData());
        return resultFromErrno(error);
    }
    return RenameResult::Done;
}

QChar characterRefusedByShares(const QString &name)
{
    for (const QChar character : name) {
        if (character.unicode() < 0x20 || QStringView(u"\\:?*\"<>|").contains(character))
            return character;
    }
    return QChar();
}

int pathLookupError(const QString &nativePath)
{
    if (nativePath.isEmpty())
        return 3;
    struct stat info {};
    if (::lstat(encodeNativeName(nativePath).constData(), &info) == 0)
        return 0;
    if (errno == EACCES)
        return 5;
    if (errno == ENOMEM)
        return 8;
    return isNativeFolder(nativeFolderOf(nativePath)) ? 2 : 3;
}

QString systemErrorText(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

const char *commonErrorName(int errorNumber)
{
    switch (errorNumber) {
    case ENOSPC:
    case EDQUOT:
        return "errNoSpace";
    case EACCES:
    case EPERM:
        return "errAccessDenied";
    case EROFS:
        return "errReadOnly";
    case EBUSY:
    case ETXTBSY:
        return "errInUse";
    case ENOENT:
        return "errNotFound";
    case EIO:
        return "errIO";
    case ENAMETOOLONG:
        return "errNameTooLong";
    case ENETDOWN:
    case ENETUNREACH:
    case EHOSTDOWN:
    case EHOSTUNREACH:
    case ENOTCONN:
    case ECONNRESET:
    case ECONNABORTED:
        return "errNetworkDown";
    case ETIMEDOUT:
        return "errTimedOut";
    default:
        return nullptr;
    }
}

} // namespace platform
