#include "explorer/shared/DriveUtils.h"
#include "explorer/shared/ExplorerTexts.h"
#include "explorer/shared/PropertiesDialog.h"
#include "explorer/shared/ShellUtils.h"
#include "platform/DrivePaths.h"
#include "platform/DriveTable.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "platform/NetworkDrives.h"
#include "platform/ShellLinks.h"
#include "tests/common/TempFolder.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLabel>
#include <QTimer>
#include <QUrl>
#include <QtTest/QTest>
#include <gtest/gtest.h>

// Receives what the desktop would open with an associated program.
class OpenedUrls : public QObject {
    Q_OBJECT
public:
    OpenedUrls()
    {
        for (const char *scheme : {"file", "http"})
            QDesktopServices::setUrlHandler(QLatin1String(scheme), this, "open");
    }
    ~OpenedUrls() override
    {
        for (const char *scheme : {"file", "http"})
            QDesktopServices::unsetUrlHandler(QLatin1String(scheme));
    }
    QList<QUrl> urls;

public slots:
    void open(const QUrl &url) { urls.append(url); }
};

namespace {

class ShellUtilsTest : public ::testing::Test {
protected:
    ShellUtilsTest()
    {
        ListTextLanguage = lnEnglish;
        LoadListTexts();
    }
    ~ShellUtilsTest() override
    {
        ExplorerTexts = m_texts;
        ListTextLanguage = m_language;
    }
    QString drive(const QString &name) const { return folder.drivePath() + "\\" + name; }

    TempFolder folder;
    platform::ScriptedMessageResponder boxes;

private:
    TExplorerTexts m_texts = ExplorerTexts;
    TLanguage m_language = ListTextLanguage;
};

QString writeScript(const TempFolder &folder, const QString &name)
{
    const QString path = folder.write(name, "#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/out.txt\"\n");
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
    return path;
}

} // namespace

TEST_F(ShellUtilsTest, ExecuteFileOpensWithTheAssociatedProgram)
{
    OpenedUrls opened;
    folder.write("a.txt", "text");
    const QString song = folder.write("song.mp3", "not a program");
    QFile::setPermissions(song, QFile::permissions(song) | QFile::ExeOwner); // as on FAT media
    EXPECT_GT(ExecuteFile("Open", drive("a.txt"), "", folder.drivePath(), 5), 32);
    EXPECT_GT(ExecuteFile("open", "song.mp3", "", folder.drivePath(), 5), 32);
    EXPECT_GT(ExecuteFile("Find", folder.drivePath(), "", "", 1), 32);
    EXPECT_GT(ExecuteFile("Open", "http://example.com/x", "", "", 5), 32);
    EXPECT_EQ(opened.urls, QList<QUrl>({QUrl::fromLocalFile(folder.filePath("a.txt")),
                                        QUrl::fromLocalFile(folder.filePath("song.mp3")),
                                        QUrl::fromLocalFile(folder.path()), QUrl("http://example.com/x")}));
    EXPECT_TRUE(boxes.requests().isEmpty());
}

TEST_F(ShellUtilsTest, ExecuteFileStartsProgramsWithTheirParameters)
{
    writeScript(folder, "tool.sh");
    folder.write("my song.mp3", "x");
    folder.write("-rf", "x");
    folder.write("x:--output=PWNED y.mp3", "x");
    folder.write("x:/inside.mp3", "x"); // a folder "x:" beside it
    // A parameter naming a file reaches the program as that file's full native path,
    // never as text it could take for an option or fail to find.
    const struct {
        QString parameters;
        QString received;
    } cases[] = {
        {"my song.mp3", folder.filePath("my song.mp3")},
        {"-rf", folder.filePath("-rf")},
        {"x:--output=PWNED y.mp3", folder.filePath("x:--output=PWNED y.mp3")},
        {drive("my song.mp3"), folder.filePath("my song.mp3")},
        {"plain", "plain"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.parameters.toStdString());
        QFile::remove(folder.filePath("out.txt"));
        EXPECT_GT(ExecuteFile("Open", drive("tool.sh"), c.parameters, folder.drivePath(), 5), 32);
        EXPECT_TRUE(QTest::qWaitFor([&] { return folder.exists("out.txt"); }, 5000));
        QTest::qWait(50);
        EXPECT_EQ(QString::fromUtf8(folder.read("out.txt")), c.received);
    }
}

TEST_F(ShellUtilsTest, ExecuteFileReportsFailures)
{
    EXPECT_EQ(ExecuteFile("Open", drive("missing.txt"), "", "", 5), 2);
    EXPECT_EQ(ExecuteFile("Open", drive("gone\\missing.txt"), "", "", 5), 3);
    folder.write("a.txt", "x");
    EXPECT_LE(ExecuteFile("Print", drive("a.txt"), "", "", 5), 32);
    ListTextLanguage = lnItalian;
    LoadListTexts();
    EXPECT_EQ(ExecuteFile("Open", "C:\\a.txt-missing", "", "", 5), 2);
    EXPECT_EQ(boxes.texts(), QStringList({"ERROR - Can't Open file " + drive("missing.txt"),
                                          "ERROR - Can't Open file " + drive("gone\\missing.txt"),
                                          "ERROR - Can't Print file " + drive("a.txt"),
                                          "ERRORE - Impossibile Open file C:\\a.txt-missing"}));
    EXPECT_EQ(boxes.requests().at(0).kind, platform::MessageKind::Error);
}

