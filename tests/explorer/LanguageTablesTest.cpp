#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/LanguageTables.h"
#include "explorer/shared/MenuAccessKeys.h"
#include "tests/explorer/LocaleGuard.h"

#include <QMap>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// Keeps the unit-wide table and selectors as they were before the test.
class ExplorerTextsTest : public ::testing::Test {
protected:
    ~ExplorerTextsTest() override
    {
        ExplorerTexts = m_texts;
        ListTextLanguage = m_list;
        TreeTextLanguage = m_tree;
    }

    static QString rowText(TLanguage language, const char *slot)
    {
        return languageRow(language)->messages.value(QLatin1String(slot));
    }

private:
    TExplorerTexts m_texts = ExplorerTexts;
    TLanguage m_list = ListTextLanguage;
    TLanguage m_tree = TreeTextLanguage;
};

void expectAllFilled(const QStringList &texts, qsizetype count)
{
    ASSERT_EQ(texts.size(), count);
    for (const QString &text : texts)
        EXPECT_FALSE(text.trimmed().isEmpty());
}

} // namespace

TEST(LanguageTablesTest, EveryLanguageHasACompleteTranslatedRow)
{
    const LanguageRow *english = languageRow(lnEnglish);
    ASSERT_NE(english, nullptr);
    for (int language = lnEnglish; language <= lnSpanish; ++language) {
        SCOPED_TRACE(languageTableName(language).toStdString());
        const LanguageRow *row = languageRow(language);
        ASSERT_NE(row, nullptr);
        for (const ExplorerTextSlot &slot : explorerTextSlots())
            EXPECT_FALSE(row->messages.value(QLatin1String(slot.name)).trimmed().isEmpty()) << slot.name;
        for (const QString &name : row->messages.keys()) {
            const auto known = explorerTextSlots();
            EXPECT_TRUE(std::any_of(known.begin(), known.end(),
                                    [&](const ExplorerTextSlot &slot) { return name == QLatin1String(slot.name); }))
                << "unknown slot " << name.toStdString();
        }
        expectAllFilled(row->fileColumns, fileColumnCount);
        expectAllFilled(row->driveColumns, fileColumnCount);
        expectAllFilled(row->driveTypes, driveTypeCount);
        expectAllFilled(row->fileListPopUp, fileListPopUpCount);
        expectAllFilled(row->treePopUp, treePopUpCount);
        if (language != lnEnglish) {
            // a row copied from English by mistake shows here
            EXPECT_NE(row->messages.value(QStringLiteral("msgNoDisk")), english->messages.value(QStringLiteral("msgNoDisk")));
            EXPECT_NE(row->driveTypes.at(2), english->driveTypes.at(2));
            EXPECT_NE(row->fileListPopUp.at(13), english->fileListPopUp.at(13));
            EXPECT_NE(row->treePopUp.at(10), english->treePopUp.at(10));
        }
    }
    EXPECT_EQ(languageRow(lnSysDefault), nullptr);
    EXPECT_EQ(languageRow(languageCount), nullptr);
    EXPECT_EQ(languageRow(-1), nullptr);
}

namespace {

// Every text of a row by "table.key" or "table[index]", to compare rows text by text.
QMap<QString, QString> everyText(const LanguageRow &row)
{
    QMap<QString, QString> texts;
    const auto addHash = [&](const char *table, const QHash<QString, QString> &hash) {
        for (auto it = hash.begin(); it != hash.end(); ++it)
            texts.insert(QLatin1String(table) + QLatin1Char('.') + it.key(), it.value());
    };
    const auto addList = [&](const char *table, const QStringList &list) {
        for (qsizetype i = 0; i < list.size(); ++i)
            texts.insert(QStringLiteral("%1[%2]").arg(QLatin1String(table)).arg(i), list.at(i));
    };
    addHash("messages", row.messages);
    addHash("fileListCommands", row.fileListCommands);
    addHash("dialogs", row.dialogs);
    addList("fileColumns", row.fileColumns);
    addList("driveColumns", row.driveColumns);
    addList("driveTypes", row.driveTypes);
    addList("fileListPopUp", row.fileListPopUp);
    addList("treePopUp", row.treePopUp);
    return texts;
}

// What a translation must keep: the placeholders and the line breaks.
QString shape(const QString &text)
{
    QStringList placeholders;
    static const QRegularExpression placeholder(QStringLiteral("%\\d"));
    for (auto match = placeholder.globalMatch(text); match.hasNext();)
        placeholders.append(match.next().captured());
    placeholders.sort();
    return placeholders.join(QLatin1Char(' ')) + QStringLiteral(" breaks %1/%2").arg(text.count(QLatin1Char('\r'))).arg(text.count(QLatin1Char('\n')));
}

} // namespace

