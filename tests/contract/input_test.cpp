// The keyboard and the mouse: focus at opening and tab order, where keys go (Enter, Esc, Tab
// in every kind of control), presses of every mouse button on controls and on the surface,
// the combo box's index and the check box's value as the controls show them.
#include <gmock/gmock.h>

#include <stdexcept>

#include "contract/probe_forms.h"
#include "platform/runtime_error.h"
#include "platform/text.h"

namespace pindle::contract {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST_F(ContractTest, FocusStartsAtTheFirstShownControlAndTabGoesRoundInTabOrder) {
  Probe& p = Open<Probe>();
  EXPECT_EQ(d->Focus(p), u"txtMemo");
  p.txtLine.SetVisible(false);
  std::vector<std::u16string> forward, backward;
  for (int i = 0; i < 6; ++i) {
    d->Key(p, kVkTab);
    forward.push_back(d->Focus(p));
  }
  for (int i = 0; i < 6; ++i) {
    d->Key(p, kVkTab, kShift);
    backward.push_back(d->Focus(p));
  }
  EXPECT_THAT(forward,
              ElementsAre(u"cmbPick", u"chkTick", u"cmdOk", u"cmdCancel", u"cmdOther", u"txtMemo"));
  EXPECT_THAT(backward,
              ElementsAre(u"cmdOther", u"cmdCancel", u"cmdOk", u"chkTick", u"cmbPick", u"txtMemo"));
  EXPECT_THAT(Events(), IsEmpty());
}

TEST_F(ContractTest, TabIntoABoxSelectsNothingSoTheNextKeyReplacesNothing) {
  Probe& p = Open<Probe>();
  p.txtMemo.SetText(u"登録メモ\r\n二行目");
  d->Press(p, u"txtLine", 1);
  d->Key(p, kVkTab, kShift);
  ASSERT_EQ(d->Focus(p), u"txtMemo");
  const auto [start, end] = d->Selection(p, u"txtMemo");
  EXPECT_EQ(start, end);
  d->Type(p, u"x");
  EXPECT_EQ(d->Text(p, u"txtMemo").size(), std::u16string(u"登録メモ\r\n二行目x").size());
}

// Where Enter and Esc go, by window and focused control.  The probe has a default and a
// cancel button; the black window has neither, and a multi-line box of its own.
struct KeyCase {
  bool black;
  const char16_t* focus;
  int vk;
  const char* click;      // the button the key presses, or nullptr
  const char16_t* typed;  // what the key leaves in the focused box
};
const KeyCase kKeyCases[] = {
    {false, u"txtLine", kVkReturn, "Click cmdOk", u""},
    {false, u"txtLine", kVkEscape, "Click cmdCancel", u""},
    {false, u"txtMemo", kVkReturn, nullptr, u"\r\n"},
    {false, u"txtMemo", kVkEscape, "Click cmdCancel", u""},
    {false, u"chkTick", kVkReturn, "Click cmdOk", nullptr},
    {false, u"cmdOther", kVkReturn, "Click cmdOther", nullptr},
    {false, u"cmdOther", kVkSpace, "Click cmdOther", nullptr},
    {false, u"cmdOther", kVkEscape, "Click cmdCancel", nullptr},
    {true, u"txtMemo", kVkEscape, nullptr, u""},
    {true, u"txtMemo", kVkReturn, nullptr, u"\r\n"},
    {true, u"cmdGo", kVkEscape, nullptr, nullptr},
    {true, u"cmdGo", kVkReturn, "Click cmdGo", nullptr},
};

TEST_F(ContractTest, EnterAndEscGoToTheDefaultAndCancelButtonsOnlyWhereThereAreSome) {
  for (const KeyCase& c : kKeyCases) {
    SCOPED_TRACE(platform::Utf16ToUtf8(c.focus) + " key " + std::to_string(c.vk));
    Form& f = c.black ? static_cast<Form&>(Open<Black>()) : static_cast<Form&>(Open<Probe>());
    for (int i = 0; i < 8 && d->Focus(f) != c.focus; ++i) d->Key(f, kVkTab);
    ASSERT_EQ(d->Focus(f), c.focus);
    Events().clear();
    d->Key(f, c.vk);
    if (c.click) {
      EXPECT_THAT(Events(), ElementsAre(c.click));
    } else {
      EXPECT_THAT(Events(), IsEmpty());
    }
    ASSERT_TRUE(c.black ? rt.IfLoaded<Black>() != nullptr : rt.IfLoaded<Probe>() != nullptr);
    EXPECT_TRUE(d->WindowVisible(f));
    if (c.typed) {
      EXPECT_EQ(d->Text(f, c.focus), c.typed);
    }
    rt.UnloadForm(f, platform::kUnloadFromCode);
  }
}

TEST_F(ContractTest, SpaceTogglesAFocusedCheckBoxAndRaisesItsClick) {
  Probe& p = Open<Probe>();
  for (int i = 0; i < 8 && d->Focus(p) != u"chkTick"; ++i) d->Key(p, kVkTab);
  d->Key(p, kVkSpace);
  EXPECT_EQ(d->Value(p, u"chkTick"), 1);
  p.chkTick.SetValue(0);  // the program's change raises Click too
  EXPECT_EQ(d->Value(p, u"chkTick"), 0);
  p.chkTick.SetValue(0);  // no change, no Click
  EXPECT_THAT(Events(), ElementsAre("Click chkTick", "Click chkTick"));
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

// Mouse presses: the left button clicks a control; no button pressed on a control reaches the
// window; every button on the bare surface does, in twips.
struct PressCase {
  const char16_t* control;  // nullptr: the surface
  int button;
  std::vector<std::string> events;
};

TEST_F(ContractTest, PressesOnControlsStayThereAndOnlyTheBareSurfaceReachesTheWindow) {
  const float tpp = rt.TwipsPerPixelX();
  const auto at = [&](int button) {
    return "MouseDown " + std::to_string(button) + " " + std::to_string(int(300 * tpp)) + " " +
           std::to_string(int(250 * tpp));
  };
  const PressCase cases[] = {
      {u"lblHelp", 1, {}},   {u"lblHelp", 2, {}},
      {u"lblHelp", 4, {}},   {u"cmdGo", 1, {"Click cmdGo"}},
      {u"cmdGo", 2, {}},     {u"txtMemo", 1, {}},
      {nullptr, 1, {at(1)}}, {nullptr, 2, {at(2)}},
      {nullptr, 4, {at(4)}},
  };
  for (const PressCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.button));
    Black& b = Open<Black>();
    Events().clear();
    if (c.control) {
      d->Press(b, c.control, c.button);
    } else {
      d->PressSurface(b, c.button, 300, 250);
    }
    EXPECT_EQ(Events(), c.events);
    rt.Unload<Black>();
  }
}

