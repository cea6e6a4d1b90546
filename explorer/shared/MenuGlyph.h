#pragma once
// The glyphs of the explorer controls' pop-up menus, by name ("Cut28"): the 16 px
// picture and its 32 px twin for high-density screens.

#include <QIcon>
#include <QString>

// Looks in the folder tree's glyphs, then in the file list's; a null icon when neither
// has the name.
QIcon menuGlyph(const QString &name);
