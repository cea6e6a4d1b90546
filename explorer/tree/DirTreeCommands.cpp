#include "explorer/tree/DirTreeCommands.h"

#include "explorer/shared/ExplorerDialogs.h"
#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/FileOperationTable.h"
#include "explorer/shared/LanguageTables.h"
#include "explorer/shared/ListPartner.h"
#include "explorer/shared/PathUtils.h"
#include "explorer/shared/ShellUtils.h"
#include "explorer/tree/DirTree.h"
#include "explorer/shared/DirTreeNodes.h"
#include "platform/DrivePaths.h"
#include "platform/FileClipboard.h"
#include "platform/FileCommands.h"
#include "platform/FileSystem.h"
#include "platform/WaitCursor.h"

#include <QAction>
#include <QScopeGuard>
#include <QTreeWidgetItem>

namespace {
// No folder name may hold one of these.
const QString forbiddenCharacters = QStringLiteral("\\*?/=\"<>|:,;+^");

QString nativeFolder(const QString &path)
{
    return platform::toNativePath(path.size() > 3 ? DelSlash(path) : AddSlash(path));
}
} // namespace

DirTreeCommands::DirTreeCommands(TZuDirTree21 &tree)
    : QObject(&tree)
    , m_tree(tree)
{
    const auto add = [this](TZuTreeAction which, const char *name, auto slot) {
        auto *action = new QAction(this);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, slot);
        m_actions[which] = action;
    };
    add(taNewFolder, "treeNewFolder", [this] { AddNewFolder(nullptr); });
    add(taRename, "treeRename", [this] { BeginRename(); });
    add(taDelete, "treeDelete", [this] { DeleteFolder(m_tree.currentItem()); });
    add(taCut, "treeCut", [this] { MarkClipboardFolder(opMove); });
    add(taCopy, "treeCopy", [this] { MarkClipboardFolder(opCopy); });
    add(taPaste, "treePaste", [this] { PasteFolder(); });
    add(taTreeSize, "treeSize", [this] { m_tree.ShowTreeSize(); });
    add(taFolderContents, "treeFolderContents", [this] { m_tree.ShowFolderContentsWindow(); });
    add(taMapNetworkDrive, "treeMapNetworkDrive", [this] { m_tree.MapNetworkDrive(); });
    add(taDisconnectNetworkDrive, "treeDisconnectNetworkDrive", [this] { m_tree.DisconnectNetworkDrive(); });
    add(taProperties, "treeProperties", [this] { ShowFolderProperties(); });
}

QString DirTreeCommands::text(const char *name) const
{
    return fileListCommandText(m_tree.Language(), QLatin1String(name));
}

QString DirTreeCommands::nodeName(const QString &path) const
{
    return fileNamePart(DelSlash(path));
}

bool DirTreeCommands::AddNewFolder(QTreeWidgetItem *node, const QString &name)
{
    if (!node)
        node = m_tree.currentItem();
    if (!node)
        return false;
    if (nodeLevel(node) == 0) {
        showErrorDialog(ExplorerTexts.msgError + ExplorerTexts.msgCantAddDrives);
        return false;
    }
    const bool defaultName = name.isEmpty();
    QString folderName = name;
    if (defaultName) {
        folderName = ExplorerTexts.msgNewFolder;
        m_newFolderMode = true;
    }
    const QString base = AddSlash(m_tree.GetNodePath(node));
    if (HasAnyChar(folderName, forbiddenCharacters)) {
        errorBeep();
        showErrorDialog(ExplorerTexts.msgBadChars);
        return false;
    }
    QString newPath = base + folderName;
    // A second new folder in the same place gets a number, as in the file list.
    for (int number = 2; defaultName && DirExists(newPath); ++number)
        newPath = base + folderName + QStringLiteral("(%1)").arg(number);
    newPath = AddSlash(newPath);

    if (!platform::createFolder(DelSlash(newPath)))
        return false;
    if (defaultName && nameNewFolder(newPath))
        return true;
    m_tree.selectChangedFolder(newPath);
    m_tree.tellFileList(m_tree.SelectedPath());
    return true;
}

