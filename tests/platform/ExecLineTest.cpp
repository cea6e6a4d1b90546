// Program links of the send-to folder: an Exec line becomes exactly the argument vector
// the desktop-entry rules give, the program is found through PATH only, and a selected
// file is only ever one argument.

#include "platform/ExecLine.h"
#include "platform/Launcher.h"
#include "platform/NativeNames.h"
#include "platform/ShellLinks.h"
#include "tests/common/TempFolder.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <optional>
#include <unistd.h>

using namespace platform;
using namespace Qt::StringLiterals;

TEST(ExecLineTest, LinesBecomeExactArguments)
{
    const QStringList three = {u"/m/one.mp3"_s, u"/m/two words.mp3"_s, u"/m/x:--output=PWNED y.mp3"_s};
    const ExecFields fields{three, u"player-icon"_s, u"Player"_s, u"/home/u/sendto/player.desktop"_s};
    const ExecFields one{{u"/m/plain:colon.mp3"_s}, QString(), u"Player"_s, u"/l.desktop"_s};
    const ExecFields odd{{u"/m/$(touch pwned)`id`;\n'\"\\.mp3"_s}, QString(), QString(), QString()};
    const ExecFields none{};
    struct Case {
        const char *exec;
        const ExecFields &fields;
        std::optional<QStringList> argv;
    };
    const Case cases[] = {
        // sh -c with its script quoted: the file is "$1", never the script
        {R"(sh -c "printf '%%s\\n' \"\$1\"" sh %f)", fields,
         QStringList{u"sh"_s, u"-c"_s, u"printf '%s\\n' \"$1\""_s, u"sh"_s, three[0]}},
        {"/bin/sh -c 'cat \"$1\"' sh %f", fields,
         QStringList{u"/bin/sh"_s, u"-c"_s, u"cat \"$1\""_s, u"sh"_s, three[0]}},
        // env: the program is env, its arguments follow, all files for %U
        {"/usr/bin/env VAR=x prog %U", fields, QStringList{u"/usr/bin/env"_s, u"VAR=x"_s, u"prog"_s} + three},
        {"python3 script.py %f", fields, QStringList{u"python3"_s, u"script.py"_s, three[0]}},
        {"prog %F", fields, QStringList{u"prog"_s} + three},
        {"prog --file=%f --name %c --from %k", one,
         QStringList{u"prog"_s, u"--file=/m/plain:colon.mp3"_s, u"--name"_s, u"Player"_s, u"--from"_s, u"/l.desktop"_s}},
        {"prog %i %u", fields, QStringList{u"prog"_s, u"--icon"_s, u"player-icon"_s, three[0]}},
        {"prog %i %u", one, QStringList{u"prog"_s, one.files[0]}},
        // shell syntax is text: nothing expands it
        {"echo $(touch pwned) `id` %f", odd,
         QStringList{u"echo"_s, u"$(touch"_s, u"pwned)"_s, u"`id`"_s, odd.files[0]}},
        {"prog %F", odd, QStringList{u"prog"_s} + odd.files},
        {"\"/opt/my prog/run\" \"a b\" \"\" 100%% %f", one,
         QStringList{u"/opt/my prog/run"_s, u"a b"_s, QString(), u"100%"_s, one.files[0]}},
        {"prog\targ\nnext", none, QStringList{u"prog"_s, u"arg"_s, u"next"_s}},
        {"prog %d %D %n %N %v %m %f", one, QStringList{u"prog"_s, one.files[0]}},
        // no file code: the first file is the last argument; no files, none
        {"\"/usr/bin/player\"", fields, QStringList{u"/usr/bin/player"_s, three[0]}},
        {"prog %F", none, QStringList{u"prog"_s}},
        {"prog %f", none, QStringList{u"prog"_s}},
        // refused
        {"", fields, std::nullopt},
        {"%f", fields, std::nullopt},
        {"%F --x", fields, std::nullopt},
        {"/usr/bin/%f", fields, std::nullopt},
        {"prog%c", fields, std::nullopt},
        {"VAR=x prog %f", fields, std::nullopt},
        {"prog %f %F", fields, std::nullopt},
        {"prog %f %u", fields, std::nullopt},
        {"prog --all=%F", fields, std::nullopt},
        {"prog x%i", fields, std::nullopt},
        {"prog %x", fields, std::nullopt},
        {"prog %", fields, std::nullopt},
        {"sh -c \"cat %f\"", fields, std::nullopt},
        {"sh -c 'cat %f'", fields, std::nullopt},
        {"prog \"unclosed %f", fields, std::nullopt},
        {"prog 'unclosed", fields, std::nullopt},
    };
    for (const Case &c : cases) {
        const std::optional<QStringList> argv = expandExecLine(QString::fromUtf8(c.exec), c.fields);
        EXPECT_EQ(argv.has_value(), c.argv.has_value()) << c.exec;
        if (argv && c.argv) {
            EXPECT_EQ(*argv, *c.argv) << c.exec << "\n got: " << argv->join(u'|').toStdString();
        }
    }
}

class ProgramLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_path = qgetenv("PATH");
        // a relative and an empty entry, which must never mean the file's folder
        qputenv("PATH", QFile::encodeName(folder.filePath(u"bin"_s)) + ":.::" + m_path);
    }
    void TearDown() override { qputenv("PATH", m_path); }

    // An executable that writes its folder and arguments, one a line (NUL-separated).
    QString recorder(const QString &name, const QByteArray &mark)
    {
        const QString path = folder.write(name, "#!/bin/sh\n{ printf '" + mark + "\\0%s\\0' \"$PWD\"; "
                                                    "for a in \"$@\"; do printf '%s\\0' \"$a\"; done; } > '"
                                                    + QFile::encodeName(record()) + ".tmp' && mv '"
                                                    + QFile::encodeName(record()) + ".tmp' '"
                                                    + QFile::encodeName(record()) + "'\n");
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
        return path;
    }
    QString record() const { return folder.filePath(u"record"_s); }
    // The recorded words (mark, folder, arguments); empty when nothing ran within 10 s.
    QList<QByteArray> recorded()
    {
        QDeadlineTimer deadline(10000);
        while (!QFile::exists(record()) && !deadline.hasExpired())
            QThread::msleep(20);
        QFile file(record());
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QList<QByteArray> words = file.readAll().split('\0');
        words.removeLast();
        file.close();
        QFile::remove(record());
        return words;
    }
    QString link(const QByteArray &keys)
    {
        return folder.write(u"sendto/link.desktop"_s, "[Desktop Entry]\nType=Application\nName=Rec\n" + keys);
    }
    int send(const QString &linkFile, const QStringList &files)
    {
        const std::optional<ShellLink> loaded = loadShellLink(linkFile);
        EXPECT_TRUE(loaded.has_value());
        return loaded ? launchProgramLink(*loaded, linkFile, files, folder.filePath(u"music"_s)) : 0;
    }

    TempFolder folder;
    QByteArray m_path;
};

TEST_F(ProgramLinkTest, BareNamesComeFromPathAndFilesAreOneArgumentEach)
{
    recorder(u"bin/rec"_s, "path");
    // the same name beside the files, and in the current folder, must not run
    recorder(u"music/rec"_s, "beside");
    recorder(u"rec"_s, "current");
    const QByteArray music = QFile::encodeName(folder.filePath(u"music"_s));
    const QString colon = folder.write(u"music/x:--output=PWNED y.mp3"_s, "a");
    const QString plain = folder.write(u"music/plain:colon.mp3"_s, "b");
    const QString newline = folder.write(u"music/two\nlines $(id).mp3"_s, "c");
    const QString raw = decodeNativeName(music + "/caf\xe9.mp3");
    ::close(::open(music + "/caf\xe9.mp3", O_WRONLY | O_CREAT, 0644));

    EXPECT_GT(send(link("Exec=rec %F\n"), {colon, plain, newline}), 32);
    EXPECT_EQ(recorded(), (QList<QByteArray>{"path", music, colon.toUtf8(), plain.toUtf8(), newline.toUtf8()}));

    EXPECT_GT(send(link("Exec=rec --in %f\nPath=" + QFile::encodeName(folder.path()) + "\n"), {plain, colon}), 32);
    EXPECT_EQ(recorded(), (QList<QByteArray>{"path", QFile::encodeName(folder.path()), "--in", plain.toUtf8()}));

    // a name that is not UTF-8 keeps its bytes
    EXPECT_GT(send(link("Exec=rec %U\n"), {raw}), 32);
    EXPECT_EQ(recorded(), (QList<QByteArray>{"path", music, music + "/caf\xe9.mp3"}));
    ::unlink(music + "/caf\xe9.mp3");

    // a program named by a path relative to the folder is never run
    EXPECT_LE(send(link("Exec=./rec %f\n"), {plain}), 32);
    EXPECT_LE(send(link("Exec=music/rec %f\n"), {plain}), 32);
    // TryExec: a missing program refuses the link
    EXPECT_LE(send(link("Exec=rec %f\nTryExec=no-such-program-here\n"), {plain}), 32);
    EXPECT_FALSE(programLinkInstalled(*loadShellLink(link("Exec=rec\nTryExec=no-such-program-here\n"))));
    EXPECT_TRUE(programLinkInstalled(*loadShellLink(link("Exec=rec\nTryExec=rec\n"))));
    EXPECT_FALSE(QFile::exists(record()));
}

TEST_F(ProgramLinkTest, ShellScriptsGetTheFileAsTheirArgumentNeverAsTheScript)
{
    const QString notes = folder.write(u"music/notes.txt"_s, "touch " + QFile::encodeName(folder.filePath(u"ran"_s)) + "\n");
    const QByteArray out = QFile::encodeName(folder.filePath(u"out"_s));
    // the line as a desktop file holds it: string escapes (\\) under the quoting
    link(R"(Exec=/bin/sh -c "printf '%%s' \\"\\$1\\" > )" + out + R"(" sh %f)" + "\n");
    EXPECT_GT(send(folder.filePath(u"sendto/link.desktop"_s), {notes}), 32);
    QDeadlineTimer deadline(10000);
    while (QFile(QFile::decodeName(out)).size() == 0 && !deadline.hasExpired())
        QThread::msleep(20);
    QFile written(QFile::decodeName(out));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), notes.toUtf8());
    EXPECT_FALSE(folder.exists(u"ran"_s)) << "the selected file was run as a script";
}

TEST_F(ProgramLinkTest, TerminalLinksRunInATerminalWindow)
{
    // x-terminal-emulator found first through PATH: it records how it was asked
    recorder(u"bin/x-terminal-emulator"_s, "terminal");
    recorder(u"bin/rec"_s, "path");
    const QString song = folder.write(u"music/a b.mp3"_s, "a");
    EXPECT_GT(send(link("Exec=rec %f\nTerminal=true\n"), {song}), 32);
    EXPECT_EQ(recorded(), (QList<QByteArray>{"terminal", QFile::encodeName(folder.filePath(u"music"_s)), "-e",
                                             QFile::encodeName(folder.filePath(u"bin/rec"_s)), song.toUtf8()}));
}
