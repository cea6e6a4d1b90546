#pragma once
// The keys that open a view's pop-up menu from the keyboard: the menu key and Shift+F10.

class QAbstractScrollArea;
class QKeyEvent;
class QPoint;

bool isPopUpMenuKey(const QKeyEvent *event);
// Gives the view a keyboard context-menu event at that point of its viewport.
void sendKeyboardContextMenu(QAbstractScrollArea *view, const QPoint &viewportPoint);
