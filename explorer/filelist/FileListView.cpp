#include "explorer/filelist/FileListView.h"

#include "explorer/shared/DisplayTexts.h"
#include "explorer/shared/DriveUtils.h"
#include "explorer/shared/ExplorerTexts.h"
#include "explorer/filelist/FileListFormat.h"
#include "explorer/filelist/FileListCommands.h"
#include "explorer/filelist/FileListModel.h"
#include "explorer/filelist/FolderListing.h"
#include "explorer/filelist/FolderListingJob.h"
#include "explorer/filelist/FileListParentPicture.h"
#include "explorer/filelist/TZuFilelistView28PopUp.h"
#include "explorer/shared/PopUpMenuKey.h"
#include "explorer/shared/FileTypeCache.h"
#include "explorer/shared/LanguageTables.h"
#include "explorer/shared/PartnerLink.h"
#include "explorer/shared/PathUtils.h"
#include "explorer/shared/ShellFileInfo.h"
#include "explorer/shared/ShellUtils.h"
#include "explorer/shared/SystemImageList.h"
#include "platform/DrivePaths.h"
#include "platform/DriveTable.h"
#include "platform/FileSystem.h"
#include "platform/Errors.h"
#include "platform/FindFiles.h"
#include "platform/NetworkThreads.h"
#include "platform/WaitCursor.h"
#include "text/Ascii.h"

#include "explorer/shared/FileOperationTable.h"
#include "platform/FileClipboard.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDrag>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTimer>

using platform::faDirectory;

namespace {
const QString blank = QStringLiteral(" ");
const QString drivesText = QStringLiteral("DRIVES");
// A folder whose listing ends within this many entries is shown before RefreshList
// returns; a bigger one is shown once read, the window answering meanwhile. The time
// bound only keeps a slow disk or share from holding the window.
constexpr int shownAtOnceEntries = 500;
constexpr int shownAtOnceMilliseconds = 200;

bool isDrivesText(const QString &text)
{
    return ascii::toUpper(text) == drivesText;
}
} // namespace

TZuFilelistView28::TZuFilelistView28(QWidget *parent)
    : QTreeView(parent)
    , m_model(new FileListModel(this))
    , m_header(new FileListHeader(this))
    , m_commands(new FileListCommands(*this))
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
    setEditTriggers(QAbstractItemView::SelectedClicked);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    // The rename re-lists the folder: it runs once the editor has closed.
    connect(m_model, &FileListModel::captionEdited, this, [this](int, const QString &caption) {
        QMetaObject::invokeMethod(this, [this, caption] { Edit(caption); }, Qt::QueuedConnection);
    });
    // The list sorts by its own rule; the view's sorting stays off, the header clickable.
    setSortingEnabled(false);
    m_header->setSectionsClickable(true);
    connect(m_header, &QHeaderView::sectionClicked, this, &TZuFilelistView28::ColumnClick);
    connect(m_model, &QAbstractItemModel::modelReset, this, &TZuFilelistView28::applyColumnWidths);
    connect(&m_watcher, &platform::FolderEntriesWatcher::changed, this, &TZuFilelistView28::rereadChanges);

    SetDateFormat(df_Customize);
    SetTimeFormat(tfShortFormat);
    m_parentImageIndex = parentPictureIndex();
    SetLanguage(lnEnglish);
}

