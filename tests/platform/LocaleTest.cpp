#include "platform/Locale.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

struct DefaultLocale {
    explicit DefaultLocale(const QLocale &locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(previous); }
    QLocale previous;
};

} // namespace

TEST(LocaleTest, ShortTimeHasHoursAndMinutesOnly)
{
    const struct {
        QLocale locale;
        const char *shortPicture;
        const char *longPicture;
    } cases[] = {
        {QLocale::c(), "HH:mm", "HH:mm:ss"},
        {QLocale(QLocale::Italian, QLocale::Italy), "HH:mm", "HH:mm:ss"},
        {QLocale(QLocale::English, QLocale::UnitedStates), "h:mm AM/PM", "h:mm:ss AM/PM"},
    };
    for (const auto &test : cases) {
        DefaultLocale guard(test.locale);
        EXPECT_EQ(platform::shortTimePicture(), test.shortPicture) << test.locale.name().toStdString();
        EXPECT_EQ(platform::longTimePicture(), test.longPicture) << test.locale.name().toStdString();
    }
}
