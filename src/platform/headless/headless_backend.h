// The in-memory backend: deterministic, no desktop.  It drives every test of the program's
// behaviour: windows and controls as state, a message queue through the procedure chains, a
// virtual clock that fires timers, hotkeys and tray mouse messages, message boxes and pop-up
// menus with scripted answers, a captured printer, a scripted print dialog and a log of
// operating-system calls.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <typeindex>
#include <vector>

#include "platform/backend.h"
#include "platform/headless/captured_printer.h"
#include "platform/headless/headless_os.h"
#include "platform/headless/headless_window.h"
#include "platform/headless/virtual_clock.h"
#include "platform/runtime.h"

namespace pindle::platform::headless {

struct MessageBoxRecord {
  Hwnd owner = 0;
  std::u16string prompt;
  int style = 0;
  std::u16string title;
};

struct PopupRecord {
  Hwnd hWnd = 0;
  std::u16string menu;
  int flags = 0;
};

struct PrintDialogRecord {
  Hwnd owner = 0;
  std::int32_t flags = 0;
};

class HeadlessBackend final : public Backend, public PrintDialogService {
 public:
  HeadlessBackend();
  ~HeadlessBackend() override;

  // ---- Backend ----
  std::unique_ptr<WindowPeer> CreatePeer(Form& form, const FormDef& def) override;
  int ShowMessageBox(Hwnd owner, const std::u16string& prompt, int style,
                     const std::u16string& title) override;
  void ShowNotice(const std::u16string& prompt) override { notices_.push_back(prompt); }
  void Beep() override { ++beeps_; }
  const Clock& GetClock() const override { return clock_; }
  HeadlessOs& Os() override { return os_; }
  CapturedPrinter& CurrentPrinter() override { return printer_; }
  PrintDialogService& PrintDialog() override { return *this; }
  std::u16string AppPath() const override { return appPath; }
  bool PrevInstance() override { return prevInstance; }
  float TwipsPerPixelX() const override { return twipsPerPixel; }
  void Quit() override { ++quits_; }

  // ---- PrintDialogService ----
  std::optional<PrintChoice> ShowPrinter(Hwnd owner, std::int32_t flags) override;

  // ---- settings of the machine ----
  std::u16string appPath = u"/opt/pindle";
  bool prevInstance = false;
  float twipsPerPixel = 15.0f;

  // ---- scripts for modal things; each runs while the modal thing is open, then the queued
  // messages are delivered as a modal loop would ----
  // The next message box: fn runs while it is open and returns the button pressed.
  void OnNextMessageBox(std::function<int()> fn) { messageBoxScript_.push_back(std::move(fn)); }
  // The next pop-up menu: the user chooses this item (by name), or closes the menu.
  void OnNextPopupMenu(std::optional<std::u16string> item) {
    popupScript_.push_back(std::move(item));
  }
  // The next print dialog: OK with these choices, or cancel (nullopt).
  void OnNextPrintDialog(std::optional<PrintChoice> choice) {
    printScript_.push_back({false, choice});
  }
  // The next print dialog cannot open (no printer installed): ShowPrinter raises kPrinterError.
  void OnNextPrintDialogFailure() { printScript_.push_back({true, std::nullopt}); }

  // ---- what a test drives and reads ----
  VirtualClock& TestClock() { return clock_; }
  void SetClock(const DateTime& t) { clock_.Set(t); }
  // Moves the clock on; every timer that falls due ticks at its time, in order.
  void Advance(std::int64_t milliseconds);
  // Presses a key combination anywhere on the desktop and lets the messages arrive.
  bool PressHotkey(unsigned modifiers, unsigned vk);
  // A mouse message over the tray icon, delivered.
  bool TrayMouse(std::uint32_t mouseMessage);
  void PumpMessages() { os_.PumpMessages(); }

  // The window of a loaded form, or nullptr.
  HeadlessWindow* WindowOf(const std::u16string& formName) const;
  // Visible windows, front to back.
  std::vector<std::u16string> ZOrder() const;
  const std::vector<MessageBoxRecord>& MessageBoxes() const { return messageBoxes_; }
  const std::vector<std::u16string>& Notices() const { return notices_; }
  // The desktop's session ends, as a desktop asks it: true when the program let it end (it has
  // then ended); false when a window held it.
  bool EndSession();
  const std::vector<PopupRecord>& Popups() const { return popups_; }
  const std::vector<PrintDialogRecord>& PrintDialogs() const { return printDialogs_; }
  int Beeps() const { return beeps_; }
  int Quits() const { return quits_; }
  int WindowsCreated() const { return windowsCreated_; }

 private:
  friend class HeadlessWindow;
  void Register(HeadlessWindow* window);
  void Unregister(HeadlessWindow* window);
  void BringToFront(HeadlessWindow* window);
  std::optional<int> RunPopup(HeadlessWindow& window, int menu, int flags);

  VirtualClock clock_;
  HeadlessOs os_;
  CapturedPrinter printer_;
  std::vector<HeadlessWindow*> windows_;  // front to back
  std::deque<std::function<int()>> messageBoxScript_;
  std::deque<std::optional<std::u16string>> popupScript_;
  struct PrintAnswer {
    bool fail;
    std::optional<PrintChoice> choice;
  };
  std::deque<PrintAnswer> printScript_;
  std::vector<MessageBoxRecord> messageBoxes_;
  std::vector<std::u16string> notices_;
  std::vector<PopupRecord> popups_;
  std::vector<PrintDialogRecord> printDialogs_;
  int beeps_ = 0;
  int quits_ = 0;
  int windowsCreated_ = 0;
};

}  // namespace pindle::platform::headless
