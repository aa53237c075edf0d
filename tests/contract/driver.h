// One backend as the user meets it: a Driver acts through the backend's real input path (on
// Windows, messages through the program's own loop) and reads what the backend's widgets show.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "platform/printer.h"
#include "platform/runtime.h"

namespace pindle::contract {

using platform::DateTime;
using platform::Form;

inline constexpr int kVkTab = 0x09, kVkReturn = 0x0D, kVkEscape = 0x1B, kVkSpace = 0x20,
                     kVkF1 = 0x70;

struct SeenMessageBox {
  std::u16string prompt;
  int style = 0;
  std::u16string title;
  bool operator==(const SeenMessageBox&) const = default;
};
struct PrintedDocument {
  std::vector<std::vector<std::u16string>> pages;  // the printed lines of each page
};
enum class PrintDialogAnswer { Ok, Cancel, Fail /* the dialog cannot open: no printer */ };

class Driver {
 public:
  virtual ~Driver() = default;
  virtual platform::Runtime& Rt() = 0;

  // The user, at form: keys at the focused control; mouse buttons 1 left, 2 right, 4 middle
  // over a control or at a client pixel of the bare surface.
  virtual void Key(Form& form, int vk, bool shift = false) = 0;
  virtual void Type(Form& form, std::u16string_view text) = 0;  // one key press a character
  virtual void Press(Form& form, std::u16string_view control, int button) = 0;
  virtual void PressSurface(Form& form, int button, int x, int y) = 0;
  virtual void Choose(Form& form, std::u16string_view control, int index) = 0;  // combo list
  virtual void CloseBox(Form& form) = 0;
  // A message from outside the program (tray callback, WM_HOTKEY) through the message loop.
  virtual void Post(platform::Hwnd hWnd, std::uint32_t uMsg, platform::WParam wParam,
                    platform::LParam lParam) = 0;
  // Runs the loop until done() holds; false after timeoutMs of the backend's time.
  virtual bool RunUntil(const std::function<bool()>& done, int timeoutMs) = 0;
  // The next print dialog's answer; the next pop-up menu's item (none: closed, as unanswered).
  virtual void AnswerPrintDialog(PrintDialogAnswer answer, platform::PrintChoice choice = {}) = 0;
  virtual void AnswerPopupMenu(std::optional<std::u16string> item) = 0;

  // The machine: the clock set to t runs on with the backend's; App.Path is a fresh directory.
  void SetClock(const DateTime& t) {
    Rt().UseClock(&clock_.emplace(Rt().GetBackend().GetClock(), t));
  }

  // What the user sees.
  virtual std::u16string Focus(Form& form) = 0;  // the control's name; empty: the window
  virtual std::u16string Text(Form& form, std::u16string_view control) = 0;
  // A check box's value, or the entry a combo box shows (-1: none).
  virtual int Value(Form& form, std::u16string_view control) = 0;
  virtual bool Visible(Form& form, std::u16string_view control) = 0;
  virtual bool WindowVisible(Form& form) = 0;
  virtual bool LoopEnded() = 0;  // the runtime has asked the message loop to stop
  virtual std::vector<SeenMessageBox> MessageBoxes() = 0;  // each answered OK
  virtual std::vector<PrintedDocument> Printed() = 0;      // ended documents
  virtual std::vector<std::u16string> ShellOpened() = 0;   // targets handed to the shell
  virtual std::vector<std::u16string> Notices() = 0;       // boxes that wait for nobody, closed

  // The desktop's session ends, asked as this desktop asks it: true when the program let it
  // end, false when a window held it.
  virtual bool EndSession() = 0;
  // Another program takes the combination first; false where this run has no global hotkeys.
  virtual bool HoldHotkeyElsewhere(unsigned modifiers, unsigned vk) = 0;

 private:
  struct RunningClock final : platform::Clock {
    RunningClock(const Clock& c, const DateTime& t)
        : system(c), offset(t.ToMilliseconds() - c.Now().ToMilliseconds()) {}
    DateTime Now() const override { return system.Now().PlusMilliseconds(offset); }
    std::u16string DateTimeText(const DateTime& t) const override { return system.DateTimeText(t); }
    const Clock& system;
    std::int64_t offset;
  };
  std::optional<RunningClock> clock_;
};

template <class T>
std::optional<T> Next(std::deque<T>& answers) {  // the first answer, taken
  if (answers.empty()) return std::nullopt;
  std::optional<T> answer = std::move(answers.front());
  answers.pop_front();
  return answer;
}

inline platform::ControlKind KindOf(Form& form, std::u16string_view control) {
  return form.Definition().controls.at(std::size_t(form.Definition().Find(control))).kind;
}

std::unique_ptr<Driver> MakeDriver();  // a fresh run of this executable's backend

}  // namespace pindle::contract
