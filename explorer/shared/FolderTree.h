#pragma once
// A folder tree: the computer, its drives and their folders, each level loaded when its
// node first expands, and kept in step with the disk: a folder created, removed or
// renamed under a shown node adds or removes that child (and its expand button) and
// leaves every other node, the selection and the scroll position as they were. Only a
// drive coming or going asks for a rebuild (drivesChanged).
// The folder tree and the combo's drop-down are made on it; what differs between them
// is set by the options.

#include "platform/FolderWatcher.h"

#include <QString>
#include <QTreeWidget>
#include <array>

class FolderTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit FolderTree(QWidget *parent = nullptr);

    // The attribute bits a listed folder may carry (allowedFolderAttributes()).
    int allowedAttributes() const { return m_allowedAttributes; }
    void setAllowedAttributes(int allowed) { m_allowedAttributes = allowed; }
    // Whether the folders of a network drive are probed for subfolders; when not, each
    // gets an expand button, and the first expansion tells.
    bool probesNetworkFolders() const { return m_probesNetworkFolders; }
    void setProbesNetworkFolders(bool probes) { m_probesNetworkFolders = probes; }

    // Clears the tree and adds the computer's node.
    void loadRootNode();
    // Adds a node per present drive under the root.
    void loadDrives();
    // Lists a folder node's subfolders the first time (sorted by caption); true when
    // they are loaded.
    bool loadSubfolders(QTreeWidgetItem *node);
    // The listed subfolders of the folder as children of the node, in the order the file
    // system gives them.
    void addSubfolders(const QString &folderPath, QTreeWidgetItem *node);
    bool hasSubfolders(const QString &folderPath) const;
    // Collapses the tree, then selects and expands each node along the path (a drive
    // path with its trailing "\"). Returns the last node reached; `complete` tells
    // whether every component had one.
    QTreeWidgetItem *openNodesTo(const QString &pathWithSlash, bool *complete);
    // The loaded node of a drive path; nullptr when the tree does not hold it.
    QTreeWidgetItem *nodeOfPath(const QString &path) const;

    // Bulk changes: painting is suspended from the first begin to the matching end; the
    // watched folders follow at the end.
    void beginUpdate();
    void endUpdate();
    bool isUpdating() const { return m_updateDepth > 0; }

    // Brings one shown folder's node in step with the disk: children added or removed
    // when its subfolders are loaded, its expand button otherwise. A node whose folder
    // is gone goes, its parent brought in step instead.
    void updateFolderNode(const QString &folderPath);

signals:
    // A drive came or went: the owner rebuilds.
    void drivesChanged();
    // Nodes went with their folders; the selection was inside one of them and has moved
    // to the nearest node left, `path` (the owner follows it).
    void selectedFolderRemoved(const QString &path);

protected:
    // Whether a node may be changed by a notice now (not while a caption is edited: the
    // notice waits until the editor has closed).
    virtual bool mayUpdateNode(const QTreeWidgetItem *node) const;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void folderChanged(platform::FolderWatcher::Change change, const QString &where);
    void watchShownFolders();
    void applyPendingUpdates();
    bool isOnNetworkDrive(const QString &folder) const;
    // Whether each of the named subfolders of `folder` gets an expand button.
    QList<bool> probeSubfolders(const QString &folder, const QStringList &names) const;

    int m_allowedAttributes = 0;
    bool m_probesNetworkFolders = true;
    int m_updateDepth = 0;
    std::array<bool, 26> m_networkDrives{};
    platform::FolderWatcher m_watcher;
    QStringList m_pendingUpdates;
};
