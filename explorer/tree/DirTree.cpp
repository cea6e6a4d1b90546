#include "explorer/tree/DirTree.h"

#include "explorer/shared/DirTreeFolders.h"
#include "explorer/shared/DirTreeNodes.h"
#include "explorer/tree/FolderContentsWindow.h"
#include "explorer/tree/TZuDirTree21PopUp.h"
#include "explorer/tree/TreeSizeDialog.h"
#include "explorer/tree/TreeSizeMessage.h"
#include "explorer/shared/ExplorerDialogs.h"
#include "explorer/shared/FileOperationTable.h"
#include "explorer/shared/PopUpMenuKey.h"
#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/ListPartner.h"
#include "explorer/netdrive/NetworkDriveCommands.h"
#include "explorer/shared/LanguageTables.h"
#include "explorer/shared/ListingSession.h"
#include "explorer/shared/NameDisplayDelegate.h"
#include "explorer/shared/PartnerLink.h"
#include "explorer/shared/PathUtils.h"
#include "explorer/shared/ShellFileInfo.h"
#include "explorer/shared/DriveUtils.h"
#include "platform/DrivePaths.h"
#include "platform/DriveTable.h"
#include "platform/FileClipboard.h"
#include "platform/FileTypes.h"
#include "platform/WaitCursor.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>

namespace {
const QString drivesPath = QStringLiteral("Drives");

bool isArrowKey(int key)
{
    return key == Qt::Key_Left || key == Qt::Key_Up || key == Qt::Key_Right || key == Qt::Key_Down;
}

int driveIndex(QChar letter)
{
    const char16_t code = letter.unicode() & ~char16_t(0x20);
    return code >= u'A' && code <= u'Z' ? code - u'A' : -1;
}

} // namespace

// Balances begin/end update on every path out of a block.
class TZuDirTree21::UpdateBracket {
public:
    explicit UpdateBracket(TZuDirTree21 *tree)
        : m_tree(tree)
    {
        m_tree->beginUpdate();
    }
    ~UpdateBracket() { m_tree->endUpdate(); }
    UpdateBracket(const UpdateBracket &) = delete;
    UpdateBracket &operator=(const UpdateBracket &) = delete;

private:
    TZuDirTree21 *m_tree;
};

TZuDirTree21::TZuDirTree21(QWidget *parent)
    : FolderTree(parent)
    , m_rebuild(this, [this] { rebuildAfterChange(); })
{
    resize(180, 120);
    setProbesNetworkFolders(false);
    setAllowedAttributes(allowedFolderAttributes(m_folderType));
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    m_commands = new DirTreeCommands(*this);
    SetLanguage(lnEnglish);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *node) { NodeExpanding(node); });
    connect(this, &FolderTree::drivesChanged, this, &TZuDirTree21::drivesChanged);
    connect(this, &FolderTree::selectedFolderRemoved, this, &TZuDirTree21::followRemovedSelection);
    connect(this, &FolderTree::openingResumed, this, &TZuDirTree21::OpenPath);
    connect(this, &FolderTree::folderGivenUp, this, [this](const QString &folder) {
        showErrorDialog(ListingSession::noAnswerText(m_language, folder));
    });
    m_networkDrives = new NetworkDriveCommands(this);
    connect(m_networkDrives, &NetworkDriveCommands::driveMapped, this, &TZuDirTree21::showMappedDrive);
    connect(m_networkDrives, &NetworkDriveCommands::driveDisconnected, this, &TZuDirTree21::showDisconnectedDrive);
    // GVfs mounts leave the mount table alone: the restored drives are shown from here.
    connect(m_networkDrives, &NetworkDriveCommands::drivesRestored, this, &TZuDirTree21::drivesChanged);
    ReloadTree();
    if (QTreeWidgetItem *root = topLevelItem(0))
        root->setExpanded(true);
}

TZuDirTree21::~TZuDirTree21() = default;

void TZuDirTree21::listLinked()
{
    if (!m_selectedPath.isEmpty())
        listPartner()->followFolder(m_selectedPath);
}

