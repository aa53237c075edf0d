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

std::u16string LoadMemoFile(const std::u16string& path) {
  const auto bytes = platform::ReadFileIfExists(path);
  std::u16string memo;
  if (!bytes) return memo;
  for (const std::string_view line : platform::SplitLines(*bytes)) {
    memo += platform::DecodeCp932(line);
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
