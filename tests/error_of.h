// The number of the runtime error a step raises (its description into text, if asked), or 0.
#pragma once

#include <functional>
#include <string>

#include "platform/runtime_error.h"

namespace pindle::testing {

inline int ErrorOf(const std::function<void()>& step, std::u16string* text = nullptr) {
  try {
    step();
  } catch (const platform::RuntimeError& e) {
    if (text) *text = e.Description();
    return e.Number();
  }
  return 0;
}

}  // namespace pindle::testing
