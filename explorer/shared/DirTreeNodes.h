#pragma once
// The nodes of a folder tree: the computer at level 0, one node per drive at level 1
// (captioned " (C:)  Label "), folders below, each captioned with its name. A node
// shows its two images and keeps whether its subfolders have been loaded.

#include <QChar>
#include <QString>
#include <QStringList>

class QPoint;
class QStyleOptionViewItem;
class QTreeView;
class QTreeWidget;
class QTreeWidgetItem;

// The computer's node (nullptr when the shell names or pictures no computer), a
// drive's node (" (C:)  Label ", with an expand button) and a folder's node.
QTreeWidgetItem *newComputerNode();
QTreeWidgetItem *newDriveNode(QChar letter);
QTreeWidgetItem *newFolderNode(const QString &name, bool hasChildren);

int nodeLevel(const QTreeWidgetItem *node);
// The drive letter of the node's branch (caption position 3 of its level-1 ancestor);
// a null character for the root.
QChar nodeDriveLetter(const QTreeWidgetItem *node);
// What a path component is matched against: "C:" for a drive node, the caption of a
// folder node.
QString nodeKey(const QTreeWidgetItem *node);
// "" for none and for the root, "C:\" for a drive node, "C:\Music\Rock" for a folder.
QString nodePath(const QTreeWidgetItem *node);

// The child whose key equals `key`; an exact match is preferred to one that differs
// only in letter case.
QTreeWidgetItem *childWithKey(const QTreeWidgetItem *node, const QString &key);

// Sorts the node's children by caption, letter case ignored, as the user's locale
// orders text.
void sortChildrenByCaption(QTreeWidgetItem *node);
// Inserts a child among children already in that order; the others keep their state.
void insertChildByCaption(QTreeWidgetItem *node, QTreeWidgetItem *child);

// The has-children flag: an expand button before any child exists.
void setHasChildren(QTreeWidgetItem *node, bool hasChildren);
bool hasChildren(const QTreeWidgetItem *node);

// Set once the node's subfolders have been listed.
void setSubfoldersLoaded(QTreeWidgetItem *node);
bool subfoldersLoaded(const QTreeWidgetItem *node);

// Image indexes in the system image list; the node shows the first one normally and
// the second one while it is selected.
void setNodeImages(QTreeWidgetItem *node, int imageIndex, int selectedImageIndex);
// The first of the two; -1 when none was set.
int nodeImageIndex(const QTreeWidgetItem *node);

// Collapses the node and every expanded node below it.
void collapseRecursively(QTreeWidgetItem *node);

// Walks the path's components ("C:\", "Music\", ...) down from the root, selecting
// and expanding each matching node. Returns the last node reached; `complete` tells
// whether every component matched.
QTreeWidgetItem *openNodesAlong(QTreeWidgetItem *root, const QString &pathWithSlash, bool *complete);

// Whether a point of the view is on an item's icon or the text of its label; `option`
// is the view's item option.
bool isOnLabelOrIcon(const QTreeView *view, QStyleOptionViewItem option, const QPoint &position);
