// The one main of win32_tests: GoogleTest's own options, then the files the tests work on
// (win32_test_files.h), read from the wide command line so any path arrives intact.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// windows.h first: shellapi.h needs its types.
#include <shellapi.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "win32_test_files.h"

namespace pindle::testing {
namespace {

Win32TestFiles files;

// Owns the argument array CommandLineToArgvW allocates.
class WideArguments {
 public:
  WideArguments() : argv_(::CommandLineToArgvW(::GetCommandLineW(), &argc_)) {}
  ~WideArguments() {
    if (argv_) ::LocalFree(argv_);
  }
  WideArguments(const WideArguments&) = delete;
  WideArguments& operator=(const WideArguments&) = delete;

  int size() const { return argv_ ? argc_ : 0; }
  std::wstring_view operator[](int i) const { return argv_[i]; }

 private:
  int argc_ = 0;
  wchar_t** argv_;
};

bool TakeOption(std::wstring_view argument, std::wstring_view name,
                std::optional<std::wstring>& value) {
  if (!argument.starts_with(name)) return false;
  value = std::wstring(argument.substr(name.size()));
  return true;
}

}  // namespace

const Win32TestFiles& TestFiles() {
  return files;
}

}  // namespace pindle::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleMock(&argc, argv);
  using pindle::testing::files;
  const pindle::testing::WideArguments arguments;
  for (int i = 1; i < arguments.size(); ++i) {
    const std::wstring_view a = arguments[i];
    if (a.starts_with(L"--gtest") || a.starts_with(L"--gmock")) continue;  // taken above
    if (pindle::testing::TakeOption(a, L"--pindle-exe=", files.pindleExe)) continue;
    if (pindle::testing::TakeOption(a, L"--cp932-table=", files.cp932Table)) continue;
    std::fwprintf(stderr, L"win32_tests: unknown argument %ls\n", std::wstring(a).c_str());
    return 2;
  }
  return RUN_ALL_TESTS();
}
