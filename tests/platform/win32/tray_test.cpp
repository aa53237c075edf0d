// The tray icon with the real shell: it comes back when the taskbar is created again (Explorer
// restarted and lost it), with its tooltip; and the shell's callback for a mouse message over
// the icon still decodes at the system's DPI.
#include <gtest/gtest.h>

#include <windows.h>
// windows.h first: these need its types.
#include <commctrl.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "host/form1.h"
#include "memo/frm_main.h"
#include "platform/program.h"
#include "win32_window_fixture.h"

namespace pindle::platform::win32 {
namespace {

constexpr UINT kIconId = 1;

NOTIFYICONDATAW IconOf(HWND owner) {
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V1_SIZE;
  data.hWnd = owner;
  data.uID = kIconId;
  return data;
}

// A modification that changes nothing: the shell accepts it only for an icon it holds.
bool IconShown(HWND owner) {
  NOTIFYICONDATAW data = IconOf(owner);
  return ::Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

// What Explorer's restart does to the icon: it is gone, and the program is not told.
bool RemoveBehindTheProgramsBack(HWND owner) {
  NOTIFYICONDATAW data = IconOf(owner);
  return ::Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

// Owns a block of memory in another process.
class RemoteBlock {
 public:
  RemoteBlock(HANDLE process, std::size_t size)
      : process_(process),
        address_(
            ::VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)) {}
  ~RemoteBlock() {
    if (address_) ::VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;
  void* get() const { return address_; }

 private:
  HANDLE process_;
  void* address_;
};

struct ProcessHandle {
  HANDLE h;
  ~ProcessHandle() {
    if (h) ::CloseHandle(h);
  }
};

// The texts of the tooltips of the tray icons, read from the tray's process; Wine's tray gives
// every icon a tooltip window of its own.  The tooltip control keeps its texts in its own
// process, so the request and the answer go through a block of memory there.
std::vector<std::wstring> TrayTooltips() {
  std::vector<std::wstring> texts;
  HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr);
  if (!tray) return texts;
  DWORD trayProcess = 0;
  ::GetWindowThreadProcessId(tray, &trayProcess);
  struct Search {
    DWORD process;
    std::vector<HWND> tooltips;
  } search{trayProcess, {}};
  ::EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(param);
        wchar_t cls[64] = {};
        ::GetClassNameW(window, cls, 64);
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        if (process == s.process && std::wstring_view(cls) == TOOLTIPS_CLASSW) {
          s.tooltips.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));

  const ProcessHandle process{
      ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, trayProcess)};
  if (!process.h) return texts;
  struct Request {
    TTTOOLINFOW tool;
    wchar_t text[256];
  };
  const RemoteBlock remote(process.h, sizeof(Request));
  if (!remote.get()) return texts;
  auto* there = static_cast<Request*>(remote.get());
  const auto send = [](HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(window, msg, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
    return result;
  };
  for (HWND tooltip : search.tooltips) {
    const auto count = send(tooltip, TTM_GETTOOLCOUNT, 0, 0);
    for (DWORD_PTR i = 0; i < count; ++i) {
      Request request{};
      request.tool.cbSize = sizeof request.tool;
      request.tool.lpszText = there->text;
      // Which tool it is, then its text.
      if (!::WriteProcessMemory(process.h, there, &request, sizeof request, nullptr) ||
          !send(tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&there->tool)) ||
          !::ReadProcessMemory(process.h, there, &request, sizeof request, nullptr)) {
        continue;
      }
      request.tool.lpszText = there->text;
      request.text[0] = L'\0';
      if (!::WriteProcessMemory(process.h, there, &request, sizeof request, nullptr)) continue;
      send(tooltip, TTM_GETTEXTW, std::size(request.text), reinterpret_cast<LPARAM>(&there->tool));
      if (!::ReadProcessMemory(process.h, there, &request, sizeof request, nullptr)) continue;
      request.text[std::size(request.text) - 1] = L'\0';
      texts.emplace_back(request.text);
    }
  }
  return texts;
}

int TooltipsReading(const std::wstring& text) {
  int n = 0;
  for (const auto& t : TrayTooltips()) n += t == text;
  return n;
}

class TrayIconTest : public Win32WindowTest {
 protected:
  void TearDown() override {
    rt.RunEvent([this] {
      rt.Unload<frmMain>();
      rt.Unload<Form1>();
    });
  }
  // Starts the program; its host window.
  HWND StartHost() {
    StartProgram(rt);
    Form1* host = rt.IfLoaded<Form1>();
    return host ? reinterpret_cast<HWND>(host->hWnd()) : nullptr;
  }
};

TEST_F(TrayIconTest, IconComesBackWhenTheTaskbarIsCreatedAgain) {
  // Wine's tray shows whose tooltip is whose; on Windows the icon's presence is checked alone.
  const bool tooltips = RunningUnderWine();
  const auto tooltipsReadingSysInfo = [&](int expected, const std::string& when) {
    if (!tooltips) return;
    EXPECT_EQ(TooltipsReading(L"SysInfo"), expected) << when;
  };
  tooltipsReadingSysInfo(0, "before start-up: no icon of an earlier test is left");
  HWND host = StartHost();
  ASSERT_NE(host, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return IconShown(host); }, 10000)) << "no icon after start-up";
  tooltipsReadingSysInfo(1, "after start-up");

  const UINT taskbarCreated = ::RegisterWindowMessageW(L"TaskbarCreated");
  for (int restart = 1; restart <= 2; ++restart) {
    const std::string when = "restart " + std::to_string(restart);
    ASSERT_TRUE(RemoveBehindTheProgramsBack(host));
    ASSERT_FALSE(IconShown(host));
    tooltipsReadingSysInfo(0, "removed, " + when);
    // The new taskbar announces itself to every top-level window.
    ::SendMessageW(host, taskbarCreated, 0, 0);
    EXPECT_TRUE(IconShown(host)) << "the icon is back after " << when;
    tooltipsReadingSysInfo(1, "back with its tooltip after " + when);
  }

  // An icon that is there already is not added twice.
  ::SendMessageW(host, taskbarCreated, 0, 0);
  tooltipsReadingSysInfo(1, "a taskbar message while the icon is there");

  rt.RunEvent([this] { rt.Unload<Form1>(); });
  EXPECT_FALSE(IconShown(host)) << "unloading the host removes the icon";
  tooltipsReadingSysInfo(0, "after unloading the host");
}

// The shell sends the callback message 519 (WM_MBUTTONDOWN) with the mouse message over the
// icon in lParam; the runtime makes twips of it as of a pixel position (Screen.TwipsPerPixelX)
// and the host divides them again.  At 192 DPI that is 7 twips per pixel: 515 * 7 / 7.
TEST_F(TrayIconTest, TrayCallbackDecodesAtTheSystemDpi) {
  const float twipsPerPixel = backend.TwipsPerPixelX();
  EXPECT_EQ(twipsPerPixel, static_cast<float>(1440 / ExpectedDpi()));
  HWND host = StartHost();
  ASSERT_NE(host, nullptr);
  ASSERT_EQ(rt.IfLoaded<frmMain>(), nullptr);
  // A double-click on the icon opens the quick memo.
  ::PostMessageW(host, WM_MBUTTONDOWN, kIconId, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(PumpUntil([this] { return rt.IfLoaded<frmMain>() != nullptr; }))
      << "515 did not come back from " << 515 * twipsPerPixel << " twips";
}

}  // namespace
}  // namespace pindle::platform::win32
