// The About window's links through the real shell: a click on the mail address and on the home
// page reaches ShellExecuteA, and under Wine the targets arrive unchanged at the programs Wine
// hands mail and web addresses to.  An error raised while asking the shell shows the program's
// two-line message in a real message box with the stop icon.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "info/frm_about.h"
#include "platform/cp932.h"
#include "platform/runtime_error.h"
#include "temp_dir.h"
#include "win32_window_fixture.h"

namespace pindle::platform::win32 {
namespace {

using ::testing::ElementsAre;

// Under Wine, ShellExecute hands http, https and mailto targets to winebrowser (the prefix's
// HKCR\<scheme>\shell\open\command), and winebrowser starts the first Unix program of its
// Browsers or Mailers list (HKCU\Software\Wine\WineBrowser; each entry a command line, the
// target added as the last argument).  The recorder points both lists at a shell script that
// writes one line per start: "browser" or "mailer", then each argument in brackets.  The
// settings are put back as they were when the recorder goes.
class WineBrowserRecorder {
 public:
  WineBrowserRecorder() {
    using UnixName = char* (*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) throw std::runtime_error("not running under Wine");
    char* name = unixName(dir_.Path().wstring().c_str());
    if (!name) throw std::runtime_error("no Unix name for the temporary directory");
    const std::string unixDir = name;
    ::HeapFree(::GetProcessHeap(), 0, name);

    dir_.Write("record.sh",
               "kind=\"$1\"\n"
               "shift\n"
               "line=\"$kind\"\n"
               "for argument in \"$@\"; do line=\"$line [$argument]\"; done\n"
               "printf '%s\\n' \"$line\" >>'" +
                   unixDir + "/starts.txt'\n");
    const std::wstring script(unixDir.begin(), unixDir.end());
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", 0, nullptr, 0,
                          KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                          nullptr) != ERROR_SUCCESS) {
      throw std::runtime_error("cannot open HKCU\\Software\\Wine\\WineBrowser");
    }
    Set(L"Browsers", L"/bin/sh \"" + script + L"/record.sh\" browser");
    Set(L"Mailers", L"/bin/sh \"" + script + L"/record.sh\" mailer");
  }
  ~WineBrowserRecorder() {
    for (const auto& [name, previous] : saved_) {
      if (previous) {
        ::RegSetValueExW(key_, name.c_str(), 0, previous->type, previous->data.data(),
                         static_cast<DWORD>(previous->data.size()));
      } else {
        ::RegDeleteValueW(key_, name.c_str());
      }
    }
    ::RegCloseKey(key_);
  }
  WineBrowserRecorder(const WineBrowserRecorder&) = delete;
  WineBrowserRecorder& operator=(const WineBrowserRecorder&) = delete;

