#include "picture/FileBytes.h"

#include "picture/PictureError.h"
#include "platform/DrivePaths.h"
#include "platform/FileSystem.h"
#include "platform/NativePaths.h"

#include <cerrno>

namespace picture {
namespace {

PictureError changedWhileRead(const QString &fileName)
{
    return PictureError::forFile(fileName, QStringLiteral("il file è cambiato mentre lo si leggeva."));
}

} // namespace

FileBytes::FileBytes(const QString &fileName, qint64 maxBytes)
    : m_fileName(fileName)
{
    // A pipe or a device would keep the reading thread waiting for good.
    const QString native = platform::toNativePath(fileName);
    if (platform::nativeExists(native) && !platform::isNativeRegularFile(native))
        throw PictureError::forFile(fileName, QStringLiteral("non è un file normale."));
    const int fd = platform::openNativeForReading(native);
    if (fd < 0)
        throw platform::FileOpenError::forFile(fileName, platform::systemErrorText(errno));
    if (!m_file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        throw platform::FileOpenError::forFile(fileName, m_file.errorString());
    const qint64 size = m_file.size();
    m_modified = m_file.fileTime(QFileDevice::FileModificationTime);
    if (size == 0)
        throw PictureError::forFile(fileName, QStringLiteral("il file è vuoto."));
    if (size > maxBytes)
        throw PictureError::forFile(fileName, QStringLiteral("il file è troppo grande (%1 byte; se ne leggono al massimo %2).")
                                                  .arg(size).arg(maxBytes));
    m_bytes = m_file.read(size + 1);
    if (m_file.error() != QFileDevice::NoError)
        throw PictureError::forFile(fileName, QStringLiteral("il file non si può leggere (%1).").arg(m_file.errorString()));
    if (m_bytes.size() != size)
        throw changedWhileRead(fileName);
}

void FileBytes::requireUnchanged()
{
    if (m_file.size() != m_bytes.size() || m_file.fileTime(QFileDevice::FileModificationTime) != m_modified)
        throw changedWhileRead(m_fileName);
}

} // namespace picture
