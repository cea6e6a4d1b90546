#pragma once
// A file named as the program names files (bare name, drive path or native path),
// read and written at offsets through one descriptor that is closed on every path.
// Only regular files are opened: the name is opened without blocking (a FIFO or a
// device never stalls the caller) and anything else is refused with NotRegularFile.

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace platform {

class RandomAccessFile {
public:
    enum Mode { ReadOnly, WriteExisting, ReadWriteExisting };
    // The open error of a name that is not a regular file (a folder, FIFO, device, socket).
    static constexpr int NotRegularFile = 0x10000; // platform::NotRegularFileError

    RandomAccessFile(const QString &fileName, Mode mode);
    ~RandomAccessFile();
    RandomAccessFile(const RandomAccessFile &) = delete;
    RandomAccessFile &operator=(const RandomAccessFile &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // The system's error number of the failed open (or NotRegularFile), 0 when open.
    int openError() const { return m_openError; }
    // The text for openError(), or for the failed read.
    static QString errorText(int error);
    // The system's error number of the first read that failed, 0 while none did.
    int readError() const { return m_readError; }
    int descriptor() const { return m_fd; }

    qint64 size() const; // -1 when unknown
    // Up to `length` bytes from `offset`; fewer at the end of the file or on an error
    // (then readError() tells it). Never allocates more than the file holds.
    QByteArray readAt(qint64 offset, qint64 length) const;
    // Writes all bytes at `offset` in one piece; false with errno set on failure.
    bool writeAt(qint64 offset, const QByteArray &bytes);

    // The name as the system takes it.
    static QByteArray nativeName(const QString &fileName);

private:
    int m_fd = -1;
    int m_openError = 0;
    mutable int m_readError = 0;
    mutable qint64 m_size = -1; // known once asked, until a write
};

} // namespace platform
