// The one text shared between windows: the free memo the quick memo window's print button
// hands to the print dialog.  Empty when the program starts.
#pragma once

#include <string>

namespace pindle {

struct Module1 {
  std::u16string SharedMemo;
};

}  // namespace pindle
