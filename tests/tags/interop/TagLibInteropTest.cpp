// Interoperability with an independent ID3 implementation: TagLib reads what we write,
// and we read what TagLib writes.

#include "../TagBytes.h"

#include "tags/TID3TagInfo.h"
#include "tags/TID3v2.h"

#include "tests/common/TempFolder.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/popularimeterframe.h>
#include <taglib/privateframe.h>
#include <taglib/relativevolumeframe.h>
#include <taglib/textidentificationframe.h>
#include <taglib/uniquefileidentifierframe.h>
#include <taglib/unsynchronizedlyricsframe.h>
#include <taglib/urllinkframe.h>

using namespace TagLib;

namespace {
const QByteArray pictureBytes("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x02\x00\xFF\xD9", 18);

String text(const QString &value)
{
    return String(value.toUtf8().constData(), String::UTF8);
}

QString text(const String &value)
{
    return QString::fromUtf8(value.toCString(true));
}

ByteVector bytes(const QByteArray &value)
{
    return ByteVector(value.constData(), uint(value.size()));
}

QByteArray bytes(const ByteVector &value)
{
    return QByteArray(value.data(), value.size());
}

template <typename FrameType>
FrameType *firstFrame(ID3v2::Tag *tag, const char *id)
{
    const ID3v2::FrameList frames = tag->frameListMap()[id];
    return frames.isEmpty() ? nullptr : dynamic_cast<FrameType *>(frames.front());
}

struct Values {
    QString title, artist, album, track, date, genre, comment, link, composer, encodedBy, rights, language;
};

Values valuesFor(String::Type encoding)
{
    if (encoding == String::Latin1)
        return {QString::fromUtf8("Título"), "Artist", QString::fromUtf8("Album é"), "4/10", "2004-05-06",
                "Rock", QString::fromUtf8("Commento è"), "http://example.org/a", "Composer", "Encoder",
                "(c) 2004", "ita"};
    return {QString::fromUtf8("Título ☕ Ωmega"), QString::fromUtf8("Жан Артист"), QString::fromUtf8("アルバム"),
            "4/10", "2004-05-06", "Rock", QString::fromUtf8("Комментарий ✓"), "http://example.org/a",
            QString::fromUtf8("Compositore ß"), "Encoder", QString::fromUtf8("© 2004"), "ita"};
}

void addText(ID3v2::Tag *tag, const char *id, const QString &value, String::Type encoding)
{
    auto *frame = new ID3v2::TextIdentificationFrame(id, encoding);
    frame->setText(text(value));
    tag->addFrame(frame);
}

// A picture first, then the text frames, as many writers put them.
void writeWithTagLib(const QString &path, ID3v2::Version version, String::Type encoding, const Values &values)
{
    MPEG::File file(QFile::encodeName(path).constData(), false);
    ID3v2::Tag *tag = file.ID3v2Tag(true);
    auto *picture = new ID3v2::AttachedPictureFrame;
    picture->setTextEncoding(encoding);
    picture->setMimeType("image/jpeg");
    picture->setType(ID3v2::AttachedPictureFrame::FrontCover);
    picture->setDescription(text(QString::fromUtf8("Cover")));
    picture->setPicture(bytes(pictureBytes));
    tag->addFrame(picture);
    const std::pair<const char *, QString> texts[] = {
        {"TIT2", values.title}, {"TPE1", values.artist},    {"TALB", values.album},  {"TRCK", values.track},
        {"TDRC", values.date},  {"TCON", values.genre},     {"TCOM", values.composer},
        {"TENC", values.encodedBy}, {"TCOP", values.rights}, {"TLAN", values.language},
    };
    for (const auto &[id, value] : texts)
        addText(tag, id, value, encoding);
    auto *comment = new ID3v2::CommentsFrame(encoding);
    comment->setLanguage("ita");
    comment->setText(text(values.comment));
    tag->addFrame(comment);
    auto *link = new ID3v2::UserUrlLinkFrame(encoding);
    link->setUrl(text(values.link));
    tag->addFrame(link);
    ASSERT_TRUE(file.save(MPEG::File::ID3v2, File::StripOthers, version, File::DoNotDuplicate));
}

// Frames a user has besides the values: they must come through our rewrite.
void addOtherFrames(const QString &path)
{
    MPEG::File file(QFile::encodeName(path).constData(), false);
    ID3v2::Tag *tag = file.ID3v2Tag(true);
    auto *lyrics = new ID3v2::UnsynchronizedLyricsFrame(String::UTF8);
    lyrics->setLanguage("eng");
    lyrics->setText(text(QString::fromUtf8("Première ligne\nZweite Zeile ☕")));
    tag->addFrame(lyrics);
    auto *user = new ID3v2::UserTextIdentificationFrame(String::UTF8);
    user->setDescription("MusicBrainz Album Id");
    user->setText("0123-4567");
    tag->addFrame(user);
    auto *rating = new ID3v2::PopularimeterFrame;
    rating->setEmail("user@example.org");
    rating->setRating(196);
    rating->setCounter(12);
    tag->addFrame(rating);
    auto *privateFrame = new ID3v2::PrivateFrame;
    privateFrame->setOwner("com.example");
    privateFrame->setData(ByteVector("\x01\x02\x00\x03", 4));
    tag->addFrame(privateFrame);
    tag->addFrame(new ID3v2::UniqueFileIdentifierFrame("http://musicbrainz.org", "abcd-ef"));
    auto *described = new ID3v2::CommentsFrame(String::Latin1);
    described->setLanguage("eng");
    described->setDescription("Songs-DB_Custom1");
    described->setText("kept comment");
    tag->addFrame(described);
    auto *shop = new ID3v2::UserUrlLinkFrame(String::Latin1);
    shop->setDescription("Shop");
    shop->setUrl("http://shop.example.org");
    tag->addFrame(shop);
    addText(tag, "TIT1", "Grouping", String::UTF8);
    addText(tag, "TOPE", "Original Artist", String::UTF8);
    ASSERT_TRUE(file.save(MPEG::File::ID3v2, File::StripOthers, ID3v2::v4, File::DoNotDuplicate));
}

int runTool(const QStringList &arguments)
{
    QProcess tool;
    tool.start(QStringLiteral(KESTRAVA_TAGS_TOOL), arguments);
    tool.waitForFinished(30000);
    return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
}
} // namespace

