// The Windows backend's driver: the user's actions as the messages Windows would post for them,
// delivered by the backend's own loop; what is seen read from the windows.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>

#include "contract/driver.h"
#include "platform/text.h"
#include "platform/wide_text.h"
#include "platform/win32/win32_backend.h"
#include "platform/win32/win32_window.h"
#include "platform/win32/window_queries.h"
#include "temp_dir.h"

namespace pindle::contract {
namespace {

using namespace platform;
using win32::Win32Window;
using win32::WindowText;

std::wstring ClassOf(HWND h) {
  wchar_t name[64] = {};
  ::GetClassNameW(h, name, 64);
  return name;
}
void PostKey(HWND window, WPARAM vk) {
  ::PostMessageW(window, WM_KEYDOWN, vk, 1);
  ::PostMessageW(window, WM_KEYUP, vk, 0xC0000001);
}

class Win32Driver final : public Driver {
 public:
  Win32Driver() {
    current_ = this;
    rt_.UseAppPath(dir_.U16());
    const auto done = [](HDC) { return 1; };  // a page's end, an abort: nothing to keep
    backend_.CurrentPrinter().UseDeviceContext(
        metafile_,
        {[](HDC, const DOCINFOW*) { return current_->printing_ = {}, 1; },
         [](HDC) { return current_->printing_.pages.emplace_back(), 1; }, done,
         [](HDC) { return current_->printed_.push_back(std::move(current_->printing_)), 1; }, done,
         [](HDC dc, int x, int y, LPCWSTR text, int n) {
           current_->printing_.pages.back().push_back(Narrow({text, std::size_t(n)}));
           return win32::DrawLine(dc, x, y, text, n);
         }});
    backend_.PrintDialog().UseCalls({&AnswerPrintDlg, [] { return current_->printError_; }});
    RecordShell();
  }
  ~Win32Driver() override {
    for (const int id : heldHotkeys_) ::UnregisterHotKey(nullptr, id);
    if (rt_.AnyLoaded() && !rt_.Ended()) rt_.RunEvent([this] { rt_.End(); });
    Pump();  // the loop's stop too: the next run starts with an empty queue
    ::KillTimer(nullptr, timer_);
    ::DeleteEnhMetaFile(::CloseEnhMetaFile(metafile_));
    for (const auto& [name, old] : savedLists_)
      old ? SetList(name, *old) : void(::RegDeleteValueW(shellKey_, name));
    if (shellKey_) ::RegCloseKey(shellKey_);
    current_ = nullptr;
  }
  Win32Driver(const Win32Driver&) = delete;
  Win32Driver& operator=(const Win32Driver&) = delete;

  Runtime& Rt() override { return rt_; }

