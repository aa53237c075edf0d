// The phone-message print dialog: the memo handed over from the quick memo window and, while
// the phone-message switch is ticked, a telephone message around it (time of the call, caller,
// what the caller asked for, who took the call); OKButton prints the page.
#pragma once

#include <string>

#include "platform/common_dialog.h"
#include "platform/form.h"
#include "platform/printer.h"
#include "platform/runtime.h"
#include "print/phone_message_page.h"

namespace pindle {

const platform::FormDef& Dialog_PrinterDefinition();

// Shown when the printer would not start the document, so that not a line of the page came
// out.
inline const std::u16string kPageNotPrintedMessage =
    u"プリンタが印刷を開始できなかったため、ページは印刷されませんでした。";

class Dialog_Printer final : public platform::Form {
 public:
  explicit Dialog_Printer(platform::Runtime& rt);

  void Form_Load() override;
  void Check1_Click();
  void CancelButton_Click();
  void OKButton_Click();

  platform::Control OKButton{*this, u"OKButton"};
  platform::Control CancelButton{*this, u"CancelButton"};
  platform::Control Text1{*this, u"Text1"};
  platform::Control Check1{*this, u"Check1"};
  platform::Control Text2{*this, u"Text2"};
  platform::Control Label1{*this, u"Label1"};
  platform::Control Text3{*this, u"Text3"};
  platform::Control Label2{*this, u"Label2"};
  platform::Control Text4{*this, u"Text4"};
  platform::Control Combo1{*this, u"Combo1"};
  platform::Control Label3{*this, u"Label3"};
  platform::CommonDialog CommonDialog1{*this};

 private:
  // The dialog's fields as the page is built from them.
  PhoneMessageFields PageFields() const;
  // Prints the page on printer, one Print per line, and ends the document.  Traps nothing.
  void PrintMemo(platform::Printer& printer);

  int linesPrinted_ = 0;  // by the last PrintMemo, up to the line that failed
};

}  // namespace pindle
