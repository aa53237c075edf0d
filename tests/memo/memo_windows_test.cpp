// The quick memo window and the registered-memo editor on the in-memory backend: the clock and
// weekday, what closes the window, the print hand-off; what the editor loads, when it writes
// memo.txt and when it must not, and how a failed save leaves the dialog and the file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "headless_fixture.h"
#include "memo/dialog_data_list.h"
#include "memo/frm_main.h"
#include "print/module1.h"
#include "temp_dir.h"

namespace pindle {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class MemoWindowsTest : public testing::HeadlessTest {
 protected:
  MemoWindowsTest() { backend.appPath = dir.U16(); }

  platform::headless::HeadlessWindow& Memo() {
    rt.Show<frmMain>();
    return Window(u"frmMain");
  }
  platform::headless::HeadlessWindow& Editor() {
    rt.Show<Dialog_DataList>();
    return Window(u"Dialog_DataList");
  }
  bool EditorOpen() const { return Loaded(u"Dialog_DataList"); }
  // The last message box, as UTF-8 for readable failures; it must be a stop box titled Pindle.
  std::string LastMessage() {
    if (backend.MessageBoxes().empty()) return "(none)";
    const auto& box = backend.MessageBoxes().back();
    EXPECT_EQ(box.style, platform::kMbIconStop);
    EXPECT_EQ(box.title, u"Pindle");
    return platform::Utf16ToUtf8(box.prompt);
  }

  testing::TempDir dir;
};

TEST_F(MemoWindowsTest, ClockTurnsWithinOneTickOfEachSecondAndTheWeekdayAtMidnight) {
  backend.SetClock({2026, 3, 17, 14, 59, 58, 430});
  auto& w = Memo();
  std::vector<std::u16string> shown;
  for (int tick = 0; tick < 25; ++tick) {
    backend.Advance(100);
    ASSERT_EQ(w.Text(u"Label2"), rt.DateTimeText(backend.TestClock().Peek())) << tick;
    if (shown.empty() || shown.back() != w.Text(u"Label2")) shown.push_back(w.Text(u"Label2"));
  }
  EXPECT_THAT(shown,
              ElementsAre(u"2026/03/17 14:59:58", u"2026/03/17 14:59:59", u"2026/03/17 15:00:00"));
  rt.Unload<frmMain>();
  const std::u16string days[] = {u"日曜日", u"月曜日", u"火曜日", u"水曜日",
                                 u"木曜日", u"金曜日", u"土曜日"};
  for (int day = 0; day < 7; ++day) {
    backend.SetClock({2026, 12, 5 + day, 23, 59, 59, 850});  // 2026-12-05 is a Saturday
    auto& m = Memo();
    EXPECT_EQ(m.Text(u"Label3"), u"3") << "as designed until the first tick";
    backend.Advance(200);  // ticks at .950 and at 00:00:00.050
    EXPECT_EQ(m.Text(u"Label3"), days[day]) << "day " << day;
    rt.Unload<frmMain>();
  }
}

TEST_F(MemoWindowsTest, QuickMemoShowsTheMemoAndOnlyTheBareSurfaceOrAKeyOfItsOwnClosesIt) {
  EXPECT_EQ(Memo().Text(u"Text1"), u"");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{}) << "opening creates no file";
  rt.Unload<frmMain>();
  dir.Write("memo.txt", "no final break");
  auto& w = Memo();
  EXPECT_EQ(w.Text(u"Text1"), u"no final break\r\n");
  w.Type(u"Text2", u"山田さんから電話");
  for (const int key : {65, 13, 27, 32}) w.PressKey(key);
  for (const auto* control : {u"Label1", u"Label2", u"Label3", u"Label4", u"Text1", u"Text2"}) {
    w.Click(control);
  }
  ASSERT_TRUE(Loaded(u"frmMain"));
  EXPECT_FALSE(Loaded(u"Dialog_Printer")) << "Enter and Esc in the note print nothing";
  for (const int button :
       {platform::kLeftButton, platform::kRightButton, platform::kMiddleButton}) {
    Memo().PressSurface(button, 300, 200);
    EXPECT_FALSE(Loaded(u"frmMain")) << "button " << button;
  }
  for (const int key : {65, 13, 27, 113}) {
    Memo().FocusWindow();
    Window(u"frmMain").PressKey(key);
    EXPECT_FALSE(Loaded(u"frmMain")) << "key " << key;
  }
  std::filesystem::remove(dir.Path() / "memo.txt");
  std::filesystem::create_directory(dir.Path() / "memo.txt");
  rt.RunEvent([&] { rt.Show<frmMain>(); });
  EXPECT_FALSE(Loaded(u"frmMain")) << "an unreadable memo leaves no window";
  EXPECT_THAT(LastMessage(), HasSubstr("memo.txt"));
}