  void Key(Form& form, int vk, bool shift) override {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = static_cast<BYTE>(shift ? 0x80 : 0);  // as the dialog keys read it
    ::SetKeyboardState(keys);
    const LPARAM at = 1 | static_cast<LPARAM>(::MapVirtualKeyW(static_cast<UINT>(vk), 0)) << 16;
    Stroke(Target(form), WM_KEYDOWN, WPARAM(vk), at, WPARAM(vk), at | 0xC0000000);
    keys[VK_SHIFT] = 0;
    ::SetKeyboardState(keys);
  }
  void Type(Form& form, std::u16string_view text) override {
    for (const char16_t c : text) ::PostMessageW(Target(form), WM_CHAR, c, 1);
    Pump();
  }
  void Press(Form& form, std::u16string_view control, int button) override {
    ToFront(form);
    Win32Window& w = Window(form);
    const int id = form.Definition().Find(control);
    HWND h = w.ControlWindow(id);
    RECT r = w.ControlRect(id);  // a label is painted on its surface
    if (h) ::GetClientRect(h, &r);
    Click(h ? h : w.SurfaceOf(id), button, r);
  }
  void PressSurface(Form& form, int button, int x, int y) override {
    ToFront(form);
    Click(Window(form).NativeWindow(), button, {x, y, x, y});
  }
  void Choose(Form& form, std::u16string_view control, int index) override {
    // A press on the box's arrow drops its list down; a press on the entry chooses it.
    ToFront(form);
    HWND combo = ControlWindow(form, control);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ::GetComboBoxInfo(combo, &info);
    Click(combo, 1, info.rcButton);
    RECT item{};
    ::SendMessageW(info.hwndList, LB_GETITEMRECT, WPARAM(index), reinterpret_cast<LPARAM>(&item));
    Click(info.hwndList, 1, item);
  }
  void CloseBox(Form& form) override { Post(form.hWnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }
  void Post(Hwnd h, std::uint32_t msg, WParam w, LParam l) override {
    ::PostMessageW(reinterpret_cast<HWND>(h), msg, w, l), Pump();
  }
  bool RunUntil(const std::function<bool()>& done, int timeoutMs) override {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (Pump(); !done(); Pump()) {
      if (std::chrono::steady_clock::now() >= end) return false;
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
  }
  void AnswerPrintDialog(PrintDialogAnswer answer, PrintChoice choice) override {
    printAnswers_.push_back({answer, choice});
  }
  void AnswerPopupMenu(std::optional<std::u16string> item) override {
    std::optional<int> position;  // among the items of a loaded window's menu that are not bars
    for (const Form* form : item ? rt_.LoadedForms() : std::vector<Form*>{})
      for (const auto& menu : form->Definition().menus)
        for (int place = 0; const auto& entry : menu.items) {
          if (entry.name == *item) position = place;
          place += entry.IsSeparator() ? 0 : 1;
        }
    menuAnswers_.push_back(position);
  }

  std::u16string Focus(Form& form) override {
    HWND focus = ::GetFocus();
    if (focus == Window(form).NativeWindow()) return {};
    for (const auto& c : form.Definition().controls)
      if (HWND h = ControlWindow(form, c.name); h && (h == focus || ::IsChild(h, focus)))
        return c.name;
    return u"(elsewhere)";
  }
  std::u16string Text(Form& form, std::u16string_view control) override {
    HWND h = ControlWindow(form, control);  // none for a label: it is painted on its surface
    return h ? Narrow(WindowText(h)) : Window(form).GetText(form.Definition().Find(control));
  }
  int Value(Form& form, std::u16string_view control) override {
    HWND h = ControlWindow(form, control);
    if (KindOf(form, control) == ControlKind::ComboBox)
      return static_cast<int>(::SendMessageW(h, CB_GETCURSEL, 0, 0));
    return ::SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
  }
  bool Visible(Form& form, std::u16string_view control) override {
    const int id = form.Definition().Find(control);
    HWND h = Window(form).ControlWindow(id);
    return h ? ::IsWindowVisible(h) != FALSE : Window(form).GetControlVisible(id);
  }
  bool WindowVisible(Form& form) override {
    return form.IsLoaded() && ::IsWindowVisible(Window(form).NativeWindow());
  }
  bool LoopEnded() override { return Pump(), quit_; }
  std::vector<SeenMessageBox> MessageBoxes() override { return boxes_; }
  std::vector<PrintedDocument> Printed() override { return printed_; }
  std::vector<std::u16string> ShellOpened() override {
    std::vector<std::u16string> opened;
    std::ifstream in(shellDir_.Path() / "starts.txt");
    for (std::string line; std::getline(in, line);) opened.push_back(Utf8ToUtf16(line));
    return opened;
  }

  std::vector<std::u16string> Notices() override { return Pump(), notices_; }
  // As Windows ends a session: every top-level window of the program is asked, then told.
  bool EndSession() override {
    const std::vector<HWND> windows = win32::ThreadWindows(::GetCurrentThreadId());
    bool allowed = true;
    for (HWND h : windows)
      allowed = allowed && ::SendMessageW(h, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF) != FALSE;
    for (HWND h : windows)
      if (::IsWindow(h)) ::SendMessageW(h, WM_ENDSESSION, allowed, ENDSESSION_LOGOFF);
    Pump();
    return allowed;
  }
  // A window-less registration of this thread stands for the other program.
  bool HoldHotkeyElsewhere(unsigned modifiers, unsigned vk) override {
    const int id = 0xB000 + static_cast<int>(heldHotkeys_.size());
    if (!::RegisterHotKey(nullptr, id, modifiers, vk)) return false;
    heldHotkeys_.push_back(id);
    return true;
  }

 private:
  static Win32Window& Window(Form& form) { return static_cast<Win32Window&>(form.Peer()); }
  static HWND ControlWindow(Form& form, std::u16string_view control) {
    return Window(form).ControlWindow(form.Definition().Find(control));
  }
  // Where the keyboard's messages go: the focused window when it is in form, or else form.
  static HWND Target(Form& form) {
    HWND window = Window(form).NativeWindow(), focus = ::GetFocus();
    return focus && (focus == window || ::IsChild(window, focus)) ? focus : window;
  }
  // A press and release of a mouse button at the middle of r, in window's client pixels.
  // A user's press brings its window to the front first: an activation still under way (a window
  // or message box just closed) would take the mouse capture from a button between down and up.
  void ToFront(Form& form) {
    HWND window = Window(form).NativeWindow();
    ::SetForegroundWindow(window);
    RunUntil([&] { return ::GetForegroundWindow() == window; }, 1000);
  }
  void Click(HWND window, int button, const RECT& r) {
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    const UINT down = button == 1 ? WM_LBUTTONDOWN : button == 2 ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
    const WPARAM held = button == 1 ? MK_LBUTTON : button == 2 ? MK_RBUTTON : MK_MBUTTON;
    ::PostMessageW(window, WM_MOUSEMOVE, 0, at);
    Stroke(window, down, held, at, 0, at);
  }
  // A key's or button's down message, then its up unless the down closed the window.
  void Stroke(HWND h, UINT down, WPARAM w, LPARAM at, WPARAM upW, LPARAM upAt) {
    ::PostMessageW(h, down, w, at);
    Pump();
    if (::IsWindow(h) && ::PostMessageW(h, down + 1, upW, upAt)) Pump();
  }
  void Pump() {  // delivers everything queued, as the program's message loop does
    MSG msg;
    for (int idle = 0; idle < 2;) {  // two looks at an empty queue, the second after 5 ms
      if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, idle++ == 0 ? 0 : 5, QS_ALLINPUT);
        continue;
      }
      idle = 0;
      quit_ = quit_ || msg.message == WM_QUIT;
      if (msg.message != WM_QUIT) win32::Win32Backend::Dispatch(msg);
    }
  }

