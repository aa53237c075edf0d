// The tray host on the in-memory machine: start-up and shut-down orders, the tray icon's mouse
// messages and menu, the icon coming back or coming late, the single-instance rule, the global
// hotkeys and the hooked window procedure.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>
#include <vector>

#include "headless_fixture.h"
#include "host/form1.h"
#include "host/module2.h"
#include "host/tray_icon_data.h"
#include "memo/dialog_data_list.h"
#include "memo/frm_main.h"
#include "temp_dir.h"

namespace pindle {
namespace {

using platform::Hwnd;
using platform::LParam;
using platform::LResult;
using platform::WParam;
using platform::headless::OsCall;
using ::testing::ElementsAre;
namespace msg = platform::msg;

class HostTest : public testing::HeadlessTest {
 protected:
  HostTest() { backend.appPath = dir.U16(); }

  void StartProgram() { rt.Start<Form1>(); }
  Hwnd HostHandle() { return Window(u"Form1").Handle(); }
  std::vector<std::string> CallsFrom(std::size_t first) const {
    const auto names = backend.Machine().CallNames();
    return {names.begin() + static_cast<std::ptrdiff_t>(first), names.end()};
  }
  bool AltF(unsigned n) { return backend.PressHotkey(platform::kModAlt, 0x6F + n); }
  // The user right-clicks the tray icon and picks an item (or nothing).
  void ChooseFromTrayMenu(std::optional<std::u16string> item) {
    backend.OnNextPopupMenu(std::move(item));
    backend.TrayMouse(msg::kRButtonDown);
  }
  void SendHotkey(WParam id) {
    backend.Machine().PostMessage(HostHandle(), msg::kHotKey, id, 0);
    backend.PumpMessages();
  }

  testing::TempDir dir;
};

TEST_F(HostTest, StartUpAddsTheIconRegistersTheHotkeysThenHooksAndEndUndoesItInOrder) {
  StartProgram();
  const auto h = static_cast<long long>(HostHandle());
  const auto& calls = backend.Machine().Calls();
  ASSERT_EQ(calls.size(), 9u);
  EXPECT_EQ(calls[0], (OsCall{"RegisterWindowMessageA", {}, u"TaskbarCreated", {}}));
  EXPECT_EQ(calls[1].name, "Shell_NotifyIconA");
  EXPECT_THAT(calls[1].args, ElementsAre(0));
  // The record: 88 bytes, the tip "SysInfo", a NUL and blanks.
  ASSERT_EQ(calls[1].record.size(), 88u);
  EXPECT_EQ(std::string(calls[1].record.begin() + 24, calls[1].record.end()),
            std::string("SysInfo\0", 8) + std::string(56, ' '));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(calls[2 + i],
              (OsCall{"GlobalAddAtomA", {}, u"HOTKEY" + platform::DecimalText(i + 1), {}}));
    // Atoms 0xC0A5.. widened with sign extension: -16219, -16218, -16217.
    EXPECT_EQ(calls[5 + i], (OsCall{"RegisterHotKey", {h, -16219 + i, 1, 0x70 + i}, {}, {}}));
  }
  EXPECT_EQ(calls[8], (OsCall{"SetWindowLongA", {h, -4}, {}, {}}));
  EXPECT_FALSE(Window(u"Form1").IsVisible());
  const auto& tray = backend.Machine().Tray();
  ASSERT_TRUE(tray.has_value());
  EXPECT_EQ(tray->tip, "SysInfo");
  EXPECT_EQ(tray->hWnd, HostHandle());
  EXPECT_EQ(tray->callbackMessage, 519u);
  EXPECT_EQ(tray->hIcon, static_cast<std::uint32_t>(Window(u"Form1").IconHandle()));

  rt.Instance<Form1>().SetVisible(true);
  Window(u"Form1").Click(u"cmdHide");
  EXPECT_FALSE(Window(u"Form1").IsVisible());

