#include "explorer/netdrive/TNetDisconnectDlg.h"
#include "explorer/netdrive/TNetPathDlg.h"
#include "platform/DrivePaths.h"
#include "platform/DriveTable.h"
#include "platform/NetworkDrives.h"
#include "platform/ShellFolders.h"
#include "tests/common/TempFolder.h"
#include "tests/netdrive/ModalAnswer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
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

TEST(NetPathDlgTest, FormControlsBoundsTextsAndTabOrder)
{
    TNetPathDlg dialog(nullptr);
    QDialog *form = dialog.form();
    EXPECT_EQ(form->windowTitle(), "Map Network Drive");
    EXPECT_EQ(form->size(), QSize(382, 160));
    const struct {
        const char *name;
        QRect bounds;
        const char *text;
    } controls[] = {
        {"prompt", {28, 8, 326, 26},
         "Specify an avilable Drive Letter in My Computer for the connection \rand the path to the Network Computer "
         "that you want to connect to:"},
        {"lblDrive", {28, 56, 25, 13}, "Drive"},
        {"lblPath", {28, 88, 25, 13}, "Path"},
        {"cbxDrive", {60, 52, 189, 21}, nullptr},
        {"edtPath", {60, 84, 189, 21}, nullptr},
        {"btnOK", {272, 52, 75, 23}, "OK"},
        {"btnCancel", {272, 116, 75, 23}, "Cancel"},
        {"btnBrowse", {272, 84, 75, 23}, "Browse"},
        {"ckbReconnect", {60, 116, 141, 21}, "Reconnect at logon"},
    };
    for (const auto &control : controls) {
        auto *widget = form->findChild<QWidget *>(control.name);
        ASSERT_NE(widget, nullptr) << control.name;
        EXPECT_EQ(widget->geometry(), control.bounds) << control.name;
        if (!control.text)
            continue;
        QString text;
        if (auto *label = qobject_cast<QLabel *>(widget))
            text = label->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            text = button->text();
        EXPECT_EQ(text, control.text) << control.name;
    }
    EXPECT_TRUE(form->findChild<QPushButton *>("btnOK")->isDefault());
    EXPECT_TRUE(form->findChild<QComboBox *>("cbxDrive")->isEditable());
    QStringList order;
    for (QWidget *widget = form->findChild<QWidget *>("cbxDrive"); order.size() < 5; widget = widget->nextInFocusChain()) {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->parentWidget() == form)
            order.append(widget->objectName());
    }
    EXPECT_EQ(order, QStringList({"cbxDrive", "edtPath", "btnOK", "btnCancel", "btnBrowse"}));
}

TEST(NetPathDlgTest, OffersTheLettersAfterTheHighestPresentOne)
{
    MappedLetters d("D");
    if (highestPresent() != 'D' - 'A')
        GTEST_SKIP() << "this machine has a drive above D:, so the letters offered start later";
    TNetPathDlg dialog(nullptr);
    EXPECT_EQ(dialog.Drive, "E:");
    EXPECT_EQ(dialog.offeredDrives().size(), 22);
    EXPECT_EQ(dialog.offeredDrives().constFirst(), "E:");
    EXPECT_EQ(dialog.offeredDrives().constLast(), "Z:");
    EXPECT_EQ(dialog.form()->findChild<QComboBox *>("cbxDrive")->count(), 22);
    EXPECT_FALSE(dialog.form()->findChild<QLabel *>("lblNoLetter")->isVisibleTo(dialog.form()));

    MappedLetters z("Z");
    TNetPathDlg full(nullptr);
    EXPECT_EQ(full.Drive, "");
    EXPECT_TRUE(full.offeredDrives().isEmpty());
    EXPECT_TRUE(full.form()->findChild<QLabel *>("lblNoLetter")->isVisibleTo(full.form()));
    EXPECT_FALSE(full.form()->findChild<QPushButton *>("btnOK")->isEnabled());
}

