#include "explorer/shared/DriveUtils.h"
#include "explorer/shared/ExplorerTexts.h"
#include "platform/DrivePaths.h"
#include "platform/DriveTable.h"
#include "tests/common/ScriptedMessageResponder.h"
#include "tests/common/TempFolder.h"

#include <gtest/gtest.h>

using platform::DriveKind;

namespace {

class EnglishTexts {
public:
    EnglishTexts()
    {
        ListTextLanguage = lnEnglish;
        LoadListTexts();
    }
    ~EnglishTexts()
    {
        ExplorerTexts = m_texts;
        ListTextLanguage = m_language;
    }

private:
    TExplorerTexts m_texts = ExplorerTexts;
    TLanguage m_language = ListTextLanguage;
};

} // namespace

TEST(DriveTableTest, DriveCIsTheRootFileSystem)
{
    EnglishTexts english;
    platform::ScriptedMessageResponder boxes;
    EXPECT_TRUE(platform::presentDriveMask() & (1u << ('C' - 'A')));
    EXPECT_EQ(platform::driveKind('C'), DriveKind::Fixed);
    EXPECT_GT(DiskSizeKB("C:\\"), 0);
    EXPECT_LE(DiskFreeKB("c:\\"), DiskSizeKB("C:\\"));
    EXPECT_TRUE(DriveReady('c', true));
    EXPECT_TRUE(boxes.requests().isEmpty());
}

TEST(DriveTableTest, DriveReadyReportsBadLettersAndMissingDrives)
{
    EnglishTexts english;
    platform::ScriptedMessageResponder boxes;
    EXPECT_FALSE(DriveReady('1', true)); // reported, and still queried
    EXPECT_FALSE(DriveReady('Y', false));
    EXPECT_FALSE(DriveReady('y', true));
    EXPECT_EQ(boxes.texts(), QStringList({"Not a valid Drive ID", "There is no disk in Drive or Drive is not ready",
                                          "There is no disk in Drive or Drive is not ready"}));
    EXPECT_EQ(boxes.requests().at(0).kind, platform::MessageKind::Error);
    EXPECT_EQ(boxes.requests().at(1).kind, platform::MessageKind::Warning);
    EXPECT_EQ(DiskSizeKB("Y:\\"), 0);
    EXPECT_EQ(DiskFreeKB(""), 0);
}

TEST(DriveTableTest, AMappedFolderIsADriveWhileItExists)
{
    auto folder = std::make_unique<TempFolder>(false);
    folder->write("Rock/a.mp3", "x");
    ASSERT_TRUE(platform::mapDrive({QLatin1Char('Q'), folder->path(), "\\\\nas\\music", true}));
    EXPECT_EQ(platform::driveKind('Q'), DriveKind::Network);
    EXPECT_EQ(platform::toNativePath("Q:\\Rock\\a.mp3"), folder->path() + "/Rock/a.mp3");
    EXPECT_GT(DiskSizeKB("Q:"), 0);
    const QList<platform::MappedDrive> mapped = platform::mappedDrives();
    ASSERT_EQ(mapped.size(), 1);
    EXPECT_EQ(mapped.at(0).remote, "\\\\nas\\music");
    EXPECT_TRUE(mapped.at(0).reconnect);

    const QString root = folder->path();
    folder.reset();
    EXPECT_EQ(platform::driveKind('Q'), DriveKind::NotPresent);
    QDir().mkpath(root);
    EXPECT_EQ(platform::driveKind('Q'), DriveKind::Network);
    QDir().rmdir(root);
    ASSERT_TRUE(platform::unmapDrive('Q'));
    EXPECT_TRUE(platform::mappedDrives().isEmpty());
}
