// Window definitions as data.  Each window of the program is declared as one FormDef table
// beside its handlers; a backend builds the real window from it.  Positions and sizes are in
// twips (1/1440 inch); Left and Top of a control are relative to its container.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pindle::platform {

using Twips = int;

struct Color {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Color&, const Color&) = default;
};

inline constexpr Color kBlack{0, 0, 0};
inline constexpr Color kWhite{255, 255, 255};

struct FontDef {
  std::u16string name{};
  float sizePt = 9.0f;
  int charset = 1;  // 128 = Shift-JIS; 1 = the system's default
  friend bool operator==(const FontDef&, const FontDef&) = default;
};

inline constexpr int kShiftJisCharset = 128;

enum class ControlKind {
  Label,
  TextBox,
  CommandButton,
  CheckBox,
  ComboBox,  // an editable text part with a drop-down list
  Timer,
  PictureBox,
  Frame,
  Line,
  CommonDialog,  // the system's print dialog; never visible on the window
};

enum class ScrollBars { None, Horizontal, Vertical, Both };
enum class LineStyle { Solid, InsideSolid };
enum class Picture { None, ProductIcon32 };

struct ControlDef {
  std::u16string name{};
  int index = -1;  // element of a control array, or -1
  ControlKind kind = ControlKind::Label;
  std::u16string container{};  // the containing control's name; empty for the window
  Twips left = 0, top = 0, width = 0, height = 0;  // a Line: x1, y1, x2, y2
  int tabIndex = 0;
  bool visible = true;
  std::u16string text{};  // Caption of labels, buttons, frames, check boxes; Text of boxes
  std::optional<Color> foreColor{};  // nullopt: the platform's default text colour
  std::optional<Color> backColor{};  // nullopt: the platform's default for the kind
  std::optional<FontDef> font{};     // nullopt: the platform's default dialog font
  bool multiLine = false;
  ScrollBars scrollBars = ScrollBars::None;
  bool isDefault = false;              // command button pressed by Enter
  bool isCancel = false;               // command button pressed by Esc
  std::vector<std::u16string> list{};  // ComboBox entries, in order
  int interval = 0;                    // Timer, milliseconds
  int borderWidth = 1;                 // Line width in pixels
  LineStyle lineStyle = LineStyle::Solid;
  Picture picture = Picture::None;
  bool border = false;    // PictureBox sunken border
  bool wordWrap = false;  // Label text wraps inside its width

  // Labels, lines and timers never take the keyboard focus.
  bool TakesFocus() const {
    return kind == ControlKind::TextBox || kind == ControlKind::CommandButton ||
           kind == ControlKind::CheckBox || kind == ControlKind::ComboBox ||
           kind == ControlKind::PictureBox;
  }
};

struct MenuItemDef {
  std::u16string name{};
  std::u16string caption{};  // "-" draws a separator line
  bool IsSeparator() const { return caption == u"-"; }
};

struct MenuDef {
  std::u16string name{};
  std::u16string caption{};
  bool visible = true;  // a hidden top-level menu serves only as a pop-up menu
  std::vector<MenuItemDef> items{};
};

enum class BorderStyle { None, FixedSingle, Sizable, FixedDialog };
enum class StartPosition { Manual, WindowsDefault };
enum class WindowState { Normal, Maximized };
enum class FormIcon { None, Product, Dialog };

struct FormDef {
  std::u16string name{};
  std::u16string caption{};
  BorderStyle border = BorderStyle::Sizable;
  bool controlBox = true;  // title-bar close box and system menu
  bool minButton = false;
  bool maxButton = false;
  bool showInTaskbar = false;
  Twips left = 0, top = 0, width = 0, height = 0;  // the client area, from the screen's corner
  StartPosition startPosition = StartPosition::Manual;
  WindowState windowState = WindowState::Normal;
  std::optional<Color> backColor{};  // nullopt: the system's button-face colour
  FormIcon icon = FormIcon::None;
  std::vector<ControlDef> controls{};  // back-to-front order
  std::vector<MenuDef> menus{};

  // Index of the control with this name (and array index), or -1.
  int Find(std::u16string_view controlName, int arrayIndex = -1) const;
  // The controls that take the focus, in tab order.
  std::vector<int> TabOrder() const;
};

}  // namespace pindle::platform
