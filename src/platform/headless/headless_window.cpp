#include "platform/headless/headless_window.h"

#include <algorithm>
#include <stdexcept>

#include "platform/headless/headless_backend.h"
#include "platform/stand_in_handles.h"
#include "platform/text.h"

namespace pindle::platform::headless {

namespace {
constexpr int kVkTab = 9;
constexpr int kVkReturn = 13;
constexpr int kVkEscape = 27;
constexpr int kVkSpace = 32;
}  // namespace

HeadlessWindow::HeadlessWindow(HeadlessBackend& backend, Form& form, const FormDef& def,
                               Hwnd handle)
    : backend_(backend), form_(form), def_(def), model_(form, def), handle_(handle) {
  controls_.reserve(def.controls.size());
  for (const auto& c : def.controls) controls_.push_back({.text = c.text});
  backend_.Register(this);
}

HeadlessWindow::~HeadlessWindow() {
  backend_.Unregister(this);
}

int HeadlessWindow::Id(std::u16string_view control, int index) const {
  const int id = def_.Find(control, index);
  if (id < 0) throw std::logic_error("no control " + Utf16ToUtf8(control));
  return id;
}

ControlState& HeadlessWindow::At(int control) {
  return controls_.at(static_cast<std::size_t>(control));
}
const ControlState& HeadlessWindow::At(int control) const {
  return controls_.at(static_cast<std::size_t>(control));
}

void HeadlessWindow::Show() {
  visible_ = true;
  ++showCount_;
  if (!shownOnce_) {
    shownOnce_ = true;
    focus_ = model_.FirstFocus([](int) { return true; });
  }
  backend_.BringToFront(this);
}

void HeadlessWindow::SetVisible(bool visible) {
  visible_ = visible;
  if (visible) backend_.BringToFront(this);
}

std::intptr_t HeadlessWindow::IconHandle() const {
  return StandInHandles::IconOf(def_.icon);
}

std::u16string HeadlessWindow::GetText(int control) const {
  return At(control).text;
}
void HeadlessWindow::SetText(int control, std::u16string_view text) {
  auto& s = At(control);
  s.text = text;
  s.selStart = s.selEnd = 0;
  // A text put in a combo box's edit part chooses no entry.
  if (model_.Control(control).kind == ControlKind::ComboBox) s.listIndex = -1;
}
bool HeadlessWindow::GetControlVisible(int control) const {
  return model_.Visible(control);
}

void HeadlessWindow::SetControlVisible(int control, bool visible) {
  model_.SetVisible(control, visible);
  if (!visible && focus_ == control) focus_ = -1;
}

int HeadlessWindow::GetValue(int control) const {
  return At(control).value;
}
void HeadlessWindow::SetValue(int control, int value) {
  At(control).value = value;
}
int HeadlessWindow::GetListIndex(int control) const {
  return At(control).listIndex;
}

void HeadlessWindow::SetListIndex(int control, int index) {
  auto& s = At(control);
  s.listIndex = index;
  const auto& list = model_.Control(control).list;
  if (index >= 0 && index < static_cast<int>(list.size()))
    s.text = list[static_cast<std::size_t>(index)];
}

void HeadlessWindow::SetTimerEnabled(int control, bool enabled) {
  auto& s = At(control);
  if (enabled && !s.timerEnabled) {
    s.nextTickMs = backend_.TestClock().Peek().ToMilliseconds() + model_.Control(control).interval;
  }
  s.timerEnabled = enabled;
}

std::optional<int> HeadlessWindow::TrackPopupMenu(int menu, int flags) {
  return backend_.RunPopup(*this, menu, flags);
}

std::u16string HeadlessWindow::Text(std::u16string_view control, int index) const {
  return At(Id(control, index)).text;
}
bool HeadlessWindow::ControlVisible(std::u16string_view control, int index) const {
  return model_.Visible(Id(control, index));
}
int HeadlessWindow::Value(std::u16string_view control) const {
  return At(Id(control)).value;
}
int HeadlessWindow::ListIndex(std::u16string_view control) const {
  return At(Id(control)).listIndex;
}
bool HeadlessWindow::TimerEnabled(std::u16string_view control) const {
  return At(Id(control)).timerEnabled;
}

std::u16string HeadlessWindow::FocusedControl() const {
  return focus_ < 0 ? std::u16string() : model_.Control(focus_).name;
}

void HeadlessWindow::Type(std::u16string_view control, std::u16string_view text) {
  const int id = Id(control);
  const auto kind = model_.Control(id).kind;
  if (kind != ControlKind::TextBox && kind != ControlKind::ComboBox) {
    throw std::logic_error("cannot type into " + Utf16ToUtf8(control));
  }
  if (!model_.Visible(id)) throw std::logic_error("typing into a hidden control");
  focus_ = id;
  At(id).text = text;
  At(id).selStart = At(id).selEnd = static_cast<int>(text.size());  // the caret after it
  // Typing into a combo box's edit part chooses no entry.
  if (kind == ControlKind::ComboBox) At(id).listIndex = -1;
}

void HeadlessWindow::TypeChars(std::u16string_view text) {
  if (focus_ < 0) return;
  const auto& def = model_.Control(focus_);
  if (def.kind != ControlKind::TextBox && def.kind != ControlKind::ComboBox) return;
  auto& s = At(focus_);
  std::u16string typed;
  for (const char16_t c : text) {
    if (c != u'\r') {
      typed += c;
    } else if (def.multiLine) {
      typed += u"\r\n";
    }
  }
  const auto start = static_cast<std::size_t>(std::min(s.selStart, s.selEnd));
  const auto end = static_cast<std::size_t>(std::max(s.selStart, s.selEnd));
  s.text.replace(start, end - start, typed);
  s.selStart = s.selEnd = static_cast<int>(start + typed.size());
  if (def.kind == ControlKind::ComboBox) s.listIndex = -1;
}

void HeadlessWindow::PressControl(std::u16string_view control, int button) {
  if (button == kLeftButton) Click(control);
}

void HeadlessWindow::Click(std::u16string_view control, int index) {
  const int id = Id(control, index);
  const auto& def = model_.Control(id);
  if (!model_.Visible(id)) throw std::logic_error("clicking a hidden control");
  if (def.TakesFocus()) focus_ = id;
  if (def.kind == ControlKind::CheckBox) At(id).value = At(id).value == 1 ? 0 : 1;
  form_.RaiseClick(id);
}

void HeadlessWindow::Choose(std::u16string_view control, int listIndex) {
  const int id = Id(control);
  focus_ = id;
  SetListIndex(id, listIndex);
  form_.RaiseClick(id);
}

void HeadlessWindow::PressSurface(int button, int xPixels, int yPixels) {
  const std::uint32_t message = button == kLeftButton    ? msg::kLButtonDown
                                : button == kRightButton ? msg::kRButtonDown
                                                         : msg::kMButtonDown;
  backend_.Os().SendMessage(handle_, message, 0, MousePosition(xPixels, yPixels));
}

void HeadlessWindow::MoveFocus(bool backwards) {
  std::vector<int> order;
  for (const int id : def_.TabOrder()) {
    if (model_.Visible(id)) order.push_back(id);
  }
  if (order.empty()) return;
  const auto at = std::find(order.begin(), order.end(), focus_);
  std::size_t next = 0;
  if (at == order.end()) {
    next = backwards ? order.size() - 1 : 0;
  } else {
    const auto i = static_cast<std::size_t>(at - order.begin());
    next = backwards ? (i + order.size() - 1) % order.size() : (i + 1) % order.size();
  }
  focus_ = order[next];
}

void HeadlessWindow::PressButton(bool isDefault) {
  if (const int button = model_.DialogButton(isDefault, [](int) { return true; }); button >= 0) {
    form_.RaiseClick(button);
  }
}

void HeadlessWindow::PressKey(int keyCode, int shift) {
  if (keyCode == kVkTab) {
    MoveFocus((shift & 1) != 0);
    return;
  }
  if (focus_ < 0) {
    form_.RaiseKeyDown(keyCode, shift);
    return;
  }
  const auto& def = model_.Control(focus_);
  if (def.kind == ControlKind::CommandButton && (keyCode == kVkReturn || keyCode == kVkSpace)) {
    form_.RaiseClick(focus_);
  } else if (def.kind == ControlKind::CheckBox && keyCode == kVkSpace) {
    At(focus_).value = At(focus_).value == 1 ? 0 : 1;
    form_.RaiseClick(focus_);
  } else if (keyCode == kVkReturn && def.kind == ControlKind::TextBox && def.multiLine) {
    TypeChars(u"\r");
  } else if (keyCode == kVkReturn) {
    PressButton(true);
  } else if (keyCode == kVkEscape) {
    PressButton(false);
  }
  // Any other key is the focused control's own.
}

void HeadlessWindow::PressCloseBox() {
  if (!def_.controlBox) throw std::logic_error("the window has no close box");
  form_.RaiseClose();
}

}  // namespace pindle::platform::headless
