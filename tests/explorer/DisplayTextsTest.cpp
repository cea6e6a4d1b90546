#include "explorer/shared/DisplayTexts.h"
#include "platform/FileTime.h"
#include "tests/explorer/LocaleGuard.h"

#include <gtest/gtest.h>

namespace {
qint64 localFileTime(int year, int month, int day, int hour, int minute, int second = 0)
{
    return platform::fileTimeFromDateTime(QDateTime(QDate(year, month, day), QTime(hour, minute, second)));
}
} // namespace

TEST(DisplayTextsTest, SizeToKBText)
{
    const struct {
        qint64 size;
        const char *text;
    } cases[] = {
        {0, "0 KB"},       {1, "1 KB"},       {1023, "1 KB"}, {1024, "1 KB"}, {1535, "1 KB"}, {2048, "2 KB"},
        {5'000'000'000, "4882812 KB"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SizeToKBText("file", c.size), QString(c.text)) << c.size;
    EXPECT_EQ(SizeToKBText("dir", 4096), " ");
    EXPECT_EQ(SizeToKBText("DiR", 0), " ");
}

TEST(DisplayTextsTest, FileTimeWithAnItalianLocale)
{
    LocaleGuard italian(QLocale(QLocale::Italian, QLocale::Italy));
    const qint64 christmas = localFileTime(2005, 12, 25, 18, 30);
    EXPECT_EQ(FileTimeToText(christmas, datePicture(df_ddMMyy_IT), timePicture(tfShortFormat)), "25-12-05 18:30");
    EXPECT_EQ(FileTimeToText(christmas, datePicture(df_Customize), timePicture(tfLongFormat)), "25/12/05 18:30:00");
}

TEST(DisplayTextsTest, PictureLetters)
{
    LocaleGuard english(QLocale(QLocale::English, QLocale::UnitedKingdom));
    const qint64 evening = localFileTime(2005, 3, 7, 18, 5, 9);
    const qint64 midnight = localFileTime(2005, 3, 7, 0, 45);
    const struct {
        qint64 time;
        const char *date;
        const char *clock;
        const char *text;
    } cases[] = {
        {evening, "d/M/yy", "h:nn:ss", "7/3/05 18:05:09"},
        {evening, "DD-MM-YYYY", "HH:MM", "07-03-2005 18:05"},   // letters in any case, mm after hours = minutes
        {evening, "yyyy.mm.dd", "hh.mm", "2005.03.07 18.05"},   // mm elsewhere = month
        {evening, "dd", "h:nn AM/PM", "07 6:05 PM"},
        {midnight, "dd", "hh:nn am/pm", "07 12:45 am"},
        {evening, "[dd]", "hh'nn", "[07] 18'05"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FileTimeToText(c.time, c.date, c.clock), QString(c.text)) << c.date << " " << c.clock;
}

TEST(DisplayTextsTest, SeparatorsComeFromTheLocale)
{
    LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(FileTimeToText(localFileTime(2005, 12, 25, 18, 30), "dd/MM/yy", "hh:nn"), "25.12.05 18:30");
    LocaleGuard finnish(QLocale(QLocale::Finnish, QLocale::Finland));
    EXPECT_EQ(FileTimeToText(localFileTime(2005, 12, 25, 18, 30), "dd/MM/yy", "hh:nn"), "25.12.05 18.30");
}

TEST(DisplayTextsTest, PicturesOfTheFormats)
{
    EXPECT_EQ(datePicture(df_MMddyyyy), "MM/dd/yyyy");
    EXPECT_EQ(datePicture(df_ddMMyy_DE), "dd.MM.yy");
    EXPECT_EQ(datePicture(df_yyMMdd), "yy-MM-dd");
    {
        LocaleGuard american(QLocale(QLocale::English, QLocale::UnitedStates));
        EXPECT_EQ(datePicture(df_Customize), "M/d/yy");
        EXPECT_EQ(timePicture(tfShortFormat), "h:mm AM/PM");
        EXPECT_EQ(timePicture(tfCustomize), "h:mm:ss  AM/PM");
    }
    LocaleGuard italian(QLocale(QLocale::Italian, QLocale::Italy));
    EXPECT_EQ(timePicture(tfLongFormat), "HH:mm:ss");
    EXPECT_EQ(timePicture(tfCustomize), "HH:mm:ss AM/PM");
}
