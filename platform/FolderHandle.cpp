#include "platform/FolderHandle.h"

#include "platform/DrivePaths.h"
#include "platform/NativeNames.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace platform {

FolderHandle::FolderHandle(const QString &folder)
{
    const QByteArray native = folder.isEmpty() ? QByteArray(".") : encodeNativeName(toNativePath(folder));
    if (!native.isEmpty())
        m_fd.reset(::open(native.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

bool FolderHandle::gone() const
{
    struct stat info {};
    return !m_fd.valid() || ::fstat(m_fd.get(), &info) != 0 || info.st_nlink == 0;
}

QString FolderHandle::pathOf(const QString &name) const
{
    return QStringLiteral("/proc/self/fd/%1/").arg(m_fd.get()) + (name.isEmpty() ? QString() : toNativePath(name));
}

} // namespace platform
