// A program started on the in-memory backend with its own directory for memo.txt.
#pragma once

#include <string>
#include <vector>

#include "headless_fixture.h"
#include "host/form1.h"
#include "host/module2.h"
#include "temp_dir.h"

namespace pindle::testing {

class HostTest : public HeadlessTest {
 protected:
  HostTest() { backend.appPath = dir.U16(); }

  void StartProgram() { rt.Start<Form1>(); }
  platform::Hwnd HostHandle() { return Window(u"Form1").Handle(); }
  std::vector<std::string> CallsFrom(std::size_t first) const {
    const auto names = backend.Machine().CallNames();
    return {names.begin() + static_cast<std::ptrdiff_t>(first), names.end()};
  }
  bool AltF(unsigned n) { return backend.PressHotkey(platform::kModAlt, 0x6F + n); }
  // The user right-clicks the tray icon and picks an item (or nothing).
  void ChooseFromTrayMenu(std::optional<std::u16string> item) {
    backend.OnNextPopupMenu(std::move(item));
    backend.TrayMouse(platform::msg::kRButtonDown);
  }

  TempDir dir;
};

}  // namespace pindle::testing
