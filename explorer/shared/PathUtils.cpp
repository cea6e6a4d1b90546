#include "explorer/shared/PathUtils.h"

#include "explorer/shared/ExplorerDialogs.h"
#include "explorer/shared/ExplorerTexts.h"
#include "platform/DriveRoot.h"
#include "platform/FileSystem.h"

namespace {
const QChar separator = QLatin1Char('\\');
const QChar nul = QChar(0);

// A name starts after the last "\"; the only colon that separates is the drive's own
// ("C:" at the start), any other belongs to the name.
qsizetype nameStart(const QString &path)
{
    return std::max(path.lastIndexOf(separator) + 1, platform::driveRootLength(path));
}
} // namespace

bool DirExists(const QString &path)
{
    return !path.isEmpty() && platform::folderExists(path);
}

QString AddSlash(const QString &path)
{
    if (path.isEmpty() || path.endsWith(separator))
        return path;
    return path + separator;
}

QString DelSlash(const QString &path)
{
    return path.endsWith(separator) ? path.chopped(1) : path;
}

QString JoinPath(const QString &folder, const QString &name)
{
    if (folder.isEmpty() || name.isEmpty())
        return QString();
    return AddSlash(folder) + name;
}

QString DoubleNull(const QString &text)
{
    if (text.isEmpty() || text.endsWith(nul))
        return text;
    return text + nul;
}

bool HasAnyChar(const QString &text, const QString &characters)
{
    for (QChar c : text) {
        if (characters.contains(c))
            return true;
    }
    return false;
}

QString fileNamePart(const QString &path)
{
    return path.mid(nameStart(path));
}

QString folderPart(const QString &path)
{
    return path.left(nameStart(path));
}

QString extensionPart(const QString &path)
{
    const QString name = fileNamePart(path);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot);
}

QString FileNameNoExt(const QString &path)
{
    const QString name = fileNamePart(path);
    return name.chopped(extensionPart(name).size());
}

bool TargetExists(const QString &path)
{
    QString target = path;
    if (target.endsWith(nul))
        target.chop(1);
    target = DelSlash(target);
    if (target.isEmpty() || platform::fileAttributes(target) == platform::invalidFileAttributes)
        return false;
    const QString quote = QStringLiteral("\"");
    showErrorDialog(quote + fileNamePart(target) + quote + QLatin1Char(' ') + ExplorerTexts.msgExists);
    return true;
}
