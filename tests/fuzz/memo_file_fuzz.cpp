// memo.txt of any bytes, loaded, saved unedited and loaded again: the same text, and the same
// bytes when the file was lines ended by CR LF with each character as the encoder writes it
// (code page 932 has several byte pairs for some characters and writes one of them back).  A
// refused save is one of text that cannot be stored, and leaves every byte of the file.
#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "memo/memo_file.h"
#include "platform/cp932.h"
#include "platform/runtime_error.h"
#include "temp_dir.h"

using namespace pindle;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const testing::TempDir dir;  // TMPDIR=/dev/shm keeps it in memory
  static const std::u16string path = dir.U16("memo.txt");
  auto bytes = [] { return platform::ReadFileIfExists(path).value_or(""); };
  const std::string original(reinterpret_cast<const char*>(data), size);
  platform::ReplaceFileContents(path, original);
  const std::u16string text = LoadMemoFile(path);
  try {
    SaveMemoFile(path, text);
  } catch (const platform::RuntimeError& e) {
    PINDLE_FUZZ_CHECK(!platform::EncodeCp932(text).ok() && !e.Description().empty(),
                      "storable text refused");
    PINDLE_FUZZ_CHECK(bytes() == original, "a refused save changed memo.txt");
    return 0;
  }
  PINDLE_FUZZ_CHECK(LoadMemoFile(path) == (text.empty() ? u"\r\n" : text),
                    "the saved memo loads as another text");
  const auto encoded = platform::EncodeCp932(platform::DecodeCp932(original));
  bool crLfLines = original.ends_with("\r\n");
  for (std::size_t i = 0; i < original.size(); ++i) {
    crLfLines &= (original[i] == '\r') == (i + 1 < original.size() && original[i + 1] == '\n') &&
                 (original[i] != '\n' || (i > 0 && original[i - 1] == '\r'));
  }
  PINDLE_FUZZ_CHECK(!crLfLines || !encoded.ok() || encoded.bytes != original || bytes() == original,
                    "an unedited save changed the bytes of canonical lines");
  return 0;
}
