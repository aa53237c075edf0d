#include "platform/form_definition.h"

#include <algorithm>

namespace pindle::platform {

int FormDef::Find(std::u16string_view controlName, int arrayIndex) const {
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].name == controlName && controls[i].index == arrayIndex) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

std::vector<int> FormDef::TabOrder() const {
  std::vector<int> order;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].TakesFocus()) order.push_back(static_cast<int>(i));
  }
  std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
    return controls[static_cast<std::size_t>(a)].tabIndex <
           controls[static_cast<std::size_t>(b)].tabIndex;
  });
  return order;
}

}  // namespace pindle::platform
