// The keyboard and the mouse, and what the boxes show.
#include <stdexcept>
#include <tuple>

#include "contract/probe_forms.h"
#include "platform/cp932.h"

namespace pindle::contract {
namespace {

// Tab into a box selects nothing, so that the next key replaces nothing.
TEST_F(ContractTest, FocusStartsAtTheFirstShownControlAndTabGoesRoundInTabOrder) {
  Probe& p = Open<Probe>();
  EXPECT_EQ(d->Focus(p), u"txtMemo");
  p.txtMemo.SetText(u"登録メモ\r\n二行目");
  p.txtLine.SetVisible(false);
  p.lblPlain.SetVisible(false);
  EXPECT_FALSE(d->Visible(p, u"lblPlain"));
  std::vector<std::u16string> seen;
  for (const bool shift : {false, true})
    for (int i = 0; i < 6; ++i) d->Key(p, kVkTab, shift), seen.push_back(d->Focus(p));
  EXPECT_THAT(seen,
              ElementsAre(u"cmbPick", u"chkTick", u"cmdOk", u"cmdCancel", u"cmdOther", u"txtMemo",
                          u"cmdOther", u"cmdCancel", u"cmdOk", u"chkTick", u"cmbPick", u"txtMemo"));
  d->Type(p, u"x");
  EXPECT_EQ(d->Text(p, u"txtMemo").size(), std::u16string(u"登録メモ\r\n二行目x").size());
  EXPECT_THAT(Events(), IsEmpty());
}

// Where Enter, Esc and Space go, by window and focused control: the probe has a default and
// a cancel button, the black window neither.  Each row: the window (black or not), the focused
// control, the key, the button it presses (or nullptr) and what the control shows then.
const std::tuple<bool, const char16_t*, int, const char*, const char16_t*> kKeyCases[] = {
    {false, u"txtLine", kVkReturn, "Click cmdOk", u""},
    {false, u"txtLine", kVkEscape, "Click cmdCancel", u""},
    {false, u"txtMemo", kVkReturn, nullptr, u"\r\n"},
    {false, u"txtMemo", kVkEscape, "Click cmdCancel", u""},
    {false, u"chkTick", kVkReturn, "Click cmdOk", u"チェック"},
    {false, u"cmdOther", kVkReturn, "Click cmdOther", u"他"},
    {false, u"cmdOther", kVkSpace, "Click cmdOther", u"他"},
    {false, u"cmdOther", kVkEscape, "Click cmdCancel", u"他"},
    {true, u"txtMemo", kVkEscape, nullptr, u""},
    {true, u"txtMemo", kVkReturn, nullptr, u"\r\n"},
    {true, u"cmdGo", kVkEscape, nullptr, u"印刷"},
    {true, u"cmdGo", kVkReturn, "Click cmdGo", u"印刷"},
};

TEST_F(ContractTest, EnterAndEscGoToTheDefaultAndCancelButtonsOnlyWhereThereAreSome) {
  for (const auto& [black, focus, vk, click, shows] : kKeyCases) {
    SCOPED_TRACE(platform::Utf16ToUtf8(focus) + " key " + std::to_string(vk));
    Form& f = black ? static_cast<Form&>(Open<Black>()) : static_cast<Form&>(Open<Probe>());
    FocusOn(f, focus);
    Events().clear();
    d->Key(f, vk);
    EXPECT_EQ(Events(), click ? std::vector<std::string>{click} : std::vector<std::string>{});
    ASSERT_EQ(rt.LoadedForms(), std::vector<Form*>{&f});
    EXPECT_TRUE(d->WindowVisible(f));
    EXPECT_EQ(d->Text(f, focus), shows);
    rt.UnloadForm(f, platform::kUnloadFromCode);
  }
  Probe& p = Open<Probe>();  // a hidden default or cancel button: no key presses it
  platform::Control(p, u"cmdOk").SetVisible(false);
  platform::Control(p, u"cmdCancel").SetVisible(false);
  FocusOn(p, u"txtLine");
  Events().clear();
  d->Key(p, kVkReturn), d->Key(p, kVkEscape);
  EXPECT_THAT(Events(), IsEmpty());
}

TEST_F(ContractTest, CheckBoxTogglesOnClickAndSpaceAndRaisesClickOnEveryChange) {
  Probe& p = Open<Probe>();
  d->Press(p, u"chkTick", 1);
  EXPECT_EQ(p.chkTick.Value(), 1);
  d->Press(p, u"chkTick", 1);
  EXPECT_EQ(d->Value(p, u"chkTick"), 0);
  FocusOn(p, u"chkTick");
  d->Key(p, kVkSpace);
  EXPECT_EQ(d->Value(p, u"chkTick"), 1);
  p.chkTick.SetValue(0);  // the program's change raises Click too
  EXPECT_EQ(d->Value(p, u"chkTick"), 0);
  p.chkTick.SetValue(0);  // no change, no Click
  EXPECT_THAT(Events(),
              ElementsAre("Click chkTick", "Click chkTick", "Click chkTick", "Click chkTick"));
}

TEST_F(ContractTest, KeysReachTheWindowOnlyWhileItHasTheFocusItself) {
  Black& b = Open<Black>();
  d->Type(b, u"a");
  d->Key(b, kVkF1);
  EXPECT_EQ(d->Text(b, u"txtMemo"), u"a");
  b.txtMemo.SetVisible(false);  // the focus goes to the window itself
  EXPECT_EQ(d->Focus(b), u"");
  d->Key(b, kVkF1);
  d->Key(b, kVkTab);
  EXPECT_EQ(d->Focus(b), u"cmdGo");
  d->Key(b, kVkF1);
  EXPECT_THAT(Events(), ElementsAre("KeyDown 112"));
}

// The left button clicks a control that has a handler; no press on a control reaches the
// window; every button on the bare surface does, in twips.
TEST_F(ContractTest, PressesOnControlsStayThereAndOnlyTheBareSurfaceReachesTheWindow) {
  Probe& p = Open<Probe>();
  for (const int button : {1, 2}) d->Press(p, u"lblClick", button);
  d->Press(p, u"lblPlain", 1);
  Black& b = Open<Black>();
  for (const int button : {1, 2, 4}) d->Press(b, u"lblHelp", button);
  for (const int button : {1, 2}) d->Press(b, u"cmdGo", button);
  d->Press(b, u"txtMemo", 1);
  for (const int button : {1, 2, 4}) d->PressSurface(b, button, 300, 250);
  const std::string at = " " + std::to_string(int(300 * rt.TwipsPerPixelX())) + " " +
                         std::to_string(int(250 * rt.TwipsPerPixelX()));
  EXPECT_THAT(Events(), ElementsAre("Click lblClick", "Click cmdGo", "MouseDown 1" + at,
                                    "MouseDown 2" + at, "MouseDown 4" + at));
}

TEST_F(ContractTest, ComboBoxIndexIsTheEntryTheBoxShows) {
  Probe& p = Open<Probe>();
  EXPECT_EQ(p.cmbPick.ListIndex(), -1);
  EXPECT_EQ(d->Text(p, u"cmbPick"), u"(選択)");
  d->Choose(p, u"cmbPick", 1);
  EXPECT_EQ(p.cmbPick.ListIndex(), 1);
  EXPECT_EQ(d->Text(p, u"cmbPick"), u"二番");
  p.cmbPick.SetListIndex(2);
  EXPECT_EQ(d->Value(p, u"cmbPick"), 2);
  EXPECT_EQ(d->Text(p, u"cmbPick"), u"三番");
  p.cmbPick.SetText(u"手書き");  // a text of the program's chooses no entry
  EXPECT_EQ(p.cmbPick.ListIndex(), -1);
  d->Choose(p, u"cmbPick", 0);
  d->Type(p, u"x");  // nor does typing
  EXPECT_EQ(p.cmbPick.ListIndex(), -1);
  EXPECT_THROW(p.cmbPick.SetListIndex(3), platform::RuntimeError);
  EXPECT_EQ(p.cmbPick.List(2), u"三番");
  EXPECT_EQ(p.cmbPick.List(3), u"");  // past the list: no entry
  EXPECT_EQ(p.cmbPick.List(-1), u"");
  EXPECT_THROW(platform::Control(p, u"cmbNone"), std::logic_error);
  EXPECT_THAT(Events(), ElementsAre("Click cmbPick", "Click cmbPick"));
}

// Every character code page 932 decodes to, each once, in lines of 64.
std::u16string EveryCp932Character() {
  std::string bytes;
  for (int b = 0x20; b < 0x100; ++b)
    if (b != 0x7F) bytes += static_cast<char>(b);
  for (int lead = 0x81; lead <= 0xFC; ++lead)
    for (int trail = 0x40; trail <= 0xFC; ++trail)
      if (trail != 0x7F && (lead < 0xA0 || lead > 0xDF))
        bytes += {static_cast<char>(lead), static_cast<char>(trail)};
  std::u16string text;
  int column = 0;
  for (const char16_t c : platform::DecodeCp932(bytes)) {
    if (c == platform::kReplacementMark) continue;  // not a character of the code page
    text += c;
    if (++column % 64 == 0) text += u"\r\n";
  }
  return text;
}

TEST_F(ContractTest, BoxesHoldWhatIsTypedOrSetWholeAndShowANulAsTheMark) {
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

  d->Key(p, kVkTab);
  d->Type(p, u"山田 様");
  EXPECT_EQ(p.txtLine.Text(), u"山田 様");
  p.txtMemo.SetText(std::u16string(u"前\0後\r\n次の行", 8));
  p.txtLine.SetText(std::u16string(u"\0\0後", 3));
  EXPECT_EQ(d->Text(p, u"txtMemo"), u"前\uFFFD後\r\n次の行");
  EXPECT_EQ(d->Text(p, u"txtLine"), u"\uFFFD\uFFFD後");
  p.lblPlain.SetCaption(u"2026/12/07 10:20:30");
  EXPECT_EQ(d->Text(p, u"lblPlain"), u"2026/12/07 10:20:30");
}

}  // namespace
}  // namespace pindle::contract
