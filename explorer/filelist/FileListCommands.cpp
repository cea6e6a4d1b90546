#include "explorer/filelist/FileListCommands.h"

#include "explorer/filelist/FileListView.h"
#include "explorer/filelist/FindFileWindow.h"
#include "explorer/shared/ExplorerDialogs.h"
#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/FileOperationTable.h"
#include "explorer/shared/LanguageTables.h"
#include "explorer/shared/PathUtils.h"
#include "explorer/shared/ShellUtils.h"
#include "naming/TKestrava.h"
#include "text/Ascii.h"
#include "platform/DrivePaths.h"
#include "platform/FileClipboard.h"
#include "platform/FileCommands.h"
#include "platform/FileSearchTool.h"
#include "platform/FileSystem.h"
#include "platform/WaitCursor.h"

#include <QAction>
#include <QScopeGuard>

namespace {
const char *const actionNames[] = {"actCopy",        "actPaste",  "actCut",  "actOpen",   "actView",
                                   "actNewFolder",   "actSelectAll", "actDelete", "actBack", "actRename",
                                   "actFindFile",    "actRefresh"};

QStringList nativePathsOf(const QStringList &paths)
{
    QStringList natives;
    for (const QString &path : paths)
        natives.append(platform::toNativePath(path));
    return natives;
}
} // namespace

FileListCommands::FileListCommands(TZuFilelistView28 &list)
    : QObject(&list)
    , m_list(list)
    , m_permanentDelete(new QAction(this))
{
    for (int which = vaCopy; which <= vaRefresh; ++which) {
        m_actions[which] = new QAction(this);
        m_actions[which]->setObjectName(QLatin1String(actionNames[which]));
    }
    m_permanentDelete->setObjectName(QStringLiteral("actDeletePermanently"));
    connect(m_actions[vaCopy], &QAction::triggered, this, [this] { CutCopy(opCopy); });
    connect(m_actions[vaCut], &QAction::triggered, this, [this] { CutCopy(opMove); });
    connect(m_actions[vaPaste], &QAction::triggered, this, &FileListCommands::Paste);
    connect(m_actions[vaOpen], &QAction::triggered, &m_list, &TZuFilelistView28::OpenSelected);
    connect(m_actions[vaView], &QAction::triggered, this, &FileListCommands::ViewSelected);
    connect(m_actions[vaNewFolder], &QAction::triggered, this, &FileListCommands::NewFolder);
    connect(m_actions[vaSelectAll], &QAction::triggered, &m_list, [this] {
        if (m_list.itemCount() > 0)
            m_list.selectAll();
    });
    connect(m_actions[vaDelete], &QAction::triggered, this, &FileListCommands::DeleteSelected);
    connect(m_actions[vaBack], &QAction::triggered, &m_list, &TZuFilelistView28::GoUp);
    connect(m_actions[vaRename], &QAction::triggered, this, &FileListCommands::BeginRename);
    connect(m_actions[vaFindFile], &QAction::triggered, this, &FileListCommands::FindFile);
    connect(m_actions[vaRefresh], &QAction::triggered, this, &FileListCommands::refreshWithPartners);
    connect(m_permanentDelete, &QAction::triggered, this, &FileListCommands::DeletePermanently);
}

FileListCommands::~FileListCommands()
{
    delete m_findWindow;
}

FindFileWindow *FileListCommands::findFileWindow() const
{
    return m_findWindow;
}

const QStringList &FileListCommands::viewExtensions()
{
    static const QStringList extensions = {
        QStringLiteral(".C"),    QStringLiteral(".CPP"), QStringLiteral(".DPK"),  QStringLiteral(".DPR"),
        QStringLiteral(".H"),    QStringLiteral(".HPP"), QStringLiteral(".BPK"),  QStringLiteral(".BPR"),
        QStringLiteral(".INF"),  QStringLiteral(".INI"), QStringLiteral(".PAS"),  QStringLiteral(".PRG"),
        QStringLiteral(".TXT"),  QStringLiteral(".DOC"), QStringLiteral(".RTF"),  QStringLiteral(".WRI"),
        QStringLiteral(".BMP"),  QStringLiteral(".GIF"), QStringLiteral(".JPG"),  QStringLiteral(".TIFF"),
        QStringLiteral(".PNG"),  QStringLiteral(".WMF"), QStringLiteral(".ICO"),  QStringLiteral(".HTML"),
        QStringLiteral(".HTM"),
    };
    return extensions;
}

QString FileListCommands::text(const char *name) const
{
    return fileListCommandText(m_list.Language(), QLatin1String(name));
}

bool FileListCommands::makeDirectoryCurrent() const
{
    return !m_list.isDriveList() && platform::setCurrentFolder(m_list.Directory());
}

QStringList FileListCommands::selectedPaths(bool withoutParent)
{
    QStringList paths;
    for (int row : m_list.selectedRows()) {
        const FileListItem &item = m_list.item(row);
        if (item.isParent() && withoutParent)
            m_list.deselectItem(row);
        else
            paths.append(item.path());
    }
    return paths;
}

