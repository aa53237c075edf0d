// memo.txt of any bytes, loaded, saved unedited and loaded again: the same text; the same bytes
// when the file was code page 932 lines ended by CR LF written as the encoder writes them (the
// table gives several byte pairs for some characters and writes one of them back); a refused
// save names characters that cannot be stored and leaves every byte of the file as it was.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz_check.h"
#include "memo/memo_file.h"
#include "platform/cp932.h"
#include "platform/runtime_error.h"
#include "platform/text.h"

namespace {

using namespace pindle;

// memo.txt in a folder of its own, in memory where the system has a memory file system.
const std::u16string& MemoPath() {
  static const std::u16string path = [] {
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                           ? "/dev/shm"
                                           : std::filesystem::temp_directory_path();
    std::string folder = (base / "pindle-fuzz-XXXXXX").string();
    if (!::mkdtemp(folder.data())) std::abort();
    return platform::Utf8ToUtf16(folder + "/memo.txt");
  }();
  return path;
}

std::string Bytes() {
  return platform::ReadFileIfExists(MemoPath()).value_or("");
}

// Lines ended by CR LF, no other line break, each character as the encoder writes it.
bool CanonicalLines(const std::string& bytes) {
  if (bytes.size() < 2 || !bytes.ends_with("\r\n")) return false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && bytes[i + 1] != '\n') return false;
    if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) return false;
  }
  const auto encoded = platform::EncodeCp932(platform::DecodeCp932(bytes));
  return encoded.ok() && encoded.bytes == bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string original(reinterpret_cast<const char*>(data), size);
  platform::ReplaceFileContents(MemoPath(), original);
  const std::u16string text = LoadMemoFile(MemoPath());
  PINDLE_FUZZ_CHECK(text.empty() || text.ends_with(u"\r\n"), "a loaded line lacks its CR LF");
  try {
    SaveMemoFile(MemoPath(), text);
  } catch (const platform::RuntimeError& e) {
    PINDLE_FUZZ_CHECK(!platform::EncodeCp932(text).ok(), "a save of storable text was refused");
    PINDLE_FUZZ_CHECK(!e.Description().empty(), "a refusal without a message");
    PINDLE_FUZZ_CHECK(Bytes() == original, "a refused save changed memo.txt");
    return 0;
  }
  const std::string saved = Bytes();
  PINDLE_FUZZ_CHECK(LoadMemoFile(MemoPath()) == (text.empty() ? u"\r\n" : text),
                    "the saved memo loads as another text");
  if (CanonicalLines(original))
    PINDLE_FUZZ_CHECK(saved == original, "an unedited save changed bytes");
  return 0;
}
