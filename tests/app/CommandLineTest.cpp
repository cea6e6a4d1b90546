#include "app/CommandLine.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(CommandLineTest, PathHelpVersionAndMistakes)
{
    const struct {
        QStringList arguments;
        CommandLine::Action action;
        QString path;
        int exitCode;
    } cases[] = {
        {{}, CommandLine::Run, {}, 0},
        {{u"/music/song.mp3"_s}, CommandLine::Run, u"/music/song.mp3"_s, 0},
        {{u"--"_s, u"-odd name.mp3"_s}, CommandLine::Run, u"-odd name.mp3"_s, 0},
        {{u"--help"_s}, CommandLine::ShowHelp, {}, 0},
        {{u"-h"_s}, CommandLine::ShowHelp, {}, 0},
        {{u"--version"_s}, CommandLine::ShowVersion, {}, 0},
        {{u"--frobnicate"_s}, CommandLine::Refuse, {}, 2},
        {{u"a"_s, u"b"_s}, CommandLine::Refuse, {}, 2},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const CommandLine line = CommandLine::parse(QStringList{u"kestrava"_s} + c.arguments);
        EXPECT_EQ(line.action(), c.action);
        EXPECT_EQ(line.path(), c.path);
        EXPECT_EQ(line.exitCode(), c.exitCode);
    }
    EXPECT_EQ(CommandLine::parse({u"kestrava"_s, u"--version"_s}).text(), u"kestrava %1"_s.arg(KESTRAVA_VERSION));
}

// The installed program answers --help and --version on a machine without a display.
TEST(CommandLineTest, ProgramAnswersWithoutADisplay)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    const auto run = [&](const QString &option) {
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(KESTRAVA_EXECUTABLE), {option});
        EXPECT_TRUE(program.waitForFinished(20000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
        return QString::fromLocal8Bit(program.readAllStandardOutput());
    };
    EXPECT_EQ(run(u"--version"_s), u"kestrava %1\n"_s.arg(KESTRAVA_VERSION));
    EXPECT_TRUE(run(u"--help"_s).startsWith(u"Usage: kestrava [PATH]"_s));
}
