// x11_probe: times a hotkey to the window it opens, from outside the program, on an X display.
//
//   x11_probe hotkey REPEATS [FOCUS-WINDOW]   Alt+F1 through XTest (what xdotool sends), then
//                                             the time to the MapNotify of a new top-level
//                                             window (the window manager's frame, or the window
//                                             itself); Alt+F2 closes it again.  Prints each
//                                             sample and "hotkey_to_window_ms: MEDIAN ms".
//   x11_probe cycle REPEATS KEY-OPEN KEY-CLOSE [FOCUS-WINDOW]
//                                             Opens and closes a window REPEATS times with the
//                                             two key combinations (e.g. alt+F1 alt+F2,
//                                             alt+F3 Return); prints "cycles: N".
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

// Waits for a MapNotify (map = true) or UnmapNotify of a non-override-redirect child of the root.
std::optional<Clock::time_point> WaitFor(Display* d, bool map, int timeoutMs) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    while (XPending(d) > 0) {
      XEvent e;
      XNextEvent(d, &e);
      if (map && e.type == MapNotify && !e.xmap.override_redirect) return Clock::now();
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
    std::fprintf(stderr, "usage: x11_probe hotkey N [focus] | cycle N open close [focus]\n");
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
  const bool hotkey = mode == "hotkey";
  const std::string open = hotkey ? "alt+F1" : (argc > 3 ? argv[3] : "alt+F1");
  const std::string close = hotkey ? "alt+F2" : (argc > 4 ? argv[4] : "alt+F2");
  const int focusArg = hotkey ? 3 : 5;
  const Window focus = argc > focusArg ? std::strtoul(argv[focusArg], nullptr, 0) : 0;

  // A round whose key finds no window (the key went elsewhere) is sent again after the focus
  // has been set anew; such rounds are counted and printed as "missed".
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
    if (hotkey) std::printf("sample: %.2f ms\n", samples.back());
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
  if (hotkey) {
    std::sort(samples.begin(), samples.end());
    const std::size_t n = samples.size();
    const double median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
    std::printf("hotkey_to_window_ms: %.2f ms\n", median);
  } else {
    std::printf("cycles: %d\n", repeats);
  }
  return 0;
}
