#pragma once
// The bytes of a picture file, read into memory whole: what the decoders see cannot
// change under them, whatever happens to the file meanwhile.

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

namespace picture {

class FileBytes {
public:
    // Opens and reads the file; raises FileOpenError when it cannot be opened, and
    // PictureError when it is not a regular file, is empty, is longer than `maxBytes`,
    // cannot be read or changes while it is read.
    FileBytes(const QString &fileName, qint64 maxBytes);
    FileBytes(const FileBytes &) = delete;
    FileBytes &operator=(const FileBytes &) = delete;

    const uchar *data() const { return reinterpret_cast<const uchar *>(m_bytes.constData()); }
    qint64 size() const { return m_bytes.size(); }

    // Raises PictureError when the file no longer holds what was read (it was
    // rewritten or truncated since), so that a stale picture is not shown for it.
    void requireUnchanged();

private:
    QString m_fileName;
    QFile m_file;
    QByteArray m_bytes;
    QDateTime m_modified;
};

} // namespace picture
