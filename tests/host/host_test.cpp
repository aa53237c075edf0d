// The tray host: its icon and menu, the single-instance rule, the hotkeys and the hook.
#include <algorithm>
#include <filesystem>

#include "headless_fixture.h"
#include "host/form1.h"
#include "host/module2.h"
#include "memo/dialog_data_list.h"
#include "memo/frm_main.h"
#include "platform/tray_icon_data.h"

namespace pindle {
namespace {

using platform::FixedTip;
using platform::Hwnd;
using platform::LParam;
using platform::NotifyIconData;
using platform::WParam;
using platform::headless::OsCall;
namespace msg = platform::msg;

class HostTest : public testing::HeadlessTest {
 protected:
  Hwnd Host() { return Window(u"Form1").Handle(); }
  bool AltF(unsigned n) { return backend.PressHotkey(platform::kModAlt, 0x6F + n); }
  // The user right-clicks the tray icon and picks an item (or nothing).
  void Menu(std::optional<std::u16string> item) {
    backend.OnNextPopupMenu(std::move(item));
    backend.TrayMouse(msg::kRButtonDown);
  }
};

TEST_F(HostTest, StartUpAddsTheIconRegistersTheHotkeysThenHooksAndEndUndoesItInOrder) {
  rt.Start<Form1>();
  const auto h = static_cast<long long>(Host());
  const auto& calls = backend.Os().Calls();
  ASSERT_EQ(calls.size(), 9u);
  const auto record = calls[1].record;
  std::vector<OsCall> expected{{"RegisterWindowMessageA", {}, u"TaskbarCreated", {}},
                               {"Shell_NotifyIconA", {0}, {}, record}};
  for (int i = 1; i <= 3; ++i)
    expected.push_back({"GlobalAddAtomA", {}, u"HOTKEY" + platform::DecimalText(i), {}});
  for (int i = 0; i < 3; ++i)  // the atoms 0xC0A5.. sign-extended
    expected.push_back({"RegisterHotKey", {h, -16219 + i, 1, 0x70 + i}, {}, {}});
  expected.push_back({"SetWindowLongA", {h, -4}, {}, {}});
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(std::string(record.begin() + 24, record.end()),
            std::string("SysInfo\0", 8) + std::string(56, ' '));
  const auto& tray = backend.Os().Tray();
  ASSERT_TRUE(tray.has_value());
  EXPECT_EQ(
      std::tie(tray->hWnd, tray->uID, tray->uFlags, tray->uCallbackMessage, tray->hIcon,
               tray->szTip),
      std::tuple(Host(), 1, 7, 519, Window(u"Form1").IconHandle(), std::u16string(u"SysInfo")));
  EXPECT_FALSE(Window(u"Form1").IsVisible());
  rt.Instance<Form1>().SetVisible(true);
  Window(u"Form1").Click(u"cmdHide");
  EXPECT_FALSE(Window(u"Form1").IsVisible());

  Menu(u"end");
  expected.clear();
  for (int i = 0; i < 3; ++i) expected.push_back({"UnregisterHotKey", {h, -16219 + i}, {}, {}});
  for (int i = 0; i < 3; ++i) expected.push_back({"GlobalDeleteAtom", {0xC0A5 + i}, {}, {}});
  expected.push_back({"SetWindowLongA", {h, -4}, {}, {}});
  expected.push_back({"Shell_NotifyIconA", {2}, {}, record});
  EXPECT_EQ(std::vector(calls.begin() + 9, calls.end()), expected);
  EXPECT_EQ(Module2::Values().PrevWndProc, platform::ProcAddress(&platform::RuntimeWindowProc));
  EXPECT_FALSE(backend.Os().Chain().Contains(Hwnd(h))) << "unhooked";
  EXPECT_FALSE(Loaded(u"Form1"));
  EXPECT_EQ(backend.Quits(), 1) << "no window is left, so the program ends";
}

TEST(TrayRecordTest, KeepsTheLow32BitsOfItsHandlesAndReadsThemBackSignExtended) {
  const auto bytes = NotifyIconData{.cbSize = 88,
                                    .hWnd = static_cast<Hwnd>(0xFFFFFFFF80123456ull & UINTPTR_MAX),
                                    .hIcon = -2,
                                    .szTip = FixedTip(u"SysInfo")}
                         .Bytes();
  EXPECT_EQ(std::string(bytes.begin() + 4, bytes.begin() + 8) +
                std::string(bytes.begin() + 20, bytes.begin() + 24),
            "\x56\x34\x12\x80\xFE\xFF\xFF\xFF");
  const auto read = NotifyIconData::FromBytes(bytes);
  ASSERT_TRUE(read);
  EXPECT_EQ(
      std::tuple(read->hWnd, read->hIcon, read->szTip),
      std::tuple(static_cast<Hwnd>(-0x7FEDCBAA), std::intptr_t{-2}, std::u16string(u"SysInfo")));
  EXPECT_FALSE(NotifyIconData::FromBytes(std::span(bytes).first(87)));
}

TEST_F(HostTest, TheTrayIconsMouseMessagesBeepOpenTheQuickMemoOrTheMenu) {
  backend.twipsPerPixel = 12.0f;  // 120 dpi: 516 arrives as X = 6192 twips
  rt.Start<Form1>();
  for (const std::uint32_t m : {msg::kMouseMove, msg::kLButtonUp, msg::kRButtonUp,
                                msg::kMButtonDown, 0x0208u, 0x0206u, 0u, 0xFFFFu})
    backend.TrayMouse(m);
  EXPECT_EQ(backend.Beeps(), 0);
  backend.TrayMouse(msg::kLButtonDown);
  EXPECT_EQ(backend.Beeps(), 1);
  EXPECT_FALSE(Loaded(u"frmMain"));
  backend.TrayMouse(msg::kLButtonDblClk);
  EXPECT_EQ(backend.Beeps(), 1);
  EXPECT_TRUE(Window(u"frmMain").IsVisible());
  rt.RunEvent([this] { rt.Unload<frmMain>(); });

  Menu(std::nullopt);
  Menu(u"bar");
  EXPECT_EQ(backend.WindowsCreated(), 2) << "no choice and the separator do nothing";
  ASSERT_EQ(backend.Popups().size(), 2u);
  const auto& popup = backend.Popups()[0];
  EXPECT_EQ(std::tie(popup.menu, popup.flags, popup.hWnd),
            std::tuple(std::u16string(u"mnuPopUp"), 2, Host()));
  for (const auto& [item, window] : {std::pair{u"memo", u"frmMain"},
                                     {u"customise", u"Dialog_DataList"},
                                     {u"manual", u"frmTip"},
                                     {u"aboutme", u"frmAbout"}}) {
    Menu(item);
    EXPECT_EQ(backend.ZOrder().front(), window);
  }
}

// The refused copy's End stops the message loop once, not again as the runtime goes: a second
// stop would end the next message box before it shows.
TEST(HostEndTest, ASecondCopyIsRefusedWithoutTouchingAnythingAndStopsTheLoopOnce) {
  platform::headless::HeadlessBackend backend;
  backend.prevInstance = true;
  {
    platform::Runtime rt(backend);
    rt.Start<Form1>();
    EXPECT_EQ(std::pair(rt.Ended(), rt.AnyLoaded()), std::pair(true, false));
  }
  EXPECT_EQ(backend.Quits(), 1);
  ASSERT_EQ(backend.MessageBoxes().size(), 1u);
  const auto& box = backend.MessageBoxes()[0];
  EXPECT_EQ(std::tie(box.prompt, box.title, box.style),
            std::tuple(std::u16string(u"Pindleは既に起動しています。"),
                       std::u16string(u"Pindleの二重起動は禁止です"), 16));
  EXPECT_TRUE(backend.Os().Calls().empty()) << "no icon, atom, hotkey or hook";
}

TEST_F(HostTest, TheIconComesBackWithTheTaskbarAndIsTriedAgainWhileTheTaskbarIsMissing) {
  rt.Start<Form1>();
  const auto record = backend.Os().Calls()[1].record;
  backend.Os().RestartTaskbar();
  backend.PumpMessages();
  ASSERT_TRUE(backend.Os().Tray().has_value());
  EXPECT_EQ(std::vector(backend.Os().Calls().begin() + 9, backend.Os().Calls().end()),
            (std::vector<OsCall>{{"Shell_NotifyIconA", {0}, {}, record}}));

  // Refused at logon: tried again by the timer (way 0) or on "TaskbarCreated" (1), then no
  // more; with no taskbar ever (2), the tries stop after a while; refused when the taskbar came
  // back (3): tried again by the timer.
  for (const int way : {0, 1, 2, 3}) {
    platform::headless::HeadlessBackend b;
    b.appPath = dir.U16();
    b.Os().taskbarMissing = way != 3;
    platform::Runtime r(b);
    r.Start<Form1>();
    if (way == 3) b.Os().RestartTaskbar(), b.Os().taskbarMissing = true;
    b.PumpMessages();  // the icon comes back, but the taskbar is not ready for it yet
    EXPECT_TRUE(b.PressHotkey(platform::kModAlt, 0x70)) << "hotkeys work meanwhile";
    b.Advance(4000);
    EXPECT_FALSE(b.Os().Tray().has_value());
    b.Os().taskbarMissing = way == 2;
    if (way == 1) b.Os().RestartTaskbar();
    b.PumpMessages();
    b.Advance(2000);
    EXPECT_EQ(b.Os().Tray().has_value(), way != 2) << way;
    const std::size_t calls = b.Os().Calls().size();
    b.Advance(60'000);
    const auto names = b.Os().CallNames();
    if (way == 2)
      EXPECT_EQ(std::count(names.begin(), names.end(), "Shell_NotifyIconA"), 16);
    else
      EXPECT_EQ(names.size(), calls) << "no more tries once it is in";
  }
}

using Seen = std::tuple<Hwnd, std::uint32_t, WParam, LParam>;
std::vector<Seen> g_seen;
// Stands in for the procedure that was in place before the hook: records and answers.
platform::LResult PINDLE_CALLBACK Previous(Hwnd h, std::uint32_t m, WParam w, LParam l) {
  g_seen.emplace_back(h, m, w, l);
  platform::RuntimeWindowProc(h, m, w, l);
  return 0x1234;
}

TEST_F(HostTest, AltF1F2F3ActOnTheirSignExtendedAtomsAndEveryMessageGoesOnUnchanged) {
  rt.Start<Form1>();
  Module2::Values().PrevWndProc = platform::ProcAddress(&Previous);
  const Hwnd h = Host();
  const auto id = [](std::intptr_t i) { return static_cast<WParam>(i); };
  // A message, and the windows shown after it, front to back.
  const std::pair<Seen, std::vector<std::u16string>> steps[] = {
      {{h, 0x0010, 7, -8}, {}},
      {{h, msg::kHotKey, 49317, 0}, {}},  // 0xC0A5 without its sign
      {{h, msg::kHotKey, 0, 0}, {}},
      {{h, msg::kHotKey, id(-16218), 0}, {}},  // Alt+F2 with nothing to close
      {{h, msg::kHotKey, id(-16217), 0}, {u"Dialog_DataList"}},
      {{h, msg::kHotKey, id(-16219), 0x700001}, {u"frmMain", u"Dialog_DataList"}},
      {{h, msg::kHotKey, id(-16217), 0}, {u"Dialog_DataList", u"frmMain"}},
      {{h, msg::kHotKey, id(-16219), 0}, {u"frmMain", u"Dialog_DataList"}},
      {{h, msg::kHotKey, id(-16218), 0}, {u"Dialog_DataList"}},
      {{h, msg::kHotKey, 0xFFFFC0A5u, 0}, {u"frmMain", u"Dialog_DataList"}},  // low 32 bits
      {{h, msg::kMButtonDown, 1, msg::kLButtonDown}, {u"frmMain", u"Dialog_DataList"}}};
  g_seen.clear();
  std::vector<Seen> sent;
  for (const auto& [message, windows] : steps) {
    const auto& [hw, m, w, l] = message;
    EXPECT_EQ(backend.Os().SendMessage(hw, m, w, l), 0x1234);
    EXPECT_EQ(backend.ZOrder(), windows) << m << " " << w;
    sent.push_back(message);
  }
  EXPECT_EQ(g_seen, sent);
  EXPECT_EQ(backend.Beeps(), 1) << "the tray callback goes on to the runtime";
  // With no procedure behind it, a message ends in the hook, answered 0.
  Module2::Values().PrevWndProc = 0;
  EXPECT_EQ(backend.Os().SendMessage(h, 0x0010, 7, -8), 0);
  EXPECT_EQ(g_seen.size(), sent.size());
  rt.Unload<Form1>();  // and the end has no procedure to put back
  const auto names = backend.Os().CallNames();
  EXPECT_EQ(std::count(names.begin(), names.end(), "SetWindowLongA"), 1);
}

TEST_F(HostTest, AHotkeyWhileAnActionRunsIsDroppedAndOneHeldElsewhereIsToldWithoutWaiting) {
  backend.Os().TakeHotkeyElsewhere(platform::kModAlt, kVkF2);
  rt.Start<Form1>();
  // The quick memo cannot read memo.txt and says so; Alt+F3 while that box is open is dropped.
  std::filesystem::create_directory(dir.Path() / "memo.txt");
  backend.OnNextMessageBox([this] {
    AltF(3);
    return platform::kIdOk;
  });
  AltF(1);
  EXPECT_THAT(StopBox(0), ::testing::HasSubstr("memo.txt"));
  EXPECT_FALSE(Loaded(u"frmMain")) << "an unreadable memo leaves no window";
  EXPECT_FALSE(Loaded(u"Dialog_DataList"));
  EXPECT_FALSE(Module2::Values().InWindowProc);
  std::filesystem::remove(dir.Path() / "memo.txt");
  AltF(3);
  EXPECT_TRUE(Loaded(u"Dialog_DataList")) << "hotkeys work again once the action is over";
  AltF(1);
  EXPECT_FALSE(AltF(2)) << "Alt+F2 goes to the other program";
  EXPECT_TRUE(Loaded(u"frmMain"));
  EXPECT_EQ(backend.MessageBoxes().size(), 1u) << "nothing waits for an answer";
  ASSERT_EQ(backend.Notices().size(), 1u);
  EXPECT_NE(backend.Notices()[0].find(u"Alt+F2: 他のプログラム"), std::u16string::npos);
}

}  // namespace
}  // namespace pindle
