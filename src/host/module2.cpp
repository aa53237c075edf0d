#include "host/module2.h"

#include "host/form1.h"
#include "memo/dialog_data_list.h"
#include "memo/frm_main.h"
#include "platform/runtime.h"

namespace pindle {

using platform::Runtime;

Module2& Module2::Values() {
  return Runtime::Current().Module<Module2>();
}

void HookWindow(platform::Hwnd hWnd) {
  Module2::Values().PrevWndProc = Runtime::Current().Os().SetWindowLongA(
      hWnd, platform::kGwlWndProc, platform::ProcAddress(&WindowProc));
}

void UnhookWindow(platform::Hwnd hWnd) {
  const std::intptr_t previous = Module2::Values().PrevWndProc;
  if (previous != 0) Runtime::Current().Os().SetWindowLongA(hWnd, platform::kGwlWndProc, previous);
}

platform::LResult PINDLE_CALLBACK WindowProc(platform::Hwnd hWnd, std::uint32_t uMsg,
                                             platform::WParam wParam, platform::LParam lParam) {
  Runtime& rt = Runtime::Current();
  Module2& m = rt.Module<Module2>();
  // Explorer came back (or started late): the icon it lost goes in again, same record.
  if (Form1* host = rt.IfLoaded<Form1>();
      host && uMsg != 0 && uMsg == host->TaskbarCreatedMessage) {
    host->PutTrayIconIn();
  }
  // While a hotkey action runs (it may show a message box with a loop of its own), every
  // message goes straight on, and a hotkey pressed then is dropped.
  if (!m.InWindowProc) {
    m.InWindowProc = true;
    if (uMsg == platform::msg::kHotKey) {
      const auto id = static_cast<std::int32_t>(static_cast<std::uint32_t>(wParam & 0xFFFFFFFFu));
      // Windows calls this procedure directly: an error in the action is reported here and
      // goes no further.
      rt.RunEvent([&rt, &m, id] {
        if (id == HotkeyIdentifier(m.HotkeyAtom1)) {
          rt.Show<frmMain>();
        } else if (id == HotkeyIdentifier(m.HotkeyAtom2)) {
          rt.Unload<frmMain>();
        } else if (id == HotkeyIdentifier(m.HotkeyAtom3)) {
          rt.Show<Dialog_DataList>();
        }
      });
    }
    m.InWindowProc = false;
  }
  return rt.Os().CallWindowProcA(m.PrevWndProc, hWnd, uMsg, wParam, lParam);
}

}  // namespace pindle
