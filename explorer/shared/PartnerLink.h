#pragma once
// The two-way link between the file list and a folder tree or combo: each side keeps a
// guarded pointer to the other's interface, and linking one side links the other.

#include <QObject>
#include <QPointer>

// An interface pointer that reads null once the partner's widget is gone.
template <typename Partner>
class PartnerSlot {
public:
    Partner *get() const { return m_guard ? m_partner : nullptr; }
    void set(Partner *partner)
    {
        m_partner = partner;
        m_guard = partner ? partner->partnerObject() : nullptr;
    }

private:
    QPointer<QObject> m_guard;
    Partner *m_partner = nullptr;
};

// Points `link` at `partner`: the previous partner lets go of this side when it still
// links back (`linksBack`), the new one is linked back (`linkBack(partner, true)`),
// and its own setter finds the link already made.
template <typename Partner, typename LinksBack, typename LinkBack>
void relinkPartner(PartnerSlot<Partner> &link, Partner *partner, LinksBack linksBack, LinkBack linkBack)
{
    Partner *previous = link.get();
    if (previous == partner)
        return;
    link.set(nullptr);
    if (previous && linksBack(previous))
        linkBack(previous, false);
    link.set(partner);
    if (partner)
        linkBack(partner, true);
}
