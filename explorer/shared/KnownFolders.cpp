#include "explorer/shared/KnownFolders.h"

#include "explorer/shared/PathUtils.h"
#include "platform/DrivePaths.h"
#include "platform/Errors.h"
#include "platform/Registry.h"
#include "platform/ShellFolders.h"

namespace {
const QString shellFoldersKey = QStringLiteral("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
const char *const valueNames[] = {"DeskTop", "Favorites", "NetHood", "Personal",
                                  "Programs", "SendTo", "Start Menu", "StartUp"};
constexpr int namedFolderCount = 8;
constexpr int systemFolderIndex = 8;
constexpr int libraryFolderIndex = 9;

QString namedFolder(platform::RegistryKey &key, const QString &name)
{
    if (!key.valueExists(name)) {
        const QString native = platform::defaultShellFolder(name);
        if (native.isEmpty())
            return QString();
        key.writeString(name, platform::toDrivePath(native));
    }
    try {
        return key.readString(name);
    } catch (const platform::Error &) {
        return QString(); // a value of another type names no folder
    }
}
} // namespace

QString SpecialFolderPath(int index)
{
    platform::RegistryKey key;
    if (index < 0 || index > libraryFolderIndex || !key.openKey(shellFoldersKey))
        return QString();
    QString folder;
    if (index < namedFolderCount)
        folder = namedFolder(key, QLatin1String(valueNames[index]));
    else
        folder = platform::toDrivePath(index == systemFolderIndex ? platform::systemProgramFolder()
                                                                  : platform::systemLibraryFolder());
    return AddSlash(folder);
}
