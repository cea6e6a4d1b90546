#pragma once
// Folders that belong to the user's session, and whether a path can be looked at.

#include <QString>

namespace platform {

// Where the desktop's mounter puts the user's network shares (/run/user/UID/gvfs).
QString userNetworkMountFolder();

// 0 when the native path exists (links are not followed); otherwise the error number
// of the look-up (ENOENT, EACCES, ENOMEM ...).
int pathLookupError(const QString &nativePath);

} // namespace platform
