#pragma once
// Drive-letter paths at the program's side, native paths at the system's side.
// "C:" is the root of the file system; other letters are volumes registered by the
// drive table. A "\" inside a native name is shown as U+F05C, so that "\" is only
// ever a separator in a drive path.

#include <QChar>
#include <QMap>
#include <QString>

namespace platform {

inline constexpr QChar nativeBackslashStandIn = QChar(0xF05C);

// Native root folders of the drive letters known now ('C' is always "/").
QMap<QChar, QString> driveRoots();
void registerDriveRoot(QChar letter, const QString &nativeRoot);
void unregisterDriveRoot(QChar letter);

// "C:\home\ann" -> "/home/ann". Accepts native paths as they are, and relative
// names (resolved later against the current folder). A letter with no root gives "".
QString toNativePath(const QString &path);
// "/home/ann" -> "C:\home\ann", by the longest registered root containing it.
// Relative names keep being relative, with "\" as separator.
QString toDrivePath(const QString &nativePath);
// A path typed by the user in either form, as a drive path.
QString normalizedDrivePath(const QString &typed);

// The process's current folder; bare names resolve against it.
bool setCurrentFolder(const QString &path);
QString currentFolder(); // drive path, no trailing separator except at a root

} // namespace platform
