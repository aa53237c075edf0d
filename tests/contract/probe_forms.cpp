#include "contract/probe_forms.h"

namespace pindle::contract {

using platform::BorderStyle;
using platform::ScrollBars;

// One control a line.
// clang-format off
const FormDef& ProbeDef() {
  using enum ControlKind;
  static const FormDef def{
      .name = u"frmProbe", .caption = u"プローブ", .border = BorderStyle::FixedDialog,
      .left = 600, .top = 600, .width = 6000, .height = 4200,
      .controls = {
          {.name = u"lblClick", .left = 120, .top = 120, .width = 1200, .height = 300, .text = u"押す"},
          {.name = u"lblPlain", .left = 1500, .top = 120, .width = 1200, .height = 300, .text = u"ラベル"},
          {.name = u"txtMemo", .kind = TextBox, .left = 120, .top = 480, .width = 3000, .height = 1500,
           .tabIndex = 0, .multiLine = true, .scrollBars = ScrollBars::Both},
          {.name = u"txtLine", .kind = TextBox, .left = 120, .top = 2100, .width = 3000, .height = 300, .tabIndex = 1},
          {.name = u"cmbPick", .kind = ComboBox, .left = 3300, .top = 480, .width = 2400, .height = 300, .tabIndex = 2,
           .text = u"(選択)", .list = {u"一番", u"二番", u"三番"}},
          {.name = u"chkTick", .kind = CheckBox, .left = 3300, .top = 960, .width = 2400, .height = 300, .tabIndex = 3,
           .text = u"チェック"},
          {.name = u"cmdOk", .kind = CommandButton, .left = 4560, .top = 3600, .width = 1215, .height = 375,
           .tabIndex = 4, .text = u"OK", .isDefault = true},
          {.name = u"cmdCancel", .kind = CommandButton, .left = 3240, .top = 3600, .width = 1215, .height = 375,
           .tabIndex = 5, .text = u"ｷｬﾝｾﾙ", .isCancel = true},
          {.name = u"cmdOther", .kind = CommandButton, .left = 1920, .top = 3600, .width = 1215, .height = 375,
           .tabIndex = 6, .text = u"他"},
          {.name = u"tmrTick", .kind = Timer, .visible = false, .interval = 50},
      },
      .menus = {{.name = u"mnuPop", .caption = u"メニュー", .visible = false,
                 .items = {{u"one", u"一"}, {u"bar", u"-"}, {u"two", u"二"}}}},
  };
  return def;
}

const FormDef& BlackDef() {
  using enum ControlKind;
  static const FormDef def{
      .name = u"frmBlack", .border = BorderStyle::None, .controlBox = false,
      .left = 900, .top = 900, .width = 6000, .height = 4500, .backColor = platform::kBlack,
      .controls = {
          {.name = u"lblHelp", .left = 120, .top = 120, .width = 3000, .height = 300, .text = u"ヘルプ",
           .foreColor = platform::kWhite, .backColor = platform::kBlack},
          {.name = u"txtMemo", .kind = TextBox, .left = 120, .top = 600, .width = 4000, .height = 2000,
           .tabIndex = 0, .multiLine = true},
          {.name = u"cmdGo", .kind = CommandButton, .left = 4560, .top = 3600, .width = 1215, .height = 375,
           .tabIndex = 1, .text = u"印刷"},
      },
  };
  return def;
}
// clang-format on

}  // namespace pindle::contract