TEST(LanguageTablesTest, EveryLanguageTranslatesEveryTextKeepingItsPlaceholders)
{
    // words that the language writes as English does
    const QStringList sameAsEnglish = {"Name", "Type", "Type:", "Status", "Computer", "Information", "Error",
                                       "ERROR - ", "Password", " file ", "Files in ", "Folder \"", "%1 items",
                                       "%1 (%2 bytes)"};
    static const QRegularExpression letter(QStringLiteral("[A-Za-z]"));
    const QMap<QString, QString> english = everyText(*languageRow(lnEnglish));
    for (int language = lnEnglish + 1; language <= lnSpanish; ++language) {
        SCOPED_TRACE(languageTableName(language).toStdString());
        const QMap<QString, QString> texts = everyText(*languageRow(language));
        for (auto it = english.begin(); it != english.end(); ++it) {
            const QString key = it.key();
            ASSERT_TRUE(texts.contains(key)) << "missing " << key.toStdString();
            const QString text = texts.value(key);
            EXPECT_FALSE(text.trimmed().isEmpty()) << key.toStdString();
            if (text == it.value() && it.value().contains(letter))
                EXPECT_TRUE(sameAsEnglish.contains(text)) << key.toStdString() << " left in English: " << text.toStdString();
            EXPECT_EQ(shape(text), shape(it.value())) << key.toStdString() << ": " << text.toStdString();
        }
        for (const QString &key : texts.keys())
            EXPECT_TRUE(english.contains(key)) << "not in English: " << key.toStdString();
    }
}

TEST(LanguageTablesTest, ItalianRowIsTheMainWindowsText)
{
    const LanguageRow *italian = languageRow(lnItalian);
    ASSERT_NE(italian, nullptr);
    EXPECT_EQ(italian->fileColumns, QStringList({"Nome", "Capacità", "Tipo", "Modificato", "Attributi"}));
    EXPECT_EQ(italian->driveColumns, QStringList({"Nome", "Tipo", "Capacità disco", "Disponibile", "Attributi"}));
    EXPECT_EQ(italian->driveTypes, QStringList({"Sconosciuto", "Inesistente", "Disco rimovibile", "Disco locale",
                                                "Disco di rete", "Disco CD-ROM", "Disco RAM"}));
    EXPECT_EQ(italian->fileListPopUp,
              QStringList({"&Apri", "&An&teprima", "In&via a", "Tagl&ia", "&Copia", "&Incolla", "&Rin&omina",
                           "&Elimina", "&Proprietà", "&Nuova Cartella...", "Cartella ...",
                           "Copia il contenuto negli appunti", "Copia il nome negli appunti",
                           "Collegamento al Desktop"}));
    EXPECT_EQ(italian->treePopUp,
              QStringList({"&Nuova Cartella", "&Rinomina Cartella", "&Elimina Cartella", "Ta&glia", "&Copia",
                           "&Incolla", "&Dimensioni elenco", "Co&ntenuto Cartella", "Connetti &unità di rete...",
                           "Dis&connetti unità di rete", "&Prorietà"}));
    const struct {
        const char *slot;
        const char *text;
    } messages[] = {
        {"msgFolderQuote", "Cartella \""}, {"msgFrom", "Da  : "},     {"msgTo", "A     : "},
        {"msgCant", "ERRORE - Impossibile "}, {"msgExists", "già esistente !"},
        {"msgNoDisk", "Nessun disco nell'unità o unità non pronta"},   {"msgSubFolders", "e tutte le sotto-cartelle "},
        {"msgIsReadOnly", "E' in sola lettura"},
    };
    for (const auto &m : messages)
        EXPECT_EQ(italian->messages.value(QLatin1String(m.slot)), QString::fromUtf8(m.text)) << m.slot;
}

