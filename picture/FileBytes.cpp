#include "picture/FileBytes.h"

#include "picture/PictureError.h"

namespace picture {

FileBytes::FileBytes(const QString &fileName, qint64 maxBytes)
    : m_file(fileName)
{
    if (!m_file.open(QIODevice::ReadOnly))
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
