#include "print/dialog_printer.h"

#include <cstdint>

#include "platform/clock.h"
#include "platform/runtime_error.h"
#include "print/module1.h"

namespace pindle {

using namespace platform;

const FormDef& Dialog_PrinterDefinition() {
  static const FormDef def{
      .name = u"Dialog_Printer",
      .caption = u"Pindle印刷",
      .border = BorderStyle::FixedDialog,
      .controlBox = true,
      .minButton = false,
      .maxButton = false,
      .showInTaskbar = false,
      .left = 2760,
      .top = 3750,
      .width = 6375,
      .height = 5565,
      .startPosition = StartPosition::Manual,
      .controls =
          {
              {.name = u"OKButton",
               .kind = ControlKind::CommandButton,
               .left = 5040,
               .top = 5040,
               .width = 1215,
               .height = 375,
               .tabIndex = 0,
               .text = u"印刷"},
              {.name = u"CancelButton",
               .kind = ControlKind::CommandButton,
               .left = 3720,
               .top = 5040,
               .width = 1215,
               .height = 375,
               .tabIndex = 1,
               .text = u"ｷｬﾝｾﾙ"},
              {.name = u"Text1",
               .kind = ControlKind::TextBox,
               .left = 120,
               .top = 1920,
               .width = 6135,
               .height = 2895,
               .tabIndex = 2,
               .multiLine = true,
               .scrollBars = ScrollBars::Both},
              {.name = u"Check1",
               .kind = ControlKind::CheckBox,
               .left = 120,
               .top = 120,
               .width = 2895,
               .height = 255,
               .tabIndex = 3,
               .text = u"電話応対メモ"},
              {.name = u"Text2",
               .kind = ControlKind::TextBox,
               .left = 480,
               .top = 480,
               .width = 1455,
               .height = 270,
               .tabIndex = 4,
               .visible = false},
              {.name = u"Label1",
               .kind = ControlKind::Label,
               .left = 2040,
               .top = 480,
               .width = 255,
               .height = 255,
               .tabIndex = 5,
               .visible = false,
               .text = u"頃"},
              {.name = u"Text3",
               .kind = ControlKind::TextBox,
               .left = 2400,
               .top = 480,
               .width = 2175,
               .height = 270,
               .tabIndex = 6,
               .visible = false},
              {.name = u"Label2",
               .kind = ControlKind::Label,
               .left = 4680,
               .top = 480,
               .width = 1695,
               .height = 255,
               .tabIndex = 7,
               .visible = false,
               .text = u"様より電話連絡あり。"},
              {.name = u"Text4",
               .kind = ControlKind::TextBox,
               .left = 480,
               .top = 1320,
               .width = 1455,
               .height = 270,
               .tabIndex = 8,
               .visible = false},
              {.name = u"Combo1",
               .kind = ControlKind::ComboBox,
               .left = 480,
               .top = 840,
               .width = 4215,
               .height = 300,
               .tabIndex = 9,
               .visible = false,
               .text = u"(選択して下さい)",
               .list = {u"折り返し電話下さいとのこと", u"至急電話下さいとのこと",
                        u"後ほど電話致しますとのこと", u"後日電話致しますとのこと", u"伝言あり"}},
              {.name = u"Label3",
               .kind = ControlKind::Label,
               .left = 2040,
               .top = 1320,
               .width = 855,
               .height = 255,
               .tabIndex = 10,
               .visible = false,
               .text = u"受け"},
              {.name = u"CommonDialog1", .kind = ControlKind::CommonDialog, .visible = false},
          },
  };
  return def;
}

Dialog_Printer::Dialog_Printer(Runtime& rt) : Form(rt, Dialog_PrinterDefinition()) {
  On(u"Check1", Event::Click, [this] { Check1_Click(); });
  On(u"CancelButton", Event::Click, [this] { CancelButton_Click(); });
  On(u"OKButton", Event::Click, [this] { OKButton_Click(); });
}

void Dialog_Printer::Form_Load() {
  // One reading of the clock gives both the hour and the minute, so a dialog opened on the
  // turn of an hour cannot pair the new hour with the old minute.
  const DateTime now = App().Now();
  Text1.SetText(App().Module<Module1>().SharedMemo);
  Text2.SetText(CallTimeText(now));
}

void Dialog_Printer::Check1_Click() {
  const bool show = Check1.Value() == 1;
  for (Control* c : {&Text2, &Text3, &Text4, &Label1, &Label2, &Label3, &Combo1}) {
    c->SetVisible(show);
  }
}

void Dialog_Printer::CancelButton_Click() {
  App().Unload<Dialog_Printer>();
}

PhoneMessageFields Dialog_Printer::PageFields() const {
  return {
      .phoneMessage = Check1.Value() == 1,
      .time = Text2.Text(),
      .caller = Text3.Text(),
      // Only an entry chosen from the list counts; text typed into the edit part leaves the
      // index at -1, and List(-1) is empty.
      .callBack = Combo1.List(Combo1.ListIndex()),
      .taker = Text4.Text(),
      .memo = Text1.Text(),
  };
}

void Dialog_Printer::OKButton_Click() {
  // Every step runs; one that fails is skipped and the next one follows.
  ResumeNextTrap trap;
  trap.Step([&] { CommonDialog1.CancelError = true; });
  trap.Step([&] { CommonDialog1.Flags = kPdNoSelection | kPdDisablePrintToFile; });
  trap.Step([&] { CommonDialog1.ShowPrinter(); });
  if (trap.Number() == err::kCancelSelected) return;

  Printer& printer = App().CurrentPrinter();
  // The settings are applied in this fixed order: the scale mode (twips), the copies and the
  // orientation chosen in the print dialog, then two single-precision values, the horizontal
  // print position (2.0 in the scale unit) and the font size in points (12.566368, the value
  // with bits 0x41490FD8).  A backend whose printer has no counterpart for the print position
  // or the font size may leave them out; a setting the printer refuses is skipped and the page
  // is printed all the same.
  trap.Step([&] { printer.SetScaleMode(kScaleTwips); });
  trap.Step([&] { printer.SetCopies(CommonDialog1.Copies); });
  trap.Step([&] { printer.SetOrientation(static_cast<std::int16_t>(CommonDialog1.Orientation)); });
  trap.Step([&] { printer.SetCurrentX(2.0f); });
  trap.Step([&] { printer.SetFontSize(12.566368f); });

  bool refusedOutright = false;
  trap.Step([&] {
    try {
      PrintMemo(printer);
    } catch (const RuntimeError& e) {
      refusedOutright = e.Number() == err::kPrinterError && linesPrinted_ == 0;
      throw;
    }
  });
  // Releases whatever an interrupted PrintMemo left open; after a whole page there is no open
  // document and this adds nothing.
  trap.Step([&] { printer.EndDoc(); });

  // A printer that fails part-way through the page stays silent: the EndDoc above has released
  // the lines printed so far.  One that would not start the document has printed nothing at
  // all, and the user is told.
  if (refusedOutright) trap.Step([&] { App().MsgBox(kPageNotPrintedMessage, kMbIconStop); });
}

void Dialog_Printer::PrintMemo(Printer& printer) {
  linesPrinted_ = 0;
  for (const auto& line : PhoneMessagePage(PageFields())) {
    printer.Print(line);
    ++linesPrinted_;
  }
  printer.EndDoc();
}

}  // namespace pindle
