// The operating-system calls on a Linux desktop: the tray icon is a QSystemTrayIcon (an XEmbed
// icon, or a StatusNotifierItem where a watcher runs on the session bus) whose clicks come back
// as the icon's callback message, the shell is QDesktopServices, hotkeys are key grabs on the X
// server's root window in an X11 session and the portal's GlobalShortcuts in a Wayland one,
// and window procedures and atoms are the runtime's own (ProcedureChain, AtomTable), as on
// every backend without native ones.  Messages are posted through Qt's event loop.
#pragma once

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/atom_table.h"
#include "platform/form_definition.h"
#include "platform/os_api.h"
#include "platform/procedure_chain.h"
#include "platform/stand_in_handles.h"
#include "platform/tray_icon_data.h"

namespace pindle::platform::qt {

class PortalShortcuts;
class XcbHotkeys;

class QtOs final : public OsApi {
 public:
  QtOs();
  ~QtOs() override;
  QtOs(const QtOs&) = delete;
  QtOs& operator=(const QtOs&) = delete;

  int Shell_NotifyIconA(std::uint32_t dwMessage, std::span<const std::uint8_t> record) override;
  std::intptr_t ShellExecuteA(Hwnd hWnd, const std::u16string& verb, const std::u16string& file,
                              const std::optional<std::u16string>& parameters,
                              const std::optional<std::u16string>& directory, int showCmd) override;
  std::uint16_t GlobalAddAtomA(const std::u16string& text) override { return atoms_.Add(text); }
  std::uint16_t GlobalDeleteAtom(std::uint16_t atom) override { return atoms_.Delete(atom); }
  std::uint32_t RegisterWindowMessageA(const std::u16string& name) override;
  int RegisterHotKey(Hwnd hWnd, int id, unsigned modifiers, unsigned vk) override;
  int UnregisterHotKey(Hwnd hWnd, int id) override;
  std::intptr_t SetWindowLongA(Hwnd hWnd, int index, std::intptr_t newLong) override {
    return chain_.SetWindowLongA(hWnd, index, newLong);
  }
  LResult CallWindowProcA(std::intptr_t prevProc, Hwnd hWnd, std::uint32_t uMsg, WParam wParam,
                          LParam lParam) override {
    return ProcedureChain::Call(prevProc, hWnd, uMsg, wParam, lParam);
  }

  // Queues a message for the window; the event loop sends it through the window's procedure.
  void PostMessage(Hwnd hWnd, std::uint32_t uMsg, WParam wParam, LParam lParam);
  LResult SendMessage(Hwnd hWnd, std::uint32_t uMsg, WParam wParam, LParam lParam) {
    return chain_.Send(hWnd, uMsg, wParam, lParam);
  }
  ProcedureChain& Chain() { return chain_; }
  StandInHandles& Handles() { return handles_; }
  // The tray icon, while the program has one.
  const QSystemTrayIcon* TrayIcon() const { return tray_.get(); }
  // The definition of a window, for the menu a StatusNotifierItem host shows of the icon.
  void SetWindowDefinitions(std::function<const FormDef*(Hwnd)> definitions) {
    definitions_ = std::move(definitions);
  }
  // The item chosen in the host's menu, when the window now pops up that menu: the host showed
  // it, and the user chose, before the program asked.
  std::optional<int> TakeHostMenuChoice(Hwnd hWnd, int menu);

 private:
  struct HostChoice {
    Hwnd hWnd;
    int menu, item;
  };

  // The desktop's answer on the hotkeys (granted: how many; -1: it offers none): true when the
  // program stays, false when it is left with no way in and ends.
  bool HotkeysSettled(int granted);
  void ExportMenu(Hwnd hWnd);
  void PostTrayMessage(std::uint32_t mouseMessage);
  // Tells every window "TaskbarCreated" once a StatusNotifierItem host is up.
  void WatchForTrayHost();

  ProcedureChain chain_;
  AtomTable atoms_;
  StandInHandles handles_{0x00020010};
  QObject mailbox_;  // posted messages die with it
  std::function<const FormDef*(Hwnd)> definitions_;
  std::unique_ptr<QMenu> trayMenu_;  // outlives the icon that exports it
  std::unique_ptr<QSystemTrayIcon> tray_;
  // Whether Qt shows the icons as StatusNotifierItems: decided, once, as the first is made.
  std::optional<bool> statusNotifierTray_;
  QTimer* trayHostWait_ = nullptr;  // a child of mailbox_
  std::optional<HostChoice> hostChoice_;
  NotifyIconData trayRecord_;
  std::unique_ptr<XcbHotkeys> hotkeys_;
  std::unique_ptr<PortalShortcuts> portalShortcuts_;
};

}  // namespace pindle::platform::qt
