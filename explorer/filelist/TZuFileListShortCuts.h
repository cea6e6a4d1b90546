#pragma once
// The file list's keyboard settings: one shortcut per action (low byte the virtual
// key code, 8192 Shift, 16384 Ctrl, 32768 Alt), Enter and double click to open, and
// the actions whose shortcuts are active. Copying one copies all of it.

#include "explorer/shared/ExplorerTypes.h"

#include <QKeySequence>
#include <Qt>

using TShortCut = quint16;

inline constexpr TShortCut scShift = 8192;
inline constexpr TShortCut scCtrl = 16384;
inline constexpr TShortCut scAlt = 32768;

// Virtual key codes the file list handles itself.
inline constexpr int vkBack = 8;
inline constexpr int vkReturn = 13;
inline constexpr int vkEscape = 27;
inline constexpr int vkUp = 38;
inline constexpr int vkDown = 40;
inline constexpr int vkDelete = 46;
inline constexpr int vkF4 = 115;

// The virtual key code of a Qt key; 0 for a key that has none.
int virtualKeyOf(int qtKey);
// The TShortCut bits of Qt's modifiers (Shift, Ctrl, Alt).
TShortCut shiftBitsOf(Qt::KeyboardModifiers modifiers);
// The key sequence a shortcut stands for (shown beside menu items).
QKeySequence keySequenceOf(TShortCut shortCut);

struct TZuFileListShortCuts {
    TShortCut scCopy = 16451;      // Ctrl+C
    TShortCut scPaste = 16470;     // Ctrl+V
    TShortCut scCut = 16472;       // Ctrl+X
    TShortCut scOpen = 16463;      // Ctrl+O
    TShortCut scView = 16454;      // Ctrl+F
    TShortCut scNewFolder = 16462; // Ctrl+N
    TShortCut scSelectAll = 16449; // Ctrl+A
    TShortCut scDelete = 46;       // Delete
    TShortCut scBack = 8;          // Backspace
    TShortCut scRename = 113;      // F2
    TShortCut scFindFile = 114;    // F3
    TShortCut scRefresh = 116;     // F5
    bool OpenWithEnter = true;
    bool DblClickToOpen = true;
    TZuListViewActions Actions = allListViewActions;

    // The shortcut of an action.
    TShortCut shortCutOf(TZuListViewAction action) const;
    // True when the key is the action's shortcut and the action is active.
    bool fires(TZuListViewAction action, TShortCut key) const
    {
        return Actions.contains(action) && shortCutOf(action) == key;
    }
};
