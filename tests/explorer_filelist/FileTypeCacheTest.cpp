#include "explorer/shared/FileTypeCache.h"

#include <gtest/gtest.h>

// The kept answers are those the shell gives for each name itself.
TEST(FileTypeCacheTest, KeptAnswersMatchTheShellsAnswerForEachName)
{
    const char *const names[] = {
        "song.mp3",     "Artist feat. X - Song.mp3", "01. Intro.MP3", "backup.gz", "backup.tar.gz",
        "other.tar.gz", "main.c",                    "main.C",        "Mr.X.mp3",  "readme",
        ".profile",     "archive.zip",               "notes.txt",     "odd.xyz9",  "trailing.",
    };
    for (int pass = 0; pass < 2; ++pass) {
        for (const char *name : names) {
            SCOPED_TRACE(name);
            const QString text = QString::fromUtf8(name);
            const ShellFileEntry kept = cachedShellFileEntry(text, false);
            const ShellFileEntry asked = shellFileEntry(text, false);
            EXPECT_EQ(kept.typeName, asked.typeName);
            EXPECT_EQ(kept.iconIndex, asked.iconIndex);
        }
    }
    EXPECT_EQ(cachedShellFileEntry(QStringLiteral("Album.2005"), true).typeName,
              shellFileEntry(QStringLiteral("Album.2005"), true).typeName);
    EXPECT_EQ(fileTypeKey(QStringLiteral("a.tar.gz")), QStringLiteral(".tar.gz"));
    EXPECT_EQ(fileTypeKey(QStringLiteral("01. Intro.mp3")), QStringLiteral(".mp3"));
}