TEST_F(MemoWindowsTest, AnOpenQuickMemoKeepsItsTextsAndEachPrintPressHandsTheNoteOver) {
  dir.Write("memo.txt", "old\r\n");
  auto& w = Memo();
  w.Type(u"Text2", u"鈴木様より折り返し");
  Editor().Type(u"Text1", u"saved meanwhile");
  Window(u"Dialog_DataList").Click(u"OKButton");
  ASSERT_EQ(dir.Read("memo.txt"), "saved meanwhile\r\n");
  rt.Show<frmMain>();  // only brings it forward
  EXPECT_EQ(&Window(u"frmMain"), &w);
  EXPECT_EQ(w.Text(u"Text1"), u"old\r\n");
  EXPECT_EQ(backend.ZOrder().front(), u"frmMain");
  w.Click(u"Command1");
  EXPECT_EQ(rt.Module<Module1>().SharedMemo, u"鈴木様より折り返し");
  w.Type(u"Text2", u"second");
  w.Click(u"Command1");
  EXPECT_EQ(rt.Module<Module1>().SharedMemo, u"second");
  EXPECT_EQ(Window(u"Dialog_Printer").Text(u"Text1"), u"鈴木様より折り返し");
  EXPECT_TRUE(Loaded(u"frmMain")) << "the memo window stays open behind the dialog";
  EXPECT_TRUE(backend.MessageBoxes().empty());
}

TEST_F(MemoWindowsTest, EditorRegistersOnlyByItsButtonAndKeepsAnUneditedFileByteForByte) {
  auto& first = Editor();
  EXPECT_EQ(first.FocusedControl(), u"OKButton");
  first.Click(u"OKButton");
  EXPECT_EQ(dir.Read("memo.txt"), "\r\n") << "a missing file is created";
  dir.Write("memo.txt", "a\r\n\r\nb\r\n");
  for (int round = 0; round < 2; ++round) Editor().Click(u"OKButton");
  EXPECT_EQ(dir.Read("memo.txt"), "a\r\n\r\nb\r\n");
  // Enter or Space at once register (the missing last line end shows that they did).
  for (const int key : {13, 32}) {
    dir.Write("memo.txt", "first\r\nsecond");
    Editor().PressKey(key);
    EXPECT_FALSE(EditorOpen());
    EXPECT_EQ(dir.Read("memo.txt"), "first\r\nsecond\r\n") << "key " << key;
  }
  auto& w = Editor();
  w.Type(u"Text1", u"half-written");
  dir.Write("memo.txt", "changed on disk\r\n");
  EXPECT_EQ(Editor().Text(u"Text1"), u"half-written") << "showing it again keeps the edit";
  w.PressKey(13);  // a new line in the box, not the register button
  w.PressKey(27);
  ASSERT_TRUE(EditorOpen());
  w.Click(u"OKButton");
  EXPECT_EQ(dir.Read("memo.txt"), "half-written\r\n") << "the new line ends it";
  Editor().Type(u"Text1", u"");
  Window(u"Dialog_DataList").Click(u"OKButton");
  EXPECT_EQ(dir.Read("memo.txt"), "\r\n") << "an emptied box";
  Editor().Type(u"Text1", u"内線 123\r\n\r\n総務 山田");
  Window(u"Dialog_DataList").Click(u"OKButton");
  EXPECT_EQ(Memo().Text(u"Text1"), u"内線 123\r\n\r\n総務 山田\r\n");
  Editor().PressKey(27);  // on the focused register button: neither button
  EXPECT_TRUE(EditorOpen());
  // Cancel and the close box discard the edit.
  const std::string saved = dir.Read("memo.txt");
  for (const bool closeBox : {false, true}) {
    Editor().Type(u"Text1", u"thrown away");
    if (closeBox) {
      Window(u"Dialog_DataList").PressCloseBox();
    } else {
      Window(u"Dialog_DataList").Click(u"CancelButton");
    }
    EXPECT_FALSE(EditorOpen());
    EXPECT_EQ(dir.Read("memo.txt"), saved) << closeBox;
  }
  EXPECT_TRUE(backend.MessageBoxes().empty());
}

