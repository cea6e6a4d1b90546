#include "explorer/shared/FolderTree.h"

#include "explorer/shared/DirTreeFolders.h"
#include "explorer/shared/DirTreeNodes.h"
#include "explorer/shared/ListingSession.h"
#include "explorer/shared/NameDisplayDelegate.h"
#include "explorer/shared/PathUtils.h"
#include "platform/DriveTable.h"
#include "platform/WaitCursor.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QSet>
#include <utility>

namespace {
int driveIndex(QChar letter)
{
    const char16_t code = letter.unicode() & ~char16_t(0x20);
    return code >= u'A' && code <= u'Z' ? code - u'A' : -1;
}

bool isInside(const QTreeWidgetItem *node, const QTreeWidgetItem *ancestor)
{
    for (; node; node = node->parent()) {
        if (node == ancestor)
            return true;
    }
    return false;
}
} // namespace

FolderTree::FolderTree(QWidget *parent)
    : QTreeWidget(parent)
    , m_allowedAttributes(folderFilterBits)
    , m_watcher(this)
    , m_viewMoved(this, [this] {
        if (m_updateDepth == 0)
            watchShownFolders();
    })
    , m_networkLimitMs(ListingSession::networkLimitMs)
{
    setColumnCount(1);
    header()->hide();
    // names are shown whole: the column is as wide as the widest one in view, and the
    // tree scrolls sideways when that is wider than the tree
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setItemDelegate(new NameDisplayDelegate(this));
    connect(&m_watcher, &platform::FolderWatcher::changed, this, &FolderTree::folderChanged);
    // Every folder shown is watched: the selected one, the loaded ones, then the rest.
    connect(this, &QTreeWidget::currentItemChanged, this, [this] {
        if (m_updateDepth == 0)
            watchShownFolders();
    });
    // Folders not loaded are watched while in view.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { m_viewMoved.request(); });
    connect(this, &QTreeWidget::itemCollapsed, this, [this] { m_viewMoved.request(); });
}

void FolderTree::beginUpdate()
{
    if (m_updateDepth++ == 0)
        setUpdatesEnabled(false);
}

void FolderTree::endUpdate()
{
    if (m_updateDepth == 0 || --m_updateDepth > 0)
        return;
    watchShownFolders();
    setUpdatesEnabled(true);
}

QStringList FolderTree::foldersToWatch()
{
    QStringList loaded;
    if (QTreeWidgetItem *selected = currentItem(); selected && selected->parent())
        loaded.append(nodePath(selected));
    std::vector<QTreeWidgetItem *> pending;
    if (QTreeWidgetItem *root = topLevelItem(0))
        pending.push_back(root);
    while (!pending.empty()) {
        QTreeWidgetItem *node = pending.back();
        pending.pop_back();
        if (nodeLevel(node) >= 1 && subfoldersLoaded(node))
            loaded.append(nodePath(node));
        for (int i = node->childCount() - 1; i >= 0; --i) {
            if (node->child(i)->childCount() > 0 || subfoldersLoaded(node->child(i)))
                pending.push_back(node->child(i));
        }
    }
    QStringList inView;
    QSet<QString> nowInView;
    const int bottom = viewport()->height();
    for (QModelIndex index = indexAt(QPoint(1, 1)); index.isValid() && visualRect(index).top() < bottom;
         index = indexBelow(index)) {
        QTreeWidgetItem *node = itemFromIndex(index);
        if (nodeLevel(node) < 2 || subfoldersLoaded(node) || node->childCount() > 0)
            continue;
        const QString path = nodePath(node);
        if (isOnNetworkDrive(path))
            continue;
        inView.append(path);
        nowInView.insert(path);
        // Unwatched until now: its expand button may be out of date.
        if (!m_watchedInView.contains(path))
            setHasChildren(node, hasSubfolders(path));
    }
    m_watchedInView = std::move(nowInView);
    return loaded + inView;
}

void FolderTree::watchShownFolders()
{
    m_watcher.setFolders(foldersToWatch());
}

void FolderTree::loadRootNode()
{
    beginUpdate();
    clear();
    m_pendingUpdates.clear();
    if (QTreeWidgetItem *root = newComputerNode())
        addTopLevelItem(root);
    endUpdate();
}

