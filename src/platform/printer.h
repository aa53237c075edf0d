// The printer and the system's print dialog.
//
// Printer is the runtime's current printer: settable properties, Print of one text as one
// line (line ends inside the text start new lines), EndDoc.  The first Print opens a document;
// EndDoc sends the open document and does nothing when none is open.  A setting the printer
// refuses throws kInvalidPropertyValue; a document that cannot be started throws
// kPrinterError, one the user cancels as it starts (a printer asking for a file name)
// kCancelSelected.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/os_api.h"
#include "platform/runtime_error.h"

namespace pindle::platform {

inline constexpr std::int16_t kScaleTwips = 1;
inline constexpr std::int16_t kPortrait = 1;
inline constexpr std::int16_t kLandscape = 2;

// The settings the program gives a printer, each checked the same way on every backend: a value
// no printer can take raises kInvalidPropertyValue and leaves the setting as it was.
struct PrinterSettings {
  void SetScaleMode(std::int16_t mode);  // twips only: positions are kept in twips
  void SetCopies(std::int16_t value);
  void SetOrientation(std::int16_t value);
  void SetCurrentX(float twips);
  void SetFontSize(float points);

  std::optional<std::int16_t> copies;       // nothing set: the printer's own
  std::optional<std::int16_t> orientation;  // kPortrait or kLandscape; nothing set: the printer's
  float currentXTwips = 0.0f;
  float fontSize = 12.0f;
};

class Printer {
 public:
  virtual ~Printer() = default;
  virtual void SetScaleMode(std::int16_t mode) = 0;
  virtual void SetCopies(std::int16_t copies) = 0;
  virtual void SetOrientation(std::int16_t orientation) = 0;
  // Horizontal print position in the scale unit.
  virtual void SetCurrentX(float x) = 0;
  // Font size in points.
  virtual void SetFontSize(float points) = 0;
  virtual void Print(std::u16string_view text) = 0;
  virtual void EndDoc() = 0;
};

// A printer that keeps its settings as PrinterSettings checks them, for the backend to apply
// when it starts a document.
class SettingsPrinter : public Printer {
 public:
  void SetScaleMode(std::int16_t mode) final { settings_.SetScaleMode(mode); }
  void SetCopies(std::int16_t copies) final { settings_.SetCopies(copies); }
  void SetOrientation(std::int16_t orientation) final { settings_.SetOrientation(orientation); }
  void SetCurrentX(float x) final { settings_.SetCurrentX(x); }
  void SetFontSize(float points) final { settings_.SetFontSize(points); }

 protected:
  // Text starts two thirds of an inch inside the page's printable area.
  static constexpr int kMarginTwips = 1440 * 2 / 3;
  // The document cannot be started (no such printer, the spooler refused), or the printer
  // failed while the document was open.
  [[noreturn]] static void PrinterError(bool started = false) {
    throw RuntimeError(err::kPrinterError, started
                                               ? u"プリンタ エラーです。"
                                               : u"プリンタ エラーです。印刷を開始できません。");
  }

  PrinterSettings settings_;
};

// What the user chose in the system's print dialog.  The chosen printer has become the
// runtime's Printer when this is returned.
struct PrintChoice {
  std::int16_t copies = 1;
  std::int32_t orientation = kPortrait;
};

inline constexpr std::int32_t kPdNoSelection = 0x4;
inline constexpr std::int32_t kPdDisablePrintToFile = 0x80000;

// The backend's part of the print dialog.
class PrintDialogService {
 public:
  virtual ~PrintDialogService() = default;
  // Shows the modal print dialog owned by owner; empty when the user cancels.
  virtual std::optional<PrintChoice> ShowPrinter(Hwnd owner, std::int32_t flags) = 0;
};

}  // namespace pindle::platform
