// The About window: OK closes it; its two links ask the shell to open their targets.
#include "info/frm_about.h"
#include "headless_fixture.h"

namespace pindle {
namespace {

using FrmAboutTest = testing::HeadlessTest;

TEST_F(FrmAboutTest, OnlyTheLinksAskTheShellToOpenWhatTheyShowOrSayTheyCannotAndOkCloses) {
  auto& w = Show<frmAbout>();
  for (const auto* name : {u"Label1", u"Label3", u"Label4", u"lblDescription", u"Frame1", u"Label2",
                           u"lblDisclaimer", u"lblDisclaimer"})
    w.Click(name);
  backend.Os().shellResult = 31;  // no program for the target: the shell's own affair
  w.Click(u"Label2");
  const std::u16string mail = u"mailto:" + w.Text(u"Label2"), home = w.Text(u"lblDisclaimer");
  const auto& requests = backend.Os().ShellRequests();
  ASSERT_EQ(requests.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    const auto& r = requests[i];
    EXPECT_EQ(std::tie(r.file, r.hWnd, r.verb, r.showCmd),
              std::tuple(i % 3 == 0 ? mail : home, w.Handle(), std::u16string(u"open"), 5));
    EXPECT_FALSE(r.parameters || r.directory);
  }
  // An error asking the shell shows that link's two-line message (the result 31 above gave none).
  backend.Os().shellFailure = 453;
  w.Click(u"Label2");
  w.Click(u"lblDisclaimer");
  const std::string first = "貴様がお使いのパソコンでは、このプログラムから\n";
  EXPECT_EQ(StopBox(0), first + "メッセージ作成画面の立ち上げは出来ない様です");
  EXPECT_EQ(StopBox(1), first + "ホームページの立ち上げは出来ない様です");
  EXPECT_EQ(backend.MessageBoxes().size(), 2u);
  ASSERT_TRUE(Loaded(u"frmAbout"));
  w.Click(u"cmdOK");
  EXPECT_FALSE(Loaded(u"frmAbout"));
}

}  // namespace
}  // namespace pindle
