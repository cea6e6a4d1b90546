#pragma once
// Rewriting the start of a file without ever putting its data at risk: the new file is
// built beside the original, flushed to disk and renamed over it in one atomic step.

#include <QByteArray>
#include <functional>

namespace platform {
class FileDescriptor;
}

namespace platform::filerewrite {

enum class Step { CreateTemporary, WriteStart, CopyRest, CopyPermissions, SyncToDisk, Rename };

// Replaces the first `oldStartSize` bytes of the file (a native name; a symbolic link
// is written through to its target) by `newStart`, keeping the rest byte for byte.
// The temporary file is a hidden, locked one beside it (see InternalFiles.h), created
// exclusively and given the original's permission bits and extended attributes (ACLs
// among them); a file whose owner or group the copy could not keep is refused (EPERM).
// On any failure the original is left as it was, the temporary file is removed and false
// returned with errno set.
bool replaceFileStart(const QByteArray &nativeName, const QByteArray &newStart, qint64 oldStartSize);
// The same for the `oldLength` bytes at `offset`: what comes before and after is kept.
bool replaceFileRange(const QByteArray &nativeName, qint64 offset, qint64 oldLength, const QByteArray &newBytes);
// The same from the file's open descriptor, `target` being its resolved native path;
// `newFile`, when given, receives the new file's descriptor (read and write). The new
// file is checked to hold exactly the old bytes with the range replaced before it takes
// the name.
bool replaceFileRange(int source, const QByteArray &target, qint64 offset, qint64 oldLength,
                      const QByteArray &newBytes, FileDescriptor *newFile);

// The block size in which the file system holding the file can share data between
// files instead of copying it (reflinks), 0 where it always copies. When the new start
// keeps the rest's offset within such a block, the rest is shared, not copied.
int blockSharingAlignment(const QByteArray &nativeName);

// For tests: called before each step (the copy calls it before every chunk); a
// non-zero result fails the step with that error number.
void setFaultHookForTesting(std::function<int(Step)> hook);

} // namespace platform::filerewrite
