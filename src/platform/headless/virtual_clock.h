// A clock that stands still until the test moves it.  Its text is yyyy/MM/dd H:mm:ss, the
// short date and time of a Japanese Windows.
#pragma once

#include "platform/clock.h"

namespace pindle::platform::headless {

class VirtualClock final : public Clock {
 public:
  DateTime Now() const override {
    ++reads_;
    return now_;
  }
  std::u16string DateTimeText(const DateTime& t) const override { return DefaultDateTimeText(t); }

  void Set(const DateTime& t) { now_ = t; }
  const DateTime& Peek() const { return now_; }
  // How many times the program read the clock.
  int Reads() const { return reads_; }

 private:
  DateTime now_{2026, 12, 7, 9, 0, 0, 0};  // a Monday morning
  mutable int reads_ = 0;
};

}  // namespace pindle::platform::headless