TEST(NetPathDlgTest, ExecuteReturnsWhatWasTypedOnOkAndFalseOnEscape)
{
    for (bool confirm : {true, false}) {
        TNetPathDlg dialog(nullptr);
        EXPECT_TRUE(dialog.form()->findChild<QCheckBox *>("ckbReconnect")->isChecked());
        const QString offered = dialog.Drive;
        dialog.NetPath = "\\\\nas\\old";
        whenModalShows("NetPathDlg", [confirm](QWidget *form) {
            EXPECT_EQ(form->findChild<QLineEdit *>("edtPath")->text(), "\\\\nas\\old");
            auto *drive = form->findChild<QComboBox *>("cbxDrive");
            drive->setEditText("Q:");
            auto *path = form->findChild<QLineEdit *>("edtPath");
            path->clear();
            QTest::keyClicks(path, "smb://nas/music");
            form->findChild<QCheckBox *>("ckbReconnect")->setChecked(false);
            QTest::keyClick(path, confirm ? Qt::Key_Return : Qt::Key_Escape);
        });
        EXPECT_EQ(dialog.Execute(), confirm);
        EXPECT_FALSE(dialog.Reconnect);
        EXPECT_EQ(dialog.Drive, confirm ? "Q:" : offered);
        EXPECT_EQ(dialog.NetPath, confirm ? "smb://nas/music" : "\\\\nas\\old");
    }
}

TEST(NetPathDlgTest, AShareMountedByTheDesktopIsGivenByItsAddress)
{
    const QString places = platform::networkPlacesFolder();
    const struct {
        QString folder;
        const char *share;
    } cases[] = {
        {places + "/smb-share:server=nas,share=music", "\\\\nas\\music"},
        {places + "/smb-share:server=nas,share=music/Rock/80s", "\\\\nas\\music\\Rock\\80s"},
        {places + "/smb-share:port=4450,server=127.0.0.1,share=guest", "smb://127.0.0.1:4450/guest"},
        {places + "/smb-share:server=nas,share=my%20music,user=ann", "smb://ann@nas/my music"},
        {places + "/sftp:host=nas", ""},
        {"/home/ann/Music", ""},
    };
    for (const auto &test : cases)
        EXPECT_EQ(platform::shareOfMountedFolder(test.folder), test.share) << test.folder.toStdString();
}

TEST(NetDisconnectDlgTest, ListsTheMappedSharesAndReturnsThePickedOne)
{
    MappedLetters shares("PR", true);
    MappedLetters local("S");
    TempFolder gone(false);
    platform::mapDrive({'T', gone.filePath("unmounted"), "smb://nas/photos", true});
    for (bool confirm : {true, false}) {
        TNetDisconnectDlg dialog(nullptr);
        auto *list = dialog.findChild<QTreeWidget *>("lvwDrives");
        ASSERT_EQ(list->topLevelItemCount(), 3);
        EXPECT_EQ(list->topLevelItem(0)->text(0), "P:");
        EXPECT_EQ(list->topLevelItem(0)->text(1), "\\\\nas\\P");
        EXPECT_EQ(list->topLevelItem(1)->text(2), "Connected");
        EXPECT_EQ(list->topLevelItem(2)->text(1), "smb://nas/photos");
        EXPECT_EQ(list->topLevelItem(2)->text(2), "Not connected");
        whenModalShows("NetDisconnectDlg", [confirm](QWidget *form) {
            auto *drives = form->findChild<QTreeWidget *>("lvwDrives");
            drives->setCurrentItem(drives->topLevelItem(1));
            QTest::keyClick(drives, confirm ? Qt::Key_Return : Qt::Key_Escape);
        });
        EXPECT_EQ(dialog.Execute(), confirm);
        if (confirm) {
            EXPECT_EQ(dialog.Drive, QLatin1Char('R'));
        }
    }
    platform::unmapDrive('T');
}

TEST(NetPathDlgTest, BrowsingToAShareFillsThePathWithoutATrailingSeparator)
{
    const struct {
        QString chosen;
        const char *netPath;
    } cases[] = {
        {platform::networkPlacesFolder() + "/smb-share:server=server,share=music", "\\\\server\\music"},
        {"/home/ann/Music", "C:\\home\\ann\\Music"},
    };
    for (const auto &test : cases) {
        TNetPathDlg dialog(nullptr, [&](QWidget *, QString &path) {
            path = platform::toDrivePath(test.chosen) + "\\";
            return true;
        });
        dialog.form()->findChild<QPushButton *>("btnBrowse")->click();
        EXPECT_EQ(dialog.NetPath, test.netPath);
        EXPECT_EQ(dialog.form()->findChild<QLineEdit *>("edtPath")->text(), test.netPath);
    }
    TNetPathDlg cancelled(nullptr, [](QWidget *, QString &) { return false; });
    cancelled.NetPath = "\\\\nas\\old";
    cancelled.form()->findChild<QPushButton *>("btnBrowse")->click();
    EXPECT_EQ(cancelled.NetPath, "\\\\nas\\old");
}
