// The options dialog driven offscreen with real clicks and keys, over a temporary hive.

#include "options/Opzioni.h"
#include "options/dialog/uOpzioni.h"

#include "tests/common/ScriptedMessageResponder.h"
#include "platform/Registry.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {
const QString emptyPatternMessage = QStringLiteral("Specificare il formato del nuovo nome.");
const QString noReferenceMessage = QStringLiteral("Formato non valido. Deve contenere almen un riferimento con %");
const int personalizzato = 7;

// The record as a fresh start reads it from a hive holding these values.
TOpzioni recordFromHive(const QString &options, const QString &pattern)
{
    QFile::remove(platform::hiveFilePath());
    TOpzioni::writeRegistry(options, pattern);
    return TOpzioni();
}

QString stored(const QString &name)
{
    platform::RegistryKey key;
    key.openKey(TOpzioni::KeyPath);
    return key.readString(name);
}

QByteArray hiveBytes()
{
    QFile hive(platform::hiveFilePath());
    return hive.open(QIODevice::ReadOnly) ? hive.readAll() : QByteArray();
}

class OptionsDialogTest : public ::testing::Test {
protected:
    void open(const TOpzioni &options, int page = TfrmOpzioni::pageTuttiFile)
    {
        dialog.loadOptions(options, page);
        dialog.show();
    }

    template <class T>
    T *control(const char *name) { return dialog.findChild<T *>(QString::fromLatin1(name)); }
    QCheckBox *checkBox(const char *name) { return control<QCheckBox>(name); }
    QLineEdit *patternEdit() { return control<QLineEdit>("edtStringaFormato"); }
    QButtonGroup *maiuscole() { return control<QButtonGroup>("RadioGroup1Buttons"); }
    QButtonGroup *formato() { return control<QButtonGroup>("rgpFormatoFileButtons"); }

    // Clicks the box or radio indicator, as a user does.
    static void click(QAbstractButton *button)
    {
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }
    void choose(QButtonGroup *group, int id) { click(group->button(id)); }