bool DirTreeCommands::nameNewFolder(const QString &path)
{
    m_tree.selectChangedFolder(path);
    // The list reads the folder first: the node is looked up afterwards, and the editor
    // opens only on the new folder itself.
    m_tree.tellFileList(m_tree.SelectedPath());
    QTreeWidgetItem *node = m_tree.currentItem();
    if (!node || nodeLevel(node) <= 1 || AddSlash(m_tree.GetNodePath(node)) != AddSlash(path))
        return false;
    m_newFolderMode = true;
    m_newFolderPath = AddSlash(path);
    m_tree.editCaption(node);
    return true;
}

bool DirTreeCommands::CanEdit(const QTreeWidgetItem *node) const
{
    return node && nodeLevel(node) > 1 && !m_tree.ReadOnly();
}

void DirTreeCommands::BeginRename()
{
    QTreeWidgetItem *node = m_tree.currentItem();
    if (CanEdit(node))
        m_tree.editCaption(node);
}

void DirTreeCommands::FolderEdited(const QString &oldPath, const QString &newText)
{
    if (oldPath.isEmpty())
        return;
    if (newText.isEmpty() || HasAnyChar(newText, forbiddenCharacters)) {
        errorBeep();
        if (!newText.isEmpty())
            showErrorDialog(ExplorerTexts.msgBadDirName + QLatin1Char('\r') + newText);
        return;
    }
    // Only the folder just made takes its name without a question; a read-only tree
    // renames no other.
    const bool justMade = m_newFolderMode && AddSlash(oldPath) == m_newFolderPath;
    if (!justMade && m_tree.ReadOnly())
        return;
    const QString oldName = nodeName(oldPath);
    // The name confirmed as it was: nothing to rename.
    if (newText == oldName) {
        m_newFolderMode = false;
        return;
    }
    platform::WaitCursor hourglass;
    m_tree.beginUpdate();
    const auto end = qScopeGuard([this] {
        m_tree.endUpdate();
        m_newFolderMode = false;
    });
    const QString newPath = folderPart(DelSlash(oldPath)) + newText;
    if (!justMade) {
        const QString indent(4, QLatin1Char(' '));
        const QString question = ExplorerTexts.msgRenameFolder + QStringLiteral("\r\r") + indent
                                 + ExplorerTexts.msgFrom + oldName + QLatin1Char('\r') + indent + ExplorerTexts.msgTo
                                 + newText;
        if (!askConfirmation(question))
            return;
    }
    bool aborted = false;
    if (!ShellFileOp(&m_tree, FO_RENAME, DelSlash(oldPath), newPath, aborted))
        return;
    m_tree.selectChangedFolder(newPath);
    if (ListPartner *list = m_tree.listPartner())
        list->followFolder(newPath);
}

bool DirTreeCommands::DeleteFolder(QTreeWidgetItem *node)
{
    if (!node || nodeLevel(node) <= 1)
        return false;
    platform::WaitCursor hourglass;
    const QString path = m_tree.GetNodePath(node);
    if (path.isEmpty())
        return false;
    if (!DirExists(path)) {
        errorBeep();
        showErrorDialog(path + ExplorerTexts.msgNotFound);
        return false;
    }
    const QString name = nodeName(path);
    if (!askConfirmation(text("trashOne").arg(name)))
        return false;
    if (!platform::moveToTrash(path)) {
        showErrorDialog(text("trashFailed").arg(name));
        return false;
    }
    // The parent is selected in place of a deleted selected folder, and shown in the list.
    const bool wasSelected = node == m_tree.currentItem();
    const QString parentPath = m_tree.GetNodePath(node->parent());
    m_tree.updateFolderNode(parentPath);
    if (wasSelected) {
        m_tree.selectChangedFolder(parentPath);
        m_tree.tellFileList(m_tree.SelectedPath());
    }
    return true;
}

void DirTreeCommands::MarkClipboardFolder(int operation)
{
    PasteOperation = -1;
    // The computer and the drives are not folders to copy or move.
    const QTreeWidgetItem *node = m_tree.currentItem();
    if (!node || nodeLevel(node) <= 1 || m_tree.SelectedPath().isEmpty())
        return;
    m_clipboardFolder = m_tree.SelectedPath();
    PasteOperation = operation;
    m_pasteEnabled = true;
    platform::putFilesOnClipboard({nativeFolder(m_clipboardFolder)}, operation == opMove);
}

bool DirTreeCommands::foreignFilesOnClipboard() const
{
    // addresses refused count too: the paste says why they are not taken
    return platform::clipboardHoldsOtherProgramsFiles() || !platform::filesOnClipboard().refused.isEmpty();
}