TEST(TagLibInteropTest, WeReadWhatTagLibWrites)
{
    const struct {
        ID3v2::Version version;
        String::Type encoding;
        const char *name;
    } cases[] = {
        {ID3v2::v3, String::Latin1, "2.3 Latin-1"}, {ID3v2::v3, String::UTF16, "2.3 UTF-16"},
        {ID3v2::v4, String::Latin1, "2.4 Latin-1"}, {ID3v2::v4, String::UTF16, "2.4 UTF-16"},
        {ID3v2::v4, String::UTF8, "2.4 UTF-8"},     {ID3v2::v4, String::UTF16BE, "2.4 UTF-16BE"},
    };
    for (const auto &c : cases) {
        TempFolder folder;
        const QString path = folder.write("song.mp3", tagbytes::silentAudio(10));
        const Values values = valuesFor(c.encoding);
        writeWithTagLib(path, c.version, c.encoding, values);
        const QByteArray written = folder.read("song.mp3");
        ASSERT_EQ(written.mid(10, 4), "APIC") << c.name;

        TID3v2 tag;
        ASSERT_TRUE(tag.ReadFromFile("song.mp3")) << c.name;
        EXPECT_EQ(tag.Version(), c.version == ID3v2::v3 ? 3 : 4) << c.name;
        EXPECT_EQ(tag.Title(), values.title) << c.name;
        EXPECT_EQ(tag.Artist(), values.artist) << c.name;
        EXPECT_EQ(tag.Album(), values.album) << c.name;
        EXPECT_EQ(tag.Track(), 4) << c.name;
        EXPECT_EQ(tag.Year(), "2004") << c.name;
        EXPECT_EQ(tag.Genre(), values.genre) << c.name;
        EXPECT_EQ(tag.Comment(), values.comment) << c.name;
        EXPECT_EQ(tag.Link(), values.link) << c.name;
        EXPECT_EQ(tag.Composer(), values.composer) << c.name;
        EXPECT_EQ(tag.EncodedBy(), values.encodedBy) << c.name;
        EXPECT_EQ(tag.Rights(), values.rights) << c.name;
        EXPECT_EQ(tag.Language(), values.language) << c.name;
    }
}

