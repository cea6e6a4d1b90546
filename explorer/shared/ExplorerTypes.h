#pragma once
// Enumerations and event types shared by the explorer controls (file list, folder
// tree, folder combo). Ordinals are the declaration positions, starting at 0.

#include <QString>
#include <functional>
#include <initializer_list>

class QObject;

// A set of enumeration members: bit n stands for the member of ordinal n.
template <typename Member>
class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<Member> members)
    {
        for (Member member : members)
            m_bits |= bitOf(member);
    }
    static constexpr TSet fromBits(unsigned bits)
    {
        TSet set;
        set.m_bits = bits;
        return set;
    }

    constexpr bool contains(Member member) const { return (m_bits & bitOf(member)) != 0; }
    constexpr bool isEmpty() const { return m_bits == 0; }
    constexpr unsigned bits() const { return m_bits; }
    constexpr TSet &insert(Member member)
    {
        m_bits |= bitOf(member);
        return *this;
    }
    constexpr TSet &remove(Member member)
    {
        m_bits &= ~bitOf(member);
        return *this;
    }
    constexpr bool operator==(const TSet &) const = default;

private:
    static constexpr unsigned bitOf(Member member) { return 1u << unsigned(member); }
    unsigned m_bits = 0;
};

enum TFileAttr { ftReadOnly, ftHidden, ftSystem, ftArchive, ftNormal };
// Which files the file list shows, and which folders the tree lists.
using TFileType = TSet<TFileAttr>;
// The attribute bits of a file type's members: read-only 1, hidden 2, system 4,
// archive 32, normal 128.
constexpr int attributeBitsOf(TFileType type)
{
    constexpr int bits[] = {0x01, 0x02, 0x04, 0x20, 0x80};
    int result = 0;
    for (int member = ftReadOnly; member <= ftNormal; ++member) {
        if (type.contains(TFileAttr(member)))
            result |= bits[member];
    }
    return result;
}
inline constexpr TFileType declaredDefaultFileType{ftNormal};
inline constexpr TFileType createdFileType{ftReadOnly, ftHidden, ftSystem, ftArchive};

// Unit of the file list's size column.
enum TFileSize { fsKB, fsByte };

// Interface language of a control. lnSysDefault is resolved to one of the others
// before use (ResolveLanguage).
enum TLanguage {
    lnSysDefault,
    lnEnglish,
    lnChinese_Tra,
    lnChinese_Sim,
    lnDutch,
    lnFrench,
    lnGerman,
    lnItalian,
    lnJapanese,
    lnPolish,
    lnPortuguese,
    lnSlovenian,
    lnSlovak,
    lnSpanish,
};
inline constexpr int languageCount = 14;

// Date part of the file list's "Modified" column.
enum TDtFormat {
    df_MMddyyyy,
    df_MMddyy,
    df_ddMMyyyy,
    df_ddMMyy_GB,
    df_ddMMyy_DE,
    df_ddMMyy_IT,
    df_yyyyMMdd,
    df_yyMMdd,
    df_Customize,
};

// Time part of the same column.
enum TTmFormat { tfLongFormat, tfShortFormat, tfCustomize };

// One keyboard action of the file list.
enum TZuListViewAction {
    vaCopy,
    vaPaste,
    vaCut,
    vaOpen,
    vaView,
    vaNewFolder,
    vaSelectAll,
    vaDelete,
    vaBack,
    vaRename,
    vaFindFile,
    vaRefresh,
};
using TZuListViewActions = TSet<TZuListViewAction>;
inline constexpr TZuListViewActions allListViewActions = TZuListViewActions::fromBits((1u << (vaRefresh + 1)) - 1);

// Event types (Sender, value). The controls raise them as Qt signals with the same
// parameters, e.g. `void OnDirChange(QObject *Sender, QString SelectedPath)`; these
// aliases name the handlers that code outside Qt's signal system may keep.
using TPathChangeEvent = std::function<void(QObject *Sender, QString SelectedPath)>;    // folder tree combo
using TDirChangeEvent = std::function<void(QObject *Sender, QString SelectedPath)>;     // folder tree
using TFileChangeEvent = std::function<void(QObject *Sender, QString SelectedFile)>;    // folder tree
using TSelItemChangeEvent = std::function<void(QObject *Sender, QString SelectedItem)>; // file list
