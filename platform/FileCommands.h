#pragma once
// Single steps of the explorer's commands on the file system: to the trash, deleted
// for good, a new folder. Paths are drive paths or native absolute paths.

#include <QString>

namespace platform {

// Moves the file or folder to the freedesktop trash.
bool moveToTrash(const QString &path);
// Removes a file (not a folder) at once, without the trash.
bool deleteFilePermanently(const QString &path);
// Creates one folder; false when it exists or cannot be made.
bool createFolder(const QString &path);

} // namespace platform
