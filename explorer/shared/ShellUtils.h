#pragma once
// Shell services of the explorer controls: opening files, the folder-browse dialog,
// the properties sheet and network drives. Every failure is reported to the user
// here, through the message function; none is raised to the caller.

#include "platform/NetworkDrives.h"

#include <QString>

class QWidget;

// Runs the verb ("Open", "Find") on the file. The show mode is the window state the
// started program is asked for; desktops leave that to the program. Returns the
// shell's code; a code of 32 or less has been reported as
// msgCant + operation + msgFile + file.
int ExecuteFile(const QString &operation, const QString &file, const QString &parameters, const QString &directory,
                int showMode);

// Roots of BrowseForFolder.
enum BrowseRoot { brNone = 0, brDesktop = 1, brCommonPrograms = 2, brPrinters = 3, brDocuments = 4,
                  brCommonStartMenu = 5, brNetwork = 6 };
// A folder dialog titled msgSpecifyDir, starting at the root folder of that kind and
// listing files too when asked. True when a folder was chosen: the path is then set
// to it, with a trailing "\"; otherwise the path is left alone.
bool BrowseForFolder(QWidget *owner, QString &path, int rootKind, bool includeFiles);

// The properties of a file or folder: the file manager's sheet, or a window of our
// own where it has none. A path that cannot be shown gives the system's message.
void ShowProperties(const QString &path);

// Connects a share (or a local folder) to the local device ("Z:"). `silent` connects
// without asking the user and, as the folder tree passes its "Reconnect at logon"
// state here, also keeps the mapping for the next start. Returns the network code,
// 0 on success; a failure is shown when showError is set.
// The words of a network result in DialogTextLanguage: the table's text for its code,
// the desktop's own words for a failure that has no code of its own.
QString networkResultMessage(const platform::NetworkResult &result);

int ConnectNetDrive(const QString &localDevice, const QString &remote, bool showError, bool silent);
