#pragma once
// TZuFilelistView28: the report-style file list. It shows one folder's folders and
// files (size, type, modification time, attributes) or, for the Directory "Drives",
// the drives; sorts by a clicked column; offers a parent-folder row; follows a linked
// folder tree and folder combo; reports the selected row's full path.

#include "explorer/shared/ExplorerTypes.h"
#include "explorer/shared/ListingSession.h"
#include "explorer/shared/ListPartner.h"
#include "explorer/shared/PartnerLink.h"
#include "explorer/filelist/FileListHeader.h"
#include "explorer/filelist/FileListItem.h"
#include "explorer/filelist/FileListSort.h"
#include "explorer/filelist/FolderListing.h"
#include "explorer/filelist/TZuFileListShortCuts.h"

#include "platform/FolderEntriesWatcher.h"
#include "platform/WaitCursor.h"

#include <cstddef>
#include <functional>
#include <type_traits>
#include <memory>
#include <vector>
#include <QSet>
#include <QTreeView>

class FileListCommands;
class FolderListingJob;
class FileListModel;
class TZuFilelistView28PopUp;
class TZuDirTree21;
class TZuDirTreeCombo28;

class TZuFilelistView28 : public QTreeView, public ListPartner {
    Q_OBJECT
public:
    explicit TZuFilelistView28(QWidget *parent = nullptr);
    ~TZuFilelistView28() override;

    QString About() const { return QStringLiteral("Version 2.8.8.1"); }
    void SetAbout(const QString &) {}

    int ColWidth_Name() const { return m_columnWidths[0]; }
    int ColWidth_Size() const { return m_columnWidths[1]; }
    int ColWidth_Type() const { return m_columnWidths[2]; }
    int ColWidth_Mod() const { return m_columnWidths[3]; }
    int ColWidth_Attr() const { return m_columnWidths[4]; }
    void SetColWidth_Name(int width) { setFileColumnWidth(0, width); }
    void SetColWidth_Size(int width) { setFileColumnWidth(1, width); }
    void SetColWidth_Type(int width) { setFileColumnWidth(2, width); }
    void SetColWidth_Mod(int width) { setFileColumnWidth(3, width); }
    void SetColWidth_Attr(int width) { setFileColumnWidth(4, width); }

    TDtFormat DateFormat() const { return m_dateFormat; }
    TTmFormat TimeFormat() const { return m_timeFormat; }
    // Set the pictures of the "Modified" column for later listings.
    virtual void SetDateFormat(TDtFormat format);
    virtual void SetTimeFormat(TTmFormat format);

    QString Directory() const { return m_directory; }
    // "Drives" in any letter case lists the drives; an existing folder becomes the
    // current folder and is listed; anything else is ignored.
    void SetDirectory(const QString &value);

    // The linked controls, typed for callers; the list itself knows them only as
    // FolderPartners. Linking one side links the other, the previous partner let go.
    template <typename Combo = TZuDirTreeCombo28>
    Combo *DirTreeCombo() const
    {
        return dynamic_cast<Combo *>(folderPartner(FolderPartner::Kind::Combo));
    }
    template <typename Tree = TZuDirTree21>
    Tree *DirTree() const
    {
        return dynamic_cast<Tree *>(folderPartner(FolderPartner::Kind::Tree));
    }
    template <typename Combo>
    void SetDirTreeCombo(Combo *combo)
    {
        static_assert(std::is_base_of_v<TZuDirTreeCombo28, Combo>, "the combo slot takes a folder combo");
        linkFolderPartner(combo, FolderPartner::Kind::Combo);
    }
    void SetDirTreeCombo(std::nullptr_t) { linkFolderPartner(nullptr, FolderPartner::Kind::Combo); }
    template <typename Tree>
    void SetDirTree(Tree *tree)
    {
        static_assert(std::is_base_of_v<TZuDirTree21, Tree>, "the tree slot takes a folder tree");
        linkFolderPartner(tree, FolderPartner::Kind::Tree);
    }
    void SetDirTree(std::nullptr_t) { linkFolderPartner(nullptr, FolderPartner::Kind::Tree); }

    // The partner side, through which a linked tree or combo reaches the list.
    QObject *partnerObject() override { return this; }
    void followFolder(const QString &folder) override { SetDirectory(folder); }
    void showFolder(const QString &path, bool refresh) override;
    void rereadKeepingSelection() override { RefreshList(); }
    QStringList selectedPaths() const override;
    QStringList keepSelectedFilesOnly() override;
    FolderPartner *folderPartner(FolderPartner::Kind kind) const override;
    void linkFolderPartner(FolderPartner *partner, FolderPartner::Kind kind) override;

