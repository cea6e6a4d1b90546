#pragma once
// The folder tree: the computer, its drives and their folders, each level loaded when
// its node first expands. A click or an arrow-key move selects a path, raises
// OnDirChange and moves the linked file list there. A folder that comes, goes or is
// renamed changes its parent's node only; the tree rebuilds itself and reopens the
// selected path when drives come or go.

#include "explorer/shared/BurstCoalescer.h"
#include "explorer/shared/ExplorerTypes.h"
#include "explorer/shared/FolderPartner.h"
#include "explorer/shared/FolderTree.h"
#include "explorer/shared/PartnerLink.h"
#include "explorer/tree/DirTreeCommands.h"

#include <QPointer>
#include <QString>

class DirTreeCommands;
class NetworkDriveCommands;
class TZuDirTree21PopUp;
class TZuFilelistView28;

class TZuDirTree21 : public FolderTree, public FolderPartner {
    Q_OBJECT
public:
    explicit TZuDirTree21(QWidget *parent = nullptr);
    ~TZuDirTree21() override;

    // Which folders are listed, by attribute; nodes already loaded are not filtered again.
    TFileType FolderType() const { return m_folderType; }
    void SetFolderType(TFileType folderType);
    // FileList() and SetFileList() come with the partner side: linking one side links
    // the other, the previous list let go.

    // The partner side, through which the linked list reaches the tree.
    Kind partnerKind() const override { return Kind::Tree; }
    QObject *partnerObject() override { return this; }
    void followFolder(const QString &path) override { OpenPath(path); }
    void reloadKeeping(const QString &path) override;
    void showChangedFolder(const QString &path) override;
    QString followedFolder() const override { return SelectedPath(); }
    bool nameNewFolder(const QString &path) override;
    QString topCaption() const override { return topNodeCaption(); }
    TLanguage Language() const { return m_language; }
    void SetLanguage(TLanguage language);
    bool PopUpMenuEnabled() const { return m_popUpMenuEnabled; }
    void SetPopUpMenuEnabled(bool enabled);
    // "Drives" while the root is selected; a node's path after a click or an arrow key,
    // the path with a trailing "\" after OpenPath.
    QString SelectedPath() const { return m_selectedPath; }
    // Stores the text only: no node is selected, no event raised.
    void SetSelectedPath(const QString &path) { m_selectedPath = path; }
    QString SelectedFile() const { return m_selectedFile; }
    void SetSelectedFile(const QString &file) { m_selectedFile = file; }
    QString About() const;
    void SetAbout(const QString &) {}
    bool DragDropEnabled() const { return m_dragDropEnabled; }
    void SetDragDropEnabled(bool enabled) { m_dragDropEnabled = enabled; }
    // Blocks the in-place rename and drops only.
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }

    // Rebuilds the root and the drive nodes; every folder node is dropped.
    virtual void ReloadTree();
    // Selects the folder's node, loading and expanding each level on the way, then sets
    // SelectedPath and raises OnDirChange. Stops quietly at the last node found; ignores
    // a path that is not an existing folder. The top node's caption selects the top
    // node ("Drives"). The file list is not told.
    virtual void OpenPath(const QString &path);
    // Caption of the top node, the computer.
    virtual QString topNodeCaption() const;
    QString GetNodePath(const QTreeWidgetItem *node) const;
    // Clears the tree and adds the computer's node.
    void LoadRootNode() { loadRootNode(); }
    // Adds a node per present drive under the root.
    void LoadDrives() { loadDrives(); }
    // Adds the listed subfolders of the folder as children of the node, in the order
    // the file system gives them.
    void AddSubFolders(const QString &folderPath, QTreeWidgetItem *node) { addSubfolders(folderPath, node); }
    bool HasSubFolders(const QString &folderPath) const { return hasSubfolders(folderPath); }

    // The folder commands (DirTreeCommands.h): the keys and the pop-up menu trigger their actions.
    DirTreeCommands &commands() const { return *m_commands; }
    TZuDirTree21PopUp *popUpMenu() const { return m_popUp; }
    bool AddNewFolder(QTreeWidgetItem *node = nullptr, const QString &name = QString());
    bool DeleteFolder(QTreeWidgetItem *node);
    void MarkClipboardFolder(int operation);
    void PasteFolder();
    void ShowFolderProperties();
    QString ClipboardFolder() const;
    bool PasteEnabled() const;
    // Counts the selected node's folder in the background and shows its size; returns
    // the byte total (0 when cancelled).
    double ShowTreeSize();
    // Total size of the regular files below the folder, each counted once.
    double FolderBytes(const QString &path) const;
    // The plain files of the selected folder in a small window over the tree.
    void ShowFolderContentsWindow();
    // Opens the caption editor on the node (the rename ends in DirTreeCommands::FolderEdited).
    void editCaption(QTreeWidgetItem *node);
    // Whether the node is the one the last left-button press landed on.
    bool isDragSourceNode(const QTreeWidgetItem *node) const;
    QString DragSourceFolder() const { return m_dragSourceFolder; }
    // After a command changed folders: the parent's node brought in step, then the
    // path's node selected (its parents expanded, nothing else collapsed) and OnDirChange
    // raised. The list is not told.
    void selectChangedFolder(const QString &path);
    // Moves the linked list to the path; with `refresh` the list reads the path once
    // more when it already shows it.
    void tellFileList(const QString &path, bool refresh = false);

    // The network commands: a mapped drive is selected and shown in the file list; after a
    // disconnection the computer's node is. Both end in the background, by signal.
    void MapNetworkDrive();
    void DisconnectNetworkDrive();
    // Mounts the drives kept from the last session; the tree shows them when they come.
    void restoreNetworkDrives();

    void keyboardSearch(const QString &search) override;

