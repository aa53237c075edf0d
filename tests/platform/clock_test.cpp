// Dates, weekdays and the rounding the program relies on.
#include <gtest/gtest.h>

#include <utility>

#include "platform/clock.h"
#include "platform/text.h"

namespace pindle::platform {
namespace {

// Weekdays count from Sunday as 1; milliseconds cross midnight, months, leap years and 1970.
TEST(ClockTest, WeekdaysAndMillisecondArithmetic) {
  EXPECT_EQ(Weekday({2026, 12, 6}), 1);   // Sunday
  EXPECT_EQ(Weekday({2026, 12, 7}), 2);   // Monday
  EXPECT_EQ(Weekday({2026, 12, 12}), 7);  // Saturday
  EXPECT_EQ(Weekday({2000, 2, 29}), 3);   // a leap day, Tuesday
  EXPECT_EQ(Weekday({1970, 1, 1}), 5);    // Thursday
  EXPECT_EQ(Weekday({1969, 12, 31}), 4);  // before the epoch
  const DateTime beforeMidnight{2026, 12, 31, 23, 59, 59, 950};
  EXPECT_EQ(beforeMidnight.PlusMilliseconds(100), (DateTime{2027, 1, 1, 0, 0, 0, 50}));
  EXPECT_EQ((DateTime{2028, 2, 28, 12, 0, 0, 0}).PlusMilliseconds(86'400'000),
            (DateTime{2028, 2, 29, 12, 0, 0, 0}));
  EXPECT_EQ((DateTime{1969, 12, 31, 23, 0, 0, 0}).PlusMilliseconds(3'600'000),
            (DateTime{1970, 1, 1, 0, 0, 0, 0}));
  for (const DateTime t :
       {DateTime{1999, 12, 31, 23, 59, 59, 999}, DateTime{2038, 1, 19, 3, 14, 8, 1},
        DateTime{1969, 12, 31, 23, 59, 59, 999}, DateTime{1900, 3, 1, 0, 0, 0, 1}}) {
    EXPECT_EQ(DateTime::FromMilliseconds(t.ToMilliseconds()), t);
  }
}

TEST(ClockTest, RoundHalfEvenSendsTiesToTheEvenNeighbour) {
  const std::pair<double, int> cases[] = {{-0.5, 0},      {0.5, 0},   {1.5, 2},    {2.5, 2},
                                          {3.5, 4},       {-1.5, -2}, {2.4999, 2}, {2.5001, 3},
                                          {7695.0, 7695}, {7.5, 8}};
  for (const auto& [x, rounded] : cases) EXPECT_EQ(RoundHalfEven(x), rounded) << x;
}

TEST(ClockTest, DefaultTextIsTheJapaneseShortDateAndTimeWithSeconds) {
  EXPECT_EQ(DefaultDateTimeText({2026, 12, 6, 9, 5, 7, 999}), u"2026/12/06 9:05:07");
  EXPECT_EQ(DefaultDateTimeText({2027, 1, 1, 23, 59, 0, 0}), u"2027/01/01 23:59:00");
}

}  // namespace
}  // namespace pindle::platform
