#include "picture/FileBytes.h"

#include "picture/PictureError.h"
#include "platform/DrivePaths.h"
#include "platform/FileSystem.h"
#include "platform/NativePaths.h"

#include <cerrno>

namespace picture {

FileBytes::FileBytes(const QString &fileName, qint64 maxBytes)
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
    m_size = m_file.size();
    if (m_size == 0)
        throw PictureError::forFile(fileName, QStringLiteral("il file è vuoto."));
    if (m_size > maxBytes)
        throw PictureError::forFile(fileName, QStringLiteral("il file è troppo grande (%1 byte; se ne leggono al massimo %2).")
                                                  .arg(m_size).arg(maxBytes));
    m_data = m_file.map(0, m_size);
    if (!m_data) {
        m_copy = m_file.readAll();
        if (m_copy.size() != m_size)
            throw PictureError::forFile(fileName, QStringLiteral("il file non si può leggere (%1).").arg(m_file.errorString()));
        m_data = reinterpret_cast<const uchar *>(m_copy.constData());
    }
}

FileBytes::~FileBytes()
{
    if (m_copy.isEmpty() && m_data)
        m_file.unmap(const_cast<uchar *>(m_data));
}

} // namespace picture