void FolderTree::loadDrives()
{
    QTreeWidgetItem *root = topLevelItem(0);
    if (!root)
        return;
    beginUpdate();
    QList<QTreeWidgetItem *> driveNodes;
    m_networkDrives.fill(false);
    for (const platform::DriveInfo &drive : platform::refreshDrives()) {
        driveNodes.append(newDriveNode(drive.letter));
        if (const int index = driveIndex(drive.letter); index >= 0)
            m_networkDrives[size_t(index)] = drive.kind == platform::DriveKind::Network;
    }
    root->addChildren(driveNodes);
    endUpdate();
}

bool FolderTree::isOnNetworkDrive(const QString &folder) const
{
    const int drive = folder.isEmpty() ? -1 : driveIndex(folder.at(0));
    return drive >= 0 && m_networkDrives[size_t(drive)];
}

bool FolderTree::hasSubfolders(const QString &folderPath) const
{
    return hasListedSubfolder(folderPath, m_allowedAttributes);
}

void FolderTree::addSubfolders(const QString &folderPath, QTreeWidgetItem *node)
{
    const QString folder = AddSlash(folderPath);
    // Folders of network drives are not probed unless asked: they all get an expand button.
    const bool network = isOnNetworkDrive(folder);
    const SubfolderListing found = listSubfolders(folder, m_allowedAttributes, m_probesNetworkFolders || !network, !network);
    QList<QTreeWidgetItem *> children;
    children.reserve(found.names.size());
    for (qsizetype i = 0; i < found.names.size(); ++i)
        children.append(newFolderNode(found.names.at(i), found.expandable.at(i)));
    node->addChildren(children);
}

bool FolderTree::loadSubfolders(QTreeWidgetItem *node)
{
    if (!node || !node->parent())
        return false;
    if (node->childCount() > 0)
        return true;
    if (isOnNetworkDrive(nodePath(node))) {
        readSubfoldersInBackground(node);
        return false;
    }
    platform::WaitCursor waitCursor;
    beginUpdate();
    setHasChildren(node, false);
    addSubfolders(nodePath(node), node);
    sortChildrenByCaption(node);
    setSubfoldersLoaded(node);
    endUpdate();
    return true;
}

void FolderTree::readSubfoldersInBackground(QTreeWidgetItem *node)
{
    const QString path = nodePath(node);
    if (m_reads.contains(path))
        return;
    auto *session = new ListingSession(m_networkLimitMs, this);
    m_reads.insert(path, session);
    const QString folder = AddSlash(path);
    const int allowed = m_allowedAttributes;
    const bool probes = m_probesNetworkFolders;
    session->start<SubfolderListing>(
        path,
        [folder, allowed, probes](const std::atomic<bool> &cancelled) {
            // A server is asked one folder at a time.
            return listSubfolders(folder, allowed, probes, false, &cancelled);
        },
        [this, path](SubfolderListing found) {
            endRead(path);
            showSubfolders(path, found.names, found.expandable);
        },
        [this, path] {
            endRead(path);
            if (QTreeWidgetItem *silent = nodeOfPath(path))
                silent->setExpanded(false);
            if (m_pendingOpen.startsWith(AddSlash(path), Qt::CaseInsensitive))
                m_pendingOpen.clear();
            emit folderGivenUp(path);
        });
}

void FolderTree::endRead(const QString &path)
{
    if (ListingSession *session = m_reads.take(path))
        session->deleteLater();
}

void FolderTree::showSubfolders(const QString &path, const QStringList &names, const QList<bool> &expandable)
{
    QTreeWidgetItem *node = nodeOfPath(path);
    if (!node || node->childCount() > 0)
        return;
    beginUpdate();
    QList<QTreeWidgetItem *> children;
    for (qsizetype i = 0; i < names.size(); ++i)
        children.append(newFolderNode(names.at(i), expandable.value(i, true)));
    setHasChildren(node, !children.isEmpty());
    node->addChildren(children);
    sortChildrenByCaption(node);
    setSubfoldersLoaded(node);
    endUpdate();
    if (!m_pendingOpen.isEmpty() && m_pendingOpen.startsWith(AddSlash(path), Qt::CaseInsensitive))
        emit openingResumed(std::exchange(m_pendingOpen, {}));
}

