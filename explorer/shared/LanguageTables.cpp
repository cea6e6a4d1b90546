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
