#include "explorer/shared/LanguageTables.h"

#include "explorer/shared/ExplorerTexts.h"
#include "platform/Locale.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <array>
#include <memory>

namespace {

const char *const tableNames[languageCount] = {
    "",   "en", "zh_TW", "zh_CN", "nl", "fr", "de", "it", "ja", "pl", "pt", "sl", "sk", "es",
};

QStringList stringList(const QJsonValue &value)
{
    QStringList result;
    for (const QJsonValue &entry : value.toArray())
        result.append(entry.toString());
    return result;
}

LanguageRow readRow(const QString &tableName)
{
    LanguageRow row;
    QFile file(QStringLiteral(":/strings/%1.json").arg(tableName));
    if (!file.open(QIODevice::ReadOnly))
        return row;
    const QJsonObject table = QJsonDocument::fromJson(file.readAll()).object();
    const QJsonObject messages = table.value(QLatin1String("messages")).toObject();
    for (auto it = messages.begin(); it != messages.end(); ++it)
        row.messages.insert(it.key(), it.value().toString());
    row.fileColumns = stringList(table.value(QLatin1String("fileColumns")));
    row.driveColumns = stringList(table.value(QLatin1String("driveColumns")));
    row.driveTypes = stringList(table.value(QLatin1String("driveTypes")));
    row.fileListPopUp = stringList(table.value(QLatin1String("fileListPopUp")));
    row.treePopUp = stringList(table.value(QLatin1String("treePopUp")));
    const QJsonObject commands = table.value(QLatin1String("fileListCommands")).toObject();
    for (auto it = commands.begin(); it != commands.end(); ++it)
        row.fileListCommands.insert(it.key(), it.value().toString());
    const QJsonObject dialogs = table.value(QLatin1String("dialogs")).toObject();
    for (auto it = dialogs.begin(); it != dialogs.end(); ++it)
        row.dialogs.insert(it.key(), it.value().toString());
    const QJsonObject plurals = table.value(QLatin1String("plurals")).toObject();
    for (auto it = plurals.begin(); it != plurals.end(); ++it)
        row.plurals.insert(it.key(), stringList(it.value()));
    return row;
}

} // namespace

bool isConcreteLanguage(int language)
{
    return language > lnSysDefault && language < languageCount;
}

QString languageTableName(int language)
{
    return isConcreteLanguage(language) ? QString::fromLatin1(tableNames[language]) : QString();
}

const LanguageRow *languageRow(int language)
{
    if (!isConcreteLanguage(language))
        return nullptr;
    static const std::array<LanguageRow, languageCount> rows = [] {
        std::array<LanguageRow, languageCount> all;
        for (int language = lnEnglish; language < languageCount; ++language)
            all[language] = readRow(languageTableName(language));
        return all;
    }();
    return &rows[language];
}

TLanguage languageFromLangId(int langId)
{
    const int primary = langId & 0x3FF;
    const int subLanguage = (langId >> 10) & 0x3F;
    switch (primary) {
    case 4:
        return subLanguage == 2 ? lnChinese_Sim : lnChinese_Tra;
    case 7:
        return lnGerman;
    case 10:
        return lnSpanish;
    case 12:
        return lnFrench;
    case 16:
        return lnItalian;
    case 17:
        return lnJapanese;
    case 19:
        return lnDutch;
    case 21:
        return lnPolish;
    case 22:
        return lnPortuguese;
    case 27:
        return lnSlovak;
    case 36:
        return lnSlovenian;
    default:
        return lnEnglish;
    }
}

TLanguage ResolveLanguage(TLanguage language)
{
    return language == lnSysDefault ? languageFromLangId(platform::defaultLangId()) : language;
}

QString fileListCommandText(int language, const QString &name)
{
    const LanguageRow *row = languageRow(language);
    if (row && row->fileListCommands.contains(name))
        return row->fileListCommands.value(name);
    return languageRow(lnEnglish)->fileListCommands.value(name);
}

int pluralFormCount(int language)
{
    switch (language) {
    case lnJapanese:
    case lnChinese_Sim:
    case lnChinese_Tra:
        return 1;
    case lnPolish:
    case lnSlovak:
        return 3;
    case lnSlovenian:
        return 4;
    default:
        return 2;
    }
}

int pluralForm(int language, qint64 count)
{
    const qint64 n = count < 0 ? -count : count;
    const qint64 last = n % 10;
    const qint64 lastTwo = n % 100;
    switch (language) {
    case lnJapanese:
    case lnChinese_Sim:
    case lnChinese_Tra:
        return 0;
    case lnFrench:
    case lnPortuguese: // as in Brazil: 0 and 1 take the singular
        return n <= 1 ? 0 : 1;
    case lnPolish:
        if (n == 1)
            return 0;
        return last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14) ? 1 : 2;
    case lnSlovak:
        return n == 1 ? 0 : n >= 2 && n <= 4 ? 1 : 2;
    case lnSlovenian:
        return lastTwo == 1 ? 0 : lastTwo == 2 ? 1 : lastTwo == 3 || lastTwo == 4 ? 2 : 3;
    default:
        return n == 1 ? 0 : 1;
    }
}

QString pluralText(int language, const QString &name, qint64 count)
{
    const LanguageRow *row = languageRow(language);
    if (!row || !row->plurals.contains(name)) {
        language = lnEnglish;
        row = languageRow(lnEnglish);
    }
    const QStringList forms = row->plurals.value(name);
    if (forms.isEmpty())
        return QString();
    return forms.value(pluralForm(language, count), forms.last()).arg(count);
}

QString dialogText(const char *name)
{
    const QString key = QLatin1String(name);
    const LanguageRow *row = languageRow(DialogTextLanguage);
    if (row && row->dialogs.contains(key))
        return row->dialogs.value(key);
    return languageRow(lnEnglish)->dialogs.value(key);
}

bool loadQtTranslation(int language)
{
    static QTranslator *loaded = nullptr;
    if (!QCoreApplication::instance() || !isConcreteLanguage(language))
        return false;
    if (loaded) {
        QCoreApplication::removeTranslator(loaded);
        delete loaded;
        loaded = nullptr;
    }
    auto translator = std::make_unique<QTranslator>();
    // by locale, so "pt" finds qtbase_pt_BR and "zh_TW" qtbase_zh_TW
    if (!translator->load(QLocale(languageTableName(language)), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    loaded = translator.release();
    QCoreApplication::installTranslator(loaded);
    return true;
}