TEST(LanguageTablesTest, LanguageIdentifiersChooseTheRow)
{
    const struct {
        int langId;
        TLanguage language;
    } cases[] = {
        {0x0804, lnChinese_Sim}, {0x0404, lnChinese_Tra}, {0x0C04, lnChinese_Tra}, {0x0407, lnGerman},
        {0x0C0A, lnSpanish},     {0x040C, lnFrench},      {0x0410, lnItalian},     {0x0411, lnJapanese},
        {0x0413, lnDutch},       {0x0415, lnPolish},      {0x0816, lnPortuguese},  {0x041B, lnSlovak},
        {0x0424, lnSlovenian},   {0x0412, lnEnglish},     {0x0409, lnEnglish},     {0, lnEnglish},
    };
    for (const auto &c : cases)
        EXPECT_EQ(languageFromLangId(c.langId), c.language) << std::hex << c.langId;
}

TEST(LanguageTablesTest, SystemDefaultFollowsTheLocale)
{
    const struct {
        QLocale locale;
        TLanguage language;
    } cases[] = {
        {QLocale(QLocale::Italian, QLocale::Italy), lnItalian},
        {QLocale(QLocale::Korean, QLocale::SouthKorea), lnEnglish},
        {QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::Singapore), lnChinese_Sim},
        {QLocale(QLocale::Chinese, QLocale::TraditionalHanScript, QLocale::Taiwan), lnChinese_Tra},
        {QLocale(QLocale::Portuguese, QLocale::Brazil), lnPortuguese},
        {QLocale(QLocale::Slovenian, QLocale::Slovenia), lnSlovenian},
    };
    for (const auto &c : cases) {
        LocaleGuard guard(c.locale);
        EXPECT_EQ(ResolveLanguage(lnSysDefault), c.language) << c.locale.name().toStdString();
        EXPECT_EQ(ResolveLanguage(lnGerman), lnGerman);
    }
}

TEST_F(ExplorerTextsTest, LastLanguageSetWinsForSharedSlots)
{
    ListTextLanguage = lnGerman;
    LoadListTexts();
    TreeTextLanguage = lnItalian;
    LoadTreeTexts();
    EXPECT_EQ(ExplorerTexts.msgCancel, QStringLiteral("&Abbrechen"));
    EXPECT_EQ(ExplorerTexts.msgDrive, QStringLiteral("Unità "));
    EXPECT_EQ(ExplorerTexts.msgNewFolder, QStringLiteral("Nuova cartella"));

    ListTextLanguage = lnEnglish;
    LoadListTexts();
    EXPECT_EQ(ExplorerTexts.msgNewFolder, QStringLiteral("New Folder"));
    EXPECT_EQ(ExplorerTexts.msgCant + QStringLiteral("Open") + ExplorerTexts.msgFile + QStringLiteral("C:\\a.txt"),
              QStringLiteral("ERROR - Can't Open file C:\\a.txt"));
    EXPECT_EQ(ExplorerTexts.msgDrive, QStringLiteral("Unità "));

    // the file list's other tables follow its selector, the tree menu follows the tree's
    EXPECT_EQ(DriveTypeNames().at(3), QStringLiteral("Fixed Disk"));
    EXPECT_EQ(FileListPopUpCaptions().at(0), QStringLiteral("&Open"));
    EXPECT_EQ(TreePopUpCaptions().at(0), QStringLiteral("&Nuova Cartella"));
    // column captions follow the control's own language
    EXPECT_EQ(FileColumnCaptions(lnItalian).at(1), QStringLiteral("Capacità"));
    EXPECT_EQ(DriveColumnCaptions(lnGerman).at(3), QStringLiteral("Freier Speicher"));
}

TEST_F(ExplorerTextsTest, SwitchingLanguageChangesEveryTextOfTheLoaderAtOnce)
{
    const struct {
        TLanguage from;
        TLanguage to;
    } switches[] = {{lnEnglish, lnJapanese}, {lnItalian, lnPolish}, {lnChinese_Sim, lnChinese_Tra}};
    for (const auto &s : switches) {
        SCOPED_TRACE(languageTableName(s.to).toStdString());
        ListTextLanguage = TreeTextLanguage = s.from;
        LoadListTexts();
        LoadTreeTexts();
        ListTextLanguage = s.to;
        LoadListTexts();
        for (const ExplorerTextSlot &slot : explorerTextSlots()) {
            const TLanguage expected = slot.listSlot ? s.to : s.from;
            EXPECT_EQ(ExplorerTexts.*slot.text, rowText(expected, slot.name)) << slot.name;
        }
        TreeTextLanguage = s.to;
        LoadTreeTexts();
        for (const ExplorerTextSlot &slot : explorerTextSlots())
            EXPECT_EQ(ExplorerTexts.*slot.text, rowText(s.to, slot.name)) << slot.name;
    }
}

