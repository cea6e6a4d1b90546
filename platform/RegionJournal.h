#pragma once
// Overwriting a region of a file in place so that a crash at any point leaves either the
// old or the new bytes: the old bytes and a checksum of the new ones go first into a
// journal beside the file (flushed with its folder), then the region is overwritten and
// flushed, then the journal is removed. A journal found later puts the old bytes back
// unless the region already holds the new ones.

#include <QByteArray>

namespace platform {

class RegionJournal {
public:
    enum class Result {
        Written,
        Unsupported, // the file system cannot write into an existing file: nothing was done
        Failed,      // errno tells why; the file holds its old bytes (or is repaired at its next read)
    };

    // Writes `bytes` at `offset` of the native file (a symbolic link is followed); the
    // region must lie within the file.
    static Result overwrite(const QByteArray &nativeName, qint64 offset, const QByteArray &bytes);
    // The same through the file's open descriptor (read and write), `old` being the bytes
    // the region holds now; `nativeName` names the file (see openedFilePath).
    static Result overwrite(int fd, const QByteArray &nativeName, qint64 offset, const QByteArray &bytes,
                            const QByteArray &old);

    // Repairs the file from its journal when one is left beside it and no save holds it.
    // Cheap when there is none (one failed open).
    static void recover(const QByteArray &nativeName);
    // The same for the file `baseName` of an open folder.
    static void recover(int folderFd, const QByteArray &baseName);
    // The same for a journal found in a folder listing.
    static void recoverJournal(const QByteArray &nativeFolder, const QByteArray &journalName);
};

} // namespace platform
