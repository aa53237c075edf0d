// The forms runtime on the in-memory backend: default instances, the unload sequence, program
// end, the event boundary and its error report, traps, timers, menus and the print dialog.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "headless_fixture.h"
#include "platform/common_dialog.h"
#include "platform/form.h"

namespace pindle::platform {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::vector<std::string> g_events;

const FormDef& TestDef() {
  static const FormDef def{
      .name = u"frmTest",
      .caption = u"テスト",
      .controls =
          {
              {.name = u"Text1", .kind = ControlKind::TextBox, .tabIndex = 1, .text = u"design"},
              {.name = u"cmdGo", .kind = ControlKind::CommandButton, .tabIndex = 0, .text = u"Go"},
              {.name = u"tim", .kind = ControlKind::Timer, .interval = 100},
              {.name = u"Check1", .kind = ControlKind::CheckBox, .tabIndex = 2},
              {.name = u"lblPlain", .kind = ControlKind::Label, .text = u"plain"},
          },
      .menus = {{.name = u"mnuPopUp",
                 .caption = u"ファイル",
                 .visible = false,
                 .items = {{u"one", u"One"}, {u"bar", u"-"}, {u"two", u"Two"}}}},
  };
  return def;
}

class TestForm : public Form {
 public:
  explicit TestForm(Runtime& rt) : Form(rt, TestDef()) {
    On(u"cmdGo", Event::Click, [this] { onGo(); });
    On(u"tim", Event::Timer, [] { g_events.push_back("Tick"); });
    On(u"Check1", Event::Click,
       [this] { g_events.push_back("Check" + std::to_string(Check1.Value())); });
    On(u"one", Event::Click, [] { g_events.push_back("one"); });
    On(u"two", Event::Click, [] { g_events.push_back("two"); });
  }
  void Form_Load() override {
    g_events.push_back("Load");
    if (failLoad) throw RuntimeError(err::kFileNotFound, u"ファイルが見つかりません。");
  }
  void Form_QueryUnload(int& cancel, int mode) override {
    g_events.push_back("QueryUnload" + std::to_string(mode));
    if (refuseUnload) cancel = 1;
  }
  void Form_Unload(int&) override { g_events.push_back("Unload"); }
  void Form_MouseDown(int button, int shift, float x, float y) override {
    g_events.push_back("MouseDown " + std::to_string(button) + " " + std::to_string(shift) + " " +
                       std::to_string(static_cast<int>(x)) + " " +
                       std::to_string(static_cast<int>(y)));
  }
  void Form_KeyDown(int& key, int) override {
    g_events.push_back("KeyDown " + std::to_string(key));
  }

