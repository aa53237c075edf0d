// A fresh program run on the in-memory backend for each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/headless/headless_backend.h"
#include "platform/runtime.h"
#include "platform/text.h"

namespace pindle::testing {

class HeadlessTest : public ::testing::Test {
 protected:
  platform::headless::HeadlessBackend backend;
  platform::Runtime rt{backend};

  platform::headless::HeadlessWindow& Window(const std::u16string& formName) {
    auto* w = backend.WindowOf(formName);
    if (!w) throw std::logic_error("window not loaded: " + platform::Utf16ToUtf8(formName));
    return *w;
  }
  bool Loaded(const std::u16string& formName) const {
    return backend.WindowOf(formName) != nullptr;
  }
};

}  // namespace pindle::testing
