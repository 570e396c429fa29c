#include <gtest/gtest.h>

#include "app/Clock.h"

using namespace tessavo;

namespace {

struct TimeFormatCase {
    const char* format;
    const char* expected;
};

class ClockFormat : public ::testing::TestWithParam<TimeFormatCase> {};

TEST_P(ClockFormat, DropsTheTimeZoneName) {
    EXPECT_EQ(app::withoutTimeZone(QString::fromLatin1(GetParam().format)), QString::fromLatin1(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Formats, ClockFormat,
                         ::testing::Values(TimeFormatCase{"HH:mm:ss t", "HH:mm:ss"},
                                           TimeFormatCase{"h:mm:ss AP t", "h:mm:ss AP"},
                                           TimeFormatCase{"t HH:mm:ss", "HH:mm:ss"},
                                           TimeFormatCase{"HH:mm:ss", "HH:mm:ss"},
                                           TimeFormatCase{"HH'h'mm 'at' t", "HH'h'mm 'at'"}));

TEST(clockText, HasTheShortDateABlankAndTheTimeWithSeconds) {
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    const QDateTime moment(QDate(2017, 12, 30), QTime(9, 5, 7));
    const QString text = app::clockText(moment, chinese);
    EXPECT_TRUE(text.startsWith(chinese.toString(moment.date(), QLocale::ShortFormat) + QLatin1Char(' ')));
    EXPECT_TRUE(text.contains(QStringLiteral("05:07"))) << text.toStdString();
    const QString english = app::clockText(moment, QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(english, QStringLiteral("12/30/17 9:05:07 AM"));
}

}  // namespace
