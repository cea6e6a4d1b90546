#pragma once
// The interface texts of the explorer controls: one row per language and table,
// read from the compiled-in string tables (":/strings/<code>.json").

#include "explorer/shared/ExplorerTypes.h"

#include <QHash>
#include <QString>
#include <QStringList>

inline constexpr int fileColumnCount = 5;
inline constexpr int driveTypeCount = 7;
inline constexpr int fileListPopUpCount = 14;
inline constexpr int treePopUpCount = 11;

// One language's row of every table.
struct LanguageRow {
    QHash<QString, QString> messages; // ExplorerTexts slots, by slot name
    QStringList fileColumns;          // captions of the file columns 0-4
    QStringList driveColumns;         // captions of the drive columns 0-4
    QStringList driveTypes;           // unrecognised, not present, removable, fixed, network, CD-ROM, RAM disk
    QStringList fileListPopUp;        // Open ... DeskTop as ShortCut
    QStringList treePopUp;            // New Folder ... Property
    QHash<QString, QString> fileListCommands; // confirmations and the find window of the file list, by name
    QHash<QString, QString> dialogs;  // captions, file operations, network and properties dialogs, by name
    QHash<QString, QStringList> plurals; // texts with a count, one form per plural form of the language
};

// True for the thirteen members that name a language (not lnSysDefault, nor a value
// outside the enumeration).
bool isConcreteLanguage(int language);

// The row of a concrete language; nullptr for any other value.
const LanguageRow *languageRow(int language);

// A text of the file list's commands in the language; the English text where the
// language has none.
QString fileListCommandText(int language, const QString &name);

// A text of the shared dialogs in DialogTextLanguage; the English text where that
// language has none.
QString dialogText(const char *name);

// Which of the language's plural forms a count takes (0 for the first); the number of
// forms is pluralFormCount.
int pluralForm(int language, qint64 count);
int pluralFormCount(int language);

// A text with a count in the form the count takes, %1 filled with the count; English
// where the language has none.
QString pluralText(int language, const QString &name, qint64 count);

// Loads Qt's own translation of the language (its standard buttons, dialogs and edit
// menus) in place of the one loaded before; false when Qt has none for it.
bool loadQtTranslation(int language);

// Name of a language's string table ("it" for lnItalian); empty for other values.
QString languageTableName(int language);

// lnSysDefault resolution from a language identifier (primary language in the low
// 10 bits, sub-language in the high 6).
TLanguage languageFromLangId(int langId);

// lnSysDefault becomes the language of the default language identifier (the file
// list asks for the system's, the tree and the combo for the user's: on this desktop
// they are one); any other value is returned unchanged.
TLanguage ResolveLanguage(TLanguage language);
