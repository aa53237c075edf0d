// The contract suite's driver for the Windows backend: real windows, and the user's actions as
// the messages Windows would post for them (key presses to the focused window, mouse presses
// to the window under the pointer), delivered by the backend's own message loop with its
// dialog keys.  What the user sees is read from the windows themselves.  The printer draws on
// an enhanced metafile with its lines recorded; under Wine the shell's mail and web programs
// are recorded too.
#include <windows.h>

#include <chrono>
#include <cstring>
#include <memory>

#include "contract/driver.h"
#include "contract/win32_modal.h"
#include "contract/wine_browser_recorder.h"
#include "platform/text.h"
#include "platform/wide_text.h"
#include "platform/win32/win32_backend.h"
#include "platform/win32/win32_window.h"
#include "temp_dir.h"

namespace pindle::contract {
namespace {

using platform::win32::Win32Backend;
using platform::win32::Win32Window;

// The printed lines, as the printer's document calls and line drawing report them.
struct PrintLog {
  std::vector<PrintedDocument> done;
  std::optional<PrintedDocument> open;
};
PrintLog* g_print = nullptr;

int WINAPI LogStartDoc(HDC, const DOCINFOW*) {
  g_print->open.emplace();
  return 1;
}
int WINAPI LogStartPage(HDC) {
  g_print->open->pages.emplace_back();
  return 1;
}
int WINAPI LogEndPage(HDC) {
  return 1;
}
int WINAPI LogEndDoc(HDC) {
  g_print->done.push_back(std::move(*g_print->open));
  g_print->open.reset();
  return 1;
}
int WINAPI LogAbortDoc(HDC) {
  g_print->open.reset();
  return 1;
}
BOOL WINAPI LogLine(HDC dc, int x, int y, LPCWSTR text, int length) {
  g_print->open->pages.back().push_back(
      platform::Narrow(std::wstring_view(text, static_cast<std::size_t>(length))));
  return platform::win32::DrawLine(dc, x, y, text, length);
}

bool UnderWine() {
  return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

class Win32Driver final : public Driver {
 public:
  Win32Driver() {
    g_print = &print_;
    rt_.UseAppPath(dir_.U16());
    backend_.GdiPrinter().UseDeviceContext(
        metafile_, {LogStartDoc, LogStartPage, LogEndPage, LogEndDoc, LogAbortDoc, LogLine});
    backend_.SystemPrintDialog().UseCalls(ModalAnswers::PrintDialogCalls());
    if (UnderWine()) browsers_ = std::make_unique<WineBrowserRecorder>();
  }
  ~Win32Driver() override {
    if (rt_.AnyLoaded() && !rt_.Ended()) rt_.RunEvent([this] { rt_.End(); });
    Pump();  // the loop's stop too: the next run starts with an empty queue
    ::DeleteEnhMetaFile(::CloseEnhMetaFile(metafile_));
    g_print = nullptr;
  }
  Win32Driver(const Win32Driver&) = delete;
  Win32Driver& operator=(const Win32Driver&) = delete;

  platform::Runtime& Rt() override { return rt_; }

  void Key(Form& form, int vk, int shift) override {
    BYTE keys[256] = {}, saved[256] = {};
    ::GetKeyboardState(saved);
    std::memcpy(keys, saved, sizeof keys);
    constexpr BYTE kDown = 0x80, kUp = 0;
    keys[VK_SHIFT] = (shift & kShift) ? kDown : kUp;
    keys[VK_CONTROL] = (shift & kCtrl) ? kDown : kUp;
    keys[VK_MENU] = (shift & kAlt) ? kDown : kUp;
    ::SetKeyboardState(keys);
    const auto scan = static_cast<LPARAM>(::MapVirtualKeyW(static_cast<UINT>(vk), 0)) << 16;
    HWND target = Target(form);
    ::PostMessageW(target, WM_KEYDOWN, static_cast<WPARAM>(vk), 1 | scan);
    Pump();  // the key may close the window, and its form with it
    if (::IsWindow(target)) {
      ::PostMessageW(target, WM_KEYUP, static_cast<WPARAM>(vk), 1 | scan | 0xC0000000);
      Pump();
    }
    ::SetKeyboardState(saved);
  }
  void Type(Form& form, std::u16string_view text) override {
    for (const char16_t c : text) ::PostMessageW(Target(form), WM_CHAR, c, 1);
    Pump();
  }
  void Press(Form& form, std::u16string_view control, int button) override {
    Win32Window& w = Window(form);
    const int id = form.Definition().Find(control);
    const platform::ControlDef& c = form.Definition().controls.at(static_cast<std::size_t>(id));
    if (HWND h = c.kind == platform::ControlKind::Label ? nullptr : w.ControlWindow(id)) {
      RECT r;
      ::GetClientRect(h, &r);
      Click(h, button, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    } else {
      const int container = c.container.empty() ? -1 : form.Definition().Find(c.container);
      const RECT r = w.ControlRect(id);
      Click(container < 0 ? w.Window() : w.ControlWindow(container), button, (r.left + r.right) / 2,
            (r.top + r.bottom) / 2);
    }
  }
  void PressSurface(Form& form, int button, int x, int y) override {
    Click(Window(form).Window(), button, x, y);
  }
  void Choose(Form& form, std::u16string_view control, int index) override {
    // A press on the box's arrow drops its list down; a press on the entry chooses it.
    HWND combo = Window(form).ControlWindow(form.Definition().Find(control));
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ::GetComboBoxInfo(combo, &info);
    Click(combo, 1, (info.rcButton.left + info.rcButton.right) / 2,
          (info.rcButton.top + info.rcButton.bottom) / 2);
    RECT item{};
    ::SendMessageW(info.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&item));
    const LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    ::PostMessageW(info.hwndList, WM_MOUSEMOVE, 0, at);
    ::PostMessageW(info.hwndList, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(info.hwndList, WM_LBUTTONUP, 0, at);
    Pump();
  }
  void CloseBox(Form& form) override {
    ::PostMessageW(Window(form).Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump();
  }
  void Post(platform::Hwnd hWnd, std::uint32_t uMsg, platform::WParam wParam,
            platform::LParam lParam) override {
    ::PostMessageW(reinterpret_cast<HWND>(hWnd), uMsg, wParam, lParam);
    Pump();
  }
  bool RunUntil(const std::function<bool()>& done, int timeoutMs) override {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      Pump();
      if (done()) return true;
      if (std::chrono::steady_clock::now() >= deadline) return false;
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
  }
  void AnswerPrintDialog(PrintDialogAnswer answer, platform::PrintChoice choice) override {
    modal_.NextPrintDialog(answer, choice);
  }
  void AnswerPopupMenu(std::optional<std::u16string> item) override {
    std::optional<int> position;
    // The item's place among the items that are not separators, in a loaded window's menu.
    for (const Form* form : item ? rt_.LoadedForms() : std::vector<Form*>{}) {
      for (const auto& menu : form->Definition().menus) {
        int place = 0;
        for (const auto& entry : menu.items) {
          if (entry.name == *item) position = place;
          if (!entry.IsSeparator()) ++place;
        }
      }
    }
    modal_.NextMenu(position);
  }
  void SetClock(const platform::DateTime& t) override {
    clock_ = std::make_unique<RunningClock>(t);
    rt_.UseClock(clock_.get());
  }
  std::u16string AppDir() override { return dir_.U16(); }

  std::u16string Focus(Form& form) override {
    HWND focus = ::GetFocus();
    if (focus == Window(form).Window()) return {};
    const auto& controls = form.Definition().controls;
    for (std::size_t i = 0; i < controls.size(); ++i) {
      HWND h = Window(form).ControlWindow(static_cast<int>(i));
      if (h && (h == focus || ::IsChild(h, focus))) return controls[i].name;
    }
    return u"(elsewhere)";
  }
  std::u16string Text(Form& form, std::u16string_view control) override {
    const int id = form.Definition().Find(control);
    HWND h = Window(form).ControlWindow(id);
    if (!h || form.Definition().controls[static_cast<std::size_t>(id)].kind ==
                  platform::ControlKind::Label) {
      return Window(form).GetText(id);  // painted on its window's surface
    }
    const auto length = static_cast<std::size_t>(::GetWindowTextLengthW(h));
    std::wstring text(length + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(::GetWindowTextW(h, text.data(), static_cast<int>(text.size()))));
    return platform::Narrow(text);
  }
  std::pair<int, int> Selection(Form& form, std::u16string_view control) override {
    DWORD start = 0, end = 0;
    ::SendMessageW(ControlWindow(form, control), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
  }
  int ListIndex(Form& form, std::u16string_view control) override {
    return static_cast<int>(::SendMessageW(ControlWindow(form, control), CB_GETCURSEL, 0, 0));
  }
  int Value(Form& form, std::u16string_view control) override {
    return ::SendMessageW(ControlWindow(form, control), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  }
  bool Visible(Form& form, std::u16string_view control) override {
    const int id = form.Definition().Find(control);
    HWND h = Window(form).ControlWindow(id);
    return h ? ::IsWindowVisible(h) != FALSE : Window(form).GetControlVisible(id);
  }
  bool WindowVisible(Form& form) override {
    return form.IsLoaded() && ::IsWindowVisible(Window(form).Window());
  }
  bool LoopEnded() override {
    Pump();
    return quit_;
  }
  std::vector<SeenMessageBox> MessageBoxes() override { return modal_.MessageBoxes(); }
  std::vector<PrintedDocument> Printed() override { return print_.done; }
  std::vector<std::u16string> ShellOpened() override {
    std::vector<std::u16string> opened;
    if (!browsers_) return opened;
    for (const std::string& line : browsers_->Starts()) {
      const auto open = line.find('['), close = line.rfind(']');
      if (open != std::string::npos && close > open)
        opened.push_back(platform::Utf8ToUtf16(line.substr(open + 1, close - open - 1)));
    }
    return opened;
  }

 private:
  // The clock the driver sets: from the time given, running on with the real one.
  class RunningClock final : public platform::Clock {
   public:
    explicit RunningClock(const platform::DateTime& t)
        : start_(t), since_(std::chrono::steady_clock::now()) {}
    platform::DateTime Now() const override {
      const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
          std::chrono::steady_clock::now() - since_);
      return start_.PlusMilliseconds(elapsed.count());
    }
    std::u16string DateTimeText(const platform::DateTime& t) const override {
      return platform::DefaultDateTimeText(t);
    }

   private:
    platform::DateTime start_;
    std::chrono::steady_clock::time_point since_;
  };

  static Win32Window& Window(Form& form) { return static_cast<Win32Window&>(form.Peer()); }
  static HWND ControlWindow(Form& form, std::u16string_view control) {
    return Window(form).ControlWindow(form.Definition().Find(control));
  }
  // Where the keyboard's messages go: the focused window when it is in form, or else form.
  static HWND Target(Form& form) {
    HWND window = Window(form).Window();
    HWND focus = ::GetFocus();
    return focus && (focus == window || ::IsChild(window, focus)) ? focus : window;
  }

  // A press and release of a mouse button at a client pixel of window.
  void Click(HWND window, int button, int x, int y) {
    const UINT down = button == 1 ? WM_LBUTTONDOWN : button == 2 ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
    const WPARAM held = button == 1 ? MK_LBUTTON : button == 2 ? MK_RBUTTON : MK_MBUTTON;
    const LPARAM at = MAKELPARAM(x, y);
    ::PostMessageW(window, WM_MOUSEMOVE, 0, at);
    ::PostMessageW(window, down, held, at);
    Pump();
    if (::IsWindow(window)) {
      ::PostMessageW(window, down + 1, 0, at);  // the button's up message follows its down
      Pump();
    }
  }
  // Delivers everything queued, as the program's message loop does.
  void Pump() {
    MSG msg;
    for (int idle = 0; idle < 2;) {
      if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ++idle;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, idle == 1 ? 0 : 5, QS_ALLINPUT);
        continue;
      }
      idle = 0;
      if (msg.message == WM_QUIT) {
        quit_ = true;
      } else {
        Win32Backend::Dispatch(msg);
      }
    }
  }

  testing::TempDir dir_;
  PrintLog print_;
  HDC metafile_ = ::CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  Win32Backend backend_{::GetModuleHandleW(nullptr)};
  platform::Runtime rt_{backend_};
  ModalAnswers modal_;
  std::unique_ptr<WineBrowserRecorder> browsers_;
  std::unique_ptr<RunningClock> clock_;
  bool quit_ = false;
};

}  // namespace

std::unique_ptr<Driver> MakeDriver() {
  return std::make_unique<Win32Driver>();
}

}  // namespace pindle::contract
