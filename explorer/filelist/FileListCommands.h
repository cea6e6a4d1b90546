#pragma once
// The file list's commands, apart from the view: cut, copy, paste, delete, rename,
// new folder, view, find and the drop of files. Each is a QAction that the keys, the
// pop-up menu and the folder tree trigger alike; the named operations (CutCopy, Paste…) are the
// actions' bodies.

#include "explorer/shared/ExplorerTypes.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <array>

class QAction;
class TZuFilelistView28;
class FindFileWindow;

class FileListCommands : public QObject {
    Q_OBJECT
public:
    explicit FileListCommands(TZuFilelistView28 &list);
    ~FileListCommands() override;

    // The action of a keyboard action (vaCopy ... vaRefresh), and of Shift+Delete.
    QAction *action(TZuListViewAction which) const { return m_actions[which]; }
    QAction *permanentDeleteAction() const { return m_permanentDelete; }

    // Collects the selected paths (opCopy or opMove) and puts them on the clipboard.
    void CutCopy(int operation);
    // Copies or moves ClipboardList, or else the files on the desktop's clipboard,
    // into the listed folder, one operation per path.
    void Paste();
    // The selected items to the trash, after the user's yes.
    void DeleteSelected();
    // Shift+Delete: asks for each selected file in list order and removes it for good;
    // stops at the first folder.
    void DeletePermanently();
    // Starts the in-place edit of the selected item's caption.
    void BeginRename();
    // False when renaming is off; otherwise remembers the item's path.
    bool CanEdit(int row);
    // The in-place edit was confirmed with a new caption.
    void Edit(const QString &newCaption);
    // Creates "New Folder" (or "New Folder(2)" ...) and starts editing its caption; a list
    // that shows no folders has the linked tree edit it.
    void NewFolder();
    // Opens the selected file with the desktop's viewer for its type (view table only).
    void ViewSelected();
    // The desktop's search program on the folder, or the list's own find window.
    void FindFile();
    // Copies the selected items into the folder, one operation per item; a pending
    // cut or copy is dropped. The list is not re-listed: its folder did not change.
    void CopyToFolder(const QString &destination);
    // Full paths of the selected items in list order (the parent row left out).
    QStringList selectedItemPaths() const;
    // Files dropped from another program are copied into the listed folder.
    void dropFiles(const QStringList &paths);

    const QStringList &ClipboardList() const { return m_clipboardList; }
    // Whether a paste has anything to paste: ClipboardList or files on the desktop's clipboard.
    bool canPaste() const;
    QString OldPath() const { return m_oldPath; }
    // The list's own find window while it is open.
    FindFileWindow *findFileWindow() const;

    // The extensions (upper case, with the dot) that View opens, in order.
    static const QStringList &viewExtensions();

private:
    enum class PartnerOrder { ComboFirst, TreeFirst };
    // Brings the linked combo or tree up to date after the folder's contents changed.
    void updatePartners(const QString &path, PartnerOrder order);
    void refreshWithPartners();
    bool makeDirectoryCurrent() const;
    QStringList selectedPaths(bool withoutParent);
    void renameCaseOnly(const QString &newPath);
    QString text(const char *name) const;

    TZuFilelistView28 &m_list;
    std::array<QAction *, vaRefresh + 1> m_actions{};
    QAction *m_permanentDelete;
    QStringList m_clipboardList;
    QString m_oldPath;
    QPointer<FindFileWindow> m_findWindow;
};