TEST(TagLibInteropTest, TagLibReadsWhatWeWriteWithEveryOtherFrame)
{
    TempFolder folder;
    const QByteArray audio = tagbytes::silentAudio(10);
    const QString path = folder.write("song.mp3", audio);
    writeWithTagLib(path, ID3v2::v4, String::UTF8, valuesFor(String::UTF8));
    addOtherFrames(path);

    ASSERT_EQ(runTool({"set", "song.mp3", "--title", QString::fromUtf8("Nuovo ☕"), "--artist", "Artista",
                       "--album", QString::fromUtf8("Álbum"), "--genre", "jazz", "--track", "7", "--year", "2010",
                       "--comment", QString::fromUtf8("Nuovo commento ✓"), "--link", "http://new.example.org"}),
              0);
    EXPECT_TRUE(folder.read("song.mp3").startsWith("ID3\x03"));
    EXPECT_TRUE(folder.read("song.mp3").contains(audio));

    MPEG::File file(QFile::encodeName(path).constData(), false);
    ASSERT_TRUE(file.hasID3v2Tag());
    ID3v2::Tag *tag = file.ID3v2Tag();
    EXPECT_EQ(tag->header()->majorVersion(), 3u);
    EXPECT_EQ(text(tag->title()), QString::fromUtf8("Nuovo ☕"));
    EXPECT_EQ(text(tag->artist()), "Artista");
    EXPECT_EQ(text(tag->album()), QString::fromUtf8("Álbum"));
    EXPECT_EQ(text(tag->genre()), "jazz");
    EXPECT_EQ(tag->year(), 2010u);
    EXPECT_EQ(tag->track(), 7u);
    EXPECT_EQ(text(tag->frameListMap()["TRCK"].front()->toString()), "7/10");
    EXPECT_EQ(text(tag->frameListMap()["TCOM"].front()->toString()), QString::fromUtf8("Compositore ß"));

    // The comment and link replaced; everything else as it was.
    const ID3v2::FrameList comments = tag->frameListMap()["COMM"];
    ASSERT_EQ(comments.size(), 2u);
    auto *shown = dynamic_cast<ID3v2::CommentsFrame *>(comments.front());
    EXPECT_EQ(text(shown->text()), QString::fromUtf8("Nuovo commento ✓"));
    EXPECT_EQ(bytes(shown->language()), "ita");
    auto *kept = dynamic_cast<ID3v2::CommentsFrame *>(comments.back());
    EXPECT_EQ(text(kept->description()), "Songs-DB_Custom1");
    EXPECT_EQ(text(kept->text()), "kept comment");
    const ID3v2::FrameList links = tag->frameListMap()["WXXX"];
    ASSERT_EQ(links.size(), 2u);
    EXPECT_EQ(text(dynamic_cast<ID3v2::UserUrlLinkFrame *>(links.front())->url()), "http://new.example.org");
    EXPECT_EQ(text(dynamic_cast<ID3v2::UserUrlLinkFrame *>(links.back())->description()), "Shop");

    auto *picture = firstFrame<ID3v2::AttachedPictureFrame>(tag, "APIC");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(bytes(picture->picture()), pictureBytes);
    EXPECT_EQ(text(picture->mimeType()), "image/jpeg");
    EXPECT_EQ(picture->type(), ID3v2::AttachedPictureFrame::FrontCover);
    auto *lyrics = firstFrame<ID3v2::UnsynchronizedLyricsFrame>(tag, "USLT");
    ASSERT_NE(lyrics, nullptr);
    EXPECT_EQ(text(lyrics->text()), QString::fromUtf8("Première ligne\nZweite Zeile ☕"));
    auto *user = firstFrame<ID3v2::UserTextIdentificationFrame>(tag, "TXXX");
    ASSERT_NE(user, nullptr);
    EXPECT_EQ(text(user->description()), "MusicBrainz Album Id");
    EXPECT_EQ(text(user->fieldList().back()), "0123-4567");
    auto *rating = firstFrame<ID3v2::PopularimeterFrame>(tag, "POPM");
    ASSERT_NE(rating, nullptr);
    EXPECT_EQ(rating->rating(), 196);
    EXPECT_EQ(rating->counter(), 12u);
    auto *privateFrame = firstFrame<ID3v2::PrivateFrame>(tag, "PRIV");
    ASSERT_NE(privateFrame, nullptr);
    EXPECT_EQ(bytes(privateFrame->data()), QByteArray("\x01\x02\x00\x03", 4));
    auto *identifier = firstFrame<ID3v2::UniqueFileIdentifierFrame>(tag, "UFID");
    ASSERT_NE(identifier, nullptr);
    EXPECT_EQ(bytes(identifier->identifier()), "abcd-ef");
    EXPECT_EQ(text(tag->frameListMap()["TIT1"].front()->toString()), "Grouping");
    EXPECT_EQ(text(tag->frameListMap()["TOPE"].front()->toString()), "Original Artist");

    ASSERT_TRUE(file.hasID3v1Tag());
    EXPECT_EQ(text(file.ID3v1Tag()->album()), QString::fromUtf8("Álbum"));
    EXPECT_EQ(file.ID3v1Tag()->track(), 7u);
    EXPECT_EQ(text(file.ID3v1Tag()->genre()), "Jazz");
}

