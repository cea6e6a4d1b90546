#include "explorer/shared/DirTreeFolders.h"

#include "explorer/shared/PathUtils.h"
#include "platform/FileSystem.h"
#include "platform/FindFiles.h"

#include <QtConcurrent/QtConcurrentMap>

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

namespace {
// The next listed subfolder's name. With read-only folders listed, the name alone
// decides (hidden or not): the folders need not be examined.
bool nextListedName(FindFiles &listing, int allowedAttributes, QString &name)
{
    if (allowedAttributes & platform::faReadOnly) {
        const bool hiddenListed = allowedAttributes & platform::faHidden;
        while (listing.nextFolderName(name)) {
            if (hiddenListed || !name.startsWith(QLatin1Char('.')))
                return true;
        }
        return false;
    }
    FoundEntry entry;
    while (listing.next(entry)) {
        if (isListedFolder(entry, allowedAttributes)) {
            name = entry.name;
            return true;
        }
    }
    return false;
}

bool holdsListedFolder(FindFiles &listing, int allowedAttributes)
{
    QString name;
    return nextListedName(listing, allowedAttributes, name);
}
} // namespace

bool hasListedSubfolder(const QString &folderPath, int allowedAttributes)
{
    if (folderPath.isEmpty())
        return false;
    FindFiles listing = listFolders(folderPath);
    return holdsListedFolder(listing, allowedAttributes);
}

SubfolderListing listSubfolders(const QString &folderPath, int allowedAttributes, bool probe, bool sideBySide,
                                const std::atomic<bool> *cancelled)
{
    SubfolderListing found;
    if (folderPath.isEmpty())
        return found;
    FindFiles listing = listFolders(folderPath);
    for (QString name; nextListedName(listing, allowedAttributes, name);)
        found.names.append(name);
    const auto probeOne = [&listing, allowedAttributes, probe, cancelled](const QString &name) {
        if (!probe || (cancelled && *cancelled))
            return true;
        FindFiles subfolder(listing, name, EntryKinds::Subfolders);
        return holdsListedFolder(subfolder, allowedAttributes);
    };
    constexpr qsizetype sideBySideFrom = 64;
    if (sideBySide && probe && found.names.size() >= sideBySideFrom) {
        found.expandable = QtConcurrent::blockingMapped<QList<bool>>(found.names, probeOne);
    } else {
        found.expandable.reserve(found.names.size());
        for (const QString &name : std::as_const(found.names))
            found.expandable.append(probeOne(name));
    }
    return found;
}

QStringList listedSubfolders(const QString &folderPath, int allowedAttributes)
{
    QStringList names;
    if (folderPath.isEmpty())
        return names;
    FindFiles listing = listFolders(folderPath);
    for (QString name; nextListedName(listing, allowedAttributes, name);)
        names.append(name);
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
