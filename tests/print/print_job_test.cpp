// The print job behind OKButton: the print dialog, the printer settings, the page on paper and
// what happens when the user cancels or the printer fails.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "dialog_printer_fixture.h"

namespace pindle {
namespace {

using platform::PrintChoice;
using platform::headless::PrinterEvent;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;
using ::testing::SizeIs;

const std::u16string kBlank = u"\u3000";
const std::u16string kRuleOf65(65, u'-');

class PrintJobTest : public testing::DialogPrinterTest {
 protected:
  platform::headless::CapturedPrinter& Printer() { return backend.TestPrinter(); }

  // The example message: 10時20分, 山田, the first entry, 佐藤, 明日の会議は中止.
  Dialog_Printer& OpenExample() {
    Dialog_Printer& d = OpenAt(At(10, 27), u"明日の会議は中止");
    auto& w = Dialog();
    w.Click(u"Check1");
    w.Type(u"Text3", u"山田");
    w.Choose(u"Combo1", 0);
    w.Type(u"Text4", u"佐藤");
    return d;
  }
  static std::vector<std::u16string> ExampleLines() {
    return {kBlank,
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
  }

  void PressPrint(std::optional<PrintChoice> choice) {
    backend.OnNextPrintDialog(choice);
    Dialog().Click(u"OKButton");
  }

  std::vector<std::u16string> PrintedTexts() {
    std::vector<std::u16string> texts;
    for (const auto& e : backend.TestPrinter().Events()) {
      if (e.what == "Print") texts.push_back(e.text);
    }
    return texts;
  }

  struct Fields {
    std::u16string text1, text2, text3, text4, combo;
    int check1, listIndex;
    friend bool operator==(const Fields&, const Fields&) = default;
  };
  Fields Snapshot() {
    auto& w = Dialog();
    return {w.Text(u"Text1"),  w.Text(u"Text2"),   w.Text(u"Text3"),      w.Text(u"Text4"),
            w.Text(u"Combo1"), w.Value(u"Check1"), w.ListIndex(u"Combo1")};
  }
};

std::vector<PrinterEvent> Settings(int copies, int orientation) {
  return {{"ScaleMode", 1, {}},
          {"Copies", static_cast<double>(copies), {}},
          {"Orientation", static_cast<double>(orientation), {}},
          {"CurrentX", 2.0, {}},
          {"FontSize", static_cast<double>(std::bit_cast<float>(0x41490FD8u)), {}}};
}

TEST_F(PrintJobTest, CancelledPrintDialogPrintsNothingAndLeavesTheDialogAsItWas) {
  Dialog_Printer& d = OpenExample();
  const Fields before = Snapshot();
  PressPrint(std::nullopt);
  ASSERT_THAT(backend.PrintDialogs(), SizeIs(1));
  EXPECT_THAT(Printer().Events(), IsEmpty());
  EXPECT_THAT(Printer().Documents(), IsEmpty());
  EXPECT_THAT(backend.MessageBoxes(), IsEmpty());
  EXPECT_TRUE(Snapshot() == before);
  EXPECT_TRUE(d.Visible());
}

TEST_F(PrintJobTest, PrintDialogIsOwnedByTheDialogAndOffersNoSelectionNorFile) {
  Dialog_Printer& d = OpenExample();
  PressPrint(std::nullopt);
  PressPrint(PrintChoice{1, platform::kPortrait});
  ASSERT_THAT(backend.PrintDialogs(), SizeIs(2));
  for (const auto& shown : backend.PrintDialogs()) {
    EXPECT_EQ(shown.flags, 0x80004);
    EXPECT_EQ(shown.owner, d.hWnd());
  }
  EXPECT_TRUE(d.CommonDialog1.CancelError);
}

TEST_F(PrintJobTest, ChosenCopiesAndOrientationAreSetThenThePageThenOneDocument) {
  OpenExample();
  PressPrint(PrintChoice{3, platform::kLandscape});

  std::vector<PrinterEvent> expected = Settings(3, 2);
  for (const auto& line : ExampleLines()) expected.push_back({"Print", 0, line});
  expected.push_back({"EndDoc", 0, {}});
  expected.push_back({"EndDoc", 0, {}});
  EXPECT_THAT(Printer().Events(), ElementsAreArray(expected));

  const float fontSize = static_cast<float>(Printer().Events()[4].value);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(fontSize), 0x41490FD8u);

