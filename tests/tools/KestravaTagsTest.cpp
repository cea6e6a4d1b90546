// kestrava-tags run as a program on MP3 files in a temporary folder.

#include "tags/TID3TagInfo.h"
#include "tags/TID3v2.h"
#include "tests/common/StateHome.h"
#include "tests/common/TempFolder.h"
#include "tests/tags/Mp3Files.h"
#include "tests/tags/TagBytes.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <cstdio>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <memory>
#include <vector>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {
struct ToolRun {
    int exitCode = -1;
    QString out, err;
};

ToolRun runTool(const QStringList &arguments)
{
    QProcess tool;
    tool.start(QStringLiteral(KESTRAVA_TAGS_TOOL), arguments);
    tool.waitForFinished(30000);
    return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
            QString::fromLocal8Bit(tool.readAllStandardOutput()), QString::fromLocal8Bit(tool.readAllStandardError())};
}

class KestravaTagsTest : public ::testing::Test {
protected:
    void writeMp3(const QString &name, const QString &title, const QString &artist, int track)
    {
        tagbytes::writeMp3(folder, name, {.title = title, .artist = artist, .track = track});
    }
    TempFolder folder;
};
} // namespace

TEST_F(KestravaTagsTest, SetRefusesATrackTheFieldCouldNotHold)
{
    writeMp3(u"a.mp3"_s, u"Title"_s, u"Band"_s, 4);
    const QByteArray before = folder.read(u"a.mp3"_s);
    for (const QString &track : {u"-1"_s, u"abc"_s, u"1000"_s}) {
        const ToolRun run = runTool({u"set"_s, u"a.mp3"_s, u"--track"_s, track});
        EXPECT_EQ(run.exitCode, 2) << track.toStdString();
        EXPECT_TRUE(run.err.contains(u"'%1'"_s.arg(track))) << run.err.toStdString();
        EXPECT_EQ(folder.read(u"a.mp3"_s), before);
    }
    EXPECT_EQ(runTool({u"set"_s, u"a.mp3"_s, u"--track"_s, u"300"_s}).exitCode, 0);
    TID3v2 v2;
    ASSERT_TRUE(v2.ReadFromFile(folder.filePath(u"a.mp3"_s)));
    EXPECT_EQ(v2.Track(), 300);
    EXPECT_EQ(v2.Title(), u"Title"_s);
}

TEST_F(KestravaTagsTest, NativeNamesAreTakenAsTheyAre)
{
    writeMp3(u"back\\slash.mp3"_s, u"Backslash"_s, u"Band"_s, 1);
    writeMp3(u"back/slash.mp3"_s, u"Other"_s, u"Band"_s, 1);
    const QByteArray other = folder.read(u"back/slash.mp3"_s);
    ASSERT_EQ(runTool({u"set"_s, u"back\\slash.mp3"_s, u"--title"_s, u"Changed"_s}).exitCode, 0);
    EXPECT_EQ(folder.read(u"back/slash.mp3"_s), other);
    TID3v2 v2;
    ASSERT_TRUE(v2.ReadFromFile(folder.drivePath() + u"\\back\uF05Cslash.mp3"_s));
    EXPECT_EQ(v2.Title(), u"Changed"_s);

    const ToolRun dump = runTool({u"dump"_s, folder.filePath(u"back\\slash.mp3"_s)});
    ASSERT_EQ(dump.exitCode, 0) << dump.err.toStdString();
    const QJsonObject entry = QJsonDocument::fromJson(dump.out.toUtf8()).array().at(0).toObject();
    EXPECT_EQ(entry[u"id3v2"_s].toObject()[u"title"_s].toString(), u"Changed"_s);
    EXPECT_TRUE(entry[u"id3v2"_s].toObject()[u"frames"_s].toArray().contains(u"TIT2"_s));
    EXPECT_TRUE(entry[u"id3v1"_s].toObject()[u"hasTag"_s].toBool());
}