void TZuDirTree21::showChangedFolder(const QString &path)
{
    if (path == drivesPath || path == topNodeCaption()) {
        reopen(drivesPath);
        return;
    }
    updateFolderNode(DelSlash(path));
    selectChangedFolder(path);
}

void TZuDirTree21::reloadKeeping(const QString &path)
{
    ReloadTree();
    OpenPath(path);
}

void TZuDirTree21::SetFolderType(TFileType folderType)
{
    m_folderType = folderType;
    setAllowedAttributes(allowedFolderAttributes(folderType));
}

bool TZuDirTree21::nameNewFolder(const QString &path)
{
    return m_commands->nameNewFolder(path);
}

void TZuDirTree21::SetLanguage(TLanguage language)
{
    language = ResolveLanguage(language);
    if (language == m_language)
        return;
    m_language = language;
    TreeTextLanguage = language;
    LoadTreeTexts();
    rebuildPopUpMenu();
    SetPopUpMenuEnabled(true);
    // The control's window is made anew in the new language, holding the root alone;
    // before it has a window (while its form is being built) the nodes already made
    // are made again as they were, so that none keeps a caption of the old language.
    if (testAttribute(Qt::WA_WState_Created))
        LoadRootNode();
    else if (topLevelItemCount() > 0)
        ReloadTree();
}

void TZuDirTree21::SetPopUpMenuEnabled(bool enabled)
{
    m_popUpMenuEnabled = enabled;
    setContextMenuPolicy(enabled ? Qt::DefaultContextMenu : Qt::NoContextMenu);
}

void TZuDirTree21::rebuildPopUpMenu()
{
    delete m_popUp;
    m_popUp = new TZuDirTree21PopUp(*this);
}

void TZuDirTree21::contextMenuEvent(QContextMenuEvent *event)
{
    if (!m_popUpMenuEnabled || !m_popUp) {
        event->ignore();
        return;
    }
    m_popUp->Popup(event->globalPos().x(), event->globalPos().y());
    event->accept();
}

bool TZuDirTree21::AddNewFolder(QTreeWidgetItem *node, const QString &name)
{
    return m_commands->AddNewFolder(node, name);
}

bool TZuDirTree21::DeleteFolder(QTreeWidgetItem *node)
{
    return m_commands->DeleteFolder(node);
}

void TZuDirTree21::MarkClipboardFolder(int operation)
{
    m_commands->MarkClipboardFolder(operation);
}

void TZuDirTree21::PasteFolder()
{
    m_commands->PasteFolder();
}

void TZuDirTree21::ShowFolderProperties()
{
    m_commands->ShowFolderProperties();
}

QString TZuDirTree21::ClipboardFolder() const
{
    return m_commands->ClipboardFolder();
}

bool TZuDirTree21::PasteEnabled() const
{
    return m_commands->PasteEnabled();
}

void TZuDirTree21::editCaption(QTreeWidgetItem *node)
{
    if (!node)
        return;
    m_editedPath = GetNodePath(node);
    m_editCommitted = false;
    node->setFlags(node->flags() | Qt::ItemIsEditable);
    scrollToItem(node);
    editItem(node);
    // Changing the flags wrote the caption into the editor again: select it all anew.
    node->setFlags(node->flags() & ~Qt::ItemIsEditable);
    if (auto *line = qobject_cast<QLineEdit *>(indexWidget(indexFromItem(node))))
        line->selectAll();
}

// The editor never changes the caption itself: the rename rebuilds the tree.
void TZuDirTree21::commitData(QWidget *editor)
{
    const auto *line = qobject_cast<QLineEdit *>(editor);
    if (!line || m_editCommitted)
        return;
    m_editCommitted = true;
    const QString oldPath = m_editedPath;
    const QString text = line->text();
    // The rename rebuilds the tree: it runs once the editor has closed.
    QMetaObject::invokeMethod(this, [this, oldPath, text] { m_commands->FolderEdited(oldPath, text); },
                              Qt::QueuedConnection);
}