void FileListCommands::CutCopy(int operation)
{
    PasteOperation = -1;
    m_clipboardList = selectedPaths(true);
    PasteOperation = operation;
    if (!m_clipboardList.isEmpty())
        platform::putFilesOnClipboard(nativePathsOf(m_clipboardList), operation == opMove);
}

bool FileListCommands::canPaste() const
{
    if (!m_clipboardList.isEmpty())
        return true;
    // addresses refused count too: the paste says why they are not taken
    const platform::ClipboardFiles files = platform::filesOnClipboard();
    return !files.nativePaths.isEmpty() || !files.refused.isEmpty();
}

void FileListCommands::Paste()
{
    platform::WaitCursor hourglass;
    if (!makeDirectoryCurrent())
        return;
    platform::ErrorCollector errors;
    const auto tell = qScopeGuard([&] { showErrorSummary(errors.finish(), m_list.Language()); });
    if (m_clipboardList.isEmpty()) {
        // what another program offers is moved only when it said "cut"
        const platform::ClipboardFiles files = platform::filesOnClipboard();
        for (const QString &native : files.nativePaths)
            m_clipboardList.append(platform::toDrivePath(native));
        if (!m_clipboardList.isEmpty())
            PasteOperation = files.cut ? opMove : opCopy;
        for (const QString &address : files.refused)
            showErrorDialog(text("pasteRefused").arg(address));
    }
    if (m_clipboardList.isEmpty()) {
        if (errors.errors().isEmpty())
            showWarningDialog(ExplorerTexts.msgNoSelection);
        return;
    }
    const auto relist = qScopeGuard([this] {
        m_list.RefreshList();
        m_clipboardList.clear();
        updatePartners(m_list.Directory(), PartnerOrder::ComboFirst);
    });
    const int operation = FileOperationTable[PasteOperation < 0 ? opCopy : PasteOperation];
    const QString folder = m_list.Directory();
    ShellFileOpEach(&m_list, operation, m_clipboardList,
                    [&folder](const QString &path) { return JoinPath(folder, fileNamePart(DelSlash(path))); },
                    m_list.Language());
}

void FileListCommands::CopyToFolder(const QString &destination)
{
    if (!makeDirectoryCurrent())
        return;
    platform::WaitCursor hourglass;
    m_clipboardList = selectedPaths(true);
    const auto clear = qScopeGuard([this] { m_clipboardList.clear(); });
    platform::ErrorCollector errors;
    const auto tell = qScopeGuard([&] { showErrorSummary(errors.finish(), m_list.Language()); });
    ShellFileOpEach(&m_list, FO_COPY, m_clipboardList,
                    [&destination](const QString &path) { return JoinPath(destination, fileNamePart(DelSlash(path))); },
                    m_list.Language());
}

QStringList FileListCommands::selectedItemPaths() const
{
    QStringList paths;
    for (int row : m_list.selectedRows()) {
        if (!m_list.item(row).isParent())
            paths.append(m_list.item(row).path());
    }
    return paths;
}

void FileListCommands::dropFiles(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    m_clipboardList = paths;
    PasteOperation = opCopy;
    Paste();
}

void FileListCommands::DeleteSelected()
{
    platform::WaitCursor hourglass;
    if (!makeDirectoryCurrent())
        return;
    m_clipboardList.clear();
    const auto relist = qScopeGuard([this] {
        m_list.RefreshList();
        m_clipboardList.clear();
        updatePartners(m_list.Directory(), PartnerOrder::ComboFirst);
    });
    const QStringList paths = selectedPaths(true);
    if (paths.isEmpty())
        return;
    const QString question = paths.size() == 1 ? text("trashOne").arg(fileNamePart(DelSlash(paths.first())))
                                               : pluralText(m_list.Language(), QStringLiteral("trashMany"), paths.size());
    if (!askConfirmation(question))
        return;
    platform::ErrorCollector errors;
    for (const QString &path : paths) {
        if (!platform::moveToTrash(path))
            showErrorDialog(text("trashFailed").arg(path));
    }
    showErrorSummary(errors.finish(), m_list.Language());
}

void FileListCommands::DeletePermanently()
{
    platform::WaitCursor hourglass;
    const auto relist = qScopeGuard([this] { m_list.RefreshList(); });
    for (int row = m_list.selectedIndex(); row >= 0; row = m_list.selectedIndex()) {
        const FileListItem item = m_list.item(row);
        if (item.entryKind != EntryKind::File)
            return;
        const QString question = text("deletePermanently") + QStringLiteral("\r  \"") + item.caption
                                 + QStringLiteral("\"?");
        if (askConfirmation(question) && !platform::deleteFilePermanently(item.path()))
            showErrorDialog(ExplorerTexts.msgCant + QStringLiteral("Delete") + ExplorerTexts.msgFile + item.path());
        m_list.deselectItem(row);
    }
}

