#include "info/frm_tip.h"

#include <string>

namespace pindle {

using namespace platform;

namespace {

// One line of the usage text: an element of the Label1 array on the white panel.
ControlDef TipLine(int index, Twips left, Twips top, Twips width, std::u16string caption) {
  return {.name = u"Label1",
          .index = index,
          .kind = ControlKind::Label,
          .container = u"Picture1",
          .left = left,
          .top = top,
          .width = width,
          .height = 255,
          .tabIndex = index + 1,
          .text = std::move(caption),
          .backColor = kWhite};
}

}  // namespace

const FormDef& frmTipDefinition() {
  static const FormDef def{
      .name = u"frmTip",
      .caption = u"使い方",
      .border = BorderStyle::Sizable,
      .controlBox = true,
      .minButton = false,
      .maxButton = false,
      .showInTaskbar = false,
      .left = 2370,
      .top = 2400,
      .width = 5415,
      .height = 3420,
      .startPosition = StartPosition::Manual,
      .icon = FormIcon::Product,
      // The lines are listed top to bottom; the last two elements of the array are in the
      // opposite order on the panel.
      .controls =
          {
              {.name = u"Picture1",
               .kind = ControlKind::PictureBox,
               .left = 120,
               .top = 120,
               .width = 5055,
               .height = 3075,
               .tabIndex = 0,
               .backColor = kWhite,
               .picture = Picture::ProductIcon32,
               .border = true},
              TipLine(0, 600, 120, 3615, u"●Pindle画面の出し方"),
              TipLine(1, 960, 360, 3615, u"・タスクトレイのアイコンをダブルクリック"),
              TipLine(2, 960, 600, 3855, u"・タスクトレイアイコンを右クリック⇒Pindle起動"),
              TipLine(3, 960, 840, 3615, u"・ショートカットキー　　Alt + F1"),
              TipLine(4, 600, 1200, 3615, u"●Pindle画面の消し方"),
              TipLine(5, 960, 1440, 3615, u"・黒い部分で左クリック"),
              TipLine(6, 960, 1680, 3615, u"・ショートカットキー　　Alt + F2"),
              TipLine(7, 600, 2040, 3615, u"●Pindle登録画面の出し方"),
              TipLine(9, 960, 2280, 3855, u"・タスクトレイアイコンを右クリック⇒登録メモ編集"),
              TipLine(8, 960, 2520, 3615, u"・ショートカットキー　　Alt + F3"),
          },
  };
  return def;
}

frmTip::frmTip(Runtime& rt) : Form(rt, frmTipDefinition()) {}

}  // namespace pindle