void TZuDirTree21::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    if (!m_editCommitted) {
        // Escape: the edit ends with no text.
        m_editCommitted = true;
        const QString oldPath = m_editedPath;
        QMetaObject::invokeMethod(this, [this, oldPath] { m_commands->FolderEdited(oldPath, QString()); },
                                  Qt::QueuedConnection);
    }
    FolderTree::closeEditor(editor, hint);
    if (m_rebuildAfterEdit) {
        m_rebuildAfterEdit = false;
        drivesChanged();
    }
}

bool TZuDirTree21::isDragSourceNode(const QTreeWidgetItem *node) const
{
    return m_hasDragSourceNode && node && GetNodePath(node) == m_dragSourceNodePath;
}

QString TZuDirTree21::About() const
{
    return QStringLiteral("Version 2.1.8.1");
}

void TZuDirTree21::MapNetworkDrive()
{
    m_networkDrives->MapNetworkDrive();
}

void TZuDirTree21::DisconnectNetworkDrive()
{
    m_networkDrives->DisconnectNetworkDrive();
}

void TZuDirTree21::restoreNetworkDrives()
{
    m_networkDrives->restoreAtStart();
}

void TZuDirTree21::showMappedDrive(const QString &drivePath)
{
    ReloadTree();
    QTreeWidgetItem *root = topLevelItem(0);
    if (!root || root->childCount() == 0)
        return;
    root->setExpanded(true);
    // The letters offered follow the highest one in use: the new drive is the last node.
    QTreeWidgetItem *drive = root->child(root->childCount() - 1);
    for (int i = 0; i < root->childCount(); ++i) {
        if (GetNodePath(root->child(i)).compare(drivePath, Qt::CaseInsensitive) == 0)
            drive = root->child(i);
    }
    setCurrentItem(drive);
    scrollToItem(drive);
    m_selectedPath = GetNodePath(drive);
    tellFileList(m_selectedPath);
}

void TZuDirTree21::showDisconnectedDrive()
{
    ReloadTree();
    QTreeWidgetItem *root = topLevelItem(0);
    if (!root)
        return;
    root->setExpanded(true);
    setCurrentItem(root);
    SetSelectedPath(drivesPath);
    tellFileList(m_selectedPath, true);
}

void TZuDirTree21::ReloadTree()
{
    platform::WaitCursor waitCursor;
    UpdateBracket bracket(this);
    LoadRootNode();
    LoadDrives();
}

QString TZuDirTree21::GetNodePath(const QTreeWidgetItem *node) const
{
    return nodePath(node);
}

void TZuDirTree21::NodeExpanding(QTreeWidgetItem *node)
{
    loadSubfolders(node);
}

QString TZuDirTree21::topNodeCaption() const
{
    const QTreeWidgetItem *root = topLevelItem(0);
    return root ? root->text(0) : QString();
}

void TZuDirTree21::OpenPath(const QString &path)
{
    if (!path.isEmpty() && path == topNodeCaption()) {
        selectTopNode();
        return;
    }
    if (path.size() <= 1 || !DirExists(path))
        return;
    const QString wanted = AddSlash(path);
    bool complete = false;
    openNodesTo(wanted, &complete);
    if (!complete)
        return;
    if (m_selectedPath != wanted)
        m_selectedPath = wanted;
    emit OnDirChange(this, m_selectedPath);
}

bool TZuDirTree21::isOnLabelOrIcon(const QPoint &position) const
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    return ::isOnLabelOrIcon(this, option, position);
}

// Beside an item: on its row, but right of its label.
bool TZuDirTree21::isBeside(const QPoint &position) const
{
    const QModelIndex index = indexAt(position);
    return index.isValid() && position.x() >= visualRect(index).left() && !isOnLabelOrIcon(position);
}

void TZuDirTree21::selectTopNode()
{
    QTreeWidgetItem *root = topLevelItem(0);
    if (!root)
        return;
    {
        UpdateBracket bracket(this);
        if (root->childCount() == 0)
            LoadDrives();
        collapseRecursively(root);
        root->setExpanded(true);
        setCurrentItem(root);
        scrollToItem(root);
    }
    m_selectedPath = drivesPath;
    emit OnDirChange(this, m_selectedPath);
}

