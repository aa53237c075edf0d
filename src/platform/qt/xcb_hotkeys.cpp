#include "platform/qt/xcb_hotkeys.h"

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <QGuiApplication>
#include <algorithm>
#include <cstdlib>
#include <memory>

namespace pindle::platform::qt {

namespace {

constexpr unsigned kModAltBit = 1, kModControlBit = 2, kModShiftBit = 4, kModWinBit = 8;
constexpr std::uint16_t kNumLock = XCB_MOD_MASK_2;
constexpr std::uint16_t kLockVariants[] = {0, XCB_MOD_MASK_LOCK, kNumLock,
                                           XCB_MOD_MASK_LOCK | kNumLock};
constexpr std::uint16_t kModifierBits =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4;

std::uint16_t ModMask(unsigned modifiers) {
  std::uint16_t mask = 0;
  if (modifiers & kModAltBit) mask |= XCB_MOD_MASK_1;
  if (modifiers & kModControlBit) mask |= XCB_MOD_MASK_CONTROL;
  if (modifiers & kModShiftBit) mask |= XCB_MOD_MASK_SHIFT;
  if (modifiers & kModWinBit) mask |= XCB_MOD_MASK_4;
  return mask;
}

// The X key symbol of a virtual-key code; 0 for keys without one here.
xcb_keysym_t KeySym(unsigned vk) {
  if (vk >= 0x70 && vk <= 0x87) return 0xFFBE + (vk - 0x70);  // F1..F24
  if (vk >= 'A' && vk <= 'Z') return vk - 'A' + 'a';
  if (vk >= '0' && vk <= '9') return vk;
  return 0;
}

}  // namespace

std::unique_ptr<XcbHotkeys> XcbHotkeys::Create(Deliver deliver) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !x11->connection()) return nullptr;
  xcb_connection_t* c = x11->connection();
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  if (!screen) return nullptr;
  return std::unique_ptr<XcbHotkeys>(new XcbHotkeys(c, screen->root, std::move(deliver)));
}

XcbHotkeys::XcbHotkeys(xcb_connection_t* connection, std::uint32_t root, Deliver deliver)
    : connection_(connection),
      root_(root),
      symbols_(xcb_key_symbols_alloc(connection)),
      deliver_(std::move(deliver)) {
  QCoreApplication::instance()->installNativeEventFilter(this);
}

XcbHotkeys::~XcbHotkeys() {
  if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
  for (const Grab& g : grabs_) Ungrab(g.keycodes, g.mask, 4);
  xcb_flush(connection_);
  xcb_key_symbols_free(symbols_);
}

void XcbHotkeys::Ungrab(const std::vector<std::uint8_t>& keycodes, std::uint16_t mask,
                        int variants) {
  for (const std::uint8_t code : keycodes) {
    for (int v = 0; v < variants; ++v)
      xcb_ungrab_key(connection_, code, root_, static_cast<std::uint16_t>(mask | kLockVariants[v]));
  }
}

XcbHotkeys::Outcome XcbHotkeys::Register(Hwnd hWnd, int id, unsigned modifiers, unsigned vk) {
  const bool taken = std::any_of(grabs_.begin(), grabs_.end(), [&](const Grab& g) {
    return (g.modifiers == modifiers && g.vk == vk) || (g.hWnd == hWnd && g.id == id);
  });
  const xcb_keysym_t sym = KeySym(vk);
  if (taken || sym == 0) return Outcome::Failed;
  std::unique_ptr<xcb_keycode_t, decltype(&std::free)> codes(
      xcb_key_symbols_get_keycode(symbols_, sym), &std::free);
  Grab grab{hWnd, id, modifiers, vk, {}, ModMask(modifiers)};
  for (const xcb_keycode_t* k = codes.get(); k && *k != XCB_NO_SYMBOL; ++k) {
    if (std::find(grab.keycodes.begin(), grab.keycodes.end(), *k) == grab.keycodes.end())
      grab.keycodes.push_back(*k);
  }
  if (grab.keycodes.empty()) return Outcome::Failed;
  // Every grab is checked: another client's grab of the same combination is a BadAccess.
  for (const std::uint8_t code : grab.keycodes) {
    for (int v = 0; v < 4; ++v) {
      const xcb_void_cookie_t cookie = xcb_grab_key_checked(
          connection_, 0, root_, static_cast<std::uint16_t>(grab.mask | kLockVariants[v]), code,
          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
      if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
        const bool held = error->error_code == XCB_ACCESS;
        std::free(error);
        // Gives back what this registration grabbed so far (earlier key codes whole).
        const auto done = static_cast<std::size_t>(
            std::find(grab.keycodes.begin(), grab.keycodes.end(), code) - grab.keycodes.begin());
        Ungrab({grab.keycodes.begin(), grab.keycodes.begin() + static_cast<long>(done)}, grab.mask,
               4);
        Ungrab({code}, grab.mask, v);
        xcb_flush(connection_);
        return held ? Outcome::HeldElsewhere : Outcome::Failed;
      }
    }
  }
  grabs_.push_back(std::move(grab));
  return Outcome::Grabbed;
}

bool XcbHotkeys::Unregister(Hwnd hWnd, int id) {
  const auto it = std::find_if(grabs_.begin(), grabs_.end(),
                               [&](const Grab& g) { return g.hWnd == hWnd && g.id == id; });
  if (it == grabs_.end()) return false;
  Ungrab(it->keycodes, it->mask, 4);
  xcb_flush(connection_);
  grabs_.erase(it);
  return true;
}

bool XcbHotkeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7F) != XCB_KEY_PRESS) return false;
  const auto* key = static_cast<const xcb_key_press_event_t*>(message);
  if (key->event != root_) return false;
  for (const Grab& g : grabs_) {
    if ((key->state & kModifierBits) != g.mask) continue;
    if (std::find(g.keycodes.begin(), g.keycodes.end(), key->detail) == g.keycodes.end()) continue;
    deliver_(g.hWnd, g.id, g.modifiers, g.vk);
    return true;
  }
  return false;
}

}  // namespace pindle::platform::qt