TZuFilelistView28::~TZuFilelistView28()
{
    cancelListing();
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

FolderPartner *TZuFilelistView28::folderPartner(FolderPartner::Kind kind) const
{
    return (kind == FolderPartner::Kind::Tree ? m_dirTree : m_dirTreeCombo).get();
}

void TZuFilelistView28::linkFolderPartner(FolderPartner *partner, FolderPartner::Kind kind)
{
    relinkPartner(
        kind == FolderPartner::Kind::Tree ? m_dirTree : m_dirTreeCombo, partner,
        [this](FolderPartner *other) { return other->listPartner() == this; },
        [this](FolderPartner *other, bool link) { other->linkListPartner(link ? this : nullptr); });
}

QStringList TZuFilelistView28::selectedPaths() const
{
    QStringList paths;
    for (int row : selectedRows())
        paths.append(item(row).path());
    return paths;
}

QStringList TZuFilelistView28::keepSelectedFilesOnly()
{
    QStringList files;
    for (int row : selectedRows()) {
        const FileListItem &entry = item(row);
        if (entry.entryKind != EntryKind::File)
            deselectItem(row);
        else
            files.append(entry.path());
    }
    return files;
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
    rebuildPopUpMenu();
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

void TZuFilelistView28::rebuildPopUpMenu()
{
    delete m_popUp;
    m_popUp = new TZuFilelistView28PopUp(*this);
    m_popUp->Build();
}

bool TZuFilelistView28::popUpAllowed() const
{
    return m_popUpMenuEnabled && m_popUpAutomatic && !isDriveList() && m_popUp;
}

void TZuFilelistView28::contextMenuEvent(QContextMenuEvent *event)
{
    if (!popUpAllowed()) {
        event->ignore();
        return;
    }
    event->accept();
    // Popup shows the menu 10 pixels right of and below the point.
    const QPoint point = event->globalPos();
    m_popUp->Popup(point.x(), point.y());
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
        if (platform::findEntry(fileNamePart(itemPath(row)), entry) && !(entry.attributes & faDirectory))
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

void TZuFilelistView28::showFolder(const QString &path, bool refresh)
{
    // A list that moves reads its new folder anyway; one that stays brings its rows up to
    // date.
    const QString drives = QStringLiteral("Drives");
    const bool stays = path == drives ? m_directory.compare(drives, Qt::CaseInsensitive) == 0 : AddSlash(path) == m_directory;
    if (!(refresh && stays)) {
        SetDirectory(path);
        return;
    }
    // The list's own watch tells it of changes in a folder it watches.
    if (!m_watcher.isWatching() || m_watcher.folder() != m_directory)
        rereadChanges();
}

void TZuFilelistView28::RefreshList()
{
    platform::WaitCursor hourglass;
    cancelListing();
    ListingPlace kept = listingPlace();
    // Watched before it is read: a change in between is not lost. A share's folder is
    // not watched (the watch itself could wait on a silent server).
    const bool watched = !isDriveList() && !platform::isOnNetworkDrive(m_directory);
    m_watcher.setFolder(watched ? m_directory : QString());
    if (isDriveList()) {
        {
            FileListBulkUpdate update(*m_model);
            m_model->clear();
            m_listedTotal = 0;
            // Whatever happens while listing, the sort state ends reset.
            const auto sortByName = qScopeGuard([this] {
                m_order.descending = true;
                ColumnClick(0);
            });
            buildDriveColumns();
            m_sortingEnabled = false;
            std::vector<FileListRow> rows;
            FolderListing listing(listingSettings(), [&rows](FileListRow &&row) { rows.push_back(std::move(row)); });
            FileListContext context;
            listing.ListDrives(DriveTypeNames(), context);
            m_model->setRows(std::move(rows), std::move(context));
            m_popUpAutomatic = false;
        }
        finishListing(kept);
        return;
    }
    m_popUpAutomatic = true;
    if (!m_fileColumnsActive)
        buildFileColumns();
    m_sortingEnabled = true;
    FileListOrder byName = m_order;
    byName.descending = true;
    auto job = std::make_shared<FolderListingJob>(FolderListingRequest{
        listingSettings(), m_directory, m_fileType, m_mask, m_showFolders, clickedOrder(byName, 0)});
    m_listing.start(m_directory, {[job] { job->run(); }, [job] { job->cancel(); },
                                  [this, job, kept] { showListing(*job, kept); },
                                  [this, kept] { giveUpListing(kept); }});
    // A small folder is shown before returning, as if it had been read here.
    if (job->waitBriefly(shownAtOnceEntries, shownAtOnceMilliseconds)) {
        m_listing.deliverNow();
        return;
    }
    {
        FileListBulkUpdate update(*m_model);
        m_model->clear();
        m_listedTotal = 0;
    }
    m_hourglass = std::make_unique<platform::WaitCursor>();
}

void TZuFilelistView28::giveUpListing(const ListingPlace &kept)
{
    m_hourglass.reset();
    finishListing(kept);
    throw platform::Error(noAnswerText());
}

QString TZuFilelistView28::noAnswerText() const
{
    return ListingSession::noAnswerText(m_language, m_directory);
}

bool TZuFilelistView28::isListing() const
{
    return m_listing.isListing();
}

void TZuFilelistView28::whenListed(std::function<void()> then)
{
    m_listing.whenListed(std::move(then));
}

void TZuFilelistView28::cancelListing()
{
    m_listing.cancel();
    m_hourglass.reset();
}

void TZuFilelistView28::showListing(FolderListingJob &job, const ListingPlace &kept)
{
    m_hourglass.reset();
    job.waitUntilDone();
    {
        FileListBulkUpdate update(*m_model);
        FileListContext context;
        std::vector<FileListRow> rows = job.takeRows(context);
        m_model->setRows(std::move(rows), std::move(context));
        m_listedTotal = job.listedTotal();
        m_order = job.order();
        m_header->showArrow(m_order.column, m_order.descending ? SortArrow::Down : SortArrow::Up);
    }
    finishListing(kept);
    raiseListingError(job);
}

void TZuFilelistView28::raiseListingError(const FolderListingJob &job) const
{
    if (job.error())
        std::rethrow_exception(job.error());
    if (job.serverUnreachable())
        throw platform::Error(noAnswerText());
}

void TZuFilelistView28::rereadChanges()
{
    if (isDriveList() || m_listedFolder != m_directory)
        return;
    // A read in progress may have passed the change: another follows it, once.
    if (isListing()) {
        if (std::exchange(m_changesWaitFor, m_listing.generation()) != m_listing.generation())
            whenListed([this] { rereadChanges(); });
        return;
    }
    auto job = std::make_shared<FolderListingJob>(
        FolderListingRequest{listingSettings(), m_directory, m_fileType, m_mask, m_showFolders, m_order});
    m_listing.start(m_directory, {[job] { job->run(); }, [job] { job->cancel(); },
                                  [this, job] { showChanges(*job); },
                                  [this] { throw platform::Error(noAnswerText()); }});
    if (job->waitBriefly(shownAtOnceEntries, shownAtOnceMilliseconds))
        m_listing.deliverNow();
}

void TZuFilelistView28::showChanges(FolderListingJob &job)
{
    job.waitUntilDone();
    FileListContext context;
    std::vector<FileListRow> rows = job.takeRows(context);
    m_listedTotal = job.listedTotal();
    if (!m_model->mergeRows(rows, context, m_order)) {
        const ListingPlace kept = listingPlace();
        m_model->setRows(std::move(rows), std::move(context));
        finishListing(kept);
    }
    raiseListingError(job);
}

void TZuFilelistView28::finishListing(const ListingPlace &kept)
{
    restoreListingPlace(kept);
    if (itemCount() > 0 && !selectionModel()->hasSelection())
        selectionModel()->setCurrentIndex(m_model->index(0, 0), QItemSelectionModel::NoUpdate);
    for (int row = 0; !kept.editedPath.isEmpty() && row < itemCount(); ++row) {
        if (itemPath(row) == kept.editedPath) {
            QTreeView::edit(m_model->index(row, 0), QAbstractItemView::AllEditTriggers, nullptr);
            // The closed editor is deleted later; the new one is the last child.
            const QList<QLineEdit *> editors = viewport()->findChildren<QLineEdit *>();
            if (!editors.isEmpty())
                editors.last()->setText(kept.editedText);
            break;
        }
    }
    platform::processPendingMessages();
}

FolderListingSettings TZuFilelistView28::listingSettings() const
{
    FolderListingSettings settings;
    settings.fileSize = m_fileSize;
    settings.hideFileExt = m_hideFileExt;
    settings.parentDirEnabled = m_parentDirEnabled;
    settings.parentDirCaption = m_parentDirCaption;
    settings.parentImageIndex = m_parentImageIndex;
    settings.datePicture = m_datePicture;
    settings.timePicture = m_timePicture;
    return settings;
}

// A re-listing of the same folder keeps the selected rows that still exist, the
// current row and the scroll position; a listing of another folder starts at the top.
TZuFilelistView28::ListingPlace TZuFilelistView28::listingPlace() const
{
    ListingPlace place;
    place.folder = m_listedFolder;
    for (int row : selectedRows())
        place.selectedPaths.insert(itemPath(row));
    const QModelIndex current = currentIndex();
    if (current.isValid())
        place.currentPath = itemPath(current.row());
    place.scrollValue = verticalScrollBar()->value();
    // An in-place edit survives a re-listing (a folder appearing while a new folder is named).
    if (state() == QAbstractItemView::EditingState && current.isValid()) {
        place.editedPath = itemPath(current.row());
        if (const auto *editor = viewport()->findChild<QLineEdit *>())
            place.editedText = editor->text();
    }
    return place;
}

void TZuFilelistView28::restoreListingPlace(const ListingPlace &place)
{
    m_listedFolder = isDriveList() ? drivesText : m_directory;
    if (place.folder != m_listedFolder)
        return;
    // Selected rows go in as runs of neighbours: one range per run, not per row.
    QItemSelection selection;
    QModelIndex current;
    const int lastColumn = m_model->columnCount() - 1;
    int runStart = -1;
    for (int row = 0; row <= itemCount(); ++row) {
        const QString path = row < itemCount() ? itemPath(row) : QString();
        const bool selected = !path.isEmpty() && place.selectedPaths.contains(path);
        if (selected && runStart < 0)
            runStart = row;
        if (!selected && runStart >= 0) {
            selection.append(QItemSelectionRange(m_model->index(runStart, 0), m_model->index(row - 1, lastColumn)));
            runStart = -1;
        }
        if (!path.isEmpty() && path == place.currentPath)
            current = m_model->index(row, 0);
    }
    if (current.isValid())
        selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    verticalScrollBar()->setValue(place.scrollValue);
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
        m_header->resizeSection(column, fittingWidth(column, columns.at(column).width));
}

// A shown column is at least as wide as its caption, in every language and at every
// resolution; a width of 0 keeps it hidden.
int TZuFilelistView28::fittingWidth(int column, int width) const
{
    return width > 0 ? qMax(width, m_header->sectionSizeHint(column)) : width;
}

void TZuFilelistView28::setFileColumnWidth(int column, int width)
{
    m_columnWidths[column] = width;
    if (m_fileColumnsActive)
        m_header->resizeSection(column, fittingWidth(column, width));
}

FileListOrder TZuFilelistView28::clickedOrder(FileListOrder order, int column)
{
    if (column == order.column) {
        order.descending = !order.descending;
    } else {
        order.column = column;
        order.descending = true;
    }
    return order;
}

void TZuFilelistView28::ColumnClick(int column)
{
    if (!m_sortingEnabled)
        return;
    m_order = clickedOrder(m_order, column);
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
        for (FolderPartner *partner : {m_dirTreeCombo.get(), m_dirTree.get()})
            if (partner)
                partner->followFolder(partner->topCaption());
        SetDirectory(QStringLiteral("Drives"));
        return;
    }
    const QString parent = folderPart(DelSlash(previous));
    showInPartners(parent);
    SetDirectory(parent);
    whenListed([this, previous] {
        for (int row = 0; row < itemCount(); ++row) {
            if (AddSlash(itemPath(row)) == previous) {
                selectItem(row);
                scrollItemIntoView(row);
                Click();
                break;
            }
        }
    });
}

// The partners move first: a rebuild of theirs that runs while the list reads the
// folder then finds them, and leaves the list, on the new folder.
void TZuFilelistView28::showInPartners(const QString &folder)
{
    for (FolderPartner *partner : {m_dirTree.get(), m_dirTreeCombo.get()})
        if (partner)
            partner->followFolder(folder);
}

void TZuFilelistView28::Click()
{
    const int row = selectedIndex();
    if (row < 0)
        return;
    m_selectedItem = itemPath(row);
    emit OnItemChange(this, m_selectedItem);
    emit OnClick(this);
}

void TZuFilelistView28::DblClick()
{
    const int row = selectedIndex();
    if (row < 0 || m_model->caption(row).isEmpty())
        return;
    if (m_shortCuts.DblClickToOpen)
        OpenSelected();
    else if (m_model->row(row).isParent())
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

FileListItem TZuFilelistView28::item(int index) const
{
    return m_model->item(index);
}

QString TZuFilelistView28::itemPath(int index) const
{
    return m_model->path(index);
}

QString TZuFilelistView28::renameItem(int index, const QString &name)
{
    m_model->renameRow(index, name);
    return m_model->path(index);
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
    return row < 0 ? QString() : m_model->caption(row);
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

void TZuFilelistView28::deselectItem(int index)
{
    if (index >= 0 && index < itemCount())
        selectionModel()->select(m_model->index(index, 0), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
}

void TZuFilelistView28::editCaption(int index)
{
    if (index < 0 || index >= itemCount())
        return;
    const QModelIndex caption = m_model->index(index, 0);
    scrollTo(caption);
    QTreeView::edit(caption, QAbstractItemView::AllEditTriggers, nullptr);
}

bool TZuFilelistView28::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (trigger != QAbstractItemView::AllEditTriggers && (trigger & editTriggers())
        && (!index.isValid() || !CanEdit(index.row())))
        return false;
    return QTreeView::edit(index, trigger, event);
}

void TZuFilelistView28::showFoundEntry(const QString &path)
{
    const QString folder = folderPart(path);
    showInPartners(folder);
    SetDirectory(folder);
    whenListed([this, path] {
        for (int row = 0; row < itemCount(); ++row) {
            if (itemPath(row) == path) {
                selectItem(row);
                scrollItemIntoView(row);
                Click();
                return;
            }
        }
    });
}

void TZuFilelistView28::CutCopy(int operation)
{
    m_commands->CutCopy(operation);
}

void TZuFilelistView28::Paste()
{
    m_commands->Paste();
}

void TZuFilelistView28::DeleteSelected()
{
    m_commands->DeleteSelected();
}

void TZuFilelistView28::BeginRename()
{
    m_commands->BeginRename();
}

bool TZuFilelistView28::CanEdit(int row)
{
    return m_commands->CanEdit(row);
}

void TZuFilelistView28::Edit(const QString &newCaption)
{
    m_commands->Edit(newCaption);
}

void TZuFilelistView28::NewFolder()
{
    m_commands->NewFolder();
}

void TZuFilelistView28::ViewSelected()
{
    m_commands->ViewSelected();
}

void TZuFilelistView28::FindFile()
{
    m_commands->FindFile();
}

void TZuFilelistView28::bindKeysWithoutSelection()
{
    const auto bindKey = [this](TZuListViewAction which, const std::function<bool()> &wanted) {
        auto *key = new QAction(this);
        key->setObjectName(m_commands->action(which)->objectName() + QStringLiteral("Key"));
        key->setShortcut(keySequenceOf(m_shortCuts.shortCutOf(which)));
        key->setShortcutContext(Qt::WidgetShortcut);
        connect(key, &QAction::triggered, this, [this, which, wanted] {
            if (wanted())
                m_commands->action(which)->trigger();
        });
        addAction(key);
    };
    // addresses the clipboard holds but a paste refuses count: the paste says why
    bindKey(vaPaste, [this] { return m_commands->canPaste(); });
    bindKey(vaNewFolder, [this] { return !isDriveList(); });
}

bool TZuFilelistView28::KeyDown(int Key, TShortCut Shift)
{
    const TShortCut pressed = TShortCut((Key & 0xFF) | Shift);
    const auto fire = [this, pressed](TZuListViewAction action) {
        if (m_shortCuts.fires(action, pressed))
            m_commands->action(action)->trigger();
    };
    if (selectedIndex() >= 0) {
        fire(vaCopy);
        fire(vaCut);
        fire(vaOpen);
        fire(vaView);
        fire(vaDelete);
        fire(vaRename);
        if (m_commands->canPaste())
            fire(vaPaste);
        if (!isDriveList())
            fire(vaNewFolder);
    }
    fire(vaBack);
    fire(vaFindFile);
    fire(vaRefresh);
    fire(vaSelectAll);
    if (Key == vkReturn && m_shortCuts.Actions.contains(vaOpen) && m_shortCuts.OpenWithEnter)
        OpenSelected();
    if (Key == vkDelete && Shift == scShift) {
        if (selectedIndex() < 0)
            return true;
        m_commands->permanentDeleteAction()->trigger();
    }
    // F4 drops a linked combo's tree down or closes it, Escape closes it; without a
    // combo both end here.
    if (FolderPartner *combo = m_dirTreeCombo.get(); (Key == vkF4 || Key == vkEscape) && combo) {
        if (Key == vkF4 || combo->isDroppedDown())
            combo->toggleDropDown();
        return Key == vkF4;
    }
    return Key == vkF4 || Key == vkEscape;
}

void TZuFilelistView28::keyPressEvent(QKeyEvent *event)
{
    if (state() == QAbstractItemView::EditingState) {
        QTreeView::keyPressEvent(event);
        return;
    }
    // The menu key and Shift+F10 open the pop-up menu at the current row.
    if (isPopUpMenuKey(event)) {
        const QRect row = visualRect(currentIndex());
        sendKeyboardContextMenu(this, currentIndex().isValid() ? row.bottomLeft() : QPoint(0, 0));
        event->accept();
        return;
    }
    if (KeyDown(virtualKeyOf(event->key()), shiftBitsOf(event->modifiers()))) {
        event->accept();
        return;
    }
    // The view's own Copy would put the caption text on the clipboard in place of the files.
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Cut)) {
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void TZuFilelistView28::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        DragOperation = (event->modifiers() & Qt::ControlModifier) ? opCopy : opMove;
    QTreeView::mousePressEvent(event);
}

void TZuFilelistView28::startDrag(Qt::DropActions)
{
    QStringList natives;
    for (int row : selectedRows()) {
        if (!m_model->row(row).isParent() && m_model->row(row).kind != EntryKind::Drive)
            natives.append(platform::toNativePath(itemPath(row)));
    }
    if (natives.isEmpty())
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(platform::fileListMimeData(natives, false));
    drag->exec(Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction);
}

bool TZuFilelistView28::acceptsDrop(const QDropEvent *event) const
{
    return event->source() != this && !isDriveList()
           && !platform::filesOfMimeData(event->mimeData()).nativePaths.isEmpty();
}

void TZuFilelistView28::dragEnterEvent(QDragEnterEvent *event)
{
    if (acceptsDrop(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TZuFilelistView28::dragMoveEvent(QDragMoveEvent *event)
{
    if (acceptsDrop(event)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TZuFilelistView28::dropEvent(QDropEvent *event)
{
    if (!acceptsDrop(event)) {
        event->ignore();
        return;
    }
    QStringList dropped;
    for (const QString &native : platform::filesOfMimeData(event->mimeData()).nativePaths)
        dropped.append(platform::toDrivePath(native));
    event->setDropAction(Qt::CopyAction);
    event->accept();
    // The copy runs after the drop has returned to the other program.
    QMetaObject::invokeMethod(this, [this, dropped] { m_commands->dropFiles(dropped); }, Qt::QueuedConnection);
}
