#pragma once
// The pop-up menu of the file list: the item commands, a "Send To" submenu (four
// destinations of its own and one entry per link of the user's send-to folder) and
// a glyph beside each command. The list builds a new one at every language change.
// Items trigger the file list's command actions, the ones its keys trigger.

#include "explorer/filelist/FileListSendTo.h"

#include <QMenu>
#include <QStringList>

class TZuFilelistView28;

class TZuFilelistView28PopUp : public QMenu {
    Q_OBJECT
public:
    explicit TZuFilelistView28PopUp(TZuFilelistView28 &list);

    // Captions in ListTextLanguage, the items, then the send-to entries. Runs once; the
    // send-to entries follow the folder each time the submenu opens.
    void Build();
    // Sets which items are enabled, then shows the menu at (X + 10, Y + 10) (global).
    void Popup(int X, int Y);
    // Enables the items for the list's selection, as Popup does.
    void updateEnabled();
    // Runs the item's command by its tag and name.
    void ItemClick(QAction *item);

    QMenu *sendToMenu() const { return m_sendTo; }
    const QStringList &SendToList() const { return m_sendToList; }
    // The item of that name, in the menu or its submenu; nullptr when there is none.
    QAction *item(const QString &name) const;

private:
    QAction *addItem(QMenu *menu, const QString &name, int tag, const QString &caption, const QString &glyph);
    // Lists the send-to folder's links anew when the folder changed since they were listed.
    void refreshSendTo();
    void fillSendTo();
    void runSendTo(int number);

    TZuFilelistView28 &m_list;
    FileListSendTo m_sendToCommands;
    QMenu *m_sendTo = nullptr;
    QStringList m_sendToList;
    QString m_sendToState; // the folder as the links were listed (FileListSendTo::sendToFolderState)
    bool m_built = false;
};
