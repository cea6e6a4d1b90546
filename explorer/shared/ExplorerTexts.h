#pragma once
// The unit-wide message table of the explorer controls and its two loaders. The file
// list loads its slots in ListTextLanguage, the folder tree and the combo theirs in
// TreeTextLanguage; a slot that both write holds the text of the last loader run.
// Messages are built by plain concatenation of slots and names, blanks included.

#include "explorer/shared/ExplorerTypes.h"

#include <QString>
#include <QStringList>
#include <span>

struct TExplorerTexts {
    QString msgDrive;          // tree
    QString msgFolderQuote;    // tree
    QString msgError;          // list, tree
    QString msgFile;           // list, tree
    QString msgFrom;           // tree
    QString msgTo;             // tree
    QString msgCancel;         // list
    QString msgBrowse;         // list
    QString msgCant;           // list, tree
    QString msgSpecifyDir;     // list, tree
    QString msgBadDrive;       // list, tree
    QString msgNoDisk;         // list, tree
    QString msgExists;         // list, tree
    QString msgBadDirName;     // tree
    QString msgRenameFolder;   // tree
    QString msgCantAddDrives;  // tree
    QString msgNewFolder;      // list, tree
    QString msgBadChars;       // tree
    QString msgNotFound;       // tree
    QString msgFilesIn;        // tree
    QString msgOpFailed;       // tree
    QString msgIsReadOnly;     // list
    QString msgNoSelection;    // list
    QString msgSendToAny;      // list
    QString msgEnterSendTo;    // list
    QString msgShortcutFailed; // list
    QString msgTreeSize;       // tree
    QString msgSubFolders;     // tree
};

// The table and the two selectors live as long as the program; they start empty
// (lnSysDefault selects no row).
extern TExplorerTexts ExplorerTexts;
extern TLanguage ListTextLanguage;
extern TLanguage TreeTextLanguage;
// The language of the shared dialogs (captions, file operations, network and
// properties dialogs): that of the loader run last, as for the slots both write.
extern TLanguage DialogTextLanguage;

// Copies the file list's 15 slots from the row of ListTextLanguage.
void LoadListTexts();
// Copies the tree's 21 slots from the row of TreeTextLanguage.
// A selector that names no language loads nothing: the previous texts stay.
void LoadTreeTexts();

// The slots by name, with the loaders that write them.
struct ExplorerTextSlot {
    const char *name;
    QString TExplorerTexts::*text;
    bool listSlot; // written by LoadListTexts
    bool treeSlot; // written by LoadTreeTexts
};
std::span<const ExplorerTextSlot> explorerTextSlots();

// Rows of the other tables, always whole. An empty list when the language or the
// selector names no language (the control then keeps the texts it has).
QStringList FileColumnCaptions(TLanguage language);  // the file list's own Language
QStringList DriveColumnCaptions(TLanguage language); // the file list's own Language
QStringList DriveTypeNames();                        // ListTextLanguage
QStringList FileListPopUpCaptions();                 // ListTextLanguage
QStringList TreePopUpCaptions();                     // TreeTextLanguage
