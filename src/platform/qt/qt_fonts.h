// Fonts of the window definitions on a Linux desktop.  The Japanese Windows fonts are named by
// their Windows names and found through font substitution among the installed Japanese fonts
// (IPA Gothic, Noto Sans CJK JP); "ＭＳ ゴシック" stays fixed-pitch.  Controls without a font
// get the dialog font.
#pragma once

#include <QFont>
#include <optional>

#include "platform/form_definition.h"

namespace pindle::platform::qt {

// Registers the substitutions once per application.
void InstallFontSubstitutions();

QFont FontOf(const std::optional<FontDef>& font);

// The fixed-pitch Japanese font the printer uses.
QFont PrinterFont(float points);

}  // namespace pindle::platform::qt
