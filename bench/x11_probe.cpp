// x11_probe: times a hotkey to the window it opens, from outside the program, on an X display.
//
//   x11_probe hotkey REPEATS [FOCUS-WINDOW]   Alt+F1 through XTest (what xdotool sends), then
//                                             the time to the MapNotify of a new top-level
//                                             window (the window manager's frame, or the window
//                                             itself); Alt+F2 closes it again.  Prints each
//                                             sample and "hotkey_to_window_ms: MEDIAN ms".
//   x11_probe steps REPEATS STEP...
//                                             Each round takes the steps in order: "+KEYS" sends
//                                             KEYS and waits for a new top-level window to map,
//                                             "-KEYS" for one to unmap, "menu:X,Y[:KEYS]" presses
//                                             the right button at root X,Y, waits for a pop-up
//                                             (override-redirect) window, then sends KEYS and
//                                             waits for a window to map; keys of a later step go
//                                             once the focus has settled in the window mapped
//                                             last, or with none open, through the window
//                                             X11_PROBE_FOCUS names, as FOCUS-WINDOW below.
//                                             Prints "missed: N" and "cycles: N".
// FOCUS-WINDOW (decimal or 0x hex) is activated before each key, and the key sent once the X
// focus has stayed on it: Wine delivers a registered hotkey only while one of its windows has
// the focus.  A key that opens nothing within X11_PROBE_TIMEOUT_MS (default 10000) is sent
// again after the focus is set anew, at most twice; "missed: N" counts such rounds.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Display_ {
  Display* d = XOpenDisplay(nullptr);
  ~Display_() {
    if (d != nullptr) XCloseDisplay(d);
  }
};

// "alt+F1" -> pressed in order, released in reverse.
void SendKeys(Display* d, const std::string& combo) {
  std::vector<KeyCode> codes;
  std::size_t start = 0;
  while (start <= combo.size()) {
    const std::size_t plus = combo.find('+', start);
    std::string name =
        combo.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
    if (name == "alt") name = "Alt_L";
    if (name == "ctrl") name = "Control_L";
    if (name == "shift") name = "Shift_L";
    const KeySym sym = XStringToKeysym(name.c_str());
    if (sym == NoSymbol) {
      std::fprintf(stderr, "x11_probe: unknown key %s\n", name.c_str());
      std::exit(2);
    }
    codes.push_back(XKeysymToKeycode(d, sym));
    if (plus == std::string::npos) break;
    start = plus + 1;
  }
  for (const KeyCode code : codes) XTestFakeKeyEvent(d, code, True, CurrentTime);
  for (auto it = codes.rbegin(); it != codes.rend(); ++it) {
    XTestFakeKeyEvent(d, *it, False, CurrentTime);
  }
  XFlush(d);
}

// Waits for a MapNotify (map = true) or UnmapNotify of a child of the root: for a map, one that
// is not override-redirect unless popup (a menu, which may be either).
std::optional<Clock::time_point> WaitFor(Display* d, bool map, int timeoutMs, bool popup = false,
                                         Window* mapped = nullptr) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    while (XPending(d) > 0) {
      XEvent e;
      XNextEvent(d, &e);
      if (map && e.type == MapNotify && (popup || !e.xmap.override_redirect)) {
        if (mapped != nullptr) *mapped = e.xmap.window;
        return Clock::now();
      }
      if (!map && e.type == UnmapNotify) return Clock::now();
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return std::nullopt;
    pollfd p{ConnectionNumber(d), POLLIN, 0};
    poll(&p, 1, static_cast<int>(left));
  }
}

bool Within(Display* d, Window w, Window ancestor) {
  while (w != 0 && w != PointerRoot) {
    if (w == ancestor) return true;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int n = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &n)) return false;
    if (children != nullptr) XFree(children);
    if (parent == root) return false;
    w = parent;
  }
  return false;
}

