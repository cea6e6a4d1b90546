#include "picture/FileBytes.h"

#include "picture/PictureError.h"

#include <QFileInfo>

namespace picture {

FileBytes::FileBytes(const QString &fileName, qint64 maxBytes)
    : m_file(fileName)
{
    // A pipe or a device would keep the reading thread waiting for good.
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile())
        throw PictureError::forFile(fileName, QStringLiteral("non è un file normale."));
    if (!m_file.open(QIODevice::ReadOnly))
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