    // Chooses "Personalizzato" and types the pattern into the emptied edit.
    void typePattern(const QString &pattern)
    {
        control<QTabWidget>("PageControl1")->setCurrentIndex(TfrmOpzioni::pageFileMp3);
        choose(formato(), personalizzato);
        QTest::keyClick(patternEdit(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(patternEdit(), Qt::Key_Backspace);
        QTest::keyClicks(patternEdit(), pattern);
        ASSERT_EQ(patternEdit()->text(), pattern);
    }

    platform::ScriptedMessageResponder messages;
    TfrmOpzioni dialog;
};
} // namespace

// One dialog loaded again and again, as the program does at every showing.
TEST_F(OptionsDialogTest, EveryShowingLoadsAllControlsFromTheRecord)
{
    TOpzioni custom = recordFromHive("310135", "mine %2");
    TOpzioni outOfRange = custom;
    outOfRange.SetMaiuscole(8);
    outOfRange.SetFormato(9);
    const struct {
        const char *label;
        TOpzioni options;
        int page;
        bool anteprima, nomePulito, trascrivi, trascriviEnabled;
        int maiuscole, formato;
        const char *pattern;
        bool patternEditable;
    } cases[] = {
        // Cleaning greys "leave empty", which still shows the record's tick.
        {"defaults", recordFromHive("301102", "[%1] - %2"), 0, false, true, true, false, 0, 2, "[%1] - %2", false},
        // The pattern in effect replaces the text of the preset.
        {"custom", custom, 1, true, false, true, true, 3, 5, "mine %2", false},
        {"out of range", outOfRange, 1, true, false, true, true, 4, personalizzato, "mine %2", true},
        {"defaults again", recordFromHive("301102", "[%1] - %2"), 0, false, true, true, false, 0, 2, "[%1] - %2", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        open(c.options, c.page);
        EXPECT_EQ(control<QTabWidget>("PageControl1")->currentIndex(), c.page);
        EXPECT_EQ(checkBox("ckbAnteprima")->isChecked(), c.anteprima);
        EXPECT_EQ(checkBox("ckbNomePulito")->isChecked(), c.nomePulito);
        EXPECT_EQ(checkBox("ckbTrascrivi")->isChecked(), c.trascrivi);
        EXPECT_EQ(checkBox("ckbTrascrivi")->isEnabled(), c.trascriviEnabled);
        EXPECT_EQ(maiuscole()->checkedId(), c.maiuscole);
        EXPECT_EQ(formato()->checkedId(), c.formato);
        EXPECT_EQ(patternEdit()->text(), c.pattern);
        EXPECT_EQ(patternEdit()->isEnabled(), c.patternEditable);
    }
}

TEST_F(OptionsDialogTest, CleaningBoxUnticksLeaveEmptyAndGreysItWhileTicked)
{
    open(recordFromHive("300102", "%2"));
    QCheckBox *nomePulito = checkBox("ckbNomePulito");
    QCheckBox *trascrivi = checkBox("ckbTrascrivi");
    ASSERT_TRUE(trascrivi->isChecked());

    click(nomePulito);
    EXPECT_TRUE(nomePulito->isChecked());
    EXPECT_FALSE(trascrivi->isChecked());
    EXPECT_FALSE(trascrivi->isEnabled());

    click(nomePulito);
    EXPECT_FALSE(nomePulito->isChecked());
    EXPECT_FALSE(trascrivi->isChecked());
    EXPECT_TRUE(trascrivi->isEnabled());
    click(trascrivi);
    EXPECT_TRUE(trascrivi->isChecked());
}

TEST_F(OptionsDialogTest, PresetsFillAndLockThePatternWhilePersonalizzatoUnlocksIt)
{
    open(recordFromHive("301102", "[%1] - %2"), TfrmOpzioni::pageFileMp3);
    const char *presets[] = {"%2", "%1 - %2", "[%1] - %2", "(%5) - [%1] - %2", "(%5) - %2", "[%1] - (%3) - %2",
                             "@%4 - [%1] - %2"};
    for (int id : {5, 0, 1, 2, 3, 4, 6, 5}) {
        choose(formato(), id);
        EXPECT_EQ(patternEdit()->text(), presets[id]) << id;
        EXPECT_FALSE(patternEdit()->isEnabled()) << id;
    }
    choose(formato(), personalizzato);
    EXPECT_EQ(patternEdit()->text(), "[%1] - (%3) - %2");
    EXPECT_TRUE(patternEdit()->isEnabled());
    QTest::keyClicks(patternEdit(), " %4");
    EXPECT_EQ(patternEdit()->text(), "[%1] - (%3) - %2 %4");
}

TEST_F(OptionsDialogTest, OkChecksThePatternAndAlwaysConfirms)
{
    const struct {
        const char *pattern;
        QString message; // empty: the pattern is saved
    } cases[] = {
        {"Track %5", {}},
        {"%a %2", {}},
        {"%%1", {}},
        {"100%", noReferenceMessage},
        {"%0 - %6", noReferenceMessage},
        {"%", noReferenceMessage},
        {"", emptyPatternMessage},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.pattern);
        open(recordFromHive("310035", "%2"), TfrmOpzioni::pageFileMp3);
        typePattern(c.pattern);
        messages.clear();
        click(control<QPushButton>("btnOk"));

        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_FALSE(dialog.isVisible());
        if (c.message.isEmpty()) {
            EXPECT_TRUE(messages.requests().isEmpty());
            EXPECT_EQ(stored("Stringa"), c.pattern);
            EXPECT_EQ(stored("Zerko"), "310037");
            EXPECT_EQ(patternEdit()->text(), c.pattern);
        } else {
            ASSERT_EQ(messages.requests().size(), 1);
            EXPECT_EQ(messages.requests().first().text, c.message);
            EXPECT_EQ(messages.requests().first().kind, platform::MessageKind::Information);
            EXPECT_EQ(messages.requests().first().buttons, int(platform::MessageButton::Ok));
            EXPECT_EQ(patternEdit()->text(), TOpzioni::DefaultPattern);
            EXPECT_EQ(stored("Stringa"), "%2") << "the previous pattern stays saved";
            EXPECT_EQ(stored("Zerko"), "310035");
        }
    }
}

TEST_F(OptionsDialogTest, OkSavesTheControlsAsTheOptionsString)
{
    TOpzioni record = recordFromHive("301102", "[%1] - %2");
    open(record);
    click(checkBox("ckbAnteprima"));
    click(checkBox("ckbNomePulito"));
    choose(maiuscole(), 3);
    control<QTabWidget>("PageControl1")->setCurrentIndex(TfrmOpzioni::pageFileMp3);
    choose(formato(), 5);
    click(control<QPushButton>("btnOk"));

    EXPECT_TRUE(messages.requests().isEmpty());
    EXPECT_EQ(stored("Zerko"), "310035");
    EXPECT_EQ(stored("Stringa"), "[%1] - (%3) - %2");
    dialog.copyOptionsInto(record);
    const TOpzioni reread;
    for (const TOpzioni *options : {const_cast<const TOpzioni *>(&record), &reread}) {
        EXPECT_TRUE(options->Anteprima());
        EXPECT_FALSE(options->NomePulito());
        EXPECT_FALSE(options->Trascrivi());
        EXPECT_EQ(options->Maiuscole(), 3);
        EXPECT_EQ(options->Formato(), 5);
        EXPECT_EQ(options->StringaFormato(), "[%1] - (%3) - %2");
    }
}

TEST_F(OptionsDialogTest, CancelWritesNothingAndTheNextShowingForgetsTheChanges)
{
    const TOpzioni record = recordFromHive("301102", "[%1] - %2");
    const QByteArray before = hiveBytes();
    const struct {
        const char *label;
        void (*cancel)(TfrmOpzioni &);
    } cases[] = {
        {"Annulla", [](TfrmOpzioni &d) { click(d.findChild<QPushButton *>("btnAnnulla")); }},
        {"close box", [](TfrmOpzioni &d) { d.close(); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        open(record);
        click(checkBox("ckbAnteprima"));
        click(checkBox("ckbNomePulito"));
        click(checkBox("ckbTrascrivi"));
        choose(maiuscole(), 1);
        typePattern("x %1");
        c.cancel(dialog);

        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(hiveBytes(), before);
        open(record);
        EXPECT_FALSE(checkBox("ckbAnteprima")->isChecked());
        EXPECT_TRUE(checkBox("ckbTrascrivi")->isChecked());
        EXPECT_EQ(maiuscole()->checkedId(), 0);
        EXPECT_EQ(formato()->checkedId(), 2);
        EXPECT_EQ(patternEdit()->text(), "[%1] - %2");
        EXPECT_FALSE(patternEdit()->isEnabled());
    }
}

TEST_F(OptionsDialogTest, UnwritableHiveIsReported)
{
    open(recordFromHive("301102", "[%1] - %2"));
    QFile::remove(platform::hiveFilePath());
    QDir().mkpath(platform::hiveFilePath()); // a folder where the hive file should be
    click(control<QPushButton>("btnOk"));
    QDir(platform::hiveFilePath()).removeRecursively();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(messages.requests().size(), 1);
    EXPECT_EQ(messages.requests().first().kind, platform::MessageKind::Error);
    EXPECT_EQ(messages.requests().first().text, "Impossibile salvare le opzioni.");
}
