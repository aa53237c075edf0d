// Form: one window of the program, built from its FormDef.  The program derives one class per
// window, declares its controls as Control members and registers its control handlers with On
// in its constructor; the runtime creates the one default instance on first reference.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "platform/form_definition.h"
#include "platform/os_api.h"
#include "platform/window_peer.h"

namespace pindle::platform {

class Runtime;
class Form;

enum class Event { Click, Timer };

// Why a window is being unloaded (Form_QueryUnload's UnloadMode).
inline constexpr int kUnloadFromControlMenu = 0;  // close box, Alt+F4
inline constexpr int kUnloadFromCode = 1;
inline constexpr int kUnloadAppWindows = 2;  // the desktop's session ends

// Mouse buttons and shift state of Form_MouseDown.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

// A control of a loaded window, by name (and array index).  A light handle: the state lives in
// the window.
class Control {
 public:
  Control(Form& form, std::u16string_view name, int arrayIndex = -1);

  std::u16string Text() const;
  void SetText(std::u16string_view text);
  void SetCaption(std::u16string_view caption) { SetText(caption); }
  bool Visible() const;
  void SetVisible(bool visible);
  int Value() const;
  // A check box raises its Click when its value changes.
  void SetValue(int value);
  int ListIndex() const;
  void SetListIndex(int index);
  int ListCount() const;
  std::u16string List(int index) const;
  // A timer ticks while enabled.
  void SetEnabled(bool enabled);

  int Id() const { return id_; }
  const ControlDef& Def() const;

 private:
  Form& form_;
  int id_;
};

class Form {
 public:
  Form(Runtime& runtime, const FormDef& def);
  virtual ~Form();
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Event handlers of the window itself.
  virtual void Form_Load() {}
  virtual void Form_QueryUnload(int& /*Cancel*/, int /*UnloadMode*/) {}
  virtual void Form_Unload(int& /*Cancel*/) {}
  virtual void Form_MouseDown(int /*Button*/, int /*Shift*/, float /*X*/, float /*Y*/) {}
  virtual void Form_KeyDown(int& /*KeyCode*/, int /*Shift*/) {}
  // The desktop asks whether its session may end (sign-out, shut-down, an update's restart).
  // A window holding work the user would lose sets Cancel and says what in Reason.
  virtual void Form_QueryEndSession(int& /*Cancel*/, std::u16string& /*Reason*/) {}

  // Shows the window modeless, or only brings it forward when it is shown.
  void Show();
  // Form_QueryUnload, Form_Unload, then the window is destroyed.
  void Unload();
  bool Visible() const;
  void SetVisible(bool visible);
  Hwnd hWnd() const;
  std::intptr_t Icon() const;
  // Opens a menu of this window as a pop-up menu at the mouse pointer; the chosen item's
  // Click runs before this returns.
  void PopupMenu(std::u16string_view menuName, int flags);

  Runtime& App() const { return runtime_; }
  const FormDef& Definition() const { return def_; }
  bool IsLoaded() const { return peer_ != nullptr; }
  WindowPeer& Peer() const;

  // Events from the backend.  Each runs as one event of the runtime: an error it raises is
  // reported and the program runs on.
  void RaiseClick(int control);
  void RaiseMenuClick(int menu, int item);
  void RaiseTimer(int control);
  void RaiseMouseDown(int button, int shift, float x, float y);
  void RaiseKeyDown(int keyCode, int shift);
  // The close box, Alt+F4 or the system menu's close command.
  void RaiseClose();
  // The runtime's handling of a window message that reaches the end of the window's procedure
  // chain: mouse presses on the window's surface (513 left, 516 right, 519 middle, lParam
  // holding the pixel position) raise Form_MouseDown in twips.  True when it was handled.
  bool DispatchMouseMessage(std::uint32_t uMsg, WParam wParam, LParam lParam);

  // Whether the program handles this event of this control (a label reacts to clicks only
  // when it has a Click handler).
  bool HasHandler(int control, Event event) const;

 protected:
  void On(std::u16string_view name, Event event, std::function<void()> handler);

 private:
  friend class Runtime;
  friend class Control;
  void Invoke(const std::u16string& name, Event event);

  Runtime& runtime_;
  const FormDef& def_;
  std::unique_ptr<WindowPeer> peer_;
  std::map<std::pair<std::u16string, Event>, std::function<void()>> handlers_;
  bool unloading_ = false;
};

}  // namespace pindle::platform