void FileListCommands::BeginRename()
{
    const int row = m_list.selectedIndex();
    if (row < 0)
        return;
    if (m_list.ReadOnly() || ascii::toUpper(m_list.item(row).columnTexts[siAttributes]) == QLatin1String("R")) {
        showWarningDialog(ExplorerTexts.msgIsReadOnly);
        return;
    }
    m_oldPath = m_list.item(row).path();
    if (CanEdit(row))
        m_list.editCaption(row);
}

bool FileListCommands::CanEdit(int row)
{
    if (m_list.ReadOnly() || !m_list.ShortCuts().Actions.contains(vaRename))
        return false;
    m_oldPath = m_list.item(row).path();
    return true;
}

void FileListCommands::Edit(const QString &newCaption)
{
    if (!m_list.ShortCuts().Actions.contains(vaRename))
        return;
    platform::WaitCursor hourglass;
    const int row = m_list.selectedIndex();
    if (row < 0 || ascii::trimmed(newCaption).isEmpty())
        return;
    const bool folder = m_list.item(row).entryKind == EntryKind::Folder;
    const QString newPath = folderPart(m_oldPath) + newCaption;
    if (newPath == m_oldPath)
        return;
    if (newPath.compare(m_oldPath, Qt::CaseInsensitive) == 0) {
        renameCaseOnly(newPath);
    } else if (!TargetExists(newPath)) {
        bool aborted = false;
        ShellFileOp(&m_list, FO_RENAME, m_oldPath, newPath, aborted);
    }
    m_list.RefreshList();
    if (folder)
        updatePartners(m_list.Directory(), PartnerOrder::TreeFirst);
}

// Only the letter case changes: the renaming engine does it, through a temporary
// name where the file system ignores letter case.
void FileListCommands::renameCaseOnly(const QString &newPath)
{
    if (!platform::setCurrentFolder(folderPart(m_oldPath)))
        return;
    TKestrava::PerformRename(fileNamePart(m_oldPath), fileNamePart(newPath), QString());
    platform::setCurrentFolder(m_list.Directory());
}

void FileListCommands::NewFolder()
{
    if (m_list.isDriveList())
        return;
    const QString base = JoinPath(m_list.Directory(), ExplorerTexts.msgNewFolder);
    QString name = base;
    for (int number = 2; platform::fileAttributes(name) != platform::invalidFileAttributes; ++number)
        name = base + QStringLiteral("(%1)").arg(number);
    platform::createFolder(name);
    m_list.RefreshList();
    // No row to name it on: the linked tree shows it and names it in its own editor.
    if (FolderPartner *tree = m_list.folderPartner(FolderPartner::Kind::Tree);
        !m_list.ShowFolders() && tree && tree->nameNewFolder(name))
        return;
    // A big folder is read in the background: the editor opens once its rows are shown.
    m_list.whenListed([this, name] {
        m_list.clearSelection();
        for (int row = 0; row < m_list.itemCount(); ++row) {
            if (m_list.itemPath(row) == name) {
                m_list.selectItem(row);
                if (CanEdit(row))
                    m_list.editCaption(row);
                break;
            }
        }
    });
    // The partners show the new folder inside the listed one, which stays chosen: a
    // partner on another folder than the list's would move the list at its next change.
    updatePartners(m_list.Directory(), PartnerOrder::ComboFirst);
}

void FileListCommands::ViewSelected()
{
    const int row = m_list.selectedIndex();
    if (row < 0)
        return;
    const QString path = m_list.item(row).path();
    if (viewExtensions().contains(ascii::toUpper(extensionPart(path))))
        ExecuteFile(QStringLiteral("Open"), path, QString(), folderPart(path), 5);
}

void FileListCommands::FindFile()
{
    const QString folder = m_list.isDriveList() ? QStringLiteral("C:\\") : m_list.Directory();
    if (platform::startFileSearchTool(platform::toNativePath(folder)))
        return;
    if (!m_findWindow) {
        m_findWindow = new FindFileWindow(folder, m_list.Language(), m_list.window());
        m_findWindow->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_findWindow, &FindFileWindow::resultChosen, &m_list, &TZuFilelistView28::showFoundEntry);
    }
    m_findWindow->show();
    m_findWindow->raise();
}

void FileListCommands::refreshWithPartners()
{
    m_list.RefreshList();
    for (FolderPartner::Kind kind : {FolderPartner::Kind::Combo, FolderPartner::Kind::Tree})
        if (FolderPartner *partner = m_list.folderPartner(kind))
            partner->reloadKeeping(partner->followedFolder());
}

void FileListCommands::updatePartners(const QString &path, PartnerOrder order)
{
    FolderPartner *combo = m_list.folderPartner(FolderPartner::Kind::Combo);
    FolderPartner *tree = m_list.folderPartner(FolderPartner::Kind::Tree);
    if (FolderPartner *partner = combo && (order == PartnerOrder::ComboFirst || !tree) ? combo : tree)
        partner->showChangedFolder(path);
}
