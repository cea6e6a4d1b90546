#include "naming/RenameFileSystem.h"

#include "platform/DrivePaths.h"
#include "platform/NativeNames.h"

QString PlatformRenameFileSystem::path(const QString &name) const
{
    // No name names nothing: never the folder itself.
    if (name.isEmpty())
        return QString();
    return m_folder.isEmpty() ? name : m_folder + platform::toNativePath(name);
}

bool PlatformRenameFileSystem::fileExists(const QString &name)
{
    return platform::fileExists(path(name));
}

platform::EntryKind PlatformRenameFileSystem::kindOf(const QString &name)
{
    return platform::entryKind(platform::encodeNativeName(platform::toNativePath(path(name))));
}

bool PlatformRenameFileSystem::isSameFile(const QString &first, const QString &second)
{
    return platform::isSameFile(path(first), path(second));
}

bool PlatformRenameFileSystem::nameFits(const QString &name)
{
    return platform::nameFitsFileSystem(m_folder, name);
}

void PlatformRenameFileSystem::setAttributesNormal(const QString &name)
{
    platform::setAttributesNormal(path(name));
}

platform::RenameResult PlatformRenameFileSystem::rename(const QString &from, const QString &to)
{
    return platform::renameNoReplace(path(from), path(to));
}
