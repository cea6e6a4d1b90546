// The folder tree over a folder whose name is not valid UTF-8.

#include "tests/explorer_tree/TreeOnFolder.h"

#include "platform/NativeNames.h"

#include <QAbstractItemDelegate>
#include <QFile>
#include <QStyledItemDelegate>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

TEST(OddNamesTreeTest, ALatin1FolderIsOpenedByItsOwnNameAndShownReadably)
{
    TreeOnFolder fixture({QStringLiteral("Music")});
    const QByteArray music = QFile::encodeName(fixture.nativePath(QStringLiteral("Music")));
    ASSERT_EQ(::mkdir(music + "/Alb\xfcm", 0755), 0);
    ASSERT_EQ(::mkdir(music + "/Alb\xfcm/Disc 1", 0755), 0);
    ASSERT_EQ(::mkdir(music + "/Alb\xc3\xbcm", 0755), 0); // its UTF-8 twin
    const QString album = platform::decodeNativeName("Alb\xfcm");

    fixture.tree.OpenPath(fixture.path(QStringLiteral("Music/") + album));
    EXPECT_EQ(fixture.tree.SelectedPath(), fixture.path(QStringLiteral("Music/") + album) + QLatin1Char('\\'));
    ASSERT_TRUE(fixture.selected());
    EXPECT_EQ(childCaptions(fixture.selected()), QStringList{QStringLiteral("Disc 1")});
    EXPECT_EQ(childCaptions(fixture.selected()->parent()).size(), 2);

    // The node keeps the name; only what is painted is the readable form.
    EXPECT_EQ(fixture.selected()->text(0), album);
    const auto *delegate = qobject_cast<QStyledItemDelegate *>(fixture.tree.itemDelegate());
    ASSERT_NE(delegate, nullptr);
    EXPECT_EQ(delegate->displayText(album, QLocale()), QStringLiteral("Alb\u00fcm"));

    ::rmdir(music + "/Alb\xfcm/Disc 1");
    ::rmdir(music + "/Alb\xfcm");
}
