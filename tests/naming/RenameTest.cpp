// Renames on real files in a temporary folder (the current folder while a test runs).

#include "RenameTestSupport.h"
#include "naming/RenameFileSystem.h"
#include "naming/TKestrava.h"

#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
using namespace renameMessages;

bool isReadOnly(const QString &name)
{
    return platform::fileAttributes(name) & platform::faReadOnly;
}

void makeReadOnly(const QString &path)
{
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
}

// The platform's calls, with each rename noted before it runs.
class RecordingFileSystem : public PlatformRenameFileSystem {
public:
    platform::RenameResult rename(const QString &from, const QString &to) override
    {
        renames.append(from + " > " + to);
        return PlatformRenameFileSystem::rename(from, to);
    }
    QStringList renames;
};

using RenameTest = RenameFixture<RecordingFileSystem>;
} // namespace

TEST_F(RenameTest, RenamesAndLowerCasesTheExtension)
{
    folder.write("Song.MP3", "tune");
    EXPECT_TRUE(TKestrava::PerformRename("Song.MP3", "Tune", ".mp3"));
    EXPECT_EQ(folderContents(folder.path()), (FolderContents{{"Tune.mp3", "tune"}}));
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(RenameTest, TargetLengthIsLimitedInCharactersAndByTheFileSystem)
{
    const struct {
        QString newName;
        bool renamed;
        QString message;
    } cases[] = {
        {QString(196, 'a'), true, {}},                    // 200 characters with ".txt"
        {QString(197, 'a'), false, tooLong},              // 201
        {QString(125, QChar(0xE8)), true, {}},            // 129 characters, 254 bytes
        {QString(126, QChar(0xE8)), false, tooManyBytes}, // 130 characters, 256 bytes
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.newName.size());
        makeReadOnly(folder.write("old.txt", "x"));
        messages.clear();
        const QString target = c.newName + ".txt";
        EXPECT_EQ(rename("old.txt", c.newName), c.renamed);
        EXPECT_EQ(folder.exists(target), c.renamed);
        if (c.renamed) {
            EXPECT_TRUE(messages.texts().isEmpty());
            QFile::remove(target);
        } else {
            EXPECT_EQ(messages.texts(), QStringList{c.message});
            EXPECT_TRUE(isReadOnly("old.txt")) << "a refused long name touches nothing";
            QFile::remove("old.txt");
        }
    }
}

TEST_F(RenameTest, ReadOnlySourceIsRenamedAndLeftWritable)
{
    makeReadOnly(folder.write("a.txt", "x"));
    ASSERT_TRUE(isReadOnly("a.txt"));
    EXPECT_TRUE(rename("a.txt", "b"));
    EXPECT_FALSE(isReadOnly("b.txt"));
    EXPECT_FALSE(folder.exists("a.txt"));
}

TEST_F(RenameTest, ExistingOtherTargetIsRefusedInAnInformationBox)
{
    makeReadOnly(folder.write("a.txt", "mine"));
    folder.write("b.txt", "other");
    EXPECT_FALSE(rename("a.txt", "b"));
    ASSERT_EQ(messages.requests().size(), 1);
    const platform::MessageRequest &box = messages.requests().first();
    EXPECT_EQ(box.text, exists);
    EXPECT_EQ(box.caption, "Information");
    EXPECT_EQ(box.kind, platform::MessageKind::Information);
    EXPECT_EQ(box.buttons, int(platform::MessageButton::Ok));
    EXPECT_EQ(folderContents(folder.path()), (FolderContents{{"a.txt", "mine"}, {"b.txt", "other"}}));
    EXPECT_FALSE(isReadOnly("a.txt"));
}

