#include "explorer/tree/TreeSizeMessage.h"

#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/LanguageTables.h"

#include <QLocale>

QString TreeSizeMessage::label(const QString &drivePath, int nodeLevel)
{
    if (nodeLevel <= 0)
        return QString();
    if (nodeLevel == 1)
        return ExplorerTexts.msgDrive + drivePath;
    QString folder = drivePath;
    while (folder.endsWith(QLatin1Char('\\')))
        folder.chop(1);
    return ExplorerTexts.msgFolderQuote + folder.section(QLatin1Char('\\'), -1) + QLatin1Char('"');
}

QString TreeSizeMessage::byteText(quint64 bytes)
{
    return QLocale().toString(qulonglong(bytes)) + QStringLiteral(" Bytes");
}

QString TreeSizeMessage::sizeText(quint64 bytes)
{
    const double kilobytes = bytes > 0 && bytes < 1024 ? 1.0 : double(bytes) / 1024;
    if (kilobytes > 99999)
        return QLocale().toString(kilobytes / 1024, 'f', 2) + QStringLiteral(" MB");
    return QLocale().toString(kilobytes, 'f', 2) + QStringLiteral(" KB");
}

QString TreeSizeMessage::compose(const QString &label, quint64 bytes, quint64 unreadableFolders)
{
    const QString lineBreak = QStringLiteral("\r");
    QString message = QStringLiteral("===== ") + ExplorerTexts.msgTreeSize + QStringLiteral(" =====") + lineBreak
                      + lineBreak + label + lineBreak + ExplorerTexts.msgSubFolders + lineBreak + QStringLiteral(" =  ")
                      + byteText(bytes) + lineBreak + QStringLiteral("     (i.e. ") + sizeText(bytes) + QStringLiteral(" )");
    if (unreadableFolders == 1)
        message += lineBreak + treeCommandText(TreeTextLanguage, QStringLiteral("sizeUnreadableOne"));
    else if (unreadableFolders > 1)
        message += lineBreak
                   + treeCommandText(TreeTextLanguage, QStringLiteral("sizeUnreadableMany"))
                         .arg(QLocale().toString(qulonglong(unreadableFolders)));
    return message;
}