TEST_F(KestravaTagsTest, RenameDoesWhatTheWindowsRinominaDoes)
{
    writeMp3(u"01.mp3"_s, u"old title"_s, u"the band"_s, 7);
    const ToolRun run = runTool({u"rename"_s, u"01.mp3"_s, u"--pattern"_s, u"%5 - %1 - %2"_s, u"--case"_s, u"1"_s,
                             u"--title"_s, u"new title"_s, u"--link"_s, u"https://Example.com/A"_s});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString renamed = u"07 - The Band - New Title.mp3"_s;
    EXPECT_EQ(run.out.trimmed(), folder.filePath(renamed));
    EXPECT_FALSE(folder.exists(u"01.mp3"_s));
    TID3v2 v2;
    ASSERT_TRUE(v2.ReadFromFile(folder.filePath(renamed)));
    EXPECT_EQ(v2.Title(), u"New Title"_s);
    EXPECT_EQ(v2.Artist(), u"The Band"_s);
    EXPECT_EQ(v2.Link(), u"https://Example.com/A"_s);
    TID3TagInfo v1;
    v1.ReadFromFile(folder.filePath(renamed));
    EXPECT_EQ(v1.GetTitle(), u"New Title"_s);
    EXPECT_EQ(v1.GetTrack(), 7);

    // Another file is renamed and gets no tag; a taken name is refused with status 1.
    folder.write(u"My.Notes (draft).txt"_s, "text");
    folder.write(u"My Notes.txt"_s, "taken");
    const ToolRun refused = runTool({u"rename"_s, u"My.Notes (draft).txt"_s, u"--clean"_s, u"--case"_s, u"1"_s});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(u"Nome file gia' esistente"_s)) << refused.err.toStdString();
    EXPECT_EQ(runTool({u"rename"_s, u"My.Notes (draft).txt"_s, u"--name"_s, u"notes"_s, u"--before"_s, u"2024 "_s})
                  .exitCode,
              0);
    EXPECT_EQ(folder.read(u"2024 Notes.txt"_s), QByteArray("text"));
    EXPECT_EQ(runTool({u"rename"_s, u"2024 Notes.txt"_s, u"--title"_s, u"x"_s}).exitCode, 2);
}

TEST_F(KestravaTagsTest, HelpListsEveryCommandAndMistakesExitWithTwo)
{
    const ToolRun help = runTool({u"--help"_s});
    EXPECT_EQ(help.exitCode, 0);
    for (const QString &command : {u"dump FILE"_s, u"set FILE"_s, u"rename FILE"_s, u"undo [N]"_s, u"undo --list"_s, u"undo --skip"_s, u"--help"_s})
        EXPECT_TRUE(help.out.contains(command)) << command.toStdString();
    for (const QStringList &arguments : {QStringList{}, QStringList{u"frob"_s}, QStringList{u"set"_s},
                                         QStringList{u"set"_s, u"a.mp3"_s, u"--colour"_s, u"red"_s}})
        EXPECT_EQ(runTool(arguments).exitCode, 2) << arguments.join(u' ').toStdString();
}

TEST_F(KestravaTagsTest, ANameThatIsNotUtf8IsTakenByteForByte)
{
    writeMp3(u"made.mp3"_s, u"caff\u00e8"_s, u"bar"_s, 3);
    const QByteArray here = QFile::encodeName(folder.path());
    ASSERT_EQ(std::rename(here + "/made.mp3", here + "/Caf\xe9.mp3"), 0); // a Latin-1 name
    // The shell hands the program the name's own bytes.
    QProcess tool;
    tool.setWorkingDirectory(folder.path());
    tool.start(u"/bin/sh"_s, {u"-c"_s, u"exec \"$0\" rename \"$(printf 'Caf\\351.mp3')\" --pattern '%5 - %1 - %2' --case 1"_s,
                              QStringLiteral(KESTRAVA_TAGS_TOOL)});
    ASSERT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().constData();
    EXPECT_EQ(tool.readAllStandardOutput().trimmed(), here + "/03 - Bar - Caff\xc3\xa8.mp3");
    EXPECT_FALSE(QFile::exists(QFile::decodeName(here + "/Caf\xef\xbf\xbd.mp3")));
    TID3v2 v2;
    ASSERT_TRUE(v2.ReadFromFile(folder.filePath(u"03 - Bar - Caff\u00e8.mp3"_s)));
    EXPECT_EQ(v2.Title(), u"Caff\u00e8"_s);
}

TEST_F(KestravaTagsTest, SetRefusesATagWithUnreadablePartsUnlessForced)
{
    using namespace tagbytes;
    const QByteArray damaged = id3v2Tag(3, frameV23("TIT2", latin1Text("Old")) + QByteArray("\x01\x02garbage", 9) +
                                               frameV23("TPE1", latin1Text("Band")),
                                       0, 20) +
                               silentAudio(2);
    folder.write(u"d.mp3"_s, damaged);
    ToolRun run = runTool({u"set"_s, u"d.mp3"_s, u"--title"_s, u"New"_s});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(u"parts of this tag cannot be read and would be lost"_s)) << run.err.toStdString();
    EXPECT_EQ(folder.read(u"d.mp3"_s), damaged);

    run = runTool({u"set"_s, u"d.mp3"_s, u"--title"_s, u"New"_s, u"--force"_s});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    TID3v2 v2;
    ASSERT_TRUE(v2.ReadFromFile(folder.filePath(u"d.mp3"_s)));
    EXPECT_EQ(v2.Title(), u"New"_s);
    EXPECT_EQ(v2.Artist(), u"Band"_s);
}

