// The registered-memo editor on the in-memory backend: what it loads, when it writes memo.txt
// and when it must not, how a failed save leaves the dialog and the file, and its keyboard.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "headless_fixture.h"
#include "memo/dialog_data_list.h"
#include "memo/frm_main.h"
#include "platform/form.h"
#include "temp_dir.h"

namespace pindle {
namespace {

using platform::ControlDef;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr int kEnter = 13;
constexpr int kEscape = 27;
constexpr int kSpace = 32;

class DialogDataListTest : public testing::HeadlessTest {
 protected:
  DialogDataListTest() { backend.appPath = dir.U16(); }

  platform::headless::HeadlessWindow& Open() {
    rt.Show<Dialog_DataList>();
    return Window(u"Dialog_DataList");
  }
  bool IsOpen() const { return Loaded(u"Dialog_DataList"); }
  const ControlDef& Def(std::u16string_view name) {
    const auto& def = Dialog_DataListDefinition();
    return def.controls.at(static_cast<std::size_t>(def.Find(name)));
  }
  // The one message box shown so far, as UTF-8 for readable failures.
  std::string OnlyMessage() {
    if (backend.MessageBoxes().size() != 1) {
      ADD_FAILURE() << backend.MessageBoxes().size() << " message boxes";
      return {};
    }
    const auto& box = backend.MessageBoxes()[0];
    EXPECT_EQ(box.style, platform::kMbIconStop);
    EXPECT_EQ(box.title, u"Pindle");
    return platform::Utf16ToUtf8(box.prompt);
  }

