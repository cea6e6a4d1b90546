#include "explorer/FileListShell.h"

#include "platform/DrivePaths.h"

#include <QDesktopServices>
#include <QHash>
#include <QMimeDatabase>
#include <QStorageInfo>
#include <QUrl>

namespace fileListShell {

namespace {
struct ImageEntry {
    QIcon icon;
    QImage large;
};

QList<ImageEntry> &images()
{
    static QList<ImageEntry> list;
    return list;
}

int iconIndexFor(const QMimeType &type)
{
    static QHash<QString, int> indexes;
    const auto found = indexes.constFind(type.name());
    if (found != indexes.cend())
        return found.value();
    QIcon icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    images().append({icon, QImage()});
    const int index = int(images().size()) - 1;
    indexes.insert(type.name(), index);
    return index;
}

// The part of a name that decides its type, as with the shell: the extension (with
// the one before it when that is short, as in ".tar.gz"), or the whole name when it
// has no extension.
QString typeKey(const QString &name)
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

NameInfo lookUpByName(const QString &name, bool isFolder)
{
    static const QMimeDatabase database;
    const QMimeType type = isFolder ? database.mimeTypeForName(QStringLiteral("inode/directory"))
                                    : database.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    return {iconIndexFor(type), type.comment()};
}
} // namespace

NameInfo infoByName(const QString &name, bool isFolder)
{
    static QHash<QString, NameInfo> fileTypes;
    static const NameInfo folderType = lookUpByName(QString(), true);
    if (isFolder)
        return folderType;
    const QString key = typeKey(name);
    const auto found = fileTypes.constFind(key);
    if (found != fileTypes.cend())
        return found.value();
    const NameInfo info = lookUpByName(key.startsWith(QLatin1Char('.')) ? QLatin1Char('x') + key : key, false);
    fileTypes.insert(key, info);
    return info;
}

QIcon icon(int index)
{
    return index >= 0 && index < images().size() ? images().at(index).icon : QIcon();
}

int imageCount()
{
    return int(images().size());
}

int appendImage(const QImage &small, const QImage &large)
{
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(small));
    icon.addPixmap(QPixmap::fromImage(large));
    images().append({icon, large});
    return int(images().size()) - 1;
}

QImage largeImage(int index)
{
    return index >= 0 && index < images().size() ? images().at(index).large : QImage();
}

void removeLastImage()
{
    if (!images().isEmpty())
        images().removeLast();
}

QList<DriveInfo> presentDrives()
{
    QList<DriveInfo> drives;
    const QMap<QChar, QString> roots = platform::driveRoots();
    for (auto it = roots.cbegin(); it != roots.cend(); ++it) {
        DriveInfo drive;
        drive.letter = it.key();
        drive.kind = dkFixed;
        drive.displayName = QStringLiteral("Local Disk (%1:)").arg(drive.letter);
        drive.iconIndex = infoByName(it.value(), true).iconIndex;
        drives.append(drive);
    }
    return drives;
}

qint64 diskSizeKB(const QString &path)
{
    const QStorageInfo storage(platform::toNativePath(path.left(1) + QStringLiteral(":\\")));
    return storage.isValid() ? storage.bytesTotal() / 1024 : 0;
}

qint64 diskFreeKB(const QString &path)
{
    const QStorageInfo storage(platform::toNativePath(path.left(1) + QStringLiteral(":\\")));
    return storage.isValid() ? storage.bytesFree() / 1024 : 0;
}

bool driveReady(QChar letter, bool)
{
    return platform::driveRoots().contains(letter);
}

void openFile(const QString &path, const QString &)
{
    QDesktopServices::openUrl(QUrl::fromLocalFile(platform::toNativePath(path)));
}

} // namespace fileListShell