  Control Text1{*this, u"Text1"};
  Control Check1{*this, u"Check1"};
  Control tim{*this, u"tim"};
  std::function<void()> onGo = [] {};
  static inline bool failLoad = false;
  bool refuseUnload = false;
};

const FormDef& OtherDef() {
  static const FormDef def{.name = u"frmOther", .caption = u"Other"};
  return def;
}
class OtherForm : public Form {
 public:
  explicit OtherForm(Runtime& rt) : Form(rt, OtherDef()) {}
};

class RuntimeTest : public testing::HeadlessTest {
 protected:
  RuntimeTest() {
    g_events.clear();
    TestForm::failLoad = false;
  }
};

TEST_F(RuntimeTest, FirstReferenceLoadsOnceAndShowOnlyBringsForward) {
  EXPECT_EQ(rt.IfLoaded<TestForm>(), nullptr);
  TestForm& a = rt.Instance<TestForm>();
  TestForm& b = rt.Instance<TestForm>();
  EXPECT_EQ(&a, &b);
  EXPECT_THAT(g_events, ElementsAre("Load"));
  EXPECT_FALSE(a.Visible()) << "loading does not show";
  rt.Show<OtherForm>();
  rt.Show<TestForm>();
  rt.Show<TestForm>();
  EXPECT_THAT(g_events, ElementsAre("Load"));
  EXPECT_EQ(backend.WindowsCreated(), 2);
  EXPECT_THAT(backend.ZOrder(), ElementsAre(u"frmTest", u"frmOther"));
  // The design text is there until the program changes it; focus on tab index 0.
  EXPECT_EQ(a.Text1.Text(), u"design");
  EXPECT_EQ(Window(u"frmTest").FocusedControl(), u"cmdGo");
}

TEST_F(RuntimeTest, UnloadRaisesQueryUnloadThenUnloadThenDestroys) {
  TestForm& f = rt.Instance<TestForm>();
  f.Show();
  const Hwnd first = f.hWnd();
  rt.Unload<TestForm>();
  EXPECT_THAT(g_events, ElementsAre("Load", "QueryUnload1", "Unload"));
  EXPECT_FALSE(Loaded(u"frmTest"));
  EXPECT_EQ(rt.IfLoaded<TestForm>(), nullptr);

  rt.Unload<TestForm>();  // not loaded: nothing, and it is not loaded first
  EXPECT_THAT(g_events, ElementsAre("Load", "QueryUnload1", "Unload"));

  TestForm& again = rt.Instance<TestForm>();
  EXPECT_EQ(g_events.back(), "Load");
  EXPECT_EQ(again.Text1.Text(), u"design") << "a reloaded window starts from its definition";
  EXPECT_NE(again.hWnd(), first);
}

TEST_F(RuntimeTest, CloseBoxUnloadsWithControlMenuModeAndCancelKeepsTheWindow) {
  TestForm& f = rt.Instance<TestForm>();
  f.Show();
  f.refuseUnload = true;
  Window(u"frmTest").PressCloseBox();
  EXPECT_TRUE(Loaded(u"frmTest"));
  f.refuseUnload = false;
  Window(u"frmTest").PressCloseBox();
  EXPECT_THAT(g_events, ElementsAre("Load", "QueryUnload0", "QueryUnload0", "Unload"));
  EXPECT_FALSE(Loaded(u"frmTest"));
}

TEST_F(RuntimeTest, ProgramRunsWhileAnyWindowIsLoaded) {
  rt.Show<TestForm>();
  rt.Show<OtherForm>();
  rt.Unload<TestForm>();
  EXPECT_EQ(backend.Quits(), 0);
  EXPECT_TRUE(rt.AnyLoaded());
  rt.Unload<OtherForm>();
  EXPECT_EQ(backend.Quits(), 1);
  EXPECT_FALSE(rt.AnyLoaded());
}

TEST_F(RuntimeTest, UntrappedErrorEndsTheHandlerAndIsReportedThenTheProgramRunsOn) {
  TestForm& f = rt.Instance<TestForm>();
  f.Show();
  f.onGo = [&f] {
    f.Text1.SetText(u"step 1");
    throw RuntimeError(err::kPathFileAccess, u"パス名が無効です。");
    // never reached
  };
  Window(u"frmTest").Click(u"cmdGo");
  ASSERT_EQ(backend.MessageBoxes().size(), 1u);
  const auto& box = backend.MessageBoxes()[0];
  EXPECT_EQ(box.style, kMbIconStop);
  EXPECT_EQ(box.title, u"Pindle");
  EXPECT_THAT(Utf16ToUtf8(box.prompt), HasSubstr("75"));
  EXPECT_THAT(Utf16ToUtf8(box.prompt), HasSubstr("パス名が無効です。"));
  EXPECT_EQ(f.Text1.Text(), u"step 1");

  // Other failures take the same road; the program keeps working.
  f.onGo = [] { throw std::runtime_error("boom"); };
  Window(u"frmTest").Click(u"cmdGo");
  ASSERT_EQ(backend.MessageBoxes().size(), 2u);
  EXPECT_THAT(Utf16ToUtf8(backend.MessageBoxes()[1].prompt), HasSubstr("51"));
  f.onGo = [&f] { f.Text1.SetText(u"fine"); };
  Window(u"frmTest").Click(u"cmdGo");
  EXPECT_EQ(f.Text1.Text(), u"fine");
  EXPECT_EQ(backend.MessageBoxes().size(), 2u);
}

TEST_F(RuntimeTest, FailedLoadLeavesNoHalfBuiltWindowAndReportsThroughTheCaller) {
  rt.Show<OtherForm>();
  OtherForm& other = rt.Instance<OtherForm>();
  TestForm::failLoad = true;
  rt.RunEvent([&] {
    rt.Show<TestForm>();
    other.SetVisible(false);  // not reached: the caller ends at the failing Show
  });
  EXPECT_FALSE(Loaded(u"frmTest"));
  EXPECT_TRUE(other.Visible());
  ASSERT_EQ(backend.MessageBoxes().size(), 1u);
  EXPECT_THAT(Utf16ToUtf8(backend.MessageBoxes()[0].prompt), HasSubstr("53"));
  TestForm::failLoad = false;
  rt.RunEvent([&] { rt.Show<TestForm>(); });
  EXPECT_TRUE(Window(u"frmTest").IsVisible());
}

TEST_F(RuntimeTest, ResumeNextTrapSkipsFailingStepsAndKeepsTheLastNumber) {
  ResumeNextTrap trap;
  std::vector<int> ran;
  trap.Step([&] { ran.push_back(1); });
  EXPECT_EQ(trap.Number(), 0);
  trap.Step([&] { throw RuntimeError(err::kCancelSelected, u"cancel"); });
  trap.Step([&] { ran.push_back(3); });
  EXPECT_EQ(trap.Number(), err::kCancelSelected);
  EXPECT_THAT(ran, ElementsAre(1, 3));
  trap.Clear();
  EXPECT_EQ(trap.Number(), 0);
}

TEST_F(RuntimeTest, EndStopsAtOnceWithoutUnloadEvents) {
  TestForm& f = rt.Instance<TestForm>();
  f.Show();
  rt.Show<OtherForm>();
  f.onGo = [this, &f] {
    rt.End();
    f.Text1.SetText(u"after End");  // never runs
  };
  Window(u"frmTest").Click(u"cmdGo");
  EXPECT_TRUE(rt.Ended());
  EXPECT_FALSE(rt.AnyLoaded());
  EXPECT_THAT(g_events, ElementsAre("Load"));
  EXPECT_GE(backend.Quits(), 1);
  EXPECT_TRUE(backend.MessageBoxes().empty());
}

TEST_F(RuntimeTest, AHandlerMayUnloadItsOwnWindow) {
  TestForm& f = rt.Instance<TestForm>();
  f.Show();
  f.onGo = [&f] {
    f.Unload();
    g_events.push_back("after unload");
  };
  Window(u"frmTest").Click(u"cmdGo");
  EXPECT_THAT(g_events, ElementsAre("Load", "QueryUnload1", "Unload", "after unload"));
  EXPECT_FALSE(Loaded(u"frmTest"));
}

TEST_F(RuntimeTest, TimerTicksAtItsIntervalWhileEnabledAndStopsWithTheWindow) {
  TestForm& f = rt.Instance<TestForm>();
  backend.Advance(1000);
  EXPECT_TRUE(g_events.size() == 1) << "a timer is off until enabled";
  f.tim.SetEnabled(true);
  backend.Advance(350);
  EXPECT_EQ(std::count(g_events.begin(), g_events.end(), "Tick"), 3);
  f.tim.SetEnabled(false);
  backend.Advance(500);
  EXPECT_EQ(std::count(g_events.begin(), g_events.end(), "Tick"), 3);
  f.tim.SetEnabled(true);
  rt.Unload<TestForm>();
  backend.Advance(500);
  EXPECT_EQ(std::count(g_events.begin(), g_events.end(), "Tick"), 3);
}

TEST_F(RuntimeTest, CheckBoxClickTogglesAndSettingTheValueRaisesClick) {
  TestForm& f = rt.Instance<TestForm>();
  f.Show();
  Window(u"frmTest").Click(u"Check1");
  EXPECT_EQ(f.Check1.Value(), 1);
  f.Check1.SetValue(0);
  f.Check1.SetValue(0);  // no change, no Click
  EXPECT_THAT(g_events, ElementsAre("Load", "Check1", "Check0"));
}

TEST_F(RuntimeTest, KeysGoToTheFocusedControlOrElseToTheWindow) {
  TestForm& f = rt.Instance<TestForm>();
  f.Show();
  auto& w = Window(u"frmTest");
  w.Type(u"Text1", u"abc");
  w.PressKey('X');
  EXPECT_THAT(g_events, ElementsAre("Load"));
  w.FocusWindow();
  w.PressKey('X');
  EXPECT_THAT(g_events, ElementsAre("Load", "KeyDown 88"));
}

TEST_F(RuntimeTest, PopupMenuRunsTheChosenItemBeforeReturning) {
  TestForm& f = rt.Instance<TestForm>();
  backend.OnNextPopupMenu(u"two");
  rt.RunEvent([&] {
    f.PopupMenu(u"mnuPopUp", 2);
    g_events.push_back("returned");
  });
  backend.OnNextPopupMenu(u"bar");  // the separator closes the menu
  rt.RunEvent([&] { f.PopupMenu(u"mnuPopUp", 2); });
  backend.OnNextPopupMenu(std::nullopt);  // closed without a choice
  rt.RunEvent([&] { f.PopupMenu(u"mnuPopUp", 2); });
  EXPECT_THAT(g_events, ElementsAre("Load", "two", "returned"));
  ASSERT_EQ(backend.Popups().size(), 3u);
  EXPECT_EQ(backend.Popups()[0].flags, 2);
  EXPECT_EQ(backend.Popups()[0].hWnd, f.hWnd());
}

TEST_F(RuntimeTest, MessageBoxWithoutTitleShowsTheApplicationTitle) {
  rt.MsgBox(u"こんにちは", kMbIconStop);
  rt.MsgBox(u"x", kMbOk, u"題");
  ASSERT_EQ(backend.MessageBoxes().size(), 2u);
  EXPECT_EQ(backend.MessageBoxes()[0].title, u"Pindle");
  EXPECT_EQ(backend.MessageBoxes()[0].style, 16);
  EXPECT_EQ(backend.MessageBoxes()[1].title, u"題");
}

TEST_F(RuntimeTest, PrintDialogCancelRaises32755OnlyWithCancelError) {
  TestForm& f = rt.Instance<TestForm>();
  CommonDialog dialog(f);
  dialog.Flags = kPdNoSelection | kPdDisablePrintToFile;
  backend.OnNextPrintDialog(std::nullopt);
  EXPECT_NO_THROW(dialog.ShowPrinter());
  dialog.CancelError = true;
  backend.OnNextPrintDialog(std::nullopt);
  try {
    dialog.ShowPrinter();
    ADD_FAILURE() << "cancel did not raise";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), 32755);
  }
  backend.OnNextPrintDialog(PrintChoice{3, kLandscape});
  dialog.ShowPrinter();
  EXPECT_EQ(dialog.Copies, 3);
  EXPECT_EQ(dialog.Orientation, kLandscape);
  ASSERT_EQ(backend.PrintDialogs().size(), 3u);
  EXPECT_EQ(backend.PrintDialogs()[2].flags, 0x80004);
  EXPECT_EQ(backend.PrintDialogs()[2].owner, f.hWnd());
}

}  // namespace
}  // namespace pindle::platform
