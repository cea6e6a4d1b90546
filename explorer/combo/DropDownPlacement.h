#pragma once
// Where a drop-down opens: below its field, or above it when the screen has no room
// below for the drop-down's height.

#include <QPoint>
#include <QRect>

// `field` and the result are in screen coordinates; `screenBottom` is the first row
// below the screen (its height, on a single screen at the origin).
QPoint dropDownTopLeft(const QRect &field, int dropDownHeight, int screenBottom);