TEST_F(KestravaTagsTest, UndoTakesBackSetAndRenameInLaterRuns)
{
    const StateHome stateHome(folder.filePath(u"state"_s));
    writeMp3(u"01.mp3"_s, u"old title"_s, u"the band"_s, 7);
    const QByteArray original = folder.read(u"01.mp3"_s);
    ASSERT_EQ(runTool({u"set"_s, u"01.mp3"_s, u"--album"_s, u"An album"_s}).exitCode, 0);
    ASSERT_EQ(runTool({u"rename"_s, u"01.mp3"_s, u"--title"_s, u"new"_s}).exitCode, 0);

    const ToolRun list = runTool({u"undo"_s, u"--list"_s});
    EXPECT_EQ(list.exitCode, 0);
    const QStringList lines = list.out.trimmed().split(u'\n');
    ASSERT_EQ(lines.size(), 2) << list.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith(u"1\tname and tags\t"_s + folder.filePath(u"01.mp3"_s))) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].startsWith(u"2\ttags\t"_s)) << lines[1].toStdString();

    const ToolRun undone = runTool({u"undo"_s, u"2"_s});
    EXPECT_EQ(undone.exitCode, 0) << undone.err.toStdString();
    EXPECT_EQ(folder.read(u"01.mp3"_s), original);
    EXPECT_EQ(QDir(folder.path()).entryList({u"*.mp3"_s}).size(), 1);
    const ToolRun nothing = runTool({u"undo"_s});
    EXPECT_EQ(nothing.exitCode, 1);
    EXPECT_TRUE(nothing.err.contains(u"nessuna modifica"_s)) << nothing.err.toStdString();
    EXPECT_EQ(runTool({u"undo"_s, u"x"_s}).exitCode, 2);

    // Another file: only its name is taken back.
    folder.write(u"notes.txt"_s, "text");
    ASSERT_EQ(runTool({u"rename"_s, u"notes.txt"_s, u"--name"_s, u"plan"_s}).exitCode, 0);
    EXPECT_TRUE(runTool({u"undo"_s, u"--list"_s}).out.startsWith(u"1\tname\t"_s));
    EXPECT_EQ(runTool({u"undo"_s}).exitCode, 0);
    EXPECT_EQ(folder.read(u"notes.txt"_s), QByteArray("text"));
    EXPECT_FALSE(folder.exists(u"Plan.txt"_s));
}

TEST_F(KestravaTagsTest, ARefusedUndoIsSkippedSoThatTheOlderOnesCanBeTakenBack)
{
    const StateHome stateHome(folder.filePath(u"state"_s));
    EXPECT_EQ(runTool({u"undo"_s, u"--list"_s}).out.trimmed(), u"nothing can be undone"_s);
    writeMp3(u"01.mp3"_s, u"old title"_s, u"the band"_s, 7);
    writeMp3(u"02.mp3"_s, u"other"_s, u"the band"_s, 8);
    const QByteArray original = folder.read(u"01.mp3"_s);
    ASSERT_EQ(runTool({u"set"_s, u"01.mp3"_s, u"--album"_s, u"An album"_s}).exitCode, 0);
    ASSERT_EQ(runTool({u"set"_s, u"02.mp3"_s, u"--album"_s, u"An album"_s}).exitCode, 0);
    folder.write(u"02.mp3"_s, "changed by another program");

    EXPECT_EQ(runTool({u"undo"_s}).exitCode, 1);
    const ToolRun skipped = runTool({u"undo"_s, u"--skip"_s});
    EXPECT_EQ(skipped.exitCode, 0) << skipped.err.toStdString();
    EXPECT_EQ(folder.read(u"02.mp3"_s), QByteArray("changed by another program"));
    EXPECT_EQ(runTool({u"undo"_s}).exitCode, 0);
    EXPECT_EQ(folder.read(u"01.mp3"_s), original);
    EXPECT_EQ(runTool({u"undo"_s, u"--skip"_s}).exitCode, 1);
}

