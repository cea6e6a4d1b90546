#include "explorer/shared/DisplayTexts.h"

#include "platform/FileTime.h"
#include "platform/Locale.h"
#include "text/Ascii.h"

#include <QLocale>

namespace {

const QString amPmToken = QStringLiteral("AM/PM");

QString padded(int value, qsizetype width)
{
    return QStringLiteral("%1").arg(value, int(width), 10, QLatin1Char('0'));
}

QString dayText(const QDate &date, qsizetype run)
{
    if (run <= 2)
        return padded(date.day(), run);
    return QLocale().dayName(date.dayOfWeek(), run == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
}

QString monthText(const QDate &date, qsizetype run)
{
    if (run <= 2)
        return padded(date.month(), run);
    return QLocale().monthName(date.month(), run == 3 ? QLocale::ShortFormat : QLocale::LongFormat);
}

QString yearText(const QDate &date, qsizetype run)
{
    return run <= 2 ? padded(date.year() % 100, 2) : padded(date.year(), 4);
}

QString hourText(const QTime &time, qsizetype run, bool twelveHour)
{
    int hour = time.hour();
    if (twelveHour) {
        hour %= 12;
        if (hour == 0)
            hour = 12;
    }
    return padded(hour, std::min<qsizetype>(run, 2));
}

QString formatMoment(const QDateTime &moment, const QString &picture)
{
    const bool twelveHour = picture.contains(amPmToken, Qt::CaseInsensitive);
    const QDate date = moment.date();
    const QTime time = moment.time();
    QString text;
    bool afterHour = false;
    qsizetype i = 0;
    while (i < picture.size()) {
        if (picture.mid(i, amPmToken.size()).compare(amPmToken, Qt::CaseInsensitive) == 0) {
            const QString marker = time.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
            text += picture.at(i).isLower() ? ascii::toLower(marker) : marker;
            i += amPmToken.size();
            continue;
        }
        const QChar letter = ascii::toLower(picture.at(i));
        qsizetype run = 1;
        while (i + run < picture.size() && ascii::toLower(picture.at(i + run)) == letter)
            ++run;
        const bool minutes = letter == QLatin1Char('n') || (letter == QLatin1Char('m') && afterHour);
        if (letter == QLatin1Char('d'))
            text += dayText(date, run);
        else if (minutes)
            text += padded(time.minute(), std::min<qsizetype>(run, 2));
        else if (letter == QLatin1Char('m'))
            text += monthText(date, run);
        else if (letter == QLatin1Char('y'))
            text += yearText(date, run);
        else if (letter == QLatin1Char('h'))
            text += hourText(time, run, twelveHour);
        else if (letter == QLatin1Char('s'))
            text += padded(time.second(), std::min<qsizetype>(run, 2));
        else if (letter == QLatin1Char('/'))
            text += QString(run, platform::dateSeparator());
        else if (letter == QLatin1Char(':'))
            text += QString(run, platform::timeSeparator());
        else
            text += picture.mid(i, run);
        if (letter.isLetter())
            afterHour = letter == QLatin1Char('h');
        i += run;
    }
    return text;
}

} // namespace

QString SizeToKBText(const QString &kind, qint64 size)
{
    if (ascii::equalsIgnoringCase(kind, QLatin1String("DIR")))
        return QStringLiteral(" ");
    if (size > 0 && size < 1024)
        size = 1024;
    return QString::number(size / 1024) + QStringLiteral(" KB");
}

QString FileTimeToText(qint64 fileTime, const QString &datePicture, const QString &timePicture)
{
    const QDateTime local = platform::dateTimeFromFileTime(fileTime).toLocalTime();
    return formatMoment(local, datePicture + QLatin1Char(' ') + timePicture);
}

QString datePicture(TDtFormat format)
{
    switch (format) {
    case df_MMddyyyy:
        return QStringLiteral("MM/dd/yyyy");
    case df_MMddyy:
        return QStringLiteral("MM/dd/yy");
    case df_ddMMyyyy:
        return QStringLiteral("dd/MM/yyyy");
    case df_ddMMyy_GB:
        return QStringLiteral("dd/MM/yy");
    case df_ddMMyy_DE:
        return QStringLiteral("dd.MM.yy");
    case df_ddMMyy_IT:
        return QStringLiteral("dd-MM-yy");
    case df_yyyyMMdd:
        return QStringLiteral("yyyy-MM-dd");
    case df_yyMMdd:
        return QStringLiteral("yy-MM-dd");
    case df_Customize:
        break;
    }
    return platform::shortDatePicture();
}

QString timePicture(TTmFormat format)
{
    switch (format) {
    case tfLongFormat:
        return platform::longTimePicture();
    case tfShortFormat:
        return platform::shortTimePicture();
    case tfCustomize:
        break;
    }
    QString picture = platform::timeFormatPicture();
    const qsizetype marker = picture.indexOf(QLatin1Char('t'));
    if (marker >= 0)
        picture.truncate(marker);
    return picture + QStringLiteral(" AM/PM");
}
