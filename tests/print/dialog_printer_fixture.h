// The print dialog opened the way the quick memo window's print button opens it: the memo is
// handed over in SharedMemo, then the dialog is shown.
#pragma once

#include <string>

#include "headless_fixture.h"
#include "platform/clock.h"
#include "print/dialog_printer.h"
#include "print/module1.h"

namespace pindle::testing {

class DialogPrinterTest : public HeadlessTest {
 protected:
  static constexpr platform::DateTime At(int hour, int minute, int second = 0, int ms = 0) {
    return {2026, 12, 7, hour, minute, second, ms};
  }

  Dialog_Printer& Open(const std::u16string& memo) {
    rt.Module<Module1>().SharedMemo = memo;
    rt.RunEvent([this] { rt.Show<Dialog_Printer>(); });
    return rt.Instance<Dialog_Printer>();
  }
  Dialog_Printer& OpenAt(const platform::DateTime& now, const std::u16string& memo = {}) {
    backend.SetClock(now);
    return Open(memo);
  }
  void Close() {
    rt.RunEvent([this] { rt.Unload<Dialog_Printer>(); });
  }

  platform::headless::HeadlessWindow& Dialog() { return Window(u"Dialog_Printer"); }
};

}  // namespace pindle::testing
