// The registered memo file, memo.txt beside the executable: code page 932 lines ended by CR LF.
// Three operations without state; each opens and closes the file within the call.
#pragma once

#include <string>
#include <string_view>

#include "platform/text_file.h"

namespace pindle {

inline constexpr std::u16string_view kMemoFileName = u"memo.txt";

// appPath, the separator, "memo.txt".  No test whether appPath already ends in a separator:
// at a drive root the path reads "C:\\memo.txt", which names the file in the root.
std::u16string MemoFilePath(std::u16string_view appPath,
                            char16_t separator = platform::kPathSeparator);

// The memo text: every line of the file followed by CR LF, whether or not the file ended with
// one.  A missing file is the empty memo; an unreadable one raises a runtime error.
std::u16string LoadMemoFile(const std::u16string& path);

// Writes text, then CR LF unless the text already ends with CR LF, so that saving what was
// loaded leaves the file as it was.  The file is replaced in one step: a failed save leaves it
// untouched.  Text with characters code page 932 cannot hold writes nothing and raises an error
// naming them.
void SaveMemoFile(const std::u16string& path, std::u16string_view text);

}  // namespace pindle
