// The global hotkeys and the hooked window procedure of the host window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>
#include <vector>

#include "host_fixture.h"
#include "memo/dialog_data_list.h"
#include "memo/frm_main.h"

namespace pindle {
namespace {

using platform::Hwnd;
using platform::LParam;
using platform::LResult;
using platform::WParam;
using ::testing::ElementsAre;
namespace msg = platform::msg;

using Seen = std::tuple<Hwnd, std::uint32_t, WParam, LParam>;
std::vector<Seen> g_seen;
LResult g_result = 0;

// Stands in for the procedure that was in place before the hook: records and answers.
LResult PINDLE_CALLBACK Previous(Hwnd h, std::uint32_t m, WParam w, LParam l) {
  g_seen.emplace_back(h, m, w, l);
  platform::RuntimeWindowProc(h, m, w, l);
  return g_result;
}

class HotkeyTest : public testing::HostTest {
 protected:
  HotkeyTest() {
    g_seen.clear();
    g_result = 0;
  }
  void SendHotkey(WParam id) {
    backend.Machine().PostMessage(HostHandle(), msg::kHotKey, id, 0);
    backend.PumpMessages();
  }
};

TEST_F(HotkeyTest, AltF1OpensOrBringsForwardTheQuickMemo) {
  StartProgram();
  ASSERT_TRUE(AltF(1));
  ASSERT_TRUE(Loaded(u"frmMain"));
  EXPECT_TRUE(Window(u"frmMain").IsVisible());
  rt.Show<Dialog_DataList>();
  EXPECT_EQ(backend.ZOrder().front(), u"Dialog_DataList");
  AltF(1);
  EXPECT_EQ(backend.ZOrder().front(), u"frmMain");
  EXPECT_EQ(backend.WindowsCreated(), 3) << "host, quick memo, editor: no second quick memo";
}

TEST_F(HotkeyTest, AltF2UnloadsTheQuickMemoAndDoesNothingWhenItIsClosed) {
  StartProgram();
  AltF(2);
  EXPECT_FALSE(Loaded(u"frmMain"));
  EXPECT_EQ(backend.WindowsCreated(), 1) << "not loaded first";
  AltF(1);
  AltF(2);
  EXPECT_FALSE(Loaded(u"frmMain"));
  EXPECT_TRUE(Loaded(u"Form1"));
  EXPECT_EQ(backend.Quits(), 0);
}

TEST_F(HotkeyTest, AltF3OpensTheEditorWhetherOrNotTheQuickMemoIsOpen) {
  StartProgram();
  AltF(3);
  EXPECT_TRUE(Loaded(u"Dialog_DataList"));
  rt.RunEvent([this] { rt.Unload<Dialog_DataList>(); });
  AltF(1);
  AltF(3);
  EXPECT_TRUE(Loaded(u"Dialog_DataList"));
  EXPECT_TRUE(Loaded(u"frmMain"));
}

TEST_F(HotkeyTest, OnlyTheSignExtendedAtomIsTheIdentifier) {
  StartProgram();
  EXPECT_EQ(Module2::Values().HotkeyAtom1, -16219);
  SendHotkey(49317);  // 0xC0A5 without sign extension
  EXPECT_FALSE(Loaded(u"frmMain"));
  SendHotkey(12345);
  SendHotkey(0);
  EXPECT_EQ(backend.WindowsCreated(), 1);
  SendHotkey(0xFFFFC0A5u);  // all 32 bits of wParam are compared
  EXPECT_TRUE(Loaded(u"frmMain"));
  SendHotkey(static_cast<WParam>(static_cast<std::intptr_t>(-16218)));
  EXPECT_FALSE(Loaded(u"frmMain"));
}

TEST_F(HotkeyTest, EveryMessageReachesThePreviousProcedureUnchangedWithItsResult) {
  StartProgram();
  Module2::Values().PrevWndProc = platform::ProcAddress(&Previous);
  const Hwnd h = HostHandle();
  g_result = 0x1234;
  EXPECT_EQ(backend.Machine().SendMessage(h, 0x0010, 7, -8), 0x1234);
  const WParam f1 = static_cast<WParam>(static_cast<std::intptr_t>(-16219));
  EXPECT_EQ(backend.Machine().SendMessage(h, msg::kHotKey, f1, 0x700001), 0x1234);
  EXPECT_EQ(backend.Machine().SendMessage(h, msg::kHotKey, 99, 0), 0x1234);
  EXPECT_EQ(backend.Machine().SendMessage(h, msg::kMButtonDown, 1, msg::kLButtonDown), 0x1234);
  EXPECT_THAT(g_seen, ElementsAre(Seen{h, 0x0010, 7, -8}, Seen{h, msg::kHotKey, f1, 0x700001},
                                  Seen{h, msg::kHotKey, 99, 0},
                                  Seen{h, msg::kMButtonDown, 1, msg::kLButtonDown}));
  EXPECT_TRUE(Loaded(u"frmMain"));
  EXPECT_EQ(backend.Beeps(), 1) << "the tray callback goes on to the runtime";
  // With no procedure behind it, a message ends in the hook, answered 0.
  Module2::Values().PrevWndProc = 0;
  EXPECT_EQ(backend.Machine().SendMessage(h, 0x0010, 7, -8), 0);
  EXPECT_EQ(g_seen.size(), 4u);
}

TEST_F(HotkeyTest, AHotkeyArrivingWhileAnActionRunsIsDropped) {
  StartProgram();
  // memo.txt cannot be read, so opening the quick memo reports an error in a message box;
  // Alt+F3 pressed while that box is open is not acted on.
  std::filesystem::create_directory(dir.Path() / "memo.txt");
  backend.OnNextMessageBox([this] {
    AltF(3);
    return platform::kIdOk;
  });
  AltF(1);
  ASSERT_EQ(backend.MessageBoxes().size(), 1u);
  EXPECT_EQ(backend.MessageBoxes()[0].style, 16);
  EXPECT_FALSE(Loaded(u"Dialog_DataList"));
  EXPECT_FALSE(Module2::Values().InWindowProc);
  std::filesystem::remove(dir.Path() / "memo.txt");
  AltF(3);
  EXPECT_TRUE(Loaded(u"Dialog_DataList")) << "hotkeys work again once the action is over";
}

TEST_F(HotkeyTest, ACombinationHeldByAnotherProgramFailsQuietlyAndTheOthersWork) {
  backend.Machine().TakeHotkeyElsewhere(platform::kModAlt, kVkF2);
  StartProgram();
  EXPECT_TRUE(backend.MessageBoxes().empty());
  AltF(1);
  EXPECT_TRUE(Loaded(u"frmMain"));
  EXPECT_FALSE(AltF(2)) << "Alt+F2 goes to the other program";
  EXPECT_TRUE(Loaded(u"frmMain"));
  AltF(3);
  EXPECT_TRUE(Loaded(u"Dialog_DataList"));
}

TEST_F(HotkeyTest, AfterShutDownTheCombinationsAreFreeAndTheHookIsGone) {
  StartProgram();
  rt.Show<frmMain>();  // keeps the program running after the host goes
  const Hwnd h = HostHandle();
  ChooseFromTrayMenu(u"end");
  EXPECT_TRUE(backend.Machine().Hotkeys().empty());
  // Another program can take them now.
  auto& os = backend.Machine();
  const Hwnd other = Window(u"frmMain").Handle();
  EXPECT_EQ(os.RegisterHotKey(other, 1, platform::kModAlt, kVkF1), 1);
  // The hook put the previous procedure back before the window went.
  EXPECT_EQ(Module2::Values().PrevWndProc, platform::ProcAddress(&platform::RuntimeWindowProc));
  EXPECT_FALSE(os.Chain().Contains(h));
}

}  // namespace
}  // namespace pindle
