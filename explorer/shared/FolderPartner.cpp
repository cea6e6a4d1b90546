#include "explorer/shared/FolderPartner.h"

#include "explorer/shared/ListPartner.h"

void FolderPartner::linkListPartner(ListPartner *list)
{
    if (m_list.get() == list)
        return;
    const Kind kind = partnerKind();
    relinkPartner(
        m_list, list, [this, kind](ListPartner *other) { return other->folderPartner(kind) == this; },
        [this, kind](ListPartner *other, bool link) { other->linkFolderPartner(link ? this : nullptr, kind); });
    if (m_list.get())
        listLinked();
}
