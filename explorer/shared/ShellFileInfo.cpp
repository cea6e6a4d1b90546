#include "explorer/shared/ShellFileInfo.h"

#include "explorer/shared/LanguageTables.h"
#include "explorer/shared/DriveUtils.h"
#include "explorer/shared/PathUtils.h"
#include "explorer/shared/SystemImageList.h"
#include "platform/FileTypes.h"

namespace {
int pathIconIndex(const QString &path, bool open)
{
    if (isDriveRoot(path))
        return SystemImageList::instance().indexOfIcon(platform::driveIconName(platform::driveKind(driveLetterOf(path))));
    return fileIconIndex(fileNamePart(DelSlash(path)), DirExists(path), open);
}
} // namespace

bool isDriveRoot(const QString &path)
{
    const bool letter = !path.isEmpty() && path.at(0).unicode() < 128 && path.at(0).isLetter();
    return letter && (path.mid(1) == QLatin1String(":") || path.mid(1) == QLatin1String(":\\"));
}

int SmallIconIndex(const QString &path)
{
    return pathIconIndex(path, false);
}

int OpenIconIndex(const QString &path)
{
    return pathIconIndex(path, true);
}

ShellFileEntry shellFileEntry(const QString &name, bool isFolder)
{
    const platform::FileTypeInfo info = platform::fileTypeInfo(name, isFolder);
    return {SystemImageList::instance().indexOfIcon(info.iconName), info.typeName};
}

int fileIconIndex(const QString &name, bool isFolder, bool open)
{
    return SystemImageList::instance().indexOfIcon(platform::fileIconName(name, isFolder, open));
}

QString fileTypeNameOf(const QString &name, bool isFolder)
{
    return platform::fileTypeName(name, isFolder);
}

QString shellDisplayName(const QString &path)
{
    if (isDriveRoot(path))
        return platform::driveDisplayName(driveLetterOf(path), dialogText("rootVolume"));
    return fileNamePart(DelSlash(path));
}

QString driveCaption(QChar letter, const QString &displayName)
{
    const qsizetype bracket = displayName.indexOf(QLatin1Char('('));
    const QString label = bracket > 0 ? displayName.left(bracket) : QString();
    return QStringLiteral(" (") + letter + QStringLiteral(":)  ") + label;
}

int computerIconIndex()
{
    return SystemImageList::instance().indexOfIcon(platform::computerIconName());
}
