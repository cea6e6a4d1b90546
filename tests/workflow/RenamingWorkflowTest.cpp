// The renaming workflow on real MP3 files in a temporary folder, without widgets.

#include "workflow/RenamingWorkflow.h"

#include "naming/TKestrava.h"
#include "platform/DrivePaths.h"
#include "platform/Errors.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "tags/TID3TagInfo.h"
#include "tags/TID3v2.h"
#include "tests/common/TempFolder.h"
#include "tests/tags/Mp3Files.h"
#include "tests/tags/TagBytes.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
using tagbytes::Mp3Tags;

class RenamingWorkflowTest : public ::testing::Test {
protected:
    void writeMp3(const QString &name, const Mp3Tags &v2, const Mp3Tags &v1 = {})
    {
        tagbytes::writeMp3(folder, name, v2, v1);
    }

    // Loads the file as the window does after a folder click: fields of no lock.
    TagFieldValues load(const QString &name, const TagFieldValues &shown = {},
                        const RenamingWorkflow::LockTest &isLocked = [](TagField) { return false; })
    {
        workflow.setFile(folder.drivePath() + u'\\', name);
        workflow.readTags();
        return workflow.loadedFields(shown, isLocked);
    }

    TempFolder folder;
    platform::ScriptedMessageResponder boxes;
    TKestrava engine;
    TID3TagInfo id3v1;
    RenamingWorkflow workflow{engine, id3v1};
};
} // namespace

TEST_F(RenamingWorkflowTest, LoadTakesId3v2FirstId3v1WhereEmptyAndKeepsLockedFields)
{
    writeMp3(u"a.mp3"_s, {u"V2 title"_s, {}, u"V2 album"_s, {}, {}, {}, u"https://Example.com/Page"_s},
             {u"V1 title"_s, u"V1 artist"_s, {}, u"Rock"_s, {}, u"V1 comment"_s, {}, 9});
    TagFieldValues fields = load(u"a.mp3"_s);
    EXPECT_EQ(fields[TagField::Title], u"V2 title"_s);
    EXPECT_EQ(fields[TagField::Artist], u"V1 artist"_s);
    EXPECT_EQ(fields[TagField::Album], u"V2 album"_s);
    EXPECT_EQ(fields[TagField::Genre], u"Rock"_s);
    EXPECT_EQ(fields[TagField::Track], u"9"_s);
    EXPECT_EQ(fields[TagField::Comment], u"V1 comment"_s);
    EXPECT_EQ(fields[TagField::Link], u"https://Example.com/Page"_s);

    // Locked fields keep what is shown; title and track have no lock.
    TagFieldValues shown;
    shown[TagField::Comment] = u"Kept comment"_s;
    shown[TagField::Title] = u"Old title"_s;
    fields = load(u"a.mp3"_s, shown, [](TagField field) { return field != TagField::Genre; });
    EXPECT_EQ(fields[TagField::Comment], u"Kept comment"_s);
    EXPECT_EQ(fields[TagField::Artist], QString());
    EXPECT_EQ(fields[TagField::Genre], u"Rock"_s);
    EXPECT_EQ(fields[TagField::Title], u"V2 title"_s);

    // No tag at all: empty fields, the track "0".
    folder.write(u"bare.mp3"_s, tagbytes::silentAudio(2));
    fields = load(u"bare.mp3"_s);
    EXPECT_EQ(fields[TagField::Title], QString());
    EXPECT_EQ(fields[TagField::Track], u"0"_s);
}

TEST_F(RenamingWorkflowTest, ProposalAfterALoadTakesEveryFieldAndTheLinkKeepsItsCase)
{
    writeMp3(u"a.mp3"_s, {u"song title"_s, u"the band"_s, {}, {}, {}, u"a comment"_s, u"Https://Example.Com/My-Page"_s, 7});
    workflow.setSettings({TKestrava::caseUpper, u"%5 - %2"_s, false, false});
    const TagFieldValues fields = load(u"a.mp3"_s);
    EXPECT_EQ(workflow.proposeFromTags(fields), u"07 - song title"_s);
    EXPECT_EQ(workflow.casedField(TagField::Title, fields[TagField::Title]), u"SONG TITLE"_s);
    EXPECT_EQ(workflow.casedField(TagField::Comment, fields[TagField::Comment]), u"A COMMENT"_s);
    EXPECT_EQ(workflow.casedField(TagField::Link, fields[TagField::Link]), u"Https://Example.Com/My-Page"_s);

    workflow.setSettings({TKestrava::caseEveryWord, u"%1: %2"_s, false, false});
    EXPECT_EQ(workflow.proposeFromTags(fields), u"the band_ song title"_s); // ":" cannot be in a name
    EXPECT_EQ(engine.NewName(), u"the band_ song title"_s);
    EXPECT_EQ(workflow.proposeFromName(u"01 "_s, u"my song"_s, u" (live)"_s), u"01 My Song (live)"_s);
}

