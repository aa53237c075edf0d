// Who makes Pindle and where to reach them: shown in the About window and used as the targets
// of its links.  Kept in one place so the labels and the shell requests cannot drift apart.
#pragma once

#include <string_view>

namespace pindle {

inline constexpr std::u16string_view kAuthorMailAddress = u"pindle@example.jp";
inline constexpr std::u16string_view kAuthorHomePage = u"https://pindle.example.org/";
inline constexpr std::u16string_view kCopyrightLine = u"Copyright (C) 2026 Pindle developers";

}  // namespace pindle
