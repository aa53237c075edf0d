// The phone-message print dialog, the page it prints and its print job.
#include <algorithm>
#include <bit>

#include "headless_fixture.h"
#include "print/dialog_printer.h"
#include "print/module1.h"
#include "print/phone_message_page.h"

namespace pindle {
namespace {

using platform::PrintChoice;
using platform::headless::PrinterEvent;
using ::testing::ElementsAreArray;
using ::testing::SizeIs;
using Lines = std::vector<std::u16string>;

const std::u16string kBlank = u"\u3000", kRule(65, u'-');
// The page of the example message: 10時20分, 山田, the first entry, 佐藤, 明日の会議は中止.
// clang-format off
const Lines kExampleLines = {kBlank, kRule, u"10時20分　頃、　山田様より電話連絡あり。",
                             u"折り返し電話下さいとのこと", kBlank, u"佐藤受け",
                             kBlank, kRule, kBlank, u"明日の会議は中止", kBlank, kRule};
// clang-format on

class PrintTest : public testing::HeadlessTest {
 protected:
  static constexpr platform::DateTime At(int hour, int minute, int second = 0, int ms = 0) {
    return {2026, 12, 7, hour, minute, second, ms};
  }
  // Opened as the quick memo's print button opens it: the note handed over, then shown.
  void Open(const platform::DateTime& now, const std::u16string& memo = {}) {
    backend.SetClock(now);
    rt.Module<Module1>().SharedMemo = memo;
    rt.RunEvent([this] { rt.Show<Dialog_Printer>(); });
  }
  platform::headless::HeadlessWindow& Dialog() { return Window(u"Dialog_Printer"); }
  std::size_t VisibleControls() {
    return std::ranges::count_if(Dialog().Def().controls,
                                 [&](auto& c) { return Dialog().ControlVisible(c.name); });
  }
  Lines Fields() {
    Lines f{platform::DecimalText(Dialog().Value(u"Check1")),
            platform::DecimalText(Dialog().ListIndex(u"Combo1"))};
    for (const auto* c : {u"Text1", u"Text2", u"Text3", u"Text4", u"Combo1"})
      f.push_back(Dialog().Text(c));
    return f;
  }
  void PressPrint(std::optional<PrintChoice> choice) {
    backend.OnNextPrintDialog(choice);
    Dialog().Click(u"OKButton");
  }
  platform::headless::CapturedPrinter& Printer() { return backend.CurrentPrinter(); }
};

TEST_F(PrintTest, OpensWithTheNoteAndTheTimeAndTheSwitchShowsExactlyThePhoneMessagePart) {
  Open(At(9, 5));
  EXPECT_EQ(Dialog().FocusedControl(), u"OKButton");
  // A second hand-over while open changes neither the note nor the time.
  Dialog().Type(u"Text1", u"メモ");
  const int reads = backend.TestClock().Reads();
  Open(At(11, 47), u"次のメモ");
  EXPECT_EQ(backend.TestClock().Reads(), reads) << "Form_Load did not run again";
  EXPECT_EQ(Dialog().ShowCount(), 2);
  Dialog().Click(u"Check1");
  EXPECT_EQ(VisibleControls(), 11u) << "the memo part and the phone part";
  Dialog().Type(u"Text3", u"山田");
  Dialog().Choose(u"Combo1", 4);
  Dialog().Click(u"Check1");
  EXPECT_EQ(VisibleControls(), 4u);
  Dialog().Click(u"Check1");
  EXPECT_EQ(Fields(), (Lines{u"1", u"4", u"メモ", u"9時0分", u"山田", u"", u"伝言あり"}));
  // Cancel and the close box unload it; reopened, the phone part is reset.
  for (const bool closeBox : {false, true}) {
    closeBox ? Dialog().PressCloseBox() : Dialog().Click(u"CancelButton");
    EXPECT_FALSE(Loaded(u"Dialog_Printer"));
    Open(At(9, 5));
    EXPECT_EQ(Fields(), (Lines{u"0", u"-1", u"", u"9時0分", u"", u"", u"(選択して下さい)"}))
        << "the time is filled though hidden";
    EXPECT_EQ(VisibleControls(), 4u) << "the buttons, the note and the switch";
    Dialog().Click(u"Check1");
  }
}

TEST_F(PrintTest, TimeIsTheTenMinuteMarkOfOneReadingOfTheClock) {
  const std::pair<platform::DateTime, const char16_t*> cases[] = {
      {At(8, 0, 30), u"8時0分"},         {At(8, 9, 59), u"8時0分"}, {At(8, 10), u"8時10分"},
      {At(8, 29, 30), u"8時20分"},       {At(8, 30), u"8時30分"},   {At(8, 49), u"8時40分"},
      {At(8, 50), u"8時50分"},           {At(0, 0), u"0時0分"},     {At(14, 37), u"14時30分"},
      {At(23, 59, 59, 999), u"23時50分"}};
  for (const auto& [at, text] : cases) {
    const int before = backend.TestClock().Reads();
    Open(at);
    EXPECT_EQ(backend.TestClock().Reads(), before + 1);
    EXPECT_EQ(Dialog().Text(u"Text2"), text) << at.hour << ":" << at.minute;
    rt.RunEvent([this] { rt.Unload<Dialog_Printer>(); });
  }
}

TEST(PhoneMessagePageTest, TheSwitchAndTheFieldsGiveTheLines) {
  PhoneMessageFields fields{true,    u"10時20分",        u"山田", u"折り返し電話下さいとのこと",
                            u"佐藤", u"明日の会議は中止"};
  EXPECT_EQ(PhoneMessagePage(fields), kExampleLines);
  fields.phoneMessage = false;
  EXPECT_EQ(PhoneMessagePage(fields), Lines(kExampleLines.begin() + 6, kExampleLines.end()));
  // Missing parts leave their place empty (not U+3000); the time is printed as given; a
  // multi-line note stays one line of the list.
  EXPECT_EQ(PhoneMessagePage({true, u"午後3時ごろ", u"", u"", u"", u"一\r\n二\r\n"}),
            (Lines{kBlank, kRule, u"午後3時ごろ　頃、　様より電話連絡あり。", u"", kBlank, u"受け",
                   kBlank, kRule, kBlank, u"一\r\n二\r\n", kBlank, kRule}));
  EXPECT_EQ(PhoneMessagePage({false, u"", u"", u"", u"", u""})[3], u"");
}

// The events of one print job of the example, less the settings the printer refused.
std::vector<PrinterEvent> Job(double copies, double orientation, bool refused = false) {
  std::vector<PrinterEvent> events{{"ScaleMode", 1, {}},
                                   {"Copies", copies, {}},
                                   {"Orientation", orientation, {}},
                                   {"CurrentX", 2.0, {}},
                                   {"FontSize", std::bit_cast<float>(0x41490FD8u), {}}};
  if (refused) events = {events[0], events[2], events[3]};
  for (const auto& line : kExampleLines) events.push_back({"Print", 0, line});
  events.insert(events.end(), 2, {"EndDoc", 0, {}});
  return events;
}

TEST_F(PrintTest, EachPressAsksThePrintDialogThenPrintsOneDocumentAndAFailureLosesNothing) {
  Open(At(10, 27), u"明日の会議は中止");
  Dialog().Click(u"Check1");
  Dialog().Type(u"Text3", u"山田");
  Dialog().Choose(u"Combo1", 0);
  Dialog().Type(u"Text4", u"佐藤");
  PressPrint(std::nullopt);  // cancelled: prints nothing
  PressPrint(PrintChoice{3, platform::kLandscape});
  auto expected = Job(3, 2);
  Printer().refusedSettings = {"Copies", "FontSize"};  // skipped silently
  PressPrint(PrintChoice{1, platform::kPortrait});
  for (const auto& event : Job(1, 1, true)) expected.push_back(event);
  EXPECT_THAT(Printer().Events(), ElementsAreArray(expected));
  ASSERT_THAT(backend.PrintDialogs(), SizeIs(3));
  for (const auto& shown : backend.PrintDialogs())
    EXPECT_EQ(std::tie(shown.flags, shown.owner), std::tuple(0x80004, Dialog().Handle()))
        << "no selection, no file";
  // A printer that will not start the document is reported once per job, each job counting its
  // own lines, until it is back. Stopped part-way by a printer error or by the system out of
  // memory, the document is ended with the lines so far, without a message: the next job must
  // not join it.
  for (const auto& [failStart, failAfter, outOfMemory, documents, boxes] :
       {std::tuple{true, -1, false, 2u, 1u},
        {false, -1, false, 3u, 1u},
        {true, -1, false, 3u, 2u},
        {false, 4, false, 4u, 2u},
        {false, 4, true, 5u, 2u}}) {
    Printer().failStartDoc = failStart;
    Printer().failAfterPrints = failAfter;
    Printer().failOutOfMemory = outOfMemory;
    PressPrint(PrintChoice{2, platform::kPortrait});
    ASSERT_THAT(Printer().Documents(), SizeIs(documents));
    EXPECT_THAT(backend.MessageBoxes(), SizeIs(boxes));
    EXPECT_FALSE(Printer().DocumentOpen());
  }
  EXPECT_EQ(StopBox(0), platform::Utf16ToUtf8(kPageNotPrintedMessage));
  EXPECT_EQ(Printer().Documents()[4].lines,
            Lines(kExampleLines.begin(), kExampleLines.begin() + 4));
}

}  // namespace
}  // namespace pindle
