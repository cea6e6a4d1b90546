#include "explorer/shared/ExplorerTexts.h"

#include "explorer/shared/LanguageTables.h"

TExplorerTexts ExplorerTexts;
TLanguage ListTextLanguage = lnSysDefault;
TLanguage TreeTextLanguage = lnSysDefault;
TLanguage DialogTextLanguage = lnSysDefault;

namespace {

constexpr bool L = true;
constexpr bool T = true;
constexpr bool no = false;

const ExplorerTextSlot slotTable[] = {
    {"msgDrive", &TExplorerTexts::msgDrive, no, T},
    {"msgFolderQuote", &TExplorerTexts::msgFolderQuote, no, T},
    {"msgError", &TExplorerTexts::msgError, L, T},
    {"msgFile", &TExplorerTexts::msgFile, L, T},
    {"msgFrom", &TExplorerTexts::msgFrom, no, T},
    {"msgTo", &TExplorerTexts::msgTo, no, T},
    {"msgCancel", &TExplorerTexts::msgCancel, L, no},
    {"msgBrowse", &TExplorerTexts::msgBrowse, L, no},
    {"msgCant", &TExplorerTexts::msgCant, L, T},
    {"msgSpecifyDir", &TExplorerTexts::msgSpecifyDir, L, T},
    {"msgBadDrive", &TExplorerTexts::msgBadDrive, L, T},
    {"msgNoDisk", &TExplorerTexts::msgNoDisk, L, T},
    {"msgExists", &TExplorerTexts::msgExists, L, T},
    {"msgBadDirName", &TExplorerTexts::msgBadDirName, no, T},
    {"msgRenameFolder", &TExplorerTexts::msgRenameFolder, no, T},
    {"msgCantAddDrives", &TExplorerTexts::msgCantAddDrives, no, T},
    {"msgNewFolder", &TExplorerTexts::msgNewFolder, L, T},
    {"msgBadChars", &TExplorerTexts::msgBadChars, no, T},
    {"msgNotFound", &TExplorerTexts::msgNotFound, no, T},
    {"msgFilesIn", &TExplorerTexts::msgFilesIn, no, T},
    {"msgOpFailed", &TExplorerTexts::msgOpFailed, no, T},
    {"msgIsReadOnly", &TExplorerTexts::msgIsReadOnly, L, no},
    {"msgNoSelection", &TExplorerTexts::msgNoSelection, L, no},
    {"msgSendToAny", &TExplorerTexts::msgSendToAny, L, no},
    {"msgEnterSendTo", &TExplorerTexts::msgEnterSendTo, L, no},
    {"msgShortcutFailed", &TExplorerTexts::msgShortcutFailed, L, no},
    {"msgTreeSize", &TExplorerTexts::msgTreeSize, no, T},
    {"msgSubFolders", &TExplorerTexts::msgSubFolders, no, T},
};

void loadSlots(TLanguage selector, bool ExplorerTextSlot::*writtenByLoader)
{
    const LanguageRow *row = languageRow(selector);
    if (!row)
        return;
    for (const ExplorerTextSlot &slot : slotTable) {
        if (slot.*writtenByLoader)
            ExplorerTexts.*slot.text = row->messages.value(QLatin1String(slot.name));
    }
    if (DialogTextLanguage != selector) {
        DialogTextLanguage = selector;
        loadQtTranslation(selector);
    }
}

QStringList rowList(TLanguage language, QStringList LanguageRow::*table)
{
    const LanguageRow *row = languageRow(language);
    return row ? row->*table : QStringList();
}

} // namespace

std::span<const ExplorerTextSlot> explorerTextSlots()
{
    return slotTable;
}

void LoadListTexts()
{
    loadSlots(ListTextLanguage, &ExplorerTextSlot::listSlot);
}

void LoadTreeTexts()
{
    loadSlots(TreeTextLanguage, &ExplorerTextSlot::treeSlot);
}

QStringList FileColumnCaptions(TLanguage language)
{
    return rowList(language, &LanguageRow::fileColumns);
}

QStringList DriveColumnCaptions(TLanguage language)
{
    return rowList(language, &LanguageRow::driveColumns);
}

QStringList DriveTypeNames()
{
    return rowList(ListTextLanguage, &LanguageRow::driveTypes);
}

QStringList FileListPopUpCaptions()
{
    return rowList(ListTextLanguage, &LanguageRow::fileListPopUp);
}

QStringList TreePopUpCaptions()
{
    return rowList(TreeTextLanguage, &LanguageRow::treePopUp);
}
