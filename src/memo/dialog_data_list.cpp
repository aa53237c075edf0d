#include "memo/dialog_data_list.h"

#include "memo/memo_file.h"

namespace pindle {

using namespace platform;

const FormDef& Dialog_DataListDefinition() {
  static const FormDef def{
      .name = u"Dialog_DataList",
      .caption = u"ﾀﾞｲｱﾛｸﾞ ｷｬﾌﾟｼｮﾝ",
      .border = BorderStyle::FixedDialog,
      .controlBox = true,
      .minButton = false,
      .maxButton = false,
      .showInTaskbar = false,
      .left = 630,
      .top = 720,
      .width = 9105,
      .height = 7560,
      .startPosition = StartPosition::Manual,
      .icon = FormIcon::Dialog,
      .controls =
          {
              {.name = u"Text1",
               .kind = ControlKind::TextBox,
               .left = 240,
               .top = 120,
               .width = 8655,
               .height = 6855,
               .tabIndex = 2,
               .text = u"Text1",
               .font =
                   FontDef{.name = u"ＭＳ ゴシック", .sizePt = 9.0f, .charset = kShiftJisCharset},
               .multiLine = true,
               .scrollBars = ScrollBars::Both},
              // Neither button is the default or the cancel button: Enter in the box starts a
              // new line, and only a press on a focused button registers or cancels.
              {.name = u"OKButton",
               .kind = ControlKind::CommandButton,
               .left = 7680,
               .top = 7080,
               .width = 1215,
               .height = 375,
               .tabIndex = 0,
               .text = u"登録"},
              {.name = u"CancelButton",
               .kind = ControlKind::CommandButton,
               .left = 6240,
               .top = 7080,
               .width = 1215,
               .height = 375,
               .tabIndex = 1,
               .text = u"ｷｬﾝｾﾙ"},
          },
  };
  return def;
}

Dialog_DataList::Dialog_DataList(Runtime& rt) : Form(rt, Dialog_DataListDefinition()) {
  On(u"OKButton", Event::Click, [this] { OKButton_Click(); });
  On(u"CancelButton", Event::Click, [this] { CancelButton_Click(); });
}

void Dialog_DataList::Form_Load() {
  Text1.SetText(LoadMemoFile(MemoFilePath(App().AppPath())));
  loadedText_ = Text1.Text();  // as the box holds it
}

// Signing out with an edit not registered would lose it: the session waits, the editor comes
// forward, and the user decides.  Nothing is saved unasked.
void Dialog_DataList::Form_QueryEndSession(int& Cancel, std::u16string& Reason) {
  if (Text1.Text() == loadedText_) return;
  Cancel = 1;
  Reason =
      u"登録メモの変更が保存されていません。Pindle "
      u"の登録メモ編集で「登録」か「ｷｬﾝｾﾙ」を押して下さい。";
}

// A failed save raises out of here before the unload: the runtime reports what went wrong and
// the editor stays open with the edit, so the user can mend it and register again.
void Dialog_DataList::OKButton_Click() {
  SaveMemoFile(MemoFilePath(App().AppPath()), Text1.Text());
  App().Unload<Dialog_DataList>();
}

void Dialog_DataList::CancelButton_Click() {
  App().Unload<Dialog_DataList>();
}

}  // namespace pindle