// Activates FOCUS as xdotool's windowactivate does (through the window manager), with a
// plain XSetInputFocus behind it, and waits until the X focus has stayed on it (or a window
// inside it) for 30 ms: a window closed just before may still be handing the focus on.
bool Focus(Display* d, Window focus) {
  if (focus == 0) return true;
  const Atom active = XInternAtom(d, "_NET_ACTIVE_WINDOW", False);
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(5);
  Clock::time_point since{};
  bool held = false;
  while (Clock::now() < deadline) {
    Window now = 0;
    int revert = 0;
    XGetInputFocus(d, &now, &revert);
    if (Within(d, now, focus)) {
      if (!held) since = Clock::now();
      held = true;
      if (Clock::now() - since >= std::chrono::milliseconds(30)) return true;
    } else {
      held = false;
      XEvent e{};
      e.xclient.type = ClientMessage;
      e.xclient.window = focus;
      e.xclient.message_type = active;
      e.xclient.format = 32;
      e.xclient.data.l[0] = 2;  // a pager's request: the window manager grants it
      e.xclient.data.l[1] = CurrentTime;
      XSendEvent(d, DefaultRootWindow(d), False, SubstructureNotifyMask | SubstructureRedirectMask,
                 &e);
      XSync(d, False);
      poll(nullptr, 0, 10);
      XGetInputFocus(d, &now, &revert);
      if (!Within(d, now, focus)) XSetInputFocus(d, focus, RevertToPointerRoot, CurrentTime);
      XSync(d, False);
    }
    poll(nullptr, 0, 5);
  }
  return false;
}

// Waits (up to 2 s) until the X focus has stayed inside window for 30 ms.
void Settle(Display* d, Window window) {
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(2);
  std::optional<Clock::time_point> since;
  while (Clock::now() < deadline) {
    Window now = 0;
    int revert = 0;
    XGetInputFocus(d, &now, &revert);
    if (!Within(d, now, window)) {
      since.reset();
    } else if (!since) {
      since = Clock::now();
    } else if (Clock::now() - *since >= std::chrono::milliseconds(30)) {
      return;
    }
    poll(nullptr, 0, 5);
  }
}

