#include "explorer/shared/MenuAccessKeys.h"

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>

void MenuAccessKeys::install(QMenu *menu)
{
    menu->installEventFilter(new MenuAccessKeys(menu));
}

QString MenuAccessKeys::accessKeys(const QString &caption)
{
    QString keys;
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != QLatin1Char('&'))
            continue;
        if (caption.at(i + 1) != QLatin1Char('&'))
            keys += caption.at(i + 1).toLower();
        ++i;
    }
    return keys;
}

bool MenuAccessKeys::eventFilter(QObject *watched, QEvent *event)
{
    auto *menu = qobject_cast<QMenu *>(watched);
    if (!menu || event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<const QKeyEvent *>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier) || key->text().size() != 1
        || !key->text().at(0).isLetterOrNumber())
        return false;
    const QChar letter = key->text().at(0).toLower();
    QList<QAction *> marked;
    bool asQtDoes = true; // every item marked with the letter has it as its first mark
    for (QAction *action : menu->actions()) {
        if (action->isSeparator() || !action->isVisible() || !action->isEnabled())
            continue;
        const QString keys = accessKeys(action->text());
        if (!keys.contains(letter))
            continue;
        marked.append(action);
        asQtDoes = asQtDoes && keys.at(0) == letter;
    }
    if (marked.isEmpty() || asQtDoes)
        return false;
    if (marked.size() > 1) {
        const qsizetype at = marked.indexOf(menu->activeAction());
        menu->setActiveAction(marked.at((at + 1) % marked.size()));
        return true;
    }
    // as Enter on the highlighted item: the menu triggers it, or opens its submenu
    menu->setActiveAction(marked.first());
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(menu, &enter);
    return true;
}