TEST_F(RenamingWorkflowTest, TracksAboveTheByteAreKeptInId3v2)
{
    writeMp3(u"book.mp3"_s, {u"Chapter"_s, u"Reader"_s, {}, {}, {}, {}, {}, 300});
    TagFieldValues fields = load(u"book.mp3"_s);
    ASSERT_EQ(fields[TagField::Track], u"300"_s);
    fields[TagField::Track] = u"301"_s;
    ASSERT_TRUE(workflow.writeTags(fields));
    TID3v2 v2;
    ASSERT_TRUE(v2.ReadFromFile(folder.filePath(u"book.mp3"_s)));
    EXPECT_EQ(v2.Track(), 301);
    TID3TagInfo v1;
    v1.ReadFromFile(folder.filePath(u"book.mp3"_s));
    EXPECT_TRUE(v1.HasTag());
    EXPECT_EQ(v1.GetTrack(), 0) << "one byte holds no 301: stored as none";
}

TEST_F(RenamingWorkflowTest, TrackTextIsEmptyOrUpToThreeDigits)
{
    const struct {
        const char *text;
        bool valid;
    } cases[] = {{"", true}, {"7", true}, {"300", true}, {"1000", false}, {"-1", false}, {"+5", false}, {"x", false}, {" 5", false}};
    for (const auto &c : cases)
        EXPECT_EQ(RenamingWorkflow::isTrackText(QString::fromLatin1(c.text)), c.valid) << c.text;

    writeMp3(u"a.mp3"_s, {u"Title"_s, u"Band"_s, {}, {}, {}, {}, {}, 4});
    TagFieldValues fields = load(u"a.mp3"_s);
    const QByteArray before = folder.read(u"a.mp3"_s);
    fields[TagField::Track] = u"-1"_s;
    EXPECT_THROW(workflow.saveTags(fields), platform::ConvertError);
    EXPECT_EQ(folder.read(u"a.mp3"_s), before);
}

TEST_F(RenamingWorkflowTest, RenameWritesBothTagsIntoTheRenamedFileInItsOwnFolder)
{
    writeMp3(u"album/01.mp3"_s, {u"Song"_s, u"Band"_s, {}, {}, {}, {}, {}, 3});
    writeMp3(u"elsewhere/01.mp3"_s, {u"Other"_s, u"Else"_s});
    const QByteArray untouched = folder.read(u"elsewhere/01.mp3"_s);
    workflow.setFile(platform::toDrivePath(folder.filePath(u"album"_s)) + u'\\', u"01.mp3"_s);
    workflow.readTags();
    TagFieldValues fields = workflow.loadedFields({}, [](TagField) { return false; });
    fields[TagField::Year] = u"1999"_s;
    workflow.proposeFromTags(fields);
    QDir::setCurrent(folder.filePath(u"elsewhere"_s)); // a list has moved on meanwhile

    ASSERT_TRUE(workflow.renameFile());
    ASSERT_TRUE(workflow.loadedAsMp3());
    ASSERT_TRUE(workflow.writeTags(fields));
    EXPECT_EQ(workflow.fileName(), u"[Band] - Song.mp3"_s);
    EXPECT_FALSE(folder.exists(u"album/01.mp3"_s));
    TID3v2 v2;
    ASSERT_TRUE(v2.ReadFromFile(folder.filePath(u"album/[Band] - Song.mp3"_s)));
    EXPECT_EQ(v2.Year(), u"1999"_s);
    EXPECT_EQ(v2.Track(), 3);
    TID3TagInfo v1;
    v1.ReadFromFile(folder.filePath(u"album/[Band] - Song.mp3"_s));
    EXPECT_EQ(v1.GetYear(), u"1999"_s);
    EXPECT_EQ(folder.read(u"elsewhere/01.mp3"_s), untouched);
    EXPECT_TRUE(boxes.requests().isEmpty()) << boxes.texts().join(u'\n').toStdString();
}

