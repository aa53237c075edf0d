// Handles and numbers for the backends that have no window system to give them (in memory,
// Qt): window handles stepped as Windows steps them, message numbers registered by name from
// 0xC100 on, as RegisterWindowMessage gives them, and the handle that stands for a window's icon.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/form_definition.h"
#include "platform/os_api.h"

namespace pindle::platform {

class StandInHandles {
 public:
  explicit StandInHandles(Hwnd firstWindow) : next_(firstWindow) {}

  Hwnd NextWindow() {
    const Hwnd window = next_;
    next_ += 0x22;
    return window;
  }
  // The same number for the same name, a new one for a new name.
  std::uint32_t RegisteredMessage(const std::u16string& name) {
    const auto [it, added] =
        messages_.try_emplace(name, static_cast<std::uint32_t>(0xC100 + messages_.size()));
    return it->second;
  }
  static std::intptr_t IconOf(FormIcon icon) {
    return icon == FormIcon::None ? 0 : static_cast<std::intptr_t>(0x0C10 + static_cast<int>(icon));
  }

 private:
  Hwnd next_;
  std::map<std::u16string, std::uint32_t> messages_;
};

}  // namespace pindle::platform
