#include "explorer/filelist/FileListFormat.h"

#include "platform/FileSystem.h"

#include <QByteArray>
#include <QLocale>
#include <QtNumeric>
#include <array>

double fileTimeSortValue(qint64 fileTime)
{
    return QByteArray::number(double(fileTime), 'g', 15).toDouble();
}

QString sortKeyText(double sortValue)
{
    if (qIsNaN(sortValue))
        return QString();
    QString text = QString::number(sortValue, 'g', 15);
    const qsizetype exponentAt = text.indexOf(QLatin1Char('e'));
    if (exponentAt >= 0) {
        QString exponent = text.mid(exponentAt + 1);
        const bool negative = exponent.startsWith(QLatin1Char('-'));
        exponent.remove(0, 1);
        while (exponent.size() > 1 && exponent.startsWith(QLatin1Char('0')))
            exponent.remove(0, 1);
        text = text.left(exponentAt) + QLatin1Char('E') + (negative ? QStringLiteral("-") : QString()) + exponent;
    }
    return text.replace(QLatin1Char('.'), QLocale().decimalPoint());
}

QString attributeLetters(int attributes)
{
    // One shared text per combination, so that rows hold no copies of their own.
    static const std::array<QString, 16> combinations = [] {
        std::array<QString, 16> texts;
        for (int bits = 0; bits < 16; ++bits) {
            for (int letter = 0; letter < 4; ++letter) {
                if (bits & (1 << letter))
                    texts[size_t(bits)] += QLatin1Char("ARHS"[letter]);
            }
        }
        return texts;
    }();
    const int bits = (attributes & platform::faArchive ? 1 : 0) | (attributes & platform::faReadOnly ? 2 : 0)
                     | (attributes & platform::faHidden ? 4 : 0) | (attributes & platform::faSystem ? 8 : 0);
    return combinations[size_t(bits)];
}

qint64 sizeFromSizeText(const QString &sizeText)
{
    const qsizetype unitAt = sizeText.indexOf(QLatin1Char('K'));
    const QString number = (unitAt < 0 ? sizeText : sizeText.left(unitAt)).trimmed();
    bool ok = false;
    const qint64 value = number.toLongLong(&ok);
    return ok ? value : 0;
}

QString driveSizeText(qint64 kilobytes)
{
    if (kilobytes < 1)
        return QStringLiteral("0 Mb");
    const QString digits = kilobytes / 1000 == 0 ? QString() : QString::number(kilobytes / 1000);
    const QString separator = QLocale().groupSeparator();
    QString grouped;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += separator;
        grouped += digits.at(i);
    }
    return grouped + QStringLiteral(" Mb");
}
