#include "BenchFiles.h"

#include "tests/tags/TagBytes.h"

#include <QFile>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>

namespace {
QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

QString makeFile(const QString &name, qint64 audioBytes, TagLib::ID3v2::Version version, TagLib::String::Type encoding,
                 bool withId3v2, int coverBytes = 30000)
{
    const QString path = folder().filePath(name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(tagbytes::silentAudio(int(audioBytes / 417)));
    file.close();
    using namespace TagLib;
    ID3v2::FrameFactory::instance()->setDefaultTextEncoding(encoding);
    MPEG::File mp3(QFile::encodeName(path).constData(), false);
    if (withId3v2) {
        ID3v2::Tag *tag = mp3.ID3v2Tag(true);
        auto *cover = new ID3v2::AttachedPictureFrame;
        cover->setMimeType("image/jpeg");
        cover->setPicture(ByteVector(uint(coverBytes), 'p'));
        tag->addFrame(cover);
        tag->setTitle(String("Título della canzone ☕", String::UTF8));
        tag->setArtist("Artist Name");
        tag->setAlbum("The Album");
        tag->setGenre("Rock");
        tag->setYear(2004);
        tag->setTrack(7);
        tag->setComment("A comment");
        for (const char *id : {"TCOM", "TENC", "TCOP", "TPE2", "TPOS", "TBPM"}) {
            auto *frame = new ID3v2::TextIdentificationFrame(id, encoding);
            frame->setText("value");
            tag->addFrame(frame);
        }
    }
    mp3.ID3v1Tag(true)->setTitle("Title");
    mp3.save(MPEG::File::AllTags, File::StripNone, version);
    return path;
}
} // namespace

QString benchFolderDescription()
{
    const QStorageInfo storage(folder().path());
    return QStringLiteral("%1 (%2)").arg(folder().path(), QString::fromLatin1(storage.fileSystemType()));
}

const QStringList &taggedFiles()
{
    using namespace TagLib;
    static const QStringList files = {
        makeFile("cover23.mp3", 1 << 20, ID3v2::v3, String::Latin1, true),
        makeFile("utf8-24.mp3", 1 << 20, ID3v2::v4, String::UTF8, true),
        makeFile("utf16-23.mp3", 1 << 20, ID3v2::v3, String::UTF16, true),
        makeFile("v1only.mp3", 1 << 20, ID3v2::v3, String::Latin1, false),
    };
    return files;
}

QStringList coveredFiles(int count, int coverBytes)
{
    QStringList files;
    for (int i = 0; i < count; ++i)
        files.append(makeFile(QStringLiteral("covered%1-%2.mp3").arg(coverBytes).arg(i), 200 << 10, TagLib::ID3v2::v3,
                              TagLib::String::Latin1, true, coverBytes));
    return files;
}

QString largeFile(int megabytes)
{
    using namespace TagLib;
    return makeFile(QStringLiteral("large%1.mp3").arg(megabytes), qint64(megabytes) << 20, ID3v2::v3, String::Latin1,
                    true);
}
