#pragma once
// The glyphs of the explorer's pop-up menus, 16 px and 32 px.

#include <QIcon>
#include <QString>

QIcon menuGlyph(const QString &name);
