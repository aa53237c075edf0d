// The tray host: start-up and shut-down orders, the tray icon's mouse messages, the pop-up
// menu and the single-instance rule.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host_fixture.h"
#include "memo/frm_main.h"

namespace pindle {
namespace {

using platform::headless::OsCall;
using ::testing::ElementsAre;
namespace msg = platform::msg;

class Form1Test : public testing::HostTest {};

TEST_F(Form1Test, StartUpHidesTheHostAddsTheIconRegistersTheHotkeysThenHooks) {
  StartProgram();
  const auto h = static_cast<long long>(HostHandle());
  const auto& calls = backend.Machine().Calls();
  ASSERT_EQ(calls.size(), 9u);
  EXPECT_EQ(calls[0], (OsCall{"RegisterWindowMessageA", {}, u"TaskbarCreated", {}}));
  EXPECT_EQ(calls[1].name, "Shell_NotifyIconA");
  EXPECT_THAT(calls[1].args, ElementsAre(0));
  EXPECT_EQ(calls[2], (OsCall{"GlobalAddAtomA", {}, u"HOTKEY1", {}}));
  EXPECT_EQ(calls[3], (OsCall{"GlobalAddAtomA", {}, u"HOTKEY2", {}}));
  EXPECT_EQ(calls[4], (OsCall{"GlobalAddAtomA", {}, u"HOTKEY3", {}}));
  // Atoms 0xC0A5.. widened with sign extension: -16219, -16218, -16217.
  EXPECT_EQ(calls[5], (OsCall{"RegisterHotKey", {h, -16219, 1, 0x70}, {}, {}}));
  EXPECT_EQ(calls[6], (OsCall{"RegisterHotKey", {h, -16218, 1, 0x71}, {}, {}}));
  EXPECT_EQ(calls[7], (OsCall{"RegisterHotKey", {h, -16217, 1, 0x72}, {}, {}}));
  EXPECT_EQ(calls[8], (OsCall{"SetWindowLongA", {h, -4}, {}, {}}));

  EXPECT_FALSE(Window(u"Form1").IsVisible());
  const auto& tray = backend.Machine().Tray();
  ASSERT_TRUE(tray.has_value());
  EXPECT_EQ(tray->tip, "SysInfo");
  EXPECT_EQ(tray->hWnd, HostHandle());
  EXPECT_EQ(tray->callbackMessage, 519u);
  EXPECT_EQ(tray->hIcon, static_cast<std::uint32_t>(Window(u"Form1").IconHandle()));
  EXPECT_NE(tray->hIcon, 0u);
  EXPECT_TRUE(backend.MessageBoxes().empty());
}

TEST_F(Form1Test, EndReleasesHotkeysAtomsHookThenTheIconAndNothingElse) {
  StartProgram();
  const auto h = static_cast<long long>(HostHandle());
  const auto addRecord = backend.Machine().Calls()[1].record;
  const std::size_t before = backend.Machine().Calls().size();
  ChooseFromTrayMenu(u"end");

  EXPECT_THAT(
      CallsFrom(before),
      ElementsAre("UnregisterHotKey", "UnregisterHotKey", "UnregisterHotKey", "GlobalDeleteAtom",
                  "GlobalDeleteAtom", "GlobalDeleteAtom", "SetWindowLongA", "Shell_NotifyIconA"));
  const auto& calls = backend.Machine().Calls();
  EXPECT_EQ(calls[before], (OsCall{"UnregisterHotKey", {h, -16219}, {}, {}}));
  EXPECT_EQ(calls[before + 2], (OsCall{"UnregisterHotKey", {h, -16217}, {}, {}}));
  EXPECT_THAT(calls[before + 3].args, ElementsAre(0xC0A5));
  EXPECT_THAT(calls[before + 5].args, ElementsAre(0xC0A7));
  EXPECT_EQ(calls.back().args, std::vector<long long>{2});
  EXPECT_EQ(calls.back().record, addRecord) << "the record filled at start-up is passed again";

  EXPECT_FALSE(backend.Machine().Tray().has_value());
  EXPECT_TRUE(backend.Machine().Hotkeys().empty());
  EXPECT_EQ(backend.Machine().AtomUses(u"HOTKEY1"), 0);
  EXPECT_FALSE(Loaded(u"Form1"));
  EXPECT_EQ(backend.Quits(), 1) << "no window is left, so the program ends";
}

TEST_F(Form1Test, LeftPressBeepsAndDoubleClickBeepsThenOpensTheQuickMemo) {
  StartProgram();
  backend.TrayMouse(msg::kLButtonDown);
  backend.TrayMouse(msg::kLButtonUp);
  EXPECT_EQ(backend.Beeps(), 1);
  EXPECT_FALSE(Loaded(u"frmMain"));

  backend.TrayMouse(msg::kLButtonDown);  // a double-click starts with a press
  backend.TrayMouse(msg::kLButtonUp);
  backend.TrayMouse(msg::kLButtonDblClk);
  backend.TrayMouse(msg::kLButtonUp);
  EXPECT_EQ(backend.Beeps(), 2);
  ASSERT_TRUE(Loaded(u"frmMain"));
  EXPECT_TRUE(Window(u"frmMain").IsVisible());

  backend.TrayMouse(msg::kLButtonDblClk);
  EXPECT_EQ(backend.WindowsCreated(), 2) << "a shown window is only brought forward";
}

TEST_F(Form1Test, ReleasesMovesAndOtherMessagesDoNothing) {
  StartProgram();
  for (const std::uint32_t m : {msg::kMouseMove, msg::kLButtonUp, msg::kRButtonUp,
                                msg::kMButtonDown, 0x0208u, 0x0206u, 0u, 0xFFFFu}) {
    backend.TrayMouse(m);
  }
  EXPECT_EQ(backend.Beeps(), 0);
  EXPECT_TRUE(backend.Popups().empty());
  EXPECT_EQ(backend.WindowsCreated(), 1);
}

TEST_F(Form1Test, RightPressOpensThePopUpMenuAtThePointerWithEitherButtonPicking) {
  StartProgram();
  ChooseFromTrayMenu(std::nullopt);
  ASSERT_EQ(backend.Popups().size(), 1u);
  EXPECT_EQ(backend.Popups()[0].menu, u"mnuPopUp");
  EXPECT_EQ(backend.Popups()[0].flags, 2);
  EXPECT_EQ(backend.Popups()[0].hWnd, HostHandle());
  EXPECT_EQ(backend.WindowsCreated(), 1) << "closing the menu without a choice does nothing";
  ChooseFromTrayMenu(u"bar");
  EXPECT_EQ(backend.WindowsCreated(), 1);
}

TEST_F(Form1Test, EachMenuItemOpensItsWindowOnceEvenWhenChosenTwice) {
  StartProgram();
  const std::pair<const char16_t*, const char16_t*> items[] = {
      {u"memo", u"frmMain"},
      {u"customise", u"Dialog_DataList"},
      {u"manual", u"frmTip"},
      {u"aboutme", u"frmAbout"},
  };
  int created = 1;
  for (const auto& [item, window] : items) {
    ChooseFromTrayMenu(item);
    ChooseFromTrayMenu(item);
    ASSERT_TRUE(Loaded(window)) << platform::Utf16ToUtf8(item);
    EXPECT_TRUE(Window(window).IsVisible());
    EXPECT_EQ(backend.ZOrder().front(), window) << "shown in front";
    EXPECT_EQ(backend.WindowsCreated(), ++created);
  }
}

TEST_F(Form1Test, TrayMessageSurvivesTheTwipsConversionAtOtherPixelSizes) {
  backend.twipsPerPixel = 12.0f;  // 120 dpi: 516 arrives as X = 6192 twips
  StartProgram();
  ChooseFromTrayMenu(std::nullopt);
  EXPECT_EQ(backend.Popups().size(), 1u);
  backend.twipsPerPixel = 10.0f;
  backend.TrayMouse(msg::kLButtonDown);
  EXPECT_EQ(backend.Beeps(), 1);
}

TEST_F(Form1Test, ASecondCopyIsRefusedWithoutTouchingAnything) {
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
TEST(Form1EndTest, TheLoopIsToldToStopOnce) {
  platform::headless::HeadlessBackend backend;
  backend.prevInstance = true;
  {
    platform::Runtime rt(backend);
    rt.Start<Form1>();
    EXPECT_TRUE(rt.Ended());
  }
  EXPECT_EQ(backend.Quits(), 1);
}

TEST_F(Form1Test, EndWithAnotherWindowOpenKeepsThatWindowAndEndsWhenItCloses) {
  StartProgram();
  ASSERT_TRUE(AltF(1));
  ChooseFromTrayMenu(u"end");
  EXPECT_FALSE(backend.Machine().Tray().has_value());
  EXPECT_FALSE(AltF(1)) << "the hotkeys are gone at once";
  EXPECT_FALSE(AltF(2));
  ASSERT_TRUE(Loaded(u"frmMain"));
  EXPECT_TRUE(Window(u"frmMain").IsVisible());
  EXPECT_EQ(backend.Quits(), 0);
  rt.RunEvent([this] { rt.Unload<frmMain>(); });
  EXPECT_EQ(backend.Quits(), 1);
}

TEST_F(Form1Test, TheIconComesBackWhenExplorerRestarts) {
  StartProgram();
  const auto addRecord = backend.Machine().Calls()[1].record;
  const std::size_t before = backend.Machine().Calls().size();
  backend.Machine().RestartTaskbar();
  EXPECT_FALSE(backend.Machine().Tray().has_value());
  backend.PumpMessages();
  ASSERT_TRUE(backend.Machine().Tray().has_value());
  EXPECT_EQ(backend.Machine().Tray()->tip, "SysInfo");
  ASSERT_THAT(CallsFrom(before), ElementsAre("Shell_NotifyIconA"));
  EXPECT_EQ(backend.Machine().Calls().back().args, std::vector<long long>{0});
  EXPECT_EQ(backend.Machine().Calls().back().record, addRecord);
  // The menu works through the icon that came back.
  ChooseFromTrayMenu(u"memo");
  EXPECT_TRUE(Loaded(u"frmMain"));
}

TEST_F(Form1Test, AnIconRefusedAtLogonIsTriedAgainUntilTheTaskbarIsThere) {
  backend.Machine().taskbarMissing = true;
  StartProgram();
  EXPECT_FALSE(backend.Machine().Tray().has_value());
  EXPECT_TRUE(AltF(1)) << "the hotkeys work without the icon";
  backend.Advance(4000);
  EXPECT_FALSE(backend.Machine().Tray().has_value());
  backend.Machine().taskbarMissing = false;
  backend.Advance(2000);
  ASSERT_TRUE(backend.Machine().Tray().has_value());
  const std::size_t calls = backend.Machine().Calls().size();
  backend.Advance(10000);
  EXPECT_EQ(backend.Machine().Calls().size(), calls) << "no more attempts once added";
}

TEST_F(Form1Test, AnIconAddedWhenTheTaskbarAppearsEndsTheAttempts) {
  backend.Machine().taskbarMissing = true;
  StartProgram();
  backend.Machine().taskbarMissing = false;
  backend.Machine().RestartTaskbar();  // "TaskbarCreated" as the taskbar starts
  backend.PumpMessages();
  ASSERT_TRUE(backend.Machine().Tray().has_value());
  const std::size_t calls = backend.Machine().Calls().size();
  backend.Advance(10000);
  EXPECT_EQ(backend.Machine().Calls().size(), calls) << "the timer adds it no more";
}

TEST_F(Form1Test, TriesForTheIconStopAfterAWhile) {
  backend.Machine().taskbarMissing = true;
  StartProgram();
  backend.Advance(60'000);
  const auto names = backend.Machine().CallNames();
  EXPECT_EQ(std::count(names.begin(), names.end(), "Shell_NotifyIconA"), 16);
  EXPECT_FALSE(Window(u"Form1").TimerEnabled(u"timTray"));
}

TEST_F(Form1Test, HideButtonHidesTheHostAgain) {
  StartProgram();
  rt.Instance<Form1>().SetVisible(true);
  Window(u"Form1").Click(u"cmdHide");
  EXPECT_FALSE(Window(u"Form1").IsVisible());
}

}  // namespace
}  // namespace pindle
