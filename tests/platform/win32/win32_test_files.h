// Files the Windows tests work on, named on their command line (CTest passes both):
//   --pindle-exe=<the built Pindle.exe>
//   --cp932-table=<the code page 932 table the Linux codec wrote>
#pragma once

#include <optional>
#include <string>

namespace pindle::testing {

struct Win32TestFiles {
  std::optional<std::wstring> pindleExe;
  std::optional<std::wstring> cp932Table;
};

const Win32TestFiles& TestFiles();

}  // namespace pindle::testing
