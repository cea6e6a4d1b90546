#pragma once
// The desktop's own file search program, where one is installed.

#include <QString>

namespace platform {

// The first search program found on PATH (catfish, gnome-search-tool,
// mate-search-tool, kfind, searchmonkey); empty when there is none.
QString installedFileSearchTool();
// Starts that program on the native folder; false when none is installed or it
// cannot start.
bool startFileSearchTool(const QString &nativeFolder);

} // namespace platform
