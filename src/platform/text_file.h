// Files on disk.  Paths are the program's UTF-16 text (UTF-8 on Linux, wide on Windows).
// Every file is opened and closed inside one call.  Failures throw RuntimeError with the
// number of the kind of failure and a text naming the file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pindle::platform {

// The separator App.Path is joined with: a backslash on Windows, "/" elsewhere.
#if defined(_WIN32)
inline constexpr char16_t kPathSeparator = u'\\';
#else
inline constexpr char16_t kPathSeparator = u'/';
#endif

// The whole content of a file; empty when no file of that name exists.  A name that is a
// directory or cannot be read throws.
std::optional<std::string> ReadFileIfExists(const std::u16string& path);

// Replaces the file with bytes, or creates it: the bytes go to a new file in the same
// directory, are flushed to disk, and the new file then takes the file's place in one step.
// On any failure the file is left as it was, nothing else is left in the directory, and a
// RuntimeError is thrown; a file or directory the file system marks unchangeable (immutable,
// append-only) is refused before anything is written.  A save cut off by a crash leaves the
// old file or the new one, whole.  On Linux the new file has no name until it is complete, so
// at most a complete copy under the name + ".pindle-save" can be left, in the instant between
// the last two steps (on file systems without unnamed files, for the whole save); the next
// save removes it.  On Windows a step that another program holds up for a moment (a virus
// scanner or the search indexer reading the file or the new one) is tried again for about two
// seconds in all; should the file be gone from its name and neither the new content nor the
// old one be able to move back to it, the new content is written under the name itself, and
// only if even that fails do both stay under the names the error gives.
void ReplaceFileContents(const std::u16string& path, std::string_view bytes);

// The lines of a text, as sequential line input reads them: a line ends at CR LF, CR or LF;
// the end of the text ends the last line; nothing after a final line end.
std::vector<std::string_view> SplitLines(std::string_view bytes);

}  // namespace pindle::platform
