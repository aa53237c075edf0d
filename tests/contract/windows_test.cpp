// Windows as the program sees them: load, show, unload and the end of the program, untrapped
// errors and message boxes, timers, the pop-up menu, and messages from outside through a
// window's procedure chain.
#include <gmock/gmock.h>

#include <stdexcept>

#include "contract/probe_forms.h"
#include "platform/runtime_error.h"

namespace pindle::contract {
namespace {

using platform::Hwnd;
using platform::LParam;
using platform::LResult;
using platform::RuntimeError;
using platform::WParam;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST_F(ContractTest, WindowLoadsOnFirstReferenceShowsAndUnloadsWithItsEventsInOrder) {
  Probe& p = Open<Probe>();
  EXPECT_TRUE(d->WindowVisible(p));
  EXPECT_EQ(&rt.Instance<Probe>(), &p);  // a loaded window is only brought forward
  p.Show();
  rt.Unload<Probe>();
  EXPECT_EQ(rt.IfLoaded<Probe>(), nullptr);
  EXPECT_THAT(Events(), ElementsAre("QueryUnload 1", "Unload"));
  EXPECT_TRUE(d->LoopEnded());
  rt.Unload<Probe>();  // not loaded: nothing happens
  EXPECT_EQ(Events().size(), 2u);
}

TEST_F(ContractTest, CloseBoxUnloadsFromTheControlMenuUnlessRefused) {
  Probe& p = Open<Probe>();
  p.unloadAgain = true;  // an unload asked for while unloading is the same unload
  p.refuseUnload = true;
  d->CloseBox(p);
  EXPECT_TRUE(d->WindowVisible(p));
  p.refuseUnload = false;
  d->CloseBox(p);
  EXPECT_EQ(rt.IfLoaded<Probe>(), nullptr);
  EXPECT_THAT(Events(), ElementsAre("QueryUnload 0", "QueryUnload 0", "Unload"));
}

TEST_F(ContractTest, ProgramRunsWhileAnyWindowIsLoadedAndEndStopsAtOnce) {
  Probe& p = Open<Probe>();
  Black& b = Open<Black>();
  EXPECT_THAT(rt.LoadedForms(), ::testing::UnorderedElementsAre(&p, &b));
  rt.Unload<Probe>();
  EXPECT_FALSE(d->LoopEnded());
  d->Press(b, u"cmdGo", 1);  // the other window works on
  EXPECT_THAT(Events().back(), "Click cmdGo");
  rt.RunEvent([&] { rt.End(); });
  EXPECT_TRUE(d->LoopEnded());
  EXPECT_EQ(rt.IfLoaded<Black>(), nullptr);
  EXPECT_EQ(Events().back(), "Click cmdGo");  // no unload events
}

class FailingLoad : public ProbeBase {
 public:
  explicit FailingLoad(platform::Runtime& rt) : ProbeBase(rt, BlackDef()) {}
  void Form_Load() override {
    throw RuntimeError(platform::err::kFileNotFound, u"ファイルが見つかりません。");
  }
};

TEST_F(ContractTest, LastWindowFailingToLoadIsReportedAndEndsTheProgram) {
  rt.Start<FailingLoad>();
  EXPECT_EQ(rt.IfLoaded<FailingLoad>(), nullptr);
  EXPECT_TRUE(d->LoopEnded());
  ASSERT_EQ(d->MessageBoxes().size(), 1u);
  EXPECT_EQ(d->MessageBoxes()[0].prompt, u"実行時エラー '53':\n\nファイルが見つかりません。");
}

TEST_F(ContractTest, UntrappedErrorEndsItsHandlerIsReportedAndTheProgramRunsOn) {
  Probe& p = Open<Probe>();
  rt.RunEvent([&] {
    p.txtLine.SetText(u"前");
    throw RuntimeError(platform::err::kDiskFull, u"ディスクがいっぱいです。");
    p.txtLine.SetText(u"後");
  });
  EXPECT_EQ(d->Text(p, u"txtLine"), u"前");
  ASSERT_EQ(d->MessageBoxes().size(), 1u);
  const SeenMessageBox box = d->MessageBoxes()[0];
  EXPECT_EQ(box.prompt, u"実行時エラー '61':\n\nディスクがいっぱいです。");
  EXPECT_EQ(box.style, platform::kMbIconStop);
  EXPECT_EQ(box.title, u"Pindle");
  d->Press(p, u"cmdOther", 1);
  EXPECT_THAT(Events(), ElementsAre("Click cmdOther"));
}

TEST_F(ContractTest, TrappedErrorsOfEveryKindGoOnWithTheNextStep) {
  platform::ResumeNextTrap trap;
  std::vector<int> numbers;
  trap.Step([] { throw RuntimeError(platform::err::kDiskFull, u"満杯"); });
  numbers.push_back(trap.Number());
  trap.Step([] { throw std::bad_alloc(); });
  numbers.push_back(trap.Number());
  trap.Step([] { throw std::runtime_error("broken"); });
  numbers.push_back(trap.Number());
  EXPECT_EQ(numbers, (std::vector<int>{61, 7, 51}));
  EXPECT_THROW(trap.Step([&] { rt.End(); }), platform::ProgramEnd);
}

TEST_F(ContractTest, MessageBoxesShowPromptIconAndTitleOrTheApplicationTitle) {
  Open<Probe>();
  EXPECT_EQ(rt.MsgBox(u"一行目\n二行目", platform::kMbIconStop), platform::kIdOk);
  rt.MsgBox(u"本文", platform::kMbOk, u"題名");
  const auto boxes = d->MessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].prompt, u"一行目\n二行目");
  EXPECT_EQ(boxes[0].style, platform::kMbIconStop);
  EXPECT_EQ(boxes[0].title, u"Pindle");
  EXPECT_EQ(boxes[1].prompt, u"本文");
  EXPECT_EQ(boxes[1].style, platform::kMbOk);
  EXPECT_EQ(boxes[1].title, u"題名");
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
  if (uMsg == platform::msg::kHotKey || uMsg == platform::msg::kMButtonDown) {
    g_seen.push_back(std::to_string(uMsg) + " " + std::to_string(wParam) + " " +
                     std::to_string(lParam));
  }
  return platform::Runtime::Current().Os().CallWindowProcA(g_previous, hWnd, uMsg, wParam, lParam);
}

