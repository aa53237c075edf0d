// The contract suite's view of one backend: a Driver acts as the user does on that backend,
// through the backend's real input path (on Windows: messages posted to the focused window and
// delivered by the message loop the program runs), and reads back what the user would see,
// from the backend's own widgets rather than from the runtime's copy.  Every test of the suite
// is written once against this interface; each backend's test executable links the suite with
// its own driver (MakeDriver).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/printer.h"
#include "platform/runtime.h"

namespace pindle::contract {

using platform::Form;

// Virtual-key codes the suite presses.
inline constexpr int kVkTab = 0x09;
inline constexpr int kVkReturn = 0x0D;
inline constexpr int kVkEscape = 0x1B;
inline constexpr int kVkSpace = 0x20;
inline constexpr int kVkF1 = 0x70;

// Shift state of Key: the modifier keys held.
inline constexpr int kShift = 1;
inline constexpr int kCtrl = 2;
inline constexpr int kAlt = 4;

struct SeenMessageBox {
  std::u16string prompt;
  int style = 0;
  std::u16string title;
};

// What the printer received: every ended document, each as its pages of printed lines.
struct PrintedDocument {
  std::vector<std::vector<std::u16string>> pages;
};

enum class PrintDialogAnswer {
  Ok,      // the user presses OK with the choice given
  Cancel,  // the user cancels
  Fail,    // the dialog cannot open (no printer installed)
};

class Driver {
 public:
  virtual ~Driver() = default;

  // The runtime of this run, on the backend under test.
  virtual platform::Runtime& Rt() = 0;

  // ---- the user ----
  // A key pressed and released with form active, at whatever has the keyboard focus there;
  // shift holds the modifier keys held down meanwhile.
  virtual void Key(Form& form, int vk, int shift = 0) = 0;
  // Characters typed at the focused control, one key press each.
  virtual void Type(Form& form, std::u16string_view text) = 0;
  // A mouse button (1 left, 2 right, 4 middle) pressed and released over a control.
  virtual void Press(Form& form, std::u16string_view control, int button) = 0;
  // A mouse button pressed and released on the window's bare surface, at a client pixel.
  virtual void PressSurface(Form& form, int button, int x, int y) = 0;
  // An entry chosen from a combo box's drop-down list with the mouse.
  virtual void Choose(Form& form, std::u16string_view control, int index) = 0;
  // The close box of the title bar.
  virtual void CloseBox(Form& form) = 0;
  // A message from outside the program (the shell's tray callback, the system's WM_HOTKEY),
  // posted to a window of the program and delivered by the message loop.
  virtual void Post(platform::Hwnd hWnd, std::uint32_t uMsg, platform::WParam wParam,
                    platform::LParam lParam) = 0;
  // Runs the message loop (and lets time pass) until done() holds; false after timeoutMs of
  // the backend's time.
  virtual bool RunUntil(const std::function<bool()>& done, int timeoutMs) = 0;
  // The next print dialog that opens is answered so.
  virtual void AnswerPrintDialog(PrintDialogAnswer answer, platform::PrintChoice choice = {}) = 0;
  // The next pop-up menu that opens: the item of this name is chosen, or (nullopt) the menu is
  // closed without a choice.  Without an answer a menu is closed without a choice.
  virtual void AnswerPopupMenu(std::optional<std::u16string> item) = 0;

  // ---- the machine around the program ----
  // The clock the runtime reads from now on starts at t and runs on with the backend's time.
  virtual void SetClock(const platform::DateTime& t) = 0;
  // The directory the runtime reports as App.Path: a fresh empty directory of this run,
  // removed with the driver.
  virtual std::u16string AppDir() = 0;

  // ---- what the user sees ----
  // The name of the control with the keyboard focus in form; empty when the window itself has
  // it.
  virtual std::u16string Focus(Form& form) = 0;
  // The text a text box or combo box shows, or a label's caption.
  virtual std::u16string Text(Form& form, std::u16string_view control) = 0;
  // The selected part of a text box, as [start, end) in UTF-16 units.
  virtual std::pair<int, int> Selection(Form& form, std::u16string_view control) = 0;
  virtual int ListIndex(Form& form, std::u16string_view control) = 0;
  virtual int Value(Form& form, std::u16string_view control) = 0;
  virtual bool Visible(Form& form, std::u16string_view control) = 0;
  virtual bool WindowVisible(Form& form) = 0;
  // True once the runtime has asked the message loop to stop.
  virtual bool LoopEnded() = 0;
  // Message boxes shown so far (each was answered with its only button, OK).
  virtual std::vector<SeenMessageBox> MessageBoxes() = 0;
  // Documents the printer has finished so far.
  virtual std::vector<PrintedDocument> Printed() = 0;
  // Targets the shell was asked to open, in order.
  virtual std::vector<std::u16string> ShellOpened() = 0;
};

// The driver of the backend this test executable is built for: a fresh run each call.
std::unique_ptr<Driver> MakeDriver();

}  // namespace pindle::contract
