#include "explorer/shared/PopUpMenuKey.h"

#include <QAbstractScrollArea>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>

bool isPopUpMenuKey(const QKeyEvent *event)
{
    return event->key() == Qt::Key_Menu
           || (event->key() == Qt::Key_F10 && (event->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier);
}

void sendKeyboardContextMenu(QAbstractScrollArea *view, const QPoint &viewportPoint)
{
    QContextMenuEvent menuEvent(QContextMenuEvent::Keyboard, viewportPoint, view->viewport()->mapToGlobal(viewportPoint));
    QCoreApplication::sendEvent(view->viewport(), &menuEvent);
}
