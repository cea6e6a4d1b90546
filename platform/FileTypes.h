#pragma once
// What the shell tells about a file from its name alone, never by reading it, so
// that listings stay fast: its type name and the name of its icon in the icon theme.
// Drives and the computer get their display names and icon names here too.

#include "platform/DriveTable.h"

#include <QString>

namespace platform {

// The MIME type's description; "<EXT> File" for an unknown extension, "File" for a
// name without one. Folders get the folder type's description.
QString fileTypeName(const QString &name, bool isFolder);
// Icon theme name of a file or folder (open: the open-folder icon).
QString fileIconName(const QString &name, bool isFolder, bool open);

QString driveIconName(DriveKind kind);
QString computerIconName();

// "<volume name> (X:)" of an upper-case letter: "File System (C:)", "USB STICK (E:)".
QString driveDisplayName(QChar letter);
QString computerDisplayName();

} // namespace platform
