#pragma once
// The bytes of a picture file, mapped into memory rather than copied when possible.

#include <QByteArray>
#include <QFile>
#include <QString>

namespace picture {

class FileBytes {
public:
    // Opens and maps the file; raises FileOpenError when it cannot be opened, and
    // PictureError when it is not a regular file, is empty or is longer than `maxBytes`.
    FileBytes(const QString &fileName, qint64 maxBytes);
    ~FileBytes();
    FileBytes(const FileBytes &) = delete;
    FileBytes &operator=(const FileBytes &) = delete;

    const uchar *data() const { return m_data; }
    qint64 size() const { return m_size; }

private:
    QFile m_file;
    QByteArray m_copy; // used only where the file cannot be mapped
    const uchar *m_data = nullptr;
    qint64 m_size = 0;
};

} // namespace picture