TEST_F(MemoWindowsTest, ASaveThatCannotBeDoneIsReportedKeepingTheEditAndEveryByteOfTheFile) {
  dir.Write("memo.txt", "original\r\n");
  auto& w = Editor();
  w.Type(u"Text1", u"円記号 \u00A5 と絵文字 \U0001F600");
  w.Click(u"OKButton");
  ASSERT_TRUE(EditorOpen());
  EXPECT_EQ(w.Text(u"Text1"), u"円記号 \u00A5 と絵文字 \U0001F600");
  EXPECT_THAT(LastMessage(), HasSubstr("U+1F600"));
  EXPECT_EQ(dir.Read("memo.txt"), "original\r\n");
  w.Type(u"Text1", u"edit");
  std::filesystem::remove(dir.Path() / "memo.txt");
  std::filesystem::create_directory(dir.Path() / "memo.txt");
  w.Click(u"OKButton");
  ASSERT_TRUE(EditorOpen());
  EXPECT_EQ(w.Text(u"Text1"), u"edit");
  EXPECT_THAT(LastMessage(), HasSubstr("memo.txt"));
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"memo.txt"}) << "no temporary file left";
  rt.RunEvent([this] { rt.Unload<Dialog_DataList>(); });
  std::filesystem::remove(dir.Path() / "memo.txt");
  // Bytes a box cannot show as they stand: a NUL, and bytes that are no Shift-JIS text.
  const struct {
    std::string bytes;
    std::u16string shown;
  } cases[] = {
      {std::string("before\0after\r\nnext\r\n", 20), u"before\uFFFDafter\r\nnext\r\n"},
      {"\x82\xA0\xFF\x81\r\n", u"\u3042\uFFFD\uFFFD\r\n"},
  };
  for (const auto& c : cases) {
    dir.Write("memo.txt", c.bytes);
    EXPECT_EQ(Editor().Text(u"Text1"), c.shown);
    Window(u"Dialog_DataList").Click(u"OKButton");
    ASSERT_TRUE(EditorOpen());
    EXPECT_EQ(dir.Read("memo.txt"), c.bytes);
    EXPECT_THAT(LastMessage(), HasSubstr("Shift-JIS の文字でないバイト"));
    EXPECT_THAT(LastMessage(), ::testing::Not(HasSubstr("U+FFFD")));
    rt.RunEvent([this] { rt.Unload<Dialog_DataList>(); });
  }
  // Mended, the same dialog registers.
  Editor().Type(u"Text1", u"円記号なし");
  Window(u"Dialog_DataList").Click(u"OKButton");
  EXPECT_FALSE(EditorOpen());
  EXPECT_EQ(backend.MessageBoxes().size(), 4u);
  EXPECT_EQ(dir.Read("memo.txt"), "\x89\x7e\x8b\x4c\x8d\x86\x82\xc8\x82\xb5\r\n");
}

}  // namespace
}  // namespace pindle
