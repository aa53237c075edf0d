// The system facilities the tray host's hotkeys rest on, against the real API: the global atom
// table with its use counts, and system-wide hotkey registration.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <future>
#include <string>
#include <thread>

namespace pindle::testing {
namespace {

// A name no other test run uses.
std::string UniqueName(const char* stem) {
  static int counter = 0;
  return std::string(stem) + "-" + std::to_string(::GetCurrentProcessId()) + "-" +
         std::to_string(++counter);
}

// Hotkey identifiers are atoms read as signed 16-bit numbers and widened with their sign.
int HotkeyId(ATOM atom) {
  return static_cast<std::int16_t>(atom);
}

// Owns one reference to a global atom.
class GlobalAtom {
 public:
  explicit GlobalAtom(const std::string& name) : atom_(::GlobalAddAtomA(name.c_str())) {}
  ~GlobalAtom() {
    if (atom_) ::GlobalDeleteAtom(atom_);
  }
  GlobalAtom(const GlobalAtom&) = delete;
  GlobalAtom& operator=(const GlobalAtom&) = delete;

  ATOM get() const { return atom_; }

 private:
  ATOM atom_;
};

// Owns a hidden top-level window of this thread.
class Window {
 public:
  Window()
      : hwnd_(::CreateWindowExW(0, L"STATIC", L"pindle test", WS_POPUP, 0, 0, 10, 10, nullptr,
                                nullptr, ::GetModuleHandleW(nullptr), nullptr)) {}
  ~Window() {
    if (hwnd_) ::DestroyWindow(hwnd_);
  }
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_;
};

// Owns one hotkey registration; registered() says whether the system accepted it.
class Hotkey {
 public:
  Hotkey(HWND hwnd, int id, UINT modifiers, UINT vk)
      : hwnd_(hwnd), id_(id), registered_(::RegisterHotKey(hwnd, id, modifiers, vk) != FALSE) {
    error_ = registered_ ? 0 : ::GetLastError();
  }
  ~Hotkey() { Unregister(); }
  Hotkey(const Hotkey&) = delete;
  Hotkey& operator=(const Hotkey&) = delete;

  bool registered() const { return registered_; }
  DWORD error() const { return error_; }
  bool Unregister() {
    if (!registered_) return false;
    registered_ = false;
    return ::UnregisterHotKey(hwnd_, id_) != FALSE;
  }

