#pragma once
// The hidden files a tag save keeps beside the file it changes: the journal of an
// in-place write and the temporary copy of a rewrite.
//   .NAME.kestrava-journal      journal of NAME (a hash replaces a NAME too long for it)
//   .NAME.kestrava-tmp, .NAME.kestrava-tmpN   temporary copies of NAME
// While a save works on one of them it holds an exclusive flock() on it; one that nobody
// holds is stale (its process stopped) and is cleaned up by the next process that saves
// in its folder; a journal is also used by the next read of its file.

#include <QByteArray>
#include <QString>

namespace platform {

// Whether a file name (without folder) is one of these files; listings leave them out.
bool isInternalTemporaryName(const QString &name);
bool isInternalTemporaryName(const QByteArray &nativeName);

namespace internalfiles {

// Names beside `baseName` (a native name without folder).
QByteArray journalName(const QByteArray &baseName);
QByteArray temporaryName(const QByteArray &baseName, int number);

// Creates `name` in the folder exclusively (never opening an existing file), mode 0600,
// and takes its lock; -1 with errno set on failure.
int createLocked(int folderFd, const QByteArray &name, int access);

// Removes the stale files of the folder: temporary copies are deleted, journals are first
// used to repair their file. Files a running save holds are left alone.
void removeStale(const QByteArray &nativeFolder);
// The same for the folder of a file (the folder of its target for a symbolic link), once
// per process and folder.
void removeStaleBeside(const QByteArray &nativeName);

} // namespace internalfiles
} // namespace platform
