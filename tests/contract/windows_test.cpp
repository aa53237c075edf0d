// Windows, errors, timers, menus, messages from outside, the shell, the printer and its dialog.
#include <stdexcept>

#include "contract/probe_forms.h"
#include "platform/common_dialog.h"

namespace pindle::contract {
namespace {

using namespace platform;
using namespace platform::err;

TEST_F(ContractTest, WindowsLoadOnceShowAndUnloadInOrderAndTheProgramRunsWhileOneIsLoaded) {
  Probe& p = Open<Probe>();
  Black& b = Open<Black>();
  EXPECT_TRUE(d->WindowVisible(p));
  EXPECT_EQ(&rt.Instance<Probe>(), &p);  // a loaded window is only brought forward
  p.Show();
  EXPECT_THAT(rt.LoadedForms(), ::testing::UnorderedElementsAre(&p, &b));
  p.unloadAgain = true;  // an unload asked for while unloading is the same unload
  p.refuseUnload = true;
  d->CloseBox(p);
  EXPECT_TRUE(d->WindowVisible(p));
  p.refuseUnload = false;
  d->CloseBox(p);
  EXPECT_EQ(rt.IfLoaded<Probe>(), nullptr);
  EXPECT_FALSE(d->LoopEnded());
  d->Press(b, u"cmdGo", 1);  // the other window works on
  rt.Unload<Black>();
  EXPECT_EQ(rt.IfLoaded<Black>(), nullptr);
  EXPECT_TRUE(d->LoopEnded());
  rt.Unload<Black>();  // not loaded: nothing happens
  EXPECT_THAT(Events(), ElementsAre("QueryUnload 0", "QueryUnload 0", "Unload", "Click cmdGo",
                                    "QueryUnload 1", "Unload"));
}

TEST_F(ContractTest, TrapsGoOnWithTheNextStepButNotPastEndWhichStopsAtOnce) {
  Open<Probe>();
  Open<Black>();
  ResumeNextTrap trap;
  trap.Step([] { throw RuntimeError(kDiskFull, u"満杯"); });
  EXPECT_EQ(trap.Number(), 61);
  trap.Step([] { throw std::bad_alloc(); });
  EXPECT_EQ(trap.Number(), 7);
  trap.Step([] { throw std::runtime_error("broken"); });
  EXPECT_EQ(trap.Number(), 51);
  rt.RunEvent([&] {
    trap.Step([&] { rt.End(); });
    Probe::Log("trapped");
  });
  EXPECT_TRUE(d->LoopEnded());
  EXPECT_TRUE(rt.LoadedForms().empty());
  EXPECT_THAT(Events(), IsEmpty());  // neither unload events nor the step after End
  EXPECT_THAT(d->MessageBoxes(), IsEmpty());
}

class FailingLoad : public ProbeBase {
 public:
  explicit FailingLoad(Runtime& rt) : ProbeBase(rt, BlackDef()) {}
  void Form_Load() override { throw RuntimeError(kFileNotFound, u"ファイルが見つかりません。"); }
};

TEST_F(ContractTest, LastWindowFailingToLoadIsReportedAndEndsTheProgram) {
  rt.Start<FailingLoad>();
  EXPECT_EQ(rt.IfLoaded<FailingLoad>(), nullptr);
  EXPECT_TRUE(d->LoopEnded());
  ASSERT_EQ(d->MessageBoxes().size(), 1u);
  EXPECT_EQ(d->MessageBoxes()[0].prompt, u"実行時エラー '53':\n\nファイルが見つかりません。");
}

TEST_F(ContractTest, UntrappedErrorsAndMessageBoxesShowPromptIconAndTitleAndTheProgramRunsOn) {
  Probe& p = Open<Probe>();
  rt.RunEvent([&] {
    p.txtLine.SetText(u"前");
    throw RuntimeError(kDiskFull, u"ディスクがいっぱいです。");
    p.txtLine.SetText(u"後");
  });
  EXPECT_EQ(d->Text(p, u"txtLine"), u"前");
  d->Press(p, u"cmdOther", 1);
  EXPECT_THAT(Events(), ElementsAre("Click cmdOther"));
  EXPECT_EQ(rt.MsgBox(u"一行目\n二行目", kMbIconStop), kIdOk);
  rt.MsgBox(u"本文", kMbOk, u"題名");
  EXPECT_THAT(d->MessageBoxes(),
              ElementsAre(SeenMessageBox{u"実行時エラー '61':\n\nディスクがいっぱいです。",
                                         kMbIconStop, u"Pindle"},
                          SeenMessageBox{u"一行目\n二行目", kMbIconStop, u"Pindle"},
                          SeenMessageBox{u"本文", kMbOk, u"題名"}));
}

TEST_F(ContractTest, SessionEndWaitsForAWindowWithWorkToLoseAndOtherwiseUnloadsEveryWindow) {
  Probe& p = Open<Probe>();
  Black& b = Open<Black>();
  p.holdSession = true;
  EXPECT_FALSE(d->EndSession());
  EXPECT_TRUE(d->WindowVisible(p));
  EXPECT_TRUE(d->WindowVisible(b));
  EXPECT_FALSE(d->LoopEnded());
  EXPECT_EQ(std::count(Events().begin(), Events().end(), "Unload"), 0);
  p.holdSession = false;
  EXPECT_TRUE(d->EndSession());
  EXPECT_TRUE(rt.LoadedForms().empty());
  EXPECT_TRUE(d->LoopEnded());
  EXPECT_EQ(std::count(Events().begin(), Events().end(), "QueryUnload 2"), 2);
  EXPECT_EQ(std::count(Events().begin(), Events().end(), "Unload"), 2);
}

TEST_F(ContractTest, NoticesWaitForNobodyAndHotkeysHeldElsewhereAreToldOnceTogether) {
  Probe& p = Open<Probe>();
  rt.Notice(u"お知らせ");
  d->Press(p, u"cmdOther", 1);  // the program runs on while the notice is open
  EXPECT_THAT(Events(), ElementsAre("Click cmdOther"));
  EXPECT_TRUE(d->RunUntil([&] { return !d->Notices().empty(); }, 3000));
  if (!d->HoldHotkeyElsewhere(kModAlt, kVkF1) || !d->HoldHotkeyElsewhere(kModAlt, kVkF1 + 2)) {
    GTEST_SKIP() << "no global hotkeys in this run";
  }
  auto& os = rt.Os();
  rt.RunEvent([&] {
    EXPECT_EQ(os.RegisterHotKey(p.hWnd(), 1, kModAlt, kVkF1), 0);
    EXPECT_EQ(os.RegisterHotKey(p.hWnd(), 2, kModAlt, kVkF1 + 1), 1);  // the others work
    EXPECT_EQ(os.RegisterHotKey(p.hWnd(), 3, kModAlt, kVkF1 + 2), 0);
  });
  rt.RunEvent([&] { os.RegisterHotKey(p.hWnd(), 4, kModAlt, kVkF1); });  // told already
  os.UnregisterHotKey(p.hWnd(), 2);
  EXPECT_TRUE(d->RunUntil([&] { return d->Notices().size() >= 2; }, 3000));
  EXPECT_THAT(d->Notices(),
              ElementsAre(u"お知らせ",
                          u"次のホットキーは Pindle では使えません。\n"
                          u"・Alt+F1、Alt+F3: 他のプログラムが使っています。\n"
                          u"トレイのアイコンのメニューからは、いつもどおり開けます。"));
}

TEST_F(ContractTest, TimerTicksWhileEnabledAndNeverAfterItStopsOrItsWindowGoes) {
  Probe& p = Open<Probe>();
  const auto ticks = [&] { return std::count(Events().begin(), Events().end(), "Timer tmrTick"); };
  EXPECT_FALSE(d->RunUntil([&] { return ticks() > 0; }, 200));  // not enabled
  p.tmrTick.SetEnabled(true);
  EXPECT_TRUE(d->RunUntil([&] { return ticks() >= 3; }, 2000));
  p.tmrTick.SetEnabled(false);
  const auto stopped = ticks();
  EXPECT_FALSE(d->RunUntil([&] { return ticks() > stopped; }, 200));
  p.tmrTick.SetEnabled(true);
  rt.Unload<Probe>();
  EXPECT_FALSE(d->RunUntil([&] { return ticks() > stopped; }, 200));
}

TEST_F(ContractTest, PopupMenuRunsTheChosenItemBeforeItReturns) {
  Probe& p = Open<Probe>();
  d->AnswerPopupMenu(u"two");
  rt.RunEvent([&] {
    p.PopupMenu(u"mnuPop", 2);
    Probe::Log("returned");
  });
  d->AnswerPopupMenu(std::nullopt);
  rt.RunEvent([&] { p.PopupMenu(u"mnuPop", 2); });
  rt.RunEvent([&] { p.PopupMenu(u"mnuNone", 2); });
  EXPECT_THAT(Events(), ElementsAre("Click two", "returned"));
  ASSERT_EQ(d->MessageBoxes().size(), 1u);  // the unknown menu is an error
  EXPECT_TRUE(d->MessageBoxes()[0].prompt.starts_with(u"実行時エラー '5'"));
}

// A window procedure put in front of the runtime's, as the program hooks its host window.
std::intptr_t g_previous = 0;
std::vector<std::string> g_seen;
LResult PINDLE_CALLBACK Hook(Hwnd hWnd, std::uint32_t uMsg, WParam wParam, LParam lParam) {
  if (uMsg == msg::kHotKey || uMsg == msg::kMButtonDown)
    g_seen.push_back(std::to_string(uMsg) + " " + std::to_string(wParam) + " " +
                     std::to_string(lParam));
  return Runtime::Current().Os().CallWindowProcA(g_previous, hWnd, uMsg, wParam, lParam);
}

TEST_F(ContractTest, MessagesFromOutsideGoThroughTheProcedureChainToTheRuntime) {
  Black& b = Open<Black>();
  auto& os = rt.Os();
  g_seen.clear();
  g_previous = os.SetWindowLongA(b.hWnd(), kGwlWndProc, ProcAddress(&Hook));
  ASSERT_NE(g_previous, 0);
  // The tray icon's callback: message 519 with the mouse message in lParam.
  d->Post(b.hWnd(), msg::kMButtonDown, 1, msg::kLButtonDblClk);
  d->Post(b.hWnd(), msg::kHotKey, 0xC0A5, 0x00700001);
  const int x = static_cast<int>(msg::kLButtonDblClk * rt.TwipsPerPixelX());
  EXPECT_THAT(g_seen, ElementsAre("519 1 515", "786 49317 7340033"));
  EXPECT_THAT(Events(), ElementsAre("MouseDown 4 " + std::to_string(x) + " 0"));
  os.SetWindowLongA(b.hWnd(), kGwlWndProc, g_previous);  // the runtime's alone again
  d->Post(b.hWnd(), msg::kHotKey, 1, 0);
  EXPECT_EQ(g_seen.size(), 2u);
}

TEST_F(ContractTest, ShellIsAskedToOpenMailAndWebTargets) {
  Open<Probe>();
  const std::u16string mail = u"mailto:pindle@example.jp", web = u"https://pindle.example.org/";
  for (const auto& target : {mail, web})
    EXPECT_GT(rt.Os().ShellExecuteA(0, u"open", target, {}, {}, kSwShow), 32);
  EXPECT_TRUE(d->RunUntil([&] { return d->ShellOpened().size() == 2; }, 10000));
  // The shell may start both programs at once.
  EXPECT_THAT(d->ShellOpened(), ::testing::UnorderedElementsAre(mail, web));
  EXPECT_THAT(Events(), IsEmpty());
}

TEST_F(ContractTest, PrintedLinesArriveInOrderPageByPageAndOnlyEndDocSendsTheDocument) {
  Open<Probe>();
  auto& printer = rt.CurrentPrinter();
  printer.EndDoc();  // no document open: nothing is sent
  printer.SetScaleMode(kScaleTwips);
  printer.SetFontSize(12.0f);
  printer.SetCurrentX(0);
  printer.Print(u"電話応対メモ");
  printer.Print(u"");
  printer.Print(u"一行目\r\n二行目");
  EXPECT_THAT(d->Printed(), IsEmpty());
  printer.EndDoc();
  std::vector<std::u16string> lines;
  for (int i = 0; i < 150; ++i) printer.Print(lines.emplace_back(u"行" + DecimalText(i)));
  printer.EndDoc();
  const auto printed = d->Printed();
  ASSERT_EQ(printed.size(), 2u);
  EXPECT_THAT(printed[0].pages,
              ElementsAre(ElementsAre(u"電話応対メモ", u"", u"一行目", u"二行目")));
  ASSERT_GE(printed[1].pages.size(), 2u);  // past the bottom margin, on the next page
  std::vector<std::u16string> all;
  for (const auto& page : printed[1].pages) {
    EXPECT_FALSE(page.empty());
    all.insert(all.end(), page.begin(), page.end());
  }
  EXPECT_EQ(all, lines);
}

TEST_F(ContractTest, SettingsNoPrinterCanTakeAreRefusedAndTheOthersKept) {
  Open<Probe>();
  auto& pr = rt.CurrentPrinter();
  const int bad = kInvalidPropertyValue;
  EXPECT_EQ(ErrorOf([&] { pr.SetScaleMode(0); }), bad);
  EXPECT_EQ(ErrorOf([&] { pr.SetCopies(0); }), bad);
  EXPECT_EQ(ErrorOf([&] { pr.SetOrientation(3); }), bad);
  EXPECT_EQ(ErrorOf([&] { pr.SetCurrentX(-1.0f); }), bad);
  EXPECT_EQ(ErrorOf([&] { pr.SetFontSize(0.0f); }), bad);
  EXPECT_EQ(ErrorOf([&] { pr.SetFontSize(1000.0f); }), bad);
  EXPECT_EQ(ErrorOf([&] { pr.SetCopies(1); }), 0);
  EXPECT_EQ(ErrorOf([&] { pr.SetOrientation(kLandscape); }), 0);
  EXPECT_EQ(ErrorOf([&] { pr.SetFontSize(999.0f); }), 0);
}

TEST_F(ContractTest, PrintDialogGivesTheChoiceCancelIs32755AndOtherFailuresArePrinterErrors) {
  Probe& p = Open<Probe>();
  CommonDialog dialog(p);
  dialog.CancelError = true;
  dialog.Flags = kPdNoSelection | kPdDisablePrintToFile;
  d->AnswerPrintDialog(PrintDialogAnswer::Ok, {2, kLandscape});
  dialog.ShowPrinter();
  EXPECT_EQ(dialog.Copies, 2);
  EXPECT_EQ(dialog.Orientation, kLandscape);
  std::vector<int> errors;
  for (const bool cancelError : {true, false}) {
    dialog.CancelError = cancelError;
    for (const auto answer : {PrintDialogAnswer::Cancel, PrintDialogAnswer::Fail}) {
      d->AnswerPrintDialog(answer);
      errors.push_back(ErrorOf([&] { dialog.ShowPrinter(); }));
    }
  }
  EXPECT_THAT(errors, ElementsAre(kCancelSelected, kPrinterError, 0, kPrinterError));
  EXPECT_THAT(Events(), IsEmpty());
}

}  // namespace
}  // namespace pindle::contract
