#include "platform/win32/win32_printer.h"

#include <commdlg.h>
#include <winspool.h>

#include <cmath>
#include <cstring>

#include "platform/runtime_error.h"

namespace pindle::platform::win32 {

namespace {

constexpr int kMarginTwips = 1440 * 2 / 3;  // a third of an inch inside the printable area

[[noreturn]] void PrinterError() {
  throw RuntimeError(err::kPrinterError, u"プリンタ エラーです。印刷を開始できません。");
}

[[noreturn]] void Refused() {
  throw RuntimeError(err::kInvalidPropertyValue, u"プロパティの値が不正です。");
}

std::wstring DefaultPrinterName() {
  DWORD size = 0;
  ::GetDefaultPrinterW(nullptr, &size);
  if (size == 0) return {};
  std::wstring name(size, L'\0');
  if (!::GetDefaultPrinterW(name.data(), &size)) return {};
  name.resize(size > 0 ? size - 1 : 0);
  return name;
}

}  // namespace

Win32Printer::~Win32Printer() {
  if (open_) ::AbortDoc(drawDc_);
}

DEVMODEW* Win32Printer::Mode() {
  return devMode_.size() >= sizeof(DEVMODEW) ? reinterpret_cast<DEVMODEW*>(devMode_.data())
                                             : nullptr;
}

void Win32Printer::Choose(std::wstring name, std::vector<std::byte> devMode) {
  name_ = std::move(name);
  devMode_ = std::move(devMode);
}

void Win32Printer::SetScaleMode(std::int16_t mode) {
  // Positions are kept in twips; no other unit is used.
  if (mode != kScaleTwips) Refused();
}

void Win32Printer::SetCopies(std::int16_t copies) {
  if (copies < 1) Refused();
  if (DEVMODEW* m = Mode()) {
    m->dmCopies = copies;
    m->dmFields |= DM_COPIES;
  }
}

void Win32Printer::SetOrientation(std::int16_t orientation) {
  if (orientation != kPortrait && orientation != kLandscape) Refused();
  if (DEVMODEW* m = Mode()) {
    m->dmOrientation = orientation == kLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    m->dmFields |= DM_ORIENTATION;
  }
}

void Win32Printer::SetCurrentX(float x) {
  if (!(x >= 0.0f)) Refused();
  currentXTwips_ = x;
}

void Win32Printer::SetFontSize(float points) {
  if (!(points > 0.0f && points < 1000.0f)) Refused();
  fontSize_ = points;
}

void Win32Printer::StartDocument() {
  if (testDc_) {
    drawDc_ = testDc_;
  } else {
    if (name_.empty()) name_ = DefaultPrinterName();
    if (name_.empty()) PrinterError();
    dc_.reset(::CreateDCW(L"WINSPOOL", name_.c_str(), nullptr, Mode()));
    if (!dc_) PrinterError();
    drawDc_ = dc_.get();
  }
  DOCINFOW info{};
  info.cbSize = sizeof info;
  info.lpszDocName = L"Pindle";
  if (::StartDocW(drawDc_, &info) <= 0) {
    dc_.reset();
    PrinterError();
  }
  if (::StartPage(drawDc_) <= 0) {
    ::AbortDoc(drawDc_);
    dc_.reset();
    PrinterError();
  }
  open_ = true;

  const int dpiX = ::GetDeviceCaps(drawDc_, LOGPIXELSX);
  const int dpiY = ::GetDeviceCaps(drawDc_, LOGPIXELSY);
  const int height = ::GetDeviceCaps(drawDc_, VERTRES);
  const int logicalHeight =
      static_cast<int>(std::lround(fontSize_ * static_cast<float>(dpiY) / 72.0f));
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
  left_ = ::MulDiv(kMarginTwips, dpiX, 1440) +
          static_cast<int>(std::lround(currentXTwips_ * static_cast<float>(dpiX) / 1440.0f));
  y_ = top_;
}

void Win32Printer::NewLine(std::wstring_view line) {
  if (y_ + lineHeight_ > bottom_ && y_ > top_) {
    ::EndPage(drawDc_);
    ::StartPage(drawDc_);
    y_ = top_;
  }
  if (!line.empty()) {
    Selected s(drawDc_, font_.get());
    ::SetBkMode(drawDc_, TRANSPARENT);
    ::TextOutW(drawDc_, left_, y_, line.data(), static_cast<int>(line.size()));
  }
  y_ += lineHeight_;
}

void Win32Printer::Print(std::u16string_view text) {
  if (!open_) StartDocument();
  const std::wstring wide(text.begin(), text.end());
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
  open_ = false;
  ::EndPage(drawDc_);
  ::EndDoc(drawDc_);
  font_.reset();
  dc_.reset();
  drawDc_ = nullptr;
}

std::optional<PrintChoice> Win32PrintDialog::ShowPrinter(Hwnd owner, std::int32_t flags) {
  PRINTDLGW pd{};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = reinterpret_cast<HWND>(owner);
  pd.Flags = static_cast<DWORD>(flags) | PD_USEDEVMODECOPIESANDCOLLATE;
  pd.nCopies = 1;
  if (!::PrintDlgW(&pd)) {
    if (pd.hDevMode) ::GlobalFree(pd.hDevMode);
    if (pd.hDevNames) ::GlobalFree(pd.hDevNames);
    return std::nullopt;  // cancelled, or no printer could be offered
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
  PrintChoice choice;
  if (devModeHandle) {
    Locked<DEVMODEW> dm(devModeHandle.get());
    if (dm.get()) {
      const auto* bytes = reinterpret_cast<const std::byte*>(dm.get());
      mode.assign(bytes, bytes + dm.get()->dmSize + dm.get()->dmDriverExtra);
      if (dm.get()->dmFields & DM_COPIES) choice.copies = dm.get()->dmCopies;
      if (dm.get()->dmFields & DM_ORIENTATION) {
        choice.orientation = dm.get()->dmOrientation == DMORIENT_LANDSCAPE ? kLandscape : kPortrait;
      }
    }
  }
  printer_.Choose(std::move(name), std::move(mode));
  return choice;
}

}  // namespace pindle::platform::win32
