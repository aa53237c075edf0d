#include "host/form1.h"

#include "host/module2.h"
#include "info/frm_about.h"
#include "info/frm_tip.h"
#include "memo/dialog_data_list.h"
#include "memo/frm_main.h"
#include "platform/clock.h"

namespace pindle {

using namespace platform;

const FormDef& Form1Definition() {
  static const FormDef def{
      .name = u"Form1",
      .caption = u"Shell_NotifyIcon のテスト",
      .border = BorderStyle::FixedSingle,
      .minButton = false,
      .maxButton = false,
      .showInTaskbar = true,
      .left = 150,
      .top = 840,
      .width = 4470,
      .height = 1470,
      .startPosition = StartPosition::WindowsDefault,
      .icon = FormIcon::Product,
      .controls = {{.name = u"cmdHide",
                    .kind = ControlKind::CommandButton,
                    .left = 2640,
                    .top = 960,
                    .width = 1575,
                    .height = 375,
                    .tabIndex = 0,
                    .text = u"cmdHide"},
                   // Tries the tray icon again while the taskbar is not there yet.
                   {.name = u"timTray", .kind = ControlKind::Timer, .interval = 2000}},
      .menus = {{.name = u"mnuPopUp",
                 .caption = u"ファイル",
                 .visible = false,
                 .items = {{u"memo", u"Pindle起動"},
                           {u"customise", u"登録メモ編集"},
                           {u"bar", u"-"},
                           {u"manual", u"使い方"},
                           {u"aboutme", u"ソフトについて"},
                           {u"end", u"終了"}}}},
  };
  return def;
}

Form1::Form1(Runtime& rt) : Form(rt, Form1Definition()) {
  On(u"cmdHide", Event::Click, [this] { cmdHide_Click(); });
  On(u"memo", Event::Click, [this] { memo_Click(); });
  On(u"customise", Event::Click, [this] { customise_Click(); });
  On(u"manual", Event::Click, [this] { manual_Click(); });
  On(u"aboutme", Event::Click, [this] { aboutme_Click(); });
  On(u"end", Event::Click, [this] { end_Click(); });
  On(u"timTray", Event::Timer, [this] { timTray_Timer(); });
}

void Form1::Form_Load() {
  if (App().PrevInstance()) {
    App().MsgBox(u"Pindleは既に起動しています。", kMbIconStop, u"Pindleの二重起動は禁止です");
    App().End();
  }
  SetVisible(false);
  OsApi& os = App().Os();
  TaskbarCreatedMessage = os.RegisterWindowMessageA(u"TaskbarCreated");

  TrayIconData.cbSize = 88;
  TrayIconData.hWnd = hWnd();
  TrayIconData.uID = 1;
  TrayIconData.uFlags = static_cast<std::int32_t>(kNifMessage | kNifIcon | kNifTip);
  TrayIconData.uCallbackMessage = kTrayCallbackMessage;
  TrayIconData.hIcon = Icon();
  TrayIconData.szTip = FixedTip(u"SysInfo");
  PutTrayIconIn();

  // The hotkeys, with atoms as their identifiers, then the hook that receives them.
  Module2& m = Module2::Values();
  m.HotkeyAtom1 = static_cast<std::int16_t>(os.GlobalAddAtomA(u"HOTKEY1"));
  m.HotkeyAtom2 = static_cast<std::int16_t>(os.GlobalAddAtomA(u"HOTKEY2"));
  m.HotkeyAtom3 = static_cast<std::int16_t>(os.GlobalAddAtomA(u"HOTKEY3"));
  os.RegisterHotKey(hWnd(), HotkeyIdentifier(m.HotkeyAtom1), kModAlt, kVkF1);
  os.RegisterHotKey(hWnd(), HotkeyIdentifier(m.HotkeyAtom2), kModAlt, kVkF2);
  os.RegisterHotKey(hWnd(), HotkeyIdentifier(m.HotkeyAtom3), kModAlt, kVkF3);
  HookWindow(hWnd());
}

// The shell sends the tray callback (519, a middle-button press to the runtime) with the mouse
// message over the icon in lParam; the runtime hands its low word over as X in twips.
void Form1::Form_MouseDown(int Button, int /*Shift*/, float X, float /*Y*/) {
  if ((Button & kMiddleButton) == 0) return;
  const std::int32_t twipsPerPixel = RoundHalfEven(App().TwipsPerPixelX());
  if (twipsPerPixel == 0) return;  // no pixel size to undo
  const std::int32_t message = RoundHalfEven(X) / twipsPerPixel;
  switch (message) {
    case msg::kLButtonDown:
      App().Beep();
      break;
    case msg::kLButtonDblClk:
      App().Show<frmMain>();
      break;
    case msg::kRButtonDown:
      PopupMenu(u"mnuPopUp", 2);
      break;
    default:
      break;
  }
}

void Form1::Form_QueryUnload(int& /*Cancel*/, int /*UnloadMode*/) {
  OsApi& os = App().Os();
  const Module2& m = Module2::Values();
  os.UnregisterHotKey(hWnd(), HotkeyIdentifier(m.HotkeyAtom1));
  os.UnregisterHotKey(hWnd(), HotkeyIdentifier(m.HotkeyAtom2));
  os.UnregisterHotKey(hWnd(), HotkeyIdentifier(m.HotkeyAtom3));
  os.GlobalDeleteAtom(static_cast<std::uint16_t>(m.HotkeyAtom1));
  os.GlobalDeleteAtom(static_cast<std::uint16_t>(m.HotkeyAtom2));
  os.GlobalDeleteAtom(static_cast<std::uint16_t>(m.HotkeyAtom3));
  UnhookWindow(hWnd());
}

void Form1::Form_Unload(int& /*Cancel*/) {
  App().Os().Shell_NotifyIconA(kNimDelete, TrayIconData.Bytes());
}

void Form1::PutTrayIconIn() {
  trayAttempts_ = 0;
  if (!AddTrayIcon()) timTray.SetEnabled(true);
}

bool Form1::AddTrayIcon() {
  if (App().Os().Shell_NotifyIconA(kNimAdd, TrayIconData.Bytes()) == 0) return false;
  timTray.SetEnabled(false);  // in: no more attempts, whoever added it
  return true;
}

void Form1::timTray_Timer() {
  constexpr int kMaxAttempts = 15;
  if (AddTrayIcon() || ++trayAttempts_ >= kMaxAttempts) timTray.SetEnabled(false);
}

void Form1::cmdHide_Click() {
  SetVisible(false);
}
void Form1::memo_Click() {
  App().Show<frmMain>();
}
void Form1::customise_Click() {
  App().Show<Dialog_DataList>();
}
void Form1::manual_Click() {
  App().Show<frmTip>();
}
void Form1::aboutme_Click() {
  App().Show<frmAbout>();
}
void Form1::end_Click() {
  Unload();
}

}  // namespace pindle
