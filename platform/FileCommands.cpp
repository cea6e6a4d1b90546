#include "platform/FileCommands.h"

#include "platform/DrivePaths.h"
#include "platform/NativeNames.h"
#include "platform/Trash.h"

#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {
QByteArray nativeBytes(const QString &path)
{
    return encodeNativeName(toNativePath(path));
}
} // namespace

bool moveToTrash(const QString &path)
{
    const QString native = toNativePath(path);
    return !native.isEmpty() && moveNativeToTrash(native);
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