  // From the thread timer: an open menu gets its answer (down to the item, then Enter), or
  // none after a second; an open message box is read and answered OK.  A message box of the
  // program's other threads is a notice.
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (!current_) return;
    Win32Driver& d = *current_;
    for (HWND menu : win32::ThreadWindows(::GetCurrentThreadId())) {
      if (ClassOf(menu) != L"#32768" || !::IsWindowVisible(menu)) continue;
      if (d.menuAnswers_.empty() && ++d.menuTicks_ <= 20) return;
      const std::optional<int> item = Next(d.menuAnswers_).value_or(std::nullopt);
      d.menuTicks_ = 0;
      if (!item) return void(::EndMenu());
      for (int i = 0; i <= *item; ++i) PostKey(menu, VK_DOWN);
      return PostKey(menu, VK_RETURN);
    }
    d.menuTicks_ = 0;
    ::EnumWindows([](HWND box, LPARAM) { return current_->Answer(box), TRUE; }, 0);
  }
  void Answer(HWND box) {
    DWORD process = 0;
    const DWORD thread = ::GetWindowThreadProcessId(box, &process);
    if (process != ::GetCurrentProcessId() || ClassOf(box) != L"#32770" ||
        !::IsWindowVisible(box) || std::count(answered_.begin(), answered_.end(), box))
      return;
    const SeenMessageBox seen = Read(box);
    thread == ::GetCurrentThreadId() ? boxes_.push_back(seen) : notices_.push_back(seen.prompt);
    answered_.push_back(box);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
  }
  static SeenMessageBox Read(HWND box) {
    SeenMessageBox seen{{}, kMbOk, Narrow(WindowText(box))};
    for (HWND c = ::GetWindow(box, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
      if (ClassOf(c) != L"Static") continue;
      if ((::GetWindowLongPtrW(c, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
        seen.prompt += Narrow(WindowText(c));
      else if (::SendMessageW(c, STM_GETICON, 0, 0) ==
               reinterpret_cast<LRESULT>(::LoadIconW(nullptr, IDI_HAND)))
        seen.style = kMbIconStop;
    }
    return seen;
  }

  // In place of the system's print dialog (the end-to-end script uses the real one).
  static BOOL WINAPI AnswerPrintDlg(LPPRINTDLGW pd) {
    const auto next =
        Next(current_->printAnswers_).value_or(std::pair{PrintDialogAnswer::Cancel, PrintChoice{}});
    current_->printError_ = next.first == PrintDialogAnswer::Fail ? PDERR_NODEFAULTPRN : 0;
    if (next.first != PrintDialogAnswer::Ok) return FALSE;
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_COPIES | DM_ORIENTATION;
    mode.dmCopies = next.second.copies;
    mode.dmOrientation = static_cast<short>(
        next.second.orientation == kLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT);
    pd->hDevMode = ::GlobalAlloc(GMEM_MOVEABLE, sizeof mode);  // no name: this driver prints
    std::memcpy(::GlobalLock(pd->hDevMode), &mode, sizeof mode);
    ::GlobalUnlock(pd->hDevMode);
    return TRUE;
  }

  // Under Wine, ShellExecute hands mail and web targets to winebrowser, which starts the first
  // program of its Mailers or Browsers list (HKCU\Software\Wine\WineBrowser) with the target
  // last: here a script that writes it to starts.txt.  The lists go back with the driver.
  void RecordShell() {
    using UnixName = char* (*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unixName ? unixName(shellDir_.Path().wstring().c_str()) : nullptr;
    if (!name) return;
    const std::string dir = name;
    ::HeapFree(::GetProcessHeap(), 0, name);
    shellDir_.Write("record.sh",
                    "for a; do t=\"$a\"; done\nprintf '%s\\n' \"$t\" >>'" + dir + "/starts.txt'\n");
    ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineBrowser", 0, nullptr, 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &shellKey_, nullptr);
    for (const wchar_t* list : {L"Browsers", L"Mailers"}) {
      wchar_t old[2048];
      DWORD size = sizeof old;
      const bool had = ::RegGetValueW(shellKey_, nullptr, list, RRF_RT_REG_SZ, nullptr, old,
                                      &size) == ERROR_SUCCESS;
      savedLists_.emplace_back(list, had ? std::optional<std::wstring>(old) : std::nullopt);
      SetList(list, L"/bin/sh \"" + std::wstring(dir.begin(), dir.end()) + L"/record.sh\"");
    }
  }
  void SetList(const wchar_t* name, const std::wstring& value) {
    ::RegSetValueExW(shellKey_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  }

  testing::TempDir dir_, shellDir_;
  static inline Win32Driver* current_ = nullptr;  // the one driver, for the callbacks
  std::vector<PrintedDocument> printed_;
  PrintedDocument printing_;
  HDC metafile_ = ::CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  win32::Win32Backend backend_{::GetModuleHandleW(nullptr)};
  Runtime rt_{backend_};
  UINT_PTR timer_ = ::SetTimer(nullptr, 0, 50, &OnTimer);
  std::vector<SeenMessageBox> boxes_;
  std::vector<std::u16string> notices_;
  std::vector<HWND> answered_;
  std::vector<int> heldHotkeys_;
  std::deque<std::optional<int>> menuAnswers_;
  int menuTicks_ = 0;  // ticks an open menu without an answer has seen
  std::deque<std::pair<PrintDialogAnswer, PrintChoice>> printAnswers_;
  DWORD printError_ = 0;
  HKEY shellKey_ = nullptr;
  std::vector<std::pair<const wchar_t*, std::optional<std::wstring>>> savedLists_;
  bool quit_ = false;
};

}  // namespace

std::unique_ptr<Driver> MakeDriver() {
  return std::make_unique<Win32Driver>();
}

}  // namespace pindle::contract
