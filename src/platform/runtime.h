// The forms runtime as the program sees it: default instances of windows, the event boundary
// that reports untrapped errors, App, Screen, the clock, message boxes and the services of the
// backend.  One Runtime exists per run of the program; Runtime::Current() reaches it from
// procedures that Windows calls directly (a window procedure).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <typeindex>
#include <utility>
#include <vector>

#include "platform/backend.h"
#include "platform/form.h"
#include "platform/hotkey_notice.h"
#include "platform/runtime_error.h"

namespace pindle::platform {

inline const std::u16string kAppTitle = u"Pindle";

class Runtime {
 public:
  explicit Runtime(Backend& backend);
  ~Runtime();
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

  static Runtime& Current();

  // The default instance of F: the first reference creates the window and runs Form_Load.
  // A Form_Load that fails leaves the window unloaded and passes the error on.
  template <class F>
  F& Instance() {
    if (Form* f = Find(typeid(F))) return static_cast<F&>(*f);
    auto form = std::make_unique<F>(*this);
    F& ref = *form;
    Load(typeid(F), std::move(form));
    return ref;
  }
  template <class F>
  F* IfLoaded() {
    return static_cast<F*>(Find(typeid(F)));
  }
  template <class F>
  void Show() {
    Instance<F>().Show();
  }
  // Unloads F's default instance; nothing happens when it is not loaded.
  template <class F>
  void Unload() {
    if (F* f = IfLoaded<F>()) UnloadForm(*f, kUnloadFromCode);
  }
  void UnloadForm(Form& form, int unloadMode);
  bool AnyLoaded() const { return !forms_.empty(); }
  std::vector<Form*> LoadedForms() const;
  Form* FormByHandle(Hwnd hWnd) const;

  // Loads the start-up window as the first event of the run.
  template <class F>
  void Start() {
    RunEvent([this] { Instance<F>(); });
  }
  // Stops the program at once: every window goes without its unload events.
  [[noreturn]] void End();
  bool Ended() const { return ended_; }

  // The desktop asks whether its session may end: every loaded window is asked
  // (Form_QueryEndSession) until one refuses; that one comes to the front and is returned with
  // its reason.  Nothing: the session may end.  Nothing is saved or unloaded here.
  struct SessionHold {
    Hwnd window = 0;
    std::u16string reason;
  };
  std::optional<SessionHold> QueryEndSession();
  // The session ends: every window is unloaded with its unload events (the tray icon and the
  // hotkeys are given back) and the message loop stops.
  void EndSession();

  // A message box that waits for nobody: the program runs on while it is open.
  void Notice(const std::u16string& prompt) { backend_.ShowNotice(prompt); }
  // A global hotkey the program asked for and did not get.
  // desktopNote: the desktop's word on it (where the user can choose keys); empty when another
  // program holds the combination.  The refusals of one event are told together in one notice
  // when it ends (outside an event, at once), and no combination is told twice in a run.
  void HotkeyRefused(unsigned modifiers, unsigned vk, std::u16string desktopNote = {});

  // One event: fn runs; a RuntimeError (or any other failure) it does not trap is reported with
  // the runtime's error report and the program runs on.
  void RunEvent(const std::function<void()>& fn);

  // App and Screen.
  std::u16string AppPath() const { return appPath_.empty() ? backend_.AppPath() : appPath_; }
  bool PrevInstance() const { return backend_.PrevInstance(); }
  float TwipsPerPixelX() const { return backend_.TwipsPerPixelX(); }

  // A modal message box; without a title it shows the application title.
  int MsgBox(const std::u16string& prompt, int style = kMbOk, const std::u16string& title = {});
  void Beep() { backend_.Beep(); }
  DateTime Now() const { return (clock_ ? *clock_ : backend_.GetClock()).Now(); }
  std::u16string DateTimeText(const DateTime& t) const {
    return backend_.GetClock().DateTimeText(t);
  }
  // Test seams of every backend: the clock Now reads (nullptr: the backend's), and the
  // directory App.Path reports (empty: the executable's).  The system's date and time formats
  // stay the backend's.
  void UseClock(const Clock* clock) { clock_ = clock; }
  void UseAppPath(std::u16string path) { appPath_ = std::move(path); }
  OsApi& Os() { return backend_.Os(); }
  Printer& CurrentPrinter() { return backend_.CurrentPrinter(); }
  Backend& GetBackend() { return backend_; }

  // A module's program-wide values: created zeroed on first use, kept for the run.
  template <class M>
  M& Module() {
    auto& slot = modules_[typeid(M)];
    if (!slot) slot = std::make_shared<M>();
    return *static_cast<M*>(slot.get());
  }

 private:
  Form* Find(std::type_index key) const;
  bool Contains(const Form* form) const;
  void Load(std::type_index key, std::unique_ptr<Form> form);
  void Discard(Form& form);
  void ReportError(int number, const std::u16string& description);
  void QuitWhenIdle();
  void TearDown();
  void TellRefusedHotkeys();

  Backend& backend_;
  std::map<std::type_index, std::unique_ptr<Form>> forms_;
  std::vector<std::unique_ptr<Form>> retired_;  // unloaded during an event; freed after it
  std::map<std::type_index, std::shared_ptr<void>> modules_;
  const Clock* clock_ = nullptr;
  std::u16string appPath_;
  std::vector<RefusedHotkey> refusedHotkeys_;  // to be told when the event ends
  std::vector<RefusedHotkey> toldHotkeys_;
  int eventDepth_ = 0;
  bool quitPending_ = false;
  bool endQuit_ = false;
  bool ended_ = false;
};

// The runtime's own window procedure, for backends whose windows have none of their own: it
// ends every window's procedure chain and hands mouse presses to the window's form.
LResult PINDLE_CALLBACK RuntimeWindowProc(Hwnd hWnd, std::uint32_t uMsg, WParam wParam,
                                          LParam lParam);

}  // namespace pindle::platform
