#include "platform/DrivePaths.h"
#include "tests/common/TempFolder.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace platform;

TEST(DrivePathsTest, ConvertsBothWays)
{
    registerDriveRoot(QLatin1Char('E'), QStringLiteral("/media/ann/USB STICK"));
    const struct {
        const char *drive;
        const char *native;
    } cases[] = {
        {"C:\\", "/"},
        {"C:\\home\\ann\\Music", "/home/ann/Music"},
        {"E:\\", "/media/ann/USB STICK"},
        {"E:\\Rock\\a.mp3", "/media/ann/USB STICK/Rock/a.mp3"},
        {"C:\\media\\ann", "/media/ann"},
        {"C:\\tmp\\back\xef\x81\x9cslash", "/tmp/back\\slash"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.drive);
        EXPECT_EQ(toNativePath(QString::fromUtf8(c.drive)), QString::fromUtf8(c.native));
        EXPECT_EQ(toDrivePath(QString::fromUtf8(c.native)), QString::fromUtf8(c.drive));
    }
    EXPECT_EQ(toNativePath(QStringLiteral("c:\\home")), QStringLiteral("/home"));
    EXPECT_EQ(toNativePath(QStringLiteral("Q:\\x")), QString());
    EXPECT_EQ(toNativePath(QStringLiteral("song.mp3")), QStringLiteral("song.mp3"));
    // a colon is a drive's only at the start of "X:" or "X:\"; elsewhere it is a name's
    for (const char *name : {"x:y.txt", "C:x", ":lead", "trail:", "C:.x:y"})
        EXPECT_EQ(toNativePath(QLatin1String(name)), QLatin1String(name)) << name;
    EXPECT_EQ(toNativePath(QStringLiteral("C:\\d\\C:x")), QStringLiteral("/d/C:x"));
    EXPECT_EQ(toNativePath(QStringLiteral("C:")), QStringLiteral("/"));
    // a "/" separates like a "\"; it is never dropped from a name
    EXPECT_EQ(toNativePath(QStringLiteral("C:/home/ann")), QStringLiteral("/home/ann"));
    EXPECT_EQ(toNativePath(QStringLiteral("C:\\Music\\AC/DC.mp3")), QStringLiteral("/Music/AC/DC.mp3"));
    EXPECT_EQ(toNativePath(QStringLiteral("AC/DC.mp3")), QStringLiteral("AC/DC.mp3"));
    EXPECT_EQ(normalizedDrivePath(QStringLiteral("/home/ann/")), QStringLiteral("C:\\home\\ann"));
    unregisterDriveRoot(QLatin1Char('E'));
    EXPECT_EQ(toDrivePath(QStringLiteral("/media/ann/USB STICK")), QStringLiteral("C:\\media\\ann\\USB STICK"));
}

TEST(DrivePathsTest, CurrentFolderFollowsSetCurrentFolder)
{
    TempFolder folder(false);
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(setCurrentFolder(folder.drivePath()));
    EXPECT_EQ(QDir::currentPath(), QDir(folder.path()).canonicalPath());
    EXPECT_FALSE(setCurrentFolder(folder.drivePath() + QStringLiteral("\\missing")));
    QDir::setCurrent(previous);
}
