// The rules of one loaded window that every backend keeps alike: the state its controls start
// with, a control's rectangle at a DPI, which label lies under a point, a label's press and
// release becoming its click, the default and cancel button, the first focus, the colours and
// the painting order of the labels and lines drawn on a surface.  A backend converts and draws;
// what it decides, it decides here.
#pragma once

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/form.h"
#include "platform/form_definition.h"

namespace pindle::platform {

// A rectangle in pixels, right and bottom outside it.
struct PixelRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const PixelRect&) const = default;
};

// Twips to pixels at a DPI, to the nearest pixel.
constexpr int TwipsToPixels(int twips, int dpi) {
  const long long scaled = static_cast<long long>(twips) * dpi;
  return static_cast<int>((scaled >= 0 ? scaled + 720 : scaled - 720) / 1440);
}

// Mouse positions in twips use whole twips per pixel (15 at 96 DPI, 12 at 120, 10 at 144, 7 at
// 192), so that a pixel count turned into twips and back comes out exact.
constexpr int TwipsPerPixel(int dpi) {
  return std::max(1, 1440 / std::max(dpi, 1));
}

class WindowModel {
 public:
  WindowModel(Form& form, const FormDef& def);

  const FormDef& Def() const { return def_; }
  int Count() const { return static_cast<int>(def_.controls.size()); }
  const ControlDef& Control(int control) const;
  // The control a control lies on (a picture box or frame), or -1 for the window.
  int ContainerOf(int control) const;

  // What the program set: a label's caption (a windowed control keeps its own text), and
  // whether each control is shown.  SetCaption is false when the caption was already that.
  const std::u16string& Caption(int control) const;
  bool SetCaption(int control, std::u16string_view caption);
  bool Visible(int control) const;
  void SetVisible(int control, bool visible);

  // The control's rectangle on its container at dpi; a line's covers both its ends.
  PixelRect Rect(int control, int dpi) const;
  // The visible label under a point of a surface (pixels at dpi), the frontmost; -1 for none.
  int LabelAt(int container, int x, int y, int dpi) const;
  // A press of a mouse button (1 left, 2 right, 4 middle) on a surface: true when a label has
  // it, which the window then never sees; a left press is remembered for its release.
  bool PressLabel(int container, int x, int y, int dpi, int button);
  // The left button's release: true when a label had the press.  The label is clicked when the
  // release is over the label it went down on and the program handles its click (which may
  // unload the window: nothing of it may be used afterwards).
  bool ReleaseLabel(int container, int x, int y, int dpi);
  bool LabelPressed() const { return pressedLabel_ >= 0; }

  // The window's default (Enter) or cancel (Esc) button: the first command button marked so,
  // when it is shown and usable(it) holds; -1 otherwise (a hidden one is not stood in for).
  int DialogButton(bool isDefault, const std::function<bool(int)>& usable) const;
  // The control the focus goes to at the first show: the first in tab order that is shown and
  // for which usable holds; -1 for the window itself.
  int FirstFocus(const std::function<bool(int)>& usable) const;

  // Colours; nothing where the platform's own colour is meant.  A container's back colour is
  // its surface's (-1: the window's); a label's is its own or its surface's.
  std::optional<Color> BackColorOf(int container) const;
  std::optional<Color> LabelBackColor(int label) const;
  // The labels and lines drawn on a surface, back to front, the hidden ones left out.
  std::vector<int> Painted(int container) const;

 private:
  struct State {
    std::u16string caption;
    bool visible = true;
  };

  Form& form_;
  const FormDef& def_;
  std::vector<State> state_;
  int pressedLabel_ = -1;
};

}  // namespace pindle::platform
