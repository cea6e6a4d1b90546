#pragma once
// A folder tree: the computer, its drives and their folders, each level loaded when its
// node first expands, and kept in step with the disk: a folder created, removed or
// renamed under a shown node adds or removes that child (and its expand button) and
// leaves every other node, the selection and the scroll position as they were. Only a
// drive coming or going asks for a rebuild (drivesChanged).
// The subfolders of a network drive's folder are read in the background: the window
// answers meanwhile, and a server silent past the limit is given up (folderGivenUp).
// The folder tree and the combo's drop-down are made on it; what differs between them
// is set by the options.

#include "platform/FolderWatcher.h"

#include "explorer/shared/BurstCoalescer.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QTreeWidget>
#include <array>

class ListingSession;

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
    // they are loaded, false while a network folder is read in the background.
    bool loadSubfolders(QTreeWidgetItem *node);
    bool isReading(const QString &folderPath) const { return m_reads.contains(folderPath); }
    // How long a network folder may stay silent (milliseconds).
    void setNetworkLimit(int milliseconds) { m_networkLimitMs = milliseconds; }
    // The listed subfolders of the folder as children of the node, in the order the file
    // system gives them.
    void addSubfolders(const QString &folderPath, QTreeWidgetItem *node);
    bool hasSubfolders(const QString &folderPath) const;
    // Collapses the tree, then selects and expands each node along the path (a drive
    // path with its trailing "\"). Returns the last node reached; `complete` tells
    // whether every component had one. A walk that stops at a folder being read in the
    // background goes on when it has been read (openingResumed).
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
    // A walk stopped at a network folder may go on now: the owner opens the path again.
    void openingResumed(const QString &pathWithSlash);
    // A network folder did not answer within the limit; its node stays unloaded.
    void folderGivenUp(const QString &folderPath);

protected:
    // Whether a node may be changed by a notice now (not while a caption is edited: the
    // notice waits until the editor has closed).
    virtual bool mayUpdateNode(const QTreeWidgetItem *node) const;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void folderChanged(platform::FolderWatcher::Change change, const QString &where);
    // What the tree watches: the selected folder first, then those whose subfolders
    // are loaded, then the folders not loaded that are in view (a network drive's are
    // never probed, so never watched). A folder coming into view is probed again.
    QStringList foldersToWatch();
    void watchShownFolders();
    void applyPendingUpdates();
    bool isOnNetworkDrive(const QString &folder) const;
    void readSubfoldersInBackground(QTreeWidgetItem *node);
    void showSubfolders(const QString &path, const QStringList &names, const QList<bool> &expandable);
    void endRead(const QString &path);

    int m_allowedAttributes = 0;
    bool m_probesNetworkFolders = true;
    int m_updateDepth = 0;
    std::array<bool, 26> m_networkDrives{};
    platform::FolderWatcher m_watcher;
    QStringList m_pendingUpdates;
    QHash<QString, ListingSession *> m_reads; // by the node's path
    QSet<QString> m_watchedInView; // the folders not loaded watched while in view
    BurstCoalescer m_viewMoved;
    QString m_pendingOpen;
    int m_networkLimitMs;
};
