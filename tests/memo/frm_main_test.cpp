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

using platform::DateTime;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class FrmMainTest : public testing::HeadlessTest {
 protected:
  FrmMainTest() { backend.appPath = dir.U16(); }

  platform::headless::HeadlessWindow& Open() {
    rt.Show<frmMain>();
    return Window(u"frmMain");
  }

  testing::TempDir dir;
};

// ---- clock and weekday ----

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

TEST_F(FrmMainTest, WeekdayTurnsWithTheDateWithinOneTickOfMidnight) {
  const std::u16string expected[] = {u"日曜日", u"月曜日", u"火曜日", u"水曜日",
                                     u"木曜日", u"金曜日", u"土曜日"};
  for (int day = 0; day < 7; ++day) {
    backend.SetClock({2026, 12, 5 + day, 23, 59, 59, 850});  // 2026-12-05 is a Saturday
    auto& w = Open();
    EXPECT_EQ(w.Text(u"Label3"), u"3") << "as designed until the first tick";
    backend.Advance(200);  // ticks at .950 and at 00:00:00.050
    EXPECT_EQ(w.Text(u"Label3"), expected[day]) << "day " << day;
    rt.Unload<frmMain>();
  }
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
  rt.Unload<frmMain>();

  std::filesystem::remove(dir.Path() / "memo.txt");
  EXPECT_EQ(Open().Text(u"Text1"), u"");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{}) << "opening creates no file";
  EXPECT_TRUE(backend.MessageBoxes().empty());
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
  EXPECT_EQ(w.Text(u"Text1"), u"自分でメモを書き換える\r\n");
  EXPECT_EQ(w.Text(u"Text2"), u"山田さんから電話");
  // Command1 is neither default nor cancel button: Enter and Esc in the free memo print nothing.
  EXPECT_FALSE(Loaded(u"Dialog_Printer"));
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
  w.Type(u"Text2", u"second");
  w.Click(u"Command1");
  EXPECT_EQ(rt.Module<Module1>().SharedMemo, u"second") << "each press hands over the note";
  ASSERT_TRUE(Loaded(u"Dialog_Printer"));
  EXPECT_EQ(Window(u"Dialog_Printer").Text(u"Text1"), u"鈴木様より折り返し");
  EXPECT_TRUE(Loaded(u"frmMain")) << "the memo window stays open behind the dialog";
  EXPECT_TRUE(backend.MessageBoxes().empty());
}

}  // namespace
}  // namespace pindle
