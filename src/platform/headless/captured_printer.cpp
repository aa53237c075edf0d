#include "platform/headless/captured_printer.h"

#include <new>

#include "platform/runtime_error.h"

namespace pindle::platform::headless {

int PrintedDocument::Pages() const {
  const auto n = static_cast<int>(lines.size());
  return n == 0 ? 1 : (n + CapturedPrinter::kLinesPerPage - 1) / CapturedPrinter::kLinesPerPage;
}

template <class T>
void CapturedPrinter::Setting(const char* name, T value, void (PrinterSettings::*set)(T)) {
  if (refusedSettings.contains(name)) {
    throw RuntimeError(err::kInvalidPropertyValue, u"プロパティの値が不正です。");
  }
  (settings_.*set)(value);  // a value no printer takes is refused as on every backend
  events_.push_back({name, static_cast<double>(value), {}});
}

void CapturedPrinter::SetScaleMode(std::int16_t mode) {
  Setting("ScaleMode", mode, &PrinterSettings::SetScaleMode);
}

void CapturedPrinter::SetCopies(std::int16_t copies) {
  Setting("Copies", copies, &PrinterSettings::SetCopies);
}

void CapturedPrinter::SetOrientation(std::int16_t orientation) {
  Setting("Orientation", orientation, &PrinterSettings::SetOrientation);
}

void CapturedPrinter::SetCurrentX(float x) {
  Setting("CurrentX", x, &PrinterSettings::SetCurrentX);
}

void CapturedPrinter::SetFontSize(float points) {
  Setting("FontSize", points, &PrinterSettings::SetFontSize);
}

void CapturedPrinter::Print(std::u16string_view text) {
  if (!open_) {
    if (failStartDoc) throw RuntimeError(err::kPrinterError, u"プリンタ エラーです。");
    open_ = PrintedDocument{settings_.copies.value_or(1),
                            settings_.orientation.value_or(kPortrait),
                            settings_.fontSize,
                            {}};
    printsInDocument_ = 0;
  }
  if (failAfterPrints >= 0 && printsInDocument_ >= failAfterPrints) {
    if (failOutOfMemory) throw std::bad_alloc();
    throw RuntimeError(err::kPrinterError, u"プリンタ エラーです。");
  }
  ++printsInDocument_;
  events_.push_back({"Print", 0, std::u16string(text)});
  std::size_t start = 0;
  for (;;) {
    const auto end = text.find(u"\r\n", start);
    open_->lines.emplace_back(
        text.substr(start, end == std::u16string_view::npos ? end : end - start));
    if (end == std::u16string_view::npos) break;
    start = end + 2;
  }
}

void CapturedPrinter::EndDoc() {
  events_.push_back({"EndDoc", 0, {}});
  if (!open_) return;
  documents_.push_back(std::move(*open_));
  open_.reset();
}

}  // namespace pindle::platform::headless
