// The About window on the in-memory backend: one window however often it is shown, the shell
// requests its links make, the message when a request cannot be made, and its keyboard.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "headless_fixture.h"
#include "info/frm_about.h"
#include "platform/form.h"

namespace pindle {
namespace {

using platform::Color;
using platform::ControlDef;
using ::testing::ElementsAre;

constexpr Color kBlue{0, 0, 255};

class FrmAboutTest : public testing::HeadlessTest {
 protected:
  platform::headless::HeadlessWindow& Open() {
    rt.Show<frmAbout>();
    return Window(u"frmAbout");
  }
  bool IsOpen() const { return Loaded(u"frmAbout"); }
  const ControlDef& Def(std::u16string_view name, int index = -1) {
    const auto& def = frmAboutDefinition();
    const int id = def.Find(name, index);
    if (id < 0) throw std::logic_error("no such control");
    return def.controls[static_cast<std::size_t>(id)];
  }
  const std::vector<platform::headless::ShellRequest>& Requests() {
    return backend.Machine().ShellRequests();
  }
};

// ---- one window ----

TEST_F(FrmAboutTest, ShowingItTwiceLeavesOneWindowInFront) {
  rt.Show<frmAbout>();
  Window(u"frmAbout").Click(u"Picture1");
  rt.Show<frmAbout>();
  EXPECT_EQ(backend.WindowsCreated(), 1);
  EXPECT_THAT(backend.ZOrder(), ElementsAre(u"frmAbout"));
  EXPECT_EQ(Window(u"frmAbout").FocusedControl(), u"Picture1") << "the same window, not anew";
}

TEST_F(FrmAboutTest, OkTheCloseBoxEnterAndEscapeCloseIt) {
  auto& w = Open();
  EXPECT_EQ(w.FocusedControl(), u"cmdOK");
  w.Click(u"cmdOK");
  EXPECT_FALSE(IsOpen());

  Open().PressCloseBox();
  EXPECT_FALSE(IsOpen());

  // OK is both the default and the cancel button: Enter and Esc close the window wherever the
  // focus is.
  for (const int key : {13, 27}) {
    Open().PressKey(key);
    EXPECT_FALSE(IsOpen()) << "key " << key << " on OK";
    auto& again = Open();
    again.Click(u"Picture1");
    ASSERT_EQ(again.FocusedControl(), u"Picture1");
    again.PressKey(key);
    EXPECT_FALSE(IsOpen()) << "key " << key << " on the picture";
  }
  EXPECT_TRUE(Requests().empty());
  EXPECT_TRUE(backend.MessageBoxes().empty());
}

TEST_F(FrmAboutTest, ReopenedAfterClosingItIsCreatedAfresh) {
  const auto first = Open().Handle();
  rt.Unload<frmAbout>();
  EXPECT_NE(Open().Handle(), first);
  EXPECT_EQ(backend.WindowsCreated(), 2);
}

// ---- links ----

TEST_F(FrmAboutTest, MailLinkAsksTheShellToStartANewMail) {
  auto& w = Open();
  w.Click(u"Label2");
  ASSERT_EQ(Requests().size(), 1u);
  const auto& r = Requests()[0];
  EXPECT_EQ(r.hWnd, w.Handle());
  EXPECT_EQ(r.verb, u"open");
  EXPECT_EQ(r.file, u"mailto:pindle@example.jp");
  EXPECT_EQ(r.parameters, std::nullopt);
  EXPECT_EQ(r.directory, std::nullopt);
  EXPECT_EQ(r.showCmd, 5);
  // The address after the scheme is the one the label shows.
  EXPECT_EQ(u"mailto:" + w.Text(u"Label2"), r.file);
  EXPECT_TRUE(IsOpen());
}

TEST_F(FrmAboutTest, HomePageLinkOpensThePageEveryTimeItIsClicked) {
  auto& w = Open();
  w.Click(u"lblDisclaimer");
  w.Click(u"lblDisclaimer");
  ASSERT_EQ(Requests().size(), 2u);
  for (const auto& r : Requests()) {
    EXPECT_EQ(r.hWnd, w.Handle());
    EXPECT_EQ(r.verb, u"open");
    EXPECT_EQ(r.file, u"https://pindle.example.org/");
    EXPECT_EQ(r.file, w.Text(u"lblDisclaimer"));
    EXPECT_EQ(r.parameters, std::nullopt);
    EXPECT_EQ(r.directory, std::nullopt);
    EXPECT_EQ(r.showCmd, 5);
  }
}

TEST_F(FrmAboutTest, AFailureTheShellReportsPassesSilently) {
  backend.Machine().shellResult = 31;  // no program registered for the target
  auto& w = Open();
  w.Click(u"Label2");
  w.Click(u"lblDisclaimer");
  EXPECT_EQ(Requests().size(), 2u);
  EXPECT_TRUE(backend.MessageBoxes().empty());
  EXPECT_TRUE(IsOpen());
}

TEST_F(FrmAboutTest, AnErrorWhileAskingTheShellShowsTheTwoLineMessageForThatLink) {
  backend.Machine().shellFailure = 453;
  auto& w = Open();
  w.Click(u"Label2");
  w.Click(u"lblDisclaimer");
  EXPECT_TRUE(Requests().empty());
  ASSERT_EQ(backend.MessageBoxes().size(), 2u);
  const auto& mail = backend.MessageBoxes()[0];
  EXPECT_EQ(mail.prompt,
            u"貴様がお使いのパソコンでは、このプログラムから\n"
            u"メッセージ作成画面の立ち上げは出来ない様です");
  EXPECT_EQ(mail.style, 16);
  EXPECT_EQ(mail.title, u"Pindle");
  const auto& page = backend.MessageBoxes()[1];
  EXPECT_EQ(page.prompt,
            u"貴様がお使いのパソコンでは、このプログラムから\n"
            u"ホームページの立ち上げは出来ない様です");
  EXPECT_EQ(page.style, 16);
  EXPECT_EQ(page.title, u"Pindle");

  // The window stays open, and once the shell can be reached the links work again.
  ASSERT_TRUE(IsOpen());
  backend.Machine().shellFailure.reset();
  w.Click(u"lblDisclaimer");
  EXPECT_EQ(Requests().size(), 1u);
  EXPECT_EQ(backend.MessageBoxes().size(), 2u);
}

TEST_F(FrmAboutTest, OtherTextsDoNotReactToClicks) {
  auto& w = Open();
  for (const auto* name : {u"Label1", u"Label3", u"Label4", u"lblDescription", u"Frame1"}) {
    w.Click(name);
  }
  EXPECT_TRUE(Requests().empty());
  EXPECT_TRUE(IsOpen());
  const auto& form = w.GetForm();
  const auto& def = frmAboutDefinition();
  EXPECT_TRUE(form.HasHandler(def.Find(u"Label2"), platform::Event::Click));
  EXPECT_TRUE(form.HasHandler(def.Find(u"lblDisclaimer"), platform::Event::Click));
  EXPECT_FALSE(form.HasHandler(def.Find(u"Label3"), platform::Event::Click));
  EXPECT_FALSE(form.HasHandler(def.Find(u"lblDescription"), platform::Event::Click));
}

// ---- what a user sees ----

TEST_F(FrmAboutTest, TextsReadExactly) {
  auto& w = Open();
  EXPECT_EQ(w.Def().caption, u"ﾊﾞｰｼﾞｮﾝ情報");
  EXPECT_EQ(w.Text(u"Label3"), u"Pindle");
  EXPECT_EQ(w.Text(u"Label4"), u"Ver. 0.10");
  EXPECT_EQ(w.Text(u"lblDescription"), u"Copyright (C) 2026 Pindle developers");
  EXPECT_EQ(w.Text(u"Frame1"), u"使用許諾");
  EXPECT_EQ(w.Text(u"Label1"),
            u"第三者への配布は許可しますが、転載される場合は出来るだけご連絡下さい。");
  EXPECT_EQ(w.Text(u"Label2"), u"pindle@example.jp");
  EXPECT_EQ(w.Text(u"lblDisclaimer"), u"https://pindle.example.org/");
  EXPECT_EQ(w.Text(u"cmdOK"), u"OK");
}

TEST_F(FrmAboutTest, LinksAreBlueTheCopyrightBlackTheRestDefault) {
  EXPECT_EQ(Def(u"Label2").foreColor, kBlue);
  EXPECT_EQ(Def(u"lblDisclaimer").foreColor, kBlue);
  EXPECT_EQ(Def(u"Line2").foreColor, kBlue) << "the rule under the home page";
  EXPECT_EQ(Def(u"lblDescription").foreColor, platform::kBlack);
  for (const auto* name : {u"Label1", u"Label3", u"Label4"}) {
    EXPECT_EQ(Def(name).foreColor, std::nullopt);
  }
  const auto& def = frmAboutDefinition();
  for (const auto& c : def.controls) {
    EXPECT_EQ(c.font, std::nullopt) << "default dialog font everywhere";
    EXPECT_EQ(c.backColor, std::nullopt) << "button face behind every label";
  }
  EXPECT_EQ(def.backColor, std::nullopt);
}

TEST_F(FrmAboutTest, AnEtchedSeparatorAboveTheLinks) {
  const auto& shadow = Def(u"Line1", 1);
  const auto& light = Def(u"Line1", 0);
  EXPECT_EQ(shadow.foreColor, (Color{128, 128, 128}));
  EXPECT_EQ(shadow.lineStyle, platform::LineStyle::InsideSolid);
  EXPECT_EQ(light.foreColor, platform::kWhite);
  EXPECT_EQ(light.borderWidth, 2);
  // Horizontal lines (Left/Top/Width/Height hold x1, y1, x2, y2), the white one a pixel
  // below the grey one, both above the links and below the terms of use.
  EXPECT_EQ(shadow.top, shadow.height);
  EXPECT_EQ(light.top, light.height);
  EXPECT_EQ(light.top - shadow.top, 15);
  const auto& frame = Def(u"Frame1");
  EXPECT_LT(frame.top + frame.height, shadow.top);
  EXPECT_LT(light.top, Def(u"lblDisclaimer").top);
  EXPECT_LT(light.top, Def(u"Label2").top);
}

TEST_F(FrmAboutTest, AFixedDialogWithTheProductIcon) {
  const auto& def = frmAboutDefinition();
  EXPECT_EQ(def.border, platform::BorderStyle::FixedDialog);
  EXPECT_FALSE(def.minButton);
  EXPECT_FALSE(def.maxButton);
  EXPECT_FALSE(def.showInTaskbar);
  EXPECT_EQ(def.startPosition, platform::StartPosition::Manual);
  EXPECT_EQ(def.icon, platform::FormIcon::Product);
  EXPECT_EQ(Def(u"Picture1").picture, platform::Picture::ProductIcon32);
  EXPECT_EQ(Def(u"Label1").container, u"Frame1");
  EXPECT_TRUE(Def(u"Label1").wordWrap);
  std::vector<std::u16string> order;
  for (const int id : def.TabOrder())
    order.push_back(def.controls[static_cast<std::size_t>(id)].name);
  EXPECT_THAT(order, ElementsAre(u"cmdOK", u"Picture1"));
  for (const auto& c : def.controls) {
    if (c.kind == platform::ControlKind::Line || !c.container.empty()) continue;
    EXPECT_LE(c.left + c.width, def.width) << platform::Utf16ToUtf8(c.name);
    EXPECT_LE(c.top + c.height, def.height) << platform::Utf16ToUtf8(c.name);
  }
}

}  // namespace
}  // namespace pindle
