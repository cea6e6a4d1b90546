// A rename that changes only letter case passes through a temporary name. That path
// needs a file system that ignores letter case (vfat, exFAT, case-folded ext4), which
// cannot be mounted on the test machines. These tests therefore run PerformRename on a
// stand-in for just its file-system calls: real files in a temporary folder, looked up
// without regard to ASCII letter case, and renames that refuse a target of the same
// name in any case, as such a file system does.

#include "RenameTestSupport.h"
#include "naming/RenameFileSystem.h"
#include "naming/TKestrava.h"
#include "text/Ascii.h"


#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {
using namespace renameMessages;

class CaseInsensitiveFolder : public RenameFileSystem {
public:
    bool fileExists(const QString &name) override
    {
        const QString found = stored(name);
        return !found.isEmpty() && platform::fileExists(found);
    }
    platform::EntryKind kindOf(const QString &name) override
    {
        const QString found = stored(name);
        return found.isEmpty() ? platform::EntryKind::Missing : platform::entryKind(QFile::encodeName(found));
    }
    bool isSameFile(const QString &first, const QString &second) override
    {
        const QString a = stored(first), b = stored(second);
        return !a.isEmpty() && !b.isEmpty() && platform::isSameFile(a, b);
    }
    bool nameFits(const QString &name) override { return platform::nameFitsFileSystem(QString(), name); }
    void setAttributesNormal(const QString &name) override { platform::setAttributesNormal(stored(name)); }
    platform::RenameResult rename(const QString &from, const QString &to) override
    {
        renames.append(from + " > " + to);
        if (refusedTargets.contains(to))
            return platform::RenameResult::Busy;
        const QString source = stored(from);
        if (source.isEmpty())
            return platform::RenameResult::SourceMissing;
        if (!stored(to).isEmpty())
            return platform::RenameResult::TargetExists;
        return platform::renameNoReplace(source, to);
    }

    QStringList renames;
    QStringList refusedTargets;   // renames to these names fail, as for a file in use

private:
    // The name as stored in the folder that matches `name` in any letter case.
    static QString stored(const QString &name)
    {
        const QStringList entries = QDir::current().entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        for (const QString &entry : entries) {
            if (ascii::equalsIgnoringCase(entry, name))
                return entry;
        }
        return QString();
    }
};

using CaseInsensitiveRenameTest = RenameFixture<CaseInsensitiveFolder>;
} // namespace

TEST_F(CaseInsensitiveRenameTest, CaseOnlyRenamePassesThroughAFreeTemporaryName)
{
    const struct {
        const char *oldName, *newName;
        QStringList others;
        QStringList renames;
        const char *finalName;
    } cases[] = {
        {"song.mp3", "Song", {}, {"song.mp3 > Zerko.mp3", "Zerko.mp3 > Song.mp3"}, "Song.mp3"},
        {"song.mp3", "Song", {"Zerko.mp3"}, {"song.mp3 > Zerko.mp31", "Zerko.mp31 > Song.mp3"}, "Song.mp3"},
        {"song.mp3", "SONG", {"zerko.MP3", "ZERKO.mp31"},
         {"song.mp3 > Zerko.mp311", "Zerko.mp311 > SONG.mp3"}, "SONG.mp3"},
        {"Photo.JPG", "Photo", {}, {"Photo.JPG > Zerko.jpg", "Zerko.jpg > Photo.jpg"}, "Photo.jpg"},
        {"song.mp3", "song", {}, {"song.mp3 > Zerko.mp3", "Zerko.mp3 > song.mp3"}, "song.mp3"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.newName + (" " + c.others.join(",")).toStdString());
        TempFolder caseFolder;
        caseFolder.write(c.oldName, "tune");
        FolderContents expected{{c.finalName, "tune"}};
        for (const QString &other : c.others) {
            caseFolder.write(other, "other");
            expected.insert(other, "other");
        }
        fileSystem.renames.clear();
        EXPECT_TRUE(rename(c.oldName, c.newName));
        EXPECT_EQ(fileSystem.renames, c.renames);
        EXPECT_EQ(folderContents(caseFolder.path()), expected);
    }
    EXPECT_TRUE(messages.texts().isEmpty());
}

TEST_F(CaseInsensitiveRenameTest, NameOfAnotherFileIsRefused)
{
    folder.write("a.txt", "mine");
    folder.write("b.txt", "other");
    EXPECT_FALSE(rename("a.txt", "B"));
    EXPECT_EQ(messages.texts(), QStringList{exists});
    EXPECT_TRUE(fileSystem.renames.isEmpty());
}

TEST_F(CaseInsensitiveRenameTest, RefusedRenameKeepsTheOldName)
{
    const struct {
        const char *refusedTarget;
        QStringList renames;
    } cases[] = {
        {"Zerko.mp3", {"song.mp3 > Zerko.mp3"}},
        // The file goes back to its old name rather than staying "Zerko.mp3".
        {"Song.mp3", {"song.mp3 > Zerko.mp3", "Zerko.mp3 > Song.mp3", "Zerko.mp3 > song.mp3"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.refusedTarget);
        TempFolder caseFolder;
        caseFolder.write("song.mp3", "tune");
        fileSystem.refusedTargets = QStringList{c.refusedTarget};
        fileSystem.renames.clear();
        messages.clear();
        EXPECT_FALSE(rename("song.mp3", "Song"));
        EXPECT_EQ(messages.texts(), QStringList{inUse});
        EXPECT_EQ(fileSystem.renames, c.renames);
        EXPECT_EQ(folderContents(caseFolder.path()), (FolderContents{{"song.mp3", "tune"}}));
    }
}
