#include "naming/RenameFileSystem.h"

bool PlatformRenameFileSystem::fileExists(const QString &name)
{
    return platform::fileExists(m_folder + name);
}

bool PlatformRenameFileSystem::isSameFile(const QString &first, const QString &second)
{
    return platform::isSameFile(m_folder + first, m_folder + second);
}

bool PlatformRenameFileSystem::nameFits(const QString &name)
{
    return platform::nameFitsFileSystem(m_folder, name);
}

void PlatformRenameFileSystem::setAttributesNormal(const QString &name)
{
    platform::setAttributesNormal(m_folder + name);
}

platform::RenameResult PlatformRenameFileSystem::rename(const QString &from, const QString &to)
{
    return platform::renameNoReplace(m_folder + from, m_folder + to);
}
