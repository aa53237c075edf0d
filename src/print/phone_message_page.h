// The printed telephone message as a list of lines, built from the print dialog's fields alone
// so that it can be compared without a printer; and the time text the dialog starts with.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"

namespace pindle {

// The texts the page is made of.
inline constexpr std::u16string_view kBlankLine = u"　";  // one ideographic space
inline constexpr std::u16string_view kRule =
    u"-----------------------------------------------------------------";  // 65 hyphens
inline constexpr std::u16string_view kAfterTime = u"　頃、　";
inline constexpr std::u16string_view kAfterCaller = u"様より電話連絡あり。";
inline constexpr std::u16string_view kAfterTaker = u"受け";

// What the page is built from, as the dialog holds it at the moment of printing.
struct PhoneMessageFields {
  bool phoneMessage = false;  // the phone-message switch is ticked
  std::u16string time;        // the time of the call, as the user left it
  std::u16string caller;
  std::u16string callBack;  // the chosen entry of the call-back list; empty when none is chosen
  std::u16string taker;
  std::u16string memo;  // may hold line ends; it stays one line of the list
};

// The lines of the page, one printer Print each: the six lines of the telephone message when
// the switch is ticked, then the six lines around the memo.
std::vector<std::u16string> PhoneMessagePage(const PhoneMessageFields& fields);

// The time of a call at the ten-minute mark its minute falls in, without padding: 8:19 gives
// "8時10分", 0:00 gives "0時0分".
std::u16string CallTimeText(const platform::DateTime& at);

}  // namespace pindle
