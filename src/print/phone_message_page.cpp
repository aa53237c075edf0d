#include "print/phone_message_page.h"

#include "platform/text.h"

namespace pindle {

using platform::DecimalText;

std::vector<std::u16string> PhoneMessagePage(const PhoneMessageFields& fields) {
  std::vector<std::u16string> lines;
  lines.reserve(12);
  if (fields.phoneMessage) {
    lines.emplace_back(kBlankLine);
    lines.emplace_back(kRule);
    lines.push_back(fields.time + std::u16string(kAfterTime) + fields.caller +
                    std::u16string(kAfterCaller));
    lines.push_back(fields.callBack);
    lines.emplace_back(kBlankLine);
    lines.push_back(fields.taker + std::u16string(kAfterTaker));
  }
  lines.emplace_back(kBlankLine);
  lines.emplace_back(kRule);
  lines.emplace_back(kBlankLine);
  lines.push_back(fields.memo);
  lines.emplace_back(kBlankLine);
  lines.emplace_back(kRule);
  return lines;
}

std::u16string CallTimeText(const platform::DateTime& at) {
  const int mark = platform::Minute(at) / 10 * 10;
  return DecimalText(platform::Hour(at)) + u"時" + DecimalText(mark) + u"分";
}

}  // namespace pindle
