#pragma once
// Where the desktop keeps the folders the shell names: the XDG user folders, the
// menu folders, and a "send to" folder of the program's own.

#include <QString>

namespace platform {

// Native folder for a value of the shell's "Shell Folders" key ("DeskTop",
// "Personal", "SendTo" ...); empty when the desktop has no such folder. The send-to
// folder is created when missing.
QString defaultShellFolder(const QString &valueName);

// Where the desktop mounts the network places the user has opened (GVfs).
QString networkPlacesFolder();

// The system's program and library folders (native).
QString systemProgramFolder();
QString systemLibraryFolder();

} // namespace platform
