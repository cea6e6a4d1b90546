#pragma once
// The hidden files a tag save keeps beside the file it changes (the journal of an
// in-place write and the temporary copy of a rewrite) and a file copy beside its target:
//   .NAME.kestrava-journal      journal of NAME (a hash replaces a NAME too long for it)
//   .NAME.kestrava-tmp, .NAME.kestrava-tmpN   temporary copies of NAME
//   .kestrava-XXXXXXXX.part     a copy (eight hex digits) until it takes its target's name
// While a save or a copy works on one of them it holds an exclusive flock() on it; one
// that nobody holds is stale (its process stopped) and is cleaned up by the next process
// that saves, copies or moves in its folder; a journal is also used by the next read of
// its file. A copied link cannot be locked: its ".part" is stale once a minute old.

#include <QByteArray>
#include <QString>
#include <sys/types.h>

namespace platform {

// Whether a file name (without folder) is one of these files; listings leave them out.
bool isInternalTemporaryName(const QString &name);
bool isInternalTemporaryName(const QByteArray &nativeName);

namespace internalfiles {

// Names beside `baseName` (a native name without folder).
QByteArray journalName(const QByteArray &baseName);
QByteArray temporaryName(const QByteArray &baseName, int number);
// A name for a partial copy: ".kestrava-XXXXXXXX.part".
QByteArray partialCopyName(quint32 number);

// Creates `name` in the folder (AT_FDCWD: `name` is a path) exclusively (never opening
// an existing file), with the mode (less the umask), and takes its lock; -1 with errno
// set on failure.
int createLocked(int folderFd, const QByteArray &name, int access, mode_t mode = 0600);

// Removes the stale files of the folder: temporary copies are deleted, journals are first
// used to repair their file. Files a running save holds are left alone.
void removeStale(const QByteArray &nativeFolder);
// The same for the folder of a file (the folder of its target for a symbolic link), once
// per process and folder.
void removeStaleBeside(const QByteArray &nativeName);
// The same for a folder a copy or move puts files in, unless this process looked through
// it in the last seconds (a paste of many files is many operations in one folder).
void removeStaleIn(const QByteArray &nativeFolder);

} // namespace internalfiles
} // namespace platform
