#include "platform/Locale.h"

#include <QLocale>

namespace platform {

namespace {

struct LanguageId {
    QLocale::Language language;
    int primary;
};

// Primary language identifiers of the languages a desktop is commonly set to.
constexpr LanguageId primaryLanguages[] = {
    {QLocale::Arabic, 0x01},     {QLocale::Bulgarian, 0x02},  {QLocale::Catalan, 0x03},
    {QLocale::Chinese, 0x04},    {QLocale::Czech, 0x05},      {QLocale::Danish, 0x06},
    {QLocale::German, 0x07},     {QLocale::Greek, 0x08},      {QLocale::English, 0x09},
    {QLocale::C, 0x09},          {QLocale::Spanish, 0x0A},    {QLocale::Finnish, 0x0B},
    {QLocale::French, 0x0C},     {QLocale::Hebrew, 0x0D},     {QLocale::Hungarian, 0x0E},
    {QLocale::Icelandic, 0x0F},  {QLocale::Italian, 0x10},    {QLocale::Japanese, 0x11},
    {QLocale::Korean, 0x12},     {QLocale::Dutch, 0x13},      {QLocale::NorwegianBokmal, 0x14},
    {QLocale::NorwegianNynorsk, 0x14}, {QLocale::Polish, 0x15}, {QLocale::Portuguese, 0x16},
    {QLocale::Romanian, 0x18},   {QLocale::Russian, 0x19},    {QLocale::Croatian, 0x1A},
    {QLocale::Serbian, 0x1A},    {QLocale::Slovak, 0x1B},     {QLocale::Albanian, 0x1C},
    {QLocale::Swedish, 0x1D},    {QLocale::Thai, 0x1E},       {QLocale::Turkish, 0x1F},
    {QLocale::Urdu, 0x20},       {QLocale::Indonesian, 0x21}, {QLocale::Ukrainian, 0x22},
    {QLocale::Belarusian, 0x23}, {QLocale::Slovenian, 0x24},  {QLocale::Estonian, 0x25},
    {QLocale::Latvian, 0x26},    {QLocale::Lithuanian, 0x27}, {QLocale::Persian, 0x29},
    {QLocale::Vietnamese, 0x2A}, {QLocale::Basque, 0x2D},     {QLocale::Macedonian, 0x2F},
    {QLocale::Afrikaans, 0x36},  {QLocale::Hindi, 0x39},      {QLocale::Malay, 0x3E},
};

constexpr int subLanguageDefault = 1;
constexpr int subLanguageChineseTraditional = 1;
constexpr int subLanguageChineseSimplified = 2;
constexpr int subLanguageChineseHongKong = 3;
constexpr int subLanguageChineseMacau = 5;

int chineseSubLanguage(const QLocale &locale)
{
    // The script decides: a simplified-script locale gets the simplified
    // sub-language wherever it is used.
    if (locale.script() == QLocale::SimplifiedHanScript)
        return subLanguageChineseSimplified;
    if (locale.territory() == QLocale::HongKong)
        return subLanguageChineseHongKong;
    if (locale.territory() == QLocale::Macau)
        return subLanguageChineseMacau;
    return subLanguageChineseTraditional;
}

QChar firstSeparator(const QString &qtFormat)
{
    bool quoted = false;
    for (QChar c : qtFormat) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && !c.isLetter() && !c.isSpace())
            return c;
    }
    return QChar();
}

// The picture without its seconds and the separator before them: some locales (C
// among them) give seconds in their short time format.
QString withoutSeconds(const QString &picture)
{
    QString result;
    for (qsizetype i = 0; i < picture.size(); ++i) {
        if (picture.at(i) != QLatin1Char('s')) {
            result += picture.at(i);
            continue;
        }
        while (i + 1 < picture.size() && picture.at(i + 1) == QLatin1Char('s'))
            ++i;
        while (!result.isEmpty() && !result.back().isLetterOrNumber() && !result.back().isSpace())
            result.chop(1);
    }
    return result;
}

} // namespace

int langIdOf(const QLocale &locale)
{
    for (const LanguageId &entry : primaryLanguages) {
        if (entry.language != locale.language())
            continue;
        const int subLanguage =
            locale.language() == QLocale::Chinese ? chineseSubLanguage(locale) : subLanguageDefault;
        return entry.primary | (subLanguage << 10);
    }
    return 0;
}

int defaultLangId()
{
    return langIdOf(QLocale());
}

QString pictureFromQtFormat(const QString &qtFormat, const QString &amPmText)
{
    QString picture;
    for (qsizetype i = 0; i < qtFormat.size(); ++i) {
        const QChar c = qtFormat.at(i);
        if (c == QLatin1Char('\'')) {
            const qsizetype end = qtFormat.indexOf(QLatin1Char('\''), i + 1);
            const qsizetype stop = end < 0 ? qtFormat.size() : end;
            picture += i + 1 == stop ? QStringLiteral("'") : qtFormat.mid(i + 1, stop - i - 1);
            i = stop;
        } else if (c == QLatin1Char('t')) {
            while (i + 1 < qtFormat.size() && qtFormat.at(i + 1) == QLatin1Char('t'))
                ++i;
        } else if (c == QLatin1Char('z')) {
            while (i + 1 < qtFormat.size() && qtFormat.at(i + 1) == QLatin1Char('z'))
                ++i;
            if (!picture.isEmpty() && !picture.back().isLetterOrNumber())
                picture.chop(1); // the separator before the milliseconds
        } else if (c == QLatin1Char('A') || c == QLatin1Char('a')) {
            if (i + 1 < qtFormat.size() && qtFormat.at(i + 1).toLower() == QLatin1Char('p'))
                ++i;
            picture += amPmText;
        } else {
            picture += c;
        }
    }
    return picture.simplified();
}

QString shortDatePicture()
{
    return pictureFromQtFormat(QLocale().dateFormat(QLocale::ShortFormat), QString());
}

QString timeFormatPicture()
{
    return pictureFromQtFormat(QLocale().timeFormat(QLocale::LongFormat), QStringLiteral("tt"));
}

QString longTimePicture()
{
    return pictureFromQtFormat(QLocale().timeFormat(QLocale::LongFormat), QStringLiteral("AM/PM"));
}

QString shortTimePicture()
{
    return withoutSeconds(pictureFromQtFormat(QLocale().timeFormat(QLocale::ShortFormat), QStringLiteral("AM/PM")));
}

QChar dateSeparator()
{
    const QChar separator = firstSeparator(QLocale().dateFormat(QLocale::ShortFormat));
    return separator.isNull() ? QLatin1Char('/') : separator;
}

QChar timeSeparator()
{
    const QChar separator = firstSeparator(QLocale().timeFormat(QLocale::ShortFormat));
    return separator.isNull() ? QLatin1Char(':') : separator;
}

} // namespace platform
