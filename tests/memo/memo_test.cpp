// memo.txt, the quick memo window and the editor that writes memo.txt.
#include <filesystem>

#include "headless_fixture.h"
#include "memo/dialog_data_list.h"
#include "memo/frm_main.h"
#include "memo/memo_file.h"

namespace pindle {
namespace {

using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

class MemoTest : public testing::HeadlessTest {
 protected:
  platform::headless::HeadlessWindow& Memo() { return Show<frmMain>(); }
  platform::headless::HeadlessWindow& Editor() { return Show<Dialog_DataList>(); }
  bool EditorOpen() const { return Loaded(u"Dialog_DataList"); }
  void Register() { Editor().Click(u"OKButton"); }
  void Register(const std::u16string& text) {
    Editor().Type(u"Text1", text);
    Register();
  }
};

TEST_F(MemoTest, ThePathJoinsTheFolderAndTheFileLoadsLinesEndedByCrLfAndSavesThemBack) {
  EXPECT_EQ(MemoFilePath(u"C:\\Program Files\\Pindle", u'\\'),
            u"C:\\Program Files\\Pindle\\memo.txt");
  EXPECT_EQ(MemoFilePath(u"C:\\", u'\\'), u"C:\\\\memo.txt");  // still the file in the root
  EXPECT_EQ(MemoFilePath(u"/opt/pindle", u'/'), u"/opt/pindle/memo.txt");
  const std::u16string path = MemoFilePath(dir.U16());
  EXPECT_EQ(LoadMemoFile(path), u"") << "no file yet";
  // The bytes, the memo loaded, the bytes after three rounds of load and save.
  const std::tuple<std::string, std::u16string, std::string> cases[] = {
      {"a\r\nb\r\n", u"a\r\nb\r\n", "a\r\nb\r\n"},
      {"a\r\nb", u"a\r\nb\r\n", "a\r\nb\r\n"},  // a missing last line end comes once
      {"", u"", "\r\n"},
      {"\r\n", u"\r\n", "\r\n"},
      {"a\r\n\r\nb\r\n", u"a\r\n\r\nb\r\n", "a\r\n\r\nb\r\n"},
      {"unix\nlines\n", u"unix\r\nlines\r\n", "unix\r\nlines\r\n"},
      // 会議, half-width katakana, a NEC special character.
      {"\x89\xef\x8b\x63\r\n\xb6\xc0\r\n\x87\x40\r\n", u"会議\r\nｶﾀ\r\n①\r\n",
       "\x89\xef\x8b\x63\r\n\xb6\xc0\r\n\x87\x40\r\n"},
      // Broken bytes show as the mark, which cannot be saved (the editor's test).
      {std::string("ok\r\n\x82\r\n\x81\x7f!\r\n\xff", 13),
       u"ok\r\n\uFFFD\r\n\uFFFD\u007F!\r\n\uFFFD\r\n", ""},
  };
  for (const auto& [bytes, loaded, saved] : cases) {
    dir.Write("memo.txt", bytes);
    EXPECT_EQ(LoadMemoFile(path), loaded) << bytes;
    if (saved.empty()) continue;
    for (int round = 0; round < 3; ++round) SaveMemoFile(path, LoadMemoFile(path));
    EXPECT_EQ(dir.Read("memo.txt"), saved);
  }
  SaveMemoFile(path, u"新規\r\n〜−");  // JIS forms typed on Linux: U+301C, U+2212
  EXPECT_EQ(dir.Read("memo.txt"), "\x90\x56\x8b\x4b\r\n\x81\x60\x81\x7c\r\n");
}

TEST_F(MemoTest, ClockTurnsWithinOneTickOfEachSecondAndTheWeekdayAtMidnight) {
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
  for (int day = 0; day < 7; ++day) {
    rt.Unload<frmMain>();
    backend.SetClock({2026, 12, 5 + day, 23, 59, 59, 850});  // 2026-12-05 is a Saturday
    auto& m = Memo();
    backend.Advance(200);  // ticks at .950 and at 00:00:00.050
    EXPECT_EQ(m.Text(u"Label3"), u"日月火水木金土"[day] + std::u16string(u"曜日")) << day;
  }
}

TEST_F(MemoTest, QuickMemoShowsTheMemoHandsTheNoteOverAndOnlyItsSurfaceOrAKeyClosesIt) {
  EXPECT_EQ(Memo().Text(u"Text1"), u"");
  rt.Unload<frmMain>();
  dir.Write("memo.txt", "no final break");
  auto& w = Memo();
  EXPECT_EQ(w.Text(u"Text1"), u"no final break\r\n");
  w.Type(u"Text2", u"鈴木様より折り返し");
  for (const int key : {65, 13, 27, 32}) w.PressKey(key);
  for (const auto* c : {u"Label1", u"Label2", u"Label3", u"Label4", u"Text1", u"Text2"}) w.Click(c);
  ASSERT_TRUE(Loaded(u"frmMain"));
  EXPECT_FALSE(Loaded(u"Dialog_Printer")) << "Enter and Esc in the note print nothing";
  w.Click(u"Command1");
  EXPECT_EQ(Window(u"Dialog_Printer").Text(u"Text1"), u"鈴木様より折り返し");
  EXPECT_TRUE(Loaded(u"frmMain")) << "the memo window stays open behind the dialog";
  rt.Unload<frmMain>();
  // The left, right or middle button on the surface, or a key to the window, closes it.
  for (const int input : {1, 2, 4, 65, 13, 27, 113}) {
    auto& m = Memo();
    input < 8 ? m.PressSurface(input, 300, 200) : (m.FocusWindow(), m.PressKey(input));
    EXPECT_FALSE(Loaded(u"frmMain")) << input;
  }
}

TEST_F(MemoTest, EditorRegistersOnlyByItsButtonAndCancelOrTheCloseBoxDiscardTheEdit) {
  EXPECT_EQ(Editor().FocusedControl(), u"OKButton");
  Register();
  EXPECT_EQ(dir.Read("memo.txt"), "\r\n") << "a missing file is created";
  // Enter or Space on the focused button registers (the added line end shows that it did).
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
  Register();
  EXPECT_EQ(dir.Read("memo.txt"), "half-written\r\n") << "the new line ends it";
  Editor().PressKey(27);  // on the focused register button: neither button
  EXPECT_TRUE(EditorOpen());
  const std::string saved = dir.Read("memo.txt");
  for (const bool closeBox : {false, true}) {
    Editor().Type(u"Text1", u"thrown away");
    closeBox ? Editor().PressCloseBox() : Editor().Click(u"CancelButton");
    EXPECT_FALSE(EditorOpen());
  }
  EXPECT_EQ(dir.Read("memo.txt"), saved);
  EXPECT_TRUE(backend.MessageBoxes().empty());
}

// A sign-out while the editor holds an unregistered edit waits, the editor in front; the quick
// memo's note is scratch.  Nothing is saved; with the edit undone the session ends every window.
TEST_F(MemoTest, ASignOutWaitsForAnUnregisteredEditOnlyAndNeverSaves) {
  dir.Write("memo.txt", "memo\r\n");
  Editor().Type(u"Text1", u"changed");
  Memo().Type(u"Text2", u"a note");
  EXPECT_FALSE(backend.EndSession());
  EXPECT_EQ(backend.ZOrder().front(), u"Dialog_DataList");
  EXPECT_EQ(Editor().Text(u"Text1"), u"changed");
  Editor().Type(u"Text1", u"memo\r\n");
  EXPECT_TRUE(backend.EndSession());
  EXPECT_TRUE(rt.LoadedForms().empty());
  EXPECT_EQ(dir.Read("memo.txt"), "memo\r\n");
}

TEST_F(MemoTest, ASaveThatCannotBeDoneIsReportedKeepingTheEditAndEveryByteOfTheFile) {
  dir.Write("memo.txt", "original\r\n");
  const std::u16string unsavable = u"円記号 \u00A5 と絵文字 \U0001F600";
  Register(unsavable);
  EXPECT_EQ(Editor().Text(u"Text1"), unsavable) << "still open with the edit";
  EXPECT_THAT(StopBox(0), AllOf(HasSubstr("U+00A5"), HasSubstr("U+1F600")));
  EXPECT_EQ(dir.Read("memo.txt"), "original\r\n");
  std::filesystem::remove(dir.Path() / "memo.txt");
  std::filesystem::create_directory(dir.Path() / "memo.txt");
  Register(u"edit");
  EXPECT_EQ(Editor().Text(u"Text1"), u"edit");
  EXPECT_THAT(StopBox(1), HasSubstr("memo.txt"));
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"memo.txt"}) << "no temporary file left";
  std::filesystem::remove(dir.Path() / "memo.txt");
  // Bytes a box cannot show as they stand: a NUL, and bytes that are no Shift-JIS text.
  for (const auto& [bytes, shown] :
       {std::pair<std::string, std::u16string>{std::string("before\0after\r\nnext\r\n", 20),
                                               u"before\uFFFDafter\r\nnext\r\n"},
        {"\x82\xA0\xFF\x81\r\n", u"\u3042\uFFFD\uFFFD\r\n"}}) {
    dir.Write("memo.txt", bytes);
    rt.RunEvent([this] { rt.Unload<Dialog_DataList>(); });
    EXPECT_EQ(Editor().Text(u"Text1"), shown);
    Register();
    EXPECT_TRUE(EditorOpen());
    EXPECT_EQ(dir.Read("memo.txt"), bytes);
    EXPECT_THAT(StopBox(), AllOf(HasSubstr("Shift-JIS の文字でないバイト"),
                                 Not(HasSubstr("U+FFFD")), Not(HasSubstr("ほかに"))));
  }
  Register(u"円記号なし");  // mended, the same dialog registers
  EXPECT_FALSE(EditorOpen());
  EXPECT_EQ(backend.MessageBoxes().size(), 4u);
  EXPECT_EQ(dir.Read("memo.txt"), "\x89\x7e\x8b\x4c\x8d\x86\x82\xc8\x82\xb5\r\n");
}

}  // namespace
}  // namespace pindle