  testing::TempDir dir;
};

// ---- opening ----

TEST_F(DialogDataListTest, OpensWithTheWholeFileAndTheFocusOnRegister) {
  dir.Write("memo.txt", "line 1\r\n\r\nline 3\r\n");
  auto& w = Open();
  EXPECT_EQ(w.Text(u"Text1"), u"line 1\r\n\r\nline 3\r\n");
  EXPECT_EQ(w.FocusedControl(), u"OKButton");
  EXPECT_TRUE(w.IsVisible());
  EXPECT_TRUE(backend.MessageBoxes().empty());
}

TEST_F(DialogDataListTest, MissingFileOpensEmptyAndRegisterCreatesIt) {
  auto& w = Open();
  EXPECT_EQ(w.Text(u"Text1"), u"");
  EXPECT_TRUE(backend.MessageBoxes().empty());
  w.Click(u"OKButton");
  EXPECT_FALSE(IsOpen());
  EXPECT_EQ(dir.Read("memo.txt"), "\r\n");
}

TEST_F(DialogDataListTest, ShowingItAgainKeepsTheEditInProgress) {
  dir.Write("memo.txt", "before\r\n");
  Open().Type(u"Text1", u"half-written");
  dir.Write("memo.txt", "changed on disk\r\n");
  auto& w = Open();
  EXPECT_EQ(backend.WindowsCreated(), 1);
  EXPECT_EQ(w.Text(u"Text1"), u"half-written");
}

// ---- registering ----

TEST_F(DialogDataListTest, RegisterWithoutAnEditLeavesTheFileByteForByte) {
  const std::string original = "a\r\n\r\nb\r\n";
  dir.Write("memo.txt", original);
  for (int round = 0; round < 3; ++round) {
    Open().Click(u"OKButton");
    ASSERT_FALSE(IsOpen());
    EXPECT_EQ(dir.Read("memo.txt"), original) << "round " << round;
  }
}

TEST_F(DialogDataListTest, EnterOrSpaceAtOnceRegistersTheTextAsLoaded) {
  // A file without its final line break: registering it writes the break, so the file shows
  // that the register button ran and not the cancel button.
  dir.Write("memo.txt", "first\r\nsecond");
  Open().PressKey(kEnter);
  EXPECT_FALSE(IsOpen());
  EXPECT_EQ(dir.Read("memo.txt"), "first\r\nsecond\r\n");

  dir.Write("memo.txt", "third");
  Open().PressKey(kSpace);
  EXPECT_FALSE(IsOpen());
  EXPECT_EQ(dir.Read("memo.txt"), "third\r\n");
  EXPECT_TRUE(backend.MessageBoxes().empty());
}

TEST_F(DialogDataListTest, TypedTextIsSavedLineForLineAndShownByTheNextMemoWindow) {
  dir.Write("memo.txt", "old\r\n");
  auto& w = Open();
  w.Type(u"Text1", u"内線 123\r\n\r\n総務 山田");
  w.Click(u"OKButton");
  EXPECT_FALSE(IsOpen());
  EXPECT_TRUE(backend.MessageBoxes().empty());
  rt.Show<frmMain>();
  EXPECT_EQ(Window(u"frmMain").Text(u"Text1"), u"内線 123\r\n\r\n総務 山田\r\n");
  EXPECT_EQ(Open().Text(u"Text1"), u"内線 123\r\n\r\n総務 山田\r\n");
}

TEST_F(DialogDataListTest, AnEmptiedBoxSavesAsOneLineBreak) {
  dir.Write("memo.txt", "something\r\n");
  auto& w = Open();
  w.Type(u"Text1", u"");
  w.Click(u"OKButton");
  EXPECT_EQ(dir.Read("memo.txt"), "\r\n");
  EXPECT_EQ(Open().Text(u"Text1"), u"\r\n");
}

// ---- leaving without saving ----

TEST_F(DialogDataListTest, CancelAndTheCloseBoxDiscardTheEdit) {
  const std::string original = "keep\r\nthis";  // even a file without its final line break
  dir.Write("memo.txt", original);

  auto& w = Open();
  w.Type(u"Text1", u"thrown away");
  w.Click(u"CancelButton");
  EXPECT_FALSE(IsOpen());
  EXPECT_EQ(dir.Read("memo.txt"), original);

  auto& again = Open();
  EXPECT_EQ(again.Text(u"Text1"), u"keep\r\nthis\r\n") << "the edit is gone";
  again.Type(u"Text1", u"thrown away too");
  again.PressCloseBox();
  EXPECT_FALSE(IsOpen());
  EXPECT_EQ(dir.Read("memo.txt"), original);
  EXPECT_TRUE(backend.MessageBoxes().empty());
}

TEST_F(DialogDataListTest, EnterAndEscapeElsewhereInTheDialogPressNoButton) {
  dir.Write("memo.txt", "x\r\n");
  auto& w = Open();
  w.Type(u"Text1", u"first line");
  w.PressKey(kEnter);  // a new line in the box, not the register button
  w.PressKey(kEscape);
  ASSERT_TRUE(IsOpen());
  w.Click(u"OKButton");
  ASSERT_FALSE(IsOpen());
  auto& again = Open();
  again.PressKey(kEscape);  // on the focused register button: neither register nor cancel
  EXPECT_TRUE(IsOpen());
  again.Click(u"CancelButton");
  // Only the explicit register wrote the file.
  EXPECT_EQ(dir.Read("memo.txt"), "first line\r\n");  // the new line ends it
}

// ---- a save that fails ----

TEST_F(DialogDataListTest, TextShiftJisCannotHoldIsRefusedAndTheEditorStaysOpen) {
  const std::string original = "original\r\n";
  dir.Write("memo.txt", original);
  auto& w = Open();
  w.Type(u"Text1", u"円記号 \u00A5 と絵文字 \U0001F600");
  w.Click(u"OKButton");
  ASSERT_TRUE(IsOpen());
  EXPECT_EQ(w.Text(u"Text1"), u"円記号 \u00A5 と絵文字 \U0001F600");
  EXPECT_EQ(dir.Read("memo.txt"), original);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"memo.txt"});
  const std::string message = OnlyMessage();
  EXPECT_THAT(message, HasSubstr("U+00A5"));
  EXPECT_THAT(message, HasSubstr("U+1F600"));

