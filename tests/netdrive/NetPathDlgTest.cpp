#include "explorer/netdrive/TNetDisconnectDlg.h"
#include "explorer/netdrive/TNetPathDlg.h"
#include "platform/DrivePaths.h"
#include "platform/DriveTable.h"
#include "platform/NetworkDrives.h"
#include "platform/ShellFolders.h"
#include "tests/common/ResolutionRun.h"
#include "tests/common/TempFolder.h"
#include "tests/netdrive/ModalAnswer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QHeaderView>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

// Maps letters to folders of a temporary folder while it lives.
class MappedLetters {
public:
    explicit MappedLetters(const QString &letters, bool network = false)
    {
        for (QChar letter : letters) {
            m_folder.write(QString(letter) + "/x", "x");
            platform::mapDrive({letter, m_folder.filePath(QString(letter)), network ? "\\\\nas\\" + QString(letter) : "", false});
            m_letters += letter;
        }
    }
    ~MappedLetters()
    {
        for (QChar letter : m_letters)
            platform::unmapDrive(letter);
        platform::refreshDrives();
    }

private:
    TempFolder m_folder{false};
    QString m_letters;
};

int highestPresent()
{
    int highest = 0;
    for (int letter = 0; letter < 26; ++letter) {
        if (platform::presentDriveMask() & (1u << letter))
            highest = letter;
    }
    return highest;
}

} // namespace

TEST(NetPathDlgTest, FormControlsTextsArrangementAndTabOrder)
{
    TNetPathDlg dialog(nullptr);
    QDialog *form = dialog.form();
    form->show();
    EXPECT_EQ(form->windowTitle(), "Map Network Drive");
    const struct {
        const char *name;
        const char *text;
    } controls[] = {
        {"prompt",
         "Specify an avilable Drive Letter in My Computer for the connection \nand the path to the Network Computer "
         "that you want to connect to:"},
        {"lblDrive", "Drive"},
        {"lblPath", "Path"},
        {"cbxDrive", nullptr},
        {"edtPath", nullptr},
        {"btnOK", "OK"},
        {"btnCancel", "Cancel"},
        {"btnBrowse", "Browse"},
        {"ckbReconnect", "Reconnect at logon"},
    };
    for (const auto &control : controls) {
        auto *widget = form->findChild<QWidget *>(control.name);
        ASSERT_NE(widget, nullptr) << control.name;
        if (!control.text)
            continue;
        QString text;
        if (auto *label = qobject_cast<QLabel *>(widget))
            text = label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            text = button->text();
        EXPECT_EQ(text, control.text) << control.name;
    }
    // The design's arrangement: captions, then fields, then buttons, row by row.
    const auto place = [form](const char *name) { return form->findChild<QWidget *>(name)->geometry(); };
    EXPECT_LT(place("prompt").bottom(), place("cbxDrive").top());
    for (const auto &row : {std::pair{"lblDrive", "cbxDrive"}, std::pair{"lblPath", "edtPath"}})
        EXPECT_LT(place(row.first).right(), place(row.second).left()) << row.first;
    for (const auto &row : {std::pair{"cbxDrive", "btnOK"}, std::pair{"edtPath", "btnBrowse"},
                            std::pair{"ckbReconnect", "btnCancel"}}) {
        EXPECT_LT(place(row.first).right(), place(row.second).left()) << row.second;
        EXPECT_NEAR(place(row.first).center().y(), place(row.second).center().y(), 3) << row.second;
    }
    EXPECT_LT(place("btnOK").bottom(), place("btnBrowse").top());
    EXPECT_LT(place("btnBrowse").bottom(), place("btnCancel").top());
    EXPECT_GE(place("cbxDrive").width(), 189);
    EXPECT_GE(place("btnOK").width(), 75);
    EXPECT_TRUE(form->findChild<QPushButton *>("btnOK")->isDefault());
    EXPECT_TRUE(form->findChild<QComboBox *>("cbxDrive")->isEditable());
    QStringList order;
    for (QWidget *widget = form->findChild<QWidget *>("cbxDrive"); order.size() < 5; widget = widget->nextInFocusChain()) {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->parentWidget() == form)
            order.append(widget->objectName());
    }
    EXPECT_EQ(order, QStringList({"cbxDrive", "edtPath", "btnOK", "btnCancel", "btnBrowse"}));
}

// Run by NetDialogsTextsTest.FitAt96And144Dpi at each resolution, and as it is at the
// default one: every text of the two dialogs is shown whole.
TEST(NetDialogsTextsTest, FitAtThisResolution)
{
    int dpi = 0;
    ASSERT_TRUE(fontsFollowTheAskedResolution(dpi)) << "the screen is not at " << dpi << " dpi";
    TNetPathDlg mapDialog(nullptr);
    QDialog *form = mapDialog.form();
    form->findChild<QLabel *>("lblNoLetter")->show(); // shown when every letter is taken
    form->show();
    QCoreApplication::processEvents();
    for (QWidget *widget : form->findChildren<QWidget *>()) {
        const bool text = qobject_cast<QLabel *>(widget) || qobject_cast<QAbstractButton *>(widget);
        if (!text || !widget->isVisible())
            continue;
        const QSize needed = widget->sizeHint();
        EXPECT_GE(widget->width(), needed.width()) << widget->objectName().toStdString();
        EXPECT_GE(widget->height(), needed.height()) << widget->objectName().toStdString();
        EXPECT_TRUE(form->rect().contains(widget->geometry())) << widget->objectName().toStdString();
    }

    MappedLetters shares("PR", true);
    TempFolder gone(false);
    const QString longShare = "smb://fileserver.office.example.org/Musica condivisa/Collezione di dischi in vinile";
    platform::mapDrive({'T', gone.filePath("unmounted"), longShare, true});
    {
        TNetDisconnectDlg dialog(nullptr);
        dialog.show();
        QCoreApplication::processEvents();
        auto *list = dialog.findChild<QTreeWidget *>("lvwDrives");
        ASSERT_EQ(list->topLevelItemCount(), 3);
        int columnsWidth = 0;
        for (int column = 0; column < list->columnCount(); ++column) {
            // The text and the item's margins (the style's focus frame on each side).
            int needed = list->header()->sectionSizeHint(column);
            for (int row = 0; row < list->topLevelItemCount(); ++row)
                needed = qMax(needed, list->fontMetrics().horizontalAdvance(list->topLevelItem(row)->text(column)) + 6);
            EXPECT_GE(list->columnWidth(column), needed) << "column " << column;
            columnsWidth += list->columnWidth(column);
        }
        EXPECT_LE(columnsWidth, list->viewport()->width()) << "the columns need scrolling";
    }
    platform::unmapDrive('T');
}

TEST(NetDialogsTextsTest, FitAt96And144Dpi)
{
    for (const int dpi : {96, 144}) {
        const QString failures = runAtResolution(dpi, "NetDialogsTextsTest.FitAtThisResolution");
        EXPECT_TRUE(failures.isEmpty()) << "at " << dpi << " dpi:\n" << failures.toStdString();
    }
}