    // Free KB of the drive of Directory's first letter; 0 while the drives are listed.
    qint64 DriveFreeSpace() const;

    TFileType FileType() const { return m_fileType; }
    void SetFileType(TFileType type);
    TFileSize FileSize() const { return m_fileSize; }
    void SetFileSize(TFileSize unit) { m_fileSize = unit; }
    bool HideFileExt() const { return m_hideFileExt; }
    void SetHideFileExt(bool hide) { m_hideFileExt = hide; }
    TLanguage Language() const { return m_language; }
    void SetLanguage(TLanguage language);
    QString Mask() const { return m_mask; }
    void SetMask(const QString &mask);
    bool ParentDirEnabled() const { return m_parentDirEnabled; }
    void SetParentDirEnabled(bool enabled) { m_parentDirEnabled = enabled; }
    QString ParentDirCaption() const { return m_parentDirCaption; }
    void SetParentDirCaption(const QString &caption);
    bool PopUpMenuEnabled() const { return m_popUpMenuEnabled; }
    void SetPopUpMenuEnabled(bool enabled);
    QString SelectedItem() const { return m_selectedItem; }
    void SetSelectedItem(const QString &path) { m_selectedItem = path; }
    // Selected rows, or all rows when none is selected.
    int SelectedNumber() const;
    // Bytes of the selected entries, looked up in the current folder; folders count 0.
    qint64 SelectedSize() const;
    bool ShowFolders() const { return m_showFolders; }
    void SetShowFolders(bool show);
    TZuFileListShortCuts &ShortCuts() { return m_shortCuts; }
    const TZuFileListShortCuts &ShortCuts() const { return m_shortCuts; }
    // A read-only list renames nothing.
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }

    // Listing state.
    qint64 ListedTotal() const { return m_listedTotal; }
    // Reads of a folder started so far, whole listings and updates alike.
    quint64 readsStarted() const { return m_listing.generation(); }
    int SortColumn() const { return m_order.column; }
    bool SortDescending() const { return m_order.descending; }
    bool SortingEnabled() const { return m_sortingEnabled; }
    bool FileColumnsActive() const { return m_fileColumnsActive; }
    int ParentImgIdx() const { return m_parentImageIndex; }
    SortArrow headerArrow(int column) const { return m_header->arrow(column); }

    // Re-reads Directory: the folder's entries or the drives, sorted by name. A folder is
    // read off the window thread: a small one is shown before this returns, a big one
    // when it has been read (the hourglass shown meanwhile); a later listing cancels it.
    void RefreshList();
    // Shows the folder ("Drives" for the drive list); with `refresh` the folder is read
    // again when the list shows it already.
    // True while a folder is being read.
    bool isListing() const;
    // Runs `then` once the listing in progress is shown (at once when none is); dropped
    // when that listing is cancelled by another.
    void whenListed(std::function<void()> then);
    // Opens the selected row: a folder or drive is listed, a file is opened with its
    // program, the parent row goes up.
    void OpenSelected();
    // Lists the folder above Directory (from a drive root, the drives) and selects the
    // folder that was listed.
    void GoUp();
    // The column-click rule: toggles or moves the sort column, sorts once, shows the arrow.
    void ColumnClick(int column);
    // Reports the selected row: SelectedItem, OnItemChange, then OnClick.
    virtual void Click();
    virtual void DblClick();

    // The key handler: shortcuts, Enter, Shift+Delete, F4 and Escape. True when the key
    // is consumed; otherwise it goes on to the list view's own handling.
    virtual bool KeyDown(int Key, TShortCut Shift);
    // The file operations (FileListCommands), under the names the pop-up menu calls.
    void CutCopy(int operation);
    void Paste();
    void DeleteSelected();
    void BeginRename();
    bool CanEdit(int row);
    void Edit(const QString &newCaption);
    void NewFolder();
    void ViewSelected();
    void FindFile();
    FileListCommands &commands() const { return *m_commands; }
    // Paste and New Folder by their keys as by the menu, also with no row selected (the
    // list's own keys want one): a window that shows a folder to paste into binds them.
    void bindKeysWithoutSelection();
    // The pop-up menu; a new one after every language change.
    TZuFilelistView28PopUp *popUpMenu() const { return m_popUp; }

    // Rows, for the main window.
    int itemCount() const;
    // A row's whole record, its texts made now.
    FileListItem item(int index) const;
    QString itemPath(int index) const;
    int selectedIndex() const; // -1 when none
    // The entry of item `index` was renamed on disk to `name`: the item shows it and
    // points at it. Returns the item's new full path.
    QString renameItem(int index, const QString &name);
    QString selectedCaption() const;
    void selectItem(int index);
    void scrollItemIntoView(int index);
    void setNameColumnWidth(int width);
    void SetMultiSelect(bool multiSelect);
    // Rows selected, in list order.
    QList<int> selectedRows() const;
    void deselectItem(int index);
    bool isDriveList() const;
    // Starts the in-place edit of a row's caption.
    void editCaption(int index);
    // Lists the entry's folder (the linked tree and combo follow) and selects it.
    void showFoundEntry(const QString &path);

