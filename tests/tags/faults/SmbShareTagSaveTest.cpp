// Tag saves on a real SMB share mounted through GVfs, which can neither write into an
// existing file nor change its mode or owner: both tags are saved by rewriting the file.
// The share comes from the smb-share tool (KESTRAVA_SMB_SHARE, else the shared tools
// folder); the test is skipped where it cannot start.

#include "tests/common/TempFolder.h"
#include "tests/tags/TagBytes.h"

#include "tags/TID3TagInfo.h"
#include "tags/TID3v2.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using namespace tagbytes;

TEST(SmbShareTagSaveTest, TagsAreSavedOnAShareWithoutInPlaceWrites)
{
    const QString tool = qEnvironmentVariable("KESTRAVA_SMB_SHARE", QStringLiteral("/work/shared/tools/smb-share"));
    if (!QFile::exists(tool))
        GTEST_SKIP() << "no SMB share tool at " << tool.toStdString();
    TempFolder folder;
    const QByteArray audio = silentAudio(30);
    folder.write("song.mp3",
                 id3v2Tag(3, frameV23("TIT2", latin1Text("Old")) + frameV23("PRIV", QByteArray("o\0data", 6)), 0, 100) +
                     audio + id3v1("Old", "", 1, 2));
    // Two saves on the share: one whose tag fits, one whose tag grows; then the file and
    // the listing of the served folder are copied back.
    const QString script = QStringLiteral(
        "set -e; touch started; cp song.mp3 \"$SMB_GUEST_MNT/song.mp3\"; "
        "\"$SAVE\" \"$SMB_GUEST_MNT/song.mp3\" Fits Short 0 0 0 > fit.out; "
        "\"$SAVE\" \"$SMB_GUEST_MNT/song.mp3\" Grows \"$(head -c 3000 /dev/zero | tr '\\0' c)\" 0 0 0 > grow.out; "
        "sleep 0.1; cp \"$SMB_GUEST_DIR/song.mp3\" saved.mp3; ls -A \"$SMB_GUEST_DIR\" > listing");
    QProcess share;
    share.setWorkingDirectory(folder.path());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("SAVE"), QStringLiteral(TAG_SAVE_PROCESS));
    share.setProcessEnvironment(environment);
    share.start(tool, {QStringLiteral("bash"), QStringLiteral("-c"), script});
    if (!share.waitForFinished(120000) || !folder.exists("started"))
        GTEST_SKIP() << "the SMB share could not start: " << share.readAllStandardError().right(400).toStdString();
    ASSERT_EQ(share.exitCode(), 0) << share.readAllStandardError().right(2000).toStdString();

    const QByteArray saved = folder.read("saved.mp3");
    TID3v2 v2;
    ASSERT_TRUE(v2.ReadFromFile("saved.mp3"));
    EXPECT_EQ(v2.Title(), "Grows");
    EXPECT_EQ(v2.Comment(), QString(3000, QLatin1Char('c')));
    EXPECT_EQ(frameOf(saved, "PRIV").data, QByteArray("o\0data", 6));
    TID3TagInfo v1;
    v1.ReadFromFile("saved.mp3");
    EXPECT_EQ(v1.GetTitle(), "Grows");
    EXPECT_EQ(afterTag(saved), audio + saved.right(128));
    const QByteArray listing = folder.read("listing");
    EXPECT_TRUE(listing.contains("song.mp3\n"));
    EXPECT_FALSE(listing.contains("kestrava")) << listing.toStdString(); // no journal or temporary file left
}
