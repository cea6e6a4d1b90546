#include "app/TNumLabelEdit.h"

#include <QKeyEvent>

namespace {
// Keys that reach the edit whatever they type: editing, dialog and navigation keys.
bool isPassThroughKey(int key)
{
    switch (key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
        return true;
    default:
        return false;
    }
}
} // namespace

void TLabeledEdit1::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    const bool isDigit = text.size() == 1 && text.at(0) >= QLatin1Char('0') && text.at(0) <= QLatin1Char('9');
    if (text.isEmpty() || isDigit || isPassThroughKey(event->key())) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->ignore();
}
