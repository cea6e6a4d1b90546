// The file list's in-place rename on a real SMB share mounted through GVfs, which ignores
// letter case and refuses some characters in names.

#include "explorer/filelist/FileListCommands.h"
#include "explorer/filelist/FileListView.h"
#include "platform/DrivePaths.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "tests/common/SambaShare.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(FileListShareTest, InPlaceRenameChangesLetterCaseAndNamesARefusedCharacter)
{
    SambaShare share;
    const QString mounted = share.mountGuest();
    if (mounted.isEmpty())
        GTEST_SKIP() << share.failure().toStdString();
    QFile seed(share.guestFolder() + u"/song.mp3"_s);
    ASSERT_TRUE(seed.open(QIODevice::WriteOnly) && seed.write("audio") == 5);
    seed.close();
    platform::ScriptedMessageResponder boxes;
    TZuFilelistView28 list;
    list.SetLanguage(lnEnglish);
    list.SetDirectory(platform::toDrivePath(mounted));
    const auto rename = [&](const QString &from, const QString &to) {
        int row = -1;
        for (int i = 0; i < list.itemCount(); ++i)
            row = list.item(i).caption == from ? i : row;
        ASSERT_GE(row, 0) << from.toStdString();
        list.selectionModel()->select(list.model()->index(row, 0),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        ASSERT_TRUE(list.commands().CanEdit(row));
        list.commands().Edit(to);
    };
    const auto files = [&] { return QDir(mounted).entryList({u"*.mp3"_s}, QDir::Files); };

    rename(u"song.mp3"_s, u"Song.mp3"_s);
    EXPECT_EQ(files(), QStringList{u"Song.mp3"_s});
    EXPECT_TRUE(boxes.texts().isEmpty()) << boxes.texts().join(u'\n').toStdString();

    rename(u"Song.mp3"_s, u"AC:DC.mp3"_s);
    EXPECT_EQ(files(), QStringList{u"Song.mp3"_s});
    ASSERT_EQ(boxes.texts().size(), 1);
    EXPECT_TRUE(boxes.texts().constFirst().contains(u"cannot contain the character \":\""_s))
        << boxes.texts().constFirst().toStdString();
    QFile renamed(mounted + u"/Song.mp3"_s);
    ASSERT_TRUE(renamed.open(QIODevice::ReadOnly));
    EXPECT_EQ(renamed.readAll(), QByteArray("audio"));
}
