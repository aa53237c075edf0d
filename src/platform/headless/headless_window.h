// One window in memory: the state of the window and its controls, and the user's actions on
// it (typing, clicks, key presses, the close box) as a test drives them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/form.h"
#include "platform/window_model.h"
#include "platform/window_peer.h"

namespace pindle::platform::headless {

class HeadlessBackend;

struct ControlState {
  std::u16string text;
  int value = 0;
  int listIndex = -1;
  int selStart = 0, selEnd = 0;  // text boxes: the selection, or the caret where they meet
  bool timerEnabled = false;
  std::int64_t nextTickMs = 0;
};

class HeadlessWindow final : public WindowPeer {
 public:
  HeadlessWindow(HeadlessBackend& backend, Form& form, const FormDef& def, Hwnd handle);
  ~HeadlessWindow() override;
  HeadlessWindow(const HeadlessWindow&) = delete;
  HeadlessWindow& operator=(const HeadlessWindow&) = delete;

  Hwnd Handle() const override { return handle_; }
  void Show() override;
  void SetVisible(bool visible) override;
  bool IsVisible() const override { return visible_; }
  std::intptr_t IconHandle() const override;
  std::u16string GetText(int control) const override;
  void SetText(int control, std::u16string_view text) override;
  bool GetControlVisible(int control) const override;
  void SetControlVisible(int control, bool visible) override;
  int GetValue(int control) const override;
  void SetValue(int control, int value) override;
  int GetListIndex(int control) const override;
  void SetListIndex(int control, int index) override;
  void SetTimerEnabled(int control, bool enabled) override;
  std::optional<int> TrackPopupMenu(int menu, int flags) override;

  // ---- what a test reads ----
  Form& GetForm() const { return form_; }
  const FormDef& Def() const { return def_; }
  std::u16string Text(std::u16string_view control, int index = -1) const;
  bool ControlVisible(std::u16string_view control, int index = -1) const;
  int Value(std::u16string_view control) const;
  int ListIndex(std::u16string_view control) const;
  bool TimerEnabled(std::u16string_view control) const;
  // The name of the control with the keyboard focus; empty when the window itself has it.
  std::u16string FocusedControl() const;
  int ShowCount() const { return showCount_; }

  // ---- what a user does ----
  // Types into a text box (or the edit part of a combo box), replacing its text; the focus
  // moves there.  Typing never raises Click.
  void Type(std::u16string_view control, std::u16string_view text);
  // Characters typed at the focused text box or combo box, in place of its selection.  A line
  // end ("\r") starts a new line in a multi-line box.
  void TypeChars(std::u16string_view text);
  // A mouse click on a control: buttons and labels raise Click; a check box toggles and
  // raises Click; the focus moves to a control that takes it.
  void Click(std::u16string_view control, int index = -1);
  // A press and release of any mouse button over a control: the left button clicks (Click);
  // the others do nothing there.  A press on a control never reaches the window.
  void PressControl(std::u16string_view control, int button);
  // Chooses an entry from a combo box's list.
  void Choose(std::u16string_view control, int listIndex);
  // A mouse press on the window's bare surface, in pixels.
  void PressSurface(int button, int xPixels = 10, int yPixels = 10);
  // A key press: goes to the focused control, or to the window when it has the focus itself.
  // Tab and Shift+Tab move the focus in tab order; Enter or Space on a focused button presses
  // it, Space toggles a focused check box; Enter presses the default button and Esc the cancel
  // button where the window has one, except that Enter in a multi-line box starts a new line.
  void PressKey(int keyCode, int shift = 0);
  // Gives the keyboard focus to the window itself.
  void FocusWindow() { focus_ = -1; }
  // The close box in the title bar.
  void PressCloseBox();

  std::vector<ControlState>& Controls() { return controls_; }

 private:
  int Id(std::u16string_view control, int index = -1) const;
  void MoveFocus(bool backwards);
  void PressButton(bool isDefault);
  ControlState& At(int control);
  const ControlState& At(int control) const;

  HeadlessBackend& backend_;
  Form& form_;
  const FormDef& def_;
  WindowModel model_;
  Hwnd handle_;
  bool visible_ = false;
  bool shownOnce_ = false;
  int showCount_ = 0;
  int focus_ = -1;
  std::vector<ControlState> controls_;
};

}  // namespace pindle::platform::headless