void Drain(Display* d) {
  XSync(d, False);
  while (XPending(d) > 0) {
    XEvent e;
    XNextEvent(d, &e);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: x11_probe hotkey N [focus] | steps N step...\n");
    return 2;
  }
  Display_ display;
  Display* d = display.d;
  if (d == nullptr) {
    std::fprintf(stderr, "x11_probe: no display\n");
    return 2;
  }
  int event = 0, error = 0, major = 0, minor = 0;
  if (!XTestQueryExtension(d, &event, &error, &major, &minor)) {
    std::fprintf(stderr, "x11_probe: no XTest\n");
    return 2;
  }
  // A window asked about may be gone by the time the server answers (a closing window handing
  // the focus on): such a request fails and the probe carries on.
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
  const std::string mode = argv[1];
  const int repeats = std::atoi(argv[2]);
  if (mode != "hotkey" && mode != "steps") {
    std::fprintf(stderr, "x11_probe: no mode %s\n", mode.c_str());
    return 2;
  }

  if (mode == "steps") {
    const char* focusEnv = std::getenv("X11_PROBE_FOCUS");
    const Window stepsFocus = focusEnv != nullptr ? std::strtoul(focusEnv, nullptr, 0) : 0;
    // "Tab space": one combination after another, 20 ms apart as a typist's (xdotool's 12 ms).
    const auto send = [d](const std::string& keys) {
      for (std::size_t at = 0; at < keys.size();) {
        const std::size_t space = std::min(keys.find(' ', at), keys.size());
        if (at > 0) poll(nullptr, 0, 20);
        SendKeys(d, keys.substr(at, space - at));
        at = space + 1;
      }
    };
    int missedSteps = 0;
    for (int i = 0; i < repeats; ++i) {
      std::vector<Window> opened;  // the windows the round has opened, the last on top
      for (int a = 3; a < argc; ++a) {
        const std::string step = argv[a];
        // With no window of the round open, keys go through the focus window (Wine's hotkeys).
        if (opened.empty() && !Focus(d, stepsFocus)) return 1;
        if (!opened.empty()) Settle(d, opened.back());
        Drain(d);
        bool done = false;
        if (step.starts_with("menu:")) {
          // Qt takes no press on the icon right after a window of its own has closed, and a
          // menu may take its keys only a moment after it shows: a press that opens nothing,
          // or keys that open nothing, within a second are tried again (after Esc).
          int x = 0, y = 0;
          std::sscanf(step.c_str() + 5, "%d,%d", &x, &y);
          const std::size_t colon = step.find(':', 5);
          const std::string keys = colon == std::string::npos ? "" : step.substr(colon + 1);
          for (int attempt = 0; attempt < 4 && !done; ++attempt) {
            if (attempt > 0) {
              ++missedSteps;
              SendKeys(d, "Escape");
            }
            Drain(d);
            XTestFakeMotionEvent(d, -1, x, y, CurrentTime);
            XTestFakeButtonEvent(d, 3, True, CurrentTime);
            XTestFakeButtonEvent(d, 3, False, CurrentTime);
            XFlush(d);
            if (!WaitFor(d, true, 1000, true)) continue;
            if (keys.empty()) {
              done = true;
              break;
            }
            send(keys);
            Window mapped = 0;
            done = WaitFor(d, true, attempt < 3 ? 1000 : 10000, false, &mapped).has_value();
            if (done) opened.push_back(mapped);
          }
        } else if (step[0] == '+') {
          send(step.substr(1));
          Window mapped = 0;
          done = WaitFor(d, true, 10000, false, &mapped).has_value();
          opened.push_back(mapped);
        } else {
          // A closing key lost before the window focused a control is sent again.
          for (int attempt = 0; attempt < 3 && !done; ++attempt) {
            if (attempt > 0) ++missedSteps;
            send(step.substr(1));
            done = WaitFor(d, false, attempt < 2 ? 1000 : 10000).has_value();
          }
          if (!opened.empty()) opened.pop_back();
        }
        if (!done) {
          std::fprintf(stderr, "x11_probe: step %s gave nothing (round %d)\n", step.c_str(), i);
          return 1;
        }
      }
    }
    std::printf("missed: %d\ncycles: %d\n", missedSteps, repeats);
    return 0;
  }

  // Alt+F1, timed to the window's map, then Alt+F2.  A round whose key finds no window (the key
  // went elsewhere) is sent again after the focus has been set anew; such rounds are counted
  // and printed as "missed".
  const std::string open = "alt+F1", close = "alt+F2";
  const Window focus = argc > 3 ? std::strtoul(argv[3], nullptr, 0) : 0;
  const char* timeoutEnv = std::getenv("X11_PROBE_TIMEOUT_MS");
  const int timeoutMs = timeoutEnv != nullptr ? std::atoi(timeoutEnv) : 10000;
  std::vector<double> samples;
  int missed = 0;
  for (int i = 0; i < repeats; ++i) {
    std::optional<Clock::time_point> mapped;
    Clock::time_point sent;
    Window focusBefore = 0;
    for (int attempt = 0; !mapped; ++attempt) {
      if (attempt == 3) {
        std::fprintf(stderr, "x11_probe: no window mapped after %s (round %d)\n", open.c_str(), i);
        return 1;
      }
      if (attempt > 0) ++missed;
      if (!Focus(d, focus)) {
        std::fprintf(stderr, "x11_probe: the focus does not stay on 0x%lx (round %d)\n", focus, i);
        return 1;
      }
      Drain(d);
      int revert = 0;
      XGetInputFocus(d, &focusBefore, &revert);
      SendKeys(d, open);
      sent = Clock::now();
      mapped = WaitFor(d, true, timeoutMs);
    }
    samples.push_back(std::chrono::duration<double, std::milli>(*mapped - sent).count());
    std::printf("sample: %.2f ms\n", samples.back());
    // The closing key goes to the new window once it has the focus (or to the hotkey).
    const Clock::time_point focusDeadline = Clock::now() + std::chrono::seconds(2);
    int revert = 0;
    for (Window now = focusBefore; now == focusBefore && Clock::now() < focusDeadline;) {
      XGetInputFocus(d, &now, &revert);
      if (now == focusBefore) poll(nullptr, 0, 2);
    }
    // A key that lands before the window has put its own focus on a control is lost: after a
    // second without the window going, it is sent again (a missed round too).
    for (int attempt = 0;; ++attempt) {
      SendKeys(d, close);
      if (WaitFor(d, false, attempt < 2 ? 1000 : timeoutMs)) break;
      if (attempt == 2) {
        std::fprintf(stderr, "x11_probe: no window unmapped after %s (round %d)\n", close.c_str(),
                     i);
        return 1;
      }
      ++missed;
    }
  }
  std::printf("missed: %d\n", missed);
  std::sort(samples.begin(), samples.end());
  const std::size_t n = samples.size();
  const double median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
  std::printf("hotkey_to_window_ms: %.2f ms\n", median);
  return 0;
}