  // The lines written so far, one per program started.
  std::vector<std::string> Starts() const {
    std::vector<std::string> lines;
    std::ifstream in(dir_.Path() / "starts.txt");
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

 private:
  struct Value {
    DWORD type;
    std::vector<BYTE> data;
  };

  void Set(const std::wstring& name, const std::wstring& value) {
    DWORD type = 0, size = 0;
    std::optional<Value> previous;
    if (::RegQueryValueExW(key_, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
      previous = Value{type, std::vector<BYTE>(size)};
      ::RegQueryValueExW(key_, name.c_str(), nullptr, &type, previous->data.data(), &size);
    }
    saved_.emplace_back(name, std::move(previous));
    ::RegSetValueExW(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }

  pindle::testing::TempDir dir_;
  HKEY key_ = nullptr;
  std::vector<std::pair<std::wstring, std::optional<Value>>> saved_;
};

// A message box as the user sees it.
struct SeenBox {
  std::wstring title;
  std::wstring text;
  bool stopIcon = false;
  std::vector<int> buttons;  // the visible ones, by id
};

// Looks at every message box this thread opens and closes it with OK.  A thread timer: its
// procedure runs inside the message box's own message loop.
class MessageBoxWatcher {
 public:
  MessageBoxWatcher() : timer_(::SetTimer(nullptr, 0, 50, &MessageBoxWatcher::OnTimer)) {
    current_ = this;
  }
  ~MessageBoxWatcher() {
    ::KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  MessageBoxWatcher(const MessageBoxWatcher&) = delete;
  MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

  const std::vector<SeenBox>& Seen() const { return seen_; }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (current_) ::EnumThreadWindows(::GetCurrentThreadId(), &Inspect, 0);
  }
  static BOOL CALLBACK Inspect(HWND window, LPARAM) {
    wchar_t cls[64] = {};
    ::GetClassNameW(window, cls, 64);
    if (std::wstring_view(cls) != L"#32770" || !::IsWindowVisible(window)) return TRUE;
    for (HWND closing : current_->closing_) {
      if (closing == window) return TRUE;  // OK is on its way
    }
    SeenBox box;
    box.title = Text(window);
    for (HWND child = ::GetWindow(window, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
      ::GetClassNameW(child, cls, 64);
      const std::wstring_view kind(cls);
      const auto style = ::GetWindowLongPtrW(child, GWL_STYLE);
      if (kind == L"Static" && (style & SS_TYPEMASK) == SS_ICON) {
        box.stopIcon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0)) ==
                       ::LoadIconW(nullptr, IDI_HAND);
      } else if (kind == L"Static") {
        box.text += Text(child);
      } else if (kind == L"Button" && ::IsWindowVisible(child)) {
        box.buttons.push_back(::GetDlgCtrlID(child));
      }
    }
    current_->seen_.push_back(std::move(box));
    current_->closing_.push_back(window);
    ::PostMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
  }
  static std::wstring Text(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
  }

  static inline MessageBoxWatcher* current_ = nullptr;
  UINT_PTR timer_;
  std::vector<SeenBox> seen_;
  std::vector<HWND> closing_;
};

// A press and release of the left button in the middle of a label of the window.
void ClickLabel(Win32Window& window, int label) {
  const RECT r = window.ControlRect(label);
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  ::PostMessageW(window.Window(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageW(window.Window(), WM_LBUTTONUP, 0, at);
}

class ShellTest : public Win32WindowTest {
 protected:
  Win32Window& OpenAbout() {
    rt.Show<frmAbout>();
    return Peer(rt.Instance<frmAbout>());
  }
  static int Label(std::u16string_view name) { return frmAboutDefinition().Find(name); }
};

TEST_F(ShellTest, AboutLinksReachTheMailerAndTheBrowserUnchanged) {
  if (!RunningUnderWine()) GTEST_SKIP() << "the recorder stands in for Wine's browser settings";
  WineBrowserRecorder recorder;
  MessageBoxWatcher boxes;
  Win32Window& about = OpenAbout();

  ClickLabel(about, Label(u"Label2"));
  ASSERT_TRUE(PumpUntil([&] { return !recorder.Starts().empty(); }, 30000))
      << "no mail program was started";
  ClickLabel(about, Label(u"lblDisclaimer"));
  ASSERT_TRUE(PumpUntil([&] { return recorder.Starts().size() >= 2; }, 30000))
      << "no browser was started";
  EXPECT_THAT(recorder.Starts(), ElementsAre("mailer [mailto:support@pindle.example.org]",
                                             "browser [https://pindle.example.org/]"));
  EXPECT_TRUE(boxes.Seen().empty());
  EXPECT_NE(rt.IfLoaded<frmAbout>(), nullptr) << "the About window stays open";
}

// The OS calls of the Windows backend, except that the targets handed to ShellExecuteA carry a
// character code page 932 cannot hold ("pïndle" for "pindle"), as an author address outside
// the code page would: the real Win32Os::ShellExecuteA gets them and must raise.
class UnencodableTargetsOs final : public OsApi {
 public:
  explicit UnencodableTargetsOs(OsApi& os) : os_(os) {}

  int calls = 0;     // ShellExecuteA requests
  int returned = 0;  // of them, the ones that reached the shell and came back
  int Shell_NotifyIconA(std::uint32_t m, std::span<const std::uint8_t> r) override {
    return os_.Shell_NotifyIconA(m, r);
  }
  std::intptr_t ShellExecuteA(Hwnd hWnd, const std::u16string& verb, const std::u16string& file,
                              const std::optional<std::u16string>& parameters,
                              const std::optional<std::u16string>& directory,
                              int showCmd) override {
    ++calls;
    std::u16string target = file;
    if (const auto at = target.find(u"pindle"); at != std::u16string::npos) {
      target.replace(at, 6, u"p\u00efndle");
    }
    const std::intptr_t result =
        os_.ShellExecuteA(hWnd, verb, target, parameters, directory, showCmd);
    ++returned;
    return result;
  }
  std::uint16_t GlobalAddAtomA(const std::u16string& t) override { return os_.GlobalAddAtomA(t); }
  std::uint16_t GlobalDeleteAtom(std::uint16_t a) override { return os_.GlobalDeleteAtom(a); }
  std::uint32_t RegisterWindowMessageA(const std::u16string& n) override {
    return os_.RegisterWindowMessageA(n);
  }
  int RegisterHotKey(Hwnd h, int id, unsigned m, unsigned vk) override {
    return os_.RegisterHotKey(h, id, m, vk);
  }
  int UnregisterHotKey(Hwnd h, int id) override { return os_.UnregisterHotKey(h, id); }
  std::intptr_t SetWindowLongA(Hwnd h, int index, std::intptr_t value) override {
    return os_.SetWindowLongA(h, index, value);
  }
  LResult CallWindowProcA(std::intptr_t proc, Hwnd h, std::uint32_t m, WParam w,
                          LParam l) override {
    return os_.CallWindowProcA(proc, h, m, w, l);
  }

 private:
  OsApi& os_;
};

// The Windows backend with those OS calls.
class UnencodableTargetsBackend final : public Backend {
 public:
  Win32Backend win32{::GetModuleHandleW(nullptr)};
  UnencodableTargetsOs os{win32.Os()};

  std::unique_ptr<WindowPeer> CreatePeer(Form& form, const FormDef& def) override {
    return win32.CreatePeer(form, def);
  }
  int ShowMessageBox(Hwnd owner, const std::u16string& prompt, int style,
                     const std::u16string& title) override {
    return win32.ShowMessageBox(owner, prompt, style, title);
  }
  void Beep() override { win32.Beep(); }
  const Clock& GetClock() const override { return win32.GetClock(); }
  OsApi& Os() override { return os; }
  Printer& CurrentPrinter() override { return win32.CurrentPrinter(); }
  PrintDialogService& PrintDialog() override { return win32.PrintDialog(); }
  std::u16string AppPath() const override { return win32.AppPath(); }
  bool PrevInstance() override { return win32.PrevInstance(); }
  float TwipsPerPixelX() const override { return win32.TwipsPerPixelX(); }
  void Quit() override { win32.Quit(); }
};

TEST(ShellErrorTest, AnErrorWhileAskingTheShellShowsTheTwoLineStopMessage) {
  ASSERT_FALSE(EncodeCp932(u"mailto:support@p\u00efndle.example.org").ok())
      << "the altered target must lie outside code page 932";
  UnencodableTargetsBackend backend;
  Runtime rt(backend);
  MessageBoxWatcher boxes;
  rt.Show<frmAbout>();
  auto& about = static_cast<Win32Window&>(rt.Instance<frmAbout>().Peer());

  ClickLabel(about, frmAboutDefinition().Find(u"Label2"));
  ASSERT_TRUE(PumpUntil([&] { return boxes.Seen().size() >= 1; }));
  ClickLabel(about, frmAboutDefinition().Find(u"lblDisclaimer"));
  ASSERT_TRUE(PumpUntil([&] { return boxes.Seen().size() >= 2; }));

  EXPECT_EQ(backend.os.calls, 2);
  EXPECT_EQ(backend.os.returned, 0) << "Win32Os raised before the shell was asked";
  ASSERT_EQ(boxes.Seen().size(), 2u);
  const std::wstring firstLine = L"貴様がお使いのパソコンでは、このプログラムから\n";
  const SeenBox& mail = boxes.Seen()[0];
  EXPECT_EQ(mail.title, L"Pindle");
  EXPECT_EQ(mail.text, firstLine + L"メッセージ作成画面の立ち上げは出来ない様です");
  EXPECT_TRUE(mail.stopIcon);
  EXPECT_THAT(mail.buttons, ElementsAre(IDOK));
  const SeenBox& page = boxes.Seen()[1];
  EXPECT_EQ(page.title, L"Pindle");
  EXPECT_EQ(page.text, firstLine + L"ホームページの立ち上げは出来ない様です");
  EXPECT_TRUE(page.stopIcon);
  EXPECT_THAT(page.buttons, ElementsAre(IDOK));
  EXPECT_NE(rt.IfLoaded<frmAbout>(), nullptr) << "the About window stays open";
}

}  // namespace
}  // namespace pindle::platform::win32
