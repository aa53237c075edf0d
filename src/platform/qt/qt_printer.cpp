#include "platform/qt/qt_printer.h"

#include <QFontMetrics>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <cmath>

#include "platform/qt/qt_fonts.h"
#include "platform/qt/qt_text.h"
#include "platform/runtime_error.h"

namespace pindle::platform::qt {

QtPrinter::QtPrinter() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {}

QtPrinter::~QtPrinter() {
  if (open_) painter_.end();
}

void QtPrinter::StartDocument() {
  QPaintDevice* device = testDevice_;
  if (!device) {
    if (settings_.copies) printer_->setCopyCount(*settings_.copies);
    if (settings_.orientation) {
      printer_->setPageOrientation(*settings_.orientation == kLandscape ? QPageLayout::Landscape
                                                                        : QPageLayout::Portrait);
    }
    printer_->setDocName(QStringLiteral("Pindle"));
    device = printer_.get();
  }
  if (!painter_.begin(device)) PrinterError();
  open_ = true;
  const int dpiX = device->logicalDpiX(), dpiY = device->logicalDpiY();
  QRect area(0, 0, device->width(), device->height());
  if (!testDevice_) area = printer_->pageLayout().paintRectPixels(printer_->resolution());
  left_ =
      area.left() + kMarginTwips * dpiX / 1440 +
      static_cast<int>(std::lround(settings_.currentXTwips * static_cast<float>(dpiX) / 1440.0f));
  top_ = area.top() + kMarginTwips * dpiY / 1440;
  bottom_ = area.bottom() - kMarginTwips * dpiY / 1440;
  font_ = QFont(PrinterFont(settings_.fontSize), device);
  painter_.setFont(font_);
  const QFontMetrics metrics(font_, device);
  lineHeight_ = metrics.lineSpacing();
  ascent_ = metrics.ascent();
  y_ = top_;
}

void QtPrinter::NewLine(const QString& line) {
  if (y_ > top_ && y_ + lineHeight_ > bottom_) {
    const bool ok = testDevice_ ? testNewPage_ && testNewPage_() : printer_->newPage();
    if (!ok) PrinterError(true);
    y_ = top_;
  }
  painter_.drawText(left_, y_ + ascent_, line);
  y_ += lineHeight_;
}

void QtPrinter::Print(std::u16string_view text) {
  if (!open_) StartDocument();
  // Each line of the text on a line of its own: CR LF, CR or LF ends one.
  const QString all = ToQString(text);
  qsizetype start = 0;
  for (qsizetype i = 0; i <= all.size(); ++i) {
    if (i < all.size() && all[i] != u'\r' && all[i] != u'\n') continue;
    NewLine(all.mid(start, i - start));
    if (i + 1 < all.size() && all[i] == u'\r' && all[i + 1] == u'\n') ++i;
    start = i + 1;
  }
}

void QtPrinter::EndDoc() {
  if (!open_) return;
  open_ = false;
  if (!painter_.end()) PrinterError(true);
}

std::optional<PrintChoice> QtPrintDialog::ShowPrinter(Hwnd, std::int32_t flags) {
  const QStringList names = printerNames ? printerNames() : QPrinterInfo::availablePrinterNames();
  if (names.isEmpty()) {
    throw RuntimeError(err::kPrinterError, u"プリンタがインストールされていません。");
  }
  QPrinter& printer = printer_.Device();
  QPrintDialog dialog(&printer);
  dialog.setWindowTitle(QStringLiteral("印刷"));
  QAbstractPrintDialog::PrintDialogOptions options = dialog.options();
  if (flags & kPdNoSelection) options &= ~QAbstractPrintDialog::PrintSelection;
  if (flags & kPdDisablePrintToFile) options &= ~QAbstractPrintDialog::PrintToFile;
  dialog.setOptions(options);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  PrintChoice choice;
  choice.copies = static_cast<std::int16_t>(printer.copyCount());
  choice.orientation =
      printer.pageLayout().orientation() == QPageLayout::Landscape ? kLandscape : kPortrait;
  return choice;
}

}  // namespace pindle::platform::qt
