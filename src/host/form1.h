// The tray host: the hidden start-up window that lives for the whole run.  It refuses a second
// copy, puts the icon into the tray, registers the hotkeys and hooks its own window procedure;
// the tray icon's mouse messages come back to it, and its pop-up menu opens the other windows.
#pragma once

#include "platform/form.h"
#include "platform/runtime.h"
#include "platform/tray_icon_data.h"

namespace pindle {

const platform::FormDef& Form1Definition();

inline constexpr std::int32_t kTrayCallbackMessage = 519;  // the number of WM_MBUTTONDOWN

class Form1 final : public platform::Form {
 public:
  explicit Form1(platform::Runtime& rt);

  void Form_Load() override;
  void Form_MouseDown(int Button, int Shift, float X, float Y) override;
  void Form_QueryUnload(int& Cancel, int UnloadMode) override;
  void Form_Unload(int& Cancel) override;

  // Filled once in Form_Load; removes the icon again in Form_Unload.
  platform::NotifyIconData TrayIconData;
  // Broadcast when the taskbar is created (at logon, after Explorer restarts).
  std::uint32_t TaskbarCreatedMessage = 0;

  // Puts the icon into the tray with the record filled at start-up; while the taskbar refuses
  // it (not there yet at logon, or restarting), tries again for a while.
  void PutTrayIconIn();

 private:
  bool AddTrayIcon();  // false when the taskbar refused it
  void cmdHide_Click();
  void memo_Click();
  void customise_Click();
  void manual_Click();
  void aboutme_Click();
  void end_Click();
  void timTray_Timer();

  platform::Control timTray{*this, u"timTray"};
  int trayAttempts_ = 0;
};

}  // namespace pindle
