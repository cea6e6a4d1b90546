#include "explorer/combo/TZuSpeedButton.h"

#include <QMouseEvent>

TZuSpeedButton::TZuSpeedButton(QWidget *parent)
    : QToolButton(parent)
{
    setAutoRaise(false);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setCursor(Qt::ArrowCursor);
}

void TZuSpeedButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QToolButton::mouseReleaseEvent(event);
}
