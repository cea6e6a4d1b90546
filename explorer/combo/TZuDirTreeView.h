#pragma once
// The combo's drop-down folder tree: a top-level popup window holding the computer,
// its drives and every subfolder (hidden ones too), each level loaded when its node
// first expands. The selection follows the pointer; a click on a folder chooses it,
// a click outside closes the drop-down.

#include "explorer/shared/FolderTree.h"

#include <QString>

class TZuDirTreeCombo28;

class TZuDirTreeView : public FolderTree {
    Q_OBJECT
public:
    explicit TZuDirTreeView(TZuDirTreeCombo28 *combo);

    // "Drives" for the root, else the chosen folder.
    QString SelectedPath() const { return m_selectedPath; }
    void setSelectedPath(const QString &path) { m_selectedPath = path; }
    QString PreviousPath() const { return m_previousPath; }
    bool ExpandRoot() const { return m_expandRoot; }
    // True expands the root node.
    void SetExpandRoot(bool expandRoot);
    bool MouseInside() const { return m_mouseInside; }

    // Clears the tree and adds the computer and a node per present drive.
    void LoadDrives();
    // Selects and expands each node along the path (with its trailing "\") and stops
    // at the first component without a node. SelectedPath is not changed.
    void OpenPath(const QString &path);
    // SelectedPath becomes the selected node's path ("Drives" for the root). A
    // removable drive without a medium warns and selects the previous path again.
    void TakeSelection();
    // Hides the drop-down, giving the keyboard focus back to the combo.
    void CloseUp();
    // Lists a node's subfolders the first time it expands.
    void NodeExpanding(QTreeWidgetItem *node) { loadSubfolders(node); }

protected:
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    bool isOnLabelOrIcon(const QPoint &position) const;

    TZuDirTreeCombo28 *m_combo;
    QString m_selectedPath = QStringLiteral("Drives");
    QString m_previousPath;
    bool m_expandRoot = false;
    bool m_mouseInside = false;
};
