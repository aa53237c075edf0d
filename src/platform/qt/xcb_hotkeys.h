// Global hotkeys on X11: a registered key combination is grabbed on the root window, with
// every combination of the lock keys (NumLock, CapsLock) so that it works whatever their
// state; a press of it becomes WM_HOTKEY for the window that registered it.
#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/os_api.h"

struct xcb_connection_t;
struct _XCBKeySymbols;

namespace pindle::platform::qt {

class XcbHotkeys final : public QAbstractNativeEventFilter {
 public:
  using Deliver = std::function<void(Hwnd hWnd, int id, unsigned modifiers, unsigned vk)>;

  // nullptr when the application does not run on an X server.
  static std::unique_ptr<XcbHotkeys> Create(Deliver deliver);
  ~XcbHotkeys() override;
  XcbHotkeys(const XcbHotkeys&) = delete;
  XcbHotkeys& operator=(const XcbHotkeys&) = delete;

  enum class Outcome { Grabbed, HeldElsewhere /* another client grabs it */, Failed };
  // Failed when the key has no key code here, or the program holds the combination or the
  // identifier already.
  Outcome Register(Hwnd hWnd, int id, unsigned modifiers, unsigned vk);
  bool Unregister(Hwnd hWnd, int id);

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  struct Grab {
    Hwnd hWnd;
    int id;
    unsigned modifiers, vk;
    std::vector<std::uint8_t> keycodes;
    std::uint16_t mask;
  };
  XcbHotkeys(xcb_connection_t* connection, std::uint32_t root, Deliver deliver);
  void Ungrab(const std::vector<std::uint8_t>& keycodes, std::uint16_t mask, int variants);

  xcb_connection_t* connection_;
  std::uint32_t root_;
  _XCBKeySymbols* symbols_;
  Deliver deliver_;
  std::vector<Grab> grabs_;
};

}  // namespace pindle::platform::qt
