#pragma once
// Network shares as drive letters: a share ("\\server\share" or an address such as
// "smb://server/share") is mounted with the desktop's mounter (gio) and its mount
// folder gets the letter; a local folder may be given a letter too. The mapping is
// kept in the hive (DriveTable.h). Results are the network layer's codes, 0 on
// success.

#include <QChar>
#include <QString>

namespace platform {

inline constexpr int netSucceeded = 0;
inline constexpr int netBadNetPath = 53;
inline constexpr int netBadNetName = 67;
inline constexpr int netAlreadyAssigned = 85;
inline constexpr int netBadDevice = 1200;
inline constexpr int netNoNetwork = 1222;
inline constexpr int netLogonFailure = 1326;

// `localDevice` is a letter and a colon ("Z:"). `reconnect`: the mapping is restored
// at the next start (otherwise it lasts for this session).
int connectNetworkDrive(const QString &localDevice, const QString &remote, bool reconnect);
// Unmounts a mapped share and forgets the letter.
int disconnectNetworkDrive(QChar letter);
// At start: forgets the previous session's mappings and mounts again the shares to
// be reconnected.
void restoreNetworkDrives();

// "\\server\share\folder" -> "smb://server/share/folder"; addresses stay as they are;
// anything else (a local path) gives "".
QString shareAddress(const QString &remote);

// The system's text for a network result code.
QString networkErrorText(int code);

} // namespace platform
