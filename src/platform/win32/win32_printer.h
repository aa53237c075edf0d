// Printing through GDI: the system's print dialog chooses the printer, copies and orientation;
// the printer object draws each printed text line by line with a Japanese font and starts a
// new page when a line would pass the bottom margin.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/printer.h"
#include "platform/win32/win32_handles.h"

namespace pindle::platform::win32 {

class Win32Printer final : public Printer {
 public:
  Win32Printer() = default;
  ~Win32Printer() override;
  Win32Printer(const Win32Printer&) = delete;
  Win32Printer& operator=(const Win32Printer&) = delete;

  void SetScaleMode(std::int16_t mode) override;
  void SetCopies(std::int16_t copies) override;
  void SetOrientation(std::int16_t orientation) override;
  void SetCurrentX(float x) override;
  void SetFontSize(float points) override;
  void Print(std::u16string_view text) override;
  void EndDoc() override;

  // The printer the user chose, with the driver's settings (DEVMODE bytes).
  void Choose(std::wstring name, std::vector<std::byte> devMode);
  // Draws pages on dc instead of a printer's (for tests: an enhanced-metafile DC); the dc
  // stays the caller's.
  void UseDeviceContext(HDC dc) { testDc_ = dc; }

 private:
  void StartDocument();
  void NewLine(std::wstring_view line);
  DEVMODEW* Mode();

  std::wstring name_;
  std::vector<std::byte> devMode_;
  float fontSize_ = 12.0f;
  float currentXTwips_ = 0.0f;
  HDC testDc_ = nullptr;

  // The open document.
  DcHandle dc_;
  HDC drawDc_ = nullptr;
  bool open_ = false;
  FontHandle font_;
  int y_ = 0;
  int lineHeight_ = 0;
  int top_ = 0, bottom_ = 0, left_ = 0;
};

class Win32PrintDialog final : public PrintDialogService {
 public:
  explicit Win32PrintDialog(Win32Printer& printer) : printer_(printer) {}
  std::optional<PrintChoice> ShowPrinter(Hwnd owner, std::int32_t flags) override;

 private:
  Win32Printer& printer_;
};

}  // namespace pindle::platform::win32
