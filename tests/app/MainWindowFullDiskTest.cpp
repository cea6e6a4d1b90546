// Rinomina on a disk that fills up while the tag is written: the user is told why the tag
// was not written and that the name has changed all the same.

#include "tests/app/MainWindowFixture.h"

#include "options/dialog/uOpzioni.h"

#include "tests/common/StateHome.h"
#include "tests/explorer/ScratchMount.h"
#include "tests/tags/TagBytes.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

TEST_F(MainWindowTest, ATagWriteOnAFullDiskSaysWhyAndThatTheNameChanged)
{
    const StateHome stateHome(folder->filePath(u"state"_s));
    ScratchMount volume(u"full"_s, 512);
    if (!volume.mounted())
        GTEST_SKIP() << volume.whyNotMounted().toStdString();
    const QString song = volume.root() + u"/01.mp3"_s;
    {
        QFile file(song);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(tagbytes::id3v2Tag(3, tagbytes::frameV23("TIT2", tagbytes::latin1Text("Song")) +
                                             tagbytes::frameV23("TPE1", tagbytes::latin1Text("Band")),
                                      0, 0) +
                   tagbytes::silentAudio(300));
    }
    const QByteArray original = [&] {
        QFile file(song);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    // The disk is filled but for a few KB: a tag that grows cannot be rewritten.
    {
        QFile filler(volume.root() + u"/filler"_s);
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
    createWindow();
    ASSERT_NO_FATAL_FAILURE(clickFolder(volume.root()));
    ASSERT_EQ(edit("edtNomeOriginale")->text(), u"01.mp3"_s);
    edit("edtCommento")->setText(QString(20000, u'c')); // as typed, at once
    press("btnRinomina");

    const QString renamed = u"[Band] - Song.mp3"_s;
    ASSERT_EQ(boxes->texts().size(), 1) << boxes->texts().join(u'\n').toStdString();
    const QString told = boxes->texts().first();
    EXPECT_TRUE(told.contains(u"Il file è stato comunque rinominato in \"%1\""_s.arg(renamed))) << told.toStdString();
    EXPECT_TRUE(told.contains(u"spazio"_s, Qt::CaseInsensitive) || told.contains(u"space"_s, Qt::CaseInsensitive))
        << "the reason is not named: " << told.toStdString();
    QFile kept(volume.root() + u'/' + renamed);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), original);
}