  // Mended, the same dialog registers.
  w.Type(u"Text1", u"円記号なし");
  w.Click(u"OKButton");
  EXPECT_FALSE(IsOpen());
  EXPECT_EQ(backend.MessageBoxes().size(), 1u);
  EXPECT_EQ(Open().Text(u"Text1"), u"円記号なし\r\n");
}

// Bytes no box can show as they stand: a NUL (which would cut the text there) and bytes that
// are no Shift-JIS text.  Both show as the mark with everything after them, and an unedited
// register keeps every byte and says where the mark comes from.
TEST_F(DialogDataListTest, BytesTheBoxCannotShowAreMarkedAndNeverLostByRegister) {
  const struct {
    std::string bytes;
    std::u16string shown;
  } cases[] = {
      {std::string("before\0after\r\nnext\r\n", 20), u"before\uFFFDafter\r\nnext\r\n"},
      {"\x82\xA0\xFF\x81\r\n", u"\u3042\uFFFD\uFFFD\r\n"},
  };
  for (const auto& c : cases) {
    dir.Write("memo.txt", c.bytes);
    auto& w = Open();
    EXPECT_EQ(w.Text(u"Text1"), c.shown);
    w.Click(u"OKButton");
    ASSERT_TRUE(IsOpen());
    EXPECT_EQ(dir.Read("memo.txt"), c.bytes);
    const std::string message = platform::Utf16ToUtf8(backend.MessageBoxes().back().prompt);
    EXPECT_THAT(message, HasSubstr("Shift-JIS の文字でないバイト"));
    EXPECT_THAT(message, ::testing::Not(HasSubstr("U+FFFD")));
    rt.RunEvent([this] { rt.Unload<Dialog_DataList>(); });
  }
  EXPECT_EQ(backend.MessageBoxes().size(), 2u);
}

TEST_F(DialogDataListTest, AMemoFileThatBecameAFolderIsReportedAndKept) {
  dir.Write("memo.txt", "x\r\n");
  auto& w = Open();
  w.Type(u"Text1", u"edit");
  std::filesystem::remove(dir.Path() / "memo.txt");
  std::filesystem::create_directory(dir.Path() / "memo.txt");
  w.Click(u"OKButton");
  ASSERT_TRUE(IsOpen());
  EXPECT_EQ(w.Text(u"Text1"), u"edit");
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "memo.txt"));
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"memo.txt"}) << "no temporary file left";
  EXPECT_THAT(OnlyMessage(), HasSubstr("memo.txt"));
}

TEST_F(DialogDataListTest, AReadOnlyFolderIsReportedAndTheFileKept) {
  const std::string original = "protected\r\n";
  dir.Write("memo.txt", original);
  ::chmod(dir.Path().c_str(), 0555);
  // The whole session runs without root's privileges, which pass every permission check.
  // Exit codes: 0 all as expected, otherwise the first check that failed.
  const int result = testing::RunUnprivileged([this]() -> int {
    rt.Show<Dialog_DataList>();
    auto& w = Window(u"Dialog_DataList");
    if (w.Text(u"Text1") != u"protected\r\n") return 10;
    w.Type(u"Text1", u"cannot go to disk");
    w.Click(u"OKButton");
    if (!IsOpen()) return 11;
    if (w.Text(u"Text1") != u"cannot go to disk") return 12;
    if (backend.MessageBoxes().size() != 1) return 13;
    const auto& box = backend.MessageBoxes()[0];
    if (box.style != platform::kMbIconStop || box.title != u"Pindle") return 14;
    if (box.prompt.find(u"memo.txt") == std::u16string::npos) return 15;
    return 0;
  });
  ::chmod(dir.Path().c_str(), 0755);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(dir.Read("memo.txt"), original);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"memo.txt"});
}

// ---- what a user sees ----

}  // namespace
}  // namespace pindle
