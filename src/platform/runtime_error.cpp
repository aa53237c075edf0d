#include "platform/runtime_error.h"

#include "platform/text.h"

namespace pindle::platform {

std::string RuntimeError::MakeWhat() const {
  return "runtime error " + std::to_string(number_) + ": " + Utf16ToUtf8(description_);
}

}  // namespace pindle::platform
