// The file list's single commands on a name that is not valid UTF-8: clipboard data,
// file search, trash and new folder.

#include "platform/DrivePaths.h"
#include "platform/FileClipboard.h"
#include "platform/FileCommands.h"
#include "platform/FileSearch.h"
#include "platform/NativeNames.h"
#include "tests/common/TempFolder.h"

#include <QFile>
#include <QMimeData>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {
bool rawExists(const QByteArray &path)
{
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0;
}
} // namespace

TEST(OddNameCommandsTest, ClipboardSearchTrashAndNewFolderKeepTheBytes)
{
    TempFolder folder;
    const QByteArray here = QFile::encodeName(folder.path());
    ASSERT_EQ(::mkdir(here + "/Alb\xfcm", 0755), 0);
    ::close(::open(here + "/Alb\xfcm/Caf\xe9.mp3", O_WRONLY | O_CREAT, 0644));
    ::close(::open(here + "/Caf\xc3\xa9.mp3", O_WRONLY | O_CREAT, 0644)); // the UTF-8 twin
    const QString latin1 = decodeNativeName(here + "/Alb\xfcm/Caf\xe9.mp3");

    // Clipboard: the address carries the bytes, and comes back as the same name.
    const std::unique_ptr<QMimeData> data(fileListMimeData({latin1}, true));
    EXPECT_TRUE(data->data(QStringLiteral("text/uri-list")).contains("/Alb%FCm/Caf%E9.mp3"));
    const ClipboardFiles pasted = filesOfMimeData(data.get());
    EXPECT_EQ(pasted.nativePaths, QStringList{latin1});
    EXPECT_TRUE(pasted.cut);

    // Search: both spellings found, each under its own name.
    FileSearch search;
    QStringList found;
    QObject::connect(&search, &FileSearch::found, [&](const QStringList &paths) { found += paths; });
    QSignalSpy finished(&search, &FileSearch::finished);
    search.start(folder.path(), QStringLiteral("caf*.MP3"));
    ASSERT_TRUE(finished.wait(10000));
    found.sort();
    EXPECT_EQ(found, QStringList({decodeNativeName(here + "/Alb\xfcm/Caf\xe9.mp3"), decodeNativeName(here + "/Caf\xc3\xa9.mp3")}));

    // New folder and trash, by drive path.
    EXPECT_TRUE(createFolder(toDrivePath(decodeNativeName(here + "/Alb\xfcm/Disc \xb9"))));
    EXPECT_TRUE(rawExists(here + "/Alb\xfcm/Disc \xb9"));
    ::rmdir(here + "/Alb\xfcm/Disc \xb9");
    EXPECT_TRUE(moveToTrash(toDrivePath(latin1)));
    EXPECT_FALSE(rawExists(here + "/Alb\xfcm/Caf\xe9.mp3"));
    EXPECT_TRUE(rawExists(here + "/Caf\xc3\xa9.mp3"));
    const QByteArray trash = encodeNativeName(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) + "/Trash";
    EXPECT_TRUE(rawExists(trash + "/files/Caf\xe9.mp3"));
    ::unlink(trash + "/files/Caf\xe9.mp3");
    ::unlink(trash + "/info/Caf\xe9.mp3.trashinfo");
    ::rmdir(here + "/Alb\xfcm");
}