void TZuDirTree21::reopen(const QString &path)
{
    if (path == drivesPath)
        selectTopNode();
    else if (!path.isEmpty())
        OpenPath(path);
}

QString TZuDirTree21::selectionPath()
{
    QTreeWidgetItem *node = currentItem();
    if (node && !node->parent()) {
        if (node->childCount() == 0)
            LoadDrives();
        return drivesPath;
    }
    return GetNodePath(node);
}

bool TZuDirTree21::selectedDriveReady()
{
    QTreeWidgetItem *node = currentItem();
    if (nodeLevel(node) != 1)
        return true;
    const QChar letter = nodeDriveLetter(node);
    const platform::DriveKind kind = platform::driveKind(letter);
    if (kind != platform::DriveKind::Removable && kind != platform::DriveKind::CdRom)
        return true;
    return DriveReady(letter, true);
}

void TZuDirTree21::mousePressEvent(QMouseEvent *event)
{
    m_dragArmed = false;
    // A press beside a label selects nothing, as on the button or the indent.
    if (!isBeside(event->position().toPoint()))
        QTreeWidget::mousePressEvent(event);
    m_previousPath = m_selectedPath;
    if (!isOnLabelOrIcon(event->position().toPoint()))
        return;
    setCurrentItem(itemAt(event->position().toPoint()));
    m_selectedPath = selectionPath();
    if (!selectedDriveReady()) {
        reopen(m_previousPath);
        m_selectedPath = m_previousPath;
        return;
    }
    emit OnDirChange(this, m_selectedPath);
    tellFileList(m_selectedPath);
    m_previousPath = m_selectedPath;
    if (event->button() != Qt::LeftButton || !m_dragDropEnabled)
        return;
    // The press may start a drag: Ctrl held now makes it a copy, otherwise a move.
    QTreeWidgetItem *node = itemAt(event->position().toPoint());
    m_hasDragSourceNode = node != nullptr;
    m_dragSourceNodePath = GetNodePath(node);
    if (!node)
        return;
    m_dragSourceFolder = m_dragSourceNodePath;
    setCurrentItem(node);
    setFocus();
    DragOperation = (event->modifiers() & Qt::ControlModifier) ? opCopy : opMove;
    // The computer and the drives are never moved or copied as a whole.
    m_dragArmed = nodeLevel(node) > 1;
    m_dragStart = event->position().toPoint();
}

void TZuDirTree21::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragArmed && (event->buttons() & Qt::LeftButton)
        && (event->position().toPoint() - m_dragStart).manhattanLength() > QApplication::startDragDistance() + 8) {
        m_dragArmed = false;
        startFolderDrag();
        return;
    }
    QTreeWidget::mouseMoveEvent(event);
}

void TZuDirTree21::startFolderDrag()
{
    auto *drag = new QDrag(this);
    drag->setMimeData(platform::fileListMimeData({platform::toNativePath(m_dragSourceFolder)}, false));
    drag->exec(Qt::CopyAction | Qt::MoveAction, DragOperation == opCopy ? Qt::CopyAction : Qt::MoveAction);
}

TreeDragSource TZuDirTree21::dragSourceOf(const QDropEvent *event) const
{
    QObject *source = event->source();
    if (qobject_cast<TZuDirTree21 *>(source))
        return TreeDragSource::FolderTree;
    if (source && listPartner() && source == listPartner()->partnerObject())
        return TreeDragSource::FileList;
    return TreeDragSource::Other;
}

void TZuDirTree21::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_dragDropEnabled && dragSourceOf(event) != TreeDragSource::Other)
        event->acceptProposedAction();
    else
        event->ignore();
}

