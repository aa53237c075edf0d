// Printing through Qt on CUPS: the system's print dialog (QPrintDialog) chooses the printer,
// copies and orientation; the printer object draws each printed text line by line in a
// fixed-pitch Japanese font and starts a new page when a line would pass the bottom margin.
#pragma once

#include <QFont>
#include <QPainter>
#include <QPrinter>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "platform/printer.h"

class QPaintDevice;

namespace pindle::platform::qt {

class QtPrinter final : public SettingsPrinter {
 public:
  QtPrinter();
  ~QtPrinter() override;
  QtPrinter(const QtPrinter&) = delete;
  QtPrinter& operator=(const QtPrinter&) = delete;

  void Print(std::u16string_view text) override;
  void EndDoc() override;

  // The printer the print dialog sets up; documents go to it.
  QPrinter& Device() { return *printer_; }
  // Draws the following documents on device instead of the printer, calling newPage where the
  // printer would start a new sheet; the device stays the caller's.  nullptr: the printer again.
  void UseDevice(QPaintDevice* device, std::function<bool()> newPage) {
    testDevice_ = device;
    testNewPage_ = std::move(newPage);
  }

 private:
  void StartDocument();
  void NewLine(const QString& line);

  std::unique_ptr<QPrinter> printer_;
  QPaintDevice* testDevice_ = nullptr;
  std::function<bool()> testNewPage_;

  // The open document.
  QPainter painter_;
  bool open_ = false;
  QFont font_;
  int y_ = 0, lineHeight_ = 0, ascent_ = 0;
  int top_ = 0, bottom_ = 0, left_ = 0;
};

class QtPrintDialog final : public PrintDialogService {
 public:
  explicit QtPrintDialog(QtPrinter& printer) : printer_(printer) {}
  // Shows the modal print dialog.  Cancel gives nothing; a dialog that cannot open because no
  // printer is installed raises kPrinterError.
  std::optional<PrintChoice> ShowPrinter(Hwnd owner, std::int32_t flags) override;

  // The installed printers (CUPS queues).
  std::function<QStringList()> printerNames;

 private:
  QtPrinter& printer_;
};

}  // namespace pindle::platform::qt
