// Files whose names are not valid UTF-8 (Latin-1, cp1251 …) on real files: listed,
// tagged, renamed, copied, moved and deleted, with every other name left as it was.

#include "naming/TKestrava.h"
#include "tags/TID3TagInfo.h"
#include "tags/TID3v2.h"
#include "tests/common/TempFolder.h"
#include "tests/tags/TagBytes.h"

#include "platform/DrivePaths.h"
#include "platform/FileOperation.h"
#include "platform/FileSystem.h"
#include "platform/FindFiles.h"
#include "tests/common/EnglishTexts.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "platform/NativeNames.h"

#include <QMap>
#include <QStandardPaths>
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QByteArray latin1Name = "Caf\xe9.mp3";
const QByteArray cp1251Name = "\xcf\xe5\xf1\xed\xff.mp3"; // "Песня.mp3"
// Names that must never be touched: what a lossy decoding would make of the Latin-1
// name, its UTF-8 twin, a native backslash and the UTF-8 of the backslash stand-in.
const QByteArray bystanders[] = {"Caf\xef\xbf\xbd.mp3", "Caf\xc3\xa9.mp3", "a\\b.mp3", "\xef\x81\x9c.mp3", "song.mp3"};

using RawFolder = QMap<QByteArray, QByteArray>; // raw name -> content ("<folder>" for a folder)

RawFolder rawFolder(const QByteArray &path)
{
    RawFolder entries;
    DIR *dir = ::opendir(path.constData());
    if (!dir)
        return entries;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray full = path + '/' + name;
        struct stat info {};
        ::stat(full.constData(), &info);
        QByteArray content = "<folder>";
        if (!S_ISDIR(info.st_mode)) {
            content.resize(qsizetype(info.st_size));
            const int fd = ::open(full.constData(), O_RDONLY);
            content.resize(qsizetype(::read(fd, content.data(), size_t(content.size()))));
            ::close(fd);
        }
        entries.insert(name, content);
    }
    ::closedir(dir);
    return entries;
}

// Qt's own removal cannot name these files: the tests remove what they made.
void removeRawTree(const QByteArray &path)
{
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0)
        return;
    if (S_ISDIR(info.st_mode)) {
        for (const QByteArray &name : rawFolder(path).keys())
            removeRawTree(path + '/' + name);
        ::rmdir(path.constData());
    } else {
        ::unlink(path.constData());
    }
}

void writeRaw(const QByteArray &path, const QByteArray &content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    ASSERT_GE(fd, 0) << path.toHex().constData();
    ASSERT_EQ(::write(fd, content.constData(), size_t(content.size())), content.size());
    ::close(fd);
}

QByteArray mp3(const QByteArray &title)
{
    using namespace tagbytes;
    return id3v2Tag(3, frameV23("TIT2", latin1Text(title))) + silentAudio() + id3v1(title, "Artista", 1, 0);
}

// The drive-side name of each entry the platform lists.
QStringList listed()
{
    QStringList names;
    platform::FindFiles find(QStringLiteral("*.*"));
    platform::FoundEntry entry;
    while (find.next(entry)) {
        if (entry.name != QLatin1String(".") && entry.name != QLatin1String(".."))
            names.append(entry.name);
    }
    return names;
}

QString listedName(const QByteArray &raw)
{
    for (const QString &name : listed()) {
        if (platform::encodeNativeName(platform::toNativePath(name)) == raw)
            return name;
    }
    return QString();
}

class OddNamesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeRaw(latin1Name, mp3("Vecchio"));
        writeRaw(cp1251Name, mp3("Vecchio"));
        for (const QByteArray &name : bystanders)
            writeRaw(name, "bystander " + name);
    }

    void TearDown() override
    {
        for (const QByteArray &name : rawFolder(here()).keys())
            removeRawTree(here() + '/' + name);
    }

    RawFolder bystandersNow(const QByteArray &path) const
    {
        RawFolder now = rawFolder(path);
        RawFolder kept;
        for (const QByteArray &name : bystanders)
            kept.insert(name, now.value(name, "<missing>"));
        return kept;
    }

    RawFolder bystandersBefore() const
    {
        RawFolder before;
        for (const QByteArray &name : bystanders)
            before.insert(name, "bystander " + name);
        return before;
    }

    QByteArray here() const { return platform::encodeNativeName(folder.path()); }

    TempFolder folder;
    platform::ScriptedMessageResponder messages;
};
} // namespace

TEST_F(OddNamesTest, ListedAsOneEntryEachThatNamesItsOwnFile)
{
    const QStringList names = listed();
    ASSERT_EQ(names.size(), 2 + int(std::size(bystanders)));
    QSet<QByteArray> named;
    for (const QString &name : names) {
        EXPECT_TRUE(platform::fileExists(name)) << qPrintable(platform::displayName(name));
        named.insert(platform::encodeNativeName(platform::toNativePath(name)));
    }
    EXPECT_EQ(named.size(), names.size());
    EXPECT_TRUE(named.contains(latin1Name));
    EXPECT_TRUE(named.contains(cp1251Name));
    EXPECT_EQ(platform::displayName(listedName(latin1Name)), QStringLiteral("Caf\u00e9.mp3"));
    // A native backslash is listed as the stand-in, so that "\" only separates.
    EXPECT_EQ(listedName("a\\b.mp3"), QStringLiteral("a\uf05cb.mp3"));
}

