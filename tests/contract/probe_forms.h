// The windows the contract suite loads: a dialog with a control of every kind, a default and a
// cancel button, and a borderless black window with neither, like the program's quick memo.
// Each records the events it gets as text ("Click cmdOk", "MouseDown 2 150 300", "KeyDown 65").
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "contract/driver.h"
#include "platform/form.h"
#include "platform/runtime.h"

namespace pindle::contract {

using platform::Control;
using platform::ControlKind;
using platform::Event;
using platform::FormDef;

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

  // Every event of every probe window, in order, for the run.
  static std::vector<std::string>& Events() {
    static std::vector<std::string> events;
    return events;
  }
  static void Log(std::string event) { Events().push_back(std::move(event)); }
  void Record(std::u16string_view control, Event event = Event::Click) {
    std::string name(control.begin(), control.end());
    On(control, event,
       [name, event] { Log((event == Event::Click ? "Click " : "Timer ") + name); });
  }

  bool refuseUnload = false;
  bool unloadAgain = false;
};

const FormDef& ProbeDef();
const FormDef& BlackDef();

// A fixed dialog: labels (one with a Click handler), a multi-line and a single-line box, a
// combo box, a check box, default, cancel and plain buttons, a timer and a pop-up menu.
class Probe : public ProbeBase {
 public:
  explicit Probe(platform::Runtime& rt) : ProbeBase(rt, ProbeDef()) {
    for (auto name : {u"lblClick", u"cmbPick", u"chkTick", u"cmdOk", u"cmdCancel", u"cmdOther",
                      u"one", u"two"}) {
      Record(name);
    }
    Record(u"tmrTick", Event::Timer);
  }
  Control txtMemo{*this, u"txtMemo"}, txtLine{*this, u"txtLine"}, cmbPick{*this, u"cmbPick"},
      chkTick{*this, u"chkTick"}, tmrTick{*this, u"tmrTick"}, lblPlain{*this, u"lblPlain"};
};

// A borderless black window with a multi-line box and a button, neither default nor cancel.
class Black : public ProbeBase {
 public:
  explicit Black(platform::Runtime& rt) : ProbeBase(rt, BlackDef()) { Record(u"cmdGo"); }
  Control txtMemo{*this, u"txtMemo"};
};

// A fresh run on the backend under test for each test, with the event log emptied.
class ContractTest : public ::testing::Test {
 protected:
  ContractTest() { ProbeBase::Events().clear(); }
  std::vector<std::string>& Events() { return ProbeBase::Events(); }
  template <class F>
  F& Open() {
    F& f = rt.Instance<F>();
    f.Show();
    d->RunUntil([] { return false; }, 50);  // the window settles on the screen
    return f;
  }

  std::unique_ptr<Driver> d = MakeDriver();
  platform::Runtime& rt = d->Rt();
};

}  // namespace pindle::contract
