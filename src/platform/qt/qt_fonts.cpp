#include "platform/qt/qt_fonts.h"

#include <QStringList>

#include "platform/qt/qt_text.h"

namespace pindle::platform::qt {

namespace {

const QString kMsGothic = QStringLiteral("ＭＳ ゴシック");
const QString kMsPGothic = QStringLiteral("ＭＳ Ｐゴシック");
const QString kDialogFont = QStringLiteral("Pindle Dialog");
constexpr float kDialogPoints = 9.0f;

}  // namespace

void InstallFontSubstitutions() {
  static const bool installed = [] {
    QFont::insertSubstitutions(
        kMsGothic, {QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック"),
                    QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("monospace")});
    QFont::insertSubstitutions(kMsPGothic,
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                                QStringLiteral("Noto Sans CJK JP")});
    QFont::insertSubstitutions(kDialogFont,
                               {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"),
                                QStringLiteral("sans-serif")});
    QFont::insertSubstitutions(QStringLiteral("ＭＳ 明朝"),
                               {QStringLiteral("IPAMincho"), QStringLiteral("Noto Serif CJK JP")});
    return true;
  }();
  (void)installed;
}

QFont FontOf(const std::optional<FontDef>& font) {
  InstallFontSubstitutions();
  if (!font) {
    QFont f(kDialogFont);
    f.setPointSizeF(kDialogPoints);
    return f;
  }
  QFont f(ToQString(font->name));
  f.setPointSizeF(static_cast<qreal>(font->sizePt));
  // A face whose name has no "Ｐ" (proportional) is the fixed-pitch one of its family.
  if (!font->name.empty() && font->name.find(u'Ｐ') == std::u16string::npos &&
      font->name.find(u"ゴシック") != std::u16string::npos) {
    f.setFixedPitch(true);
    f.setStyleHint(QFont::Monospace);
  }
  return f;
}

QFont PrinterFont(float points) {
  QFont f = FontOf(FontDef{.name = kMsGothic.toStdU16String(), .sizePt = points});
  return f;
}

}  // namespace pindle::platform::qt
