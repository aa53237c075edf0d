// The clock: the current local date and time as one value, and the parts the program reads.
// The backend supplies the clock (the system's, or a virtual one in tests) and the system's
// short-date and time formats for the text form.
#pragma once

#include <cstdint>
#include <string>

namespace pindle::platform {

struct DateTime {
  int year = 2000, month = 1, day = 1;   // proleptic Gregorian calendar
  int hour = 0, minute = 0, second = 0;  // 0..23, 0..59, 0..59
  int millisecond = 0;
  friend bool operator==(const DateTime&, const DateTime&) = default;

  // Milliseconds since 1970-01-01 00:00 of the same local time; for arithmetic.
  std::int64_t ToMilliseconds() const;
  static DateTime FromMilliseconds(std::int64_t ms);
  DateTime PlusMilliseconds(std::int64_t ms) const {
    return FromMilliseconds(ToMilliseconds() + ms);
  }
};

// 1 = Sunday ... 7 = Saturday.
int Weekday(const DateTime& t);
inline int Hour(const DateTime& t) {
  return t.hour;
}
inline int Minute(const DateTime& t) {
  return t.minute;
}

// Rounds to the nearest whole number, ties to the even neighbour (0.5 -> 0, 1.5 -> 2, -0.5 -> 0).
std::int32_t RoundHalfEven(double value);

class Clock {
 public:
  virtual ~Clock() = default;
  virtual DateTime Now() const = 0;
  // The system's short date, a blank, the system's time with seconds ("2026/12/06 9:05:07").
  virtual std::u16string DateTimeText(const DateTime& t) const = 0;
};

// The text form used where no system format is available: yyyy/MM/dd H:mm:ss.
std::u16string DefaultDateTimeText(const DateTime& t);

}  // namespace pindle::platform
