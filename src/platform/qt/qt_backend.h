// The native Linux backend: Qt Widgets windows built from the window definitions, Qt's event
// loop, message boxes, the clock, the printer and print dialog (CUPS), the tray icon and the
// desktop's services, global hotkeys (qt_os.h), the desktop's questions at the session's end
// (portal_session_end.h).
//
// Test seams, each off unless set: SetLockPath (the single-instance lock), WatchSessionEnd (the
// portal on another bus), and the printer's QtPrinter::UseDevice and
// QtPrintDialog::printerNames (qt_printer.h).
#pragma once

#include <QDBusConnection>
#include <QLockFile>
#include <QObject>
#include <memory>
#include <optional>
#include <string>

#include "platform/backend.h"
#include "platform/qt/qt_os.h"
#include "platform/qt/qt_printer.h"

namespace pindle::platform::qt {

class QtWindow;
class SessionEnd;

class QtClock final : public Clock {
 public:
  DateTime Now() const override;
  // The locale's short date and its time with seconds; yyyy/MM/dd H:mm:ss without a locale.
  std::u16string DateTimeText(const DateTime& t) const override;
};

class QtBackend final : public Backend {
 public:
  QtBackend();
  ~QtBackend() override;
  QtBackend(const QtBackend&) = delete;
  QtBackend& operator=(const QtBackend&) = delete;

  std::unique_ptr<WindowPeer> CreatePeer(Form& form, const FormDef& def) override;
  int ShowMessageBox(Hwnd owner, const std::u16string& prompt, int style,
                     const std::u16string& title) override;
  void ShowNotice(const std::u16string& prompt) override;
  void Beep() override;
  const Clock& GetClock() const override { return clock_; }
  QtOs& Os() override { return os_; }
  QtPrinter& CurrentPrinter() override { return printer_; }
  QtPrintDialog& PrintDialog() override { return printDialog_; }
  // The executable's folder when the user may write there (a portable copy, the build
  // folder); otherwise $XDG_DATA_HOME/pindle, made when missing.
  std::u16string AppPath() const override;
  // True when another copy holds the lock in the user's runtime directory.  A copy that
  // crashed leaves no stale lock: the lock names its process.
  bool PrevInstance() override;
  float TwipsPerPixelX() const override;
  void Quit() override;

  // Runs the event loop until Quit.
  void Run();
  bool QuitRequested() const { return quit_; }
  void SetLockPath(QString path) { lockPath_ = std::move(path); }
  // The session's end as the portal on bus tells it (on a Wayland session, the session bus's).
  void WatchSessionEnd(const QDBusConnection& bus);
  // The window of a handle, or nullptr.
  QtWindow* WindowOf(Hwnd hWnd) const;

 private:
  friend class QtWindow;
  Hwnd Register(QtWindow* window);
  void Unregister(QtWindow* window);

  QtClock clock_;
  QtOs os_;
  QtPrinter printer_;
  QtPrintDialog printDialog_{printer_};
  QString lockPath_;
  std::unique_ptr<QLockFile> lock_;
  std::optional<bool> prevInstance_;
  std::unique_ptr<SessionEnd> sessionEnd_;
  std::map<Hwnd, QtWindow*> windows_;
  bool quit_ = false;
  bool running_ = false;
};

}  // namespace pindle::platform::qt
