#pragma once
// What the shell tells about a file from its name alone, never by reading it, so
// that listings stay fast: its type name and the name of its icon in the icon theme.
// Drives and the computer get their display names and icon names here too.

#include "platform/DriveTable.h"

#include <QString>

namespace platform {

struct FileTypeInfo {
    // The MIME type's description; "<EXT> File" for an unknown extension, "File" for
    // a name without one. Folders get the folder type's description.
    QString typeName;
    // Icon theme name (open: the open-folder icon for folders).
    QString iconName;
};
// Both from one look-up of the name.
FileTypeInfo fileTypeInfo(const QString &name, bool isFolder, bool open = false);
QString fileTypeName(const QString &name, bool isFolder);
QString fileIconName(const QString &name, bool isFolder, bool open);

QString driveIconName(DriveKind kind);
QString computerIconName();

// "<volume name> (X:)" of an upper-case letter: "USB STICK (E:)"; the root of the
// file system is named by the caller ("File System (C:)").
QString driveDisplayName(QChar letter, const QString &rootName);

} // namespace platform
