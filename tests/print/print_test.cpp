// The phone-message print dialog on the in-memory backend: the hand-over of the note, the time
// of the call, the phone-message switch; the page as lines; and the print job behind OKButton:
// the print dialog, the printer settings, the page on paper, a cancel and a failing printer.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "headless_fixture.h"
#include "print/dialog_printer.h"
#include "print/module1.h"
#include "print/phone_message_page.h"

namespace pindle {
namespace {

using platform::PrintChoice;
using platform::headless::PrinterEvent;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::SizeIs;
using ::testing::UnorderedElementsAre;

const std::u16string kBlank = u"\u3000";
const std::u16string kRuleOf65(65, u'-');
const std::vector<std::u16string> kExampleLines = {kBlank,
                                                   kRuleOf65,
                                                   u"10時20分　頃、　山田様より電話連絡あり。",
                                                   u"折り返し電話下さいとのこと",
                                                   kBlank,
                                                   u"佐藤受け",
                                                   kBlank,
                                                   kRuleOf65,
                                                   kBlank,
                                                   u"明日の会議は中止",
                                                   kBlank,
                                                   kRuleOf65};

class PrintTest : public testing::HeadlessTest {
 protected:
  static constexpr platform::DateTime At(int hour, int minute, int second = 0, int ms = 0) {
    return {2026, 12, 7, hour, minute, second, ms};
  }
  // Opened as the quick memo's print button opens it: the note handed over, then shown.
  Dialog_Printer& Open(const std::u16string& memo) {
    rt.Module<Module1>().SharedMemo = memo;
    rt.RunEvent([this] { rt.Show<Dialog_Printer>(); });
    return rt.Instance<Dialog_Printer>();
  }
  Dialog_Printer& OpenAt(const platform::DateTime& now, const std::u16string& memo = {}) {
    backend.SetClock(now);
    return Open(memo);
  }
  void Close() {
    rt.RunEvent([this] { rt.Unload<Dialog_Printer>(); });
  }
  platform::headless::HeadlessWindow& Dialog() { return Window(u"Dialog_Printer"); }
  std::vector<std::u16string> VisibleControls() {
    std::vector<std::u16string> names;
    for (const auto& c : Dialog().Def().controls) {
      if (Dialog().ControlVisible(c.name)) names.push_back(c.name);
    }
    return names;
  }
  std::vector<std::u16string> Fields() {
    auto& w = Dialog();
    return {w.Text(u"Text1"),
            w.Text(u"Text2"),
            w.Text(u"Text3"),
            w.Text(u"Text4"),
            w.Text(u"Combo1"),
            platform::DecimalText(w.Value(u"Check1")),
            platform::DecimalText(w.ListIndex(u"Combo1"))};
  }
  // The example message: 10時20分, 山田, the first entry, 佐藤, 明日の会議は中止.
  void OpenExample() {
    OpenAt(At(10, 27), u"明日の会議は中止");
    Dialog().Click(u"Check1");
    Dialog().Type(u"Text3", u"山田");
    Dialog().Choose(u"Combo1", 0);
    Dialog().Type(u"Text4", u"佐藤");
  }
  void PressPrint(std::optional<PrintChoice> choice) {
    backend.OnNextPrintDialog(choice);
    Dialog().Click(u"OKButton");
  }
  platform::headless::CapturedPrinter& Printer() { return backend.TestPrinter(); }
};

const std::vector<std::u16string> kCleared = {u"",  u"9時0分", u"", u"", u"(選択して下さい)",
                                              u"0", u"-1"};

TEST_F(PrintTest, OpensWithTheNoteAndTheTimeAndOnlyTheMemoPartShown) {
  OpenAt(At(9, 5), u"一行目\r\n二行目");
  EXPECT_THAT(VisibleControls(),
              UnorderedElementsAre(u"OKButton", u"CancelButton", u"Text1", u"Check1"));
  EXPECT_EQ(Dialog().FocusedControl(), u"OKButton");
  auto cleared = kCleared;
  cleared[0] = u"一行目\r\n二行目";
  EXPECT_EQ(Fields(), cleared) << "the time is filled though hidden";
  EXPECT_EQ(rt.Instance<Dialog_Printer>().Combo1.ListCount(), 5);

  // A second hand-over while open changes neither the note nor the time.
  Dialog().Type(u"Text1", u"書き直したメモ");
  const int reads = backend.TestClock().Reads();
  OpenAt(At(11, 47), u"次のメモ");
  EXPECT_EQ(Dialog().Text(u"Text1"), u"書き直したメモ");
  EXPECT_EQ(Dialog().Text(u"Text2"), u"9時0分");
  EXPECT_EQ(backend.TestClock().Reads(), reads) << "Form_Load did not run again";
  EXPECT_EQ(Dialog().ShowCount(), 2);

  // Cancel and the close box unload it, keeping the note; reopened, the phone part is reset.
  for (const bool closeBox : {false, true}) {
    Dialog().Click(u"Check1");
    Dialog().Type(u"Text3", u"山田");
    Dialog().Choose(u"Combo1", 2);
    if (closeBox) {
      Dialog().PressCloseBox();
    } else {
      Dialog().Click(u"CancelButton");
    }
    EXPECT_FALSE(Loaded(u"Dialog_Printer"));
    EXPECT_EQ(rt.Module<Module1>().SharedMemo, closeBox ? u"" : u"次のメモ");
    OpenAt(At(9, 5), u"");
    EXPECT_EQ(Fields(), kCleared);
    EXPECT_EQ(VisibleControls().size(), 4u);
  }
  EXPECT_TRUE(backend.PrintDialogs().empty());
  EXPECT_TRUE(Printer().Events().empty());
}

TEST_F(PrintTest, TimeIsTheTenMinuteMarkOfOneReadingOfTheClock) {
  const std::pair<platform::DateTime, const char16_t*> cases[] = {
      {At(8, 0, 30), u"8時0分"},         {At(8, 9, 59), u"8時0分"}, {At(8, 10), u"8時10分"},
      {At(8, 29, 30), u"8時20分"},       {At(8, 30), u"8時30分"},   {At(8, 49), u"8時40分"},
      {At(8, 50), u"8時50分"},           {At(0, 0), u"0時0分"},     {At(14, 37), u"14時30分"},
      {At(23, 59, 59, 999), u"23時50分"}};
  for (const auto& [at, text] : cases) {
    const int before = backend.TestClock().Reads();
    OpenAt(at);
    EXPECT_EQ(backend.TestClock().Reads(), before + 1);
    EXPECT_EQ(Dialog().Text(u"Text2"), text) << at.hour << ":" << at.minute;
    Close();
  }
}

TEST_F(PrintTest, TheSwitchShowsAndHidesExactlyTheSevenAndKeepsTheirContents) {
  OpenAt(At(10, 24), u"メモ");
  auto& w = Dialog();
  w.Click(u"Check1");
  EXPECT_EQ(w.Value(u"Check1"), 1);
  EXPECT_THAT(VisibleControls(),
              UnorderedElementsAre(u"OKButton", u"CancelButton", u"Text1", u"Check1", u"Text2",
                                   u"Label1", u"Text3", u"Label2", u"Text4", u"Combo1", u"Label3"));
  w.Type(u"Text2", u"10時25分");
  w.Type(u"Text3", u"山田");
  w.Type(u"Text4", u"佐藤");
  w.Choose(u"Combo1", 4);
  w.Click(u"Check1");
  EXPECT_EQ(w.Value(u"Check1"), 0);
  EXPECT_EQ(VisibleControls().size(), 4u);
  w.Click(u"Check1");
  EXPECT_EQ(VisibleControls().size(), 11u);
  EXPECT_EQ(Fields(), (std::vector<std::u16string>{u"メモ", u"10時25分", u"山田", u"佐藤",
                                                   u"伝言あり", u"1", u"4"}));
}

TEST(PhoneMessagePageTest, TheSwitchAndTheFieldsGiveTheLines) {
  const PhoneMessageFields example{
      true, u"10時20分", u"山田", u"折り返し電話下さいとのこと", u"佐藤", u"明日の会議は中止"};
  EXPECT_EQ(PhoneMessagePage(example), kExampleLines);
  auto cleared = example;
  cleared.phoneMessage = false;
  EXPECT_THAT(PhoneMessagePage(cleared),
              ElementsAre(kBlank, kRuleOf65, kBlank, u"明日の会議は中止", kBlank, kRuleOf65));
  // Missing parts leave their place empty (not U+3000); the time is printed as given; a
  // multi-line note stays one line of the list.
  const auto lines = PhoneMessagePage({true, u"午後3時ごろ", u"", u"", u"", u"一\r\n二\r\n"});
  ASSERT_THAT(lines, SizeIs(12));
  EXPECT_EQ(lines[2], u"午後3時ごろ　頃、　様より電話連絡あり。");
  EXPECT_EQ(lines[3], u"");
  EXPECT_EQ(lines[5], u"受け");
  EXPECT_EQ(lines[9], u"一\r\n二\r\n");
  EXPECT_EQ(PhoneMessagePage({false, u"", u"", u"", u"", u""})[3], u"");
}

std::vector<PrinterEvent> Job(int copies, int orientation, std::vector<std::string> refused = {}) {
  std::vector<PrinterEvent> events;
  for (const PrinterEvent& e :
       {PrinterEvent{"ScaleMode", 1, {}},
        {"Copies", static_cast<double>(copies), {}},
        {"Orientation", static_cast<double>(orientation), {}},
        {"CurrentX", 2.0, {}},
        {"FontSize", static_cast<double>(std::bit_cast<float>(0x41490FD8u)), {}}}) {
    if (std::find(refused.begin(), refused.end(), e.what) == refused.end()) events.push_back(e);
  }
  for (const auto& line : kExampleLines) events.push_back({"Print", 0, line});
  events.push_back({"EndDoc", 0, {}});
  events.push_back({"EndDoc", 0, {}});
  return events;
}

TEST_F(PrintTest, EachPressAsksThePrintDialogThenSetsThePrinterAndPrintsOneDocument) {
  OpenExample();
  const auto before = Fields();
  PressPrint(std::nullopt);  // cancelled: nothing printed, nothing changed
  EXPECT_THAT(Printer().Events(), IsEmpty());
  EXPECT_EQ(Fields(), before);
  PressPrint(PrintChoice{3, platform::kLandscape});
  EXPECT_THAT(Printer().Events(), ElementsAreArray(Job(3, 2)));
  Printer().refusedSettings = {"Copies", "FontSize"};  // skipped silently
  PressPrint(PrintChoice{1, platform::kPortrait});
  EXPECT_THAT(
      std::vector(Printer().Events().begin() + std::ssize(Job(3, 2)), Printer().Events().end()),
      ElementsAreArray(Job(1, 1, {"Copies", "FontSize"})));
  ASSERT_THAT(backend.PrintDialogs(), SizeIs(3));
  for (const auto& shown : backend.PrintDialogs()) {
    EXPECT_EQ(shown.flags, 0x80004) << "no selection, no file";
    EXPECT_EQ(shown.owner, rt.Instance<Dialog_Printer>().hWnd());
  }
  EXPECT_TRUE(rt.Instance<Dialog_Printer>().CommonDialog1.CancelError);
  ASSERT_THAT(Printer().Documents(), SizeIs(2));
  EXPECT_EQ(Printer().Documents()[0].copies, 3);
  EXPECT_EQ(Printer().Documents()[0].orientation, platform::kLandscape);
  EXPECT_EQ(Printer().Documents()[1].lines, kExampleLines);
  EXPECT_FALSE(Printer().DocumentOpen());
  EXPECT_THAT(backend.MessageBoxes(), IsEmpty());
  EXPECT_TRUE(Dialog().IsVisible());
}

TEST_F(PrintTest, APrinterThatFailsIsReportedOncePerJobAndLosesNothing) {
  OpenExample();
  const auto before = Fields();
  Printer().failStartDoc = true;
  PressPrint(PrintChoice{2, platform::kPortrait});
  EXPECT_THAT(Printer().Documents(), IsEmpty());
  ASSERT_THAT(backend.MessageBoxes(), SizeIs(1));
  EXPECT_EQ(backend.MessageBoxes()[0].style, 16);
  EXPECT_EQ(backend.MessageBoxes()[0].title, u"Pindle");
  EXPECT_EQ(backend.MessageBoxes()[0].prompt, kPageNotPrintedMessage);
  EXPECT_EQ(Fields(), before);
  Printer().failStartDoc = false;
  PressPrint(PrintChoice{1, platform::kPortrait});
  EXPECT_THAT(Printer().Documents(), SizeIs(1)) << "once the printer is back, the page prints";
  Printer().failStartDoc = true;
  PressPrint(PrintChoice{1, platform::kPortrait});
  EXPECT_THAT(backend.MessageBoxes(), SizeIs(2)) << "each job counts its own lines";
  // Stopped part-way by a printer error or by the system out of memory, the document is ended
  // with the lines so far, without a message: the next job must not join it.
  Printer().failStartDoc = false;
  for (const bool outOfMemory : {false, true}) {
    Printer().failAfterPrints = 4;
    Printer().failOutOfMemory = outOfMemory;
    PressPrint(PrintChoice{1, platform::kPortrait});
    EXPECT_FALSE(Printer().DocumentOpen()) << outOfMemory;
  }
  ASSERT_THAT(Printer().Documents(), SizeIs(3));
  EXPECT_EQ(Printer().Documents()[2].lines,
            std::vector<std::u16string>(kExampleLines.begin(), kExampleLines.begin() + 4));
  EXPECT_THAT(backend.MessageBoxes(), SizeIs(2));
}

}  // namespace
}  // namespace pindle