 private:
  HWND hwnd_;
  int id_;
  bool registered_;
  DWORD error_;
};

// A combination nothing on a desktop is likely to hold.
constexpr UINT kModifiers = MOD_CONTROL | MOD_ALT | MOD_SHIFT;
constexpr UINT kKey = VK_F9;

// ---- global atoms ----

TEST(GlobalAtomTest, EachAddCountsAndEachDeleteGivesOneBack) {
  const std::string name = UniqueName("PindleAtomCount");
  ASSERT_EQ(::GlobalFindAtomA(name.c_str()), 0) << "not there before";
  const ATOM first = ::GlobalAddAtomA(name.c_str());
  ASSERT_NE(first, 0);
  const ATOM second = ::GlobalAddAtomA(name.c_str());
  EXPECT_EQ(second, first) << "one atom per name";
  EXPECT_EQ(::GlobalFindAtomA(name.c_str()), first);

  EXPECT_EQ(::GlobalDeleteAtom(first), 0) << "0 means the reference was given back";
  EXPECT_EQ(::GlobalFindAtomA(name.c_str()), first) << "the second reference keeps it";
  EXPECT_EQ(::GlobalDeleteAtom(first), 0);
  EXPECT_EQ(::GlobalFindAtomA(name.c_str()), 0) << "gone with its last reference";
}

TEST(GlobalAtomTest, NamesAreCaseBlindAndStringAtomsAreNegativeAsSigned16Bit) {
  const std::string name = UniqueName("PindleAtomName");
  const GlobalAtom atom(name);
  ASSERT_NE(atom.get(), 0);
  std::string upper = name;
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  EXPECT_EQ(::GlobalFindAtomA(upper.c_str()), atom.get());

  char buffer[256] = {};
  const UINT length = ::GlobalGetAtomNameA(atom.get(), buffer, sizeof buffer);
  EXPECT_EQ(std::string(buffer, length), name);

  // String atoms live in 0xC000-0xFFFF, so as signed 16-bit numbers they are negative.
  EXPECT_GE(atom.get(), 0xC000);
  EXPECT_LT(HotkeyId(atom.get()), 0);
}

// ---- hotkeys ----

TEST(HotkeyTest, ACombinationHeldByAnotherWindowIsRefusedUntilItIsFreed) {
  const GlobalAtom firstAtom(UniqueName("PindleHotkeyA"));
  const GlobalAtom secondAtom(UniqueName("PindleHotkeyB"));
  const Window firstWindow;
  const Window secondWindow;
  ASSERT_TRUE(firstWindow.get() && secondWindow.get());

  Hotkey held(firstWindow.get(), HotkeyId(firstAtom.get()), kModifiers, kKey);
  ASSERT_TRUE(held.registered()) << "error " << held.error();

  {
    const Hotkey again(secondWindow.get(), HotkeyId(secondAtom.get()), kModifiers, kKey);
    EXPECT_FALSE(again.registered());
    EXPECT_EQ(again.error(), static_cast<DWORD>(ERROR_HOTKEY_ALREADY_REGISTERED));
  }
  {
    // Not even the holder gets the same combination under a second identifier.
    const Hotkey twice(firstWindow.get(), HotkeyId(secondAtom.get()), kModifiers, kKey);
    EXPECT_FALSE(twice.registered());
  }
  {
    // Another key with the same modifiers is free.
    const Hotkey other(secondWindow.get(), HotkeyId(secondAtom.get()), kModifiers, VK_F10);
    EXPECT_TRUE(other.registered()) << "error " << other.error();
  }

  EXPECT_TRUE(held.Unregister());
  const Hotkey afterwards(secondWindow.get(), HotkeyId(secondAtom.get()), kModifiers, kKey);
  EXPECT_TRUE(afterwards.registered()) << "free after unregistering, error " << afterwards.error();
}

TEST(HotkeyTest, AWindowOfAnotherThreadHoldsItSystemWide) {
  const Window window;
  ASSERT_NE(window.get(), nullptr);
  const GlobalAtom atom(UniqueName("PindleHotkeyThread"));

  std::promise<bool> holding;
  std::promise<void> release;
  std::thread holder([&] {
    const Window own;
    Hotkey hotkey(own.get(), 1, kModifiers, kKey);
    holding.set_value(hotkey.registered());
    release.get_future().wait();
  });
  const bool held = holding.get_future().get();
  {
    const Hotkey attempt(window.get(), HotkeyId(atom.get()), kModifiers, kKey);
    EXPECT_TRUE(held);
    EXPECT_FALSE(attempt.registered());
  }
  release.set_value();
  holder.join();  // the holder's window and registration are gone now
  const Hotkey afterwards(window.get(), HotkeyId(atom.get()), kModifiers, kKey);
  EXPECT_TRUE(afterwards.registered()) << "error " << afterwards.error();
}

TEST(HotkeyTest, UnregisteringWhatIsNotRegisteredFails) {
  const Window window;
  ASSERT_NE(window.get(), nullptr);
  const GlobalAtom atom(UniqueName("PindleHotkeyNone"));
  EXPECT_FALSE(::UnregisterHotKey(window.get(), HotkeyId(atom.get())));
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_HOTKEY_NOT_REGISTERED));

  Hotkey hotkey(window.get(), HotkeyId(atom.get()), kModifiers, kKey);
  ASSERT_TRUE(hotkey.registered());
  EXPECT_TRUE(hotkey.Unregister());
  EXPECT_FALSE(::UnregisterHotKey(window.get(), HotkeyId(atom.get()))) << "only once";
}

}  // namespace
}  // namespace pindle::testing
