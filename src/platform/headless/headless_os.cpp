#include "platform/headless/headless_os.h"

#include <algorithm>

#include "platform/runtime.h"
#include "platform/runtime_error.h"

namespace pindle::platform::headless {

int HeadlessOs::Shell_NotifyIconA(std::uint32_t dwMessage, std::span<const std::uint8_t> record) {
  calls_.push_back({"Shell_NotifyIconA", {dwMessage}, {}, {record.begin(), record.end()}});
  const std::optional<NotifyIconData> icon = NotifyIconData::FromBytes(record);
  if (!icon) return 0;
  switch (dwMessage) {
    case kNimAdd:
      if (tray_ || taskbarMissing) return 0;
      tray_ = icon;
      return 1;
    case kNimDelete:
      if (!tray_ || tray_->hWnd != icon->hWnd || tray_->uID != icon->uID) return 0;
      tray_.reset();
      return 1;
    default:
      return 0;
  }
}

std::intptr_t HeadlessOs::ShellExecuteA(Hwnd hWnd, const std::u16string& verb,
                                        const std::u16string& file,
                                        const std::optional<std::u16string>& parameters,
                                        const std::optional<std::u16string>& directory,
                                        int showCmd) {
  calls_.push_back({"ShellExecuteA", {static_cast<long long>(hWnd), showCmd}, file, {}});
  if (shellFailure) {
    throw RuntimeError(*shellFailure, u"DLL のエントリ ポイント ShellExecuteA が見つかりません。");
  }
  shellRequests_.push_back({hWnd, verb, file, parameters, directory, showCmd});
  return shellResult;
}

std::uint16_t HeadlessOs::GlobalAddAtomA(const std::u16string& text) {
  calls_.push_back({"GlobalAddAtomA", {}, text, {}});
  if (atomTableFull) return 0;
  return atoms_.Add(text);
}

std::uint16_t HeadlessOs::GlobalDeleteAtom(std::uint16_t atom) {
  calls_.push_back({"GlobalDeleteAtom", {atom}, {}, {}});
  return atoms_.Delete(atom);
}

std::uint32_t HeadlessOs::RegisterWindowMessageA(const std::u16string& name) {
  calls_.push_back({"RegisterWindowMessageA", {}, name, {}});
  return handles_.RegisteredMessage(name);
}

void HeadlessOs::RestartTaskbar() {
  tray_.reset();
  taskbarMissing = false;
  const std::uint32_t message = RegisterWindowMessageA(u"TaskbarCreated");
  calls_.pop_back();  // the shell's own registration is not the program's call
  for (const Hwnd hWnd : chain_.Windows()) PostMessage(hWnd, message, 0, 0);
}

int HeadlessOs::RegisterHotKey(Hwnd hWnd, int id, unsigned modifiers, unsigned vk) {
  calls_.push_back({"RegisterHotKey", {static_cast<long long>(hWnd), id, modifiers, vk}, {}, {}});
  const bool taken = std::any_of(hotkeys_.begin(), hotkeys_.end(), [&](const auto& h) {
    return (h.modifiers == modifiers && h.vk == vk) || (h.hWnd == hWnd && h.id == id);
  });
  if (!chain_.Contains(hWnd)) return 0;
  if (taken) {
    Runtime::Current().HotkeyRefused(modifiers, vk);
    return 0;
  }
  hotkeys_.push_back({hWnd, id, modifiers, vk});
  return 1;
}

int HeadlessOs::UnregisterHotKey(Hwnd hWnd, int id) {
  calls_.push_back({"UnregisterHotKey", {static_cast<long long>(hWnd), id}, {}, {}});
  const auto it = std::find_if(hotkeys_.begin(), hotkeys_.end(),
                               [&](const auto& h) { return h.hWnd == hWnd && h.id == id; });
  if (it == hotkeys_.end()) return 0;
  hotkeys_.erase(it);
  return 1;
}

std::intptr_t HeadlessOs::SetWindowLongA(Hwnd hWnd, int index, std::intptr_t newLong) {
  calls_.push_back({"SetWindowLongA", {static_cast<long long>(hWnd), index}, {}, {}});
  return chain_.SetWindowLongA(hWnd, index, newLong);
}

LResult HeadlessOs::CallWindowProcA(std::intptr_t prevProc, Hwnd hWnd, std::uint32_t uMsg,
                                    WParam wParam, LParam lParam) {
  return ProcedureChain::Call(prevProc, hWnd, uMsg, wParam, lParam);
}

void HeadlessOs::PostMessage(Hwnd hWnd, std::uint32_t uMsg, WParam wParam, LParam lParam) {
  queue_.push_back({hWnd, uMsg, wParam, lParam});
}

LResult HeadlessOs::SendMessage(Hwnd hWnd, std::uint32_t uMsg, WParam wParam, LParam lParam) {
  return chain_.Send(hWnd, uMsg, wParam, lParam);
}

void HeadlessOs::PumpMessages() {
  while (!queue_.empty()) {
    const Message m = queue_.front();
    queue_.pop_front();
    chain_.Send(m.hWnd, m.uMsg, m.wParam, m.lParam);
  }
}

bool HeadlessOs::PressHotkey(unsigned modifiers, unsigned vk) {
  for (const auto& h : hotkeys_) {
    if (h.modifiers != modifiers || h.vk != vk) continue;
    if (h.hWnd == 0) return false;
    PostMessage(h.hWnd, msg::kHotKey, static_cast<WParam>(static_cast<std::intptr_t>(h.id)),
                static_cast<LParam>((vk << 16) | modifiers));
    return true;
  }
  return false;
}

void HeadlessOs::TakeHotkeyElsewhere(unsigned modifiers, unsigned vk) {
  hotkeys_.push_back({0, 0, modifiers, vk});
}

bool HeadlessOs::TrayMouse(std::uint32_t mouseMessage) {
  if (!tray_ || (tray_->uFlags & kNifMessage) == 0) return false;
  PostMessage(tray_->hWnd, static_cast<std::uint32_t>(tray_->uCallbackMessage),
              static_cast<WParam>(tray_->uID), static_cast<LParam>(mouseMessage));
  return true;
}

std::vector<std::string> HeadlessOs::CallNames() const {
  std::vector<std::string> names;
  for (const auto& c : calls_) names.push_back(c.name);
  return names;
}

}  // namespace pindle::platform::headless
