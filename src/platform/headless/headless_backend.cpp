#include "platform/headless/headless_backend.h"

#include <algorithm>
#include <limits>

#include "platform/runtime_error.h"

namespace pindle::platform::headless {

HeadlessBackend::HeadlessBackend() = default;
HeadlessBackend::~HeadlessBackend() = default;

std::unique_ptr<WindowPeer> HeadlessBackend::CreatePeer(Form& form, const FormDef& def) {
  ++windowsCreated_;
  return std::make_unique<HeadlessWindow>(*this, form, def, os_.Handles().NextWindow());
}

void HeadlessBackend::Register(HeadlessWindow* window) {
  windows_.push_back(window);
  os_.Chain().Add(window->Handle());
}

void HeadlessBackend::Unregister(HeadlessWindow* window) {
  os_.Chain().Remove(window->Handle());
  std::erase(windows_, window);
}

void HeadlessBackend::BringToFront(HeadlessWindow* window) {
  std::erase(windows_, window);
  windows_.insert(windows_.begin(), window);
}

int HeadlessBackend::ShowMessageBox(Hwnd owner, const std::u16string& prompt, int style,
                                    const std::u16string& title) {
  messageBoxes_.push_back({owner, prompt, style, title});
  int answer = kIdOk;
  if (!messageBoxScript_.empty()) {
    const auto fn = std::move(messageBoxScript_.front());
    messageBoxScript_.pop_front();
    answer = fn();
  }
  os_.PumpMessages();  // the box's modal loop
  return answer;
}

bool HeadlessBackend::EndSession() {
  Runtime& rt = Runtime::Current();
  if (rt.QueryEndSession()) return false;
  rt.EndSession();
  return true;
}

std::optional<int> HeadlessBackend::RunPopup(HeadlessWindow& window, int menu, int flags) {
  const auto& def = window.Def().menus.at(static_cast<std::size_t>(menu));
  popups_.push_back({window.Handle(), def.name, flags});
  std::optional<std::u16string> choice;
  if (!popupScript_.empty()) {
    choice = std::move(popupScript_.front());
    popupScript_.pop_front();
  }
  os_.PumpMessages();
  if (!choice) return std::nullopt;
  for (std::size_t i = 0; i < def.items.size(); ++i) {
    if (def.items[i].name == *choice && !def.items[i].IsSeparator()) return static_cast<int>(i);
  }
  return std::nullopt;  // a separator or an unknown item closes the menu
}

std::optional<PrintChoice> HeadlessBackend::ShowPrinter(Hwnd owner, std::int32_t flags) {
  printDialogs_.push_back({owner, flags});
  PrintAnswer answer{false, std::nullopt};  // no script: the user cancels
  if (!printScript_.empty()) {
    answer = printScript_.front();
    printScript_.pop_front();
  }
  os_.PumpMessages();
  if (answer.fail) {
    throw RuntimeError(err::kPrinterError, u"プリンタが見つかりません。");
  }
  return answer.choice;
}

void HeadlessBackend::Advance(std::int64_t milliseconds) {
  const std::int64_t target = clock_.Peek().ToMilliseconds() + milliseconds;
  for (;;) {
    HeadlessWindow* due = nullptr;
    int dueControl = -1;
    std::int64_t dueAt = std::numeric_limits<std::int64_t>::max();
    for (HeadlessWindow* w : windows_) {
      auto& states = w->Controls();
      for (std::size_t i = 0; i < states.size(); ++i) {
        if (states[i].timerEnabled && states[i].nextTickMs <= target &&
            states[i].nextTickMs < dueAt) {
          due = w, dueControl = static_cast<int>(i), dueAt = states[i].nextTickMs;
        }
      }
    }
    if (!due) break;
    clock_.Set(DateTime::FromMilliseconds(dueAt));
    auto& state = due->Controls()[static_cast<std::size_t>(dueControl)];
    state.nextTickMs =
        dueAt + std::max(1, due->Def().controls[static_cast<std::size_t>(dueControl)].interval);
    due->GetForm().RaiseTimer(dueControl);
    os_.PumpMessages();
  }
  clock_.Set(DateTime::FromMilliseconds(target));
}

bool HeadlessBackend::PressHotkey(unsigned modifiers, unsigned vk) {
  const bool delivered = os_.PressHotkey(modifiers, vk);
  os_.PumpMessages();
  return delivered;
}

bool HeadlessBackend::TrayMouse(std::uint32_t mouseMessage) {
  const bool delivered = os_.TrayMouse(mouseMessage);
  os_.PumpMessages();
  return delivered;
}

HeadlessWindow* HeadlessBackend::WindowOf(const std::u16string& formName) const {
  for (HeadlessWindow* w : windows_) {
    if (w->Def().name == formName) return w;
  }
  return nullptr;
}

std::vector<std::u16string> HeadlessBackend::ZOrder() const {
  std::vector<std::u16string> names;
  for (HeadlessWindow* w : windows_) {
    if (w->IsVisible()) names.push_back(w->Def().name);
  }
  return names;
}

}  // namespace pindle::platform::headless
