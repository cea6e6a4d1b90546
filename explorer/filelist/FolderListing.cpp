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
    if (m_folder.isEmpty())
        m_folder = folderPart(pattern);
    m_serverUnreachable = m_serverUnreachable || find.serverUnreachable();
    const int refused = (faReadOnly | faHidden | faSystem) & ~mask;
    bool added = false;
    platform::FoundEntry entry;
    while (!cancelled() && find.next(entry)) {
        m_entriesSeen.fetch_add(1, std::memory_order_relaxed);
        if ((entry.attributes & faDirectory) != (mask & faDirectory) || (entry.attributes & refused) ||
            platform::isInternalTemporaryName(entry.name))
            continue;
        const bool parent = entry.name == QLatin1String("..");
        if (entry.name == QLatin1String(".") || (parent && !m_settings.parentDirEnabled))
            continue;
        m_sink(entryRow(entry));
        m_listedTotal += entry.size;
        added = true;
    }
    return added;
}

FileListRow FolderListing::entryRow(const platform::FoundEntry &entry)
{
    const bool isFolder = entry.attributes & faDirectory;
    FileListRow row;
    row.name = entry.name;
    row.size = entry.size;
    row.lastWriteTime = entry.lastWriteTime;
    row.attributes = quint8(entry.attributes & 0xFF);
    row.kind = isFolder ? EntryKind::Folder : EntryKind::File;
    if (row.isParent())
        row.imageIndex = m_settings.parentImageIndex;
    else
        row.typeSlot = quint16(typeSlotOf(entry.name, isFolder));
    return row;
}

int FolderListing::typeSlotOf(const QString &name, bool isFolder)
{
    if (isFolder)
        return 0;
    const QString key = fileTypeKey(name);
    const auto known = m_typeSlots.constFind(key);
    if (known != m_typeSlots.cend())
        return known.value();
    // Past the slots a row can name, further types share the last one's name.
    if (m_typeSamples.size() > 0xFFFF)
        return 0xFFFF;
    const int slot = int(m_typeSamples.size());
    m_typeSamples.append(name);
    m_typeSlots.insert(key, slot);
    return slot;
}

FileListContext FolderListing::context() const
{
    FileListContext context;
    context.folder = m_folder;
    context.fileSize = m_settings.fileSize;
    context.hideFileExt = m_settings.hideFileExt;
    context.parentCaption = m_settings.parentDirCaption;
    context.datePicture = m_settings.datePicture;
    context.timePicture = m_settings.timePicture;
    return context;
}

void FolderListing::applyShellTypes(std::vector<FileListRow> &rows, FileListContext &context) const
{
    std::vector<int> icons;
    icons.reserve(size_t(m_typeSamples.size()));
    context.typeNames.clear();
    context.typeNames.reserve(size_t(m_typeSamples.size()));
    for (qsizetype slot = 0; slot < m_typeSamples.size(); ++slot) {
        const ShellFileEntry info = cachedShellFileEntry(m_typeSamples.at(slot), slot == 0);
        icons.push_back(info.iconIndex);
        context.typeNames.push_back(typeColumnText(info.typeName));
    }
    for (FileListRow &row : rows) {
        if (!row.isParent() && row.typeSlot < icons.size())
            row.imageIndex = icons[row.typeSlot];
    }
}

void FolderListing::ListDrives(const QStringList &driveTypeNames, FileListContext &context)
{
    for (const platform::DriveInfo &drive : platform::refreshDrives()) {
        const QString root = QString(drive.letter) + QStringLiteral(":\\");
        const bool unqueried = drive.kind == platform::DriveKind::Removable || drive.kind == platform::DriveKind::CdRom;
        FileListRow row;
        row.name = root;
        row.kind = EntryKind::Drive;
        row.imageIndex = SmallIconIndex(root);
        row.typeSlot = quint16(context.driveTexts.size());
        context.driveTexts.push_back({driveCaption(drive.letter, shellDisplayName(root)),
                                      driveTypeNames.value(int(drive.kind)),
                                      driveSizeText(unqueried ? 0 : DiskSizeKB(root)),
                                      driveSizeText(unqueried ? 0 : DiskFreeKB(root))});
        m_sink(std::move(row));
    }
}