void TZuDirTree21::dragMoveEvent(QDragMoveEvent *event)
{
    const QTreeWidgetItem *target = itemAt(event->position().toPoint());
    if (m_commands->acceptsDrag(dragSourceOf(event), target)) {
        event->setDropAction(DragOperation == opCopy ? Qt::CopyAction : Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TZuDirTree21::dropEvent(QDropEvent *event)
{
    const TreeDragSource source = dragSourceOf(event);
    QTreeWidgetItem *target = itemAt(event->position().toPoint());
    if (!m_commands->acceptsDrag(source, target) || !currentItem()) {
        event->ignore();
        return;
    }
    // The mover is told "copy": the work is done here, nothing is removed by the drag.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    const QString targetPath = GetNodePath(target);
    QString sourceFolder;
    if (source == TreeDragSource::FolderTree)
        sourceFolder = static_cast<TZuDirTree21 *>(event->source())->DragSourceFolder();
    // The operation runs after the drag has returned.
    QMetaObject::invokeMethod(this, [this, source, targetPath, sourceFolder] {
        QTreeWidgetItem *node = nodeOfPath(targetPath);
        if (source == TreeDragSource::FolderTree)
            m_commands->dropFolder(sourceFolder, node);
        else
            m_commands->dropFileListSelection(node);
    }, Qt::QueuedConnection);
}

void TZuDirTree21::mouseReleaseEvent(QMouseEvent *event)
{
    QTreeWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        emit OnClick(this);
}

void TZuDirTree21::keyPressEvent(QKeyEvent *event)
{
    if (state() == QAbstractItemView::EditingState) {
        QTreeWidget::keyPressEvent(event);
        return;
    }
    // The menu key and Shift+F10 open the pop-up menu at the selected node.
    if (isPopUpMenuKey(event)) {
        const QRect row = currentItem() ? visualItemRect(currentItem()) : QRect();
        sendKeyboardContextMenu(this, row.isValid() ? QPoint(row.left() + 20, row.bottom()) : QPoint(0, 0));
        event->accept();
        return;
    }
    // The commands' keys act when pressed, once however long they are held.
    if (const int command = commandOfKey(event); command >= 0) {
        event->accept();
        if (!event->isAutoRepeat() && currentItem()) {
            if (command == commandRefresh)
                refreshByKey();
            else
                m_commands->action(TZuTreeAction(command))->trigger();
        }
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

int TZuDirTree21::commandOfKey(const QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ControlModifier) {
        switch (event->key()) {
        case Qt::Key_N: return taNewFolder;
        case Qt::Key_C: return taCopy;
        case Qt::Key_X: return taCut;
        case Qt::Key_V: return taPaste;
        default: return -1;
        }
    }
    if (modifiers == Qt::AltModifier && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter))
        return taProperties;
    if (modifiers == Qt::NoModifier && event->key() == Qt::Key_F2)
        return taRename;
    if (modifiers == Qt::NoModifier && event->key() == Qt::Key_F5)
        return commandRefresh;
    return -1;
}

void TZuDirTree21::keyReleaseEvent(QKeyEvent *event)
{
    // A held arrow key moves the selection by its presses; the list follows at the release.
    if (event->isAutoRepeat() || !isArrowKey(event->key())) {
        QTreeWidget::keyReleaseEvent(event);
        return;
    }
    QTreeWidget::keyReleaseEvent(event);
    selectionMovedByKey();
}

// Type-ahead selects a node the way the arrow keys do.
void TZuDirTree21::keyboardSearch(const QString &search)
{
    const QTreeWidgetItem *before = currentItem();
    QTreeWidget::keyboardSearch(search);
    if (currentItem() != before)
        selectionMovedByKey();
}

void TZuDirTree21::selectionMovedByKey()
{
    if (!currentItem())
        return;
    m_selectedPath = selectionPath();
    if (!selectedDriveReady())
        return;
    emit OnDirChange(this, m_selectedPath);
    tellFileList(m_selectedPath);
}

void TZuDirTree21::refreshByKey()
{
    ReloadTree();
    // With the root selected the rebuilt root opens again, its drives shown.
    reopen(m_selectedPath);
    if (ListPartner *list = listPartner())
        list->rereadKeepingSelection();
}

void TZuDirTree21::selectChangedFolder(const QString &path)
{
    const QString folder = DelSlash(path);
    if (folder.size() > 3)
        updateFolderNode(folderPart(folder));
    QTreeWidgetItem *node = nodeOfPath(folder);
    if (!node) {
        OpenPath(path);
        return;
    }
    for (QTreeWidgetItem *parent = node->parent(); parent; parent = parent->parent())
        parent->setExpanded(true);
    setCurrentItem(node);
    scrollToItem(node);
    m_selectedPath = node->parent() ? AddSlash(GetNodePath(node)) : drivesPath;
    emit OnDirChange(this, m_selectedPath);
}

void TZuDirTree21::tellFileList(const QString &path, bool refresh)
{
    if (ListPartner *list = listPartner(); list && !path.isEmpty())
        list->showFolder(path, refresh);
}

// Drives come in bursts; the tree is rebuilt once for each burst.
void TZuDirTree21::drivesChanged()
{
    m_rebuild.request();
}

void TZuDirTree21::followRemovedSelection(const QString &path)
{
    m_selectedPath = AddSlash(path);
    emit OnDirChange(this, m_selectedPath);
    tellFileList(m_selectedPath);
}

void TZuDirTree21::rebuildAfterChange()
{
    // A rebuild would close the caption editor: it waits until the editor has closed.
    if (state() == QAbstractItemView::EditingState) {
        m_rebuildAfterEdit = true;
        return;
    }
    // A selected folder that is gone leaves its nearest remaining parent selected.
    const QString before = m_selectedPath;
    const QString kept = m_selectedPath.isEmpty() || m_selectedPath == drivesPath
                             ? m_selectedPath
                             : nearestExistingFolder(m_selectedPath, drivesPath);
    UpdateBracket bracket(this);
    ReloadTree();
    if (QTreeWidgetItem *root = topLevelItem(0); root && !root->isExpanded())
        root->setExpanded(true);
    reopen(kept);
    // The list reads its folder again only when that folder has gone with its drive, or
    // when it shows the drives.
    if (kept == drivesPath || AddSlash(kept) != AddSlash(before))
        tellFileList(kept, true);
}

double TZuDirTree21::ShowTreeSize()
{
    const QTreeWidgetItem *node = currentItem();
    if (!node)
        return 0;
    const int level = nodeLevel(node);
    const QString path = GetNodePath(node);
    const QString label = treeSizeLabel(path, level);
    platform::FolderSizeResult result;
    // The computer holds no files of its own.
    if (!path.isEmpty()) {
        TreeSizeDialog dialog(this, path, m_language);
        result = dialog.count(platform::toNativePath(path));
        if (result.cancelled)
            return 0;
    }
    const double bytes = double(result.bytes);
    showInformationDialog(treeSizeMessage(label, bytes, result.unreadableFolders, m_language));
    return bytes;
}

double TZuDirTree21::FolderBytes(const QString &path) const
{
    if (path.isEmpty())
        return 0;
    platform::FolderSizeCounter counter;
    return double(counter.count(platform::toNativePath(path)).bytes);
}

void TZuDirTree21::ShowFolderContentsWindow()
{
    QTreeWidgetItem *node = currentItem();
    const int level = nodeLevel(node);
    if (!node || level < 1 || m_selectedPath.isEmpty())
        return;
    const QString folder = m_selectedPath;
    const QString titlePart = level == 1
                                  ? QStringLiteral("\" ") + nodeDriveLetter(node) + QStringLiteral(":\\ \"")
                                  : QStringLiteral("\" ..\\") + fileNamePart(DelSlash(folder)) + QStringLiteral(" \"");
    if (QTreeWidgetItem *root = topLevelItem(0))
        collapseRecursively(root);
    auto *window = new FolderContentsWindow(this, folder, titlePart);
    connect(window, &FolderContentsWindow::confirmed, this, [this, folder](const QString &path) {
        m_selectedFile = path;
        if (!path.isEmpty())
            emit OnFileChange(this, m_selectedFile);
        OpenPath(folder);
    });
}
