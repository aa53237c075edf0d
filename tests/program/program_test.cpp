// The program as a user meets it, on every backend through the contract suite's driver: the
// tray icon and the hotkeys open and close the windows, the quick memo window shows the clock
// and memo.txt, the editor saves what was typed and never loses a byte it cannot show, the
// note goes to the print dialog and onto paper, and the About window's link reaches the shell.
#include <gmock/gmock.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "contract/driver.h"
#include "host/form1.h"
#include "host/module2.h"
#include "info/author.h"
#include "info/frm_about.h"
#include "memo/dialog_data_list.h"
#include "memo/frm_main.h"
#include "platform/program.h"
#include "platform/text.h"
#include "print/dialog_printer.h"
#include "print/phone_message_page.h"

namespace pindle {
namespace {

using contract::Driver;
using platform::DateTime;
using ::testing::ElementsAre;

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() {
    d->SetClock(kNow);
    const std::string ready = (Dir() / "ready.txt").string();
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

  std::filesystem::path Dir() {
    return std::filesystem::path(platform::Utf16ToUtf8(d->AppDir()));
  }
  // The memo file beside the program, as bytes.
  std::filesystem::path MemoPath() {
    return Dir() / "memo.txt";
  }
  void WriteMemo(const std::string& bytes) {
    std::ofstream(MemoPath(), std::ios::binary) << bytes;
  }
  std::string ReadMemo() {
    std::ifstream in(MemoPath(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  // Alt+F1, Alt+F2 or Alt+F3 as the system reports it to the host window.
  void AltF(int n) {
    const Module2& m = rt.Module<Module2>();
    const std::int16_t atom = n == 1 ? m.HotkeyAtom1 : n == 2 ? m.HotkeyAtom2 : m.HotkeyAtom3;
    const auto id =
        static_cast<platform::WParam>(static_cast<std::uint32_t>(HotkeyIdentifier(atom)));
    d->Post(Host(), platform::msg::kHotKey, id,
            static_cast<platform::LParam>((0x6F + n) << 16 | 1));
  }
  // A mouse message over the tray icon, as the shell reports it.
  void Tray(std::uint32_t mouseMessage) {
    d->Post(Host(), kTrayCallbackMessage, 1, mouseMessage);
  }
  void Menu(std::u16string item) {
    d->AnswerPopupMenu(std::move(item));
    Tray(platform::msg::kRButtonDown);
  }
  platform::Hwnd Host() {
    return rt.Instance<Form1>().hWnd();
  }
  template <class F>
  F& Shown() {
    F* f = rt.IfLoaded<F>();
    if (!f || !d->WindowVisible(*f)) throw std::logic_error("the window is not shown");
    return *f;
  }

  static constexpr DateTime kNow{2026, 12, 7, 10, 27, 30, 0};  // a Monday
  std::unique_ptr<Driver> d = contract::MakeDriver();
  platform::Runtime& rt = d->Rt();
};

TEST_F(ProgramTest, HotkeysAndTheTrayOpenAndCloseTheWindows) {
  EXPECT_FALSE(d->WindowVisible(rt.Instance<Form1>()));
  long long readyAt = 0;  // the start-up marker a benchmark asks for
  EXPECT_TRUE(std::ifstream(Dir() / "ready.txt") >> readyAt);
  EXPECT_GT(readyAt, 0);
  AltF(1);
  EXPECT_NO_THROW(Shown<frmMain>());
  AltF(2);
  EXPECT_EQ(rt.IfLoaded<frmMain>(), nullptr);
  AltF(3);
  EXPECT_NO_THROW(Shown<Dialog_DataList>());
  Tray(platform::msg::kLButtonDblClk);
  EXPECT_NO_THROW(Shown<frmMain>());
  Menu(u"aboutme");
  EXPECT_NO_THROW(Shown<frmAbout>());
  Menu(u"end");  // the host goes; the open windows stay usable and the program runs on
  EXPECT_EQ(rt.IfLoaded<Form1>(), nullptr);
  EXPECT_FALSE(d->LoopEnded());
  d->Press(Shown<frmAbout>(), u"cmdOK", 1);
  d->CloseBox(Shown<Dialog_DataList>());
  d->PressSurface(Shown<frmMain>(), 1, 5, 5);
  EXPECT_TRUE(d->LoopEnded());
  EXPECT_TRUE(d->MessageBoxes().empty());
}

TEST_F(ProgramTest, QuickMemoShowsTheClockAndTheMemoAndOnlyItsBareSurfaceClosesIt) {
  WriteMemo("\x93\x64\x98\x62\x94\xd4\x8d\x86\r\n");  // 電話番号
  AltF(1);
  frmMain& m = Shown<frmMain>();
  EXPECT_EQ(d->Text(m, u"Text1"), u"電話番号\r\n");
  EXPECT_TRUE(d->RunUntil([&] { return d->Text(m, u"Label3") == u"月曜日"; }, 2000));
  EXPECT_EQ(d->Text(m, u"Label2").substr(0, 10), rt.DateTimeText(kNow).substr(0, 10));
  for (const int button : {1, 2, 4}) d->Press(m, u"Label1", button);
  d->Key(m, contract::kVkEscape);
  EXPECT_NO_THROW(Shown<frmMain>());
  d->PressSurface(m, 2, 5, 5);
  EXPECT_EQ(rt.IfLoaded<frmMain>(), nullptr);
}

TEST_F(ProgramTest, EditorSavesWhatWasTypedAndNeverLosesBytesItCannotShow) {
  WriteMemo("old\r\n");
  AltF(3);
  Dialog_DataList& e = Shown<Dialog_DataList>();
  d->Key(e, contract::kVkTab);
  d->Key(e, contract::kVkTab);
  d->Type(e, u"new ");
  d->Key(e, contract::kVkEscape);  // nothing but the box's own Esc
  d->Press(e, u"OKButton", 1);
  EXPECT_EQ(rt.IfLoaded<Dialog_DataList>(), nullptr);
  EXPECT_EQ(ReadMemo(), "new old\r\n");

  const std::string withNul("a\0b\r\n", 5);
  WriteMemo(withNul);
  AltF(3);
  EXPECT_EQ(d->Text(Shown<Dialog_DataList>(), u"Text1"), u"a\uFFFDb\r\n");
  d->Press(Shown<Dialog_DataList>(), u"OKButton", 1);
  EXPECT_EQ(ReadMemo(), withNul);
  ASSERT_EQ(d->MessageBoxes().size(), 1u);
  EXPECT_THAT(platform::Utf16ToUtf8(d->MessageBoxes()[0].prompt),
              ::testing::HasSubstr("Shift-JIS の文字でないバイト"));
  EXPECT_NO_THROW(Shown<Dialog_DataList>());
}

TEST_F(ProgramTest, TheNoteGoesToThePrintDialogAndThePhoneMessageOntoPaper) {
  AltF(1);
  frmMain& m = Shown<frmMain>();
  d->Press(m, u"Text2", 1);
  d->Type(m, u"明日の会議は中止");
  d->Press(m, u"Command1", 1);
  Dialog_Printer& p = Shown<Dialog_Printer>();
  EXPECT_EQ(d->Text(p, u"Text1"), u"明日の会議は中止");
  EXPECT_EQ(d->Text(p, u"Text2"), u"10時20分");
  d->Press(p, u"Check1", 1);
  d->Press(p, u"Text3", 1);
  d->Type(p, u"山田");
  d->Choose(p, u"Combo1", 0);
  d->Press(p, u"Text4", 1);
  d->Type(p, u"佐藤");
  d->AnswerPrintDialog(contract::PrintDialogAnswer::Ok, {2, platform::kPortrait});
  d->Press(p, u"OKButton", 1);
  const auto printed = d->Printed();
  ASSERT_EQ(printed.size(), 1u);
  EXPECT_THAT(printed[0].pages, ElementsAre(PhoneMessagePage({true, u"10時20分", u"山田",
                                                              u"折り返し電話下さいとのこと",
                                                              u"佐藤", u"明日の会議は中止"})));
  d->AnswerPrintDialog(contract::PrintDialogAnswer::Cancel);
  d->Press(p, u"OKButton", 1);
  EXPECT_EQ(d->Printed().size(), 1u);
  EXPECT_TRUE(d->MessageBoxes().empty());
}

TEST_F(ProgramTest, AboutWindowsMailAddressAsksTheShellForANewMail) {
  Menu(u"aboutme");
  d->Press(Shown<frmAbout>(), u"Label2", 1);
  EXPECT_TRUE(d->RunUntil([&] { return !d->ShellOpened().empty(); }, 10000));
  EXPECT_THAT(d->ShellOpened(), ElementsAre(u"mailto:" + std::u16string(kAuthorMailAddress)));
}

}  // namespace
}  // namespace pindle
