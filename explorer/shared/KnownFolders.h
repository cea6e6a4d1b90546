#pragma once
// The shell's special folders by index, from the current user's "Shell Folders" key
// (values the key lacks are filled from the desktop's folders):
// 0 "DeskTop", 1 "Favorites", 2 "NetHood", 3 "Personal", 4 "Programs", 5 "SendTo",
// 6 "Start Menu", 7 "StartUp"; 8 the system's program folder, 9 its library folder.

#include <QString>

// The folder with a trailing "\", or empty (unknown index, missing value, or a key
// that cannot be opened).
QString SpecialFolderPath(int index);
