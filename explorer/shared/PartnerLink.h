#pragma once
// The two-way link between the file list and a folder tree or combo: each side keeps
// a guarded pointer to the other, and setting one side sets the other.

#include <QPointer>

// Points `link` at `partner`: the previous partner lets go of `self`, the new one is
// linked back to `self` through its own setter (which finds the link already made).
template <typename Partner, typename Self>
void relinkPartner(QPointer<Partner> &link, Partner *partner, Self *self, Self *(Partner::*linkedBack)() const,
                   void (Partner::*setLinkBack)(Self *))
{
    if (link == partner)
        return;
    Partner *previous = link;
    link = nullptr;
    if (previous && (previous->*linkedBack)() == self)
        (previous->*setLinkBack)(nullptr);
    link = partner;
    if (partner)
        (partner->*setLinkBack)(self);
}
