// The print common dialog as the program sees it: CancelError, Flags, ShowPrinter, Copies and
// Orientation.  ShowPrinter raises kCancelSelected when the user cancels and CancelError is set.
#pragma once

#include <cstdint>

#include "platform/printer.h"

namespace pindle::platform {

class Form;

class CommonDialog {
 public:
  explicit CommonDialog(Form& owner) : owner_(owner) {}
  CommonDialog(const CommonDialog&) = delete;
  CommonDialog& operator=(const CommonDialog&) = delete;

  bool CancelError = false;
  std::int32_t Flags = 0;
  std::int16_t Copies = 1;
  std::int32_t Orientation = kPortrait;

  void ShowPrinter();

 private:
  Form& owner_;
};

}  // namespace pindle::platform
