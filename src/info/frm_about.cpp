#include "info/frm_about.h"

#include <optional>
#include <string>

#include "info/author.h"
#include "platform/runtime_error.h"

namespace pindle {

using namespace platform;

namespace {

constexpr Color kLinkBlue{0, 0, 255};
constexpr Color kEtchShadow{128, 128, 128};

constexpr std::u16string_view kNoLaunchLine = u"貴様がお使いのパソコンでは、このプログラムから";
constexpr std::u16string_view kNoMailLine = u"メッセージ作成画面の立ち上げは出来ない様です";
constexpr std::u16string_view kNoHomePageLine = u"ホームページの立ち上げは出来ない様です";

std::u16string MailTarget() {
  return u"mailto:" + std::u16string(kAuthorMailAddress);
}

}  // namespace

const FormDef& frmAboutDefinition() {
  static const FormDef def{
      .name = u"frmAbout",
      .caption = u"ﾊﾞｰｼﾞｮﾝ情報",
      .border = BorderStyle::FixedDialog,
      .controlBox = true,
      .minButton = false,
      .maxButton = false,
      .showInTaskbar = false,
      .left = 2340,
      .top = 1935,
      .width = 5730,
      .height = 3555,
      .startPosition = StartPosition::Manual,
      .icon = FormIcon::Product,
      // Back to front.  Labels and lines are painted on the window surface in this order;
      // the picture box, the frame and the button lie above them.
      .controls =
          {
              {.name = u"Picture1",
               .kind = ControlKind::PictureBox,
               .left = 120,
               .top = 239,
               .width = 532,
               .height = 536,
               .tabIndex = 8,
               .picture = Picture::ProductIcon32,
               .border = true},
              {.name = u"Frame1",
               .kind = ControlKind::Frame,
               .left = 960,
               .top = 1320,
               .width = 4095,
               .height = 975,
               .tabIndex = 3,
               .text = u"使用許諾"},
              {.name = u"Label1",
               .kind = ControlKind::Label,
               .container = u"Frame1",
               .left = 120,
               .top = 240,
               .width = 3855,
               .height = 615,
               .tabIndex = 4,
               .text = u"第三者への配布は許可しますが、転載される場合は出来るだけご連絡下さい。",
               .wordWrap = true},
              {.name = u"cmdOK",
               .kind = ControlKind::CommandButton,
               .left = 4245,
               .top = 3000,
               .width = 1380,
               .height = 345,
               .tabIndex = 0,
               .text = u"OK",
               .isDefault = true,
               .isCancel = true},
              {.name = u"Line2",
               .kind = ControlKind::Line,
               .left = 213,
               .top = 2796,
               .width = 3195,
               .height = 2796,
               .foreColor = kLinkBlue,
               .borderWidth = 1,
               .lineStyle = LineStyle::Solid},
              {.name = u"Label4",
               .kind = ControlKind::Label,
               .left = 1080,
               .top = 600,
               .width = 2775,
               .height = 255,
               .tabIndex = 7,
               .text = u"Ver. 0.10"},
              {.name = u"Label3",
               .kind = ControlKind::Label,
               .left = 1080,
               .top = 240,
               .width = 3975,
               .height = 255,
               .tabIndex = 6,
               .text = u"Pindle"},
              {.name = u"Label2",
               .kind = ControlKind::Label,
               .left = 240,
               .top = 3000,
               .width = 1815,
               .height = 255,
               .tabIndex = 5,
               .text = std::u16string(kAuthorMailAddress),
               .foreColor = kLinkBlue},
              // Line1(1) and Line1(0): a grey line with a white one a pixel below it, an
              // etched separator between the terms of use and the links.
              {.name = u"Line1",
               .index = 1,
               .kind = ControlKind::Line,
               .left = 90,
               .top = 2445,
               .width = 5654,
               .height = 2445,
               .foreColor = kEtchShadow,
               .borderWidth = 1,
               .lineStyle = LineStyle::InsideSolid},
              {.name = u"lblDescription",
               .kind = ControlKind::Label,
               .left = 1080,
               .top = 960,
               .width = 3885,
               .height = 330,
               .tabIndex = 1,
               .text = std::u16string(kCopyrightLine),
               .foreColor = kBlack},
              {.name = u"Line1",
               .index = 0,
               .kind = ControlKind::Line,
               .left = 105,
               .top = 2460,
               .width = 5654,
               .height = 2460,
               .foreColor = kWhite,
               .borderWidth = 2,
               .lineStyle = LineStyle::Solid},
              {.name = u"lblDisclaimer",
               .kind = ControlKind::Label,
               .left = 255,
               .top = 2625,
               .width = 2910,
               .height = 225,
               .tabIndex = 2,
               .text = std::u16string(kAuthorHomePage),
               .foreColor = kLinkBlue},
          },
  };
  return def;
}

frmAbout::frmAbout(Runtime& rt) : Form(rt, frmAboutDefinition()) {
  On(u"cmdOK", Event::Click, [this] { cmdOK_Click(); });
  On(u"Label2", Event::Click, [this] { Label2_Click(); });
  On(u"lblDisclaimer", Event::Click, [this] { lblDisclaimer_Click(); });
}

void frmAbout::cmdOK_Click() {
  App().Unload<frmAbout>();
}

void frmAbout::Label2_Click() {
  OpenWithShell(MailTarget(), kNoMailLine);
}

void frmAbout::lblDisclaimer_Click() {
  OpenWithShell(kAuthorHomePage, kNoHomePageLine);
}

void frmAbout::OpenWithShell(std::u16string_view target, std::u16string_view failureLine) {
  try {
    App().Os().ShellExecuteA(hWnd(), u"open", std::u16string(target), std::nullopt, std::nullopt,
                             kSwShow);
  } catch (const RuntimeError&) {
    App().MsgBox(std::u16string(kNoLaunchLine) + u"\n" + std::u16string(failureLine), kMbIconStop);
  }
}

}  // namespace pindle
