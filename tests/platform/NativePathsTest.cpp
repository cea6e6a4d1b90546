#include "platform/DrivePaths.h"
#include "platform/NativeNames.h"
#include "platform/NativePaths.h"
#include "tests/common/TempFolder.h"

#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

TEST(NativePathsTest, FoldersNamedInLatin1AreEnteredMadeAndResolved)
{
    TempFolder folder;
    const QString album = folder.path() + QLatin1Char('/') + decodeNativeName("Alb\xfcm");
    const QString disc = album + QStringLiteral("/Disc 1");
    ASSERT_TRUE(makeNativeFolders(disc));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(folder.path()) + "/Alb\xfcm/Disc 1", &info), 0);
    EXPECT_TRUE(isNativeFolder(disc));
    EXPECT_FALSE(isNativeRegularFile(disc));

    ASSERT_TRUE(setCurrentFolder(toDrivePath(disc)));
    EXPECT_EQ(currentFolder(), toDrivePath(disc));
    EXPECT_EQ(nativeCurrentFolder(), disc);
    EXPECT_EQ(absoluteNativePath(QStringLiteral("../x")), album + QStringLiteral("/x"));
    EXPECT_EQ(absoluteNativePath(QStringLiteral("x"), album), album + QStringLiteral("/x"));
    EXPECT_EQ(canonicalNativePath(QStringLiteral("..")), album);
    EXPECT_EQ(nativeFolderOf(disc), album);
    EXPECT_EQ(nativeNameOf(album), decodeNativeName("Alb\xfcm"));

    // Qt's own removal of the temporary folder cannot name these.
    ::rmdir(encodeNativeName(disc).constData());
    ::rmdir(encodeNativeName(album).constData());
}

TEST(NativePathsTest, FileAddressesKeepEveryByte)
{
    const QString native = decodeNativeName("/music/Caf\xe9 #1?.mp3");
    const QUrl url = nativeFileUrl(native);
    EXPECT_EQ(url.toEncoded(), QByteArray("file:///music/Caf%E9%20%231%3F.mp3"));
    EXPECT_EQ(nativePathOfUrl(url), native);
    EXPECT_EQ(nativePathOfUrl(QUrl::fromEncoded("file:///music/Caf%C3%A9.mp3")), QStringLiteral("/music/Caf\u00e9.mp3"));
    EXPECT_EQ(nativeFileUrl(QStringLiteral("/music/Caf\u00e9.mp3")), QUrl::fromLocalFile(QStringLiteral("/music/Caf\u00e9.mp3")));
    EXPECT_TRUE(nativePathOfUrl(QUrl(QStringLiteral("http://example.com/a"))).isEmpty());
}