TEST_F(KestravaTagsTest, ToolsWritingAtOnceEachRecordTheirChange)
{
    const StateHome stateHome(folder.filePath(u"state"_s));
    constexpr int runs = 6;
    std::vector<std::unique_ptr<QProcess>> tools;
    for (int i = 0; i < runs; ++i) {
        const QString name = QString::number(i) + u".mp3"_s;
        writeMp3(name, u"title"_s, u"band"_s, i);
        tools.push_back(std::make_unique<QProcess>());
        tools.back()->start(QStringLiteral(KESTRAVA_TAGS_TOOL), {u"set"_s, name, u"--album"_s, u"Album"_s});
    }
    for (const std::unique_ptr<QProcess> &tool : tools) {
        ASSERT_TRUE(tool->waitForFinished(30000));
        EXPECT_EQ(tool->exitCode(), 0) << tool->readAllStandardError().toStdString();
    }
    const ToolRun list = runTool({u"undo"_s, u"--list"_s});
    EXPECT_TRUE(list.err.isEmpty()) << list.err.toStdString();
    EXPECT_EQ(list.out.trimmed().split(u'\n').size(), runs) << list.out.toStdString();
    EXPECT_EQ(runTool({u"undo"_s, QString::number(runs)}).exitCode, 0);
}

namespace {
// What a test can tell of an entry without following it: kind, mode, identity, and a
// regular file's bytes (SHA-256).
QByteArray entryState(const QString &path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return "missing";
    QByteArray state = QByteArray::number(info.st_mode, 8) + ' ' + QByteArray::number(qulonglong(info.st_ino)) + ' ' +
                       QByteArray::number(qulonglong(info.st_rdev));
    if (S_ISREG(info.st_mode)) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            state += ' ' + QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
    } else if (S_ISLNK(info.st_mode)) {
        state += " -> " + QFile::encodeName(QFile::symLinkTarget(path));
    } else if (S_ISDIR(info.st_mode)) {
        state += ' ' + QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).join(u'/').toUtf8();
    }
    return state;
}
} // namespace

