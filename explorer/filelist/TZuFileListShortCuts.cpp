#include "explorer/filelist/TZuFileListShortCuts.h"

namespace {
struct KeyPair {
    int virtualKey;
    int qtKey;
};

// Keys whose virtual code differs from Qt's; letters and digits share theirs.
constexpr KeyPair keyPairs[] = {
    {8, Qt::Key_Backspace}, {9, Qt::Key_Tab},     {13, Qt::Key_Return}, {13, Qt::Key_Enter},
    {27, Qt::Key_Escape},   {32, Qt::Key_Space},  {33, Qt::Key_PageUp}, {34, Qt::Key_PageDown},
    {35, Qt::Key_End},      {36, Qt::Key_Home},   {37, Qt::Key_Left},   {38, Qt::Key_Up},
    {39, Qt::Key_Right},    {40, Qt::Key_Down},   {45, Qt::Key_Insert}, {46, Qt::Key_Delete},
};
constexpr int vkF1 = 112;
constexpr int functionKeyCount = 24;
} // namespace

int virtualKeyOf(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey < Qt::Key_F1 + functionKeyCount)
        return vkF1 + (qtKey - Qt::Key_F1);
    for (const KeyPair &pair : keyPairs) {
        if (pair.qtKey == qtKey)
            return pair.virtualKey;
    }
    return 0;
}

static int qtKeyOf(int virtualKey)
{
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9'))
        return virtualKey;
    if (virtualKey >= vkF1 && virtualKey < vkF1 + functionKeyCount)
        return Qt::Key_F1 + (virtualKey - vkF1);
    for (const KeyPair &pair : keyPairs) {
        if (pair.virtualKey == virtualKey)
            return pair.qtKey;
    }
    return 0;
}

TShortCut shiftBitsOf(Qt::KeyboardModifiers modifiers)
{
    TShortCut bits = 0;
    if (modifiers & Qt::ShiftModifier)
        bits |= scShift;
    if (modifiers & Qt::ControlModifier)
        bits |= scCtrl;
    if (modifiers & Qt::AltModifier)
        bits |= scAlt;
    return bits;
}

QKeySequence keySequenceOf(TShortCut shortCut)
{
    const int key = qtKeyOf(shortCut & 0xFF);
    if (key == 0)
        return QKeySequence();
    int modifiers = 0;
    if (shortCut & scShift)
        modifiers |= Qt::SHIFT;
    if (shortCut & scCtrl)
        modifiers |= Qt::CTRL;
    if (shortCut & scAlt)
        modifiers |= Qt::ALT;
    return QKeySequence(key | modifiers);
}

TShortCut TZuFileListShortCuts::shortCutOf(TZuListViewAction action) const
{
    const TShortCut shortCuts[] = {scCopy,      scPaste,     scCut,    scOpen, scView,   scNewFolder,
                                   scSelectAll, scDelete,    scBack,   scRename, scFindFile, scRefresh};
    return shortCuts[action];
}