// Names that differ only in letter case are two files here; a hard link is the same
// file under a name that differs in more than letter case. Each is left as it is.
TEST_F(RenameTest, TargetThatIsAnotherNameOrFolderIsNeverReplaced)
{
    const struct {
        const char *label, *oldName, *newName;
        void (*prepare)(TempFolder &);
        bool renameTried; // a folder is not a file: the rename itself refuses it
    } cases[] = {
        {"other file", "a.txt", "b", [](TempFolder &f) { f.write("b.txt", "other"); }, false},
        {"folder", "a.txt", "b", [](TempFolder &) { QDir().mkdir("b.txt"); }, true},
        {"case-different file", "song.mp3", "Song", [](TempFolder &f) { f.write("Song.mp3", "other"); }, false},
        {"hard link", "a.txt", "b", [](TempFolder &) { ASSERT_EQ(::link("a.txt", "b.txt"), 0); }, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        TempFolder caseFolder;
        caseFolder.write(c.oldName, "mine");
        c.prepare(caseFolder);
        const auto before = folderContents(caseFolder.path());
        messages.clear();
        fileSystem.renames.clear();
        EXPECT_FALSE(rename(c.oldName, c.newName));
        EXPECT_EQ(messages.texts(), QStringList{exists});
        EXPECT_EQ(folderContents(caseFolder.path()), before);
        EXPECT_EQ(fileSystem.renames.isEmpty(), !c.renameTried) << fileSystem.renames.join(", ").toStdString();
    }
}

TEST_F(RenameTest, TargetCreatedByAnotherProgramAfterTheCheckIsNotReplaced)
{
    // Creates the target right after answering that it does not exist.
    class RacingFileSystem : public PlatformRenameFileSystem {
    public:
        explicit RacingFileSystem(TempFolder &folder) : m_folder(folder) {}
        bool fileExists(const QString &name) override
        {
            const bool found = PlatformRenameFileSystem::fileExists(name);
            m_folder.write(name, "theirs");
            return found;
        }

    private:
        TempFolder &m_folder;
    } racing(folder);

    folder.write("a.txt", "mine");
    EXPECT_FALSE(TKestrava::PerformRename("a.txt", "b", ".txt", racing));
    EXPECT_EQ(messages.texts(), QStringList{exists});
    EXPECT_EQ(folderContents(folder.path()), (FolderContents{{"a.txt", "mine"}, {"b.txt", "theirs"}}));
}

TEST_F(RenameTest, UnchangedNameSucceedsAndLeavesOtherFilesAlone)
{
    folder.write("song.mp3", "tune");
    folder.write("Zerko.mp3", "user's own");
    EXPECT_TRUE(rename("song.mp3", "song"));
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_EQ(fileSystem.renames, (QStringList{"song.mp3 > Zerko.mp31", "Zerko.mp31 > song.mp3"}));
    EXPECT_EQ(folderContents(folder.path()),
              (FolderContents{{"song.mp3", "tune"}, {"Zerko.mp3", "user's own"}}));
}

TEST_F(RenameTest, ExtensionCaseChangeAloneIsARename)
{
    folder.write("Photo.JPG", "jpeg");
    EXPECT_TRUE(rename("Photo.JPG", "Photo"));
    EXPECT_EQ(folderContents(folder.path()), (FolderContents{{"Photo.jpg", "jpeg"}}));
}

TEST_F(RenameTest, VanishedSourceSaysTheFileIsGone)
{
    EXPECT_FALSE(rename("gone.txt", "new"));
    EXPECT_EQ(messages.texts(), QStringList{gone("gone.txt")});
    EXPECT_TRUE(folderContents(folder.path()).isEmpty());
}

// The system refuses the rename: as a user, the folder may not be written; as root
// (who may write anywhere), the file is marked immutable.
TEST_F(RenameTest, RenameRefusedByPermissionsSaysPermissionDenied)
{
    folder.write("a.txt", "x");
    const bool asRoot = ::geteuid() == 0;
    const auto chattr = [&](const char *flag) {
        return QProcess::execute(QStringLiteral("chattr"), {QString::fromLatin1(flag), folder.filePath("a.txt")}) == 0;
    };
    if (asRoot && !chattr("+i"))
        GTEST_SKIP() << "running as root on a file system without the immutable flag: nothing refuses";
    if (!asRoot)
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool renamed = rename("a.txt", "b");
    if (asRoot)
        chattr("-i");
    else
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(renamed);
    EXPECT_EQ(messages.texts(), QStringList{denied("a.txt")});
    EXPECT_EQ(folderContents(folder.path()), (FolderContents{{"a.txt", "x"}}));
}

// Here a name that begins with "." is a hidden file: an empty new name would hide the
// file from the list instead of renaming it.
TEST_F(RenameTest, EmptyNewNameIsRefusedAndHidesNothing)
{
    folder.write("(1).jpg", "jpeg");
    EXPECT_FALSE(rename("(1).jpg", ""));
    EXPECT_FALSE(rename("(1).jpg", " \t "));
    EXPECT_EQ(messages.texts(), (QStringList{emptyName, emptyName}));
    EXPECT_EQ(folderContents(folder.path()), (FolderContents{{"(1).jpg", "jpeg"}}));
}