signals:
    void OnItemChange(QObject *Sender, QString SelectedItem);
    void OnClick(QObject *Sender);
    void OnDblClick(QObject *Sender);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    struct ListingPlace {
        QString folder;
        QSet<QString> selectedPaths;
        QString currentPath;
        int scrollValue = 0;
        QString editedPath;
        QString editedText;
    };
    static FileListOrder clickedOrder(FileListOrder order, int column);
    void cancelListing();
    // A network listing that took too long: the list left empty, and reported.
    void giveUpListing(const ListingPlace &kept);
    QString noAnswerText() const;
    void showListing(FolderListingJob &job, const ListingPlace &kept);
    // Reads the listed folder again and brings the rows to it change by change (a new
    // row inserted, a gone one removed, the others updated in place): selection,
    // current row, scroll position and an open editor stay as they are.
    void rereadChanges();
    void showChanges(FolderListingJob &job);
    // A listing's error, raised once its rows are shown.
    void raiseListingError(const FolderListingJob &job) const;
    void finishListing(const ListingPlace &kept);
    FolderListingSettings listingSettings() const;
    ListingPlace listingPlace() const;
    void restoreListingPlace(const ListingPlace &place);
    void buildFileColumns();
    void buildDriveColumns();
    void buildColumns(const QStringList &captions, const int (&widths)[5], const Qt::Alignment (&alignments)[5]);
    int fittingWidth(int column, int width) const;
    void applyColumnWidths();
    void setFileColumnWidth(int column, int width);
    void showInPartners(const QString &folder);
    void rebuildPopUpMenu();
    // The pop-up menu opens by itself over a listed folder, never over the drives.
    bool popUpAllowed() const;
    bool acceptsDrop(const QDropEvent *event) const;

    FileListModel *m_model;
    FileListHeader *m_header;
    PartnerSlot<FolderPartner> m_dirTree;
    PartnerSlot<FolderPartner> m_dirTreeCombo;

    int m_columnWidths[5] = {165, 75, 95, 125, 40};
    TDtFormat m_dateFormat = df_Customize;
    TTmFormat m_timeFormat = tfShortFormat;
    QString m_datePicture;
    QString m_timePicture;
    QString m_directory = QStringLiteral("Drives");
    TFileType m_fileType = createdFileType;
    TFileSize m_fileSize = fsKB;
    bool m_hideFileExt = false;
    TLanguage m_language = lnSysDefault;
    QString m_mask = QStringLiteral("*.*");
    bool m_parentDirEnabled = true;
    QString m_parentDirCaption = QStringLiteral(" Parent");
    bool m_popUpMenuEnabled = true;
    bool m_popUpAutomatic = true; // the pop-up menu opens by itself on folder listings only
    QString m_selectedItem;
    QString m_listedFolder; // the folder (or "DRIVES") the rows belong to
    bool m_showFolders = true;

    FileListOrder m_order;
    bool m_sortingEnabled = false;
    bool m_fileColumnsActive = false;
    qint64 m_listedTotal = 0;
    int m_parentImageIndex = -1;
    bool m_columnsRebuilt = false;
    TZuFileListShortCuts m_shortCuts;
    bool m_readOnly = false;
    FileListCommands *m_commands;
    TZuFilelistView28PopUp *m_popUp = nullptr;
    ListingSession m_listing;
    std::unique_ptr<platform::WaitCursor> m_hourglass; // while a big folder is read
    platform::FolderEntriesWatcher m_watcher; // the listed folder
    quint64 m_changesWaitFor = 0; // the read after which the folder is read again
};
