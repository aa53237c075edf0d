// Throughput of the code page 932 codec on a 64 KiB memo: the size of a long memo.txt that is
// read at start-up and written on every save.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>

#include "platform/cp932.h"

namespace {

using pindle::platform::Cp932Encoded;
using pindle::platform::DecodeCp932;
using pindle::platform::EncodeCp932;

constexpr std::size_t kMemoBytes = 64 * 1024;

// Memo lines in the proportions of real notes: mostly kanji and kana, some ASCII, half-width
// katakana, NEC row 13 symbols and CR LF line ends.
std::u16string MemoText() {
  const std::u16string lines[] = {
      u"2024/05/14 明日の会議は中止。資料は共有フォルダ \\\\server\\share に置きました。\r\n",
      u"・買い物：牛乳、卵、食パン（６枚切り）、ﾀﾞｲｱﾛｸﾞ ｷｬﾌﾟｼｮﾝ用の電池\r\n",
      u"①見積書の確認 ②請求書の発行 ③Ⅰ期分の入金確認～月末まで\r\n",
      u"TODO: fix the printer settings; 髙橋さんに連絡（内線 1234）\r\n",
      u"\r\n",
  };
  std::u16string text;
  std::size_t bytes = 0;
  for (std::size_t i = 0;; ++i) {
    const std::u16string& line = lines[i % std::size(lines)];
    const std::size_t lineBytes = EncodeCp932(line).bytes.size();
    if (bytes + lineBytes > kMemoBytes) break;
    text += line;
    bytes += lineBytes;
  }
  return text;
}

const std::u16string& Memo() {
  static const std::u16string text = MemoText();
  return text;
}

const std::string& MemoBytes() {
  static const std::string bytes = [] {
    Cp932Encoded encoded = EncodeCp932(Memo());
    if (!encoded.ok()) std::abort();
    return encoded.bytes;
  }();
  return bytes;
}

void BM_EncodeMemo(benchmark::State& state) {
  const std::u16string& text = Memo();
  for (auto _ : state) {
    Cp932Encoded encoded = EncodeCp932(text);
    benchmark::DoNotOptimize(encoded);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(MemoBytes().size()));
  state.counters["chars"] = static_cast<double>(text.size());
}
BENCHMARK(BM_EncodeMemo);

void BM_DecodeMemo(benchmark::State& state) {
  const std::string& bytes = MemoBytes();
  for (auto _ : state) {
    std::u16string text = DecodeCp932(bytes);
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(bytes.size()));
  state.counters["chars"] = static_cast<double>(Memo().size());
}
BENCHMARK(BM_DecodeMemo);

}  // namespace

BENCHMARK_MAIN();
