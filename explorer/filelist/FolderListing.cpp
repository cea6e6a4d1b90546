#include "explorer/filelist/FolderListing.h"

#include "explorer/filelist/FileListFormat.h"
#include "explorer/shared/DisplayTexts.h"
#include "explorer/shared/DriveUtils.h"
#include "explorer/shared/FileTypeCache.h"
#include "explorer/shared/PathUtils.h"
#include "explorer/shared/ShellFileInfo.h"
#include "text/Ascii.h"
#include "platform/DriveTable.h"
#include "platform/FileSystem.h"
#include "platform/FindFiles.h"
#include "platform/InternalFiles.h"

using platform::faDirectory;
using platform::faHidden;
using platform::faReadOnly;
using platform::faSystem;

namespace {
const QString blank = QStringLiteral(" ");

// Shared type names keep one buffer however many rows show them.
QString typeColumnText(const QString &typeName)
{
    return typeName.size() > 80 ? typeName.left(80) : typeName;
}
} // namespace

FolderListing::FolderListing(const FolderListingSettings &settings, RowSink sink)
    : m_settings(settings)
    , m_sink(std::move(sink))
{
}

void FolderListing::listFolder(const QString &folder, TFileType fileType, const QString &mask, bool showFolders)
{
    m_folder = AddSlash(folder);
    const int attributeMask = attributeBitsOf(fileType);
    if (showFolders)
        AddEntries(m_folder + QStringLiteral("*.*"), attributeMask + faDirectory);
    QString patterns = ascii::trimmed(mask);
    if (patterns.isEmpty())
        patterns = QStringLiteral("*.*");
    for (const QString &pattern : patterns.split(QLatin1Char(';')))
        AddEntries(m_folder + pattern, attributeMask);
}

bool FolderListing::AddEntries(const QString &pattern, int mask)
{
    const bool folders = mask & faDirectory;
    platform::FindFiles find(pattern, folders ? platform::EntryKinds::FoldersOnly : platform::EntryKinds::NonFolders);
    const QString folder = m_folder.isEmpty() ? folderPart(pattern) : m_folder;
    const int refused = (faReadOnly | faHidden | faSystem) & ~mask;
    bool added = false;
    platform::FoundEntry entry;
    while (find.next(entry)) {
        if ((entry.attributes & faDirectory) != (mask & faDirectory) || (entry.attributes & refused) ||
            platform::isInternalTemporaryName(entry.name))
            continue;
        const bool parent = entry.name == QLatin1String("..");
        if (entry.name == QLatin1String(".") || (parent && !m_settings.parentDirEnabled))
            continue;
        m_sink(parent ? parentItem(folder, entry) : entryItem(folder, entry));
        m_listedTotal += entry.size;
        added = true;
    }
    return added;
}

FileListItem FolderListing::entryItem(const QString &folder, const platform::FoundEntry &entry) const
{
    const bool isFolder = entry.attributes & faDirectory;
    const ShellFileEntry info = cachedShellFileEntry(entry.name, isFolder);
    const qsizetype dot = m_settings.hideFileExt ? entry.name.lastIndexOf(QLatin1Char('.')) : -1;
    FileListItem item;
    item.caption = dot < 0 ? entry.name : entry.name.left(dot);
    item.imageIndex = info.iconIndex;
    item.folder = folder;
    item.name = entry.name;
    item.entryKind = isFolder ? EntryKind::Folder : EntryKind::File;
    if (m_settings.fileSize == fsKB)
        item.columnTexts[siSize] = SizeToKBText(item.kind(), entry.size);
    else
        item.columnTexts[siSize] = isFolder ? blank : QString::number(entry.size);
    item.columnTexts[siType] = typeColumnText(info.typeName);
    item.columnTexts[siModified] = FileTimeToText(entry.lastWriteTime, m_settings.datePicture, m_settings.timePicture);
    item.columnTexts[siAttributes] = attributeLetters(entry.attributes);
    item.sortValue = fileTimeSortValue(entry.lastWriteTime);
    return item;
}

FileListItem FolderListing::parentItem(const QString &folder, const platform::FoundEntry &entry) const
{
    FileListItem item;
    item.caption = m_settings.parentDirCaption;
    item.imageIndex = m_settings.parentImageIndex;
    item.columnTexts.fill(blank);
    item.folder = folder;
    item.name = entry.name;
    item.entryKind = EntryKind::Folder;
    item.sortValue = fileTimeSortValue(entry.lastWriteTime);
    return item;
}

void FolderListing::ListDrives(const QStringList &driveTypeNames)
{
    for (const platform::DriveInfo &drive : platform::refreshDrives()) {
        const QString root = QString(drive.letter) + QStringLiteral(":\\");
        const bool unqueried = drive.kind == platform::DriveKind::Removable || drive.kind == platform::DriveKind::CdRom;
        FileListItem item;
        item.caption = driveCaption(drive.letter, shellDisplayName(root));
        item.imageIndex = SmallIconIndex(root);
        item.columnTexts[siSize] = driveTypeNames.value(int(drive.kind));
        item.columnTexts[siType] = driveSizeText(unqueried ? 0 : DiskSizeKB(root));
        item.columnTexts[siModified] = driveSizeText(unqueried ? 0 : DiskFreeKB(root));
        item.name = root;
        item.entryKind = EntryKind::Drive;
        m_sink(std::move(item));
    }
}