void DirTreeCommands::PasteFolder()
{
    const auto disable = qScopeGuard([this] { m_pasteEnabled = false; });
    const QTreeWidgetItem *node = m_tree.currentItem();
    if (!node || nodeLevel(node) == 0 || m_tree.SelectedPath().isEmpty())
        return;
    QStringList sources;
    int operation = PasteOperation;
    if (foreignFilesOnClipboard()) {
        // Copied or cut in another program: those files come here.
        const platform::ClipboardFiles files = platform::filesOnClipboard();
        for (const QString &native : files.nativePaths)
            sources.append(platform::toDrivePath(native));
        operation = files.cut ? opMove : opCopy;
        for (const QString &address : files.refused)
            showErrorDialog(text("pasteRefused").arg(address));
    } else if (!m_clipboardFolder.isEmpty() && PasteOperation != -1) {
        sources.append(DelSlash(m_clipboardFolder));
    }
    if (sources.isEmpty())
        return;
    m_dropTargetPath = AddSlash(m_tree.SelectedPath());
    platform::WaitCursor hourglass;
    bool aborted = false;
    const bool done = ShellFileOp(&m_tree, FileOperationTable[operation], sources.join(QChar(0)), m_dropTargetPath,
                                  aborted);
    if (!done)
        showErrorDialog(ExplorerTexts.msgOpFailed);
    // A failed paste may have done a part: the tree and the list show what is there.
    showAfterChange(m_dropTargetPath);
}

void DirTreeCommands::ShowFolderProperties()
{
    if (m_tree.currentItem() && !m_tree.SelectedPath().isEmpty())
        ShowProperties(m_tree.SelectedPath());
}

bool DirTreeCommands::acceptsDrag(TreeDragSource source, const QTreeWidgetItem *target) const
{
    if (!m_tree.DragDropEnabled())
        return false;
    if (source == TreeDragSource::Other || (source == TreeDragSource::FileList && !m_tree.listPartner()))
        return false;
    return target && !m_tree.isDragSourceNode(target);
}

void DirTreeCommands::dropFolder(const QString &sourceFolder, QTreeWidgetItem *target)
{
    if (!target || m_tree.ReadOnly())
        return;
    m_dropTargetPath = AddSlash(m_tree.GetNodePath(target));
    if (m_dropTargetPath.isEmpty() || sourceFolder.isEmpty())
        return;
    platform::processPendingMessages();
    bool done = false;
    {
        m_tree.beginUpdate();
        const auto endUpdate = qScopeGuard([this] { m_tree.endUpdate(); });
        bool aborted = false;
        done = ShellFileOp(&m_tree, FileOperationTable[DragOperation], DelSlash(sourceFolder), m_dropTargetPath,
                           aborted);
    }
    if (!done)
        showErrorDialog(ExplorerTexts.msgOpFailed);
    showAfterChange(m_dropTargetPath);
}

void DirTreeCommands::dropFileListSelection(QTreeWidgetItem *target)
{
    ListPartner *list = m_tree.listPartner();
    if (!target || m_tree.ReadOnly() || !list)
        return;
    m_dropTargetPath = AddSlash(m_tree.GetNodePath(target));
    if (m_dropTargetPath.isEmpty())
        return;
    const auto refresh = qScopeGuard([this] { showAfterChange(m_dropTargetPath); });
    if (list->selectedPaths().isEmpty())
        return;
    // Folders in the list are never dropped.
    const QStringList files = list->keepSelectedFilesOnly();
    if (files.isEmpty()) {
        showWarningDialog(ExplorerTexts.msgNoSelection);
        return;
    }
    m_tree.beginUpdate();
    const auto endUpdate = qScopeGuard([this] { m_tree.endUpdate(); });
    const QString folder = m_dropTargetPath;
    ShellFileOpEach(&m_tree, FileOperationTable[DragOperation], files,
                    [&folder](const QString &file) { return JoinPath(folder, fileNamePart(file)); }, m_tree.Language(),
                    [] { platform::processPendingMessages(); });
}

void DirTreeCommands::showAfterChange(const QString &path)
{
    platform::processPendingMessages();
    m_tree.updateFolderNode(path);
    m_tree.selectChangedFolder(path);
    m_tree.tellFileList(path, true);
}
