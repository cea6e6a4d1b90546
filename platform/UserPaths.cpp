#include "platform/UserPaths.h"

#include <QFile>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

QString userNetworkMountFolder()
{
    return QStringLiteral("/run/user/%1/gvfs").arg(::getuid());
}

int pathLookupError(const QString &nativePath)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(nativePath).constData(), &info) == 0 ? 0 : errno;
}

} // namespace platform