TEST_F(RenamingWorkflowTest, OnlyAFileLoadedAsMp3GetsTags)
{
    folder.write(u"notes"_s, "plain text");
    workflow.setFile(folder.drivePath() + u'\\', u"notes"_s);
    EXPECT_FALSE(workflow.isMp3());
    workflow.proposeFromName({}, u"Tune.mp3"_s, {});
    ASSERT_TRUE(workflow.renameFile());
    EXPECT_EQ(workflow.fileName(), u"Tune.mp3"_s);
    EXPECT_FALSE(workflow.loadedAsMp3());
    EXPECT_EQ(folder.read(u"Tune.mp3"_s), QByteArray("plain text"));
}

TEST_F(RenamingWorkflowTest, RenameInAFolderThatIsGoneIsRefusedAndSaysSo)
{
    writeMp3(u"gone/01.mp3"_s, {u"Song"_s, u"Band"_s});
    const QString gone = platform::toDrivePath(folder.filePath(u"gone"_s)) + u'\\';
    workflow.setFile(gone, u"01.mp3"_s);
    workflow.proposeFromName({}, u"new"_s, {});
    ASSERT_TRUE(QDir(folder.filePath(u"gone"_s)).removeRecursively());
    folder.write(u"01.mp3"_s, "same name, other folder");
    EXPECT_FALSE(workflow.renameFile());
    EXPECT_EQ(boxes.texts(), QStringList{u"La cartella \"%1\" non esiste più."_s.arg(gone)});
    EXPECT_EQ(folder.read(u"01.mp3"_s), QByteArray("same name, other folder"));
    EXPECT_THROW(workflow.readTags(), platform::FileOpenError);
}

// A file that cannot be read (here a FIFO named as an MP3 file) is no file without tags:
// the load throws with the reason and leaves no values of the file before, and Rinomina
// refuses before it renames anything.
TEST_F(RenamingWorkflowTest, AFileThatCannotBeReadIsNeitherFilledNorRenamedNorWritten)
{
    writeMp3(u"a.mp3"_s, {u"Song"_s, u"Band"_s});
    TagFieldValues fields = load(u"a.mp3"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath(u"pipe.mp3"_s)).constData(), 0600), 0);
    workflow.setFile(folder.drivePath() + u'\\', u"pipe.mp3"_s);
    try {
        workflow.readTags();
        ADD_FAILURE() << "read";
    } catch (const platform::FileOpenError &error) {
        EXPECT_TRUE(error.message().contains(u"Not a regular file"_s)) << error.message().toStdString();
    }
    EXPECT_EQ(workflow.loadedFields({}, [](TagField) { return false; })[TagField::Title], QString());
    workflow.proposeFromTags(fields);
    bool asked = false;
    EXPECT_FALSE(workflow.renameAndWriteTags(fields, [&](const QString &) { return asked = true; }));
    EXPECT_FALSE(asked);
    EXPECT_EQ(workflow.lastSaveResult().status, TID3v2::SaveStatus::ReadFailed);
    EXPECT_TRUE(folder.exists(u"pipe.mp3"_s));
    EXPECT_FALSE(folder.exists(u"[Band] - Song.mp3"_s));
    EXPECT_TRUE(boxes.requests().isEmpty()) << boxes.texts().join(u'\n').toStdString();
}

TEST_F(RenamingWorkflowTest, AnyOtherFileStartsWithItsNameCleanedOrNothing)
{
    const struct {
        bool startEmpty, clean;
        std::optional<QString> expected;
    } cases[] = {
        {false, false, u"My.Song (live)"_s},
        {false, true, u"My Song"_s},
        {true, true, u"My Song"_s},
        {true, false, std::nullopt},
    };
    for (const auto &c : cases) {
        workflow.setSettings({0, u"[%1] - %2"_s, c.startEmpty, c.clean});
        workflow.setFile({}, u"My.Song (live).doc"_s);
        EXPECT_EQ(workflow.anyFileName(), c.expected) << c.startEmpty << c.clean;
    }
}

TEST_F(RenamingWorkflowTest, StepsStopAtEitherEnd)
{
    const struct {
        int selected, count, next, previous;
    } cases[] = {{-1, 0, -1, -1}, {-1, 3, 0, -1}, {0, 3, 1, 0}, {1, 3, 2, 0}, {2, 3, 2, 1}};
    for (const auto &c : cases) {
        EXPECT_EQ(RenamingWorkflow::nextIndex(c.selected, c.count), c.next) << c.selected << "/" << c.count;
        EXPECT_EQ(RenamingWorkflow::previousIndex(c.selected), c.previous) << c.selected;
    }
}
