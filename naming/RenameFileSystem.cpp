#include "naming/RenameFileSystem.h"

bool PlatformRenameFileSystem::fileExists(const QString &name)
{
    return platform::fileExists(name);
}

bool PlatformRenameFileSystem::isSameFile(const QString &first, const QString &second)
{
    return platform::isSameFile(first, second);
}

bool PlatformRenameFileSystem::nameFits(const QString &name)
{
    return platform::nameFitsFileSystem(QString(), name);
}

void PlatformRenameFileSystem::setAttributesNormal(const QString &name)
{
    platform::setAttributesNormal(name);
}

platform::RenameResult PlatformRenameFileSystem::rename(const QString &from, const QString &to)
{
    return platform::renameNoReplace(from, to);
}
