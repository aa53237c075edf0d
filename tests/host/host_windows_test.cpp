// The windows the host opens, as the user reaches them through the hotkeys and the tray menu.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host_fixture.h"

namespace pindle {
namespace {

using ::testing::ElementsAre;

class HostWindowsTest : public testing::HostTest {};

TEST_F(HostWindowsTest, AltF1OnAnOpenQuickMemoKeepsTheNoteAndDoesNotRereadTheFile) {
  dir.Write("memo.txt", "first\r\n");
  StartProgram();
  AltF(1);
  Window(u"frmMain").Type(u"Text2", u"山田様から電話");
  dir.Write("memo.txt", "changed\r\n");
  AltF(1);
  EXPECT_EQ(Window(u"frmMain").Text(u"Text2"), u"山田様から電話");
  EXPECT_EQ(Window(u"frmMain").Text(u"Text1"), u"first\r\n");
  AltF(2);
  AltF(1);
  EXPECT_EQ(Window(u"frmMain").Text(u"Text2"), u"") << "a reopened quick memo starts empty";
  EXPECT_EQ(Window(u"frmMain").Text(u"Text1"), u"changed\r\n");
}

TEST_F(HostWindowsTest, AltF3OnAnOpenEditorKeepsTheEdit) {
  dir.Write("memo.txt", "saved\r\n");
  StartProgram();
  AltF(3);
  Window(u"Dialog_DataList").Type(u"Text1", u"editing");
  AltF(1);
  AltF(3);
  EXPECT_EQ(Window(u"Dialog_DataList").Text(u"Text1"), u"editing");
  EXPECT_EQ(backend.ZOrder().front(), u"Dialog_DataList");
  EXPECT_EQ(dir.Read("memo.txt"), "saved\r\n");
}

TEST_F(HostWindowsTest, EditorSaveShowsInTheNextQuickMemo) {
  dir.Write("memo.txt", "old\r\n");
  StartProgram();
  AltF(1);
  ChooseFromTrayMenu(u"customise");
  Window(u"Dialog_DataList").Type(u"Text1", u"new\r\nmemo");
  Window(u"Dialog_DataList").Click(u"OKButton");
  EXPECT_FALSE(Loaded(u"Dialog_DataList"));
  EXPECT_EQ(Window(u"frmMain").Text(u"Text1"), u"old\r\n") << "an open quick memo keeps its text";
  AltF(2);
  AltF(1);
  EXPECT_EQ(Window(u"frmMain").Text(u"Text1"), u"new\r\nmemo\r\n");
}

TEST_F(HostWindowsTest, InformationWindowsStayUsableAfterEnd) {
  StartProgram();
  ChooseFromTrayMenu(u"aboutme");
  ChooseFromTrayMenu(u"manual");
  ChooseFromTrayMenu(u"end");
  EXPECT_THAT(backend.ZOrder(), ElementsAre(u"frmTip", u"frmAbout"));
  Window(u"frmAbout").Click(u"lblDisclaimer");
  EXPECT_EQ(backend.Machine().ShellRequests().size(), 1u);
  EXPECT_EQ(backend.Quits(), 0);
  Window(u"frmAbout").Click(u"cmdOK");
  EXPECT_EQ(backend.Quits(), 0);
  Window(u"frmTip").PressCloseBox();
  EXPECT_EQ(backend.Quits(), 1);
  EXPECT_FALSE(rt.AnyLoaded());
}

}  // namespace
}  // namespace pindle