TEST_F(ContractTest, LabelClickGoesToItsHandlerAndALabelWithoutOneTakesThePressQuietly) {
  Probe& p = Open<Probe>();
  d->Press(p, u"lblClick", 1);
  d->Press(p, u"lblClick", 2);
  d->Press(p, u"lblPlain", 1);
  p.lblPlain.SetVisible(false);
  EXPECT_FALSE(d->Visible(p, u"lblPlain"));
  EXPECT_THAT(Events(), ElementsAre("Click lblClick"));
}

TEST_F(ContractTest, CheckBoxClickTogglesItsValue) {
  Probe& p = Open<Probe>();
  d->Press(p, u"chkTick", 1);
  EXPECT_EQ(p.chkTick.Value(), 1);
  d->Press(p, u"chkTick", 1);
  EXPECT_EQ(d->Value(p, u"chkTick"), 0);
  EXPECT_THAT(Events(), ElementsAre("Click chkTick", "Click chkTick"));
}

TEST_F(ContractTest, ComboBoxIndexIsTheEntryTheBoxShows) {
  Probe& p = Open<Probe>();
  EXPECT_EQ(p.cmbPick.ListIndex(), -1);
  EXPECT_EQ(d->Text(p, u"cmbPick"), u"(選択)");
  d->Choose(p, u"cmbPick", 1);
  EXPECT_EQ(p.cmbPick.ListIndex(), 1);
  EXPECT_EQ(d->Text(p, u"cmbPick"), u"二番");
  p.cmbPick.SetListIndex(2);
  EXPECT_EQ(d->ListIndex(p, u"cmbPick"), 2);
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

}  // namespace
}  // namespace pindle::contract
