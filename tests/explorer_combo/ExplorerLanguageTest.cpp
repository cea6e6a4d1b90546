// The explorer window switched to a language shows every dialog and question of its
// commands in that language: no text of the English table is left.

#include "explorer/combo/TZuDirTreeCombo28.h"
#include "explorer/filelist/FileListCommands.h"
#include "explorer/filelist/FileListView.h"
#include "explorer/filelist/FindFileWindow.h"
#include "explorer/netdrive/TNetCredentialsDlg.h"
#include "explorer/netdrive/TNetDisconnectDlg.h"
#include "explorer/shared/ExplorerDialogs.h"
#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/ExplorerTypes.h"
#include "explorer/shared/FileOperationProgressDialog.h"
#include "explorer/shared/LanguageTables.h"
#include "explorer/shared/PropertiesDialog.h"
#include "explorer/shared/ShellFileOp.h"
#include "explorer/tree/DirTree.h"
#include "explorer/tree/TreeSizeDialog.h"
#include "tests/common/QtPrinters.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "tests/common/TempFolder.h"
#include "tools/kestrava-explorer/ExplorerWindow.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

// Every text a person can read on a window: its title, labels, buttons, headers, hints.
QStringList visibleTexts(const QWidget *window)
{
    QStringList texts{window->windowTitle(), window->toolTip()};
    for (const QLabel *label : window->findChildren<QLabel *>())
        texts.append(label->text());
    for (const QAbstractButton *button : window->findChildren<QAbstractButton *>())
        texts.append(button->text());
    for (const QGroupBox *box : window->findChildren<QGroupBox *>())
        texts.append(box->title());
    for (const QTreeWidget *tree : window->findChildren<QTreeWidget *>()) {
        for (int column = 0; column < tree->columnCount(); ++column)
            texts.append(tree->headerItem()->text(column));
    }
    for (const QWidget *child : window->findChildren<QWidget *>())
        texts.append(child->toolTip());
    texts.removeAll(QString());
    return texts;
}

// The English texts with words in them, less those the language writes alike.
QStringList englishWords(TLanguage language)
{
    const LanguageRow &english = *languageRow(lnEnglish);
    const LanguageRow &row = *languageRow(language);
    QStringList words;
    static const QRegularExpression letters(QStringLiteral("[A-Za-z]{2}"));
    const auto add = [&](const QString &englishText, const QString &text) {
        const QString bare = QString(englishText).remove(QLatin1Char('&')).trimmed();
        if (text != englishText && bare.contains(letters))
            words.append(bare);
    };
    for (const QHash<QString, QString> LanguageRow::*table : {&LanguageRow::messages, &LanguageRow::fileListCommands, &LanguageRow::dialogs}) {
        for (auto it = (english.*table).begin(); it != (english.*table).end(); ++it)
            add(it.value(), (row.*table).value(it.key()));
    }
    for (const QStringList LanguageRow::*table : {&LanguageRow::fileColumns, &LanguageRow::driveColumns, &LanguageRow::driveTypes,
                                                  &LanguageRow::fileListPopUp, &LanguageRow::treePopUp}) {
        for (qsizetype i = 0; i < (english.*table).size(); ++i)
            add((english.*table).at(i), (row.*table).value(i));
    }
    return words;
}

// The English words found in a text: the whole text, a line of it, or a part of a
// sentence ("Cannot copy %1", "access is denied.").
QStringList englishIn(const QString &text, const QStringList &words)
{
    QStringList found;
    for (const QString &word : words) {
        if (word.contains(QLatin1Char('%'))) {
            const QString lead = word.section(QStringLiteral("%"), 0, 0).trimmed();
            if (lead.size() >= 6 && text.contains(lead))
                found.append(word);
        } else if (text == word || (word.size() >= 6 && text.contains(word))) {
            found.append(word);
        }
    }
    return found;
}

class ExplorerLanguageTest : public ::testing::TestWithParam<TLanguage> {
protected:
    void SetUp() override
    {
        folder.write(QStringLiteral("a.mp3"), "old");
        folder.write(QStringLiteral("in/a.mp3"), "new");
        window.setLanguage(GetParam());
        window.openFolder(folder.drivePath());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.fileList()->isListing(); }, 60000));
        words = englishWords(GetParam());
    }

    void expectTranslated(const QString &what, const QStringList &texts)
    {
        ASSERT_FALSE(texts.isEmpty()) << what.toStdString() << " showed nothing";
        for (const QString &text : texts) {
            const QStringList found = englishIn(text, words);
            EXPECT_TRUE(found.isEmpty()) << what.toStdString() << ": \"" << text.toStdString() << "\" has English \""
                                         << found.join(QStringLiteral("\", \"")).toStdString() << "\"";
        }
    }

    void expectBoxesTranslated(const QString &what)
    {
        QStringList texts;
        for (const platform::MessageRequest &request : boxes.requests())
            texts << request.caption << request.text;
        expectTranslated(what, texts);
        boxes.clear();
    }

    QString drivePath(const QString &name) const { return folder.drivePath() + QLatin1Char('\\') + name; }

    TempFolder folder;
    platform::ScriptedMessageResponder boxes;
    ExplorerWindow window;
    QStringList words;
};

