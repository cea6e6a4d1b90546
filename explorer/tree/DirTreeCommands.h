#pragma once
// The folder tree's commands, apart from the view: new folder, rename, delete, cut,
// copy, paste, tree size, folder contents, the network drives, properties and the
// drop of folders and files. Each is a QAction that the keys and the pop-up menu
// trigger alike; the named operations (AddNewFolder, PasteFolder…) are their bodies.
// Every command that changes folders ends by rebuilding the tree and reopening a path.

#include <QObject>
#include <QString>
#include <QStringList>
#include <array>

class QAction;
class QTreeWidgetItem;
class TZuDirTree21;

enum TZuTreeAction {
    taNewFolder,
    taRename,
    taDelete,
    taCut,
    taCopy,
    taPaste,
    taTreeSize,
    taFolderContents,
    taMapNetworkDrive,
    taDisconnectNetworkDrive,
    taProperties,
};
inline constexpr int treeActionCount = taProperties + 1;

// What is dragged over a tree.
enum class TreeDragSource { Other, FolderTree, FileList };

class DirTreeCommands : public QObject {
    Q_OBJECT
public:
    explicit DirTreeCommands(TZuDirTree21 &tree);

    QAction *action(TZuTreeAction which) const { return m_actions[which]; }

    // A new folder under the node (nullptr: the selected one). An empty name takes the
    // default one (made unique with "(2)", "(3)"…) and opens the caption editor on it.
    bool AddNewFolder(QTreeWidgetItem *node, const QString &name = QString());
    // Shows the folder `path`, just made here or by the linked list, in the tree and the
    // list and opens the caption editor on it; a read-only tree names a new folder too.
    bool nameNewFolder(const QString &path);
    // Whether the caption editor may open on the node.
    bool CanEdit(const QTreeWidgetItem *node) const;
    // Opens the caption editor on the selected node when it may.
    void BeginRename();
    // The caption editor of the folder `oldPath` closed with `newText` (empty when it
    // was cancelled): checks the name, asks unless the folder was just made, renames.
    void FolderEdited(const QString &oldPath, const QString &newText);
    // Moves the node's folder to the trash after the user's yes.
    bool DeleteFolder(QTreeWidgetItem *node);
    // Remembers the selected folder for a paste (opCopy or opMove) and puts it on the
    // desktop's clipboard.
    void MarkClipboardFolder(int operation);
    // Copies or moves the remembered folder (or what another program put on the
    // clipboard) into the selected folder.
    void PasteFolder();
    void ShowFolderProperties();

    // Whether a drag from that source may be dropped on the node.
    bool acceptsDrag(TreeDragSource source, const QTreeWidgetItem *target) const;
    // A folder dragged from a tree is copied or moved (DragOperation) into the target.
    void dropFolder(const QString &sourceFolder, QTreeWidgetItem *target);
    // The files selected in the linked file list are copied or moved into the target;
    // folders are never dropped.
    void dropFileListSelection(QTreeWidgetItem *target);

    QString ClipboardFolder() const { return m_clipboardFolder; }
    bool PasteEnabled() const { return m_pasteEnabled; }
    // True while another program's files are on the desktop's clipboard.
    bool foreignFilesOnClipboard() const;
    bool NewFolderMode() const { return m_newFolderMode; }
    QString DropTargetPath() const { return m_dropTargetPath; }

private:
    // Rebuilds the tree, reopens the path and shows it in the linked list.
    void showAfterChange(const QString &path);
    QString text(const char *name) const;
    QString nodeName(const QString &path) const;

    TZuDirTree21 &m_tree;
    std::array<QAction *, treeActionCount> m_actions{};
    QString m_clipboardFolder;
    bool m_pasteEnabled = false;
    bool m_newFolderMode = false;
    QString m_newFolderPath; // the folder whose editor nameNewFolder opened last
    QString m_dropTargetPath;
};
