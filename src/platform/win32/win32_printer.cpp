#include "platform/win32/win32_printer.h"

#include <commdlg.h>

#include <cmath>
#include <cstring>
#include <cwchar>
#include <memory>

#include "platform/runtime_error.h"
#include "platform/wide_text.h"

namespace pindle::platform::win32 {

namespace {

std::wstring DefaultPrinterName(const Spooler& spooler) {
  if (!spooler) return {};
  DWORD size = 0;
  spooler.getDefaultPrinter(nullptr, &size);
  if (size == 0) return {};
  std::wstring name(size, L'\0');
  if (!spooler.getDefaultPrinter(name.data(), &size)) return {};
  name.resize(size > 0 ? size - 1 : 0);
  return name;
}

DEVMODEW* AsMode(std::vector<std::byte>& bytes) {
  return bytes.size() >= sizeof(DEVMODEW) ? reinterpret_cast<DEVMODEW*>(bytes.data()) : nullptr;
}

}  // namespace

Win32Printer::~Win32Printer() {
  if (open_) calls_.abortDoc(drawDc_);
}

void Win32Printer::Choose(std::wstring name, std::vector<std::byte> devMode) {
  name_ = std::move(name);
  devMode_ = std::move(devMode);
}

const Spooler& Win32Printer::Spool() const {
  if (!spooler_) spooler_.emplace();
  return *spooler_;
}

std::wstring Win32Printer::PrinterName() const {
  return name_.empty() ? DefaultPrinterName(Spool()) : name_;
}

std::vector<std::byte> Win32Printer::JobDeviceMode() const {
  std::wstring name = PrinterName();
  const Spooler& spooler = Spool();
  HANDLE raw = nullptr;
  if (!spooler || name.empty() || !spooler.openPrinter(name.data(), &raw, nullptr) || !raw)
    PrinterError();
  const std::unique_ptr<void, decltype(spooler.closePrinter)> printer(raw, spooler.closePrinter);

  const LONG size =
      spooler.documentProperties(nullptr, printer.get(), name.data(), nullptr, nullptr, 0);
  const bool driverMerges = size >= static_cast<LONG>(sizeof(DEVMODEW));
  std::vector<std::byte> mode = devMode_;
  if (!AsMode(mode) && driverMerges) {
    // Nothing chosen in the dialog: the printer's own defaults.
    mode.assign(static_cast<std::size_t>(size), std::byte{});
    if (spooler.documentProperties(nullptr, printer.get(), name.data(), AsMode(mode), nullptr,
                                   DM_OUT_BUFFER) != IDOK) {
      mode.clear();
    }
  }
  DEVMODEW* m = AsMode(mode);
  if (!m) return {};
  if (settings_.copies) {
    m->dmCopies = *settings_.copies;
    m->dmFields |= DM_COPIES;
  }
  if (settings_.orientation) {
    m->dmOrientation =
        *settings_.orientation == kLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    m->dmFields |= DM_ORIENTATION;
  }
  if (!driverMerges) return mode;
  // The driver keeps what it can do and drops the rest.
  std::vector<std::byte> merged(static_cast<std::size_t>(size));
  if (spooler.documentProperties(nullptr, printer.get(), name.data(), AsMode(merged), m,
                                 DM_IN_BUFFER | DM_OUT_BUFFER) != IDOK) {
    return mode;
  }
  return merged;
}

void Win32Printer::StartDocument() {
  if (testDc_) {
    drawDc_ = testDc_;
  } else {
    const std::wstring name = PrinterName();
    std::vector<std::byte> mode = JobDeviceMode();
    dc_.reset(::CreateDCW(L"WINSPOOL", name.c_str(), nullptr, AsMode(mode)));
    if (!dc_) PrinterError();
    drawDc_ = dc_.get();
  }
  DOCINFOW info{};
  info.cbSize = sizeof info;
  info.lpszDocName = L"Pindle";
  if (calls_.startDoc(drawDc_, &info) <= 0) {
    const DWORD error = ::GetLastError();
    CloseDocument();
    // A printer that asks for a file name (Microsoft Print to PDF, the XPS writer, OneNote)
    // fails the start so when the user cancels that box: the user's choice, not a fault.
    if (error == ERROR_CANCELLED)
      throw RuntimeError(err::kCancelSelected, u"印刷を取り消しました。");
    PrinterError();
  }
  open_ = true;
  if (calls_.startPage(drawDc_) <= 0) {
    calls_.abortDoc(drawDc_);
    CloseDocument();
    PrinterError();
  }
  pageOpen_ = true;

  const int dpiX = ::GetDeviceCaps(drawDc_, LOGPIXELSX);
  const int dpiY = ::GetDeviceCaps(drawDc_, LOGPIXELSY);
  const int height = ::GetDeviceCaps(drawDc_, VERTRES);
  const int logicalHeight =
      static_cast<int>(std::lround(settings_.fontSize * static_cast<float>(dpiY) / 72.0f));
  font_.reset(::CreateFontW(-logicalHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                            SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"ＭＳ ゴシック"));
  TEXTMETRICW tm{};
  {
    Selected s(drawDc_, font_.get());
    ::GetTextMetricsW(drawDc_, &tm);
  }
  lineHeight_ = tm.tmHeight + tm.tmExternalLeading;
  if (lineHeight_ <= 0) lineHeight_ = logicalHeight > 0 ? logicalHeight : 1;
  top_ = ::MulDiv(kMarginTwips, dpiY, 1440);
  bottom_ = height - top_;
  left_ =
      ::MulDiv(kMarginTwips, dpiX, 1440) +
      static_cast<int>(std::lround(settings_.currentXTwips * static_cast<float>(dpiX) / 1440.0f));
  y_ = top_;
}

void Win32Printer::NewLine(std::wstring_view line) {
  // A line that would pass the bottom margin goes on a new page (a page holds at least one).
  if (pageOpen_ && y_ + lineHeight_ > bottom_ && y_ > top_) {
    pageOpen_ = false;
    if (calls_.endPage(drawDc_) <= 0) PrinterError(true);
  }
  if (!pageOpen_) {
    if (calls_.startPage(drawDc_) <= 0) PrinterError(true);
    pageOpen_ = true;
    y_ = top_;
  }
  {
    Selected s(drawDc_, font_.get());
    ::SetBkMode(drawDc_, TRANSPARENT);
    if (!calls_.drawLine(drawDc_, left_, y_, line.data(), static_cast<int>(line.size()))) {
      PrinterError(true);
    }
  }
  y_ += lineHeight_;
}

void Win32Printer::Print(std::u16string_view text) {
  if (!open_) StartDocument();
  const std::wstring wide = Wide(text);
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = wide.find(L"\r\n", start);
    NewLine(std::wstring_view(wide).substr(start, end == std::wstring::npos ? end : end - start));
    if (end == std::wstring::npos) break;
    start = end + 2;
  }
}

