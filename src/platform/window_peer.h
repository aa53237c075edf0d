// The backend's side of one loaded window.  A Form owns exactly one peer from its load to its
// unload; the peer holds the state of the window and its controls (what the user typed, what
// is shown), so the program reads and writes controls through it.  Controls are addressed by
// their position in the window's FormDef.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/os_api.h"

namespace pindle::platform {

class WindowPeer {
 public:
  virtual ~WindowPeer() = default;

  virtual Hwnd Handle() const = 0;
  // Makes the window visible and brings it to the front.  The first time, the focus goes to
  // the first visible control in tab order.
  virtual void Show() = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool IsVisible() const = 0;
  // The handle of the window's icon (0 when it has none).
  virtual std::intptr_t IconHandle() const = 0;

  // Text of a text box or combo box, caption of anything else.
  virtual std::u16string GetText(int control) const = 0;
  virtual void SetText(int control, std::u16string_view text) = 0;
  virtual bool GetControlVisible(int control) const = 0;
  virtual void SetControlVisible(int control, bool visible) = 0;
  virtual int GetValue(int control) const = 0;  // check box: 0 cleared, 1 ticked
  virtual void SetValue(int control, int value) = 0;
  virtual int GetListIndex(int control) const = 0;  // combo box: -1 when no entry is chosen
  virtual void SetListIndex(int control, int index) = 0;
  // Starts or stops a timer control at the interval of its definition.
  virtual void SetTimerEnabled(int control, bool enabled) = 0;

  // Opens the menu at the mouse pointer and waits until it is closed.  Returns the index of
  // the chosen item, or nothing.  flags 2: either mouse button picks an item.
  virtual std::optional<int> TrackPopupMenu(int menu, int flags) = 0;
};

}  // namespace pindle::platform