  const auto addRecord = calls[1].record;
  ChooseFromTrayMenu(u"end");
  EXPECT_THAT(CallsFrom(9), ElementsAre("UnregisterHotKey", "UnregisterHotKey", "UnregisterHotKey",
                                        "GlobalDeleteAtom", "GlobalDeleteAtom", "GlobalDeleteAtom",
                                        "SetWindowLongA", "Shell_NotifyIconA"));
  EXPECT_EQ(calls[9], (OsCall{"UnregisterHotKey", {h, -16219}, {}, {}}));
  EXPECT_EQ(calls[11], (OsCall{"UnregisterHotKey", {h, -16217}, {}, {}}));
  EXPECT_THAT(calls[12].args, ElementsAre(0xC0A5));
  EXPECT_THAT(calls[14].args, ElementsAre(0xC0A7));
  EXPECT_EQ(calls.back().args, std::vector<long long>{2});
  EXPECT_EQ(calls.back().record, addRecord);
  EXPECT_EQ(backend.Machine().AtomUses(u"HOTKEY1"), 0);
  EXPECT_FALSE(Loaded(u"Form1"));
  EXPECT_EQ(backend.Quits(), 1) << "no window is left, so the program ends";
}

TEST_F(HostTest, TheTrayRecordKeepsTheLow32BitsOfItsHandles) {
  const NotifyIconData record{88,
                              static_cast<Hwnd>(0xFFFFFFFF80123456ull & UINTPTR_MAX),
                              1,
                              7,
                              519,
                              -2,
                              FixedTip(u"SysInfo")};
  const auto bytes = record.Bytes();
  EXPECT_THAT(std::vector(bytes.begin() + 4, bytes.begin() + 8),
              ElementsAre(0x56, 0x34, 0x12, 0x80));
  EXPECT_THAT(std::vector(bytes.begin() + 20, bytes.begin() + 24),
              ElementsAre(0xFE, 0xFF, 0xFF, 0xFF));
}

TEST_F(HostTest, TheTrayIconsMouseMessagesBeepOpenTheQuickMemoOrTheMenu) {
  backend.twipsPerPixel = 12.0f;  // 120 dpi: 516 arrives as X = 6192 twips
  StartProgram();
  for (const std::uint32_t m : {msg::kMouseMove, msg::kLButtonUp, msg::kRButtonUp,
                                msg::kMButtonDown, 0x0208u, 0x0206u, 0u, 0xFFFFu}) {
    backend.TrayMouse(m);
  }
  EXPECT_EQ(backend.Beeps(), 0);
  EXPECT_TRUE(backend.Popups().empty());
  backend.TrayMouse(msg::kLButtonDown);
  EXPECT_EQ(backend.Beeps(), 1);
  EXPECT_FALSE(Loaded(u"frmMain"));
  backend.TrayMouse(msg::kLButtonDblClk);  // after a press of its own, which beeped
  EXPECT_EQ(backend.Beeps(), 1);
  EXPECT_TRUE(Window(u"frmMain").IsVisible());
  backend.TrayMouse(msg::kLButtonDblClk);
  EXPECT_EQ(backend.WindowsCreated(), 2) << "a shown window is only brought forward";
  rt.RunEvent([this] { rt.Unload<frmMain>(); });

  ChooseFromTrayMenu(std::nullopt);
  ASSERT_EQ(backend.Popups().size(), 1u);
  EXPECT_EQ(backend.Popups()[0].menu, u"mnuPopUp");
  EXPECT_EQ(backend.Popups()[0].flags, 2);
  EXPECT_EQ(backend.Popups()[0].hWnd, HostHandle());
  ChooseFromTrayMenu(u"bar");
  EXPECT_EQ(backend.WindowsCreated(), 2) << "no choice and the separator do nothing";
  int created = 2;
  for (const auto& [item, window] : {std::pair{u"memo", u"frmMain"},
                                     {u"customise", u"Dialog_DataList"},
                                     {u"manual", u"frmTip"},
                                     {u"aboutme", u"frmAbout"}}) {
    ChooseFromTrayMenu(item);
    ChooseFromTrayMenu(item);
    EXPECT_TRUE(Window(window).IsVisible());
    EXPECT_EQ(backend.ZOrder().front(), window) << "shown in front";
    EXPECT_EQ(backend.WindowsCreated(), ++created) << "once, even when chosen twice";
  }
}

TEST_F(HostTest, ASecondCopyIsRefusedWithoutTouchingAnythingAndStopsTheLoopOnce) {
  backend.prevInstance = true;
  StartProgram();
  ASSERT_EQ(backend.MessageBoxes().size(), 1u);
  EXPECT_EQ(backend.MessageBoxes()[0].prompt, u"Pindleは既に起動しています。");
  EXPECT_EQ(backend.MessageBoxes()[0].title, u"Pindleの二重起動は禁止です");
  EXPECT_EQ(backend.MessageBoxes()[0].style, 16);
  EXPECT_TRUE(rt.Ended());
  EXPECT_FALSE(rt.AnyLoaded());
  EXPECT_TRUE(backend.Machine().Calls().empty()) << "no icon, atom, hotkey or hook";
}

// The refused copy's End stops the message loop once, not again as the runtime goes: a second
// stop would end the next message box before it shows.
TEST(HostEndTest, ARefusedCopyTellsTheLoopToStopOnce) {
  platform::headless::HeadlessBackend backend;
  backend.prevInstance = true;
  {
    platform::Runtime rt(backend);
    rt.Start<Form1>();
  }
  EXPECT_EQ(backend.Quits(), 1);
}

TEST_F(HostTest, TheIconComesBackWithTheTaskbarAndIsTriedAgainWhileTheTaskbarIsMissing) {
  StartProgram();
  const auto addRecord = backend.Machine().Calls()[1].record;
  backend.Machine().RestartTaskbar();
  EXPECT_FALSE(backend.Machine().Tray().has_value());
  backend.PumpMessages();
  ASSERT_TRUE(backend.Machine().Tray().has_value());
  ASSERT_THAT(CallsFrom(9), ElementsAre("Shell_NotifyIconA"));
  EXPECT_EQ(backend.Machine().Calls().back().args, std::vector<long long>{0});
  EXPECT_EQ(backend.Machine().Calls().back().record, addRecord);
  ChooseFromTrayMenu(u"memo");
  EXPECT_TRUE(Loaded(u"frmMain")) << "the menu works through the icon that came back";

  // Refused at logon: tried again by the timer or by "TaskbarCreated", then no more; with no
  // taskbar ever, the tries stop after a while.
  for (const int way : {0, 1, 2}) {
    platform::headless::HeadlessBackend b;
    b.appPath = dir.U16();
    b.Machine().taskbarMissing = true;
    platform::Runtime r(b);
    r.Start<Form1>();
    EXPECT_TRUE(b.PressHotkey(platform::kModAlt, 0x70)) << "hotkeys work meanwhile";
    b.Advance(4000);
    EXPECT_FALSE(b.Machine().Tray().has_value());
    b.Machine().taskbarMissing = way == 2;
    if (way == 1) b.Machine().RestartTaskbar();
    b.PumpMessages();
    b.Advance(2000);
    EXPECT_EQ(b.Machine().Tray().has_value(), way != 2) << way;
    const std::size_t calls = b.Machine().Calls().size();
    b.Advance(60'000);
    const auto names = b.Machine().CallNames();
    EXPECT_EQ(b.Machine().Calls().size(), way == 2 ? names.size() : calls) << way;
    if (way == 2) {
      EXPECT_EQ(std::count(names.begin(), names.end(), "Shell_NotifyIconA"), 16);
    }
  }
}

TEST_F(HostTest, AltF1F2F3OpenAndCloseTheWindowsAndEndTakesTheHotkeysAtOnce) {
  StartProgram();
  EXPECT_TRUE(AltF(2)) << "nothing to close";
  EXPECT_EQ(backend.WindowsCreated(), 1) << "not loaded first";
  AltF(3);
  AltF(1);
  EXPECT_EQ(backend.ZOrder().front(), u"frmMain");
  rt.Show<Dialog_DataList>();
  AltF(1);
  EXPECT_EQ(backend.ZOrder().front(), u"frmMain") << "brought forward";
  EXPECT_EQ(backend.WindowsCreated(), 3) << "host, editor, quick memo";
  AltF(2);
  EXPECT_FALSE(Loaded(u"frmMain"));
  AltF(1);
  const Hwnd h = HostHandle();
  ChooseFromTrayMenu(u"end");
  EXPECT_FALSE(AltF(1)) << "the hotkeys are gone at once";
  EXPECT_FALSE(AltF(2));
  EXPECT_TRUE(Window(u"frmMain").IsVisible());
  EXPECT_EQ(backend.Quits(), 0);
  // Another program can take them now; the hook put the previous procedure back.
  EXPECT_EQ(
      backend.Machine().RegisterHotKey(Window(u"frmMain").Handle(), 1, platform::kModAlt, kVkF1),
      1);
  EXPECT_EQ(Module2::Values().PrevWndProc, platform::ProcAddress(&platform::RuntimeWindowProc));
  EXPECT_FALSE(backend.Machine().Chain().Contains(h));
  rt.RunEvent([this] { rt.Unload<Dialog_DataList>(); });
  rt.RunEvent([this] { rt.Unload<frmMain>(); });
  EXPECT_EQ(backend.Quits(), 1);
}

TEST_F(HostTest, OnlyTheSignExtendedAtomIsTheIdentifier) {
  StartProgram();
  for (const WParam other : {WParam{49317}, WParam{12345}, WParam{0}}) SendHotkey(other);
  EXPECT_EQ(backend.WindowsCreated(), 1);
  SendHotkey(0xFFFFC0A5u);  // all 32 bits of wParam are compared
  EXPECT_TRUE(Loaded(u"frmMain"));
  SendHotkey(static_cast<WParam>(static_cast<std::intptr_t>(-16218)));
  EXPECT_FALSE(Loaded(u"frmMain"));
}

using Seen = std::tuple<Hwnd, std::uint32_t, WParam, LParam>;
std::vector<Seen> g_seen;
// Stands in for the procedure that was in place before the hook: records and answers.
LResult PINDLE_CALLBACK Previous(Hwnd h, std::uint32_t m, WParam w, LParam l) {
  g_seen.emplace_back(h, m, w, l);
  platform::RuntimeWindowProc(h, m, w, l);
  return 0x1234;
}

TEST_F(HostTest, EveryMessageReachesThePreviousProcedureUnchangedWithItsResult) {
  StartProgram();
  Module2::Values().PrevWndProc = platform::ProcAddress(&Previous);
  const Hwnd h = HostHandle();
  const WParam f1 = static_cast<WParam>(static_cast<std::intptr_t>(-16219));
  const Seen sent[] = {{h, 0x0010, 7, -8},
                       {h, msg::kHotKey, f1, 0x700001},
                       {h, msg::kHotKey, 99, 0},
                       {h, msg::kMButtonDown, 1, msg::kLButtonDown}};
  g_seen.clear();
  for (const auto& [hw, m, w, l] : sent)
    EXPECT_EQ(backend.Machine().SendMessage(hw, m, w, l), 0x1234);
  EXPECT_THAT(g_seen, ::testing::ElementsAreArray(sent));
  EXPECT_TRUE(Loaded(u"frmMain"));
  EXPECT_EQ(backend.Beeps(), 1) << "the tray callback goes on to the runtime";
  // With no procedure behind it, a message ends in the hook, answered 0.
  Module2::Values().PrevWndProc = 0;
  EXPECT_EQ(backend.Machine().SendMessage(h, 0x0010, 7, -8), 0);
  EXPECT_EQ(g_seen.size(), 4u);
}

TEST_F(HostTest, AHotkeyWhileAnActionRunsIsDroppedAndOneHeldElsewhereFailsQuietly) {
  backend.Machine().TakeHotkeyElsewhere(platform::kModAlt, kVkF2);
  StartProgram();
  // memo.txt cannot be read: opening the quick memo reports it in a message box, and Alt+F3
  // pressed while that box is open is not acted on.
  std::filesystem::create_directory(dir.Path() / "memo.txt");
  backend.OnNextMessageBox([this] {
    AltF(3);
    return platform::kIdOk;
  });
  AltF(1);
  ASSERT_EQ(backend.MessageBoxes().size(), 1u);
  EXPECT_FALSE(Loaded(u"Dialog_DataList"));
  EXPECT_FALSE(Module2::Values().InWindowProc);
  std::filesystem::remove(dir.Path() / "memo.txt");
  AltF(3);
  EXPECT_TRUE(Loaded(u"Dialog_DataList")) << "hotkeys work again once the action is over";
  AltF(1);
  EXPECT_FALSE(AltF(2)) << "Alt+F2 goes to the other program";
  EXPECT_TRUE(Loaded(u"frmMain"));
  EXPECT_EQ(backend.MessageBoxes().size(), 1u) << "the taken combination is not reported";
}

}  // namespace
}  // namespace pindle
