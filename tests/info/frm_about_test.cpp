// The About window: OK closes it; its two links ask the shell to open their targets, say
// nothing when the shell itself fails, and show their two-line message when the request
// cannot be made at all.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "headless_fixture.h"
#include "info/frm_about.h"

namespace pindle {
namespace {

class FrmAboutTest : public testing::HeadlessTest {
 protected:
  platform::headless::HeadlessWindow& Open() {
    rt.Show<frmAbout>();
    return Window(u"frmAbout");
  }
  const std::vector<platform::headless::ShellRequest>& Requests() {
    return backend.Machine().ShellRequests();
  }
};

TEST_F(FrmAboutTest, OkClosesItAndOnlyTheLinksReactToClicks) {
  auto& w = Open();
  for (const auto* name : {u"Label1", u"Label3", u"Label4", u"lblDescription", u"Frame1"}) {
    w.Click(name);
  }
  EXPECT_TRUE(Requests().empty());
  w.Click(u"cmdOK");
  EXPECT_FALSE(Loaded(u"frmAbout"));
}

TEST_F(FrmAboutTest, LinksAskTheShellToOpenWhatTheyShowEveryTime) {
  auto& w = Open();
  w.Click(u"Label2");
  w.Click(u"lblDisclaimer");
  w.Click(u"lblDisclaimer");
  backend.Machine().shellResult = 31;  // no program for the target: the shell's own affair
  w.Click(u"Label2");
  const std::u16string targets[] = {u"mailto:" + w.Text(u"Label2"), w.Text(u"lblDisclaimer"),
                                    w.Text(u"lblDisclaimer"), u"mailto:" + w.Text(u"Label2")};
  ASSERT_EQ(Requests().size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    const auto& r = Requests()[i];
    EXPECT_EQ(r.file, targets[i]);
    EXPECT_EQ(r.hWnd, w.Handle());
    EXPECT_EQ(r.verb, u"open");
    EXPECT_EQ(r.parameters, std::nullopt);
    EXPECT_EQ(r.directory, std::nullopt);
    EXPECT_EQ(r.showCmd, 5);
  }
  EXPECT_TRUE(backend.MessageBoxes().empty());
}

TEST_F(FrmAboutTest, AnErrorWhileAskingTheShellShowsTheTwoLineMessageForThatLink) {
  backend.Machine().shellFailure = 453;
  auto& w = Open();
  w.Click(u"Label2");
  w.Click(u"lblDisclaimer");
  const std::u16string first = u"貴様がお使いのパソコンでは、このプログラムから\n";
  ASSERT_EQ(backend.MessageBoxes().size(), 2u);
  EXPECT_EQ(backend.MessageBoxes()[0].prompt,
            first + u"メッセージ作成画面の立ち上げは出来ない様です");
  EXPECT_EQ(backend.MessageBoxes()[1].prompt, first + u"ホームページの立ち上げは出来ない様です");
  for (const auto& box : backend.MessageBoxes()) {
    EXPECT_EQ(box.style, 16);
    EXPECT_EQ(box.title, u"Pindle");
  }
  EXPECT_TRUE(Loaded(u"frmAbout"));
}

}  // namespace
}  // namespace pindle