signals:
    void OnDirChange(QObject *Sender, QString SelectedPath);
    void OnFileChange(QObject *Sender, QString SelectedFile);
    // A left click, raised after the click has moved SelectedPath and the file list.
    void OnClick(QObject *Sender);

protected:
    void listLinked() override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void commitData(QWidget *editor) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    // Loads a node's subfolders the first time it expands.
    virtual void NodeExpanding(QTreeWidgetItem *node);

private:
    class UpdateBracket;

    bool isOnLabelOrIcon(const QPoint &position) const;
    bool isBeside(const QPoint &position) const;
    // The path of the selected node, loading the drives first when the root is selected
    // and has none yet; "Drives" for the root.
    QString selectionPath();
    // Selects the computer's node, its drives shown: "Drives".
    void selectTopNode();
    // Selects a path again: "Drives" or a folder.
    void reopen(const QString &path);
    // False, after the user has been warned, for a removable or CD-ROM drive node
    // without a medium.
    bool selectedDriveReady();
    void selectionMovedByKey();
    void refreshByKey();
    // The command a key runs (a TZuTreeAction, or commandRefresh for F5); -1 for none.
    static constexpr int commandRefresh = 1000;
    static int commandOfKey(const QKeyEvent *event);
    void drivesChanged();
    void rebuildAfterChange();
    void followRemovedSelection(const QString &path);
    void showMappedDrive(const QString &drivePath);
    void showDisconnectedDrive();
    void rebuildPopUpMenu();
    void startFolderDrag();
    TreeDragSource dragSourceOf(const QDropEvent *event) const;

    TFileType m_folderType = createdFileType;
    TLanguage m_language = lnSysDefault;
    bool m_popUpMenuEnabled = true;
    QString m_selectedPath;
    QString m_selectedFile;
    bool m_dragDropEnabled = true;
    bool m_readOnly = false;

    QString m_previousPath;
    BurstCoalescer m_rebuild;
    NetworkDriveCommands *m_networkDrives = nullptr;
    DirTreeCommands *m_commands = nullptr;
    TZuDirTree21PopUp *m_popUp = nullptr;

    // The press that may start a drag, and the caption being edited.
    QString m_dragSourceFolder;
    QString m_dragSourceNodePath;
    bool m_hasDragSourceNode = false;
    bool m_dragArmed = false;
    QPoint m_dragStart;
    QString m_editedPath;
    bool m_editCommitted = false;
    bool m_rebuildAfterEdit = false;
};
