#pragma once
// File attributes, existence and renaming. Paths are drive paths or bare names
// (resolved against the current folder).

#include <QString>

namespace platform {

// Attribute bits with their classic values.
enum FileAttribute : int {
    faReadOnly = 0x01,
    faHidden = 0x02,
    faSystem = 0x04,
    faDirectory = 0x10,
    faArchive = 0x20,
    faNormal = 0x80,
};
inline constexpr int invalidFileAttributes = -1;

// read-only: the owner may not write; hidden: the name starts with "."; system: not
// a regular file, folder or link to one; archive: a regular file; directory: a folder
// (links followed). -1 when the path does not exist.
int fileAttributes(const QString &path);
// Attributes from a native path and a stat result (used by listings).
int attributesFromMode(const QString &name, unsigned mode, bool linkTargetIsDirectory);

bool fileExists(const QString &path);   // a folder is not a file
bool folderExists(const QString &path);
// Gives a regular file (not a link, folder or device) owner write permission.
bool setAttributesNormal(const QString &path);

// True when both paths name the same entry of one folder: the same spelling, or two
// spellings that differ only in ASCII letter case where the folder lists `first` and
// no entry spelled exactly as `second` (a file system that ignores letter case finds
// `first` under both). The folder is read rather than inode numbers compared: a
// network share may give each spelling an inode number of its own. Another entry of
// the folder, a hard link to the same file included, is never the same.
bool isSameFile(const QString &first, const QString &second);

// Longest name, in bytes, that the file system holding `folder` accepts.
int maxNameBytes(const QString &folder);
bool nameFitsFileSystem(const QString &folder, const QString &name);

// Busy: the file or its folder is in use by the system (a mount point, a running program).
// NameRefused: the file system does not accept a character of the new name (a network
// share refuses `: ? * " < > |`).
enum class RenameResult { Done, TargetExists, SourceMissing, NameTooLong, NameRefused, AccessDenied, Busy, Failed };
// Renames without ever replacing an existing target, also when another program
// creates the target meanwhile.
RenameResult renameNoReplace(const QString &from, const QString &to);

// The first character of `name` that file systems of other systems refuse (`\ : ? * " < > |`
// or a control character), or a null QChar when there is none.
QChar characterRefusedByShares(const QString &name);

// Why a native path cannot be looked at, as the shell's codes: 0 when it can (a link
// counts itself, whatever it points to), 2 file not found in an existing folder, 3 path
// not found (also for an empty path), 5 access denied, 8 out of memory.
int pathLookupError(const QString &nativePath);

// The system's text for the last error number, as the program shows it.
QString systemErrorText(int errorNumber);

// The name of a common error in the explorer's language tables ("errNoSpace",
// "errAccessDenied" ...); nullptr for an error the system's own text describes.
const char *commonErrorName(int errorNumber);

} // namespace platform
