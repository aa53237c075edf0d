// Throughput of the code page 932 codec on a 10 MB memo, the largest memo.txt the memo-file
// figures use, and beside it glibc's iconv converting the same text in the same run.
#include <benchmark/benchmark.h>

#if !defined(_WIN32)
#include <iconv.h>
#endif

#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>

#include "platform/cp932.h"

namespace {

using pindle::platform::Cp932Encoded;
using pindle::platform::DecodeCp932;
using pindle::platform::EncodeCp932;

constexpr std::size_t kMemoBytes = 10 * 1000 * 1000;

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
  std::size_t lineBytes[std::size(lines)];
  for (std::size_t i = 0; i < std::size(lines); ++i)
    lineBytes[i] = EncodeCp932(lines[i]).bytes.size();
  std::u16string text;
  std::size_t bytes = 0;
  for (std::size_t i = 0;; ++i) {
    const std::size_t n = i % std::size(lines);
    if (bytes + lineBytes[n] > kMemoBytes) break;
    text += lines[n];
    bytes += lineBytes[n];
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

#if !defined(_WIN32)
// The same conversions through iconv: CP932 <-> UTF-16LE (the host's order on x86), whole text
// in one call.
void Iconv(benchmark::State& state, const char* to, const char* from, const char* in,
           std::size_t inSize, std::size_t outSize, std::size_t counted) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    state.SkipWithError("iconv_open failed");
    return;
  }
  std::string out(outSize, '\0');
  for (auto _ : state) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = const_cast<char*>(in);
    std::size_t inLeft = inSize;
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
      state.SkipWithError("iconv failed");
      break;
    }
    benchmark::DoNotOptimize(out.data());
  }
  iconv_close(cd);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(counted));
}

void BM_EncodeMemoIconv(benchmark::State& state) {
  const std::u16string& text = Memo();
  Iconv(state, "CP932", "UTF-16LE", reinterpret_cast<const char*>(text.data()),
        text.size() * sizeof(char16_t), text.size() * 2, MemoBytes().size());
}
BENCHMARK(BM_EncodeMemoIconv);

void BM_DecodeMemoIconv(benchmark::State& state) {
  const std::string& bytes = MemoBytes();
  Iconv(state, "UTF-16LE", "CP932", bytes.data(), bytes.size(), bytes.size() * 2, bytes.size());
}
BENCHMARK(BM_DecodeMemoIconv);
#endif

}  // namespace

BENCHMARK_MAIN();
