#include "platform/win32/spooler.h"

namespace pindle::platform::win32 {

Spooler::Spooler(const wchar_t* file)
    : module_(::LoadLibraryExW(file, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
  const HMODULE m = module_.get();
  loaded_ = FindCall(openPrinter, m, "OpenPrinterW") && FindCall(closePrinter, m, "ClosePrinter") &&
            FindCall(documentProperties, m, "DocumentPropertiesW") &&
            FindCall(getDefaultPrinter, m, "GetDefaultPrinterW");
}

}  // namespace pindle::platform::win32
