#include "explorer/FileListView.h"

#include "explorer/DirTree.h"
#include "explorer/DisplayTexts.h"
#include "explorer/DriveUtils.h"
#include "explorer/ExplorerTexts.h"
#include "explorer/FileListFormat.h"
#include "explorer/FileListModel.h"
#include "explorer/FileListParentPicture.h"
#include "explorer/FileTypeCache.h"
#include "explorer/LanguageTables.h"
#include "explorer/PartnerLink.h"
#include "explorer/PathUtils.h"
#include "explorer/ShellFileInfo.h"
#include "explorer/ShellUtils.h"
#include "explorer/SystemImageList.h"
#include "explorer/TZuDirTreeCombo28.h"
#include "platform/DrivePaths.h"
#include "platform/DriveTable.h"
#include "platform/FileSystem.h"
#include "platform/FindFiles.h"
#include "platform/InternalFiles.h"
#include "platform/WaitCursor.h"
#include "text/Ascii.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopeGuard>

using platform::faDirectory;
using platform::faHidden;
using platform::faReadOnly;
using platform::faSystem;

namespace {
const QString blank = QStringLiteral(" ");
const QString drivesText = QStringLiteral("DRIVES");

bool isDrivesText(const QString &text)
{
    return ascii::toUpper(text) == drivesText;
}

// Shared type names keep one buffer however many rows show them.
QString typeColumnText(const QString &typeName)
{
    return typeName.size() > 80 ? typeName.left(80) : typeName;
}
} // namespace

TZuFilelistView28::TZuFilelistView28(QWidget *parent)
    : QTreeView(parent)
    , m_model(new FileListModel(this))
    , m_header(new FileListHeader(this))
{
    setHeader(m_header);
    setModel(m_model);
    m_model->setIconLookup([](int index) { return SystemImageList::instance().icon(index); });
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The list sorts by its own rule; the view's sorting stays off, the header clickable.
    setSortingEnabled(false);
    m_header->setSectionsClickable(true);
    connect(m_header, &QHeaderView::sectionClicked, this, &TZuFilelistView28::ColumnClick);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TZuFilelistView28::applyColumnWidths);

    SetDateFormat(df_Customize);
    SetTimeFormat(tfShortFormat);
    m_parentImageIndex = parentPictureIndex();
    SetLanguage(lnEnglish);
}

TZuFilelistView28::~TZuFilelistView28()
{
    SetDirTree(nullptr);
    SetDirTreeCombo(nullptr);
}

void TZuFilelistView28::SetDateFormat(TDtFormat format)
{
    m_dateFormat = format;
    m_datePicture = datePicture(format);
}

void TZuFilelistView28::SetTimeFormat(TTmFormat format)
{
    m_timeFormat = format;
    m_timePicture = timePicture(format);
}

void TZuFilelistView28::SetDirectory(const QString &value)
{
    const bool drives = isDrivesText(value);
    if (drives ? isDrivesText(m_directory) : value == m_directory)
        return;
    if (drives) {
        m_directory = value;
    } else {
        if (!DirExists(value))
            return;
        m_directory = AddSlash(value);
        platform::setCurrentFolder(m_directory);
    }
    RefreshList();
}

TZuDirTreeCombo28 *TZuFilelistView28::DirTreeCombo() const
{
    return m_dirTreeCombo;
}

TZuDirTree21 *TZuFilelistView28::DirTree() const
{
    return m_dirTree;
}

void TZuFilelistView28::SetDirTreeCombo(TZuDirTreeCombo28 *combo)
{
    relinkPartner(m_dirTreeCombo, combo, this, &TZuDirTreeCombo28::FileList, &TZuDirTreeCombo28::SetFileList);
}

void TZuFilelistView28::SetDirTree(TZuDirTree21 *tree)
{
    relinkPartner(m_dirTree, tree, this, &TZuDirTree21::FileList, &TZuDirTree21::SetFileList);
}

qint64 TZuFilelistView28::DriveFreeSpace() const
{
    if (isDriveList() || m_directory.isEmpty())
        return 0;
    return DiskFreeKB(m_directory.left(1) + QStringLiteral(":\\"));
}

void TZuFilelistView28::SetFileType(TFileType type)
{
    if (type == m_fileType)
        return;
    m_fileType = type;
    RefreshList();
}

