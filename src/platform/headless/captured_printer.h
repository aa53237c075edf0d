// A printer that keeps what it is given: every setting in order, every printed text, every
// EndDoc, and the finished documents.  It can refuse settings or the start of a document.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/printer.h"

namespace pindle::platform::headless {

struct PrinterEvent {
  std::string what;     // "ScaleMode", "Copies", "Orientation", "CurrentX", "FontSize",
                        // "Print", "EndDoc"
  double value = 0;     // the setting's value
  std::u16string text;  // the printed text
  friend bool operator==(const PrinterEvent&, const PrinterEvent&) = default;
};

struct PrintedDocument {
  int copies = 1;
  int orientation = kPortrait;
  float fontSize = 0;
  std::vector<std::u16string> lines;  // line ends inside a printed text start new lines
  int Pages() const;
};

class CapturedPrinter final : public Printer {
 public:
  static constexpr int kLinesPerPage = 50;

  void SetScaleMode(std::int16_t mode) override;
  void SetCopies(std::int16_t copies) override;
  void SetOrientation(std::int16_t orientation) override;
  void SetCurrentX(float x) override;
  void SetFontSize(float points) override;
  void Print(std::u16string_view text) override;
  void EndDoc() override;

  const std::vector<PrinterEvent>& Events() const { return events_; }
  const std::vector<PrintedDocument>& Documents() const { return documents_; }
  bool DocumentOpen() const { return open_.has_value(); }

  // Settings with these names throw kInvalidPropertyValue.
  std::set<std::string> refusedSettings;
  // The next document cannot be started (spooler down): Print throws kPrinterError.
  bool failStartDoc = false;
  // When >= 0, a document takes this many texts; the Print of the next one throws
  // kPrinterError (the printer fails in the middle of a page) and the document stays open.
  int failAfterPrints = -1;
  // That failure is the system running out of memory (std::bad_alloc) instead.
  bool failOutOfMemory = false;

 private:
  template <class T>
  void Setting(const char* name, T value, void (PrinterSettings::*set)(T));

  std::vector<PrinterEvent> events_;
  std::vector<PrintedDocument> documents_;
  std::optional<PrintedDocument> open_;
  int printsInDocument_ = 0;
  PrinterSettings settings_;
};

}  // namespace pindle::platform::headless
