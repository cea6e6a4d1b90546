#include "platform/FileCommands.h"

#include "platform/DrivePaths.h"

#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
QByteArray nativeBytes(const QString &path)
{
    return QFile::encodeName(toNativePath(path));
}
} // namespace

bool moveToTrash(const QString &path)
{
    return QFile::moveToTrash(QFile::decodeName(nativeBytes(path)));
}

bool deleteFilePermanently(const QString &path)
{
    return ::unlink(nativeBytes(path).constData()) == 0;
}

bool createFolder(const QString &path)
{
    return ::mkdir(nativeBytes(path).constData(), 0777) == 0;
}

} // namespace platform
