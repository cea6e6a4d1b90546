#include "RenameTestSupport.h"

#include <QDir>
#include <QFile>

FolderContents folderContents(const QString &folder)
{
    FolderContents contents;
    const QDir dir(folder);
    for (const QFileInfo &entry : dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
        QFile file(entry.filePath());
        contents.insert(entry.fileName(),
                        entry.isDir() ? QByteArray("<folder>") : (file.open(QIODevice::ReadOnly) ? file.readAll() : "?"));
    }
    return contents;
}