void TZuFilelistView28::SetLanguage(TLanguage language)
{
    const TLanguage resolved = ResolveLanguage(language);
    if (resolved == m_language)
        return;
    m_language = resolved;
    ListTextLanguage = resolved;
    LoadListTexts();
    SetPopUpMenuEnabled(true);
    // The columns of what is listed, in the new language.
    if (m_fileColumnsActive || m_model->columns().isEmpty())
        buildFileColumns();
    else
        buildDriveColumns();
}

void TZuFilelistView28::SetMask(const QString &mask)
{
    if (mask == m_mask)
        return;
    m_mask = mask;
    RefreshList();
}

void TZuFilelistView28::SetParentDirCaption(const QString &caption)
{
    const QString trimmedCaption = ascii::trimmed(caption);
    if (!ascii::equalsIgnoringCase(trimmedCaption, ascii::trimmed(m_parentDirCaption)))
        m_parentDirCaption = blank + trimmedCaption;
}

void TZuFilelistView28::SetPopUpMenuEnabled(bool enabled)
{
    m_popUpMenuEnabled = enabled;
    if (!enabled)
        releaseMouse();
}

int TZuFilelistView28::SelectedNumber() const
{
    const qsizetype selected = selectedRows().size();
    return selected > 0 ? int(selected) : itemCount();
}

qint64 TZuFilelistView28::SelectedSize() const
{
    qint64 total = 0;
    for (int row : selectedRows()) {
        platform::FoundEntry entry;
        if (platform::findEntry(fileNamePart(item(row).path()), entry) && !(entry.attributes & faDirectory))
            total += entry.size;
    }
    return total;
}

void TZuFilelistView28::SetShowFolders(bool show)
{
    if (show == m_showFolders)
        return;
    m_showFolders = show;
    RefreshList();
}

bool TZuFilelistView28::isDriveList() const
{
    return isDrivesText(m_directory);
}

void TZuFilelistView28::RefreshList()
{
    platform::WaitCursor hourglass;
    {
        FileListBulkUpdate update(*m_model);
        m_model->clear();
        m_listedTotal = 0;
        // Whatever happens while listing, the rows end sorted by the name rule.
        const auto sortByName = qScopeGuard([this] {
            m_order.descending = true;
            ColumnClick(0);
        });
        if (!isDriveList()) {
            m_popUpAutomatic = true;
            if (!m_fileColumnsActive)
                buildFileColumns();
            const int mask = attributeBitsOf(m_fileType);
            const QString folder = AddSlash(m_directory);
            if (m_showFolders)
                AddEntries(folder + QStringLiteral("*.*"), mask + faDirectory);
            QString patterns = ascii::trimmed(m_mask);
            if (patterns.isEmpty())
                patterns = QStringLiteral("*.*");
            for (const QString &pattern : patterns.split(QLatin1Char(';')))
                AddEntries(folder + pattern, mask);
        } else {
            buildDriveColumns();
            ListDrives();
            m_popUpAutomatic = false;
        }
    }
    if (itemCount() > 0 && !selectionModel()->hasSelection())
        selectionModel()->setCurrentIndex(m_model->index(0, 0), QItemSelectionModel::NoUpdate);
    platform::processPendingMessages();
}

bool TZuFilelistView28::AddEntries(const QString &pattern, int mask)
{
    m_sortingEnabled = true;
    const bool folders = mask & faDirectory;
    platform::FindFiles find(pattern, folders ? platform::EntryKinds::FoldersOnly : platform::EntryKinds::NonFolders);
    const QString folder = AddSlash(m_directory);
    const int refused = (faReadOnly | faHidden | faSystem) & ~mask;
    bool added = false;
    platform::FoundEntry entry;
    while (find.next(entry)) {
        if ((entry.attributes & faDirectory) != (mask & faDirectory) || (entry.attributes & refused) ||
            platform::isInternalTemporaryName(entry.name))
            continue;
        const bool parent = entry.name == QLatin1String("..");
        if (entry.name == QLatin1String(".") || (parent && !m_parentDirEnabled))
            continue;
        m_model->append(parent ? parentItem(folder, entry) : entryItem(folder, entry));
        m_listedTotal += entry.size;
        added = true;
    }
    return added;
}

