// Printing through GDI: the system's print dialog chooses the printer, copies and orientation;
// the printer object draws each printed text line by line with a Japanese font and starts a
// new page when a line would pass the bottom margin.
#pragma once

#include <windows.h>
// after windows.h
#include <commdlg.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/printer.h"
#include "platform/win32/spooler.h"
#include "platform/win32/win32_handles.h"

namespace pindle::platform::win32 {

// Draws one printed line at its place; an empty line draws nothing but keeps its place.
inline BOOL WINAPI DrawLine(HDC dc, int x, int y, LPCWSTR text, int length) {
  return length == 0 || ::TextOutW(dc, x, y, text, length);
}

// The document calls of the spooler, and the drawing of each line.  A test puts its own in
// their place to draw on a DC that has no document of its own (an enhanced metafile) and to
// see each call there.
struct DocumentCalls {
  int(WINAPI* startDoc)(HDC, const DOCINFOW*) = ::StartDocW;
  int(WINAPI* startPage)(HDC) = ::StartPage;
  int(WINAPI* endPage)(HDC) = ::EndPage;
  int(WINAPI* endDoc)(HDC) = ::EndDoc;
  int(WINAPI* abortDoc)(HDC) = ::AbortDoc;
  BOOL(WINAPI* drawLine)(HDC, int, int, LPCWSTR, int) = DrawLine;
};

class Win32Printer final : public SettingsPrinter {
 public:
  Win32Printer() = default;
  ~Win32Printer() override;
  Win32Printer(const Win32Printer&) = delete;
  Win32Printer& operator=(const Win32Printer&) = delete;

  void Print(std::u16string_view text) override;
  void EndDoc() override;

  // The printer the user chose, with the driver's settings (DEVMODE bytes; may be empty).
  void Choose(std::wstring name, std::vector<std::byte> devMode);
  // Draws the following documents on dc instead of a printer's, with calls in place of the
  // spooler's document calls; the dc stays the caller's.
  void UseDeviceContext(HDC dc, DocumentCalls calls) {
    testDc_ = dc;
    calls_ = calls;
  }
  // Takes the spooler's calls from file instead of winspool.drv.
  void UseSpooler(const wchar_t* file) { spooler_.emplace(file); }

  // The DEVMODE the next document starts with: the chosen one (or the printer's default) with
  // the copies and orientation set here, as the driver merges them.  Throws kPrinterError when
  // the printer cannot be opened.
  std::vector<std::byte> JobDeviceMode() const;
  // The printer the next document goes to: the chosen one, or else the default printer.
  std::wstring PrinterName() const;

 private:
  void StartDocument();
  void NewLine(std::wstring_view line);
  void CloseDocument();
  // The spooler, loaded when first needed.
  const Spooler& Spool() const;

  mutable std::optional<Spooler> spooler_;
  std::wstring name_;
  std::vector<std::byte> devMode_;
  HDC testDc_ = nullptr;
  DocumentCalls calls_;

  // The open document.
  DcHandle dc_;
  HDC drawDc_ = nullptr;
  bool open_ = false;
  bool pageOpen_ = false;
  FontHandle font_;
  int y_ = 0;
  int lineHeight_ = 0;
  int top_ = 0, bottom_ = 0, left_ = 0;
};

// The system's print dialog.  A test puts its own in their place to answer it.
struct PrintDialogCalls {
  BOOL(WINAPI* printDlg)(LPPRINTDLGW) = ::PrintDlgW;
  DWORD(WINAPI* extendedError)() = ::CommDlgExtendedError;
};

class Win32PrintDialog final : public PrintDialogService {
 public:
  explicit Win32PrintDialog(Win32Printer& printer) : printer_(printer) {}
  // Empty when the user cancels; a dialog that cannot open at all (no printer installed, a
  // driver that fails) raises kPrinterError.
  std::optional<PrintChoice> ShowPrinter(Hwnd owner, std::int32_t flags) override;
  void UseCalls(PrintDialogCalls calls) { calls_ = calls; }

  // What the dialog does once the user has chosen: the printer becomes the one printer prints
  // on, and the copies and orientation are read from the chosen DEVMODE.
  static PrintChoice Accept(Win32Printer& printer, std::wstring name,
                            std::vector<std::byte> devMode);

 private:
  Win32Printer& printer_;
  PrintDialogCalls calls_;
};

}  // namespace pindle::platform::win32