TEST_P(ExplorerLanguageTest, EveryDialogOfTheCommandsSpeaksTheLanguage)
{
    const QString nul(QChar(0));
    bool aborted = false;
    // replace question
    boxes.queueAnswer(platform::MessageButton::No);
    ShellFileOp(&window, FO_COPY, drivePath(QStringLiteral("in\\a.mp3")) + nul, folder.drivePath() + QStringLiteral("\\") + nul, aborted);
    ASSERT_EQ(boxes.requests().size(), 1);
    EXPECT_EQ(folder.read(QStringLiteral("a.mp3")), "old");
    expectBoxesTranslated(QStringLiteral("replace question"));
    // copy error
    ShellFileOp(&window, FO_COPY, drivePath(QStringLiteral("missing.mp3")) + nul, drivePath(QStringLiteral("in\\")) + nul, aborted);
    expectBoxesTranslated(QStringLiteral("copy error"));
    // a rename refused by the system, with the table's words for its error
    ShellFileOp(&window, FO_RENAME, drivePath(QStringLiteral("a.mp3")) + nul, drivePath(QStringLiteral("in\\a.mp3")) + nul, aborted);
    expectBoxesTranslated(QStringLiteral("rename error"));
    // trash question, through the list's Delete
    int row = 0;
    while (row < window.fileList()->itemCount() && window.fileList()->item(row).caption != QLatin1String("a.mp3"))
        ++row;
    ASSERT_LT(row, window.fileList()->itemCount());
    window.fileList()->selectItem(row);
    boxes.queueAnswer(platform::MessageButton::No);
    window.fileList()->commands().DeleteSelected();
    expectBoxesTranslated(QStringLiteral("trash question"));
    // permanent delete
    boxes.queueAnswer(platform::MessageButton::No);
    window.fileList()->commands().DeletePermanently();
    expectBoxesTranslated(QStringLiteral("permanent delete"));
    EXPECT_TRUE(folder.exists(QStringLiteral("a.mp3")));
    // message box captions
    showErrorDialog(QStringLiteral("x"));
    showWarningDialog(QStringLiteral("x"));
    askConfirmation(QStringLiteral("x"));
    expectBoxesTranslated(QStringLiteral("captions"));

    // progress
    FileOperationProgressDialog progress(0);
    progress.start(platform::FileOperationKind::Copy, 100);
    progress.advance(QStringLiteral("a.mp3"), 10);
    ASSERT_NE(progress.dialog(), nullptr);
    QStringList progressTexts = visibleTexts(progress.dialog());
    progressTexts << progress.dialog()->labelText();
    expectTranslated(QStringLiteral("progress"), progressTexts);
    progress.finish();

    FindFileWindow find(folder.drivePath(), GetParam(), &window);
    expectTranslated(QStringLiteral("find window"), visibleTexts(&find));
    TreeSizeDialog treeSize(&window, folder.drivePath(), GetParam());
    expectTranslated(QStringLiteral("tree size window"), visibleTexts(&treeSize));
    TNetDisconnectDlg disconnect(&window);
    expectTranslated(QStringLiteral("network disconnect"), visibleTexts(&disconnect));
    TNetCredentialsDlg credentials(QStringLiteral("\\\\server\\music"), &window);
    expectTranslated(QStringLiteral("network credentials"), visibleTexts(&credentials));
    PropertiesDialog properties(drivePath(QStringLiteral("a.mp3")), &window);
    expectTranslated(QStringLiteral("properties"), visibleTexts(&properties));
    PropertiesDialog driveProperties(QStringLiteral("C:\\"), &window);
    expectTranslated(QStringLiteral("properties of C:"), visibleTexts(&driveProperties));

    // the tree's nodes made before the window had its language
    ASSERT_GT(window.tree()->topLevelItemCount(), 0);
    EXPECT_EQ(window.tree()->topLevelItem(0)->text(0), languageRow(GetParam())->dialogs.value(QStringLiteral("computer")));
    expectTranslated(QStringLiteral("tree root"), {window.tree()->topLevelItem(0)->child(0)->text(0)});
}

INSTANTIATE_TEST_SUITE_P(Languages, ExplorerLanguageTest, ::testing::Values(lnItalian, lnJapanese, lnGerman),
                         [](const auto &info) { return languageTableName(info.param).toStdString(); });

} // namespace
