// The windows the suite drives, logging their events as text ("Click cmdOk", "KeyDown 65"),
// and the fixture that opens them on a fresh run.
#pragma once

#include <gmock/gmock.h>

#include "contract/driver.h"
#include "error_of.h"
#include "platform/form.h"
#include "platform/runtime_error.h"
#include "platform/text.h"

namespace pindle::contract {

using platform::Control;
using platform::Event;
using platform::FormDef;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

inline void PrintTo(const SeenMessageBox& b, std::ostream* os) {
  *os << platform::Utf16ToUtf8(b.prompt) << " (" << b.style << ") "
      << platform::Utf16ToUtf8(b.title);
}

using testing::ErrorOf;

class ProbeBase : public Form {
 public:
  ProbeBase(platform::Runtime& rt, const FormDef& def) : Form(rt, def) {}
  void Form_MouseDown(int button, int, float x, float y) override {
    Log("MouseDown " + std::to_string(button) + " " + std::to_string(static_cast<int>(x)) + " " +
        std::to_string(static_cast<int>(y)));
  }
  void Form_KeyDown(int& key, int) override { Log("KeyDown " + std::to_string(key)); }
  void Form_QueryUnload(int& cancel, int mode) override {
    Log("QueryUnload " + std::to_string(mode));
    cancel = refuseUnload ? 1 : 0;
    if (unloadAgain) Unload();
  }
  void Form_Unload(int&) override { Log("Unload"); }
  void Form_QueryEndSession(int& cancel, std::u16string& reason) override {
    Log("QueryEndSession");
    if (holdSession) cancel = 1, reason = u"未保存の変更があります";
  }

  static inline std::vector<std::string> events;  // of every probe window, in order
  static void Log(std::string event) { events.push_back(std::move(event)); }
  void Record(std::u16string_view control, Event event = Event::Click) {
    const std::string name =
        (event == Event::Click ? "Click " : "Timer ") + std::string(control.begin(), control.end());
    On(control, event, [name] { Log(name); });
  }

  bool refuseUnload = false;
  bool unloadAgain = false;
  bool holdSession = false;
};

// A dialog with a control of every kind, default, cancel and plain buttons and a pop-up menu.
// clang-format off
inline const FormDef& ProbeDef() {
  using enum platform::ControlKind;
  static const FormDef def{
      .name = u"frmProbe", .caption = u"プローブ", .border = platform::BorderStyle::FixedDialog,
      .left = 600, .top = 600, .width = 6000, .height = 4200,
      .controls = {
          {.name = u"lblClick", .left = 120, .top = 120, .width = 1200, .height = 300, .text = u"押す"},
          {.name = u"lblPlain", .left = 1500, .top = 120, .width = 1200, .height = 300, .text = u"ラベル"},
          {.name = u"txtMemo", .kind = TextBox, .left = 120, .top = 480, .width = 3000, .height = 1500,
           .tabIndex = 0, .multiLine = true, .scrollBars = platform::ScrollBars::Both},
          {.name = u"txtLine", .kind = TextBox, .left = 120, .top = 2100, .width = 3000, .height = 300, .tabIndex = 1},
          {.name = u"cmbPick", .kind = ComboBox, .left = 3300, .top = 480, .width = 2400, .height = 300, .tabIndex = 2,
           .text = u"(選択)", .list = {u"一番", u"二番", u"三番"}},
          {.name = u"chkTick", .kind = CheckBox, .left = 3300, .top = 960, .width = 2400, .height = 300, .tabIndex = 3,
           .text = u"チェック"},
          {.name = u"cmdOk", .kind = CommandButton, .left = 4560, .top = 3600, .width = 1215, .height = 375,
           .tabIndex = 4, .text = u"OK", .isDefault = true},
          {.name = u"cmdCancel", .kind = CommandButton, .left = 3240, .top = 3600, .width = 1215, .height = 375,
           .tabIndex = 5, .text = u"ｷｬﾝｾﾙ", .isCancel = true},
          {.name = u"cmdOther", .kind = CommandButton, .left = 1920, .top = 3600, .width = 1215, .height = 375,
           .tabIndex = 6, .text = u"他"},
          {.name = u"tmrTick", .kind = Timer, .visible = false, .interval = 50},
      },
      .menus = {{.name = u"mnuPop", .caption = u"メニュー", .visible = false,
                 .items = {{u"one", u"一"}, {u"bar", u"-"}, {u"two", u"二"}}}},
  };
  return def;
}

// Borderless and black, with neither a default nor a cancel button, like the quick memo.
inline const FormDef& BlackDef() {
  using enum platform::ControlKind;
  static const FormDef def{
      .name = u"frmBlack", .border = platform::BorderStyle::None, .controlBox = false,
      .left = 900, .top = 900, .width = 6000, .height = 4500, .backColor = platform::kBlack,
      .controls = {
          {.name = u"lblHelp", .left = 120, .top = 120, .width = 3000, .height = 300, .text = u"ヘルプ",
           .foreColor = platform::kWhite, .backColor = platform::kBlack},
          {.name = u"txtMemo", .kind = TextBox, .left = 120, .top = 600, .width = 4000, .height = 2000,
           .tabIndex = 0, .multiLine = true},
          {.name = u"cmdGo", .kind = CommandButton, .left = 4560, .top = 3600, .width = 1215, .height = 375,
           .tabIndex = 1, .text = u"印刷"},
      },
  };
  return def;
}
// clang-format on

class Probe : public ProbeBase {
 public:
  explicit Probe(platform::Runtime& rt) : ProbeBase(rt, ProbeDef()) {
    for (auto name :
         {u"lblClick", u"cmbPick", u"chkTick", u"cmdOk", u"cmdCancel", u"cmdOther", u"one", u"two"})
      Record(name);
    Record(u"tmrTick", Event::Timer);
  }
  Control txtMemo{*this, u"txtMemo"}, txtLine{*this, u"txtLine"}, cmbPick{*this, u"cmbPick"},
      chkTick{*this, u"chkTick"}, tmrTick{*this, u"tmrTick"}, lblPlain{*this, u"lblPlain"};
};

class Black : public ProbeBase {
 public:
  explicit Black(platform::Runtime& rt) : ProbeBase(rt, BlackDef()) { Record(u"cmdGo"); }
  Control txtMemo{*this, u"txtMemo"};
};

class ContractTest : public ::testing::Test {
 protected:
  ContractTest() { ProbeBase::events.clear(); }
  std::vector<std::string>& Events() { return ProbeBase::events; }
  template <class F>
  F& Open() {
    F& f = rt.Instance<F>();
    f.Show();
    d->RunUntil([] { return false; }, 50);  // the window settles on the screen
    return f;
  }
  // Tabs round until control has the focus.
  void FocusOn(Form& f, std::u16string_view control) {
    for (int i = 0; i < 8 && d->Focus(f) != control; ++i) d->Key(f, kVkTab);
    ASSERT_EQ(d->Focus(f), control);
  }

  std::unique_ptr<Driver> d = MakeDriver();
  platform::Runtime& rt = d->Rt();
};

}  // namespace pindle::contract
