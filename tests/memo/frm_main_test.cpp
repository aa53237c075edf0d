// The quick memo window on the in-memory backend: its clock and weekday, the registered memo it
// shows, what closes it and what does not, the print hand-off, and what a user sees of its
// layout.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "headless_fixture.h"
#include "memo/dialog_data_list.h"
#include "memo/frm_main.h"
#include "platform/form.h"
#include "print/dialog_printer.h"
#include "print/module1.h"
#include "temp_dir.h"

namespace pindle {
namespace {

using platform::Color;
using platform::ControlDef;
using platform::DateTime;
using platform::kBlack;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class FrmMainTest : public testing::HeadlessTest {
 protected:
  FrmMainTest() { backend.appPath = dir.U16(); }

  platform::headless::HeadlessWindow& Open() {
    rt.Show<frmMain>();
    return Window(u"frmMain");
  }
  const ControlDef& Def(std::u16string_view name) {
    const auto& def = frmMainDefinition();
    const int id = def.Find(name);
    if (id < 0) throw std::logic_error("no such control");
    return def.controls[static_cast<std::size_t>(id)];
  }

  testing::TempDir dir;
};

// ---- clock and weekday ----

TEST_F(FrmMainTest, LabelsKeepTheirDesignCaptionsUntilTheFirstTick) {
  backend.SetClock({2026, 12, 6, 9, 5, 7, 0});
  auto& w = Open();
  EXPECT_TRUE(w.TimerEnabled(u"timMain"));
  EXPECT_EQ(w.Text(u"Label2"), u"2");
  EXPECT_EQ(w.Text(u"Label3"), u"3");
  backend.Advance(99);
  EXPECT_EQ(w.Text(u"Label2"), u"2");
  backend.Advance(1);
  EXPECT_EQ(w.Text(u"Label2"), rt.DateTimeText({2026, 12, 6, 9, 5, 7, 100}));
  EXPECT_EQ(w.Text(u"Label2"), u"2026/12/06 9:05:07");
  EXPECT_EQ(w.Text(u"Label3"), u"日曜日");
}

TEST_F(FrmMainTest, ClockFollowsTheRuntimesTextAndTurnsWithinOneTickOfEachSecond) {
  backend.SetClock({2026, 3, 17, 14, 59, 58, 430});
  auto& w = Open();
  std::vector<std::u16string> shown;
  for (int tick = 0; tick < 25; ++tick) {
    backend.Advance(100);
    const DateTime now = backend.TestClock().Peek();
    ASSERT_EQ(w.Text(u"Label2"), rt.DateTimeText(now)) << "tick " << tick;
    if (shown.empty() || shown.back() != w.Text(u"Label2")) shown.push_back(w.Text(u"Label2"));
  }
  // 14:59:58.530 to 15:00:00.930: every second appears, each from the first tick in it.
  EXPECT_THAT(shown,
              ElementsAre(u"2026/03/17 14:59:58", u"2026/03/17 14:59:59", u"2026/03/17 15:00:00"));
}

TEST_F(FrmMainTest, DateAndWeekdayTurnOverAtMidnightWithinOneTick) {
  backend.SetClock({2026, 12, 5, 23, 59, 59, 850});  // a Saturday
  auto& w = Open();
  backend.Advance(100);
  EXPECT_EQ(w.Text(u"Label2"), u"2026/12/05 23:59:59");
  EXPECT_EQ(w.Text(u"Label3"), u"土曜日");
  backend.Advance(100);  // 00:00:00.050 on Sunday
  EXPECT_EQ(w.Text(u"Label2"), u"2026/12/06 0:00:00");
  EXPECT_EQ(w.Text(u"Label3"), u"日曜日");
}

TEST_F(FrmMainTest, EveryDayOfTheWeekHasItsOwnCaption) {
  const std::vector<std::u16string> expected = {u"日曜日", u"月曜日", u"火曜日", u"水曜日",
                                                u"木曜日", u"金曜日", u"土曜日"};
  for (int d = 0; d < 7; ++d) {
    backend.SetClock({2026, 12, 6 + d, 12, 0, 0, 0});  // 2026-12-06 is a Sunday
    auto& w = Open();
    backend.Advance(100);
    EXPECT_EQ(w.Text(u"Label3"), expected[static_cast<std::size_t>(d)]) << "day " << d;
    rt.Unload<frmMain>();
  }
}

TEST_F(FrmMainTest, BothLabelsAreRewrittenOnEveryTick) {
  auto& w = Open();
  backend.Advance(100);
  const auto time = w.Text(u"Label2");
  const auto weekday = w.Text(u"Label3");
  // Something else scribbled on the labels: the next tick puts the clock back.
  w.Controls()[static_cast<std::size_t>(frmMainDefinition().Find(u"Label2"))].text = u"x";
  w.Controls()[static_cast<std::size_t>(frmMainDefinition().Find(u"Label3"))].text = u"y";
  backend.Advance(100);
  EXPECT_EQ(w.Text(u"Label2"), time);
  EXPECT_EQ(w.Text(u"Label3"), weekday);
}

// ---- the registered memo ----

TEST_F(FrmMainTest, ShowsTheRegisteredMemoAsLoaded) {
  dir.Write("memo.txt", "");
  EXPECT_EQ(Open().Text(u"Text1"), u"");
  rt.Unload<frmMain>();

  dir.Write("memo.txt", "a\r\nb\r\n");
  // Both lines, and the empty third line after the final line break.
  EXPECT_EQ(Open().Text(u"Text1"), u"a\r\nb\r\n");
  rt.Unload<frmMain>();

  dir.Write("memo.txt", "no final break");
  EXPECT_EQ(Open().Text(u"Text1"), u"no final break\r\n");
  EXPECT_TRUE(backend.MessageBoxes().empty());
}

TEST_F(FrmMainTest, MissingMemoFileShowsAnEmptyBoxWithoutComplaint) {
  auto& w = Open();
  EXPECT_EQ(w.Text(u"Text1"), u"");
  EXPECT_TRUE(w.IsVisible());
  EXPECT_TRUE(backend.MessageBoxes().empty());
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{}) << "opening creates no file";
}

TEST_F(FrmMainTest, UnreadableMemoFileIsReportedAndLeavesNoWindow) {
  std::filesystem::create_directory(dir.Path() / "memo.txt");
  rt.RunEvent([&] { rt.Show<frmMain>(); });
  EXPECT_FALSE(Loaded(u"frmMain"));
  ASSERT_EQ(backend.MessageBoxes().size(), 1u);
  EXPECT_EQ(backend.MessageBoxes()[0].style, platform::kMbIconStop);
  EXPECT_EQ(backend.MessageBoxes()[0].title, u"Pindle");
  EXPECT_THAT(platform::Utf16ToUtf8(backend.MessageBoxes()[0].prompt), HasSubstr("memo.txt"));
}

// ---- closing ----

TEST_F(FrmMainTest, AnyMouseButtonOnTheBareSurfaceClosesTheWindow) {
  for (const int button :
       {platform::kLeftButton, platform::kRightButton, platform::kMiddleButton}) {
    Open().PressSurface(button, 300, 200);
    EXPECT_FALSE(Loaded(u"frmMain")) << "button " << button;
  }
  EXPECT_TRUE(backend.MessageBoxes().empty());
}

TEST_F(FrmMainTest, AKeyReachingTheWindowItselfClosesIt) {
  for (const int key : {65, 13, 27, 113}) {
    auto& w = Open();
    w.FocusWindow();
    w.PressKey(key);
    EXPECT_FALSE(Loaded(u"frmMain")) << "key " << key;
  }
}

TEST_F(FrmMainTest, TypingAndClickingControlsLeaveTheWindowOpen) {
  auto& w = Open();
  w.Type(u"Text1", u"自分でメモを書き換える");
  w.PressKey(65);
  w.PressKey(13);
  w.Type(u"Text2", u"山田さんから電話");
  for (const int key : {65, 13, 27, 32}) w.PressKey(key);
  for (const auto* control : {u"Label1", u"Label2", u"Label3", u"Label4", u"Text1", u"Text2"}) {
    w.Click(control);
  }
  ASSERT_TRUE(Loaded(u"frmMain"));
  EXPECT_EQ(w.Text(u"Text1"), u"自分でメモを書き換える");
  EXPECT_EQ(w.Text(u"Text2"), u"山田さんから電話");
  // Command1 is neither default nor cancel button: Enter and Esc in the free memo print nothing.
  EXPECT_FALSE(Loaded(u"Dialog_Printer"));
}

TEST_F(FrmMainTest, ReopeningStartsAfreshWithTheMemoAsLastSaved) {
  dir.Write("memo.txt", "old\r\n");
  auto& w = Open();
  w.Type(u"Text2", u"quick note");
  w.PressSurface(platform::kLeftButton);
  ASSERT_FALSE(Loaded(u"frmMain"));

  rt.Show<Dialog_DataList>();
  Window(u"Dialog_DataList").Type(u"Text1", u"new\r\nmemo");
  Window(u"Dialog_DataList").Click(u"OKButton");
  ASSERT_FALSE(Loaded(u"Dialog_DataList"));

  auto& again = Open();
  EXPECT_EQ(again.Text(u"Text2"), u"");
  EXPECT_EQ(again.Text(u"Text1"), u"new\r\nmemo\r\n");
  EXPECT_EQ(again.Text(u"Label2"), u"2") << "a fresh window until its first tick";
}

TEST_F(FrmMainTest, AnOpenWindowIsNeitherReloadedNorUpdatedByTheEditor) {
  dir.Write("memo.txt", "old\r\n");
  auto& w = Open();
  w.Type(u"Text2", u"keep me");
  rt.Show<Dialog_DataList>();
  Window(u"Dialog_DataList").Type(u"Text1", u"saved meanwhile");
  Window(u"Dialog_DataList").Click(u"OKButton");
  ASSERT_EQ(dir.Read("memo.txt"), "saved meanwhile\r\n");

  rt.Show<frmMain>();  // only brings it forward
  EXPECT_EQ(backend.WindowsCreated(), 2);
  EXPECT_EQ(&Window(u"frmMain"), &w);
  EXPECT_EQ(w.Text(u"Text1"), u"old\r\n");
  EXPECT_EQ(w.Text(u"Text2"), u"keep me");
  EXPECT_EQ(backend.ZOrder().front(), u"frmMain");
}

// ---- print hand-off ----

TEST_F(FrmMainTest, PrintButtonHandsTheFreeMemoToThePrintDialog) {
  auto& w = Open();
  w.Type(u"Text2", u"鈴木様より折り返し");
  w.Click(u"Command1");
  EXPECT_EQ(rt.Module<Module1>().SharedMemo, u"鈴木様より折り返し");
  ASSERT_TRUE(Loaded(u"Dialog_Printer"));
  EXPECT_EQ(Window(u"Dialog_Printer").Text(u"Text1"), u"鈴木様より折り返し");
  EXPECT_TRUE(Loaded(u"frmMain")) << "the memo window stays open behind the dialog";
  EXPECT_TRUE(backend.MessageBoxes().empty());
}

TEST_F(FrmMainTest, EachPrintPressHandsOverTheCurrentNote) {
  auto& w = Open();
  w.Click(u"Command1");
  EXPECT_EQ(rt.Module<Module1>().SharedMemo, u"");
  w.Type(u"Text2", u"second");
  w.Click(u"Command1");
  EXPECT_EQ(rt.Module<Module1>().SharedMemo, u"second");
}

// ---- what a user sees ----

TEST_F(FrmMainTest, FocusStartsInTheRegisteredMemoAndTabsThroughPrintToTheFreeMemo) {
  auto& w = Open();
  EXPECT_EQ(w.FocusedControl(), u"Text1");
  std::vector<std::u16string> order;
  for (const int id : frmMainDefinition().TabOrder()) {
    order.push_back(frmMainDefinition().controls[static_cast<std::size_t>(id)].name);
  }
  EXPECT_THAT(order, ElementsAre(u"Text1", u"Command1", u"Text2"));
}

TEST_F(FrmMainTest, ABorderlessBlackWindowThatFillsTheScreen) {
  const auto& def = frmMainDefinition();
  EXPECT_EQ(def.border, platform::BorderStyle::None);
  EXPECT_FALSE(def.controlBox);
  EXPECT_FALSE(def.showInTaskbar);
  EXPECT_EQ(def.backColor, kBlack);
  EXPECT_EQ(def.windowState, platform::WindowState::Maximized);
  EXPECT_EQ(def.startPosition, platform::StartPosition::Manual);
}

TEST_F(FrmMainTest, CaptionsReadExactly) {
  auto& w = Open();
  EXPECT_EQ(w.Text(u"Label4"), u"簡易メモ");
  EXPECT_EQ(w.Text(u"Command1"), u"メモ印刷");
  const std::u16string help = w.Text(u"Label1");
  EXPECT_EQ(help, u"Pindle画面\u3000\u3000起動(Alt+F1) \u3000消去(Alt+F2)\u3000編集(Alt+F3)");
  EXPECT_EQ(std::count(help.begin(), help.end(), u'\u3000'), 4);
  EXPECT_EQ(w.Text(u"Text2"), u"");
}

TEST_F(FrmMainTest, LightTextOnBlackAndAGreyMemoBox) {
  const Color lavender{192, 192, 255}, paleCyan{192, 255, 255}, grey{224, 224, 224};
  for (const auto* name : {u"Label2", u"Label3", u"Label4"}) {
    EXPECT_EQ(Def(name).foreColor, lavender) << platform::Utf16ToUtf8(name);
    EXPECT_EQ(Def(name).backColor, kBlack) << platform::Utf16ToUtf8(name);
  }
  EXPECT_EQ(Def(u"Label1").foreColor, paleCyan);
  EXPECT_EQ(Def(u"Label1").backColor, kBlack);
  EXPECT_EQ(Def(u"Text1").backColor, grey);
  EXPECT_EQ(Def(u"Text2").backColor, std::nullopt);
}

TEST_F(FrmMainTest, ClockInLargeProportionalGothicMemoInSmallFixedGothic) {
  const platform::FontDef clock{u"ＭＳ Ｐゴシック", 12.0f, 128};
  const platform::FontDef memo{u"ＭＳ ゴシック", 9.0f, 128};
  EXPECT_EQ(Def(u"Label2").font, clock);
  EXPECT_EQ(Def(u"Label3").font, clock);
  EXPECT_EQ(Def(u"Text1").font, memo);
  for (const auto* name : {u"Label1", u"Label4", u"Text2", u"Command1"}) {
    EXPECT_EQ(Def(name).font, std::nullopt) << platform::Utf16ToUtf8(name);
  }
}

TEST_F(FrmMainTest, RegisteredMemoIsAMultiLineBoxAndTheFreeMemoOneLine) {
  EXPECT_TRUE(Def(u"Text1").multiLine);
  EXPECT_EQ(Def(u"Text1").scrollBars, platform::ScrollBars::None);
  EXPECT_FALSE(Def(u"Text2").multiLine);
  EXPECT_EQ(Def(u"Text2").scrollBars, platform::ScrollBars::None);
  EXPECT_EQ(Def(u"timMain").interval, 100);
}

TEST_F(FrmMainTest, LayoutLinesUpInsideTheDesignArea) {
  const auto& def = frmMainDefinition();
  const auto right = [&](std::u16string_view n) { return Def(n).left + Def(n).width; };
  const auto bottom = [&](std::u16string_view n) { return Def(n).top + Def(n).height; };
  // The clock in the top-left corner, the weekday under it.
  EXPECT_EQ(Def(u"Label2").left, 120);
  EXPECT_EQ(Def(u"Label2").top, 120);
  EXPECT_EQ(Def(u"Label3").left, 120);
  EXPECT_EQ(Def(u"Label3").top, 480);
  // Both memo boxes and the heading share one left edge; the boxes, the print button and the
  // key help share one right edge.
  for (const auto* n : {u"Text1", u"Label4", u"Text2"}) EXPECT_EQ(Def(n).left, 2400);
  for (const auto* n : {u"Text1", u"Text2", u"Command1", u"Label1"}) EXPECT_EQ(right(n), 10215);
  // Top to bottom: registered memo, heading, free memo, print button, key help.
  EXPECT_EQ(Def(u"Text1").top, 600);
  EXPECT_LT(bottom(u"Text1"), Def(u"Label4").top);
  EXPECT_LT(Def(u"Label4").top, Def(u"Text2").top);
  EXPECT_LT(bottom(u"Text2"), Def(u"Command1").top);
  EXPECT_LT(bottom(u"Command1"), Def(u"Label1").top);
  EXPECT_EQ(def.width, 10710);
  EXPECT_EQ(def.height, 9525);
  EXPECT_EQ(def.left, 1950);
  EXPECT_EQ(def.top, 1350);
  for (const auto& c : def.controls) {
    if (c.kind == platform::ControlKind::Timer) continue;
    EXPECT_LE(c.left + c.width, def.width) << platform::Utf16ToUtf8(c.name);
    EXPECT_LE(c.top + c.height, def.height) << platform::Utf16ToUtf8(c.name);
  }
}

}  // namespace
}  // namespace pindle
