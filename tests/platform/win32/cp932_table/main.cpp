// Writes the code page 932 table of this build's codec (cp932_table.h) to the file named on
// the command line.  Built and run on Linux, where the codec looks characters up with iconv.
#include <cstdio>
#include <fstream>

#include "cp932_table.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  for (const std::string& line : pindle::cp932_table::Lines()) out << line << '\n';
  out.close();
  if (!out) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
