// The phone-message print dialog: its window, the hand-over of the memo, the time of the call,
// the phone-message switch and closing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_printer_fixture.h"
#include "platform/form_definition.h"

namespace pindle {
namespace {

using platform::BorderStyle;
using platform::ControlKind;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

const std::vector<std::u16string> kPhoneMessageControls = {
    u"Text2", u"Text3", u"Text4", u"Label1", u"Label2", u"Label3", u"Combo1"};

class DialogPrinterWindowTest : public testing::DialogPrinterTest {
 protected:
  std::vector<std::u16string> VisibleControls() {
    std::vector<std::u16string> names;
    for (const auto& c : Dialog().Def().controls) {
      if (Dialog().ControlVisible(c.name)) names.push_back(c.name);
    }
    return names;
  }
};

TEST_F(DialogPrinterWindowTest, OpensWithOnlyTheMemoPartShownAndFocusOnOKButton) {
  Dialog_Printer& d = OpenAt(At(9, 5), u"メモ");
  EXPECT_TRUE(d.Visible());
  EXPECT_THAT(VisibleControls(),
              UnorderedElementsAre(u"OKButton", u"CancelButton", u"Text1", u"Check1"));
  EXPECT_EQ(Dialog().FocusedControl(), u"OKButton");
  EXPECT_EQ(Dialog().Text(u"Text2"), u"9時0分") << "the time is filled though hidden";
  EXPECT_EQ(Dialog().Value(u"Check1"), 0);
  EXPECT_EQ(Dialog().Text(u"Text3"), u"");
  EXPECT_EQ(Dialog().Text(u"Text4"), u"");
  EXPECT_EQ(Dialog().ListIndex(u"Combo1"), -1);
  EXPECT_EQ(Dialog().Text(u"Combo1"), u"(選択して下さい)");
  EXPECT_EQ(d.Combo1.ListCount(), 5);
}

// ---- the hand-over from the quick memo window ----

TEST_F(DialogPrinterWindowTest, EmptyFreeMemoGivesEmptyText1) {
  Dialog_Printer& d = Open(u"");
  EXPECT_EQ(d.Text1.Text(), u"");
  Close();
  const std::u16string memo = u"一行目\r\n二行目";
  EXPECT_EQ(Open(memo).Text1.Text(), memo);
}

TEST_F(DialogPrinterWindowTest, SecondHandOverWhileOpenChangesNeitherMemoNorTime) {
  OpenAt(At(8, 15), u"最初のメモ");
  Dialog().Type(u"Text1", u"書き直したメモ");
  const int reads = backend.TestClock().Reads();
  backend.SetClock(At(11, 47));
  Open(u"次のメモ");
  EXPECT_EQ(Dialog().Text(u"Text1"), u"書き直したメモ");
  EXPECT_EQ(Dialog().Text(u"Text2"), u"8時10分");
  EXPECT_EQ(backend.TestClock().Reads(), reads) << "Form_Load did not run again";
  EXPECT_EQ(backend.WindowsCreated(), 1);
  EXPECT_EQ(Dialog().ShowCount(), 2);
  EXPECT_EQ(rt.Module<Module1>().SharedMemo, u"次のメモ");
}

TEST_F(DialogPrinterWindowTest, ReopeningTakesTheCurrentMemoAndTimeAndResetsThePhonePart) {
  OpenAt(At(8, 15), u"最初のメモ");
  auto& w = Dialog();
  w.Click(u"Check1");
  w.Type(u"Text3", u"山田");
  w.Type(u"Text4", u"佐藤");
  w.Choose(u"Combo1", 2);
  rt.Module<Module1>().SharedMemo = u"二度目のメモ";  // a press while open
  Close();
  EXPECT_FALSE(Loaded(u"Dialog_Printer"));

  OpenAt(At(13, 42), u"三度目のメモ");
  EXPECT_EQ(Dialog().Text(u"Text1"), u"三度目のメモ");
  EXPECT_EQ(Dialog().Text(u"Text2"), u"13時40分");
  EXPECT_EQ(Dialog().Value(u"Check1"), 0);
  EXPECT_EQ(Dialog().Text(u"Text3"), u"");
  EXPECT_EQ(Dialog().Text(u"Text4"), u"");
  EXPECT_EQ(Dialog().ListIndex(u"Combo1"), -1);
  EXPECT_EQ(Dialog().Text(u"Combo1"), u"(選択して下さい)");
  for (const auto& name : kPhoneMessageControls) {
    EXPECT_FALSE(Dialog().ControlVisible(name)) << platform::Utf16ToUtf8(name);
  }
}

// ---- the time of the call ----

TEST_F(DialogPrinterWindowTest, TimeShowsTheTenMinuteMarkTheMinuteFallsIn) {
  const char16_t* const marks[] = {u"8時0分",  u"8時10分", u"8時20分",
                                   u"8時30分", u"8時40分", u"8時50分"};
  for (int minute = 0; minute < 60; ++minute) {
    OpenAt(At(8, minute, 30));
    EXPECT_EQ(Dialog().Text(u"Text2"), marks[minute / 10]) << "8:" << minute;
    Close();
  }
  const std::pair<platform::DateTime, const char16_t*> others[] = {
      {At(0, 0), u"0時0分"},
      {At(23, 59, 59, 999), u"23時50分"},
      {At(14, 37), u"14時30分"},
      {At(9, 5), u"9時0分"},
      {At(12, 10), u"12時10分"}};
  for (const auto& [at, text] : others) {
    OpenAt(at);
    EXPECT_EQ(Dialog().Text(u"Text2"), text) << at.hour << ":" << at.minute;
    Close();
  }
}

TEST_F(DialogPrinterWindowTest, TimeComesFromOneReadingOfTheClock) {
  backend.SetClock(At(8, 59, 59, 999));
  const int before = backend.TestClock().Reads();
  Open(u"");
  EXPECT_EQ(backend.TestClock().Reads(), before + 1);
  EXPECT_EQ(Dialog().Text(u"Text2"), u"8時50分");
}

// ---- the phone-message switch ----

TEST_F(DialogPrinterWindowTest, SwitchShowsAndHidesExactlyTheSevenAndKeepsTheirContents) {
  Dialog_Printer& d = OpenAt(At(10, 24), u"メモ");
  auto& w = Dialog();
  w.Click(u"Check1");
  EXPECT_EQ(d.Check1.Value(), 1);
  EXPECT_THAT(VisibleControls(),
              UnorderedElementsAre(u"OKButton", u"CancelButton", u"Text1", u"Check1", u"Text2",
                                   u"Label1", u"Text3", u"Label2", u"Text4", u"Combo1", u"Label3"));
  w.Type(u"Text2", u"10時25分");
  w.Type(u"Text3", u"山田");
  w.Type(u"Text4", u"佐藤");
  w.Choose(u"Combo1", 4);

  w.Click(u"Check1");
  EXPECT_EQ(d.Check1.Value(), 0);
  EXPECT_THAT(VisibleControls(),
              UnorderedElementsAre(u"OKButton", u"CancelButton", u"Text1", u"Check1"));

  w.Click(u"Check1");
  for (const auto& name : kPhoneMessageControls) {
    EXPECT_TRUE(w.ControlVisible(name)) << platform::Utf16ToUtf8(name);
  }
  EXPECT_EQ(w.Text(u"Text2"), u"10時25分");
  EXPECT_EQ(w.Text(u"Text3"), u"山田");
  EXPECT_EQ(w.Text(u"Text4"), u"佐藤");
  EXPECT_EQ(w.ListIndex(u"Combo1"), 4);
  EXPECT_EQ(w.Text(u"Combo1"), u"伝言あり");
  EXPECT_EQ(w.Text(u"Text1"), u"メモ");
  EXPECT_TRUE(backend.MessageBoxes().empty());
}

// ---- closing ----

TEST_F(DialogPrinterWindowTest, CancelButtonUnloadsAndDiscardsTheFieldsButNotTheMemo) {
  Open(u"共有メモ");
  Dialog().Click(u"Check1");
  Dialog().Type(u"Text3", u"山田");
  Dialog().Click(u"CancelButton");
  EXPECT_FALSE(Loaded(u"Dialog_Printer"));
  EXPECT_EQ(rt.Module<Module1>().SharedMemo, u"共有メモ");
  EXPECT_TRUE(backend.PrintDialogs().empty());
  EXPECT_TRUE(backend.TestPrinter().Events().empty());
  EXPECT_EQ(Open(u"共有メモ").Text3.Text(), u"");
}

TEST_F(DialogPrinterWindowTest, CloseBoxUnloadsToo) {
  Open(u"メモ");
  Dialog().PressCloseBox();
  EXPECT_FALSE(Loaded(u"Dialog_Printer"));
  EXPECT_TRUE(backend.MessageBoxes().empty());
}

}  // namespace
}  // namespace pindle
