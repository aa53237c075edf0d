#include "platform/form.h"

#include <algorithm>
#include <stdexcept>

#include "platform/runtime.h"
#include "platform/text.h"

namespace pindle::platform {

// ---- Control ----

Control::Control(Form& form, std::u16string_view name, int arrayIndex)
    : form_(form), id_(form.Definition().Find(name, arrayIndex)) {
  if (id_ < 0) {
    throw std::logic_error("no control " + Utf16ToUtf8(name) + " in window " +
                           Utf16ToUtf8(form.Definition().name));
  }
}

const ControlDef& Control::Def() const {
  return form_.Definition().controls[static_cast<std::size_t>(id_)];
}

std::u16string Control::Text() const {
  return form_.Peer().GetText(id_);
}
void Control::SetText(std::u16string_view text) {
  // A control cannot hold a NUL: it would end the text there.  The replacement mark shows
  // where one stands, and everything after it stays.
  if (text.find(u'\0') == std::u16string_view::npos) {
    form_.Peer().SetText(id_, text);
    return;
  }
  std::u16string shown(text);
  std::replace(shown.begin(), shown.end(), u'\0', kReplacementMark);
  form_.Peer().SetText(id_, shown);
}
bool Control::Visible() const {
  return form_.Peer().GetControlVisible(id_);
}
void Control::SetVisible(bool visible) {
  form_.Peer().SetControlVisible(id_, visible);
}
int Control::Value() const {
  return form_.Peer().GetValue(id_);
}

void Control::SetValue(int value) {
  if (form_.Peer().GetValue(id_) == value) return;
  form_.Peer().SetValue(id_, value);
  if (Def().kind == ControlKind::CheckBox) form_.Invoke(Def().name, Event::Click);
}

int Control::ListIndex() const {
  return form_.Peer().GetListIndex(id_);
}

void Control::SetListIndex(int index) {
  if (index < -1 || index >= ListCount()) {
    throw RuntimeError(err::kInvalidPropertyValue, u"プロパティの値が不正です。");
  }
  form_.Peer().SetListIndex(id_, index);
}

int Control::ListCount() const {
  return static_cast<int>(Def().list.size());
}

std::u16string Control::List(int index) const {
  if (index < 0 || index >= ListCount()) return {};
  return Def().list[static_cast<std::size_t>(index)];
}

void Control::SetEnabled(bool enabled) {
  form_.Peer().SetTimerEnabled(id_, enabled);
}

// ---- Form ----

Form::Form(Runtime& runtime, const FormDef& def) : runtime_(runtime), def_(def) {}

Form::~Form() = default;

WindowPeer& Form::Peer() const {
  if (!peer_) {
    throw RuntimeError(err::kInternal, u"ウィンドウ " + def_.name + u" は読み込まれていません。");
  }
  return *peer_;
}

void Form::Show() {
  Peer().Show();
}
void Form::Unload() {
  runtime_.UnloadForm(*this, kUnloadFromCode);
}
bool Form::Visible() const {
  return Peer().IsVisible();
}
void Form::SetVisible(bool visible) {
  Peer().SetVisible(visible);
}
Hwnd Form::hWnd() const {
  return Peer().Handle();
}
std::intptr_t Form::Icon() const {
  return Peer().IconHandle();
}

void Form::PopupMenu(std::u16string_view menuName, int flags) {
  for (std::size_t m = 0; m < def_.menus.size(); ++m) {
    if (def_.menus[m].name != menuName) continue;
    if (const auto chosen = Peer().TrackPopupMenu(static_cast<int>(m), flags)) {
      RaiseMenuClick(static_cast<int>(m), *chosen);
    }
    return;
  }
  throw RuntimeError(err::kInvalidArgument,
                     u"メニュー " + std::u16string(menuName) + u" がありません。");
}

void Form::On(std::u16string_view name, Event event, std::function<void()> handler) {
  handlers_[{std::u16string(name), event}] = std::move(handler);
}

bool Form::HasHandler(int control, Event event) const {
  const auto& name = def_.controls.at(static_cast<std::size_t>(control)).name;
  return handlers_.contains({name, event});
}

void Form::Invoke(const std::u16string& name, Event event) {
  if (const auto it = handlers_.find({name, event}); it != handlers_.end()) {
    const auto handler = it->second;  // the handler may unload this window
    handler();
  }
}

void Form::RaiseClick(int control) {
  runtime_.RunEvent([this, control] {
    if (!IsLoaded()) return;
    Invoke(def_.controls.at(static_cast<std::size_t>(control)).name, Event::Click);
  });
}

void Form::RaiseMenuClick(int menu, int item) {
  runtime_.RunEvent([this, menu, item] {
    if (!IsLoaded()) return;
    const auto& items = def_.menus.at(static_cast<std::size_t>(menu)).items;
    Invoke(items.at(static_cast<std::size_t>(item)).name, Event::Click);
  });
}

void Form::RaiseTimer(int control) {
  runtime_.RunEvent([this, control] {
    if (!IsLoaded()) return;
    Invoke(def_.controls.at(static_cast<std::size_t>(control)).name, Event::Timer);
  });
}

void Form::RaiseMouseDown(int button, int shift, float x, float y) {
  runtime_.RunEvent([=, this] {
    if (IsLoaded()) Form_MouseDown(button, shift, x, y);
  });
}

void Form::RaiseKeyDown(int keyCode, int shift) {
  runtime_.RunEvent([=, this] {
    int key = keyCode;
    if (IsLoaded()) Form_KeyDown(key, shift);
  });
}

void Form::RaiseClose() {
  runtime_.RunEvent([this] {
    if (IsLoaded()) runtime_.UnloadForm(*this, kUnloadFromControlMenu);
  });
}

bool Form::DispatchMouseMessage(std::uint32_t uMsg, WParam wParam, LParam lParam) {
  int button = 0;
  switch (uMsg) {
    case msg::kLButtonDown:
      button = kLeftButton;
      break;
    case msg::kRButtonDown:
      button = kRightButton;
      break;
    case msg::kMButtonDown:
      button = kMiddleButton;
      break;
    default:
      return false;
  }
  const float tpp = runtime_.TwipsPerPixelX();
  RaiseMouseDown(button, ShiftOf(wParam), static_cast<float>(MouseX(lParam)) * tpp,
                 static_cast<float>(MouseY(lParam)) * tpp);
  return true;
}

}  // namespace pindle::platform