FileListItem TZuFilelistView28::entryItem(const QString &folder, const platform::FoundEntry &entry) const
{
    const bool isFolder = entry.attributes & faDirectory;
    const ShellFileEntry info = cachedShellFileEntry(entry.name, isFolder);
    const qsizetype dot = m_hideFileExt ? entry.name.lastIndexOf(QLatin1Char('.')) : -1;
    FileListItem item;
    item.caption = dot < 0 ? entry.name : entry.name.left(dot);
    item.imageIndex = info.iconIndex;
    item.folder = folder;
    item.name = entry.name;
    item.entryKind = isFolder ? EntryKind::Folder : EntryKind::File;
    if (m_fileSize == fsKB)
        item.columnTexts[siSize] = SizeToKBText(item.kind(), entry.size);
    else
        item.columnTexts[siSize] = isFolder ? blank : QString::number(entry.size);
    item.columnTexts[siType] = typeColumnText(info.typeName);
    item.columnTexts[siModified] = FileTimeToText(entry.lastWriteTime, m_datePicture, m_timePicture);
    item.columnTexts[siAttributes] = attributeLetters(entry.attributes);
    item.sortValue = fileTimeSortValue(entry.lastWriteTime);
    return item;
}

FileListItem TZuFilelistView28::parentItem(const QString &folder, const platform::FoundEntry &entry) const
{
    FileListItem item;
    item.caption = m_parentDirCaption;
    item.imageIndex = m_parentImageIndex;
    item.columnTexts.fill(blank);
    item.folder = folder;
    item.name = entry.name;
    item.entryKind = EntryKind::Folder;
    item.sortValue = fileTimeSortValue(entry.lastWriteTime);
    return item;
}

void TZuFilelistView28::ListDrives()
{
    m_sortingEnabled = false;
    const QStringList typeNames = DriveTypeNames();
    for (const platform::DriveInfo &drive : platform::refreshDrives()) {
        const QString root = QString(drive.letter) + QStringLiteral(":\\");
        const bool unqueried = drive.kind == platform::DriveKind::Removable || drive.kind == platform::DriveKind::CdRom;
        FileListItem item;
        item.caption = driveCaption(drive.letter, shellDisplayName(root));
        item.imageIndex = SmallIconIndex(root);
        item.columnTexts[siSize] = typeNames.value(int(drive.kind));
        item.columnTexts[siType] = driveSizeText(unqueried ? 0 : DiskSizeKB(root));
        item.columnTexts[siModified] = driveSizeText(unqueried ? 0 : DiskFreeKB(root));
        item.name = root;
        item.entryKind = EntryKind::Drive;
        m_model->append(std::move(item));
    }
}

void TZuFilelistView28::buildFileColumns()
{
    static const Qt::Alignment alignments[5] = {Qt::AlignLeft, Qt::AlignRight, Qt::AlignLeft, Qt::AlignLeft,
                                                Qt::AlignLeft};
    buildColumns(FileColumnCaptions(m_language), m_columnWidths, alignments);
    m_fileColumnsActive = true;
}

void TZuFilelistView28::buildDriveColumns()
{
    static const int widths[5] = {160, 110, 90, 90, 40};
    static const Qt::Alignment alignments[5] = {Qt::AlignLeft, Qt::AlignLeft, Qt::AlignRight, Qt::AlignRight,
                                                Qt::AlignLeft};
    buildColumns(DriveColumnCaptions(m_language), widths, alignments);
    m_fileColumnsActive = false;
}

void TZuFilelistView28::buildColumns(const QStringList &captions, const int (&widths)[5],
                                     const Qt::Alignment (&alignments)[5])
{
    QList<FileListColumn> columns;
    for (int column = 0; column < 5; ++column)
        columns.append({captions.value(column), widths[column], alignments[column]});
    m_header->showArrow(-1, SortArrow::None);
    m_columnsRebuilt = true;
    m_model->setColumns(columns);
}

// New columns take their widths once the header has them.
void TZuFilelistView28::applyColumnWidths()
{
    if (!m_columnsRebuilt)
        return;
    m_columnsRebuilt = false;
    const QList<FileListColumn> &columns = m_model->columns();
    for (int column = 0; column < columns.size(); ++column)
        m_header->resizeSection(column, columns.at(column).width);
}

void TZuFilelistView28::setFileColumnWidth(int column, int width)
{
    m_columnWidths[column] = width;
    if (m_fileColumnsActive)
        m_header->resizeSection(column, width);
}

