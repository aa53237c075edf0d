// Messages to the host window in any order with any parameters: the tray callback acts on the
// low 16 bits of lParam only (513 beeps, 515 shows the quick memo, 516 opens the menu), WM_HOTKEY
// on the low 32 bits of wParam matching a registered identifier only, and nothing else opens,
// closes, reports or ends anything.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

#include "fuzz_check.h"
#include "host/module2.h"
#include "platform/headless/headless_backend.h"
#include "platform/program.h"

using namespace pindle;
using namespace pindle::platform;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  headless::HeadlessBackend backend;
  backend.appPath = u"/nonexistent";  // no memo.txt: the windows open empty
  backend.twipsPerPixel = in.PickValueInArray({15.0f, 12.0f, 10.0f, 7.0f});
  Runtime rt(backend);
  StartProgram(rt);
  const Module2& m = rt.Module<Module2>();
  const std::int32_t ids[] = {m.HotkeyAtom1, m.HotkeyAtom2, m.HotkeyAtom3,
                              static_cast<std::uint16_t>(m.HotkeyAtom1)};
  auto loaded = [&](const char16_t* form) { return backend.WindowOf(form) != nullptr; };
  while (in.remaining_bytes() > 0) {
    const bool memo = loaded(u"frmMain"), editor = loaded(u"Dialog_DataList");
    const int beeps = backend.Beeps();
    const std::size_t menus = backend.Popups().size();
    const std::uint64_t upper = in.ConsumeIntegral<std::uint32_t>();
    const int kind = in.ConsumeIntegralInRange(0, 2);
    const auto message = kind == 0   ? 0x0207u
                         : kind == 1 ? msg::kHotKey
                                     : in.ConsumeIntegralInRange(0x200u, 0x3FFu);
    if (message == 0x0207u && kind != 0) continue;  // only the tray sends the callback
    const std::uint32_t low = in.ConsumeBool()
                                  ? static_cast<std::uint32_t>(ids[in.ConsumeIntegralInRange(0, 3)])
                                  : in.ConsumeIntegral<std::uint32_t>();
    const std::uint32_t mouse =
        in.ConsumeBool() ? in.ConsumeIntegralInRange(512u, 522u) : low & 0xFFFF;
    const WParam wParam = kind == 0 ? 1 : (upper << 32) | low;
    const auto lParam = static_cast<LParam>(kind == 0 ? (upper << 16) | mouse : upper);
    backend.OnNextPopupMenu(std::nullopt);  // the menu, when it opens, is closed again
    backend.Os().PostMessage(backend.WindowOf(u"Form1")->Handle(), message, wParam, lParam);
    backend.PumpMessages();

    const std::uint32_t tray = kind == 0 ? mouse : 0;
    const bool hotkey = message == msg::kHotKey;
    const auto id = static_cast<std::int32_t>(low);
    PINDLE_FUZZ_CHECK(backend.Beeps() == beeps + (tray == 513), "a beep without a left click");
    PINDLE_FUZZ_CHECK(backend.Popups().size() == menus + (tray == 516),
                      "the menu without a right click");
    PINDLE_FUZZ_CHECK(loaded(u"frmMain") == (tray == 515 || (hotkey && id == m.HotkeyAtom1) ||
                                             (memo && !(hotkey && id == m.HotkeyAtom2))),
                      "the quick memo opened or closed without its message");
    PINDLE_FUZZ_CHECK(loaded(u"Dialog_DataList") == (editor || (hotkey && id == m.HotkeyAtom3)),
                      "the editor opened without Alt+F3");
    PINDLE_FUZZ_CHECK(backend.MessageBoxes().empty() && backend.Quits() == 0,
                      "an error report or the end");
  }
  return 0;
}
