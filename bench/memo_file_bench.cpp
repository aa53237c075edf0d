// memo.txt as the program reads and writes it, at three sizes: a 100-line memo as an office
// user keeps it, 1 MB and 10 MB.  For each: reading the file (read + decode + line ends), the
// decode alone, and a save (encode + the atomic replace, flushed to disk).  Medians of repeats,
// one "name: value unit" line per figure.
//   memo_file_bench [DIR]   (DIR: where the files go, default the system's temporary folder)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "memo/memo_file.h"
#include "platform/cp932.h"
#include "platform/text.h"
#include "platform/text_file.h"

namespace {

using pindle::LoadMemoFile;
using pindle::SaveMemoFile;
using pindle::platform::DecodeCp932;
using pindle::platform::EncodeCp932;

const char16_t* const kLines[] = {
    u"2024/05/14 明日の会議は中止。資料は共有フォルダ \\\\server\\share に置きました。",
    u"・買い物：牛乳、卵、食パン（６枚切り）、ﾀﾞｲｱﾛｸﾞ ｷｬﾌﾟｼｮﾝ用の電池",
    u"①見積書の確認 ②請求書の発行 ③Ⅰ期分の入金確認～月末まで",
    u"TODO: fix the printer settings; 髙橋さんに連絡（内線 1234）",
    u"",
    u"取引先：株式会社サンプル 営業部 ｻﾝﾌﾟﾙ様 TEL 03-1234-5678 FAX 03-1234-5679",
};

// The memo text of `lines` lines, or of at least `bytes` bytes once encoded.
std::u16string MemoText(std::size_t lines, std::size_t bytes) {
  std::u16string text;
  std::size_t encoded = 0;
  for (std::size_t i = 0; (lines > 0 && i < lines) || (lines == 0 && encoded < bytes); ++i) {
    std::u16string line = kLines[i % std::size(kLines)];
    line += u"\r\n";
    encoded += EncodeCp932(line).bytes.size();
    text += line;
  }
  return text;
}

double MedianMs(int repeats, const std::function<void()>& run) {
  std::vector<double> times;
  for (int i = 0; i < repeats; ++i) {
    const auto start = std::chrono::steady_clock::now();
    run();
    times.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path dir =
      argc > 1 ? std::filesystem::path(argv[1]) : std::filesystem::temp_directory_path();
  struct Case {
    const char* name;
    std::size_t lines;
    std::size_t bytes;
    int repeats;
  };
  const Case cases[] = {
      {"100lines", 100, 0, 51},
      {"1MB", 0, 1000 * 1000, 11},
      {"10MB", 0, 10 * 1000 * 1000, 5},
  };
  for (const Case& c : cases) {
    const std::u16string text = MemoText(c.lines, c.bytes);
    const std::filesystem::path file = dir / (std::string("pindle-bench-memo-") + c.name);
    const std::u16string path = pindle::platform::Utf8ToUtf16(file.string());
    SaveMemoFile(path, text);
    const std::string bytes = *pindle::platform::ReadFileIfExists(path);
    std::printf("memo_%s_bytes: %zu bytes\n", c.name, bytes.size());
    std::u16string loaded;
    std::printf("memo_%s_load: %.3f ms\n", c.name,
                MedianMs(c.repeats, [&] { loaded = LoadMemoFile(path); }));
    if (loaded != text) {
      std::fprintf(stderr, "memo_file_bench: %s did not read back\n", c.name);
      return 1;
    }
    std::printf("memo_%s_decode: %.3f ms\n", c.name,
                MedianMs(c.repeats, [&] { loaded = DecodeCp932(bytes); }));
    std::printf("memo_%s_encode: %.3f ms\n", c.name,
                MedianMs(c.repeats, [&] { (void)EncodeCp932(text); }));
    std::printf("memo_%s_save: %.3f ms\n", c.name,
                MedianMs(c.repeats, [&] { SaveMemoFile(path, text); }));
    std::filesystem::remove(file);
  }
  return 0;
}