void Win32Printer::EndDoc() {
  if (!open_) return;
  bool sent = !pageOpen_ || calls_.endPage(drawDc_) > 0;
  sent = calls_.endDoc(drawDc_) > 0 && sent;
  CloseDocument();
  if (!sent) PrinterError(true);
}

void Win32Printer::CloseDocument() {
  open_ = false;
  pageOpen_ = false;
  font_.reset();
  dc_.reset();
  drawDc_ = nullptr;
}

PrintChoice Win32PrintDialog::Accept(Win32Printer& printer, std::wstring name,
                                     std::vector<std::byte> devMode) {
  PrintChoice choice;
  if (devMode.size() >= sizeof(DEVMODEW)) {
    const auto* dm = reinterpret_cast<const DEVMODEW*>(devMode.data());
    if (dm->dmFields & DM_COPIES) choice.copies = dm->dmCopies;
    if (dm->dmFields & DM_ORIENTATION) {
      choice.orientation = dm->dmOrientation == DMORIENT_LANDSCAPE ? kLandscape : kPortrait;
    }
  }
  printer.Choose(std::move(name), std::move(devMode));
  return choice;
}

std::optional<PrintChoice> Win32PrintDialog::ShowPrinter(Hwnd owner, std::int32_t flags) {
  PRINTDLGW pd{};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = reinterpret_cast<HWND>(owner);
  pd.Flags = static_cast<DWORD>(flags) | PD_USEDEVMODECOPIESANDCOLLATE;
  pd.nCopies = 1;
  if (!calls_.printDlg(&pd)) {
    if (pd.hDevMode) ::GlobalFree(pd.hDevMode);
    if (pd.hDevNames) ::GlobalFree(pd.hDevNames);
    const DWORD error = calls_.extendedError();
    if (error == 0) return std::nullopt;  // the user's cancel
    wchar_t code[16];
    ::swprintf(code, 16, L"0x%04lX", static_cast<unsigned long>(error));
    throw RuntimeError(err::kPrinterError,
                       u"印刷ダイアログを開けません (エラー " + Narrow(code) +
                           u")。プリンタがインストールされているか確かめて下さい。");
  }
  GlobalHandle devModeHandle(pd.hDevMode), devNamesHandle(pd.hDevNames);
  if (pd.hDC) ::DeleteDC(pd.hDC);

  std::wstring name;
  if (devNamesHandle) {
    Locked<DEVNAMES> names(devNamesHandle.get());
    if (names.get())
      name = reinterpret_cast<const wchar_t*>(names.get()) + names.get()->wDeviceOffset;
  }
  std::vector<std::byte> mode;
  if (devModeHandle) {
    Locked<DEVMODEW> dm(devModeHandle.get());
    if (dm.get()) {
      const auto* bytes = reinterpret_cast<const std::byte*>(dm.get());
      mode.assign(bytes, bytes + dm.get()->dmSize + dm.get()->dmDriverExtra);
    }
  }
  return Accept(printer_, std::move(name), std::move(mode));
}

}  // namespace pindle::platform::win32
