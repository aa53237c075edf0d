// The native Windows backend: real windows and controls built from the window definitions,
// the system's message loop, message boxes, clock, printer and print dialog, and the real
// operating-system calls.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/backend.h"
#include "platform/win32/notice_boxes.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_os.h"
#include "platform/win32/win32_printer.h"

namespace pindle::platform {
class Runtime;
}

namespace pindle::platform::win32 {

class Win32Clock final : public Clock {
 public:
  DateTime Now() const override;
  // The user's short date and time formats ("2026/12/06 9:05:07" on a Japanese Windows).
  std::u16string DateTimeText(const DateTime& t) const override;
};

// COM, apartment-threaded, on the user-interface thread while the backend lives: the shell
// handlers ShellExecute starts (a mail program for mailto:) may need it there.
class ComApartment {
 public:
  ComApartment();
  ~ComApartment();
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool initialised_;
};

class Win32Backend final : public Backend {
 public:
  explicit Win32Backend(HINSTANCE instance);
  ~Win32Backend() override;
  Win32Backend(const Win32Backend&) = delete;
  Win32Backend& operator=(const Win32Backend&) = delete;

  std::unique_ptr<WindowPeer> CreatePeer(Form& form, const FormDef& def) override;
  int ShowMessageBox(Hwnd owner, const std::u16string& prompt, int style,
                     const std::u16string& title) override;
  void ShowNotice(const std::u16string& prompt) override;
  void Beep() override;
  const Clock& GetClock() const override { return clock_; }
  Win32Os& Os() override { return os_; }
  Win32Printer& CurrentPrinter() override { return printer_; }
  Win32PrintDialog& PrintDialog() override { return printDialog_; }
  std::u16string AppPath() const override;
  bool PrevInstance() override;
  float TwipsPerPixelX() const override;
  void Quit() override;

  // Runs the message loop until Quit; dialog keys (Tab, Enter, Esc) work in every window.
  void RunMessageLoop();
  // Delivers one message as the loop does.
  static void Dispatch(MSG& msg);

  HINSTANCE Instance() const { return instance_; }
  // The hidden top-level window that owns the windows without a taskbar button.
  HWND OwnerWindow() const { return owner_.get(); }

 private:
  HINSTANCE instance_;
  Win32Clock clock_;
  Win32Os os_;
  ComApartment com_;
  Win32Printer printer_;
  Win32PrintDialog printDialog_{printer_};
  KernelHandle instanceMutex_;
  bool mutexChecked_ = false;
  bool prevInstance_ = false;
  WindowHandle owner_;
  NoticeBoxes notices_;  // closed before the owner window goes
};

}  // namespace pindle::platform::win32
