#include "explorer/shared/FileTypeCache.h"

#include <QHash>

QString fileTypeKey(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return name;
    const qsizetype previous = name.lastIndexOf(QLatin1Char('.'), dot - 1);
    if (previous <= 0 || dot - previous - 1 > 4)
        return name.mid(dot);
    for (qsizetype i = previous + 1; i < dot; ++i) {
        if (!name.at(i).isLetterOrNumber())
            return name.mid(dot);
    }
    return name.mid(previous);
}

ShellFileEntry cachedShellFileEntry(const QString &name, bool isFolder)
{
    static const ShellFileEntry folderType = shellFileEntry(QString(), true);
    static QHash<QString, ShellFileEntry> fileTypes;
    if (isFolder)
        return folderType;
    const QString key = fileTypeKey(name);
    const auto known = fileTypes.constFind(key);
    if (known != fileTypes.cend())
        return known.value();
    // An extension is asked for with a neutral name before it.
    const ShellFileEntry info = shellFileEntry(key.startsWith(QLatin1Char('.')) ? QLatin1Char('x') + key : key, false);
    fileTypes.insert(key, info);
    return info;
}
