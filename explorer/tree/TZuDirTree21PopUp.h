#pragma once
// The pop-up menu of the folder tree: eleven folder commands with their glyphs, in the
// tree's language. The tree builds a new one at every language change. Items trigger
// the tree's command actions, the ones its keys trigger.

#include <QMenu>

class TZuDirTree21;

class TZuDirTree21PopUp : public QMenu {
    Q_OBJECT
public:
    explicit TZuDirTree21PopUp(TZuDirTree21 &tree);

    // Sets which items are enabled for the selected node, then shows the menu at
    // (X + 10, Y + 10) (global).
    void Popup(int X, int Y);
    // Enables the items for the selected node, as Popup does.
    void updateEnabled();
    // Runs the item's command by its tag; items without a name or a known tag do nothing.
    void ItemClick(QAction *item);

    // The item of that name; nullptr when there is none.
    QAction *item(const QString &name) const;

private:
    void Build();

    TZuDirTree21 &m_tree;
};