QTreeWidgetItem *FolderTree::openNodesTo(const QString &pathWithSlash, bool *complete)
{
    *complete = false;
    m_pendingOpen.clear();
    QTreeWidgetItem *root = topLevelItem(0);
    if (!root)
        return nullptr;
    beginUpdate();
    if (root->childCount() == 0)
        loadDrives();
    if (root->isExpanded())
        collapseRecursively(root);
    QTreeWidgetItem *reached = openNodesAlong(root, pathWithSlash, complete);
    scrollToItem(reached);
    endUpdate();
    if (!*complete && reached && m_reads.contains(nodePath(reached)))
        m_pendingOpen = pathWithSlash;
    return reached;
}

QTreeWidgetItem *FolderTree::nodeOfPath(const QString &path) const
{
    QTreeWidgetItem *node = topLevelItem(0);
    for (const QString &key : path.split(QLatin1Char('\\'), Qt::SkipEmptyParts))
        node = node ? childWithKey(node, key) : nullptr;
    return node;
}

bool FolderTree::mayUpdateNode(const QTreeWidgetItem *) const
{
    return state() != QAbstractItemView::EditingState;
}

void FolderTree::folderChanged(platform::FolderWatcher::Change change, const QString &where)
{
    if (change == platform::FolderWatcher::Change::DriveAdded || change == platform::FolderWatcher::Change::DriveRemoved) {
        emit drivesChanged();
        return;
    }
    updateFolderNode(where);
}

void FolderTree::updateFolderNode(const QString &folderPath)
{
    QTreeWidgetItem *node = nodeOfPath(folderPath);
    if (!node || !node->parent())
        return;
    if (!mayUpdateNode(node)) {
        // Applied once the caption editor has closed.
        if (!m_pendingUpdates.contains(folderPath))
            m_pendingUpdates.append(folderPath);
        return;
    }
    const QString folder = nodePath(node);
    if (!DirExists(folder)) {
        if (nodeLevel(node) > 1)
            updateFolderNode(nodePath(node->parent()));
        return;
    }
    if (!subfoldersLoaded(node)) {
        if (node->childCount() == 0)
            setHasChildren(node, (!m_probesNetworkFolders && isOnNetworkDrive(folder)) || hasSubfolders(folder));
        return;
    }
    const QStringList names = listedSubfolders(AddSlash(folder), m_allowedAttributes);
    const QSet<QString> present(names.cbegin(), names.cend());
    QSet<QString> shown;
    QTreeWidgetItem *selected = currentItem();
    bool selectionMoved = false;
    bool childrenChanged = false;
    for (int i = node->childCount() - 1; i >= 0; --i) {
        QTreeWidgetItem *child = node->child(i);
        if (present.contains(child->text(0))) {
            shown.insert(child->text(0));
            continue;
        }
        if (isInside(selected, child)) {
            setCurrentItem(node);
            selectionMoved = true;
        }
        delete node->takeChild(i);
        childrenChanged = true;
    }
    const bool everyOneExpands = !m_probesNetworkFolders && isOnNetworkDrive(folder);
    for (const QString &name : names) {
        if (shown.contains(name))
            continue;
        insertChildByCaption(node, newFolderNode(name, everyOneExpands || hasSubfolders(AddSlash(folder) + name)));
        childrenChanged = true;
    }
    if (node->childCount() == 0)
        setHasChildren(node, false);
    // The folders shown are others now: the watches follow.
    if (m_updateDepth == 0 && childrenChanged)
        watchShownFolders();
    if (selectionMoved)
        emit selectedFolderRemoved(folder);
}

void FolderTree::resizeEvent(QResizeEvent *event)
{
    QTreeWidget::resizeEvent(event);
    m_viewMoved.request();
}

void FolderTree::showEvent(QShowEvent *event)
{
    QTreeWidget::showEvent(event);
    m_viewMoved.request();
}

void FolderTree::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTreeWidget::closeEditor(editor, hint);
    if (!m_pendingUpdates.isEmpty())
        QMetaObject::invokeMethod(this, &FolderTree::applyPendingUpdates, Qt::QueuedConnection);
}

void FolderTree::applyPendingUpdates()
{
    const QStringList pending = std::exchange(m_pendingUpdates, {});
    for (const QString &folder : pending)
        updateFolderNode(folder);
}
