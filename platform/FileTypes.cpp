#include "platform/FileTypes.h"

#include "platform/DrivePaths.h"
#include "text/Ascii.h"

#include <QFileInfo>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>

namespace platform {

namespace {
const QString folderMimeName = QStringLiteral("inode/directory");

QMimeType mimeTypeOfName(const QString &name)
{
    static const QMimeDatabase database;
    return database.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
}

bool isUnknown(const QMimeType &type)
{
    return type.isDefault() || !type.isValid();
}

QString unknownTypeName(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot == name.size() - 1)
        return QStringLiteral("File");
    return ascii::toUpper(name.mid(dot + 1)) + QStringLiteral(" File");
}

// The type's own icon when the theme has it, else its generic one.
QString themeIconName(const QMimeType &type)
{
    static QHash<QString, QString> themeNames;
    auto known = themeNames.constFind(type.name());
    if (known != themeNames.cend())
        return known.value();
    const QString iconName = QIcon::hasThemeIcon(type.iconName()) ? type.iconName() : type.genericIconName();
    themeNames.insert(type.name(), iconName);
    return iconName;
}

} // namespace

FileTypeInfo fileTypeInfo(const QString &name, bool isFolder, bool open)
{
    if (isFolder) {
        static const QString folderTypeName = QMimeDatabase().mimeTypeForName(folderMimeName).comment();
        return {folderTypeName, open ? QStringLiteral("folder-open") : QStringLiteral("folder")};
    }
    const QMimeType type = mimeTypeOfName(name);
    if (isUnknown(type))
        return {unknownTypeName(name), QStringLiteral("text-x-generic")};
    return {type.comment(), themeIconName(type)};
}

QString fileTypeName(const QString &name, bool isFolder)
{
    return fileTypeInfo(name, isFolder).typeName;
}

QString fileIconName(const QString &name, bool isFolder, bool open)
{
    return fileTypeInfo(name, isFolder, open).iconName;
}

QString driveIconName(DriveKind kind)
{
    switch (kind) {
    case DriveKind::Removable:
        return QStringLiteral("drive-removable-media");
    case DriveKind::CdRom:
        return QStringLiteral("drive-optical");
    case DriveKind::Network:
        return QStringLiteral("folder-remote");
    default:
        return QStringLiteral("drive-harddisk");
    }
}

QString computerIconName()
{
    return QStringLiteral("computer");
}

QString driveDisplayName(QChar letter, const QString &rootName)
{
    const QString root = driveRoots().value(letter);
    const QString volume = root == QLatin1String("/") || root.isEmpty() ? rootName : QFileInfo(root).fileName();
    return QStringLiteral("%1 (%2:)").arg(volume, QString(letter));
}


} // namespace platform
