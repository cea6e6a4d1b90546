// kestrava-tags run with the fault shim preloaded: a file that cannot be read is never
// taken for one without tags, and a kernel copy that answers 0 too early never cuts the
// audio off.

#include "tests/common/TempFolder.h"
#include "tests/tags/TagBytes.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

using namespace tagbytes;

namespace {
struct ToolRun {
    int exitCode = -1;
    QString err;
};

ToolRun runTool(const QStringList &arguments, const QString &folder, const QString &call, const QString &file = {})
{
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_PRELOAD"), QStringLiteral(TAG_FAULT_SHIM));
    environment.insert(QStringLiteral("FAULT_SHIM_CALL"), call);
    if (!file.isEmpty())
        environment.insert(QStringLiteral("FAULT_SHIM_FILE"), file);
    tool.setProcessEnvironment(environment);
    tool.setWorkingDirectory(folder);
    tool.start(QStringLiteral(KESTRAVA_TAGS_TOOL), arguments);
    tool.waitForFinished(30000);
    return {tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1,
            QString::fromLocal8Bit(tool.readAllStandardError())};
}

// A tag with what a load that fell back on the ID3v1 tag would lose: a comment, a link
// and an artist ID3v1 cannot spell.
QByteArray richSong(int padding)
{
    return id3v2Tag(3,
                    frameV23("TIT2", latin1Text("Old")) + frameV23("TPE1", utf16Text(QStringLiteral("Артист"))) +
                        frameV23("COMM", QByteArray("\0eng\0", 5) + "A comment") +
                        frameV23("WXXX", QByteArray("\0\0", 2) + "https://example.org/"),
                    0, padding) +
           silentAudio(200) + id3v1("Old", "??????", 1, 17);
}
} // namespace

TEST(ToolFaultTest, AFileThatCannotBeReadIsRefusedWithItsCauseAndLeftAsItWas)
{
    for (const char *call : {"open", "fstat", "pread"}) {
        for (const char *command : {"set", "rename"}) {
            TempFolder folder;
            const QByteArray song = richSong(100);
            folder.write("song.mp3", song);
            const ToolRun run = runTool({command, "song.mp3", "--title", "x"}, folder.path(), call, "song.mp3");
            EXPECT_EQ(run.exitCode, 1) << call << ' ' << command;
            EXPECT_TRUE(run.err.contains("Input/output error")) << call << ' ' << command << ": " << run.err.toStdString();
            EXPECT_EQ(folder.read("song.mp3"), song) << call << ' ' << command;
        }
    }
}

TEST(ToolFaultTest, AKernelCopyThatStopsEarlyNeverCutsTheAudio)
{
    for (const char *call : {"copy_file_range_0_first", "copy_file_range_0_half"}) {
        TempFolder folder;
        const QByteArray song = richSong(0); // no room: the file is rewritten
        folder.write("song.mp3", song);
        const QString comment(300, QLatin1Char('c'));
        const ToolRun run = runTool({"set", "song.mp3", "--comment", comment}, folder.path(), call);
        const QByteArray now = folder.read("song.mp3");
        // The audio whole; the ID3v1 record after it is written by the same save.
        EXPECT_EQ(afterTag(now).chopped(128), afterTag(song).chopped(128)) << call << ": " << run.err.toStdString();
        if (run.exitCode == 0)
            EXPECT_TRUE(frameOf(now, "COMM").data.endsWith(comment.toLatin1())) << call;
        else
            EXPECT_EQ(now, song) << call;
    }
}
