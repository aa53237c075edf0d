#include "memo/memo_file.h"

#include <algorithm>

#include "platform/cp932.h"
#include "platform/runtime_error.h"
#include "platform/text.h"

namespace pindle {

using platform::RuntimeError;

std::u16string MemoFilePath(std::u16string_view appPath, char16_t separator) {
  std::u16string path(appPath);
  path += separator;
  path += kMemoFileName;
  return path;
}

namespace {

// True when every CR is followed by LF, every LF follows a CR, and the text ends with CR LF (or
// is empty).
bool EndsEveryLineWithCrLf(std::u16string_view text) {
  if (!text.empty() && !text.ends_with(u"\r\n")) return false;
  const std::size_t size = text.size();
  for (std::size_t i = 0; i < size; ++i) {
    if (text[i] == u'\r') {
      if (text[i + 1] != u'\n') return false;  // never the last: the text ends with CR LF
      ++i;
    } else if (text[i] == u'\n') {
      return false;
    }
  }
  return true;
}

}  // namespace

std::u16string LoadMemoFile(const std::u16string& path) {
  const auto bytes = platform::ReadFileIfExists(path);
  if (!bytes) return {};
  // Decoded in one piece: no character spans a line break (CR and LF are never trail bytes), so
  // this is the text of the lines one by one.  Then every line end (CR LF, CR or LF) becomes
  // CR LF, and a last line without one gets it, as the lines of SplitLines each followed by CR LF.
  std::u16string decoded = platform::DecodeCp932(*bytes);
  if (EndsEveryLineWithCrLf(decoded)) return decoded;  // as Windows writes it: nothing to change
  std::u16string memo;
  memo.reserve(decoded.size() + decoded.size() / 16 + 2);
  const std::size_t size = decoded.size();
  std::size_t start = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const char16_t c = decoded[i];
    if (c != u'\r' && c != u'\n') continue;
    memo.append(decoded, start, i - start);
    memo += u"\r\n";
    if (c == u'\r' && i + 1 < size && decoded[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < size) {
    memo.append(decoded, start, size - start);
    memo += u"\r\n";
  }
  return memo;
}

void SaveMemoFile(const std::u16string& path, std::u16string_view text) {
  std::u16string content(text);
  if (!content.ends_with(u"\r\n")) content += u"\r\n";
  auto encoded = platform::EncodeCp932(content);
  // The mark stands for bytes of memo.txt that are no Shift-JIS text (or a NUL): the user
  // never typed it, so say where it comes from rather than name it as a character.
  const auto mark = std::find(encoded.unrepresentable.begin(), encoded.unrepresentable.end(),
                              platform::kReplacementMark);
  if (mark != encoded.unrepresentable.end()) {
    encoded.unrepresentable.erase(mark);
    std::u16string prompt =
        u"memo.txt に Shift-JIS の文字でないバイト (NUL を含む) があり、その場所を "
        u"\uFFFD の印で表示しています。\n";
    if (!encoded.ok()) {
      prompt += u"ほかに Shift-JIS で保存できない文字もあります: " +
                platform::DescribeUnrepresentable(encoded.unrepresentable) + u"\n";
    }
    throw RuntimeError(platform::err::kInvalidArgument,
                       prompt + u"これらを消してから登録して下さい。ファイルは変更していません。");
  }
  if (!encoded.ok()) {
    throw RuntimeError(
        platform::err::kInvalidArgument,
        u"登録メモに memo.txt (Shift-JIS) で保存できない文字があります: " +
            platform::DescribeUnrepresentable(encoded.unrepresentable) +
            u"\nこれらの文字を消してから登録して下さい。ファイルは変更していません。");
  }
  platform::ReplaceFileContents(path, encoded.bytes);
}

}  // namespace pindle
