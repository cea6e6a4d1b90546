#include "LayerTable.h"

#include <QRegularExpression>

LayerTable::LayerTable(const QString &text)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int number = 1; number <= lines.size(); ++number) {
        const QString line = lines[number - 1].section(QLatin1Char('#'), 0, 0);
        QStringList words = line.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        if (words.isEmpty())
            continue;
        if (words.first() == QLatin1String("layers")) {
            m_layers = words.mid(1);
            continue;
        }
        if (words.first() == QLatin1String("system") && words.size() > 2) {
            m_systemFolder = words[1];
            m_systemHeaders += words.mid(2);
            continue;
        }
        const QString folder = words.takeFirst();
        const int layer = words.isEmpty() ? -1 : int(m_layers.indexOf(words.takeFirst()));
        if (layer < 0)
            m_errors << QStringLiteral("line %1: folder '%2' needs one of the layers %3")
                            .arg(number).arg(folder, m_layers.join(QLatin1Char(' ')));
        else
            m_rows.insert(folder, Row{layer, words});
    }
}

bool LayerTable::matches(const QString &pattern, const QString &folder)
{
    if (!pattern.endsWith(QLatin1String("/*")))
        return pattern == folder;
    const QString parent = pattern.chopped(1);
    return folder.startsWith(parent) && !folder.mid(parent.size()).contains(QLatin1Char('/'))
           && folder.size() > parent.size();
}

const LayerTable::Row *LayerTable::rowOf(const QString &folder) const
{
    const auto exact = m_rows.constFind(folder);
    if (exact != m_rows.cend())
        return &exact.value();
    const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return nullptr;
    const auto wild = m_rows.constFind(folder.left(slash) + QLatin1String("/*"));
    return wild == m_rows.cend() ? nullptr : &wild.value();
}

bool LayerTable::isSystemHeader(const QString &header) const
{
    for (const QString &pattern : m_systemHeaders) {
        const bool prefix = pattern.endsWith(QLatin1Char('*'));
        if (prefix ? header.startsWith(pattern.chopped(1)) : header == pattern)
            return true;
    }
    return false;
}

bool LayerTable::knows(const QString &folder) const
{
    return rowOf(folder) != nullptr;
}

bool LayerTable::allows(const QString &user, const QString &used) const
{
    if (user == used)
        return true;
    const Row *userRow = rowOf(user);
    const Row *usedRow = rowOf(used);
    if (!userRow || !usedRow)
        return false;
    if (usedRow->layer < userRow->layer)
        return true;
    if (usedRow->layer > userRow->layer)
        return false;
    for (const QString &pattern : userRow->alsoUses)
        if (matches(pattern, used))
            return true;
    return false;
}

QString LayerTable::describe(const QString &folder) const
{
    const Row *row = rowOf(folder);
    if (!row)
        return QStringLiteral("not in the table");
    QString text = QStringLiteral("layer ") + m_layers[row->layer];
    if (!row->alsoUses.isEmpty())
        text += QStringLiteral(", also ") + row->alsoUses.join(QLatin1Char(' '));
    return text;
}
