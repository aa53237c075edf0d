// The spooler's calls the printer makes, from winspool.drv loaded out of the system folder, never
// the program's own (Pindle.exe is unpacked into folders where other files land unasked).
#pragma once

#include <windows.h>
// after windows.h
#include <winspool.h>

#include "platform/win32/win32_handles.h"

namespace pindle::platform::win32 {

class Spooler {
 public:
  // A test names a file the system folder does not hold.
  explicit Spooler(const wchar_t* file = L"winspool.drv");
  Spooler(const Spooler&) = delete;
  Spooler& operator=(const Spooler&) = delete;

  // False when the DLL could not be loaded or lacks one of the calls.
  explicit operator bool() const { return loaded_; }

  decltype(&::OpenPrinterW) openPrinter = nullptr;
  decltype(&::ClosePrinter) closePrinter = nullptr;
  decltype(&::DocumentPropertiesW) documentProperties = nullptr;
  decltype(&::GetDefaultPrinterW) getDefaultPrinter = nullptr;

 private:
  ModuleHandle module_;
  bool loaded_ = false;
};

}  // namespace pindle::platform::win32