TEST_F(ExplorerTextsTest, SelectorNamingNoLanguageLoadsNothing)
{
    ListTextLanguage = TreeTextLanguage = lnItalian;
    LoadListTexts();
    LoadTreeTexts();
    ListTextLanguage = lnSysDefault;
    LoadListTexts();
    TreeTextLanguage = TLanguage(42);
    LoadTreeTexts();
    EXPECT_EQ(ExplorerTexts.msgNoSelection, QStringLiteral("Nessun file selezionato"));
    EXPECT_EQ(ExplorerTexts.msgOpFailed, QStringLiteral("Operazione fallita"));
    EXPECT_TRUE(DriveTypeNames().isEmpty());
    EXPECT_TRUE(TreePopUpCaptions().isEmpty());
}

TEST(LanguageTablesTest, CountedTextsTakeEachLanguagesPluralForm)
{
    const struct {
        TLanguage language;
        const char *one, *two, *five, *twentyOne;
    } cases[] = {
        {lnEnglish, "1 item", "2 items", "5 items", "21 items"},
        {lnItalian, "1 elemento", "2 elementi", "5 elementi", "21 elementi"},
        {lnGerman, "1 Element", "2 Elemente", "5 Elemente", "21 Elemente"},
        {lnDutch, "1 item", "2 items", "5 items", "21 items"},
        {lnFrench, "1 élément", "2 éléments", "5 éléments", "21 éléments"},
        {lnSpanish, "1 elemento", "2 elementos", "5 elementos", "21 elementos"},
        {lnPortuguese, "1 item", "2 itens", "5 itens", "21 itens"},
        {lnPolish, "1 element", "2 elementy", "5 elementów", "21 elementów"},
        {lnSlovak, "1 položka", "2 položky", "5 položiek", "21 položiek"},
        {lnSlovenian, "1 element", "2 elementa", "5 elementov", "21 elementov"},
        {lnJapanese, "1 個の項目", "2 個の項目", "5 個の項目", "21 個の項目"},
        {lnChinese_Sim, "1 个项目", "2 个项目", "5 个项目", "21 个项目"},
        {lnChinese_Tra, "1 個項目", "2 個項目", "5 個項目", "21 個項目"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(languageTableName(c.language).toStdString());
        const auto items = [&](qint64 n) { return pluralText(c.language, QStringLiteral("propItems"), n); };
        EXPECT_EQ(items(1), QString::fromUtf8(c.one));
        EXPECT_EQ(items(2), QString::fromUtf8(c.two));
        EXPECT_EQ(items(5), QString::fromUtf8(c.five));
        EXPECT_EQ(items(21), QString::fromUtf8(c.twentyOne));
    }
    // the rules where the languages part ways
    EXPECT_EQ(pluralText(lnPolish, QStringLiteral("findFound"), 22), QStringLiteral("Znaleziono 22 pliki"));
    EXPECT_EQ(pluralText(lnPolish, QStringLiteral("findFound"), 12), QStringLiteral("Znaleziono 12 plików"));
    EXPECT_EQ(pluralText(lnSlovenian, QStringLiteral("findFound"), 103), QStringLiteral("Najdene so 103 datoteke"));
    EXPECT_EQ(pluralText(lnSlovenian, QStringLiteral("propItems"), 101), QStringLiteral("101 element"));
    EXPECT_EQ(pluralText(lnSlovenian, QStringLiteral("propItems"), 102), QStringLiteral("102 elementa"));
    EXPECT_EQ(pluralText(lnFrench, QStringLiteral("findFound"), 0), QStringLiteral("0 fichier trouvé"));
    EXPECT_EQ(pluralText(lnItalian, QStringLiteral("findFound"), 0), QStringLiteral("0 file trovati"));
    EXPECT_EQ(pluralText(lnItalian, QStringLiteral("findFound"), 1), QStringLiteral("1 file trovato"));

    // every counted text has one form per plural form of its language, each with its count
    const QStringList names = languageRow(lnEnglish)->plurals.keys();
    EXPECT_FALSE(names.isEmpty());
    for (int language = lnEnglish; language <= lnSpanish; ++language) {
        SCOPED_TRACE(languageTableName(language).toStdString());
        EXPECT_EQ(languageRow(language)->plurals.keys().size(), names.size());
        for (const QString &name : names) {
            const QStringList forms = languageRow(language)->plurals.value(name);
            EXPECT_EQ(forms.size(), pluralFormCount(language)) << name.toStdString();
            for (const QString &form : forms)
                EXPECT_EQ(form.count(QStringLiteral("%1")), 1) << form.toStdString();
        }
    }
}

namespace {

// Every text of a row, the counted ones included.
QStringList allTextsOf(const LanguageRow &row)
{
    QStringList texts = everyText(row).values();
    for (const QStringList &forms : row.plurals)
        texts += forms;
    return texts;
}

} // namespace

TEST(LanguageTablesTest, EachTableUsesOneWordForEachThing)
{
    // A term a table avoids where it uses another for the same thing; the texts the
    // Parts give (" el fichero  ") are left as they are.
    const struct {
        TLanguage language;
        const char *avoided;
        const char *used;
    } terms[] = {
        {lnSpanish, "fichero", "archivo"},      {lnPortuguese, "ficheiro", "arquivo"},
        {lnJapanese, "フォルダ(?!ー)", "フォルダー"}, {lnSpanish, "árbol", "carpeta"},
        {lnPortuguese, "árvore", "pasta"},       {lnPolish, "(?i)drzew", "folder"},
        {lnSlovak, "(?i)strom", "priečin"},      {lnSlovenian, "(?i)drev", "map"},
        {lnGerman, "(?<!bei)behalten", "beibehalten"}, {lnChinese_Sim, "目录树", "文件夹"},
        {lnChinese_Tra, "樹狀目錄", "資料夾"},    {lnJapanese, "ツリー", "フォルダー"},
    };
    const QStringList fromTheParts = {QStringLiteral(" el fichero  ")};
    for (const auto &term : terms) {
        SCOPED_TRACE(languageTableName(term.language).toStdString() + ": " + term.avoided);
        const QRegularExpression avoided(QString::fromUtf8(term.avoided));
        bool used = false;
        for (const QString &text : allTextsOf(*languageRow(term.language))) {
            if (!fromTheParts.contains(text))
                EXPECT_FALSE(avoided.match(text).hasMatch()) << text.toStdString();
            used = used || text.contains(QString::fromUtf8(term.used));
        }
        EXPECT_TRUE(used) << term.used;
    }
}

TEST(LanguageTablesTest, ChineseAndJapaneseSentencesUseTheirOwnPunctuation)
{
    // An ASCII mark right after (or a blank after) a Han or kana character; "%1:" is a
    // drive name and stays.
    const QString han = QStringLiteral("[\\x{3040}-\\x{30ff}\\x{4e00}-\\x{9fff}\\x{201d}\\x{300d}]");
    const struct {
        TLanguage language;
        QString marks;
    } cases[] = {{lnChinese_Sim, QStringLiteral("[,:?!]")}, {lnChinese_Tra, QStringLiteral("[,:?!]")},
                 {lnJapanese, QStringLiteral("[?!]")}};
    for (const auto &c : cases) {
        SCOPED_TRACE(languageTableName(c.language).toStdString());
        const QRegularExpression ascii(han + QStringLiteral(" ?") + c.marks);
        for (const QString &text : allTextsOf(*languageRow(c.language)))
            EXPECT_FALSE(ascii.match(text).hasMatch()) << text.toStdString();
    }
    EXPECT_EQ(languageRow(lnChinese_Sim)->fileListPopUp.at(11), QStringLiteral("将内容复制到剪贴板"));
}

TEST(LanguageTablesTest, MenusTheProjectTranslatedHaveOneFreeAccessKeyPerItem)
{
    // English and Italian stand as the Parts give them (their clashes cycle, their
    // second keys work through MenuAccessKeys); the other languages have one key an
    // item and no key twice in a menu.
    for (int language = lnEnglish; language <= lnSpanish; ++language) {
        if (language == lnEnglish || language == lnItalian)
            continue;
        SCOPED_TRACE(languageTableName(language).toStdString());
        const LanguageRow *row = languageRow(language);
        const QList<QStringList> menus = {row->fileListPopUp.mid(0, 10), row->treePopUp};
        for (const QStringList &menu : menus) {
            QMap<QChar, QString> owners;
            for (const QString &caption : menu) {
                const QString keys = MenuAccessKeys::accessKeys(caption);
                ASSERT_EQ(keys.size(), 1) << caption.toStdString();
                EXPECT_FALSE(owners.contains(keys.at(0)))
                    << caption.toStdString() << " and " << owners.value(keys.at(0)).toStdString();
                owners.insert(keys.at(0), caption);
            }
        }
    }
}