TEST_F(ContractTest, MessagesFromOutsideGoThroughTheProcedureChainToTheRuntime) {
  Black& b = Open<Black>();
  auto& os = rt.Os();
  g_seen.clear();
  g_previous = os.SetWindowLongA(b.hWnd(), platform::kGwlWndProc, platform::ProcAddress(&Hook));
  ASSERT_NE(g_previous, 0);
  // The tray icon's callback: message 519 with the mouse message in lParam.
  d->Post(b.hWnd(), platform::msg::kMButtonDown, 1, platform::msg::kLButtonDblClk);
  d->Post(b.hWnd(), platform::msg::kHotKey, 0xC0A5, 0x00700001);
  const int x = static_cast<int>(platform::msg::kLButtonDblClk * rt.TwipsPerPixelX());
  EXPECT_THAT(g_seen, ElementsAre("519 1 515", "786 49317 7340033"));
  EXPECT_THAT(Events(), ElementsAre("MouseDown 4 " + std::to_string(x) + " 0"));
  // Put back, the runtime's own procedure gets the messages alone.
  os.SetWindowLongA(b.hWnd(), platform::kGwlWndProc, g_previous);
  d->Post(b.hWnd(), platform::msg::kHotKey, 1, 0);
  EXPECT_EQ(g_seen.size(), 2u);
}

TEST_F(ContractTest, ShellIsAskedToOpenMailAndWebTargets) {
  Open<Probe>();
  for (const auto* target : {u"mailto:pindle@example.jp", u"https://pindle.example.org/"}) {
    EXPECT_GT(
        rt.Os().ShellExecuteA(0, u"open", target, std::nullopt, std::nullopt, platform::kSwShow),
        32);
  }
  EXPECT_TRUE(d->RunUntil([&] { return d->ShellOpened().size() == 2; }, 10000));
  EXPECT_THAT(
      d->ShellOpened(),  // the shell may start both programs at once
      ::testing::UnorderedElementsAre(u"mailto:pindle@example.jp", u"https://pindle.example.org/"));
  EXPECT_THAT(Events(), IsEmpty());
}

}  // namespace
}  // namespace pindle::contract
