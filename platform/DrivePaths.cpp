#include "platform/DrivePaths.h"
#include "platform/DriveRoot.h"

#include "platform/NativeNames.h"
#include "platform/NativePaths.h"

#include <QDir>
#include <QFile>
#include <unistd.h>

namespace platform {

namespace {
QMap<QChar, QString> &rootTable()
{
    static QMap<QChar, QString> table{{QLatin1Char('C'), QStringLiteral("/")}};
    return table;
}

bool hasDriveLetter(const QString &path)
{
    return driveRootLength(path) > 0;
}

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

// Separators and the stand-in character between the two forms of one name. A "/"
// cannot be in a native name: in a drive path it separates, as "\" does.
QString driveToNativeTail(const QString &tail)
{
    QString result = tail;
    result.replace(QLatin1Char('\\'), QLatin1Char('/'));
    result.replace(nativeBackslashStandIn, QLatin1Char('\\'));
    return result;
}

QString nativeToDriveTail(const QString &tail)
{
    QString result = tail;
    result.replace(QLatin1Char('\\'), nativeBackslashStandIn);
    result.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return result;
}
} // namespace

qsizetype driveRootLength(const QString &path)
{
    if (path.size() < 2 || path.at(1) != QLatin1Char(':') || path.at(0).unicode() >= 128 || !path.at(0).isLetter())
        return 0;
    if (path.size() == 2)
        return 2;
    return path.at(2) == QLatin1Char('\\') || path.at(2) == QLatin1Char('/') ? 3 : 0;
}

QMap<QChar, QString> driveRoots()
{
    return rootTable();
}

void registerDriveRoot(QChar letter, const QString &nativeRoot)
{
    rootTable()[letter.toUpper()] = withoutTrailingSlash(nativeRoot);
}

void unregisterDriveRoot(QChar letter)
{
    if (letter.toUpper() != QLatin1Char('C'))
        rootTable().remove(letter.toUpper());
}

QString toNativePath(const QString &path)
{
    if (!hasDriveLetter(path))
        return path.startsWith(QLatin1Char('/')) ? path : driveToNativeTail(path);
    const QString root = rootTable().value(path.at(0).toUpper());
    if (root.isEmpty())
        return QString();
    QString tail = driveToNativeTail(path.mid(2));
    while (tail.startsWith(QLatin1Char('/')))
        tail.remove(0, 1);
    if (tail.isEmpty())
        return root;
    return root == QLatin1String("/") ? QLatin1Char('/') + tail : root + QLatin1Char('/') + tail;
}

QString toDrivePath(const QString &nativePath)
{
    if (!nativePath.startsWith(QLatin1Char('/')))
        return nativeToDriveTail(nativePath);
    const QString path = withoutTrailingSlash(nativePath);
    QChar bestLetter = QLatin1Char('C');
    QString bestRoot = QStringLiteral("/");
    for (auto it = rootTable().cbegin(); it != rootTable().cend(); ++it) {
        const QString &root = it.value();
        const bool contains = path == root || path.startsWith(root + QLatin1Char('/'));
        if (contains && root.size() > bestRoot.size()) {
            bestRoot = root;
            bestLetter = it.key();
        }
    }
    QString tail = bestRoot == QLatin1String("/") ? path.mid(1) : path.mid(bestRoot.size() + 1);
    const QString drive = QString(bestLetter) + QLatin1Char(':');
    return tail.isEmpty() ? drive + QLatin1Char('\\') : drive + QLatin1Char('\\') + nativeToDriveTail(tail);
}

QString normalizedDrivePath(const QString &typed)
{
    const QString trimmed = typed.trimmed();
    if (trimmed.startsWith(QLatin1Char('/')))
        return toDrivePath(QDir::cleanPath(trimmed));
    return trimmed;
}

bool setCurrentFolder(const QString &path)
{
    const QString native = toNativePath(path);
    if (native.isEmpty())
        return false;
    return ::chdir(encodeNativeName(native).constData()) == 0;
}

QString currentFolder()
{
    return toDrivePath(nativeCurrentFolder());
}

} // namespace platform
