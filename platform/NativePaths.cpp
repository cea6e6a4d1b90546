#include "platform/NativePaths.h"

#include "platform/NativeNames.h"

#include <QDir>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
bool statNative(const QString &native, struct stat &info)
{
    return !native.isEmpty() && ::stat(encodeNativeName(native).constData(), &info) == 0;
}
} // namespace

QString nativeCurrentFolder()
{
    char *folder = ::getcwd(nullptr, 0);
    if (!folder)
        return QString();
    const QString result = decodeNativeName(folder);
    std::free(folder);
    return result;
}

QString nativeFolderOf(const QString &native)
{
    const qsizetype slash = native.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral(".");
    return slash == 0 ? QStringLiteral("/") : native.left(slash);
}

QString nativeNameOf(const QString &native)
{
    return native.mid(native.lastIndexOf(QLatin1Char('/')) + 1);
}

QString absoluteNativePath(const QString &native, const QString &base)
{
    if (native.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(native);
    const QString folder = base.isEmpty() ? nativeCurrentFolder() : absoluteNativePath(base);
    return QDir::cleanPath(folder.isEmpty() ? native : folder + QLatin1Char('/') + native);
}

QString canonicalNativePath(const QString &native)
{
    if (native.isEmpty())
        return QString();
    char *resolved = ::realpath(encodeNativeName(native).constData(), nullptr);
    if (!resolved)
        return QString();
    const QString result = decodeNativeName(resolved);
    std::free(resolved);
    return result;
}

bool nativeExists(const QString &native)
{
    struct stat info {};
    return statNative(native, info);
}

bool isNativeFolder(const QString &native)
{
    struct stat info {};
    return statNative(native, info) && S_ISDIR(info.st_mode);
}

bool isNativeRegularFile(const QString &native)
{
    struct stat info {};
    return statNative(native, info) && S_ISREG(info.st_mode);
}

bool isNativeRegularFileNotLink(const QString &native)
{
    struct stat info {};
    return ::lstat(encodeNativeName(native).constData(), &info) == 0 && S_ISREG(info.st_mode);
}

bool isNativeFolderWritable(const QString &native)
{
    return ::access(encodeNativeName(native).constData(), W_OK | X_OK) == 0;
}

bool makeNativeFolders(const QString &native)
{
    if (native.isEmpty())
        return false;
    if (isNativeFolder(native))
        return true;
    const QString above = nativeFolderOf(native);
    if (above != native && !makeNativeFolders(above))
        return false;
    return ::mkdir(encodeNativeName(native).constData(), 0777) == 0 || (errno == EEXIST && isNativeFolder(native));
}

int openNativeForReading(const QString &native)
{
    if (native.isEmpty()) {
        errno = ENOENT;
        return -1;
    }
    int fd;
    do {
        fd = ::open(encodeNativeName(native).constData(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

QUrl nativeFileUrl(const QString &native)
{
    return QUrl::fromEncoded("file://" + encodeNativeName(absoluteNativePath(native)).toPercentEncoding("/"));
}

QString nativePathOfUrl(const QUrl &url)
{
    if (!url.isLocalFile())
        return QString();
    const QString host = url.host();
    if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
        return QString();
    const QByteArray path = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    if (!path.startsWith('/') || path.contains('\0'))
        return QString();
    return decodeNativeName(path);
}

} // namespace platform
