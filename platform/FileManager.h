#pragma once
// The desktop's file manager, reached over D-Bus (org.freedesktop.FileManager1).

#include <QString>

namespace platform {

// Asks the file manager to show the properties of a file or folder (native path);
// false when no file manager answers.
bool showItemPropertiesInFileManager(const QString &nativePath);

} // namespace platform
