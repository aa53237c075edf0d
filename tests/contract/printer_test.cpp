// The printer and the system's print dialog: lines in order with the line ends inside a text,
// a new page when the page is full, a document sent only by EndDoc; the dialog's choice, the
// user's cancel as error 32755 and any other failure as a printer error.
#include <gmock/gmock.h>

#include <functional>

#include "contract/probe_forms.h"
#include "platform/common_dialog.h"
#include "platform/runtime_error.h"
#include "platform/text.h"

namespace pindle::contract {
namespace {

using platform::RuntimeError;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST_F(ContractTest, PrintedLinesArriveInOrderAndOnlyEndDocSendsTheDocument) {
  Open<Probe>();
  auto& printer = rt.CurrentPrinter();
  printer.EndDoc();  // no document open: nothing is sent
  printer.SetScaleMode(platform::kScaleTwips);
  printer.SetFontSize(12.0f);
  printer.SetCurrentX(0);
  printer.Print(u"電話応対メモ");
  printer.Print(u"");
  printer.Print(u"一行目\r\n二行目");
  EXPECT_THAT(d->Printed(), IsEmpty());
  printer.EndDoc();
  printer.Print(u"次の文書");
  printer.EndDoc();
  const auto printed = d->Printed();
  ASSERT_EQ(printed.size(), 2u);
  ASSERT_EQ(printed[0].pages.size(), 1u);
  EXPECT_THAT(printed[0].pages[0], ElementsAre(u"電話応対メモ", u"", u"一行目", u"二行目"));
  EXPECT_THAT(printed[1].pages, ElementsAre(ElementsAre(u"次の文書")));
}

TEST_F(ContractTest, SettingsNoPrinterCanTakeAreRefusedAndTheOthersKept) {
  Open<Probe>();
  auto& printer = rt.CurrentPrinter();
  const auto refused = [](auto set) {
    try {
      set();
    } catch (const RuntimeError& e) {
      return e.Number() == platform::err::kInvalidPropertyValue;
    }
    return false;
  };
  EXPECT_TRUE(refused([&] { printer.SetScaleMode(0); }));
  EXPECT_TRUE(refused([&] { printer.SetCopies(0); }));
  EXPECT_TRUE(refused([&] { printer.SetOrientation(3); }));
  EXPECT_TRUE(refused([&] { printer.SetCurrentX(-1.0f); }));
  EXPECT_TRUE(refused([&] { printer.SetFontSize(0.0f); }));
  EXPECT_TRUE(refused([&] { printer.SetFontSize(1000.0f); }));
  for (auto set : std::vector<std::function<void()>>{
           [&] { printer.SetScaleMode(platform::kScaleTwips); }, [&] { printer.SetCopies(1); },
           [&] { printer.SetOrientation(platform::kLandscape); },
           [&] { printer.SetCurrentX(0.0f); }, [&] { printer.SetFontSize(999.0f); }}) {
    EXPECT_FALSE(refused(set));
  }
}

TEST_F(ContractTest, LinesPastTheBottomMarginGoOnTheNextPageInOrder) {
  Open<Probe>();
  auto& printer = rt.CurrentPrinter();
  printer.SetFontSize(12.0f);
  std::vector<std::u16string> lines;
  for (int i = 0; i < 150; ++i) {
    lines.push_back(u"行" + platform::DecimalText(i));
    printer.Print(lines.back());
  }
  printer.EndDoc();
  const auto printed = d->Printed();
  ASSERT_EQ(printed.size(), 1u);
  ASSERT_GE(printed[0].pages.size(), 2u);
  std::vector<std::u16string> all;
  for (const auto& page : printed[0].pages) {
    EXPECT_FALSE(page.empty());
    all.insert(all.end(), page.begin(), page.end());
  }
  EXPECT_EQ(all, lines);
}

TEST_F(ContractTest, PrintDialogGivesTheChoiceCancelIs32755AndOtherFailuresArePrinterErrors) {
  Probe& p = Open<Probe>();
  platform::CommonDialog dialog(p);
  dialog.CancelError = true;
  dialog.Flags = platform::kPdNoSelection | platform::kPdDisablePrintToFile;
  d->AnswerPrintDialog(PrintDialogAnswer::Ok, {2, platform::kLandscape});
  dialog.ShowPrinter();
  EXPECT_EQ(dialog.Copies, 2);
  EXPECT_EQ(dialog.Orientation, platform::kLandscape);

  const auto error = [&](PrintDialogAnswer answer) {
    d->AnswerPrintDialog(answer);
    try {
      dialog.ShowPrinter();
    } catch (const RuntimeError& e) {
      return e.Number();
    }
    return 0;
  };
  EXPECT_EQ(error(PrintDialogAnswer::Cancel), platform::err::kCancelSelected);
  EXPECT_EQ(error(PrintDialogAnswer::Fail), platform::err::kPrinterError);
  dialog.CancelError = false;
  EXPECT_EQ(error(PrintDialogAnswer::Cancel), 0);
  EXPECT_EQ(error(PrintDialogAnswer::Fail), platform::err::kPrinterError);
  EXPECT_THAT(Events(), IsEmpty());
}

}  // namespace
}  // namespace pindle::contract
