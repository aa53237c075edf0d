// The program as a user meets it, on every backend through the contract suite's drivers.
#include <gmock/gmock.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "contract/driver.h"
#include "host/form1.h"
#include "host/module2.h"
#include "info/author.h"
#include "info/frm_about.h"
#include "memo/dialog_data_list.h"
#include "memo/frm_main.h"
#include "platform/program.h"
#include "print/dialog_printer.h"
#include "print/phone_message_page.h"

namespace pindle {
namespace {

using ::testing::ElementsAre;

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() {
    d->SetClock(kNow);
    const std::string ready = (dir / "ready.txt").string();
#if defined(_WIN32)
    _putenv_s("PINDLE_READY_FILE", ready.c_str());
#else
    setenv("PINDLE_READY_FILE", ready.c_str(), 1);
#endif
    platform::StartProgram(rt);
  }
  ~ProgramTest() override {
    if (rt.IfLoaded<Form1>()) Menu(u"end");
  }

  // Alt+F1, Alt+F2 or Alt+F3 as the system reports it to the host window.
  void AltF(int n) {
    const Module2& m = rt.Module<Module2>();
    const std::int16_t atom = n == 1 ? m.HotkeyAtom1 : n == 2 ? m.HotkeyAtom2 : m.HotkeyAtom3;
    d->Post(rt.Instance<Form1>().hWnd(), platform::msg::kHotKey,
            static_cast<platform::WParam>(static_cast<std::uint32_t>(HotkeyIdentifier(atom))),
            static_cast<platform::LParam>((0x6F + n) << 16 | 1));
  }
  // The user right-clicks the tray icon and picks an item.
  void Menu(std::u16string item) {
    d->AnswerPopupMenu(std::move(item));
    d->Post(rt.Instance<Form1>().hWnd(), kTrayCallbackMessage, 1, platform::msg::kRButtonDown);
  }
  template <class F>
  F& Shown() {
    F* f = rt.IfLoaded<F>();
    if (!f || !d->WindowVisible(*f)) throw std::logic_error("the window is not shown");
    return *f;
  }

  static constexpr platform::DateTime kNow{2026, 12, 7, 10, 27, 30, 0};  // a Monday
  std::unique_ptr<contract::Driver> d = contract::MakeDriver();
  platform::Runtime& rt = d->Rt();
  const std::filesystem::path dir{rt.AppPath()};
};

TEST_F(ProgramTest, TheTrayAndTheHotkeysOpenEveryWindowAndEachDoesItsWork) {
  long long readyAt = 0;  // the start-up marker a benchmark asks for
  EXPECT_TRUE(std::ifstream(dir / "ready.txt") >> readyAt);
  EXPECT_GT(readyAt, 0);
  EXPECT_FALSE(d->WindowVisible(rt.Instance<Form1>()));
  std::ofstream(dir / "memo.txt", std::ios::binary) << "old\r\n";
  AltF(3);
  Dialog_DataList& e = Shown<Dialog_DataList>();
  d->Key(e, contract::kVkTab);  // from the register button over the cancel button to the text
  d->Key(e, contract::kVkTab);
  d->Type(e, u"new ");
  d->Key(e, contract::kVkEscape);  // nothing but the box's own Esc
  d->Press(e, u"OKButton", 1);
  EXPECT_EQ(rt.IfLoaded<Dialog_DataList>(), nullptr);

  AltF(1);
  EXPECT_EQ(d->Text(Shown<frmMain>(), u"Text1"), u"new old\r\n");
  AltF(2);
  EXPECT_EQ(rt.IfLoaded<frmMain>(), nullptr);
  d->Post(rt.Instance<Form1>().hWnd(), kTrayCallbackMessage, 1, platform::msg::kLButtonDblClk);
  frmMain& m = Shown<frmMain>();
  EXPECT_TRUE(d->RunUntil([&] { return d->Text(m, u"Label3") == u"月曜日"; }, 2000));
  EXPECT_EQ(d->Text(m, u"Label2").substr(0, 10), rt.DateTimeText(kNow).substr(0, 10));
  for (const int button : {1, 2, 4}) d->Press(m, u"Label1", button);
  d->Key(m, contract::kVkEscape);  // at the note box: the window stays
  d->Press(Shown<frmMain>(), u"Text2", 1);
  d->Type(m, u"明日の会議は中止");
  d->Press(m, u"Command1", 1);
  Dialog_Printer& p = Shown<Dialog_Printer>();
  d->Press(p, u"Check1", 1);
  d->Choose(p, u"Combo1", 0);
  d->AnswerPrintDialog(contract::PrintDialogAnswer::Ok, {2, platform::kPortrait});
  d->Press(p, u"OKButton", 1);
  ASSERT_EQ(d->Printed().size(), 1u);
  EXPECT_THAT(d->Printed()[0].pages,
              ElementsAre(PhoneMessagePage({true, u"10時20分", u"", u"折り返し電話下さいとのこと",
                                            u"", u"明日の会議は中止"})));
  d->CloseBox(p);

  Menu(u"aboutme");
  d->Press(Shown<frmAbout>(), u"Label2", 1);
  EXPECT_TRUE(d->RunUntil([&] { return !d->ShellOpened().empty(); }, 10000));
  EXPECT_THAT(d->ShellOpened(), ElementsAre(u"mailto:" + std::u16string(kAuthorMailAddress)));
  Menu(u"end");  // the host goes; the open windows stay usable and the program runs on
  EXPECT_EQ(rt.IfLoaded<Form1>(), nullptr);
  EXPECT_FALSE(d->LoopEnded());
  d->Press(Shown<frmAbout>(), u"cmdOK", 1);
  d->PressSurface(Shown<frmMain>(), 2, 5, 5);
  EXPECT_TRUE(d->LoopEnded());
  EXPECT_TRUE(d->MessageBoxes().empty());
}

}  // namespace
}  // namespace pindle
