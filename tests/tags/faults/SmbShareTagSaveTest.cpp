// Tag saves on a real SMB share mounted through GVfs, which can neither write into an
// existing file nor change its mode or owner: both tags are saved by rewriting the file.

#include "tests/common/SambaShare.h"
#include "tests/tags/TagBytes.h"

#include "tags/TID3TagInfo.h"
#include "tags/TID3v2.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

using namespace tagbytes;

namespace {
QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Saves both tags as the window does: ID3v2, then ID3v1.
void saveTags(const QString &file, const QString &title, const QString &comment)
{
    TID3v2 v2;
    TID3TagInfo v1;
    ASSERT_TRUE(v2.ReadFromFile(file));
    v1.ReadFromFile(file);
    v2.SetTitle(title);
    v2.SetComment(comment);
    v1.SetTitle(title);
    v1.SetComment(comment);
    const TID3v2::SaveResult result = v2.SaveToFile(file);
    ASSERT_TRUE(result.saved()) << result.message.toStdString();
    v1.WriteToFile(file);
}
} // namespace

TEST(SmbShareTagSaveTest, TagsAreSavedOnAShareWithoutInPlaceWrites)
{
    SambaShare share;
    const QString mounted = share.mountGuest();
    if (mounted.isEmpty())
        GTEST_SKIP() << share.failure().toStdString();
    const QByteArray audio = silentAudio(30);
    QFile seed(mounted + "/song.mp3");
    ASSERT_TRUE(seed.open(QIODevice::WriteOnly));
    seed.write(id3v2Tag(3, frameV23("TIT2", latin1Text("Old")) + frameV23("PRIV", QByteArray("o\0data", 6)), 0, 100) +
               audio + id3v1("Old", "", 1, 2));
    seed.close();

    // One save whose tag fits its padding, one whose tag grows.
    const QString onShare = mounted + "/song.mp3";
    saveTags(onShare, "Fits", "Short");
    saveTags(onShare, "Grows", QString(3000, QLatin1Char('c')));

    // GVfs puts a rewritten file in place just after it is closed.
    const QString served = share.guestFolder() + "/song.mp3";
    ASSERT_TRUE(QTest::qWaitFor([&] { return readFile(served).contains(QByteArray(3000, 'c')); }, 5000))
        << "the rewritten file did not reach the server";
    const QByteArray saved = readFile(served);
    TID3v2 v2;
    ASSERT_TRUE(v2.ReadFromFile(served));
    EXPECT_EQ(v2.Title(), "Grows");
    EXPECT_EQ(v2.Comment(), QString(3000, QLatin1Char('c')));
    EXPECT_EQ(frameOf(saved, "PRIV").data, QByteArray("o\0data", 6));
    TID3TagInfo v1;
    v1.ReadFromFile(served);
    EXPECT_EQ(v1.GetTitle(), "Grows");
    EXPECT_EQ(afterTag(saved), audio + saved.right(128));
    // No journal or temporary file left. A file replaced while open shows as .fuse_hidden*
    // until FUSE has handled its close.
    const auto servedFiles = [&] { return QDir(share.guestFolder()).entryList(QDir::Files | QDir::Hidden); };
    EXPECT_TRUE(QTest::qWaitFor([&] { return servedFiles() == QStringList{"song.mp3"}; }, 5000))
        << servedFiles().join(' ').toStdString();
}
