#pragma once
// What a file list asks of a linked folder tree or folder combo. The controls know each
// other only through this and ListPartner.

#include "explorer/shared/PartnerLink.h"

#include <QString>
#include <cstddef>
#include <type_traits>

class ListPartner;
class QObject;
class TZuFilelistView28;

class FolderPartner {
public:
    // A list holds one partner of each kind.
    enum class Kind { Tree, Combo };

    virtual Kind partnerKind() const = 0;
    // The widget behind the partner: its lifetime guards the link.
    virtual QObject *partnerObject() = 0;

    // Shows `path` chosen (the top caption for the drives), telling the list nothing.
    virtual void followFolder(const QString &path) = 0;
    // Reads the folders again and shows `path` chosen.
    virtual void reloadKeeping(const QString &path) = 0;
    // The list's command changed the folders inside `path` (made, renamed, removed or
    // pasted some): those nodes are brought in step and `path` is chosen; nothing else
    // is read again.
    virtual void showChangedFolder(const QString &path) = 0;
    // The chosen folder.
    virtual QString followedFolder() const = 0;
    // A folder just made under the chosen one, in a list that shows no folders: the
    // partner shows it and opens its own name editor on it, the name given as a new
    // folder's. False when the partner has no editor for it.
    virtual bool nameNewFolder(const QString &) { return false; }
    // The caption of the top node: following it shows the drives.
    virtual QString topCaption() const = 0;
    // A partner with a drop-down answers the list's F4 and Escape; others have none.
    virtual bool isDroppedDown() const { return false; }
    virtual void toggleDropDown() {}

    ListPartner *listPartner() const { return m_list.get(); }
    // Links the list both ways (nullptr unlinks; the previous list is let go), then
    // tells the control through listLinked().
    void linkListPartner(ListPartner *list);

    // The linked list, typed for callers.
    template <typename List = TZuFilelistView28>
    List *FileList() const
    {
        return dynamic_cast<List *>(listPartner());
    }
    template <typename List>
    void SetFileList(List *list)
    {
        static_assert(std::is_base_of_v<TZuFilelistView28, List>, "a folder partner links a file list");
        linkListPartner(list);
    }
    void SetFileList(std::nullptr_t) { linkListPartner(nullptr); }

protected:
    ~FolderPartner() = default;
    // A new list was linked: it is shown the chosen folder.
    virtual void listLinked() {}

private:
    PartnerSlot<ListPartner> m_list;
};
