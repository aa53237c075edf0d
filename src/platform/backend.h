// What a backend (in-memory, Win32, Qt) supplies to the runtime.  Program code never sees a
// backend; it uses Runtime, Form and the services below.
#pragma once

#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/os_api.h"
#include "platform/printer.h"
#include "platform/window_peer.h"

namespace pindle::platform {

class Form;
struct FormDef;

inline constexpr int kMbOk = 0;
inline constexpr int kMbIconStop = 16;
inline constexpr int kIdOk = 1;

class Backend {
 public:
  virtual ~Backend() = default;

  // Builds the hidden window of form from its definition.  The peer raises the form's events
  // through Form's Raise... calls.
  virtual std::unique_ptr<WindowPeer> CreatePeer(Form& form, const FormDef& def) = 0;

  // A modal message box; returns the button pressed (kIdOk).
  virtual int ShowMessageBox(Hwnd owner, const std::u16string& prompt, int style,
                             const std::u16string& title) = 0;
  // A message box with an OK button that waits for nobody: it stays until the user closes it
  // or the program ends, and the program runs on meanwhile.
  virtual void ShowNotice(const std::u16string& prompt) = 0;
  virtual void Beep() = 0;

  virtual const Clock& GetClock() const = 0;
  virtual OsApi& Os() = 0;
  virtual Printer& CurrentPrinter() = 0;
  virtual PrintDialogService& PrintDialog() = 0;

  // The executable's directory; a drive root keeps its trailing backslash.
  virtual std::u16string AppPath() const = 0;
  // True when another copy of the program is running.
  virtual bool PrevInstance() = 0;
  virtual float TwipsPerPixelX() const = 0;

  // No window is loaded any more, or End: the message loop stops.
  virtual void Quit() = 0;
};

}  // namespace pindle::platform
