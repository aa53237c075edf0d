// Messages to the host window, as the shell and the hotkeys deliver them, in any order and with
// any parameters: the tray callback acts on the low 16 bits of lParam only (513 beeps, 515 shows
// the quick memo, 516 opens the menu), WM_HOTKEY on the low 32 bits of wParam matching a
// registered identifier only, and nothing else opens, closes or crashes anything.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "host/module2.h"
#include "platform/headless/headless_backend.h"
#include "platform/program.h"

namespace {

using namespace pindle;
using namespace pindle::platform;

constexpr std::uint32_t kTrayCallback = 0x0207;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider in(data, size);
  headless::HeadlessBackend backend;
  backend.appPath = u"/nonexistent/pindle";  // no memo.txt: the windows open empty
  constexpr float kTwipsPerPixel[] = {15, 12, 10, 7};
  backend.twipsPerPixel = kTwipsPerPixel[in.ConsumeIntegralInRange(0, 3)];
  Runtime rt(backend);
  StartProgram(rt);
  const Hwnd host = backend.WindowOf(u"Form1")->Handle();
  const Module2& m = rt.Module<Module2>();
  const std::int32_t ids[] = {m.HotkeyAtom1, m.HotkeyAtom2, m.HotkeyAtom3,
                              static_cast<std::uint16_t>(m.HotkeyAtom1)};

  while (in.remaining_bytes() > 0) {
    const bool memoOpen = backend.WindowOf(u"frmMain") != nullptr;
    const bool editorOpen = backend.WindowOf(u"Dialog_DataList") != nullptr;
    const int beeps = backend.Beeps();
    const std::size_t popups = backend.Popups().size();
    const auto upper = in.ConsumeIntegral<std::uint32_t>();
    std::uint32_t message = 0;
    WParam wParam = 0;
    LParam lParam = 0;
    switch (in.ConsumeIntegralInRange(0, 2)) {
      case 0:  // the tray icon, with a mouse message or any number
        message = kTrayCallback;
        wParam = 1;
        lParam = static_cast<LParam>((std::uint64_t{upper} << 16) |
                                     (in.ConsumeBool() ? in.ConsumeIntegralInRange(512, 522)
                                                       : in.ConsumeIntegral<std::uint16_t>()));
        break;
      case 1:  // a hotkey, one of the program's or any identifier
        message = msg::kHotKey;
        wParam = (std::uint64_t{upper} << 32) |
                 static_cast<std::uint32_t>(in.ConsumeBool() ? ids[in.ConsumeIntegralInRange(0, 3)]
                                                             : in.ConsumeIntegral<std::int32_t>());
        break;
      default:  // any other message
        message = in.ConsumeIntegralInRange<std::uint32_t>(0x0200, 0x0400);
        if (message == kTrayCallback || message == msg::kHotKey) message = 0x0400;
        wParam = upper;
        lParam = in.ConsumeIntegral<LParam>();
        break;
    }
    backend.OnNextPopupMenu(std::nullopt);  // the menu, if it opens, is closed again
    backend.Machine().PostMessage(host, message, wParam, lParam);
    backend.PumpMessages();

    const std::uint32_t mouse = message == kTrayCallback ? (lParam & 0xFFFF) : 0;
    const auto id = static_cast<std::int32_t>(wParam & 0xFFFFFFFFu);
    const bool hotkey = message == msg::kHotKey;
    PINDLE_FUZZ_CHECK(backend.Beeps() == beeps + (mouse == 513), "a beep without a left click");
    PINDLE_FUZZ_CHECK(backend.Popups().size() == popups + (mouse == 516),
                      "menu without right click");
    const bool memoExpected = (mouse == 515 || (hotkey && id == m.HotkeyAtom1)) ||
                              (memoOpen && !(hotkey && id == m.HotkeyAtom2));
    PINDLE_FUZZ_CHECK((backend.WindowOf(u"frmMain") != nullptr) == memoExpected,
                      "the quick memo opened or closed without its message");
    PINDLE_FUZZ_CHECK((backend.WindowOf(u"Dialog_DataList") != nullptr) ==
                          (editorOpen || (hotkey && id == m.HotkeyAtom3)),
                      "the editor opened without Alt+F3");
    PINDLE_FUZZ_CHECK(backend.MessageBoxes().empty() && backend.Quits() == 0,
                      "an error report or the program ended");
  }
  return 0;
}
