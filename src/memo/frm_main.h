// The quick memo window: a borderless black window with a running clock, the weekday, the
// registered memo, a free memo box and its print button.  A press on the black surface or a
// key that reaches the window itself closes it; nothing it holds survives the unload.
#pragma once

#include <array>
#include <string_view>

#include "platform/form.h"
#include "platform/runtime.h"

namespace pindle {

const platform::FormDef& frmMainDefinition();

// Captions of the weekday label, by the clock's weekday number (1 = Sunday) less one.
inline constexpr std::array<std::u16string_view, 7> kWeekdayCaptions = {
    u"日曜日", u"月曜日", u"火曜日", u"水曜日", u"木曜日", u"金曜日", u"土曜日"};

class frmMain final : public platform::Form {
 public:
  explicit frmMain(platform::Runtime& rt);

  void Form_Load() override;
  void Form_KeyDown(int& KeyCode, int Shift) override;
  void Form_MouseDown(int Button, int Shift, float X, float Y) override;

  platform::Control Label2{*this, u"Label2"};
  platform::Control Label3{*this, u"Label3"};
  platform::Control Text1{*this, u"Text1"};
  platform::Control Text2{*this, u"Text2"};
  platform::Control timMain{*this, u"timMain"};

 private:
  void timMain_Timer();
  void Command1_Click();
  void CloseMemoWindow();
};

}  // namespace pindle