void TZuFilelistView28::ColumnClick(int column)
{
    if (!m_sortingEnabled)
        return;
    if (column == m_order.column) {
        m_order.descending = !m_order.descending;
    } else {
        m_order.column = column;
        m_order.descending = true;
    }
    m_model->sort(m_order);
    m_header->showArrow(column, m_order.descending ? SortArrow::Down : SortArrow::Up);
}

void TZuFilelistView28::OpenSelected()
{
    platform::WaitCursor hourglass;
    const int row = selectedIndex();
    if (row < 0)
        return;
    const FileListItem selected = item(row);
    if (selected.isParent()) {
        GoUp();
        return;
    }
    if (selected.entryKind == EntryKind::File) {
        ExecuteFile(QStringLiteral("Open"), selected.path(), QString(), folderPart(selected.path()), 5);
        return;
    }
    const QString path = AddSlash(selected.path());
    if (selected.entryKind == EntryKind::Drive && platform::driveKind(path.at(0)) == platform::DriveKind::Removable
        && !DriveReady(path.at(0), true))
        return;
    showInPartners(path);
    SetDirectory(path);
}

void TZuFilelistView28::GoUp()
{
    if (isDriveList())
        return;
    platform::WaitCursor hourglass;
    const QString previous = AddSlash(m_directory);
    if (previous.size() >= 2 && previous.at(previous.size() - 2) == QLatin1Char(':')) {
        if (m_dirTreeCombo)
            m_dirTreeCombo->OpenPath(m_dirTreeCombo->topNodeCaption());
        if (m_dirTree)
            m_dirTree->OpenPath(m_dirTree->topNodeCaption());
        SetDirectory(QStringLiteral("Drives"));
        return;
    }
    const QString parent = folderPart(DelSlash(previous));
    showInPartners(parent);
    SetDirectory(parent);
    for (int row = 0; row < itemCount(); ++row) {
        if (AddSlash(item(row).path()) == previous) {
            selectItem(row);
            scrollItemIntoView(row);
            Click();
            break;
        }
    }
}

// The partners move first: a rebuild of theirs that runs while the list reads the
// folder then finds them, and leaves the list, on the new folder.
void TZuFilelistView28::showInPartners(const QString &folder)
{
    if (m_dirTree)
        m_dirTree->OpenPath(folder);
    if (m_dirTreeCombo)
        m_dirTreeCombo->OpenPath(folder);
}

void TZuFilelistView28::Click()
{
    const int row = selectedIndex();
    if (row < 0)
        return;
    m_selectedItem = item(row).path();
    emit OnItemChange(this, m_selectedItem);
    emit OnClick(this);
}

void TZuFilelistView28::DblClick()
{
    const int row = selectedIndex();
    if (row < 0 || item(row).caption.isEmpty())
        return;
    if (m_shortCuts.DblClickToOpen)
        OpenSelected();
    else if (item(row).isParent())
        GoUp();
    else
        emit OnDblClick(this);
}

void TZuFilelistView28::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        Click();
}

void TZuFilelistView28::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTreeView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        DblClick();
}

void TZuFilelistView28::keyReleaseEvent(QKeyEvent *event)
{
    QTreeView::keyReleaseEvent(event);
    if (!event->isAutoRepeat() && (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down))
        Click();
}

int TZuFilelistView28::itemCount() const
{
    return m_model->count();
}

const FileListItem &TZuFilelistView28::item(int index) const
{
    return m_model->item(index);
}

QString TZuFilelistView28::renameItem(int index, const QString &name)
{
    m_model->renameRow(index, name);
    return m_model->item(index).path();
}

QList<int> TZuFilelistView28::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int TZuFilelistView28::selectedIndex() const
{
    const QList<int> rows = selectedRows();
    return rows.isEmpty() ? -1 : rows.first();
}

QString TZuFilelistView28::selectedCaption() const
{
    const int row = selectedIndex();
    return row < 0 ? QString() : item(row).caption;
}

void TZuFilelistView28::selectItem(int index)
{
    if (index < 0 || index >= itemCount())
        return;
    selectionModel()->setCurrentIndex(m_model->index(index, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TZuFilelistView28::scrollItemIntoView(int index)
{
    if (index >= 0 && index < itemCount())
        scrollTo(m_model->index(index, 0), QAbstractItemView::EnsureVisible);
}

void TZuFilelistView28::setNameColumnWidth(int width)
{
    m_header->resizeSection(0, width);
}

void TZuFilelistView28::SetMultiSelect(bool multiSelect)
{
    setSelectionMode(multiSelect ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}
