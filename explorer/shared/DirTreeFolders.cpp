#include "explorer/shared/DirTreeFolders.h"

#include "explorer/shared/PathUtils.h"
#include "platform/FileSystem.h"
#include "platform/FindFiles.h"

using platform::EntryKinds;
using platform::FindFiles;
using platform::FoundEntry;

namespace {
FindFiles listFolders(const QString &folderPath)
{
    return FindFiles(AddSlash(folderPath) + QStringLiteral("*.*"), EntryKinds::Subfolders);
}
} // namespace

int allowedFolderAttributes(TFileType folderType)
{
    return platform::faDirectory | (attributeBitsOf(folderType) & ~platform::faNormal);
}

bool isListedFolder(const FoundEntry &entry, int allowedAttributes)
{
    if (entry.name == QLatin1String(".") || entry.name == QLatin1String(".."))
        return false;
    const int filtered = entry.attributes & folderFilterBits;
    return (filtered & platform::faDirectory) != 0 && (filtered & ~allowedAttributes) == 0;
}

bool hasListedSubfolder(const QString &folderPath, int allowedAttributes)
{
    if (folderPath.isEmpty())
        return false;
    FindFiles listing = listFolders(folderPath);
    FoundEntry entry;
    while (listing.next(entry)) {
        if (isListedFolder(entry, allowedAttributes))
            return true;
    }
    return false;
}

QStringList listedSubfolders(const QString &folderPath, int allowedAttributes)
{
    QStringList names;
    if (folderPath.isEmpty())
        return names;
    FindFiles listing = listFolders(folderPath);
    FoundEntry entry;
    while (listing.next(entry)) {
        if (isListedFolder(entry, allowedAttributes))
            names.append(entry.name);
    }
    return names;
}

QString nearestExistingFolder(const QString &path, const QString &none)
{
    QString folder = DelSlash(path);
    while (!DirExists(folder)) {
        const qsizetype separator = folder.lastIndexOf(QLatin1Char('\\'));
        if (separator < 0 || folder.size() <= 3)
            return none;
        folder = folder.left(separator == 2 ? 3 : separator);
    }
    return folder;
}
