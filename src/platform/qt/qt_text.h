// The program's UTF-16 text and Qt's strings, which are UTF-16 too.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace pindle::platform::qt {

inline QString ToQString(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::u16string FromQString(const QString& text) {
  return text.toStdU16String();
}

}  // namespace pindle::platform::qt