// ReplayGain written by TagLib in a 2.4 tag is still there for TagLib after our 2.3 save.
TEST(TagLibInteropTest, ReplayGainSurvivesOurSave)
{
    TempFolder folder;
    const QString song = folder.write("song.mp3", tagbytes::silentAudio(20));
    {
        MPEG::File file(QFile::encodeName(song).constData(), false);
        auto *gain = new ID3v2::RelativeVolumeFrame();
        gain->setIdentification("track");
        gain->setVolumeAdjustment(-6.5f, ID3v2::RelativeVolumeFrame::MasterVolume);
        file.ID3v2Tag(true)->addFrame(gain);
        file.ID3v2Tag()->setTitle("Old");
        ASSERT_TRUE(file.save(MPEG::File::ID3v2, File::StripNone, ID3v2::v4));
    }
    TID3v2 ours;
    ours.ReadFromFile("song.mp3");
    ours.SetTitle("New");
    ASSERT_TRUE(ours.WriteToFile("song.mp3"));

    MPEG::File file(QFile::encodeName(song).constData(), false);
    ASSERT_TRUE(file.ID3v2Tag());
    EXPECT_EQ(file.ID3v2Tag()->header()->majorVersion(), 3u);
    EXPECT_EQ(text(file.ID3v2Tag()->title()), "New");
    auto *gain = firstFrame<ID3v2::RelativeVolumeFrame>(file.ID3v2Tag(), "RVA2");
    ASSERT_NE(gain, nullptr);
    EXPECT_EQ(text(gain->identification()), "track");
    EXPECT_FLOAT_EQ(gain->volumeAdjustment(ID3v2::RelativeVolumeFrame::MasterVolume), -6.5f);
}

// A 2.3 tag that holds a recording time (TDRC, a 2.4 frame some writers put in 2.3 tags):
// the new year replaces it, so no reader sees the old one.
TEST(TagLibInteropTest, ANewYearReplacesTheRecordingTimeOfA23Tag)
{
    using namespace tagbytes;
    struct Case {
        const char *recordingTime;
        const char *newYear;
        const char *read; // what TagLib reads afterwards
    };
    const Case cases[] = {{"1975", "1976", "1976"}, {"1975-05-12", "1976", "1976"}, {"1975-05-12", "1975", "1975"}};
    for (const Case &c : cases) {
        TempFolder folder;
        const QString song = folder.write("song.mp3", id3v2Tag(3,
                                                               frameV23("TIT2", latin1Text("Title")) +
                                                                   frameV23("TDRC", latin1Text(c.recordingTime)),
                                                               0, 0) +
                                                          silentAudio(4));
        QProcess tool;
        tool.start(QStringLiteral(KESTRAVA_TAGS_TOOL), {"set", song, "--year", c.newYear});
        ASSERT_TRUE(tool.waitForFinished(30000));
        ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
        MPEG::File file(QFile::encodeName(song).constData(), false);
        ASSERT_TRUE(file.ID3v2Tag()) << c.recordingTime;
        EXPECT_EQ(file.ID3v2Tag()->year(), QByteArray(c.read).toUInt()) << c.recordingTime << " → " << c.newYear;
        // TagLib takes TYER as TDRC: every recording time it sees is of the new year.
        for (const ID3v2::Frame *frame : file.ID3v2Tag()->frameListMap()["TDRC"])
            EXPECT_TRUE(text(frame->toString()).startsWith(c.read)) << text(frame->toString()).toStdString();
        EXPECT_EQ(text(file.ID3v2Tag()->title()), "Title");
    }
}
