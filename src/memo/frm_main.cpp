#include "memo/frm_main.h"

#include "memo/memo_file.h"
#include "platform/clock.h"
#include "print/dialog_printer.h"
#include "print/module1.h"

namespace pindle {

using namespace platform;

namespace {

constexpr Color kLabelColor{192, 192, 255};
constexpr Color kKeyHelpColor{192, 255, 255};
constexpr Color kMemoBoxColor{224, 224, 224};

FontDef ClockFont() {
  return {.name = u"ＭＳ Ｐゴシック", .sizePt = 12.0f, .charset = kShiftJisCharset};
}
FontDef MemoFont() {
  return {.name = u"ＭＳ ゴシック", .sizePt = 9.0f, .charset = kShiftJisCharset};
}

}  // namespace

const FormDef& frmMainDefinition() {
  static const FormDef def{
      .name = u"frmMain",
      .caption = u"Form1",
      .border = BorderStyle::None,
      .controlBox = false,
      .showInTaskbar = false,
      .left = 1950,
      .top = 1350,
      .width = 10710,
      .height = 9525,
      // Opens maximised so the black surface covers the screen it opens on; the controls
      // keep their design positions.
      .windowState = WindowState::Maximized,
      .backColor = kBlack,
      .controls =
          {
              {.name = u"Label2",
               .kind = ControlKind::Label,
               .left = 120,
               .top = 120,
               .width = 2775,
               .height = 375,
               .tabIndex = 2,
               .text = u"2",
               .foreColor = kLabelColor,
               .backColor = kBlack,
               .font = ClockFont()},
              {.name = u"Label3",
               .kind = ControlKind::Label,
               .left = 120,
               .top = 480,
               .width = 2055,
               .height = 375,
               .tabIndex = 3,
               .text = u"3",
               .foreColor = kLabelColor,
               .backColor = kBlack,
               .font = ClockFont()},
              {.name = u"Text1",
               .kind = ControlKind::TextBox,
               .left = 2400,
               .top = 600,
               .width = 7815,
               .height = 5415,
               .tabIndex = 0,
               .backColor = kMemoBoxColor,
               .font = MemoFont(),
               .multiLine = true,
               .scrollBars = ScrollBars::None},
              {.name = u"Label4",
               .kind = ControlKind::Label,
               .left = 2400,
               .top = 6360,
               .width = 1215,
               .height = 255,
               .tabIndex = 5,
               .text = u"簡易メモ",
               .foreColor = kLabelColor,
               .backColor = kBlack},
              {.name = u"Text2",
               .kind = ControlKind::TextBox,
               .left = 2400,
               .top = 6600,
               .width = 7815,
               .height = 1815,
               .tabIndex = 6,
               .multiLine = false,
               .scrollBars = ScrollBars::None},
              {.name = u"Command1",
               .kind = ControlKind::CommandButton,
               .left = 9120,
               .top = 8640,
               .width = 1095,
               .height = 375,
               .tabIndex = 4,
               .text = u"メモ印刷",
               .isDefault = false,
               .isCancel = false},
              {.name = u"Label1",
               .kind = ControlKind::Label,
               .left = 4200,
               .top = 9120,
               .width = 6015,
               .height = 375,
               .tabIndex = 1,
               .text = u"Pindle画面　　起動(Alt+F1) 　消去(Alt+F2)　編集(Alt+F3)",
               .foreColor = kKeyHelpColor,
               .backColor = kBlack},
              {.name = u"timMain", .kind = ControlKind::Timer, .visible = false, .interval = 100},
          },
  };
  return def;
}

frmMain::frmMain(Runtime& rt) : Form(rt, frmMainDefinition()) {
  On(u"timMain", Event::Timer, [this] { timMain_Timer(); });
  On(u"Command1", Event::Click, [this] { Command1_Click(); });
}

void frmMain::Form_Load() {
  timMain.SetEnabled(true);
  Text1.SetText(LoadMemoFile(MemoFilePath(App().AppPath())));
}

void frmMain::timMain_Timer() {
  Label2.SetCaption(App().DateTimeText(App().Now()));
  Label3.SetCaption(kWeekdayCaptions.at(static_cast<std::size_t>(Weekday(App().Now()) - 1)));
}

void frmMain::Command1_Click() {
  App().Module<Module1>().SharedMemo = Text2.Text();
  App().Show<Dialog_Printer>();
}

void frmMain::Form_KeyDown(int& /*KeyCode*/, int /*Shift*/) {
  CloseMemoWindow();
}

void frmMain::Form_MouseDown(int /*Button*/, int /*Shift*/, float /*X*/, float /*Y*/) {
  CloseMemoWindow();
}

void frmMain::CloseMemoWindow() {
  App().Unload<frmMain>();
}

}  // namespace pindle
