#pragma once
// Opening a file, folder or address with the program the desktop associates with it;
// programs themselves are started. Results are the shell's codes: above 32 on
// success, 32 or less on failure.

#include "platform/ShellLinks.h"

#include <QString>
#include <QStringList>
#include <QUrl>

namespace platform {

inline constexpr int launchSucceeded = 42;
inline constexpr int launchFileNotFound = 2;
inline constexpr int launchPathNotFound = 3;
inline constexpr int launchAccessDenied = 5;
inline constexpr int launchNoAssociation = 31;

// "Open" (or an empty verb): a program is started with the parameters, in the
// directory; anything else goes to its associated program. "Find": the folder is
// shown in the file manager. Other verbs have no association.
// Relative names resolve against the directory, or the current folder without one.
int launch(const QString &verb, const QString &target, const QString &parameters, const QString &directory);

// Starts the program of a program link (a desktop entry of type Application) with the
// files, native absolute paths: by its Exec line (ExecLine.h), found through PATH only,
// in the folder its Path key names or else in `defaultFolder`, in a terminal window when
// its Terminal key says so. Refused (launchFileNotFound) when its TryExec program or its
// program is not there, or its Exec line is not valid.
int launchProgramLink(const ShellLink &link, const QString &linkFile, const QStringList &nativeFiles,
                      const QString &defaultFolder);
// False when the link's TryExec names a program that is not there.
bool programLinkInstalled(const ShellLink &link);

// Opens an address (web page, "mailto:") or a local file with the desktop's associated
// program; false when none takes it.
bool openAddress(const QUrl &url);

// True when the path names a program: a file the user may execute whose name does
// not make it a document (files on FAT media carry the execute bit too).
bool isProgram(const QString &nativePath);

} // namespace platform
