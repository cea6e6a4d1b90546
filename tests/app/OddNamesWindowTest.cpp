// The main window over a file whose name is not valid UTF-8.

#include "tests/app/MainWindowFixture.h"

#include "explorer/filelist/FileListView.h"
#include "options/dialog/uOpzioni.h"

#include <QDir>
#include <QFile>
#include <cstdio>

using namespace Qt::StringLiterals;

TEST_F(MainWindowTest, ANameThatIsNotUtf8IsListedLoadedAndRenamedToUtf8)
{
    writeMp3(u"made.mp3"_s, {u"Caff\u00e8"_s, u"Bar"_s});
    const QByteArray here = QFile::encodeName(folder->path());
    ASSERT_EQ(std::rename(here + "/made.mp3", here + "/Caf\xe9.mp3"), 0); // a Latin-1 name
    createWindow();

    clickFolder(folder->path());
    ASSERT_EQ(list()->itemCount(), 1);
    EXPECT_EQ(list()->model()->index(0, 0).data().toString(), u"Caf\u00e9.mp3"_s);
    EXPECT_EQ(edit("edtNomeOriginale")->text(), u"Caf\u00e9.mp3"_s);
    EXPECT_EQ(edit("edtArtista")->text(), u"Bar"_s);
    EXPECT_EQ(proposedName(), u"[Bar] - Caff\u00e8"_s);

    press("btnRinomina");
    EXPECT_TRUE(boxes->requests().isEmpty()) << boxes->texts().join(u'\n').toStdString();
    EXPECT_EQ(QDir(folder->path()).entryList(QDir::Files), QStringList{u"[Bar] - Caff\u00e8.mp3"_s});
    EXPECT_EQ(list()->item(0).caption, u"[Bar] - Caff\u00e8.mp3"_s);
}
