#include "explorer/tree/TreeSizeMessage.h"

#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/LanguageTables.h"
#include "explorer/shared/PathUtils.h"

#include <QLocale>

QString treeSizeLabel(const QString &nodePath, int nodeLevel)
{
    if (nodeLevel == 1)
        return ExplorerTexts.msgDrive + nodePath;
    if (nodeLevel > 1)
        return ExplorerTexts.msgFolderQuote + fileNamePart(DelSlash(nodePath)) + QLatin1Char('"');
    return QString();
}

QString treeSizeByteText(double bytes)
{
    return QLocale().toString(bytes, 'f', 0) + QStringLiteral(" Bytes");
}

QString treeSizeText(double bytes)
{
    const double kilobytes = bytes > 0 && bytes < 1024 ? 1 : bytes / 1024;
    if (kilobytes > 99999)
        return QLocale().toString(kilobytes / 1024, 'f', 2) + QStringLiteral(" MB");
    return QLocale().toString(kilobytes, 'f', 2) + QStringLiteral(" KB");
}

QString treeSizeMessage(const QString &label, double bytes, std::uint64_t unreadableFolders, TLanguage language)
{
    QString message = QStringLiteral("===== ") + ExplorerTexts.msgTreeSize + QStringLiteral(" =====\r\r") + label
                      + QLatin1Char('\r') + ExplorerTexts.msgSubFolders + QStringLiteral("\r =  ")
                      + treeSizeByteText(bytes) + QStringLiteral("\r     (i.e. ") + treeSizeText(bytes)
                      + QStringLiteral(" )");
    if (unreadableFolders > 0) {
        const QString text = fileListCommandText(language, unreadableFolders == 1 ? QStringLiteral("treeSizeUnreadOne")
                                                                                    : QStringLiteral("treeSizeUnreadMany"));
        message += QStringLiteral("\r\r") + text.arg(QLocale().toString(qulonglong(unreadableFolders)));
    }
    return message;
}
