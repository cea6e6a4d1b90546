#pragma once
// The folder tree combo: a read-only field showing the chosen folder's icon and
// caption, with a button that drops a folder tree down below it (above it when the
// screen has no room below). Choosing a folder sets SelectedPath, moves the linked
// file list there and raises OnPathChange. The tree is rebuilt, and the chosen path
// opened again, when folders or drives come, go or are renamed.

#include "explorer/shared/BurstCoalescer.h"
#include "explorer/shared/ExplorerTypes.h"
#include "explorer/shared/FolderPartner.h"
#include "explorer/shared/PartnerLink.h"
#include "platform/FolderWatcher.h"

#include <QLineEdit>
#include <QPixmap>
#include <QPointer>
#include <QString>

class QTreeWidgetItem;
class TNewWindowProc;
class TZuDirTreeView;
class TZuFilelistView28;
class TZuSpeedButton;

class TZuDirTreeCombo28 : public QLineEdit, public FolderPartner {
    Q_OBJECT
public:
    explicit TZuDirTreeCombo28(QWidget *parent = nullptr);
    ~TZuDirTreeCombo28() override;

    // The chosen path, kept by the drop-down: "Drives" for the drive list.
    QString SelectedPath() const;
    // Stores the path unless it names the stored folder in other letter case; then the
    // linked list shows SelectedPath. Neither the field nor the drop-down changes.
    void SetSelectedPath(const QString &path);
    // FileList() and SetFileList() come with the partner side: linking one side links
    // the other, the previous list let go.
    bool ExpandRoot() const;
    void SetExpandRoot(bool expandRoot);
    bool HideSelection() const { return m_hideSelection; }
    void SetHideSelection(bool hide);
    QString About() const { return QStringLiteral("Version 2.8.8.1"); }
    void SetAbout(const QString &) {}
    TLanguage Language() const { return m_language; }
    void SetLanguage(TLanguage language);
    QPixmap Glyph() const { return m_glyph; }
    // Copies the picture; a null one is ignored.
    void SetGlyph(const QPixmap &glyph);
    int TreeHeight() const { return m_treeHeight; }
    void SetTreeHeight(int height);
    // Index in the system image list of the picture drawn left of the text.
    int IconIndex() const { return m_iconIndex; }

    // Opens an existing folder in the drop-down, shows the node reached in the field,
    // sets SelectedPath and raises OnPathChange. The top node's caption opens the
    // drive list.
    virtual void OpenPath(const QString &path);
    // Caption of the top node, the computer.
    virtual QString topNodeCaption() const;
    // Rebuilds the drop-down's root and drive nodes.
    void RebuildTree();
    // Opens the drop-down, or closes it when open.
    void ToggleDropDown();
    // Keeps the text clear of the icon at the left and the button at the right.
    void SetTextRect();

    TZuDirTreeView *dropDown() const { return m_dropDown; }
    TZuSpeedButton *button() const { return m_button; }
    bool isDroppedDown() const override;

    // The partner side, through which the linked list reaches the combo.
    Kind partnerKind() const override { return Kind::Combo; }
    QObject *partnerObject() override { return this; }
    void followFolder(const QString &path) override { OpenPath(path); }
    void reloadKeeping(const QString &path) override;
    void showChangedFolder(const QString &path) override;
    QString followedFolder() const override { return SelectedPath(); }
    QString topCaption() const override { return topNodeCaption(); }
    void toggleDropDown() override { ToggleDropDown(); }
    // The hint shown while the pointer is over the closed combo.
    QString hintText() const;

    // A folder clicked in the drop-down (the Sender of OnPathChange).
    void chooseFromDropDown(QObject *sender);
    // The combo's keys, from the field or from the open drop-down.
    void comboKeyPress(QKeyEvent *event);

signals:
    void OnPathChange(QObject *Sender, QString SelectedPath);

protected:
    void listLinked() override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    // Handles a key of the table; true when the key goes no further.
    bool keyDown(int key);
    void showNode(const QTreeWidgetItem *node);
    void selectRootWhenNothingIsSelected();
    void takeSelectionByEnter();
    void refreshByKey();
    void rebuildAfterChange();
    // The chosen folder went: the nearest folder left is chosen and shown in the list.
    void followRemovedFolder();
    // Moves the linked list to the path; one that stays reads its folder again.
    void showInFileList(const QString &path);

    TZuSpeedButton *m_button;
    TZuDirTreeView *m_dropDown;
    TNewWindowProc *m_wheelHook;
    bool m_hideSelection = true;
    TLanguage m_language = lnSysDefault;
    QPixmap m_glyph;
    int m_treeHeight = 240;
    int m_iconIndex = -1;
    BurstCoalescer m_rebuild{this, [this] { rebuildAfterChange(); }};
};
