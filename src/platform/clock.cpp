#include "platform/clock.h"

#include <chrono>
#include <cmath>
#include <cstdio>

#include "platform/text.h"

namespace pindle::platform {

namespace {

using Days = std::chrono::sys_days;

Days ToDays(const DateTime& t) {
  return Days{std::chrono::year{t.year} / std::chrono::month{static_cast<unsigned>(t.month)} /
              std::chrono::day{static_cast<unsigned>(t.day)}};
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

}  // namespace

std::int64_t DateTime::ToMilliseconds() const {
  const std::int64_t days = ToDays(*this).time_since_epoch().count();
  return ((days * 24 + hour) * 60 + minute) * 60'000LL + second * 1000LL + millisecond;
}

DateTime DateTime::FromMilliseconds(std::int64_t ms) {
  const std::int64_t days = FloorDiv(ms, 86'400'000LL);
  std::int64_t rest = ms - days * 86'400'000LL;
  const std::chrono::year_month_day ymd{Days{std::chrono::days{days}}};
  DateTime t;
  t.year = static_cast<int>(ymd.year());
  t.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  t.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  t.hour = static_cast<int>(rest / 3'600'000);
  rest %= 3'600'000;
  t.minute = static_cast<int>(rest / 60'000);
  rest %= 60'000;
  t.second = static_cast<int>(rest / 1000);
  t.millisecond = static_cast<int>(rest % 1000);
  return t;
}

int Weekday(const DateTime& t) {
  return static_cast<int>(std::chrono::weekday{ToDays(t)}.c_encoding()) + 1;
}

std::int32_t RoundHalfEven(double value) {
  double whole = std::floor(value);
  const double fraction = value - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  return static_cast<std::int32_t>(whole);
}

std::u16string DefaultDateTimeText(const DateTime& t) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return Utf8ToUtf16(buf);
}

}  // namespace pindle::platform
