#include "platform/window_model.h"

#include <algorithm>

namespace pindle::platform {

WindowModel::WindowModel(Form& form, const FormDef& def) : form_(form), def_(def) {
  state_.reserve(def.controls.size());
  for (const ControlDef& c : def.controls) state_.push_back({c.text, c.visible});
}

const ControlDef& WindowModel::Control(int control) const {
  return def_.controls.at(static_cast<std::size_t>(control));
}

int WindowModel::ContainerOf(int control) const {
  const ControlDef& c = Control(control);
  return c.container.empty() ? -1 : def_.Find(c.container);
}

const std::u16string& WindowModel::Caption(int control) const {
  return state_.at(static_cast<std::size_t>(control)).caption;
}

bool WindowModel::SetCaption(int control, std::u16string_view caption) {
  std::u16string& current = state_.at(static_cast<std::size_t>(control)).caption;
  if (current == caption) return false;
  current = caption;
  return true;
}

bool WindowModel::Visible(int control) const {
  return state_.at(static_cast<std::size_t>(control)).visible;
}

void WindowModel::SetVisible(int control, bool visible) {
  state_.at(static_cast<std::size_t>(control)).visible = visible;
}

PixelRect WindowModel::Rect(int control, int dpi) const {
  const ControlDef& c = Control(control);
  const auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
  if (c.kind == ControlKind::Line) {  // x1, y1, x2, y2, either way round
    return {px(std::min(c.left, c.width)), px(std::min(c.top, c.height)),
            px(std::max(c.left, c.width)) + 1, px(std::max(c.top, c.height)) + 1};
  }
  return {px(c.left), px(c.top), px(c.left + c.width), px(c.top + c.height)};
}

int WindowModel::LabelAt(int container, int x, int y, int dpi) const {
  for (int i = Count(); i-- > 0;) {
    if (Control(i).kind == ControlKind::Label && Visible(i) && ContainerOf(i) == container &&
        Rect(i, dpi).Contains(x, y)) {
      return i;
    }
  }
  return -1;
}

bool WindowModel::PressLabel(int container, int x, int y, int dpi, int button) {
  const int label = LabelAt(container, x, y, dpi);
  if (label < 0) return false;
  if (button == kLeftButton) pressedLabel_ = label;
  return true;
}

bool WindowModel::ReleaseLabel(int container, int x, int y, int dpi) {
  if (pressedLabel_ < 0) return false;
  const int label = pressedLabel_;
  pressedLabel_ = -1;
  if (LabelAt(container, x, y, dpi) == label && form_.HasHandler(label, Event::Click)) {
    form_.RaiseClick(label);
  }
  return true;
}

int WindowModel::DialogButton(bool isDefault, const std::function<bool(int)>& usable) const {
  for (int i = 0; i < Count(); ++i) {
    const ControlDef& c = Control(i);
    if (c.kind != ControlKind::CommandButton || !(isDefault ? c.isDefault : c.isCancel)) continue;
    return Visible(i) && usable(i) ? i : -1;
  }
  return -1;
}

int WindowModel::FirstFocus(const std::function<bool(int)>& usable) const {
  for (const int id : def_.TabOrder()) {
    if (Visible(id) && usable(id)) return id;
  }
  return -1;
}

std::optional<Color> WindowModel::BackColorOf(int container) const {
  return container < 0 ? def_.backColor : Control(container).backColor;
}

std::optional<Color> WindowModel::LabelBackColor(int label) const {
  const ControlDef& c = Control(label);
  return c.backColor ? c.backColor : BackColorOf(ContainerOf(label));
}

std::vector<int> WindowModel::Painted(int container) const {
  std::vector<int> painted;
  for (int i = 0; i < Count(); ++i) {
    const ControlKind kind = Control(i).kind;
    if ((kind == ControlKind::Label || kind == ControlKind::Line) && Visible(i) &&
        ContainerOf(i) == container) {
      painted.push_back(i);
    }
  }
  return painted;
}

}  // namespace pindle::platform
