// Text boxes hold the text the program puts in them, whole: a long memo, every character code
// page 932 can hold, and a NUL (which no box can hold) shown as the replacement mark with
// everything after it kept.
#include <gmock/gmock.h>

#include "contract/probe_forms.h"
#include "platform/cp932.h"
#include "platform/text.h"

namespace pindle::contract {
namespace {

// Every character code page 932 decodes to, each once, in lines of 64.
std::u16string EveryCp932Character() {
  std::string bytes;
  for (int b = 0x20; b < 0x100; ++b) {
    if (b != 0x7F) bytes += static_cast<char>(b);
  }
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead >= 0xA0 && lead <= 0xDF) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      bytes += static_cast<char>(lead);
      bytes += static_cast<char>(trail);
    }
  }
  std::u16string text;
  int column = 0;
  for (const char16_t c : platform::DecodeCp932(bytes)) {
    if (c == platform::kReplacementMark) continue;  // not a character of the code page
    text += c;
    if (++column % 64 == 0) text += u"\r\n";
  }
  return text;
}

TEST_F(ContractTest, BoxesHoldEveryCharacterOfTheCodePageAndATenMegabyteMemoWhole) {
  Probe& p = Open<Probe>();
  const std::u16string every = EveryCp932Character();
  ASSERT_GT(every.size(), 7000u);
  p.txtMemo.SetText(every);
  EXPECT_TRUE(d->Text(p, u"txtMemo") == every);
  EXPECT_TRUE(p.txtMemo.Text() == every);

  std::u16string memo;
  while (memo.size() < 5'000'000)
    memo += u"電話：山田様より折り返しのお電話をお願いします。0123\r\n";
  p.txtMemo.SetText(memo);
  EXPECT_EQ(d->Text(p, u"txtMemo").size(), memo.size());
  d->Type(p, u"末");  // a box this long still takes typing
  EXPECT_EQ(p.txtMemo.Text().size(), memo.size() + 1);
}

TEST_F(ContractTest, ANulIsShownAsTheMarkAndNothingAfterItIsCut) {
  Probe& p = Open<Probe>();
  p.txtMemo.SetText(std::u16string(u"前\0後\r\n次の行", 8));
  p.txtLine.SetText(std::u16string(u"\0\0後", 3));
  EXPECT_EQ(d->Text(p, u"txtMemo"), u"前\uFFFD後\r\n次の行");
  EXPECT_EQ(d->Text(p, u"txtLine"), u"\uFFFD\uFFFD後");
}

TEST_F(ContractTest, TypedTextAndLabelCaptionsReadBackAsShown) {
  Probe& p = Open<Probe>();
  d->Key(p, kVkTab);
  d->Type(p, u"山田 様");
  p.lblPlain.SetCaption(u"2026/12/07 10:20:30");
  EXPECT_EQ(p.txtLine.Text(), u"山田 様");
  EXPECT_EQ(d->Text(p, u"lblPlain"), u"2026/12/07 10:20:30");
}

}  // namespace
}  // namespace pindle::contract