TEST_F(KestravaTagsTest, FoldersDevicesFifosAndOtherFormatsAreRefusedWithNothingChanged)
{
    const StateHome stateHome(folder.filePath(u"state"_s));
    QDir(folder.path()).mkpath(u"albums/inner"_s);
    ::chmod(QFile::encodeName(folder.filePath(u"albums"_s)).constData(), 0555);
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath(u"pipe.mp3"_s)).constData(), 0644), 0);
    ASSERT_TRUE(QFile::link(folder.filePath(u"albums"_s), folder.filePath(u"linked.mp3"_s)));
    // A device node of our own, the same as /dev/null: the real one is never a test's target.
    const bool device = ::mknod(QFile::encodeName(folder.filePath(u"null.mp3"_s)).constData(), S_IFCHR | 0666,
                                makedev(1, 3)) == 0;
    // Other formats, some named as MP3.
    folder.write(u"a.flac"_s, QByteArray("fLaC\0\0\0\x22", 8) + QByteArray(600, '\x11'));
    folder.write(u"a.wav"_s, "RIFF\x24\x08\0\0WAVEfmt " + QByteArray(600, '\x22'));
    folder.write(u"a.jpg"_s, QByteArray("\xFF\xD8\xFF\xE0\0\x10JFIF", 10) + QByteArray(600, '\x33'));
    folder.write(u"flac.mp3"_s, QByteArray("fLaC\0\0\0\x22", 8) + QByteArray(600, '\x11'));

    const struct {
        QStringList arguments;
        QString entry, refusal;
    } cases[] = {
        {{u"rename"_s, u"albums"_s, u"--name"_s, u"Albums"_s}, u"albums"_s, u"not a regular file"_s},
        {{u"set"_s, u"albums"_s, u"--title"_s, u"x"_s}, u"albums"_s, u"not a regular file"_s},
        {{u"rename"_s, u"pipe.mp3"_s, u"--title"_s, u"x"_s}, u"pipe.mp3"_s, u"not a regular file"_s},
        {{u"set"_s, u"pipe.mp3"_s, u"--title"_s, u"x"_s}, u"pipe.mp3"_s, u"not a regular file"_s},
        {{u"rename"_s, u"linked.mp3"_s, u"--title"_s, u"x"_s}, u"linked.mp3"_s, u"not a regular file"_s},
        {{u"set"_s, u"linked.mp3"_s, u"--title"_s, u"x"_s}, u"linked.mp3"_s, u"not a regular file"_s},
        {{u"rename"_s, u"null.mp3"_s, u"--title"_s, u"x"_s}, u"null.mp3"_s, u"not a regular file"_s},
        {{u"set"_s, u"null.mp3"_s, u"--title"_s, u"x"_s}, u"null.mp3"_s, u"not a regular file"_s},
        {{u"set"_s, u"a.flac"_s, u"--title"_s, u"New"_s}, u"a.flac"_s, u"not an MP3 file"_s},
        {{u"set"_s, u"a.wav"_s, u"--title"_s, u"New"_s}, u"a.wav"_s, u"not an MP3 file"_s},
        {{u"set"_s, u"a.jpg"_s, u"--title"_s, u"New"_s}, u"a.jpg"_s, u"not an MP3 file"_s},
        {{u"set"_s, u"flac.mp3"_s, u"--title"_s, u"New"_s}, u"flac.mp3"_s, u"not an MP3 file"_s},
        {{u"rename"_s, u"flac.mp3"_s, u"--title"_s, u"New"_s}, u"flac.mp3"_s, u"not an MP3 file"_s},
    };
    const QStringList names = QDir(folder.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const auto &test : cases) {
        const QString what = test.arguments.join(u' ');
        if (!device && test.entry == u"null.mp3"_s) {
            std::printf("skipped '%s': no device node can be made here (not root)\n", qPrintable(what));
            continue;
        }
        const QByteArray before = entryState(folder.filePath(test.entry));
        const QByteArray inside = entryState(folder.filePath(u"albums/inner"_s));
        const ToolRun run = runTool(test.arguments);
        EXPECT_EQ(run.exitCode, 2) << what.toStdString();
        EXPECT_TRUE(run.err.contains(test.refusal) && run.err.contains(u"nothing changed"_s))
            << what.toStdString() << ": " << run.err.toStdString();
        EXPECT_EQ(entryState(folder.filePath(test.entry)), before) << what.toStdString();
        EXPECT_EQ(entryState(folder.filePath(u"albums/inner"_s)), inside) << what.toStdString();
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), names)
            << what.toStdString();
    }
    EXPECT_FALSE(runTool({u"undo"_s, u"--list"_s}).out.contains(u'\t')) << "a refusal recorded a change";

    // A change whose file has since become a folder or a FIFO is not taken back, and stays.
    folder.write(u"notes.txt"_s, "text");
    ASSERT_EQ(runTool({u"rename"_s, u"notes.txt"_s, u"--name"_s, u"plan"_s}).exitCode, 0);
    ASSERT_TRUE(QFile::remove(folder.filePath(u"Plan.txt"_s)));
    for (const bool fifo : {false, true}) {
        const QByteArray at = QFile::encodeName(folder.filePath(u"Plan.txt"_s));
        ASSERT_EQ(fifo ? ::mkfifo(at.constData(), 0644) : ::mkdir(at.constData(), 0755), 0);
        const QByteArray before = entryState(folder.filePath(u"Plan.txt"_s));
        const ToolRun run = runTool({u"undo"_s});
        EXPECT_EQ(run.exitCode, 2) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(u"not a regular file"_s)) << run.err.toStdString();
        EXPECT_EQ(entryState(folder.filePath(u"Plan.txt"_s)), before);
        EXPECT_FALSE(folder.exists(u"notes.txt"_s));
        EXPECT_TRUE(runTool({u"undo"_s, u"--list"_s}).out.startsWith(u"1\tname\t"_s));
        ASSERT_EQ(fifo ? ::unlink(at.constData()) : ::rmdir(at.constData()), 0);
    }
}

TEST_F(KestravaTagsTest, ALinkedMp3IsRenamedItselfAndItsTagsGoIntoTheFileItNames)
{
    QDir(folder.path()).mkpath(u"store"_s);
    tagbytes::writeMp3(folder, u"store/real.mp3"_s, {.title = u"Old"_s, .artist = u"Band"_s, .track = 1});
    ASSERT_TRUE(QFile::link(u"store/real.mp3"_s, folder.filePath(u"link.mp3"_s)));
    const ToolRun run = runTool({u"rename"_s, u"link.mp3"_s, u"--title"_s, u"New"_s});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString renamed = folder.filePath(u"[Band] - New.mp3"_s);
    EXPECT_EQ(QFile::symLinkTarget(renamed), folder.filePath(u"store/real.mp3"_s));
    EXPECT_FALSE(folder.exists(u"link.mp3"_s));
    TID3v2 v2;
    ASSERT_TRUE(v2.ReadFromFile(folder.filePath(u"store/real.mp3"_s)));
    EXPECT_EQ(v2.Title(), u"New"_s);
}