  ASSERT_THAT(Printer().Documents(), SizeIs(1)) << "the second EndDoc adds nothing";
  const auto& doc = Printer().Documents()[0];
  EXPECT_EQ(doc.copies, 3);
  EXPECT_EQ(doc.orientation, platform::kLandscape);
  EXPECT_EQ(doc.lines, ExampleLines());
  EXPECT_FALSE(Printer().DocumentOpen());
  EXPECT_THAT(backend.MessageBoxes(), IsEmpty());
  EXPECT_TRUE(Loaded(u"Dialog_Printer"));
  EXPECT_TRUE(Dialog().IsVisible());
}

TEST_F(PrintJobTest, TwoPressesPrintTwoSeparateDocuments) {
  OpenExample();
  PressPrint(PrintChoice{1, platform::kPortrait});
  PressPrint(PrintChoice{2, platform::kLandscape});
  EXPECT_THAT(backend.PrintDialogs(), SizeIs(2));
  ASSERT_THAT(Printer().Documents(), SizeIs(2));
  EXPECT_EQ(Printer().Documents()[0].copies, 1);
  EXPECT_EQ(Printer().Documents()[0].orientation, platform::kPortrait);
  EXPECT_EQ(Printer().Documents()[1].copies, 2);
  EXPECT_EQ(Printer().Documents()[1].orientation, platform::kLandscape);
  EXPECT_EQ(Printer().Documents()[0].lines, ExampleLines());
  EXPECT_EQ(Printer().Documents()[1].lines, ExampleLines());
}

TEST_F(PrintJobTest, RefusedSettingsAreSkippedSilentlyAndThePageStillPrints) {
  OpenExample();
  Printer().refusedSettings = {"Copies", "FontSize"};
  PressPrint(PrintChoice{3, platform::kLandscape});
  const auto all = Settings(3, 2);
  std::vector<PrinterEvent> expected = {all[0], all[2], all[3]};
  for (const auto& line : ExampleLines()) expected.push_back({"Print", 0, line});
  expected.push_back({"EndDoc", 0, {}});
  expected.push_back({"EndDoc", 0, {}});
  EXPECT_THAT(Printer().Events(), ElementsAreArray(expected));
  EXPECT_THAT(Printer().Documents(), SizeIs(1));
  EXPECT_THAT(backend.MessageBoxes(), IsEmpty());

  Printer().refusedSettings = {"ScaleMode", "Copies", "Orientation", "CurrentX", "FontSize"};
  PressPrint(PrintChoice{1, platform::kPortrait});
  ASSERT_THAT(Printer().Documents(), SizeIs(2));
  EXPECT_EQ(Printer().Documents()[1].lines, ExampleLines());
  EXPECT_THAT(backend.MessageBoxes(), IsEmpty());
}

TEST_F(PrintJobTest, PrinterThatWillNotStartTheDocumentIsReportedAndNothingElseIsLost) {
  Dialog_Printer& d = OpenExample();
  const Fields before = Snapshot();
  Printer().failStartDoc = true;
  PressPrint(PrintChoice{2, platform::kPortrait});

  std::vector<PrinterEvent> expected = Settings(2, 1);
  expected.push_back({"EndDoc", 0, {}});
  EXPECT_THAT(Printer().Events(), ElementsAreArray(expected));
  EXPECT_THAT(Printer().Documents(), IsEmpty());
  ASSERT_THAT(backend.MessageBoxes(), SizeIs(1));
  const auto& box = backend.MessageBoxes()[0];
  EXPECT_EQ(box.style, 16);
  EXPECT_EQ(box.title, u"Pindle");
  EXPECT_EQ(box.prompt, kPageNotPrintedMessage);
  EXPECT_NE(box.prompt.find(u"印刷されませんでした"), std::u16string::npos);
  EXPECT_TRUE(Snapshot() == before);
  EXPECT_TRUE(d.Visible());

  // Once the printer is back, the same page prints.
  Printer().failStartDoc = false;
  PressPrint(PrintChoice{1, platform::kPortrait});
  ASSERT_THAT(Printer().Documents(), SizeIs(1));
  EXPECT_EQ(Printer().Documents()[0].lines, ExampleLines());
  EXPECT_THAT(backend.MessageBoxes(), SizeIs(1));
  // A printer that fails again after a whole page is reported again: each job counts its own.
  Printer().failStartDoc = true;
  PressPrint(PrintChoice{1, platform::kPortrait});
  EXPECT_THAT(backend.MessageBoxes(), SizeIs(2));
}

// Whatever stops the page part-way, a printer error or the system out of memory, the
// document is ended: the next job must not join it.
TEST_F(PrintJobTest, PrinterFailingMidPageReleasesTheLinesSoFarWithoutAMessage) {
  OpenExample();
  for (const bool outOfMemory : {false, true}) {
    Printer().failAfterPrints = 4;
    Printer().failOutOfMemory = outOfMemory;
    PressPrint(PrintChoice{1, platform::kPortrait});
    EXPECT_FALSE(Printer().DocumentOpen()) << outOfMemory;
  }
  ASSERT_THAT(Printer().Documents(), SizeIs(2)) << "the second EndDoc sends the lines so far";
  const auto lines = ExampleLines();
  EXPECT_EQ(Printer().Documents()[1].lines,
            std::vector<std::u16string>(lines.begin(), lines.begin() + 4));
  EXPECT_THAT(backend.MessageBoxes(), IsEmpty());
}

}  // namespace
}  // namespace pindle