TEST_F(OddNamesTest, TagsAreReadAndWrittenThenTheFileIsRenamedToUtf8)
{
    const QMap<QByteArray, QString> renames = {
        {latin1Name, QStringLiteral("Caff\u00e8")},
        {cp1251Name, QStringLiteral("\u041f\u0435\u0441\u043d\u044f")},
    };
    for (auto it = renames.cbegin(); it != renames.cend(); ++it) {
        const QString name = listedName(it.key());
        ASSERT_FALSE(name.isEmpty()) << it.key().toHex().constData();

        TID3v2 v2;
        ASSERT_TRUE(v2.ReadFromFile(name));
        EXPECT_EQ(v2.Title(), QStringLiteral("Vecchio"));
        v2.SetTitle(QStringLiteral("Nuovo"));
        ASSERT_TRUE(v2.WriteToFile(name));
        TID3TagInfo v1;
        v1.ReadFromFile(name);
        EXPECT_EQ(v1.GetTitle(), QStringLiteral("Vecchio"));
        v1.SetTitle(QStringLiteral("Nuovo"));
        v1.WriteToFile(name);

        TKestrava engine;
        engine.SetFileName(name);
        EXPECT_EQ(engine.Extension(), QStringLiteral(".mp3"));
        ASSERT_TRUE(TKestrava::PerformRename(engine.OriginalName(), it.value(), engine.Extension()));
    }
    EXPECT_TRUE(messages.requests().isEmpty()) << qPrintable(messages.texts().join('\n'));

    const RawFolder after = rawFolder(here());
    EXPECT_FALSE(after.contains(latin1Name));
    EXPECT_FALSE(after.contains(cp1251Name));
    for (const QString &newName : renames) {
        const QByteArray file = after.value((newName + ".mp3").toUtf8());
        EXPECT_EQ(tagbytes::frameOf(file, "TIT2").data, QByteArray("\0Nuovo", 6)) << qPrintable(newName);
        EXPECT_EQ(file.right(128).mid(3, 5), QByteArray("Nuovo")) << qPrintable(newName);
        TID3v2 reread;
        reread.ReadFromFile(newName + ".mp3");
        EXPECT_EQ(reread.Title(), QStringLiteral("Nuovo"));
    }
    EXPECT_EQ(after.size(), 2 + int(std::size(bystanders)));
    EXPECT_EQ(bystandersNow(here()), bystandersBefore());
}

TEST_F(OddNamesTest, CopiedMovedAndDeletedByTheFileOperations)
{
    using platform::FileOperationKind;
    const QByteArray album = "Alb\xfcm";
    ASSERT_EQ(::mkdir(album.constData(), 0755), 0);
    writeRaw(album + "/" + latin1Name, "inner");
    ASSERT_EQ(::mkdir("dest", 0755), 0);
    const QString drive = folder.drivePath() + QLatin1Char('\\');
    const QString latin1 = drive + listedName(latin1Name);
    const QString cp1251 = drive + listedName(cp1251Name);
    const QString albumPath = drive + listedName(album);
    const QByteArray original = mp3("Vecchio");

    auto perform = [](FileOperationKind kind, const QStringList &sources, const QString &target) {
        return platform::performFileOperation(kind, sources, target.isEmpty() ? QStringList() : QStringList{target}, nullptr,
                                             englishFileOperationTexts());
    };
    EXPECT_TRUE(perform(FileOperationKind::Copy, {latin1, cp1251, albumPath}, drive + "dest\\").succeeded);
    const RawFolder copied = rawFolder(here() + "/dest");
    EXPECT_EQ(copied, (RawFolder{{latin1Name, original}, {cp1251Name, original}, {album, "<folder>"}}));
    EXPECT_EQ(rawFolder(here() + "/dest/" + album), (RawFolder{{latin1Name, "inner"}}));

    // A copy onto itself takes a free name beside it, the odd bytes kept.
    EXPECT_TRUE(perform(FileOperationKind::Copy, {latin1}, drive).succeeded);
    EXPECT_EQ(rawFolder(here()).value("Caf\xe9 - Copy.mp3"), original);

    ASSERT_EQ(::mkdir("moved", 0755), 0);
    EXPECT_TRUE(perform(FileOperationKind::Move, {cp1251}, drive + "moved\\").succeeded);
    EXPECT_EQ(rawFolder(here() + "/moved"), (RawFolder{{cp1251Name, original}}));

    messages.queueAnswer(platform::MessageButton::Yes);
    EXPECT_TRUE(perform(FileOperationKind::Delete, {latin1}, QString()).succeeded);
    ASSERT_EQ(messages.requests().size(), 1) << qPrintable(messages.texts().join('\n'));
    EXPECT_EQ(messages.requests().first().text, QStringLiteral("Are you sure you want to move \"Caf\u00e9.mp3\" to the trash?"));
    const QByteArray trash = platform::encodeNativeName(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) + "/Trash";
    EXPECT_EQ(rawFolder(trash + "/files").value(latin1Name), original);
    const QByteArray record = rawFolder(trash + "/info").value(latin1Name + ".trashinfo");
    removeRawTree(trash + "/files/" + latin1Name);
    removeRawTree(trash + "/info/" + latin1Name + ".trashinfo");
    EXPECT_TRUE(record.contains("\nPath=" + (here() + '/' + latin1Name).toPercentEncoding("/") + '\n')) << record.constData();

    const RawFolder after = rawFolder(here());
    EXPECT_FALSE(after.contains(latin1Name));
    EXPECT_FALSE(after.contains(cp1251Name));
    EXPECT_EQ(bystandersNow(here()), bystandersBefore());
}
