#include "picture/FileBytes.h"

#include "picture/PictureError.h"
#include "platform/DrivePaths.h"
#include "platform/FileSystem.h"
#include "platform/NativePaths.h"

#include <cerrno>

namespace picture {

FileBytes::FileBytes(const QString &fileName, qint64 maxBytes)
{
    const int fd = platform::openNativeForReading(platform::toNativePath(fileName));
    if (fd < 0)
        throw platform::FileOpenError::forFile(fileName, platform::systemErrorText(errno));
    if (!m_file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        throw platform::FileOpenError::forFile(fileName, m_file.errorString());
    m_size = m_file.size();
    if (m_size == 0)
        throw PictureError::forFile(fileName, QStringLiteral("the file is empty."));
    if (m_size > maxBytes)
        throw PictureError::forFile(fileName, QStringLiteral("the file is too large (%1 bytes; at most %2 are read).")
                                                  .arg(m_size).arg(maxBytes));
    m_data = m_file.map(0, m_size);
    if (!m_data) {
        m_copy = m_file.readAll();
        if (m_copy.size() != m_size)
            throw PictureError::forFile(fileName, QStringLiteral("the file cannot be read (%1).").arg(m_file.errorString()));
        m_data = reinterpret_cast<const uchar *>(m_copy.constData());
    }
}

FileBytes::~FileBytes()
{
    if (m_copy.isEmpty() && m_data)
        m_file.unmap(const_cast<uchar *>(m_data));
}

} // namespace picture
