// The code page 932 codec built on the Win32 code page functions agrees with the one built on
// glibc iconv, code by code: the Linux build wrote its table (cp932_table/) into the file
// PINDLE_CP932_TABLE names; this build computes the same table here and compares.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "cp932_table/cp932_table.h"

namespace pindle::testing {
namespace {

TEST(Cp932AgainstLinuxTest, EveryCodeAndCharacterConvertsAsOnLinux) {
  const char* table = std::getenv("PINDLE_CP932_TABLE");
  if (!table) GTEST_SKIP() << "PINDLE_CP932_TABLE names no table of the Linux codec";
  std::ifstream onLinux(table, std::ios::binary);
  const std::vector<std::string> onWindows = cp932_table::Lines();
  std::size_t lines = 0, mismatches = 0;
  for (std::string line; std::getline(onLinux, line); ++lines) {
    const std::string mine = lines < onWindows.size() ? onWindows[lines] : "(none)";
    if (line != mine && ++mismatches <= 20) {
      ADD_FAILURE() << "Linux:   " << line << "\nWindows: " << mine;
    }
  }
  EXPECT_EQ(lines, onWindows.size()) << "the two tables cover different codes";
  EXPECT_EQ(mismatches, 0u) << "lines that differ (the first 20 are shown)";
}

}  // namespace
}  // namespace pindle::testing
