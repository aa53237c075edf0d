// The operating system in memory: a global atom table with use counts, hotkey registrations,
// the tray icon, shell requests, the window procedures and a message queue.  Every call the
// program makes is logged in order.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/atom_table.h"
#include "platform/os_api.h"
#include "platform/procedure_chain.h"
#include "platform/stand_in_handles.h"
#include "platform/tray_icon_data.h"

namespace pindle::platform::headless {

struct OsCall {
  std::string name;
  std::vector<long long> args;       // the numeric arguments, in order
  std::u16string text;               // the text argument (atom text, shell target)
  std::vector<std::uint8_t> record;  // the record handed to the shell
  friend bool operator==(const OsCall&, const OsCall&) = default;
};

struct ShellRequest {
  Hwnd hWnd = 0;
  std::u16string verb, file;
  std::optional<std::u16string> parameters, directory;
  int showCmd = 0;
};

struct HotkeyRegistration {
  Hwnd hWnd = 0;  // 0: another program holds the combination
  int id = 0;
  unsigned modifiers = 0, vk = 0;
};

class HeadlessOs final : public OsApi {
 public:
  int Shell_NotifyIconA(std::uint32_t dwMessage, std::span<const std::uint8_t> record) override;
  std::intptr_t ShellExecuteA(Hwnd hWnd, const std::u16string& verb, const std::u16string& file,
                              const std::optional<std::u16string>& parameters,
                              const std::optional<std::u16string>& directory, int showCmd) override;
  std::uint16_t GlobalAddAtomA(const std::u16string& text) override;
  std::uint16_t GlobalDeleteAtom(std::uint16_t atom) override;
  std::uint32_t RegisterWindowMessageA(const std::u16string& name) override;
  int RegisterHotKey(Hwnd hWnd, int id, unsigned modifiers, unsigned vk) override;
  int UnregisterHotKey(Hwnd hWnd, int id) override;
  std::intptr_t SetWindowLongA(Hwnd hWnd, int index, std::intptr_t newLong) override;
  LResult CallWindowProcA(std::intptr_t prevProc, Hwnd hWnd, std::uint32_t uMsg, WParam wParam,
                          LParam lParam) override;

  // ---- the machine around the program ----
  void PostMessage(Hwnd hWnd, std::uint32_t uMsg, WParam wParam, LParam lParam);
  LResult SendMessage(Hwnd hWnd, std::uint32_t uMsg, WParam wParam, LParam lParam);
  // Delivers every queued message (and those they post) through the procedure chains.
  void PumpMessages();
  ProcedureChain& Chain() { return chain_; }

  // A key combination pressed in any application: posts WM_HOTKEY to the window that holds it.
  // Returns false when no window of the program holds it.
  bool PressHotkey(unsigned modifiers, unsigned vk);
  // Another program holds the combination from now on.
  void TakeHotkeyElsewhere(unsigned modifiers, unsigned vk);
  // The mouse over the tray icon: the shell posts the icon's callback message.
  bool TrayMouse(std::uint32_t mouseMessage);
  // Explorer restarts: every tray icon is gone and every window hears "TaskbarCreated".
  void RestartTaskbar();

  StandInHandles& Handles() { return handles_; }
  const std::vector<OsCall>& Calls() const { return calls_; }
  std::vector<std::string> CallNames() const;
  const std::optional<NotifyIconData>& Tray() const { return tray_; }
  const std::vector<HotkeyRegistration>& Hotkeys() const { return hotkeys_; }
  const std::vector<ShellRequest>& ShellRequests() const { return shellRequests_; }
  // Use count of an atom's text; 0 when the atom does not exist.
  int AtomUses(const std::u16string& text) const { return atoms_.Uses(text); }
  // ShellExecuteA raises this error instead of reaching the shell (no shell library).
  std::optional<int> shellFailure;
  // What ShellExecuteA returns when it reaches the shell (32 or less: the shell failed, e.g.
  // no program is registered for the target).
  std::intptr_t shellResult = 42;
  // The atom table is full: GlobalAddAtomA fails.
  bool atomTableFull = false;
  // No taskbar yet (early at logon): adding a tray icon fails.
  bool taskbarMissing = false;

 private:
  struct Message {
    Hwnd hWnd;
    std::uint32_t uMsg;
    WParam wParam;
    LParam lParam;
  };

  std::vector<OsCall> calls_;
  StandInHandles handles_{0x00010010};
  AtomTable atoms_;
  std::vector<HotkeyRegistration> hotkeys_;
  std::optional<NotifyIconData> tray_;
  std::vector<ShellRequest> shellRequests_;
  std::deque<Message> queue_;
  ProcedureChain chain_;
};

}  // namespace pindle::platform::headless
