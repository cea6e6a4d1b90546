#pragma once
// The freedesktop trash, on the bytes of the names: a file or folder on the home
// file system goes to $XDG_DATA_HOME/Trash; one on another file system to that file
// system's own trash ($topdir/.Trash/$uid when the administrator made .Trash a sticky
// folder and $uid there is ours alone, else $topdir/.Trash-$uid when it is ours alone). The record beside it keeps the original path, so that any
// desktop can restore it under the name it had, byte for byte.

#include <QString>

namespace platform {

// Moves the native path (a link itself, not its target) to the trash; false with
// errno set when it cannot be trashed, and then nothing was changed.
bool moveNativeToTrash(const QString &native);

} // namespace platform
