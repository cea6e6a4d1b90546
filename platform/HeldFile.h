#pragma once
// A regular file held open from a read to a later write: opened once (a save cut short
// is repaired first), read and written through the same descriptor, and followed when a
// rewrite puts a new file in its place.

#include "platform/FileDescriptor.h"
#include "platform/RegionJournal.h"

#include <QByteArray>
#include <QString>

namespace platform {

class HeldFile {
public:
    // The folder argument for names taken in the current folder.
    static const int CurrentFolder;
    // The open error of a name that is not a regular file (a folder, FIFO, device, socket).
    static constexpr int NotRegularFile = 0x10000; // platform::NotRegularFileError

    // A file named as the program names files (bare name, drive path or native path), as
    // the system takes it.
    static QByteArray nativeName(const QString &fileName);
    // The text for an error number of an open or a read.
    static QString errorText(int error);

    // Opens `nativeName` of the open folder `folderFd`, for reading and writing where
    // that is allowed, else for reading. False with error() set.
    bool open(int folderFd, const QByteArray &nativeName);
    void close() { m_fd.reset(-1); }
    // The error number of the failed open (NotRegularFile for a folder, FIFO or device).
    int error() const { return m_error; }
    qint64 size() const { return m_size; }
    // The modification time, in nanoseconds, at the open or at the last write.
    qint64 modified() const { return m_modified; }

    // All `size` bytes at `offset`; false with errno set.
    bool readAt(char *data, qint64 size, qint64 offset) const;
    // Whether the name still names this file, as it was at the open or at the last write.
    bool unchanged() const;

    // Writes that fit go in place: through a journal for a region that must change in one
    // piece, directly for one that may not. A file system without in-place writes (an SMB
    // share through GVfs) answers Unsupported / false with EOPNOTSUPP.
    RegionJournal::Result overwrite(qint64 offset, const QByteArray &bytes, const QByteArray &old);
    bool writeAt(qint64 offset, const QByteArray &bytes);
    // Flushes the data written to the disk; false with errno set.
    bool sync();
    // Replaces the `oldLength` bytes at `offset` by rewriting the file (see FileRewrite.h);
    // afterwards this object holds the new file.
    bool replaceRange(qint64 offset, qint64 oldLength, const QByteArray &bytes);
    // The block size in which the file system shares data between files, 0 for none.
    int blockSharingAlignment() const;

    // The file was renamed within its folder.
    void setNativeName(const QByteArray &nativeName) { m_nativeName = nativeName; }

private:
    bool writable();
    QByteArray path() const;
    void adopt(FileDescriptor &newFile);
    void noteStatus();

    int m_folderFd = -1;
    QByteArray m_nativeName;
    FileDescriptor m_fd;
    bool m_readWrite = false;
    int m_writeError = 0; // why the file could not be opened for writing
    int m_error = 0;
    qint64 m_size = 0;
    qint64 m_modified = 0; // nanoseconds
    quint64 m_inode = 0;
    quint64 m_device = 0;
};

} // namespace platform
