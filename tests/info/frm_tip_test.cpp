// The usage window on the in-memory backend: one window however often it is shown, and its ten
// lines on the white panel in the order a user reads them.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "headless_fixture.h"
#include "info/frm_tip.h"
#include "platform/form.h"

namespace pindle {
namespace {

using platform::ControlDef;
using platform::ControlKind;
using ::testing::ElementsAre;

class FrmTipTest : public testing::HeadlessTest {
 protected:
  platform::headless::HeadlessWindow& Open() {
    rt.Show<frmTip>();
    return Window(u"frmTip");
  }
  // The lines of the panel as drawn, top to bottom.
  std::vector<const ControlDef*> LinesOnScreen() {
    std::vector<const ControlDef*> lines;
    for (const auto& c : frmTipDefinition().controls) {
      if (c.kind == ControlKind::Label) lines.push_back(&c);
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const ControlDef* a, const ControlDef* b) { return a->top < b->top; });
    return lines;
  }
};

TEST_F(FrmTipTest, ShowingItTwiceLeavesOneWindowInFront) {
  rt.Show<frmTip>();
  rt.Show<frmTip>();
  EXPECT_EQ(backend.WindowsCreated(), 1);
  EXPECT_THAT(backend.ZOrder(), ElementsAre(u"frmTip"));
}

TEST_F(FrmTipTest, ClosedFromItsTitleBarAndCreatedAfreshNextTime) {
  auto& w = Open();
  EXPECT_EQ(w.FocusedControl(), u"Picture1");
  const auto first = w.Handle();
  w.PressCloseBox();
  EXPECT_FALSE(Loaded(u"frmTip"));
  EXPECT_NE(Open().Handle(), first);
  EXPECT_TRUE(backend.MessageBoxes().empty());
}

TEST_F(FrmTipTest, TenLinesInReadingOrderEndingWithAltF3) {
  auto& w = Open();
  std::vector<std::u16string> shown;
  for (const ControlDef* line : LinesOnScreen()) shown.push_back(w.Text(line->name, line->index));
  EXPECT_THAT(
      shown,
      ElementsAre(u"●Pindle画面の出し方", u"・タスクトレイのアイコンをダブルクリック",
                  u"・タスクトレイアイコンを右クリック⇒Pindle起動",
                  u"・ショートカットキー　　Alt + F1",  //
                  u"●Pindle画面の消し方",               //
                  u"・黒い部分で左クリック",
                  u"・ショートカットキー　　Alt + F2",  //
                  u"●Pindle登録画面の出し方", u"・タスクトレイアイコンを右クリック⇒登録メモ編集",
                  u"・ショートカットキー　　Alt + F3"));
  // The last two elements of the array change places on the panel.
  const auto lines = LinesOnScreen();
  EXPECT_EQ(lines[8]->index, 9);
  EXPECT_EQ(lines[9]->index, 8);
  // Every element of the array is there once, one line each.
  std::set<int> indices;
  std::set<int> tops;
  for (const ControlDef* line : lines) {
    EXPECT_EQ(line->name, u"Label1");
    indices.insert(line->index);
    tops.insert(line->top);
  }
  EXPECT_EQ(indices, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(tops.size(), 10u);
}

TEST_F(FrmTipTest, HeadingsStandOutToTheLeftOfTheirItems) {
  for (const ControlDef* line : LinesOnScreen()) {
    const bool heading = line->text.starts_with(u"●");
    EXPECT_EQ(line->left, heading ? 600 : 960) << platform::Utf16ToUtf8(line->text);
    if (!heading) {
      EXPECT_TRUE(line->text.starts_with(u"・"));
    }
  }
}

TEST_F(FrmTipTest, ShortcutLinesUseIdeographicAndAsciiSpacesExactly) {
  for (const ControlDef* line : LinesOnScreen()) {
    if (!line->text.starts_with(u"・ショートカットキー")) continue;
    const std::u16string_view rest = std::u16string_view(line->text).substr(10);
    EXPECT_TRUE(rest.starts_with(u"\u3000\u3000Alt + F")) << platform::Utf16ToUtf8(line->text);
  }
}

TEST_F(FrmTipTest, BlackTextOnAWhitePanelThatTakesTheFocus) {
  const auto& def = frmTipDefinition();
  const auto& panel = def.controls.at(static_cast<std::size_t>(def.Find(u"Picture1")));
  EXPECT_EQ(panel.kind, ControlKind::PictureBox);
  EXPECT_EQ(panel.backColor, platform::kWhite);
  EXPECT_EQ(panel.picture, platform::Picture::ProductIcon32);
  for (const ControlDef* line : LinesOnScreen()) {
    EXPECT_EQ(line->container, u"Picture1");
    EXPECT_EQ(line->backColor, platform::kWhite);
    EXPECT_EQ(line->foreColor, std::nullopt);
    EXPECT_EQ(line->font, std::nullopt);
    EXPECT_EQ(line->height, 255);
    EXPECT_LE(line->left + line->width, panel.width);
    EXPECT_LE(line->top + line->height, panel.height);
  }
  std::vector<std::u16string> order;
  for (const int id : def.TabOrder())
    order.push_back(def.controls[static_cast<std::size_t>(id)].name);
  EXPECT_THAT(order, ElementsAre(u"Picture1"));
}

TEST_F(FrmTipTest, ASizableWindowWithoutMinimiseOrMaximise) {
  const auto& def = frmTipDefinition();
  EXPECT_EQ(def.caption, u"使い方");
  EXPECT_EQ(def.border, platform::BorderStyle::Sizable);
  EXPECT_TRUE(def.controlBox);
  EXPECT_FALSE(def.minButton);
  EXPECT_FALSE(def.maxButton);
  EXPECT_FALSE(def.showInTaskbar);
  EXPECT_EQ(def.startPosition, platform::StartPosition::Manual);
  EXPECT_EQ(def.icon, platform::FormIcon::Product);
  EXPECT_NE(Open().GetForm().Icon(), 0);
}

}  // namespace
}  // namespace pindle
