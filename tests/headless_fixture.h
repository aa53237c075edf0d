// A fresh program run on the in-memory backend for each test, with its own folder as App.Path.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "platform/headless/headless_backend.h"
#include "platform/runtime.h"
#include "platform/text.h"
#include "temp_dir.h"

namespace pindle::testing {

class HeadlessTest : public ::testing::Test {
 protected:
  HeadlessTest() { backend.appPath = dir.U16(); }

  platform::headless::HeadlessWindow& Window(const std::u16string& formName) {
    auto* w = backend.WindowOf(formName);
    if (!w) throw std::logic_error("window not loaded: " + platform::Utf16ToUtf8(formName));
    return *w;
  }
  bool Loaded(const std::u16string& formName) const { return backend.WindowOf(formName); }
  template <class F>
  platform::headless::HeadlessWindow& Show() {
    rt.Show<F>();
    return Window(rt.Instance<F>().Definition().name);
  }
  // Message box i (the last by default), a stop box titled Pindle: its prompt in UTF-8.
  std::string StopBox(std::size_t i = -1) {
    const auto& boxes = backend.MessageBoxes();
    if (i == std::size_t(-1)) i = boxes.size() - 1;
    if (i >= boxes.size()) return "(no message box)";
    EXPECT_EQ(std::tie(boxes[i].style, boxes[i].title),
              std::tuple(platform::kMbIconStop, std::u16string(u"Pindle")));
    return platform::Utf16ToUtf8(boxes[i].prompt);
  }

  TempDir dir;
  platform::headless::HeadlessBackend backend;
  platform::Runtime rt{backend};
};

}  // namespace pindle::testing
