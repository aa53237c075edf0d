// The code page 932 codec built on the Win32 code page functions agrees with the one built on
// glibc iconv, code by code: the Linux build wrote its table (cp932_table/), this build
// computes the same table here and compares.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "cp932_table/cp932_table.h"
#include "platform/cp932.h"
#include "win32_test_files.h"

namespace pindle::testing {
namespace {

std::vector<std::string> ReadLines(const std::filesystem::path& file) {
  std::vector<std::string> lines;
  std::ifstream in(file, std::ios::binary);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// "kind code", the part of a table line that names what the line is about.
std::string Key(const std::string& line) {
  const std::size_t afterKind = line.find(' ');
  return line.substr(0, line.find(' ', afterKind + 1));
}

TEST(Cp932AgainstLinuxTest, EveryCodeAndCharacterConvertsAsOnLinux) {
  if (!TestFiles().cp932Table) {
    GTEST_SKIP() << "no table of the Linux codec given (--cp932-table=<file>)";
  }
  const std::vector<std::string> onLinux = ReadLines(*TestFiles().cp932Table);
  const std::vector<std::string> onWindows = cp932_table::Lines();
  ASSERT_EQ(onLinux.size(), onWindows.size()) << "the two tables cover different codes";

  std::size_t mismatches = 0;
  std::map<std::string, std::size_t> mismatchesByKind;
  for (std::size_t i = 0; i < onLinux.size(); ++i) {
    ASSERT_EQ(Key(onLinux[i]), Key(onWindows[i])) << "line " << i + 1;
    if (onLinux[i] == onWindows[i]) continue;
    ++mismatchesByKind[onLinux[i].substr(0, onLinux[i].find(' '))];
    if (++mismatches <= 20) {
      ADD_FAILURE() << "Linux:   " << onLinux[i] << "\nWindows: " << onWindows[i];
    }
  }
  EXPECT_EQ(mismatches, 0u) << "lines that differ (only the first 20 are shown)";
  for (const auto& [kind, count] : mismatchesByKind) {
    ADD_FAILURE() << count << " " << kind << " lines differ";
  }
}

// The comparison above needs a system table to compare; make sure this one is the real one.
TEST(Cp932AgainstLinuxTest, TheWindowsTableKnowsJapanese) {
  EXPECT_EQ(platform::DecodeCp932("\x93\xE0\x90\xFC"), u"内線");
  EXPECT_EQ(platform::EncodeCp932(u"内線").bytes, "\x93\xE0\x90\xFC");
  CPINFO info{};
  ASSERT_TRUE(::GetCPInfo(932, &info));
  EXPECT_EQ(info.MaxCharSize, 2u);
}

}  // namespace
}  // namespace pindle::testing