TEST_F(ShellUtilsTest, ShowPropertiesOpensAWindowOrTellsWhyNot)
{
    folder.write("a.mp3", "12345");
    ShowProperties(drive("missing.mp3"));
    ShowProperties(drive("gone\\missing.mp3"));
    EXPECT_EQ(boxes.texts(), QStringList({"The specified file was not found.", "The specified path was not found."}));

    ShowProperties(drive("a.mp3"));
    PropertiesDialog *dialog = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *candidate = qobject_cast<PropertiesDialog *>(widget); candidate && candidate->isVisible())
            dialog = candidate;
    }
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->findChild<QLabel *>("name")->text(), "a.mp3");
    EXPECT_EQ(dialog->findChild<QLabel *>("location")->text(), folder.drivePath() + "\\");
    EXPECT_TRUE(dialog->findChild<QLabel *>("size")->text().contains("5 bytes"));
    dialog->close();
    EXPECT_EQ(boxes.requests().size(), 2);
}

TEST_F(ShellUtilsTest, BrowseForFolderGivesTheChosenFolderWithASlash)
{
    folder.write("Music/Rock/a.mp3", "x");
    QString title;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        title = dialog->windowTitle();
        dialog->setDirectory(folder.filePath("Music/Rock"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QString path = "unchanged";
    EXPECT_TRUE(BrowseForFolder(nullptr, path, brDesktop, false));
    EXPECT_EQ(path, drive("Music\\Rock\\"));
    EXPECT_EQ(title, "Please specify a directory");

    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    path = "unchanged";
    EXPECT_FALSE(BrowseForFolder(nullptr, path, brNone, true));
    EXPECT_EQ(path, "unchanged");
}

TEST_F(ShellUtilsTest, ShortcutsAreDesktopLinkFiles)
{
    folder.write("Music/a.mp3", "x");
    const QString program = writeScript(folder, "player");
    const platform::ShellLink toFolder{drive("Music"), folder.drivePath(), "My \"Music\""};
    ASSERT_TRUE(platform::saveShellLink(drive("Music.desktop"), toFolder));
    ASSERT_TRUE(platform::saveShellLink(drive("player.desktop"), {drive("player"), drive("Music"), "Player"}));
    const QByteArray text = folder.read("Music.desktop");
    EXPECT_TRUE(text.startsWith("[Desktop Entry]\n"));
    EXPECT_TRUE(text.contains("Type=Link\n"));
    EXPECT_TRUE(text.contains("URL=" + QUrl::fromLocalFile(folder.filePath("Music")).toEncoded() + "\n"));

    const auto folderLink = platform::loadShellLink(drive("Music.desktop"));
    ASSERT_TRUE(folderLink.has_value());
    EXPECT_EQ(folderLink->target, drive("Music"));
    EXPECT_EQ(folderLink->description, "My \"Music\"");
    const auto programLink = platform::loadShellLink(drive("player.desktop"));
    ASSERT_TRUE(programLink.has_value());
    EXPECT_TRUE(folder.read("player.desktop").contains("Type=Application\n"));
    EXPECT_EQ(programLink->target, drive("player"));
    EXPECT_EQ(programLink->workingDirectory, drive("Music"));
    EXPECT_FALSE(platform::loadShellLink(drive("missing.desktop")).has_value());
    folder.write("broken.desktop", "[Desktop Entry]\nType=Link\nName=x\n");
    EXPECT_FALSE(platform::loadShellLink(drive("broken.desktop")).has_value());
    EXPECT_EQ(program, folder.filePath("player"));
}

TEST_F(ShellUtilsTest, ConnectNetDriveMapsALetterAndReportsFailures)
{
    folder.write("Shared/a.mp3", "x");
    EXPECT_EQ(ConnectNetDrive("r:", drive("Shared"), true, true), 0);
    EXPECT_EQ(platform::toNativePath("R:\\a.mp3"), folder.filePath("Shared/a.mp3"));
    EXPECT_TRUE(DriveReady('R', true));
    EXPECT_EQ(ConnectNetDrive("R:", drive("Shared"), true, false), 85);
    EXPECT_EQ(ConnectNetDrive("1:", drive("Shared"), true, false), 1200);
    EXPECT_EQ(ConnectNetDrive("S:", drive("Missing"), true, false), 53);
    EXPECT_EQ(ConnectNetDrive("S:", drive("Missing"), false, false), 53);
    ASSERT_EQ(boxes.requests().size(), 3);
    EXPECT_EQ(boxes.requests().at(0).caption, "Error while connecting!");
    EXPECT_EQ(boxes.texts(), QStringList({"An error occured while connecting:\r\nThe local device name is already in use.",
                                          "An error occured while connecting:\r\nThe specified device name is invalid.",
                                          "An error occured while connecting:\r\nThe network path was not found."}));

    // a mapping kept for the next start survives it; one for this session does not
    EXPECT_EQ(ConnectNetDrive("T:", drive("Shared"), true, false), 0);
    platform::restoreNetworkDrives();
    EXPECT_EQ(platform::driveKind('R'), platform::DriveKind::Fixed);
    EXPECT_EQ(platform::driveKind('T'), platform::DriveKind::NotPresent);
    EXPECT_EQ(platform::disconnectNetworkDrive('R'), 0);
    EXPECT_EQ(platform::driveKind('R'), platform::DriveKind::NotPresent);
}

TEST(NetworkDrivesTest, ShareAddresses)
{
    EXPECT_EQ(platform::shareAddress("\\\\nas\\music\\Rock"), "smb://nas/music/Rock");
    EXPECT_EQ(platform::shareAddress(" smb://nas/music "), "smb://nas/music");
    EXPECT_EQ(platform::shareAddress("sftp://ann@host/home"), "sftp://ann@host/home");
    EXPECT_EQ(platform::shareAddress("C:\\Music"), "");
}

#include "ShellUtilsTest.moc"
